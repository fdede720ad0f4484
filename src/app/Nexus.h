#pragma once

#include <QObject>
#include <QString>
#include <atomic>

class ChatWidget;
class DataManager;
class DeamonThreadMgr;
class DownldManager;
class HisSchoolList;
class LeftArea;
class LoadingFailUI;
class LoadingUI;
class MainWindow;
class MenuBar;
class MiddleArea;
class PaletteWidget;
class Player;
class PresentationList;
class Profile;
class QtAvPlayerList;
class RightArea;
class RightMiddleArea;
class SchoolEntryWidget;
class SchoolList;
class TopArea;
class UserInfo;
class UserList;
class WhiteBoardWidget;

// The process-wide hub. No part keeps a pointer to another: each asks the hub
// at every use. The hub owns the Profile, knows the screens the main window
// registered, and relays results from the workers to the screens.
//
// The hub lives in the GUI thread. Worker threads only emit its signals
// (queued into the GUI thread) and call its getters, which read pointers set
// before the threads started. After Teardown every getter returns null and
// nothing creates a new hub.
// A screen pointer registered in the GUI thread and read by every thread.
template <typename T> class Registered
{
public:
    Registered& operator=(T* screen)
    {
        m_screen.store(screen);
        return *this;
    }
    operator T*() const { return m_screen.load(); }
    T* operator->() const { return m_screen.load(); }

private:
    std::atomic<T*> m_screen { nullptr };
};

class Nexus : public QObject
{
    Q_OBJECT

public:
    // The hub, created on first use in the GUI thread; null after Teardown.
    static Nexus* Instance();
    // Registers the meta types that cross threads and creates the Profile
    // with its threads and workers. Called once by main.
    static void Startup();
    // Restores the playback volume when one was saved, then deletes the hub
    // (and with it the Profile, which stops the worker threads).
    static void Teardown();
    // True from the start of Teardown on.
    static bool IsTornDown();

    // GUI thread object.
    static Profile* GetProfile();
    // Worker objects: each lives in its own thread; null without a Profile
    // and once its thread has stopped.
    static DataManager* GetDataManager();
    static DownldManager* GetDownldManager();
    static DeamonThreadMgr* GetDeamonThreadMgr();

    // Data-preparation mask: bit 1 user list, bit 2 courseware list.
    static int GetDataPrepPhase();
    static int GetHistoryCoursePage();
    static void SetHistoryCoursePage(int page);
    static int GetHistoryCoursePageCount();
    static void SetHistoryCoursePageCount(int count);
    // True while the course list is shown (login phase 2, 128 or 256).
    static bool IsOutOfClassroom();
    // The profile's picture folder of the display scale; "x1" without one.
    static QString GetScaleFolder();

