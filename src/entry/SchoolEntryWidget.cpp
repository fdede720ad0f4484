#include "SchoolEntryWidget.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/SharedFunctions.h"
#include "entry/CourseCards.h"
#include "entry/PageButton.h"
#include "entry/SchoolEntryForm.h"
#include "session/DataManager.h"
#include "session/SchoolListInfo.h"
#include "widgets/DPIWidget4RectPixmap.h"
#include "widgets/DPIWidget4RoundPixmap.h"
#include "widgets/DpiPixmap.h"
#include "widgets/Placement.h"

#include <QComboBox>
#include <QDebug>
#include <QDesktopServices>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

constexpr int kMaxBannerWidth = 1160;
constexpr int kBannerAspect = 8;
constexpr int kLeftColumnWidth = 173;
constexpr int kTopBlockHeight = 200;

const char kActiveLeftTab[] = "QPushButton{background-color: #f74945;border: 1px solid #f74945;border-top-left-radius: "
                              "4px;border-bottom-left-radius: 4px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";
const char kActiveRightTab[]
    = "QPushButton{background-color: #f74945;border: 1px solid #f74945;border-top-right-radius: "
      "4px;border-bottom-right-radius: 4px;color: rgb(255,255,255);font:16px Microsoft YaHei;}";
const char kIdleLeftTab[] = "QPushButton{background-color: #f2f2f2;border: 1px solid #f74945;border-top-left-radius: "
                            "4px;border-bottom-left-radius: 4px;color: #666666;font:16px Microsoft YaHei;}";
const char kIdleRightTab[] = "QPushButton{background-color: #f2f2f2;border: 1px solid #f74945;border-top-right-radius: "
                             "4px;border-bottom-right-radius: 4px;color: #666666;font:16px Microsoft YaHei;}";
const char kSchoolCombo[]
    = "QComboBox{border:1px solid #e1e3e6;border-radius:4px;background:#f2f3f5;color:#333333;font:14px Microsoft "
      "YaHei;padding-left:10px;}QComboBox::drop-down{border:0px;width:24px;}QComboBox::down-arrow{image:url(:/"
      "resource/schoollist/%1/arrow.png);width:12px;height:12px;}QComboBox QAbstractItemView{border:1px solid "
      "#e1e3e6;background:#ffffff;color:#333333;selection-background-color:#f2f3f5;selection-color:#f74945;"
      "outline:0px;}";

// A left-column button: its picture, and the second one under the pointer.
QString ImageButtonStyle(const QString& folder, const char* normal, const char* hover)
{
    return QStringLiteral(
        "QPushButton{border:0px;background:transparent;image:url(:/resource/schoollist/%1/%2);}"
        "QPushButton::hover{border:0px;background:transparent;image:url(:/resource/schoollist/%1/%3);}")
        .arg(folder, QLatin1String(normal), QLatin1String(hover));
}

// Shows the picture file in label. Layouts run at every resize of the
// window: the picture shown already is not read again (the label reads its
// file anew itself when its size calls for it).
template <typename Label> void ShowPicture(Label* label, const QString& path)
{
    if (label->GetPixmapPath() != path)
        label->SetPixmapPath(path);
}

} // namespace

const char* const SchoolEntryWidget::kPagerNormalStyle
    = "QPushButton{border:1px solid #d9d9d9;border-radius:2px;color: #333333;background:#ffffff;font:14px Microsoft "
      "YaHei;}QPushButton::hover{border:1px solid #f74945;border-radius:2px;color: #333333;background:#ffffff;font:"
      "14px Microsoft YaHei;}";
const char* const SchoolEntryWidget::kPagerCurrentStyle
    = "QPushButton{border:1px solid #f74945;border-radius:2px;color: #333333;background:#ffffff;font:14px Microsoft "
      "YaHei;}QPushButton::hover{border:1px solid #f74945;border-radius:2px;color: #333333;background:#ffffff;font:"
      "14px Microsoft YaHei;}";
