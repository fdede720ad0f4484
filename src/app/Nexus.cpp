#include "Nexus.h"

#include "DownloadElem.h"
#include "MainWindow.h"
#include "Profile.h"
#include "TopArea.h"
#include "entry/CourseCards.h"
#include "entry/HisSchoolItem.h"
#include "entry/HisSchoolList.h"
#include "entry/NewLoginWidget.h"
#include "entry/SchoolEntryWidget.h"
#include "entry/SchoolItem.h"
#include "entry/SchoolList.h"
#include "room/LeftArea.h"
#include "room/LoadingFailUI.h"
#include "room/LoadingUI.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "room/TeacherInfo.h"
#include "room/UserList.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "session/CourseWareInfo.h"
#include "session/DataManager.h"
#include "session/MediaInfo.h"
#include "session/SchoolInfo.h"
#include "session/UserInfo.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatWidget.h"
#include "whiteboard/PaletteWidget.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QMutex>
#include <QPixmap>
#include <QThread>

namespace {

std::atomic<Nexus*> s_hub { nullptr };
std::atomic<bool> s_tornDown { false };
QBasicMutex s_createMutex;

bool OnGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

} // namespace

Nexus* Nexus::Instance()
{
    Nexus* hub = s_hub.load();
    if (hub || s_tornDown.load())
        return hub;
    // The hub belongs to the GUI thread; a worker never makes one.
    if (!OnGuiThread())
        return nullptr;
    QMutexLocker lock(&s_createMutex);
    hub = s_hub.load();
    if (!hub) {
        hub = new Nexus();
        s_hub.store(hub);
    }
    return hub;
}

bool Nexus::IsTornDown()
{
    return s_tornDown.load();
}

Nexus::Nexus()
    : QObject(nullptr)
{
    connect(this, &Nexus::UpdateDataPrepPhase, this, &Nexus::OnDataPrepPhase);
    connect(this, &Nexus::LocalRefresh, this, &Nexus::CleanUp);
    connect(this, &Nexus::UpdateLoginProgress, this, &Nexus::OnUpdateLoginProgress);
    connect(this, &Nexus::SchoolListGet, this, &Nexus::OnSchoolListGet);
    connect(this, &Nexus::HistorySchoolListGet, this, &Nexus::OnHistorySchoolListGet);
    connect(this, &Nexus::DownloadFinish, this, &Nexus::OnDownloadFinish);
    connect(this, &Nexus::DownloadFailed, this, &Nexus::OnDownloadFailed);
    connect(this, &Nexus::GetAllUserCameraStatus, this, &Nexus::OnGetAllUserCameraStatus);
    connect(this, &Nexus::DownloadCfgFinished, this, &Nexus::OnDownloadCfgFinished);
    connect(this, &Nexus::RendLoadingMsg, this, &Nexus::OnRendLoadingMsg);
    connect(this, &Nexus::AddNewMarkItem, this, &Nexus::OnAddNewMarkItem);
    connect(this, &Nexus::DeleteMarkItem, this, &Nexus::OnDeleteMarkItem);
    connect(this, &Nexus::RendMarkList, this, &Nexus::OnRendMarkList);
    connect(this, &Nexus::SelfLogin, this, &Nexus::OnSelfLogin);
    connect(this, &Nexus::NewUserLogin, this, &Nexus::OnNewUserLogin);
}

Nexus::~Nexus()
{
    delete m_profile;
    m_profile = nullptr;
}

void Nexus::Startup()
{
    Nexus* hub = Instance();
    if (!hub || hub->m_profile)
        return;
    qDebug() << "Starting up";
    qRegisterMetaType<uint8_t>("uint8_t");
    qRegisterMetaType<uint16_t>("uint16_t");
    qRegisterMetaType<uint32_t>("uint32_t");
    qRegisterMetaType<int32_t>("int32_t");
    qRegisterMetaType<int64_t>("int64_t");
    qRegisterMetaType<const int16_t*>("const int16_t*");
    qRegisterMetaType<QPixmap>("QPixmap");
    qRegisterMetaType<QString>("QString");
    qRegisterMetaType<Profile*>("Profile*");
    qRegisterMetaType<DownloadElem>("DownloadElem");
    // Queued signals with a reference argument copy the value through the
    // meta type of the reference name.
    qRegisterMetaType<DownloadElem>("DownloadElem&");
    qRegisterMetaType<DownloadElem*>("DownloadElem*");
    qRegisterMetaType<UserInfo*>("UserInfo*");
    qRegisterMetaType<CourseWareInfo*>("CourseWareInfo*");
    qRegisterMetaType<MediaInfo*>("MediaInfo*");
    qRegisterMetaType<chatImageStruct>("chatImageStruct");
    hub->m_profile = new Profile();
}

