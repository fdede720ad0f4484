#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;

// The first-use guide: a full-window overlay that pages through the guide
// pictures of the teacher (8) or the student (7).
class UserGuideWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int dwCurrentRole READ GetGuideRole)

public:
    explicit UserGuideWidget(QWidget* parent = nullptr);

    // 2 the teacher pages, anything else the student pages; back to page 0.
    void SetGuideRole(int role);
    int GetGuideRole() const { return m_role; }
    int GetCurrentPage() const { return m_page; }
    QStringList GetPagePaths() const { return m_pages; }
    // Covers window with the guide and shows it.
    void SetupLayout(QWidget* window);

public slots:
    void OnClickedNextPage();
    void OnClickedLastPage();

private:
    void ShowPage();

    QLabel* m_picture = nullptr;
    QPushButton* m_btnLast = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnExit = nullptr;
    int m_page = 0;
    int m_role = 1;
    QStringList m_pages;
};
