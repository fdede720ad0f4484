#pragma once

#include <QFrame>
#include <QList>

#include "entry/HisSchoolList.h"
#include "entry/SchoolList.h"

class PageButton;
class QComboBox;
class QLabel;

// The course home page: the user's schools and the upcoming (type 1) and
// history (type 2) course lists. GUI thread; the session thread emits
// RequestBegin and RequestFinished on it, which arrive queued.
class SchoolEntryWidget : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int m_dwSchoolListType READ GetSchoolListType WRITE SetSchoolListType NOTIFY SchoolListTypeChanged)

public:
    enum ListType { ListUpcoming = 1, ListHistory = 2 };

    explicit SchoolEntryWidget(QWidget* parent = nullptr);

    int GetSchoolListType() const { return m_dwSchoolListType; }
    void SetSchoolListType(int type);

    // Places the page below top in host and shows it; -1 for a null host.
    int SetupLayout(QWidget* host, int top);
    // The frame that hosts the course lists.
    QFrame* GetListFrame() { return &m_listFrame; }
    SchoolList* GetSchoolList() { return &m_schoolList; }
    HisSchoolList* GetHisSchoolList() { return &m_hisSchoolList; }

    // "<", pages 1 to at most 9, ">"; kept when buttons exist already.
    void CreateBtns4HistoryCourseList(int pageCount);
    void ClearBtns4HistoryCourseList();
    QList<PageButton*> GetPageButtons() const { return m_pageButtons; }

signals:
    void RequestBegin();
    void RequestFinished();
    void UpdateSchoolItems();
    void ShowBtnList4HistoryCourse();
    void HideBtnList4HistoryCourse();
    void SchoolListTypeChanged(int type);

public slots:
    void OnUpdateSchoolItems();
    void OnRefresh();
    void OnSchoolChanged(int index);
    void OnAvatarDownloadFinished(QString imagePath);
    void OnShowGoingClass();
    void OnShowHistoryClass();
    void OnSchoolListTypeChanged(int type);
    void OnShowBtnList4HistoryCourse();
    void OnHideBtnList4HistoryCourse();

private slots:
    void OnRequestBegin();
    void OnRequestFinished();

private:
    int m_dwSchoolListType = ListUpcoming;
    QWidget* m_host = nullptr;
    QLabel* m_avatar = nullptr;
    QLabel* m_busy = nullptr;
    QComboBox* m_schools = nullptr;
    QList<PageButton*> m_pageButtons;
    // The lists are children of the frame, so the frame is declared first.
    QFrame m_listFrame;
    SchoolList m_schoolList;
    HisSchoolList m_hisSchoolList;
};