void Nexus::Teardown()
{
    Nexus* hub = s_hub.load();
    if (hub) {
        Profile* profile = hub->m_profile;
        const int volume = profile ? profile->GetOutputVolume() : -1;
        if (volume >= 0 && hub->m_player) {
            MediaPlayer* media = hub->m_player->GetMediaPlayer();
            CAgoraObject* engine = media ? media->GetAgoraObject() : nullptr;
            AudioOutManager* out = engine ? engine->GetAudioOutManager() : nullptr;
            if (out)
                out->SetVolume(volume);
        }
        // The engine's callback thread reads the hub and the session: it has
        // ended, the channel left and a recording finished, before they go.
        if (hub->m_player)
            hub->m_player->ReleaseEngine();
        else if (CAgoraObject::Instance())
            CAgoraObject::ReleaseEngine();
    }
    // From here on no getter hands out anything and no slot acts, so no
    // signal still queued for the hub reaches a worker being deleted.
    s_tornDown.store(true);
    if (!hub)
        return;
    delete hub;
    s_hub.store(nullptr);
}

// Every getter goes through the live hub; after Teardown there is none.
static Nexus* Live()
{
    return s_tornDown.load() ? nullptr : s_hub.load();
}

// A class room screen (inRoom) asked for in the GUI thread before the main
// window has built the room has it built first.
#define NEXUS_REGISTERED(Type, Getter, Setter, member, inRoom)                                                         \
    Type* Nexus::Getter()                                                                                              \
    {                                                                                                                  \
        Nexus* hub = Live();                                                                                           \
        if (!hub)                                                                                                      \
            return nullptr;                                                                                            \
        if (inRoom && !static_cast<Type*>(hub->member))                                                                \
            hub->BuildRoomScreens();                                                                                   \
        return hub->member;                                                                                            \
    }                                                                                                                  \
    void Nexus::Setter(Type* value)                                                                                    \
    {                                                                                                                  \
        if (Nexus* hub = Live())                                                                                       \
            hub->member = value;                                                                                       \
    }

NEXUS_REGISTERED(MainWindow, GetMainWindow, SetMainWindow, m_mainWindow, false)
NEXUS_REGISTERED(SchoolEntryWidget, GetSchoolEntryWidget, SetSchoolEntryWidget, m_schoolEntryWidget, false)
NEXUS_REGISTERED(SchoolList, GetSchoolList, SetSchoolList, m_schoolList, false)
NEXUS_REGISTERED(HisSchoolList, GetHisSchoolList, SetHisSchoolList, m_hisSchoolList, false)
NEXUS_REGISTERED(TopArea, GetTopArea, SetTopArea, m_topArea, false)
NEXUS_REGISTERED(MiddleArea, GetMiddleArea, SetMiddleArea, m_middleArea, true)
NEXUS_REGISTERED(PresentationList, GetPresentationList, SetPresentationList, m_presentationList, true)
NEXUS_REGISTERED(QtAvPlayerList, GetQtAvPlayerList, SetQtAvPlayerList, m_qtAvPlayerList, true)
NEXUS_REGISTERED(MenuBar, GetMenuBar, SetMenuBar, m_menuBar, true)
NEXUS_REGISTERED(Player, GetPlayer, SetPlayer, m_player, true)
NEXUS_REGISTERED(LeftArea, GetLeftArea, SetLeftArea, m_leftArea, true)
NEXUS_REGISTERED(RightArea, GetRightArea, SetRightArea, m_rightArea, true)
NEXUS_REGISTERED(RightMiddleArea, GetRightMiddleArea, SetRightMiddleArea, m_rightMiddleArea, true)
NEXUS_REGISTERED(WhiteBoardWidget, GetWhiteBoardWidget, SetWhiteBoardWidget, m_whiteBoardWidget, true)
NEXUS_REGISTERED(ChatWidget, GetChatWidget, SetChatWidget, m_chatWidget, true)
NEXUS_REGISTERED(PaletteWidget, GetPaletteWidget, SetPaletteWidget, m_paletteWidget, true)
NEXUS_REGISTERED(UserList, GetUserList, SetUserList, m_userList, true)
#undef NEXUS_REGISTERED

