#include "MainWindow.h"

#include "AppResources.h"
#include "DoubleClickLabel.h"
#include "DownldManager.h"
#include "ExitFeedback.h"
#include "Nexus.h"
#include "Profile.h"
#include "TitleBar.h"
#include "TopArea.h"
#include "entry/HelpWidget.h"
#include "entry/NewLoginWidget.h"
#include "entry/RoomEntryWidget.h"
#include "entry/SchoolEntryWidget.h"
#include "entry/TeacherFeedBack.h"
#include "entry/UserFeedBack.h"
#include "entry/UserGuideWidget.h"
#include "platform/KeyHook.h"
#include "room/BottomArea.h"
#include "room/LeftArea.h"
#include "room/LoadingFailUI.h"
#include "room/LoadingUI.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "rtc/DeamonThreadMgr.h"
#include "rtc/Player.h"
#include "session/DataManager.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QMenu>
#include <QPixmapCache>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace {

void DetachAndHide(QWidget* screen)
{
    screen->hide();
    if (screen->parentWidget())
        screen->setParent(nullptr);
}

QRect DefaultAvailableArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, MainWindow::kNormalWidth, MainWindow::kNormalHeight);
}

// Centred in area; where the window is larger than the area it starts at
// the area's left or top edge, so its title bar and buttons stay on screen.
QPoint CentredIn(const QRect& area, const QSize& size)
{
    const auto axis
        = [](int start, int room, int length) { return length >= room ? start : start + (room - length) / 2; };
    return QPoint(axis(area.x(), area.width(), size.width()), axis(area.y(), area.height(), size.height()));
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : CFramelessWindow(parent)
    , m_topArea(new TopArea())
    , m_loadingUI(new LoadingUI())
    , m_loadingFailUI(new LoadingFailUI())
    , m_loginWidget(new NewLoginWidget())
    , m_roomEntryWidget(new RoomEntryWidget())
    , m_schoolEntryWidget(new SchoolEntryWidget())
    , m_userFeedBack(new UserFeedBack())
    , m_teacherFeedBack(new TeacherFeedBack())
    , m_userGuideWidget(new UserGuideWidget())
    , m_helpWidget(new HelpWidget())
    , m_layoutTimer(new QTimer(this))
{
    AppResources::Init();
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("普罗维客户端"));
    setStyleSheet(QStringLiteral("#MainWindow{background:#f7f7f7;}"));
    resize(kNormalWidth, kNormalHeight);
    SetResizeBorderWidth(2);

    TitleBar* bar = m_topArea->GetTitleBar();
    RegisterTitleBar(bar);
    AddNonDragWidget(bar->GetTitleLabel());
    AddNonDragWidget(bar->GetLogoLabel());
    AddNonDragWidget(bar->GetLineLabel());

    connect(this, &MainWindow::UpdateLoginProgress, this, &MainWindow::OnLoginProgress);
    connect(this, &MainWindow::LayoutRefresh, this, &MainWindow::OnLayoutRefresh);
    connect(this, &MainWindow::Exit, this, &MainWindow::OnExit);
    connect(this, &MainWindow::UnRegisterKeyHook, this, &MainWindow::OnUnRegisterKeyHook);
    connect(this, &MainWindow::CleanUp, this, &MainWindow::OnCleanUp);
    connect(this, &MainWindow::RenderUserGuide, this, &MainWindow::OnRenderUserGuide);
    connect(bar->GetCloseButton(), &QPushButton::clicked, this, &QWidget::close);
    connect(bar->GetMaxButton(), &QPushButton::clicked, this, &MainWindow::maxRestoreSlot);
    connect(bar->GetMinButton(), &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(bar, &TitleBar::doubleClicked, this, &MainWindow::OnTitleBarDouClicked);
    connect(bar->GetTitleLabel(), &DoubleClickLabel::doubleClicked, this, &MainWindow::OnTitleBarDouClicked);
}

MainWindow::~MainWindow()
{
    // The hub goes first: deleting it stops the worker threads, which may
    // still reach the screens through it.
    Nexus::Teardown();
    m_keyHook.reset();
    delete m_trayIcon;
    delete m_trayMenu;
    // Several screens now live inside the window and some re-parent their
    // own children into it, so each goes here, newest first (the room's
    // panels are the newest), while every one of them still exists.
    delete m_rightMiddleArea;
    delete m_rightArea;
    delete m_leftArea;
    delete m_middleArea;
    delete m_bottomArea;
    delete m_helpWidget;
    delete m_userGuideWidget;
    delete m_teacherFeedBack;
    delete m_userFeedBack;
    delete m_schoolEntryWidget;
    delete m_roomEntryWidget;
    delete m_loginWidget;
    delete m_loadingFailUI;
    delete m_loadingUI;
    delete m_topArea;
}

TitleBar* MainWindow::GetTitleBar() const
{
    return m_topArea ? m_topArea->GetTitleBar() : nullptr;
}

bool MainWindow::IsKeyHookInstalled() const
{
    return m_keyHook && m_keyHook->isInstalled();
}

void MainWindow::RegisterToNexus()
{
    Nexus::SetMainWindow(this);
    Nexus::SetLoadingUI(m_loadingUI);
    Nexus::SetLoadingFailUI(m_loadingFailUI);
    Nexus::SetSchoolEntryWidget(m_schoolEntryWidget);
    Nexus::SetSchoolList(m_schoolEntryWidget->GetSchoolList());
    Nexus::SetHisSchoolList(m_schoolEntryWidget->GetHisSchoolList());
    Nexus::SetTopArea(m_topArea);
    if (HasRoomScreens())
        RegisterRoomScreens();
}

void MainWindow::BuildRoomScreens()
{
    if (HasRoomScreens() || m_buildingRoom)
        return;
    // The panels' constructors may ask the hub for each other; they find
    // none yet, as when all screens were built before registering.
    m_buildingRoom = true;
    m_bottomArea = new BottomArea();
    m_middleArea = new MiddleArea();
    m_leftArea = new LeftArea();
    m_rightArea = new RightArea();
    m_rightMiddleArea = new RightMiddleArea();
    m_buildingRoom = false;
    HideRoomPanels();
    RegisterRoomScreens();
}

BottomArea* MainWindow::GetBottomArea()
{
    BuildRoomScreens();
    return m_bottomArea;
}

MiddleArea* MainWindow::GetMiddleArea()
{
    BuildRoomScreens();
    return m_middleArea;
}

LeftArea* MainWindow::GetLeftArea()
{
    BuildRoomScreens();
    return m_leftArea;
}

RightArea* MainWindow::GetRightArea()
{
    BuildRoomScreens();
    return m_rightArea;
}

RightMiddleArea* MainWindow::GetRightMiddleArea()
{
    BuildRoomScreens();
    return m_rightMiddleArea;
}

void MainWindow::RegisterRoomScreens()
{
    Nexus::SetLeftArea(m_leftArea);
    Nexus::SetMiddleArea(m_middleArea);
    Nexus::SetPresentationList(m_middleArea->GetPresentationList());
    Nexus::SetQtAvPlayerList(m_middleArea->GetQtAvPlayerList());
    Nexus::SetWhiteBoardWidget(m_middleArea->GetWhiteBoardWidget());
    Nexus::SetPaletteWidget(m_middleArea->GetPaletteWidget());
    Nexus::SetPlayer(m_rightArea->GetPlayer());
    Nexus::SetRightArea(m_rightArea);
    Nexus::SetRightMiddleArea(m_rightMiddleArea);
    Nexus::SetChatWidget(m_rightArea->GetChatWidget());
    Nexus::SetMenuBar(m_bottomArea->GetMenuBar());
    Nexus::SetUserList(m_leftArea->GetUserList());
}

void MainWindow::SecondSetup()
{
    connect(m_layoutTimer, &QTimer::timeout, this, &MainWindow::SetupLayout, Qt::UniqueConnection);
    m_maxFlag = false;
    m_availableArea = DefaultAvailableArea();
    BuildTray();
    m_loginWidget->ShowLogin();
    m_loginWidget->SetMainWindow(this);
}

void MainWindow::BuildTray()
{
    if (m_trayIcon)
        return;
    m_trayMenu = new QMenu();
    m_actionOpen = m_trayMenu->addAction(QStringLiteral("打开主界面"));
    m_trayMenu->addSeparator();
    m_actionQuit = m_trayMenu->addAction(QStringLiteral("退出"));
    connect(m_actionOpen, &QAction::triggered, this, &MainWindow::OnActionOpenTriggered);
    connect(m_actionQuit, &QAction::triggered, this, &MainWindow::OnActionQuitTriggered);

    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/resource/others/dravona.ico")));
    m_trayIcon->setToolTip(QStringLiteral("普罗维客户端"));
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onSystemTrayIconClicked);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_trayIcon->show();
    else
        qDebug() << "no system tray on this desktop, the main window is reached through its task bar entry";
}

