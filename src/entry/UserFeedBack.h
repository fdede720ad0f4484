#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QFrame;
class QLabel;
class QNetworkAccessManager;
class QPushButton;
class QTextEdit;
struct RoomFields;

// The student's end-of-class feedback dialog, run modally by the exit roads:
// a 1 to 5 star score for the teacher, an optional comment and the anonymous
// box. "直接退出" ends it as accepted; "提交并退出" ends it as rejected once a
// star is chosen, and only that submit lets the feedback be posted. GUI
// thread.
class UserFeedBack : public QDialog
{
    Q_OBJECT
    // 1 while the comment box shows its hint, 2 while the user writes.
    Q_PROPERTY(int m_dwFeedBackInfoInitFlag READ GetFeedBackInfoInitFlag NOTIFY FeedBackInfoInitFlagChanged)

public:
    explicit UserFeedBack(QWidget* parent = nullptr);
    ~UserFeedBack() override;

    int GetScore() const { return m_score; }
    int GetFeedBackInfoInitFlag() const { return m_dwFeedBackInfoInitFlag; }
    // "提交并退出" was clicked with a star chosen since the dialog was shown
    // and the feedback has not been posted yet.
    bool IsSubmitted() const { return m_submitted; }

    // Posts the score and comment to the school's web service and waits for
    // the answer, which is only logged. Nothing is sent unless the user
    // submitted the dialog with a star chosen; a submit is posted once.
    void OnFeedbackAndDirectExt();

    QPushButton* GetDirectExitButton() const { return m_btnDirectExit; }
    QPushButton* GetSubmitButton() const { return m_btnSubmit; }
    QPushButton* GetStarButton(int index) const { return m_stars.value(index - 1); }
    QTextEdit* GetCommentEdit() const { return m_comment; }
    QCheckBox* GetAnonymousBox() const { return m_anonymous; }

signals:
    void FeedBackInfoInitFlagChanged(int flag);
    // Part of the dialog's interface; the exit roads read the dialog's
    // result instead, so neither is emitted.
    void DirectExt();
    void FeedbackAndDirectExt();

public slots:
    void OnFeedBackInfoInitFlagChanged(int flag);
    // Shows the dialog reset and centred over the main window; hides it when
    // it is shown.
    void OnShowDialog();
    void OnHideDialog();
    void JudgeFeedBackInfo();
    // 1 to 5 chooses that many stars; 0 clears them.
    void OnScoreBtnPressed(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void DrawScore();
    void SetFeedBackInfoInitFlag(int flag);
    void OnSubmitClicked();
    QByteArray CommentBody(const RoomFields& room) const;

    QFrame* m_commentFrame = nullptr;
    QTextEdit* m_comment = nullptr;
    QList<QPushButton*> m_stars;
    QPushButton* m_btnDirectExit = nullptr;
    QPushButton* m_btnSubmit = nullptr;
    QCheckBox* m_anonymous = nullptr;
    QNetworkAccessManager* m_network = nullptr;
    int m_dwFeedBackInfoInitFlag = 1;
    int m_score = 0;
    bool m_submitted = false;
};
