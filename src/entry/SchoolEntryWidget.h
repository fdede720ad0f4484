#pragma once

#include <QFrame>
#include <QList>
#include <QUrl>
#include <memory>

#include "entry/HisSchoolList.h"
#include "entry/SchoolList.h"

class PageButton;
struct SchoolEntryForm;

// The course home page: the user, the school choice, the upcoming (type 1)
// and history (type 2) course lists with the history pager, the web links
// and the app download view. GUI thread; the session thread emits
// RequestBegin and RequestFinished on it, which arrive queued.
class SchoolEntryWidget : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int m_dwSchoolListType READ GetSchoolListType WRITE SetSchoolListType NOTIFY SchoolListTypeChanged)

public:
    enum ListType { ListUpcoming = 1, ListHistory = 2 };
    enum RightView { ViewCourses = 1, ViewAppDownload = 2 };

    explicit SchoolEntryWidget(QWidget* parent = nullptr);
    ~SchoolEntryWidget() override;

    int GetSchoolListType() const { return m_dwSchoolListType; }
    void SetSchoolListType(int type);

    // Places the page below top in host and shows it; -1 for a null host.
    int SetupLayout(QWidget* host, int top);
    // The frame that hosts the course lists and the pager.
    QFrame* GetListFrame();
    SchoolList* GetSchoolList() { return &m_schoolList; }
    HisSchoolList* GetHisSchoolList() { return &m_hisSchoolList; }
    SchoolEntryForm* GetForm() const { return m_form.get(); }
    int GetRightView() const { return m_rightView; }

    // "<", up to 9 page numbers, ">", hidden. Kept while they still fit the
    // page count and show the current page; otherwise built anew.
    void CreateBtns4HistoryCourseList(int pageCount);
    void ClearBtns4HistoryCourseList();
    QList<PageButton*> GetPageButtons() const { return m_pageButtons; }
    // The "xx" host label of the web links: the current school's profile.
    QString GetSchoolLabel() const { return m_schoolLabel; }
    // The page of the school's web site at path; invalid (nothing to open)
    // when the school label cannot stand in a host name.
    QUrl SiteLink(const QString& path) const;

    // Pager styles.
    static const char* const kPagerNormalStyle;
    static const char* const kPagerCurrentStyle;
    static const char* const kPagerDisabledStyle;

signals:
    void RequestFinished();
    void RequestBegin();
    void UpdateSchoolItems();
    void ShowBtnList4HistoryCourse();
    void HideBtnList4HistoryCourse();
    void SchoolListTypeChanged(int type);

public slots:
    void SetLayout4GroupBoxAppDownload();
    void SetLayout4GroupBoxSchool();
    void OnUpdateSchoolItems();
    void OnRoomPwdEnter();
    void OnRefresh();
    void OnSchoolChanged(int index);
    void OnAvatarDownloadFinished(QString imagePath);
    void OnShowGoingClass();
    void OnShowHistoryClass();
    void OnSchoolListTypeChanged(int type);
    void OnMyCourseLinkJump();
    void OnPersonalLinkJump();
    void OnExerciseLinkJump();
    void OnStudyCardLinkJump();
    void OnQuestionsLinkJump();
    void OnPrice1LinkJump();
    void OnOrdersLinkJump();
    void OnCouponLinkJump();
    void OnGiftCodeLinkJump();
    void OnRoomHelpLinkJump();
    void OnShowBtnList4HistoryCourse();
    void OnUpdateLayoutBtnList4HistoryCourse();
    void OnHideBtnList4HistoryCourse();
    void UnHighLightBtnList4HistoryCourse();
    void UpdateHistoryCourseListPage4Right();
    void UpdateHistoryCourseListPage4Left();
    int GetHistoryCourseListFirstPageNum();

private slots:
    void OnRequestBegin();
    void OnRequestFinished();

private:
    void ConnectForm();
    // The user's display name, cut to the label with an ellipsis (whole in
    // the tool tip).
    void ShowUserName();
    void StyleLeftButtons();
    void StyleTabs();
    void ShowNoBookBox();
    void OpenSiteLink(const QString& path);
    // The numbered buttons show first, first + 1, ...; the first is current.
    void RelabelPager(int first);
    int NumberedButtonCount() const;
    void PlaceVisibleButtons(bool showHidden);
    QString ScaleFolder() const;
    int BannerWidth() const;

    std::unique_ptr<SchoolEntryForm> m_form;
    int m_dwSchoolListType = ListUpcoming;
    int m_currentSchoolIndex = 0;
    int m_rightView = ViewCourses;
    QWidget* m_host = nullptr;
    QString m_schoolLabel;
    QList<PageButton*> m_pageButtons;
    // The page count the pager was built for.
    int m_pagerPageCount = 0;
    SchoolList m_schoolList;
    HisSchoolList m_hisSchoolList;
};