void Nexus::BuildRoomScreens()
{
    // Widgets are made in the GUI thread only; the main window ignores a
    // call made while it builds.
    MainWindow* window = m_mainWindow;
    if (window && QThread::currentThread() == thread())
        window->BuildRoomScreens();
}

void Nexus::SetLoadingUI(LoadingUI* screen)
{
    if (Nexus* hub = Live())
        hub->m_loadingUI = screen;
}

void Nexus::SetLoadingFailUI(LoadingFailUI* screen)
{
    if (Nexus* hub = Live())
        hub->m_loadingFailUI = screen;
}

Profile* Nexus::GetProfile()
{
    Nexus* hub = Live();
    return hub ? hub->m_profile : nullptr;
}

QString Nexus::GetScaleFolder()
{
    Profile* profile = GetProfile();
    return profile ? profile->GetScaleFolder() : QStringLiteral("x1");
}

DataManager* Nexus::GetDataManager()
{
    Profile* profile = GetProfile();
    return profile ? profile->GetDataManager() : nullptr;
}

DownldManager* Nexus::GetDownldManager()
{
    Profile* profile = GetProfile();
    return profile ? profile->GetDownldManager() : nullptr;
}

DeamonThreadMgr* Nexus::GetDeamonThreadMgr()
{
    Profile* profile = GetProfile();
    return profile ? profile->GetDeamonThreadMgr() : nullptr;
}

int Nexus::GetDataPrepPhase()
{
    Nexus* hub = Live();
    return hub ? hub->m_dataPrepPhase.load() : 0;
}

int Nexus::GetHistoryCoursePage()
{
    Nexus* hub = Live();
    return hub ? hub->m_historyCoursePage.load() : 0;
}

void Nexus::SetHistoryCoursePage(int page)
{
    if (Nexus* hub = Live())
        hub->m_historyCoursePage = page;
}

int Nexus::GetHistoryCoursePageCount()
{
    Nexus* hub = Live();
    return hub ? hub->m_historyCoursePageCount.load() : 0;
}

void Nexus::SetHistoryCoursePageCount(int count)
{
    if (Nexus* hub = Live())
        hub->m_historyCoursePageCount = count;
}

bool Nexus::IsOutOfClassroom()
{
    Profile* profile = GetProfile();
    if (!profile)
        return false;
    const int phase = profile->GetLoginPhase();
    return phase == 2 || phase == 128 || phase == 256;
}

// ---- relays; all run in the GUI thread and do nothing once torn down ----

void Nexus::OnDataPrepPhase(int value)
{
    if (IsTornDown() || m_dataPrepPhase == 3)
        return;
    if (value == 1)
        OnRendLoadingMsg(QStringLiteral("提示:获取用户列表成功"));
    else if (value == 2)
        OnRendLoadingMsg(QStringLiteral("提示:获取课件列表成功"));
    m_dataPrepPhase |= value;
    if (m_dataPrepPhase != 3) {
        UpdateLoadingValue(80);
        return;
    }
    qDebug() << "Nexus::OnDataPrepPhase ok.";
    OnCourseWareGet();
    OnUserlistGet();
    if (m_mainWindow)
        m_mainWindow->OnLoginProgress(32);
    DataManager* data = GetDataManager();
    if (data) {
        // Once per room entry: the own login notice may have announced it.
        UserInfo* self = data->GetUserInfoByUid(QString::number(data->GetUserId()));
        if (self && data->ClaimSelfLogin())
            emit SelfLogin(self);
    }
    if (m_player)
        m_player->InitPlayer();
    if (data) {
        emit data->Request4GetChatHistoryMsg();
        emit data->Request4GetWhiteBdHistory();
        emit data->UserMarkListRequest();
    }
    if (m_menuBar)
        emit m_menuBar->UpdateVolumInfo();
    if (data) {
        emit data->DownloadAllAvatar();
        emit data->DownloadAllCourseWare();
    }
}

void Nexus::OnSelfLogin(UserInfo* user)
{
    if (IsTornDown() || !user)
        return;
    if (m_leftArea)
        m_leftArea->UpdateModeByRole();
    if (m_menuBar) {
        m_menuBar->InitUI();
        m_menuBar->SetupLayout(m_mainWindow);
    }
    if (m_userList)
        emit m_userList->UserLogin(user);
    if (m_middleArea)
        emit m_middleArea->UserRoleGet(user->GetRole());
    // The teacher's layout differs; redo it even at an unchanged size.
    if (user->GetRole() == 4 && m_mainWindow) {
        m_mainWindow->m_dwMainWinWidth = 0;
        m_mainWindow->SetupLayout();
    }
}