void MainWindow::onSystemTrayIconClicked(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
        OnActionOpenTriggered();
        break;
    default:
        break;
    }
}

void MainWindow::OnActionOpenTriggered()
{
    // Before the login the login window is the program's face; the main
    // window stays hidden until the login has shown it.
    if (m_loginWidget->isVisible()) {
        m_loginWidget->raise();
        m_loginWidget->activateWindow();
        return;
    }
    if (isHidden())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::OnActionQuitTriggered()
{
    if (m_trayIcon)
        m_trayIcon->hide();
    m_quitting = true;
    if (DataManager* data = Nexus::GetDataManager())
        emit data->SendUserLogoutMsg(1);
    OnExit();
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    qDebug() << "into closeEvent";
    if (m_quitting) {
        event->accept();
        // Other windows, such as the login window, may still be open, so
        // the last-window rule alone would not end the program.
        QCoreApplication::quit();
        return;
    }
    if (m_userFeedBack->isVisible() || m_teacherFeedBack->isVisible()) {
        event->ignore();
        return;
    }
    if (Nexus::GetDataPrepPhase() == 3)
        ExitFeedback::Run(this);
    if (m_trayIcon)
        m_trayIcon->hide();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->SendUserLogoutMsg(1);
    // The others see this user leave the channel now, not when the process
    // has gone; without the room's panels no channel was joined.
    Player* player = HasRoomScreens() ? Nexus::GetPlayer() : nullptr;
    if (player)
        player->LeaveChannel();
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    CFramelessWindow::resizeEvent(event);
    const QSize size = event->size();
    qDebug() << "into MainWindow::resizeEvent, width:" << size.width() << ",height:" << size.height()
             << ",m_dwMainWinWidth:" << m_dwMainWinWidth << ",m_dwMainWinHeight:" << m_dwMainWinHeight;
    if (size.width() != m_dwMainWinWidth || size.height() != m_dwMainWinHeight)
        SetupLayout();
}

void MainWindow::SetupLayout()
{
    if (!isVisible())
        return;
    qDebug() << "into MainWindow::SetupLayout";
    if (width() == m_dwMainWinWidth && height() == m_dwMainWinHeight) {
        qDebug() << "into MainWindow::SetupLayout width and height is same and no change";
    } else {
        m_topArea->SetupLayout(this);
        if (m_loginWidget->isVisible()) {
            m_loginWidget->ShowLogin();
        } else if (m_loadingFailUI->isVisible()) {
            ShowFailureScreen();
        } else if (m_loadingUI->isVisible()) {
            // The loading screen follows the window as well, or it would
            // stay at its old size while a room is entered.
            m_loadingUI->SetupLayout(this, kTopHeight);
        } else if (!m_schoolEntryWidget->isVisible()) {
            if (Nexus::GetDataPrepPhase() != 3)
                return;
            BuildRoomScreens();
            m_leftArea->SetupLayout(this);
            m_middleArea->SetupLayout(this);
            m_rightArea->SetupLayout(this);
            m_rightMiddleArea->SetupLayout(this);
            m_bottomArea->SetupLayout(this);
            show();
        } else {
            m_schoolEntryWidget->SetupLayout(this, kTopHeight);
        }
        m_dwMainWinWidth = width();
        m_dwMainWinHeight = height();
    }
    if (m_layoutTimer->isActive())
        m_layoutTimer->stop();
}

void MainWindow::OnLayoutRefresh()
{
    BuildRoomScreens();
    m_topArea->SetupLayout(this);
    m_leftArea->SetupLayout(this);
    m_middleArea->SetupLayout(this);
    m_rightArea->SetupLayout(this);
    m_bottomArea->SetupLayout(this);
    m_rightMiddleArea->SetupLayout(this);
    m_dwMainWinWidth = width();
    m_dwMainWinHeight = height();
    show();
}

void MainWindow::OnLoginProgress(int phase)
{
    qDebug() << "into MainWindow::OnLoginProgress, and phase:" << phase;
    // Ready or failed only ever follow an entry; out of the class room they
    // come from an entry the user has left, which must neither cover the
    // course list nor start the entry again.
    if ((phase == 32 || phase == 64) && Nexus::IsOutOfClassroom()) {
        qDebug() << "into MainWindow::OnLoginProgress, the room was left and the phase is dropped";
        return;
    }
    Profile* profile = Nexus::GetProfile();
    if (profile)
        profile->SetLoginPhase(phase);
    HideRoomPanels();
    m_topArea->SetupLayout(this);

    DataManager* data = Nexus::GetDataManager();
    switch (phase) {
    case 2: {
        m_loginWidget->hide();
        resize(kNormalWidth, kNormalHeight);
        move(CentredIn(DefaultAvailableArea(), size()));
        show();
        m_topArea->SetupLayout(this);
        m_schoolEntryWidget->SetupLayout(this, kTopHeight);
        if (data)
            emit data->ParallelShoolInfoRequest(data->GetSchoolId());
        break;
    }
    case 16:
        m_roomEntryWidget->hide();
        Q_FALLTHROUGH();
    case 8:
        // The room's panels are made as a room is first entered, before its
        // data come.
        BuildRoomScreens();
        DetachAndHide(m_schoolEntryWidget);
        if (profile && profile->GetReEntryFlag()) {
            profile->SetReEntryFlag(false);
            profile->EnterRoom();
        } else if (data) {
            emit data->EnterRoom();
        }
        m_loadingUI->SetupLayout(this, kTopHeight);
        break;
    case 32:
        CloseLoadingScreen();
        m_dwMainWinWidth = 0;
        SetupLayout();
        break;
    case 64:
        CloseLoadingScreen();
        if (profile) {
            if (profile->GetReEntryFlag()) {
                profile->SetReEntryFlag(false);
                profile->EnterRoom();
            } else {
                profile->StartThreads();
            }
        }
        ShowFailureScreen();
        break;
    case 256:
        if (profile)
            profile->SetReEntryFlag(true);
        DetachAndHide(m_loadingFailUI);
        Q_FALLTHROUGH();
    case 128:
        m_schoolEntryWidget->SetupLayout(this, kTopHeight);
        break;
    default:
        break;
    }
}

void MainWindow::CloseLoadingScreen()
{
    DetachAndHide(m_loadingUI);
    m_loadingUI->OnRendLoadingMsg(QString());
    m_loadingUI->OnValueChanged(0);
}

void MainWindow::ShowFailureScreen()
{
    m_loadingFailUI->SetupLayout(this, kTopHeight);
    // Goes and comes with the failure screen, as its child.
    m_helpWidget->SetupLayout(m_loadingFailUI);
}

void MainWindow::HideRoomPanels()
{
    if (!HasRoomScreens())
        return;
    m_bottomArea->hide();
    // The tool bar lives in the window itself, not inside its holder.
    m_bottomArea->GetMenuBar()->hide();
    m_middleArea->hide();
    m_leftArea->hide();
    m_rightArea->hide();
    m_rightMiddleArea->hide();
}

void MainWindow::OnMainWindowHide()
{
    HideRoomPanels();
}

// The panels in their order, the logout notice, the hub's room state and
// the transfer queue.
void MainWindow::LeaveRoom()
{
    if (HasRoomScreens()) {
        m_leftArea->OnCleanUp();
        m_middleArea->OnCleanUp();
        m_rightArea->OnCleanUp();
        m_bottomArea->OnCleanUp();
    }
    m_topArea->OnCleanUp();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->SendUserLogoutMsg(1);
    if (Nexus* hub = Nexus::Instance())
        hub->CleanUp();
    if (DownldManager* downloads = Nexus::GetDownldManager())
        emit downloads->CleanUp();
}

void MainWindow::OnCleanUp()
{
    qDebug() << "into MainWindow::OnCleanUp";
    LeaveRoom();
    DataManager* data = Nexus::GetDataManager();
    if (Nexus* hub = Nexus::Instance())
        emit hub->LocalRefresh();
    if (data)
        emit data->CleanUp();
    if (DeamonThreadMgr* daemon = Nexus::GetDeamonThreadMgr())
        emit daemon->Cleanup();
    // The room is entered again: its progress shows as at a first entry,
    // under the title bar.
    CloseLoadingScreen();
    m_topArea->SetupLayout(this);
    m_loadingUI->SetupLayout(this, kTopHeight);
    if (data)
        emit data->EnterRoom();
    QPixmapCache::clear();
    RegisterToNexus();
}

void MainWindow::OnExit()
{
    qDebug() << "into MainWindow::OnExit";
    LeaveRoom();
    if (DeamonThreadMgr* daemon = Nexus::GetDeamonThreadMgr())
        emit daemon->Cleanup();
    if (Profile* profile = Nexus::GetProfile())
        profile->SetReEntryFlag(true);
    if (Nexus* hub = Nexus::Instance())
        emit hub->LocalRefresh();
    if (DataManager* data = Nexus::GetDataManager())
        emit data->CleanUp();
    RemoveCacheFolders();
    // Left while loading or after a failure: the course list is laid out
    // only where neither screen is shown any more.
    CloseLoadingScreen();
    DetachAndHide(m_loadingFailUI);
    if (!m_schoolEntryWidget->isVisible())
        ShowCourseHome();
}

void MainWindow::OnKickOut()
{
    OnExit();
}

void MainWindow::ShowCourseHome()
{
    qDebug() << "into MainWindow::OnLoginProgress, and phase:" << 128;
    if (Profile* profile = Nexus::GetProfile())
        profile->SetLoginPhase(128);
    HideRoomPanels();
    m_topArea->SetupLayout(this);
    m_schoolEntryWidget->SetupLayout(this, kTopHeight);
}

void MainWindow::RemoveCacheFolders()
{
    // Queued behind the transfer worker's clean-up in its own thread, so no
    // transfer still writes into a folder being removed.
    DownldManager* downloads = Nexus::GetDownldManager();
    QThread* thread = downloads ? downloads->thread() : nullptr;
    if (thread && thread->isRunning() && thread != QThread::currentThread())
        QMetaObject::invokeMethod(
            downloads, [] { DataManager::RemoveCacheFolders(); }, Qt::QueuedConnection);
    else
        DataManager::RemoveCacheFolders();
}

void MainWindow::maxRestoreSlot()
{
    const QRect area = m_availableArea.isValid() ? m_availableArea : DefaultAvailableArea();
    if (m_maxFlag) {
        m_maxFlag = false;
        if (m_normalMinimum.isValid())
            setMinimumSize(m_normalMinimum);
        m_normalMinimum = QSize();
        resize(kNormalWidth, kNormalHeight);
        move(CentredIn(area, size()));
    } else {
        m_maxFlag = true;
        // A maximised window fits its screen, also a screen smaller than
        // the window's least size.
        if (minimumWidth() > area.width() || minimumHeight() > area.height()) {
            m_normalMinimum = minimumSize();
            setMinimumSize(qMin(minimumWidth(), area.width()), qMin(minimumHeight(), area.height()));
        }
        resize(area.width(), area.height());
        move(area.topLeft());
    }
    if (TitleBar* bar = GetTitleBar())
        bar->UpdateMaxRestoreButton();
}

void MainWindow::OnTitleBarDouClicked()
{
    maxRestoreSlot();
}

void MainWindow::OnRegisterKeyHook()
{
    if (!m_keyHook)
        m_keyHook = std::make_unique<KeyHook>([this](KeyHook::Key key) { OnAltKey(key == KeyHook::Key::AltDown); });
    m_keyHook->install();
}

void MainWindow::OnUnRegisterKeyHook()
{
    if (!m_keyHook)
        return;
    m_keyHook.reset();
    // Without the hook no release would ever come for a held key.
    OnAltKey(false);
}

void MainWindow::OnAltKey(bool down)
{
    Profile* profile = Nexus::GetProfile();
    if (!profile)
        return;
    MenuBar* bar = Nexus::GetMenuBar();
    if (bar && bar->GetSpeakMode() != MenuBar::SpeakHoldAlt)
        return;
    if (!down && profile->GetAltHeld()) {
        profile->SetAltHeld(false);
        if (bar)
            bar->OnAltKeyRelease();
    } else if (down && !profile->GetAltHeld()) {
        profile->SetAltHeld(true);
        if (bar)
            bar->OnAltKeyPress();
    }
}

void MainWindow::OnRenderUserGuide()
{
    Profile* profile = Nexus::GetProfile();
    DataManager* data = Nexus::GetDataManager();
    if (!profile || !data)
        return;
    const int currentCode = 1;
    const int role = data->GetRoomRole();
    const int storedCode = profile->GetUserGuideCode(role);
    qDebug() << "into OnRenderUserGuide, _userGuideCode:" << storedCode << "currentUserGuideCode:" << currentCode;
    // Only a user who sees the guide has seen it: a guest of another role
    // must not use up the teacher's guide, which shares its stored code.
    if (storedCode >= currentCode || (role != 4 && role < 5))
        return;
    profile->SetUserGuideCode(role, currentCode);
    m_userGuideWidget->SetGuideRole(role == 4 ? 2 : 1);
    m_userGuideWidget->SetupLayout(this);
}