const char* const SchoolEntryWidget::kPagerDisabledStyle
    = "QPushButton{border:1px solid #d9d9d9;border-radius:2px;color: #d9d9d9;background:#ffffff;font:14px Microsoft "
      "YaHei;}";

SchoolEntryWidget::SchoolEntryWidget(QWidget* parent)
    : QFrame(parent)
    , m_form(std::make_unique<SchoolEntryForm>(this))
{
    setObjectName(QStringLiteral("SchoolEntryWidget"));
    setMinimumSize(1000, 600);
    m_schoolList.setParent(m_form->shoolList);
    m_hisSchoolList.setParent(m_form->shoolList);
    m_schoolList.hide();
    m_hisSchoolList.hide();
    StyleTabs();
    ConnectForm();
}

SchoolEntryWidget::~SchoolEntryWidget()
{
    // The cards and the pager go before the form that hosts them.
    ClearBtns4HistoryCourseList();
    m_schoolList.ClearItems();
    m_hisSchoolList.ClearItems();
}

void SchoolEntryWidget::ConnectForm()
{
    connect(this, &SchoolEntryWidget::UpdateSchoolItems, this, &SchoolEntryWidget::OnUpdateSchoolItems);
    connect(this, &SchoolEntryWidget::SchoolListTypeChanged, this, &SchoolEntryWidget::OnSchoolListTypeChanged);
    connect(this, &SchoolEntryWidget::ShowBtnList4HistoryCourse, this, &SchoolEntryWidget::OnShowBtnList4HistoryCourse);
    connect(this, &SchoolEntryWidget::HideBtnList4HistoryCourse, this, &SchoolEntryWidget::OnHideBtnList4HistoryCourse);
    connect(this, &SchoolEntryWidget::RequestBegin, this, &SchoolEntryWidget::OnRequestBegin);
    connect(this, &SchoolEntryWidget::RequestFinished, this, &SchoolEntryWidget::OnRequestFinished);
    SchoolEntryForm& f = *m_form;
    connect(f.btnMyCourse, &QPushButton::clicked, this, &SchoolEntryWidget::SetLayout4GroupBoxSchool);
    connect(f.btnBookCourse, &QPushButton::clicked, this, &SchoolEntryWidget::OnMyCourseLinkJump);
    connect(f.btnJob, &QPushButton::clicked, this, &SchoolEntryWidget::OnExerciseLinkJump);
    connect(f.btnCourseCard, &QPushButton::clicked, this, &SchoolEntryWidget::OnStudyCardLinkJump);
    connect(f.btnQACommunity, &QPushButton::clicked, this, &SchoolEntryWidget::OnQuestionsLinkJump);
    connect(f.btnBuyCourse, &QPushButton::clicked, this, &SchoolEntryWidget::OnPrice1LinkJump);
    connect(f.btnAppDownload, &QPushButton::clicked, this, &SchoolEntryWidget::SetLayout4GroupBoxAppDownload);
    connect(f.btnBookCourse2, &QPushButton::clicked, this, &SchoolEntryWidget::OnMyCourseLinkJump);
    connect(
        f.schoolChoose, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SchoolEntryWidget::OnSchoolChanged);
    connect(f.btn4GoingClass, &QPushButton::clicked, this, &SchoolEntryWidget::OnShowGoingClass);
    connect(f.btn4HistoryClass, &QPushButton::clicked, this, &SchoolEntryWidget::OnShowHistoryClass);
    connect(f.btn4Refresh, &QPushButton::clicked, this, &SchoolEntryWidget::OnRefresh);
}

QFrame* SchoolEntryWidget::GetListFrame()
{
    return m_form->shoolList;
}

void SchoolEntryWidget::SetSchoolListType(int type)
{
    m_dwSchoolListType = type;
    emit SchoolListTypeChanged(type);
}

QString SchoolEntryWidget::ScaleFolder() const
{
    return Nexus::GetScaleFolder();
}