void Nexus::OnNewUserLogin(UserInfo* user)
{
    if (!IsTornDown() && m_userList)
        emit m_userList->UserLogin(user);
}

void Nexus::OnAddNewMarkItem(const QString& uuid)
{
    if (IsTornDown())
        return;
    qDebug() << "into nexus userMakeMark , uuid:" << uuid;
    if (m_chatWidget)
        m_chatWidget->OnAddNewMarkItem(uuid);
}

void Nexus::OnDeleteMarkItem(const QString& uuid)
{
    if (IsTornDown())
        return;
    qDebug() << "into nexus userDelMark , uuid:" << uuid;
    if (m_chatWidget)
        m_chatWidget->OnDelMarkItem(uuid);
}

void Nexus::OnRendMarkList()
{
    if (!IsTornDown() && m_chatWidget)
        m_chatWidget->OnRenderMarkList();
}

void Nexus::CleanUp()
{
    m_dataPrepPhase = 0;
}

void Nexus::OnUpdateLoginProgress(int phase)
{
    if (IsTornDown())
        return;
    qDebug() << "nexus thread:" << QThread::currentThreadId();
    if (m_mainWindow)
        emit m_mainWindow->UpdateLoginProgress(phase);
}

void Nexus::OnRendLoadingMsg(QString text)
{
    if (!IsTornDown() && m_loadingUI && !m_loadingUI->isHidden())
        m_loadingUI->OnRendLoadingMsg(text);
}

void Nexus::UpdateLoadingValue(int value)
{
    if (!OnGuiThread()) {
        // The session worker reports progress too; widgets are the GUI
        // thread's business.
        QMetaObject::invokeMethod(
            this, [this, value] { UpdateLoadingValue(value); }, Qt::QueuedConnection);
        return;
    }
    if (!IsTornDown() && m_loadingUI && !m_loadingUI->isHidden())
        emit m_loadingUI->ValueChanged(value);
}

void Nexus::UpdateLoadingFailValue(QString text)
{
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { UpdateLoadingFailValue(text); }, Qt::QueuedConnection);
        return;
    }
    if (IsTornDown())
        return;
    OnUpdateLoginProgress(64);
    // The failure screen has just been shown by the phase switch; the reason
    // goes to it whatever its state, or it would stay blank.
    if (m_loadingFailUI)
        emit m_loadingFailUI->ValueChanged(text);
}

void Nexus::OnUserlistGet()
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnUserlistGet";
    DataManager* data = GetDataManager();
    if (!data || !m_userList)
        return;
    const QMap<int, UserInfo*> users = data->GetUserMap();
    for (UserInfo* user : users)
        m_userList->OnUserLogin(user);
}

void Nexus::OnSchoolsGet()
{
    if (!OnGuiThread()) {
        // Called by the school road in its own thread.
        QMetaObject::invokeMethod(this, &Nexus::OnSchoolsGet, Qt::QueuedConnection);
        return;
    }
    if (!IsTornDown() && m_schoolEntryWidget)
        emit m_schoolEntryWidget->UpdateSchoolItems();
}

void Nexus::OnDownloadCfgFinished()
{
    if (IsTornDown() || !m_mainWindow)
        return;
    if (NewLoginWidget* login = m_mainWindow->GetLoginWidget())
        login->OnDownloadCfgFinished();
}

void Nexus::OnActionStatusChanged(int value)
{
    if (IsTornDown())
        return;
    qDebug() << "Nexus::OnActionStatusChanged value:" << value;
    if (m_menuBar)
        m_menuBar->UpdateUIByStates(value);
    if (m_chatWidget)
        m_chatWidget->UpdateUIByStates();
}

void Nexus::PermissionChanged(int value)
{
    // Outside a class 0 is only the room's reset; inside one it is the last
    // right withdrawn, which the bar, the camera, the microphone and the
    // chat must follow like any other change.
    if (IsTornDown() || (value == 0 && GetDataPrepPhase() != 3))
        return;
    qDebug() << "Nexus::PermissionChanged value:" << value;
    DataManager* data = GetDataManager();
    if (!data)
        return;
    if (m_menuBar) {
        emit m_menuBar->UpdateUIByPermission(value);
        m_menuBar->SetupLayout(m_mainWindow);
    }
    // Puts the laser away too, palette shown or not.
    if (!(value & 128) && m_whiteBoardWidget)
        m_whiteBoardWidget->OnWhiteboardRightLost();
    if (!(value & 4)) {
        if (m_player)
            emit m_player->CamaraClosed(data->GetUserId());
        emit data->LocalCameraStatusNofity(2);
    }
    if (!(value & 1) && data->IsMicrophoneOn())
        emit data->LocalMicropStatusNofity(2);
    if (m_chatWidget)
        m_chatWidget->UpdateUIByPermission(value);
}

