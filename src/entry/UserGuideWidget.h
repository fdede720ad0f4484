#pragma once

#include <QStringList>
#include <QWidget>

class DPIWidget4RectPixmap;
class QPushButton;

// The first-use guide: an overlay over the whole main window that pages
// through the guide pictures of the teacher (8) or the student (7). It
// covers the window wherever the window is and follows its size. GUI
// thread.
class UserGuideWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int dwCurrentRole READ GetGuideRole)

public:
    explicit UserGuideWidget(QWidget* parent = nullptr);

    // 2 the teacher pages, anything else the student pages; back to page 0.
    void SetGuideRole(int kind);
    int GetGuideRole() const { return m_role; }
    int GetCurrentPage() const { return m_page; }
    int GetPageCount() const { return m_pageNames.size(); }
    // The pictures of the current pages as they are shown now.
    QStringList GetPagePaths() const;
    // Covers window with the guide from its first page and shows it.
    void SetupLayout(QWidget* window);

    // The scale folder whose rendering of a page is sharp at that size on a
    // display of that pixel ratio.
    static QString PictureScaleFolder(const QSize& shown, qreal ratio);

    DPIWidget4RectPixmap* GetPicture() const { return m_picture; }
    QPushButton* GetLastButton() const { return m_btnLast; }
    QPushButton* GetNextButton() const { return m_btnNext; }
    QPushButton* GetExitButton() const { return m_btnExit; }

signals:
    // The guide was closed (not merely hidden with its window).
    void Closed();

public slots:
    void OnClickedNextPage();
    void OnClickedLastPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString PagePath(int page) const;
    void ShowPage();
    void Relayout();
    void SetExitStyle(bool lastPage);

    const QString m_folder;
    const QString m_studentPages;
    const QString m_teacherPages;
    DPIWidget4RectPixmap* m_picture = nullptr;
    QPushButton* m_btnLast = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnExit = nullptr;
    int m_page = 0;
    int m_role = 1;
    QStringList m_pageNames;
    QWidget* m_window = nullptr;
};
