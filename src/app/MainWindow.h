#pragma once

#include "CFramelessWindow.h"

#include <QRect>
#include <QSize>
#include <QSystemTrayIcon>
#include <memory>

class BottomArea;
class HelpWidget;
class KeyHook;
class LeftArea;
class LoadingFailUI;
class LoadingUI;
class MiddleArea;
class NewLoginWidget;
class QAction;
class QMenu;
class QTimer;
class RightArea;
class RightMiddleArea;
class RoomEntryWidget;
class SchoolEntryWidget;
class TeacherFeedBack;
class TitleBar;
class TopArea;
class UserFeedBack;
class UserGuideWidget;

// The program's one main window. It holds every screen and shows those of the
// current login phase: 2 logged in, 4 (stored only), 8 entering a room from a
// course card, 16 entering by classroom password, 32 room data ready, 64 room
// loading failed, 128 back to the course list, 256 back to the course list
// from the failure screen. It lays the class room out at any size, owns the
// tray icon and the hold-Alt keyboard hook, and runs the roads out of a class
// room (exit, also taken on removal, and refresh) and out of the program.
//
// GUI thread only; requests to the workers leave as queued signals.
class MainWindow : public CFramelessWindow
{
    Q_OBJECT

public:
    static constexpr int kTopHeight = 40;
    static constexpr int kNormalWidth = 1000;
    static constexpr int kNormalHeight = 640;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Registers the window and its screens with the hub; run after
    // construction and again at the end of the refresh road.
    void RegisterToNexus();
    // Second set-up step: layout timer, desktop area, tray, login window.
    void SecondSetup();

    // The maximised state the window emulates; the title bar shows restore
    // while it is set.
    bool GetMaxFlag() const { return m_maxFlag; }
    // The default screen's available area, captured at the second set-up.
    QRect GetAvailableArea() const { return m_availableArea; }
    bool IsKeyHookInstalled() const;

    TopArea* GetTopArea() const { return m_topArea; }
    TitleBar* GetTitleBar() const;
    // The class room's panels, built on first use (GUI thread only).
    BottomArea* GetBottomArea();
    MiddleArea* GetMiddleArea();
    LeftArea* GetLeftArea();
    RightArea* GetRightArea();
    RightMiddleArea* GetRightMiddleArea();
    // Builds the class room's panels and registers them with the hub, once:
    // the login window and the course list do without them, and a user
    // who never enters a room never pays for them.
    void BuildRoomScreens();
    bool HasRoomScreens() const { return m_rightMiddleArea != nullptr; }
    LoadingUI* GetLoadingUI() const { return m_loadingUI; }
    LoadingFailUI* GetLoadingFailUI() const { return m_loadingFailUI; }
    NewLoginWidget* GetLoginWidget() const { return m_loginWidget; }
    RoomEntryWidget* GetRoomEntryWidget() const { return m_roomEntryWidget; }
    SchoolEntryWidget* GetSchoolEntryWidget() const { return m_schoolEntryWidget; }
    UserFeedBack* GetUserFeedBack() const { return m_userFeedBack; }
    TeacherFeedBack* GetTeacherFeedBack() const { return m_teacherFeedBack; }
    UserGuideWidget* GetUserGuideWidget() const { return m_userGuideWidget; }
    HelpWidget* GetHelpWidget() const { return m_helpWidget; }
    QSystemTrayIcon* GetTrayIcon() const { return m_trayIcon; }
    QMenu* GetTrayMenu() const { return m_trayMenu; }

    // The window size at the last completed layout; 0 forces the next one.
    int m_dwMainWinWidth = 0;
    int m_dwMainWinHeight = 0;

signals:
    void UpdateLoginProgress(int phase);
    void LayoutRefresh();
    void Exit();
    void CleanUp();
    void UnRegisterKeyHook();
    void RenderUserGuide();

public slots:
    void SetupLayout();
    void OnLayoutRefresh();
    void OnCleanUp();
    void OnExit();
    void OnKickOut();
    void OnLoginProgress(int phase);
    void OnMainWindowHide();
    void maxRestoreSlot();
    void OnRegisterKeyHook();
    void OnUnRegisterKeyHook();
    void OnTitleBarDouClicked();
    void OnRenderUserGuide();
    void onSystemTrayIconClicked(QSystemTrayIcon::ActivationReason reason);
    void OnActionOpenTriggered();
    void OnActionQuitTriggered();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildTray();
    void HideRoomPanels();
    void RegisterRoomScreens();
    // Takes the loading screen out of the window, emptied for the next entry.
    void CloseLoadingScreen();
    // The failure screen below the title bar, with the help pointer on it.
    void ShowFailureScreen();
    // What both roads out of a class room begin with.
    void LeaveRoom();
    void ShowCourseHome();
    // Drops the cache folders of the data folder once the transfer worker
    // has stopped writing into them.
    void RemoveCacheFolders();
    void OnAltKey(bool down);

    // Each a screen of its own, built without parent and placed into the
    // window when laid out; deleted by the destructor in reverse order. The
    // room's panels (bottom to right middle) wait for BuildRoomScreens.
    TopArea* m_topArea = nullptr;
    BottomArea* m_bottomArea = nullptr;
    MiddleArea* m_middleArea = nullptr;
    LeftArea* m_leftArea = nullptr;
    RightArea* m_rightArea = nullptr;
    RightMiddleArea* m_rightMiddleArea = nullptr;
    LoadingUI* m_loadingUI = nullptr;
    LoadingFailUI* m_loadingFailUI = nullptr;
    NewLoginWidget* m_loginWidget = nullptr;
    RoomEntryWidget* m_roomEntryWidget = nullptr;
    SchoolEntryWidget* m_schoolEntryWidget = nullptr;
    UserFeedBack* m_userFeedBack = nullptr;
    TeacherFeedBack* m_teacherFeedBack = nullptr;
    UserGuideWidget* m_userGuideWidget = nullptr;
    HelpWidget* m_helpWidget = nullptr;

    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayMenu = nullptr;
    QAction* m_actionOpen = nullptr;
    QAction* m_actionQuit = nullptr;

    bool m_maxFlag = false;
    QRect m_availableArea;
    // The least size to bring back when a maximised window that was made
    // smaller to fit its screen is restored.
    QSize m_normalMinimum;
    bool m_quitting = false;
    bool m_buildingRoom = false;
    QTimer* m_layoutTimer = nullptr;
    std::unique_ptr<KeyHook> m_keyHook;
};