void Nexus::OnGetAllUserCameraStatus()
{
    if (IsTornDown())
        return;
    DataManager* data = GetDataManager();
    if (!data || !m_player)
        return;
    bool anyCamera = false;
    const QMap<int, UserInfo*> users = data->GetUserMap();
    for (UserInfo* user : users) {
        if (user->GetActionStatus() & 4) {
            anyCamera = true;
            emit m_player->CameraStatusChanged(user);
        }
    }
    if (!anyCamera)
        emit m_player->ShowTeacherInfo();
}

void Nexus::OnDownloadFinish(int type, QString key)
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnDownloadFinish, type:" << type << ",key:" << key;
    switch (type) {
    case DownloadMemberAvatar:
        if (m_userList)
            m_userList->OnDownloadFinished(key);
        break;
    case DownloadCoursePage:
        if (m_presentationList)
            m_presentationList->OnDownloadFinished(key);
        break;
    case DownloadOwnAvatar:
        if (m_schoolEntryWidget)
            m_schoolEntryWidget->OnAvatarDownloadFinished(key);
        break;
    case DownloadCourseListImage:
        if (m_schoolList)
            m_schoolList->OnImageDownloadFinished(key);
        break;
    case DownloadHistoryListImage:
        if (m_hisSchoolList)
            m_hisSchoolList->OnImageDownloadFinished(key);
        break;
    case DownloadChatSmallImage:
    case DownloadChatFullImage:
        if (m_chatWidget)
            m_chatWidget->OnDownloadImageSuccess(type, key);
        break;
    case DownloadServerProperties:
        if (DataManager* data = GetDataManager())
            data->OnDownloadServConfigSuccess();
        break;
    case DownloadTeacherAvatar:
        if (m_player && m_player->GetTeacherInfo())
            m_player->GetTeacherInfo()->OnDownloadFinished();
        break;
    default:
        break;
    }
}

void Nexus::OnDownloadFailed(int type, QString key)
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnDownloadFailed, type:" << type << ",key:" << key;
    if (type == DownloadCoursePage && m_presentationList)
        m_presentationList->OnDownloadFailed(key);
    if (type == DownloadChatSmallImage && m_chatWidget)
        m_chatWidget->OnDownloadImageFailed(key);
}

// Cards of the upcoming list are built all at once; beyond this many the
// page would only grow slow, so the rest stay out (and the log says so).
static const int kMaxUpcomingCards = 500;

void Nexus::OnSchoolListGet()
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnSchoolListGet";
    if (m_schoolEntryWidget && m_schoolEntryWidget->GetSchoolListType() != SchoolEntryWidget::ListUpcoming) {
        qDebug() << "into Nexus::OnSchoolListGet, and current schoolList type is history list";
        return;
    }
    DataManager* data = GetDataManager();
    if (!data || !m_schoolList) {
        qDebug() << "into Nexus::OnSchoolListGet, check failed";
        return;
    }
    m_schoolList->ClearItems();
    CourseCards::Context context;
    context.now = QDateTime::currentSecsSinceEpoch();
    context.role = data->GetRoomFields().m_dwSchoolRole;
    context.teacherHistory = m_profile && !m_profile->GetUrl(ClassServerProperty::TeacherHistory).isEmpty();
    context.siteHost = CourseCards::SiteHost();
    // A copy of the list; its objects outlive this slot (rule 3).
    const QList<SchoolInfo*> sessions = data->GetCurrentSessions();
    if (sessions.size() > kMaxUpcomingCards)
        qWarning() << "into Nexus::OnSchoolListGet, showing the first" << kMaxUpcomingCards << "of" << sessions.size();
    for (int i = 0; i < sessions.size() && i < kMaxUpcomingCards; ++i) {
        SchoolItem* card = m_schoolList->TakeCard();
        CourseCards::FillUpcoming(card, *sessions.at(i), i == 0, context);
        m_schoolList->AddItem(card);
    }
    m_schoolList->OnUpdateUI(m_schoolEntryWidget ? m_schoolEntryWidget->GetListFrame() : nullptr);
}