int SchoolEntryWidget::BannerWidth() const
{
    return m_form->backgroundLabel->width();
}

int SchoolEntryWidget::SetupLayout(QWidget* host, int top)
{
    if (!Placement::MoveInto(this, host, "[Error], in SchoolEntryWidget::SetupLayout, _widget is NULL"))
        return -1;
    SchoolEntryForm& f = *m_form;
    m_host = host;
    setGeometry(0, top, host->width(), host->height() - top);
    f.btn4GoingClass->show();
    f.btn4HistoryClass->show();

    const int rightWidth = width() - kLeftColumnWidth;
    f.leftFrame->setGeometry(0, 0, kLeftColumnWidth, height());
    f.rightFrame->setGeometry(kLeftColumnWidth, 0, rightWidth, height());
    const int bannerWidth = qMin(kMaxBannerWidth, rightWidth - 20);
    f.backgroundLabel->setGeometry((rightWidth - bannerWidth) / 2, 10, bannerWidth, bannerWidth / kBannerAspect);
    ShowPicture(f.backgroundLabel, QStringLiteral(":/resource/schoollist/background.png"));

    const QString folder = ScaleFolder();
    ShowUserName();
    if (!f.avatar->HasPicture() || f.avatar->GetPixmapPath().startsWith(QLatin1Char(':')))
        ShowPicture(f.avatar, DpiPixmap::DefaultAvatar(folder));
    f.label4NoBook->setStyleSheet(
        QStringLiteral("QPushButton{image: url(:resource/schoollist/%1/no_book_course.png);border:0px;}").arg(folder));
    f.schoolChoose->setStyleSheet(QString::fromLatin1(kSchoolCombo).arg(folder));

    if (m_rightView == ViewAppDownload)
        SetLayout4GroupBoxAppDownload();
    else
        SetLayout4GroupBoxSchool();
    StyleLeftButtons();

    f.topLeftFrame->setGeometry(15, 0, kLeftColumnWidth, kTopBlockHeight);
    f.groupBox4UsrInfo->move((kLeftColumnWidth - f.groupBox4UsrInfo->width()) / 2 - 15, 8);
    f.bottomLeftFrame->setGeometry(0, kTopBlockHeight, kLeftColumnWidth, height() - kTopBlockHeight);
    f.groupBox4Select->move((kLeftColumnWidth - f.groupBox4Select->width()) / 2, 10);
    if (f.groupBox4NoBook->isVisible())
        f.groupBox4NoBook->move((BannerWidth() - f.groupBox4NoBook->width()) / 2, 70);

    if (m_schoolList.count() > 0 && m_dwSchoolListType == ListUpcoming) {
        m_schoolList.OnUpdateUI(f.shoolList);
        m_hisSchoolList.hide();
    } else if (m_hisSchoolList.count() > 0 && m_dwSchoolListType == ListHistory) {
        m_hisSchoolList.OnUpdateUI(f.shoolList);
        m_schoolList.hide();
    }
    OnUpdateLayoutBtnList4HistoryCourse();
    show();
    return 0;
}

void SchoolEntryWidget::StyleLeftButtons()
{
    SchoolEntryForm& f = *m_form;
    const QString folder = ScaleFolder();
    const bool courses = m_rightView == ViewCourses;
    f.btnMyCourse->setStyleSheet(
        ImageButtonStyle(folder, courses ? "my_course_hover.png" : "my_course.png", "my_course_hover.png"));
    f.btnBookCourse->setStyleSheet(ImageButtonStyle(folder, "book_course.png", "book_course_hover.png"));
    f.btnJob->setStyleSheet(ImageButtonStyle(folder, "job.png", "job_hover.png"));
    f.btnCourseCard->setStyleSheet(ImageButtonStyle(folder, "course_card.png", "course_card_hover.png"));
    f.btnQACommunity->setStyleSheet(ImageButtonStyle(folder, "qa_community.png", "qa_community_hover.png"));
    f.btnBuyCourse->setStyleSheet(ImageButtonStyle(folder, "buy_course.png", "buy_course_hover.png"));
    f.btnAppDownload->setStyleSheet(
        ImageButtonStyle(folder, courses ? "app_download.png" : "app_download_hover.png", "app_download_hover.png"));
}