    // Screens registered by the main window; all GUI thread objects, null
    // before registration. The class room's screens are built when first
    // asked for in the GUI thread; other threads see null until then.
    static MainWindow* GetMainWindow();
    static void SetMainWindow(MainWindow* window);
    static MiddleArea* GetMiddleArea();
    static void SetMiddleArea(MiddleArea* area);
    static PresentationList* GetPresentationList();
    static void SetPresentationList(PresentationList* list);
    static QtAvPlayerList* GetQtAvPlayerList();
    static void SetQtAvPlayerList(QtAvPlayerList* list);
    static SchoolEntryWidget* GetSchoolEntryWidget();
    static void SetSchoolEntryWidget(SchoolEntryWidget* widget);
    static SchoolList* GetSchoolList();
    static void SetSchoolList(SchoolList* list);
    static HisSchoolList* GetHisSchoolList();
    static void SetHisSchoolList(HisSchoolList* list);
    static MenuBar* GetMenuBar();
    static void SetMenuBar(MenuBar* bar);
    static Player* GetPlayer();
    static void SetPlayer(Player* player);
    static TopArea* GetTopArea();
    static void SetTopArea(TopArea* area);
    static LeftArea* GetLeftArea();
    static void SetLeftArea(LeftArea* area);
    static RightArea* GetRightArea();
    static void SetRightArea(RightArea* area);
    static RightMiddleArea* GetRightMiddleArea();
    static void SetRightMiddleArea(RightMiddleArea* area);
    static WhiteBoardWidget* GetWhiteBoardWidget();
    static void SetWhiteBoardWidget(WhiteBoardWidget* widget);
    static ChatWidget* GetChatWidget();
    static void SetChatWidget(ChatWidget* widget);
    static PaletteWidget* GetPaletteWidget();
    static void SetPaletteWidget(PaletteWidget* widget);
    static void SetLoadingUI(LoadingUI* screen);
    static void SetLoadingFailUI(LoadingFailUI* screen);
    static UserList* GetUserList();
    static void SetUserList(UserList* list);

signals:
    void UpdateDataPrepPhase(int value);
    void LocalRefresh();
    void SchoolListGet();
    void HistorySchoolListGet();
    void UpdateLoginProgress(int phase);
    void GetAllUserCameraStatus();
    void DownloadFinish(int type, QString key);
    void DownloadFailed(int type, QString key);
    void RendLoadingMsg(QString text);
    void DownloadCfgFinished();
    void AddNewMarkItem(QString uuid);
    void DeleteMarkItem(QString uuid);
    void RendMarkList();
    void SelfLogin(UserInfo* user);
    void NewUserLogin(UserInfo* user);
    // The engine took another microphone: whatever meters it follows.
    void MicrophoneChosen();

public slots:
    void OnDownloadCfgFinished();
    void OnUpdateLoginProgress(int phase);
    void CleanUp();
    void OnRendLoadingMsg(QString text);
    void UpdateLoadingValue(int value);
    void UpdateLoadingFailValue(QString text);
    void OnUserlistGet();
    void OnSchoolListGet();
    void OnHistorySchoolListGet();
    void OnSchoolsGet();
    void OnCourseWareGet();
    void OnMeidaListGet();
    void OnDataPrepPhase(int value);
    void OnActionStatusChanged(int value);
    void PermissionChanged(int value);
    void OnGetAllUserCameraStatus();
    void OnDownloadFinish(int type, QString key);
    void OnDownloadFailed(int type, QString key);

private:
    Nexus();
    ~Nexus() override;

    void OnSelfLogin(UserInfo* user);
    void OnAddNewMarkItem(const QString& uuid);
    void OnDeleteMarkItem(const QString& uuid);
    void OnRendMarkList();
    void OnNewUserLogin(UserInfo* user);

    // Read by the session worker too, hence atomic.
    std::atomic<int> m_dataPrepPhase { 0 };
    std::atomic<int> m_historyCoursePage { 0 };
    std::atomic<int> m_historyCoursePageCount { 0 };

    // Builds the class room's screens on first need; GUI thread only.
    void BuildRoomScreens();

    Profile* m_profile = nullptr;
    Registered<MainWindow> m_mainWindow;
    Registered<MiddleArea> m_middleArea;
    Registered<PresentationList> m_presentationList;
    Registered<QtAvPlayerList> m_qtAvPlayerList;
    Registered<SchoolEntryWidget> m_schoolEntryWidget;
    Registered<SchoolList> m_schoolList;
    Registered<HisSchoolList> m_hisSchoolList;
    Registered<MenuBar> m_menuBar;
    Registered<Player> m_player;
    Registered<TopArea> m_topArea;
    Registered<LeftArea> m_leftArea;
    Registered<RightArea> m_rightArea;
    Registered<RightMiddleArea> m_rightMiddleArea;
    Registered<WhiteBoardWidget> m_whiteBoardWidget;
    Registered<ChatWidget> m_chatWidget;
    Registered<PaletteWidget> m_paletteWidget;
    Registered<LoadingUI> m_loadingUI;
    Registered<LoadingFailUI> m_loadingFailUI;
    Registered<UserList> m_userList;
};