void Nexus::OnHistorySchoolListGet()
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnHistorySchoolListGet";
    if (m_schoolEntryWidget && m_schoolEntryWidget->GetSchoolListType() != SchoolEntryWidget::ListHistory) {
        qDebug() << "into Nexus::OnSchoolListGet, and current schoolList type is normal list";
        return;
    }
    DataManager* data = GetDataManager();
    if (!data || !m_hisSchoolList) {
        qDebug() << "into Nexus::OnHistorySchoolListGet, check failed";
        return;
    }
    const QList<SchoolInfo*> sessions = data->GetHistorySessions();
    if (sessions.isEmpty()) {
        qDebug() << "into Nexus::OnHistorySchoolListGet, pInfo count 0";
        return;
    }
    m_hisSchoolList->ClearItems();
    const int stored = m_profile ? m_profile->GetCoursesPerHistoryPage() : 0;
    const int perPage = stored > 0 ? stored : 15;
    const int pageCount = (sessions.size() + perPage - 1) / perPage;
    SetHistoryCoursePageCount(pageCount);
    if (pageCount > 1 && m_schoolEntryWidget) {
        m_schoolEntryWidget->CreateBtns4HistoryCourseList(pageCount);
        qDebug() << "into Nexus::OnHistorySchoolListGet, call CreateBtns4HistoryCourseList";
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 page = m_historyCoursePage.load();
    const qint64 first = perPage * (page - 1);
    for (qint64 i = qMax<qint64>(first, 0); i < perPage * page && i < sessions.size(); ++i) {
        HisSchoolItem* card = m_hisSchoolList->TakeCard();
        CourseCards::FillHistory(card, *sessions.at(int(i)), now);
        m_hisSchoolList->AddItem(card);
    }
    m_hisSchoolList->OnUpdateUI(m_schoolEntryWidget ? m_schoolEntryWidget->GetListFrame() : nullptr);
}

void Nexus::OnCourseWareGet()
{
    if (IsTornDown())
        return;
    DataManager* data = GetDataManager();
    const QList<CourseWareInfo*> pages = data ? data->GetCourseWareList() : QList<CourseWareInfo*>();
    qDebug() << "\n--- enter Nexus::OnCourseWareGet, and list count:" << pages.size();
    if (m_presentationList) {
        const QString current = data ? data->GetRoomFields().m_strCurrPresentationId : QString();
        int number = 0;
        for (CourseWareInfo* page : pages) {
            qDebug() << "for  Nexus::OnCourseWareGet item";
            auto* item = new PresentationItem(m_presentationList);
            item->SetNumber(++number);
            item->SetImagePath(page->GetHeadPath());
            item->SetPresentationId(page->GetPresentationId());
            m_presentationList->AddItem(item);
            if (!current.isEmpty() && item->GetPresentationId() == current)
                m_presentationList->SetFocusedItem(item);
        }
        m_presentationList->RefreshLayout();
    }
    qDebug() << "--- exit Nexus::OnCourseWareGet\n";
}

void Nexus::OnMeidaListGet()
{
    if (IsTornDown())
        return;
    qDebug() << "into Nexus::OnMeidaListGet";
    DataManager* data = GetDataManager();
    if (!data || !m_qtAvPlayerList)
        return;
    const QString current = data->GetRoomFields().m_strCurrMediaId;
    const QList<MediaInfo*> media = data->GetMediaList();
    int number = 0;
    for (MediaInfo* file : media) {
        auto* item = new QtAvPlayerItem(m_qtAvPlayerList);
        item->SetNumber(++number);
        item->SetMediaId(file->GetMediaId());
        item->SetMediaType(file->GetMediaType());
        item->SetImagePath(QStringLiteral("blank.png"));
        m_qtAvPlayerList->AppendItemWidget(item);
        if (current.isEmpty() || file->GetMediaId() != current || !m_middleArea || m_middleArea->GetAvPlayer())
            continue;
        const bool play = file->GetPlayState() == MediaInfo::Playing;
        m_middleArea->PlayerAdapte(file, play);
        qDebug() << "into Nexus::OnMeidaListGet,pos:" << number << ",play status:" << play;
        m_qtAvPlayerList->SetLastFocusBuddy(item);
        // The row says what the room does; a paused media shows where the
        // room paused it.
        if (play)
            item->SetPlayStatus(QtAvPlayerItem::StatusPlaying);
        else
            m_middleArea->OnSeekPos(file->GetSeekPos(), false);
    }
}