void SchoolEntryWidget::StyleTabs()
{
    const bool upcoming = m_dwSchoolListType == ListUpcoming;
    m_form->btn4GoingClass->setStyleSheet(QString::fromLatin1(upcoming ? kActiveLeftTab : kIdleLeftTab));
    m_form->btn4HistoryClass->setStyleSheet(QString::fromLatin1(upcoming ? kIdleRightTab : kActiveRightTab));
}

void SchoolEntryWidget::SetLayout4GroupBoxSchool()
{
    SchoolEntryForm& f = *m_form;
    f.groupBox4AppDown->hide();
    m_rightView = ViewCourses;
    const int bannerWidth = BannerWidth();
    const int bannerHeight = f.backgroundLabel->height();
    // A gap of 10 below the banner, and 10 to the bottom edge.
    const int areaTop = f.backgroundLabel->y() + bannerHeight + 10;
    const int areaHeight = qMax(0, height() - areaTop - 10);
    f.groupBox4School->setGeometry(f.backgroundLabel->x(), areaTop, qMin(kMaxBannerWidth, bannerWidth), areaHeight);
    const int tabWidth = f.btn4GoingClass->width();
    f.btn4GoingClass->move(bannerWidth / 2 - tabWidth, 13);
    f.btn4HistoryClass->move(bannerWidth / 2, 13);
    f.btn4Refresh->move(bannerWidth - f.btn4Refresh->width() - 10, 13);
    const int listTop = 13 + f.btn4GoingClass->height() + 12;
    f.shoolList->setGeometry(0, listTop, bannerWidth, qMax(0, areaHeight - f.btn4GoingClass->height() - 38));
    f.groupBox4Loading->move((bannerWidth - f.groupBox4Loading->width()) / 2, f.groupBox4Loading->y());
    f.groupBox4School->show();
    StyleLeftButtons();
}

void SchoolEntryWidget::SetLayout4GroupBoxAppDownload()
{
    SchoolEntryForm& f = *m_form;
    f.groupBox4School->hide();
    m_rightView = ViewAppDownload;
    const int bannerWidth = BannerWidth();
    const int areaTop = f.backgroundLabel->y() + f.backgroundLabel->height() + 10;
    f.groupBox4AppDown->setGeometry(f.backgroundLabel->x(), areaTop, bannerWidth, qMax(0, height() - areaTop - 10));
    const int gap = (bannerWidth - f.groupBox4App1->width() - f.groupBox4App2->width()) / 3;
    const int areaHeight = f.groupBox4AppDown->height();
    f.groupBox4App1->move(gap, (areaHeight - f.groupBox4App1->height()) / 2);
    f.groupBox4App2->move(gap * 2 + f.groupBox4App1->width(), (areaHeight - f.groupBox4App2->height()) / 2);
    const QString folder = ScaleFolder();
    for (int i = 0; i < f.qrLabels.size(); ++i)
        ShowPicture(f.qrLabels.at(i), QStringLiteral(":/resource/schoollist/%1/QRCode%2.png").arg(folder).arg(i + 1));
    f.groupBox4AppDown->show();
    StyleLeftButtons();
}

void SchoolEntryWidget::OnUpdateSchoolItems()
{
    QComboBox* combo = m_form->schoolChoose;
    if (combo->count() > 0)
        return;
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr)
        return;
    // A copy taken under the session's lock; the schools in it are deleted
    // only in this thread, after this slot.
    const QMap<QString, SchoolListInfo*> schools = data->GetSchoolMap();
    const QString currentId = data->GetSchoolId();
    const QSignalBlocker blocker(combo);
    int index = 0;
    for (SchoolListInfo* school : schools) {
        combo->addItem(school->GetSchoolName(), school->GetSchoolId());
        if (school->GetSchoolId() == currentId) {
            m_currentSchoolIndex = index;
            m_schoolLabel = school->GetSchoolProfile();
            m_form->label4NoBook->setStyleSheet(
                QStringLiteral("QPushButton{image: url(:resource/schoollist/%1/no_book_course.png);border:0px;}")
                    .arg(ScaleFolder()));
        }
        ++index;
    }
    combo->setCurrentIndex(m_currentSchoolIndex);
}

