#pragma once

#include <QDialog>
#include <QList>
#include <QUrl>

class QFrame;
class QPushButton;

// The teacher's end-of-class feedback dialog, run modally by the exit roads:
// three cards leading to the operator's survey forms (opened in the
// browser; the dialog stays) and "继续退出", which ends it as accepted. GUI
// thread.
class TeacherFeedBack : public QDialog
{
    Q_OBJECT

public:
    explicit TeacherFeedBack(QWidget* parent = nullptr);

    // The survey forms on the course website: 1 students, 2 the software,
    // 3 the teaching.
    static QUrl SurveyPage(int card);

    QPushButton* GetContinueButton() const { return m_btnContinue; }
    QPushButton* GetLinkButton(int card) const { return m_links.value(card - 1); }
    QFrame* GetCard(int card) const { return m_cards.value(card - 1); }

signals:
    // Part of the dialog's interface; the exit roads read the dialog's
    // result instead.
    void DirectExt();

public slots:
    // Shows the dialog centred over the main window; hides it when it is
    // shown.
    void OnShowDialog();
    void OnHideDialog();
    void OnLinkeJump4Stu();
    void OnLinkeJump4Software();
    void OnLinkeJump4Teach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildCard(int card, const QPoint& at, const char* link, const char* description);
    void DrawPictures();
    void OpenSurvey(int card);

    QList<QFrame*> m_cards;
    QList<QPushButton*> m_pictures;
    QList<QPushButton*> m_links;
    QPushButton* m_btnContinue = nullptr;
};