void SchoolEntryWidget::OnSchoolChanged(int index)
{
    if (index == m_currentSchoolIndex || index < 0)
        return;
    m_hisSchoolList.ClearItems();
    m_schoolList.ClearItems();
    // The new school's history has its own page count: the old pager goes.
    ClearBtns4HistoryCourseList();
    SetSchoolListType(ListUpcoming);
    DataManager* data = Nexus::GetDataManager();
    const QList<SchoolListInfo*> schools = data ? data->GetSchoolMap().values() : QList<SchoolListInfo*>();
    if (index >= schools.size())
        return;
    SchoolListInfo* school = schools.at(index);
    m_currentSchoolIndex = index;
    {
        const QSignalBlocker blocker(m_form->schoolChoose);
        m_form->schoolChoose->setCurrentIndex(index);
    }
    qDebug() << "SchoolEntryWidget::OnSchoolChanged, new school:" << school->GetSchoolId();
    m_schoolLabel = school->GetSchoolProfile();
    emit data->ParallelShoolInfoRequest(school->GetSchoolId());
}

void SchoolEntryWidget::OnRequestBegin()
{
    SchoolEntryForm& f = *m_form;
    f.groupBox4NoBook->hide();
    f.groupBox4Loading->move((BannerWidth() - f.groupBox4Loading->width()) / 2, 200);
    f.groupBox4Loading->show();
    f.groupBox4Loading->raise();
    qDebug() << "SchoolEntryWidget::RequestBegin, pos:" << f.groupBox4Loading->pos();
    f.shoolList->hide();
}

void SchoolEntryWidget::OnRequestFinished()
{
    DataManager* data = Nexus::GetDataManager();
    const bool empty = data == nullptr
        || (m_dwSchoolListType == ListUpcoming ? data->GetCurrentSessions() : data->GetHistorySessions()).isEmpty();
    if (empty)
        ShowNoBookBox();
    m_form->groupBox4Loading->hide();
    m_form->shoolList->show();
}

void SchoolEntryWidget::ShowNoBookBox()
{
    QGroupBox* box = m_form->groupBox4NoBook;
    box->move((BannerWidth() - box->width()) / 2, 70);
    box->show();
    box->raise();
}

void SchoolEntryWidget::OnRefresh()
{
    Profile* profile = Nexus::GetProfile();
    if (profile == nullptr || profile->GetCourseListRefreshFlag() == 1) {
        qDebug() << "into SchoolEntryWidget OnRefresh, and refresh status is true";
        return;
    }
    ClearBtns4HistoryCourseList();
    m_schoolList.ClearItems();
    m_hisSchoolList.ClearItems();
    profile->SetCourseListRefreshFlag(1);
    if (DataManager* data = Nexus::GetDataManager())
        emit data->ParallelShoolInfoRequest(data->GetSchoolId());
}

void SchoolEntryWidget::OnSchoolListTypeChanged(int type)
{
    // Stored directly: the signal is not raised again.
    if (type == ListUpcoming) {
        m_dwSchoolListType = type;
        StyleTabs();
        m_hisSchoolList.hide();
        OnHideBtnList4HistoryCourse();
    } else if (type == ListHistory) {
        m_dwSchoolListType = type;
        StyleTabs();
        m_schoolList.hide();
    }
}

void SchoolEntryWidget::OnShowGoingClass()
{
    if (m_dwSchoolListType == ListUpcoming)
        return;
    OnSchoolListTypeChanged(ListUpcoming);
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || data->GetCurrentSessions().isEmpty()) {
        ShowNoBookBox();
        return;
    }
    if (Nexus* hub = Nexus::Instance())
        hub->OnSchoolListGet();
    emit data->DownloadSchoolListAvatar();
    m_form->groupBox4NoBook->hide();
}

void SchoolEntryWidget::OnShowHistoryClass()
{
    if (m_dwSchoolListType == ListHistory)
        return;
    OnSchoolListTypeChanged(ListHistory);
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || data->GetHistorySessions().isEmpty()) {
        // Not a blank area: the box says there is nothing to show.
        ShowNoBookBox();
        return;
    }
    if (Nexus* hub = Nexus::Instance())
        hub->OnHistorySchoolListGet();
    emit data->HistoryCourseDownloadById(Nexus::GetHistoryCoursePage());
    m_form->groupBox4NoBook->hide();
}

void SchoolEntryWidget::ShowUserName()
{
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr)
        return;
    const QString name = data->GetRoomFields().m_strNickName;
    QLabel* label = m_form->usrName;
    // Measured in the font the label's style sheet gives it.
    label->ensurePolished();
    label->setText(ElideText(label->font(), name, label->width()));
    label->setToolTip(label->text() == name ? QString() : PlainToolTip(name));
    label->setAlignment(Qt::AlignCenter);
}

void SchoolEntryWidget::OnAvatarDownloadFinished(QString imagePath)
{
    qDebug() << "into SchoolEntryWidget::OnAvatarDownloadFinished, and imagePath:" << imagePath;
    ShowUserName();
    const QString shown = m_form->avatar->GetPixmapPath();
    m_form->avatar->SetPixmapPath(imagePath);
    if (!m_form->avatar->HasPicture()) {
        qDebug() << "SchoolEntryWidget::OnAvatarDownloadFinished, not a picture, kept the one shown";
        m_form->avatar->SetPixmapPath(shown.isEmpty() ? DpiPixmap::DefaultAvatar(ScaleFolder()) : shown);
    }
    m_form->avatar->show();
}

void SchoolEntryWidget::OnRoomPwdEnter()
{
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateLoginProgress(4);
}

// ---- web links ----

QUrl SchoolEntryWidget::SiteLink(const QString& path) const
{
    return CourseCards::SiteUrl(CourseCards::SiteHost() + path, m_schoolLabel, QString());
}

void SchoolEntryWidget::OpenSiteLink(const QString& path)
{
    const QUrl url = SiteLink(path);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

void SchoolEntryWidget::OnMyCourseLinkJump()
{
    OpenSiteLink(QStringLiteral("/home"));
}

void SchoolEntryWidget::OnPersonalLinkJump()
{
    // The personal page; "/home" would be the course page once more.
    OpenSiteLink(QStringLiteral("/account/edit"));
}

void SchoolEntryWidget::OnExerciseLinkJump()
{
    OpenSiteLink(QStringLiteral("/student/exercises"));
}

void SchoolEntryWidget::OnStudyCardLinkJump()
{
    OpenSiteLink(QStringLiteral("/studycards"));
}

void SchoolEntryWidget::OnQuestionsLinkJump()
{
    OpenSiteLink(QStringLiteral("/questions"));
}

void SchoolEntryWidget::OnPrice1LinkJump()
{
    OpenSiteLink(QStringLiteral("/price/1"));
}

void SchoolEntryWidget::OnOrdersLinkJump()
{
    OpenSiteLink(QStringLiteral("/orders"));
}

void SchoolEntryWidget::OnCouponLinkJump()
{
    OpenSiteLink(QStringLiteral("/coupons"));
}

void SchoolEntryWidget::OnGiftCodeLinkJump()
{
    OpenSiteLink(QStringLiteral("/gift/code"));
}

void SchoolEntryWidget::OnRoomHelpLinkJump()
{
    OpenSiteLink(QStringLiteral("/help/meeting/help.html"));
}
