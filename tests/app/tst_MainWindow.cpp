#include "MainWindowFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "../room/RoomScreens.h"
#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/ExitFeedback.h"
#include "app/TitleBar.h"
#include "app/TopArea.h"
#include "entry/RoomEntryWidget.h"
#include "entry/SchoolEntryWidget.h"
#include "entry/TeacherFeedBack.h"
#include "entry/UserFeedBack.h"
#include "entry/UserGuideWidget.h"
#include "room/BottomArea.h"
#include "room/LeftArea.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "rtc/DeamonThreadMgr.h"
#include "session/DataManager.h"
#include "whiteboard/PresentationList.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

namespace {

// The screens of the window that are on screen now, by short name.
QStringList VisibleScreens(MainWindow* window)
{
    const QList<QPair<QString, QWidget*>> screens {
        { "login", window->GetLoginWidget() },
        { "school", window->GetSchoolEntryWidget() },
        { "loading", window->GetLoadingUI() },
        { "failed", window->GetLoadingFailUI() },
        { "roomEntry", window->GetRoomEntryWidget() },
        { "left", window->GetLeftArea() },
        { "middle", window->GetMiddleArea() },
        { "right", window->GetRightArea() },
        { "menuBar", window->GetBottomArea()->GetMenuBar() },
    };
    QStringList names;
    for (const auto& screen : screens) {
        if (screen.second->isVisible())
            names << screen.first;
    }
    return names;
}

// Records, in order, what the roads out of a class room emit.
class RoadRecorder : public QObject
{
public:
    QStringList events;

    explicit RoadRecorder(MainWindow* window)
    {
        DataManager* data = Nexus::GetDataManager();
        auto note = [this](const QString& name) { return [this, name] { events << name; }; };
        connect(
            data, &DataManager::SendUserLogoutMsg, this,
            [this](int type) { events << QStringLiteral("logout %1").arg(type); }, Qt::DirectConnection);
        connect(data, &DataManager::CleanUp, this, note("session clean-up"), Qt::DirectConnection);
        connect(data, &DataManager::EnterRoom, this, note("enter room"), Qt::DirectConnection);
        connect(
            Nexus::GetDownldManager(), &DownldManager::CleanUp, this, note("transfer clean-up"), Qt::DirectConnection);
        connect(Nexus::GetDeamonThreadMgr(), &DeamonThreadMgr::Cleanup, this, note("device clean-up"),
            Qt::DirectConnection);
        connect(Nexus::Instance(), &Nexus::LocalRefresh, this, note("local refresh"), Qt::DirectConnection);
        connect(window->GetMiddleArea()->GetPresentationList(), &PresentationList::CleanUp, this, note("centre panel"),
            Qt::DirectConnection);
        connect(window->GetBottomArea()->GetMenuBar(), &MenuBar::CleanUp, this, note("tool bar"), Qt::DirectConnection);
    }
};

} // namespace

// Every login phase shows its own screens; a picture of each goes to the
// screenshot folder.
class TestMainWindowPhases : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::Build();
        Nexus::GetDataManager()->SetSchoolId(QStringLiteral("s-42"));
    }
    void cleanupTestCase() { delete m_window; }

    void HiddenUntilTheLogin()
    {
        QVERIFY(!m_window->isVisible());
        QCOMPARE(VisibleScreens(m_window), QStringList({ "login" }));
        QCOMPARE(m_window->GetLoginWidget()->GetMainWindow(), m_window);
        QVERIFY(TestSupport::SaveScreenshot(m_window->GetLoginWidget(), "phase-0-login").endsWith(".png"));

        QSignalSpy schools(Nexus::GetDataManager(), &DataManager::ParallelShoolInfoRequest);
        emit Nexus::Instance()->UpdateLoginProgress(2);
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->size(), QSize(1000, 640));
        QCOMPARE(VisibleScreens(m_window), QStringList({ "school" }));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 2);
        QCOMPARE(m_window->GetSchoolEntryWidget()->geometry(), QRect(0, 40, 1000, 600));
        QVERIFY(m_window->GetTitleBar()->isVisible());
        QCOMPARE(schools.count(), 1);
        QCOMPARE(schools.at(0).at(0).toString(), QString("s-42"));
        TestSupport::SaveScreenshot(m_window, "phase-2-logged-in");
    }

    void EachPhase_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<bool>("reEntry");
        QTest::addColumn<int>("phase");
        QTest::addColumn<QStringList>("screens");
        QTest::addColumn<int>("enterSignals");
        QTest::addColumn<bool>("reEntryAfter");

        QTest::newRow("4 is only stored") << QList<int>() << false << 4 << QStringList({ "school" }) << 0 << false;
        QTest::newRow("8 from a course card") << QList<int>() << false << 8 << QStringList({ "loading" }) << 1 << false;
        QTest::newRow("8 again after leaving a room")
            << QList<int>() << true << 8 << QStringList({ "loading" }) << 0 << false;
        QTest::newRow("16 by classroom password")
            << QList<int>() << false << 16 << QStringList({ "loading" }) << 1 << false;
        QTest::newRow("32 room data ready")
            << QList<int>({ 8 }) << false << 32 << QStringList({ "left", "middle", "right", "menuBar" }) << 1 << false;
        QTest::newRow("64 loading failed")
            << QList<int>({ 8 }) << false << 64 << QStringList({ "failed" }) << 1 << false;
        QTest::newRow("128 back to the course list")
            << QList<int>({ 8, 32 }) << false << 128 << QStringList({ "school" }) << 1 << false;
        QTest::newRow("256 back from the failure screen")
            << QList<int>({ 8, 64 }) << false << 256 << QStringList({ "school" }) << 1 << true;
    }
    void EachPhase()
    {
        QFETCH(QList<int>, before);
        QFETCH(bool, reEntry);
        QFETCH(int, phase);
        QFETCH(QStringList, screens);
        QFETCH(int, enterSignals);
        QFETCH(bool, reEntryAfter);

        MainWindowFixture::BackToCourseHome(m_window);
        Nexus::GetProfile()->SetReEntryFlag(reEntry);
        if (phase == 16)
            m_window->GetRoomEntryWidget()->ShowRoomEntry();
        // Only the main window's requests count: the session itself asks
        // for the entry again once its server choice is over.
        int entered = 0;
        QMetaObject::Connection counting = connect(
            Nexus::GetDataManager(), &DataManager::EnterRoom, this,
            [&entered] {
                if (QThread::currentThread() == qApp->thread())
                    ++entered;
            },
            Qt::DirectConnection);
        auto step = [this](int p) {
            if (p == 32)
                MainWindowFixture::CompleteRoomData();
            else
                emit m_window->UpdateLoginProgress(p);
        };
        for (int p : before)
            step(p);
        step(phase);

        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), phase);
        QCOMPARE(VisibleScreens(m_window), screens);
        disconnect(counting);
        QCOMPARE(entered, enterSignals);
        QCOMPARE(Nexus::GetProfile()->GetReEntryFlag(), reEntryAfter);
        QVERIFY(m_window->GetTitleBar()->isVisible());
        // A screen that was left is out of the window, not just hidden.
        if (!screens.contains("school"))
            QVERIFY(!m_window->GetSchoolEntryWidget()->parentWidget());
        if (phase == 32 || phase == 64) {
            QVERIFY(!m_window->GetLoadingUI()->parentWidget());
            QCOMPARE(m_window->GetLoadingUI()->GetValue(), 0);
            QCOMPARE(m_window->GetLoadingUI()->GetHintText(), QString());
        }
        if (phase == 256)
            QVERIFY(!m_window->GetLoadingFailUI()->parentWidget());
        TestSupport::SaveScreenshot(m_window, QStringLiteral("phase-%1").arg(phase));
    }

    void FailureScreenGetsItsReason()
    {
        MainWindowFixture::BackToCourseHome(m_window);
        emit m_window->UpdateLoginProgress(8);
        Nexus::Instance()->UpdateLoadingFailValue(QStringLiteral("房间不存在"));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 64);
        QCOMPARE(VisibleScreens(m_window), QStringList({ "failed" }));
        QCOMPARE(m_window->GetLoadingFailUI()->GetReasonText(), QString("错误原因:房间不存在"));
        TestSupport::SaveScreenshot(m_window, "phase-64-with-reason");
    }

    void LoadingScreenShowsProgress()
    {
        MainWindowFixture::BackToCourseHome(m_window);
        emit m_window->UpdateLoginProgress(8);
        Nexus::Instance()->UpdateLoadingValue(50);
        QCOMPARE(m_window->GetLoadingUI()->GetValue(), 50);
        TestSupport::SaveScreenshot(m_window, "phase-8-progress");
    }

    // Leaving a room that is still loading or that failed: the title bar's
    // button says that it leaves, the course list alone shows and follows
    // the window, a late word of the room left changes nothing, and the
    // next course card reaches the class room.
    void LeavingBeforeTheRoomIsReady_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("failed");
        QTest::newRow("x1 while loading") << 1.0 << "x1" << false;
        QTest::newRow("x1.5 after a failure") << 1.5 << "x1.5" << true;
    }
    void LeavingBeforeTheRoomIsReady()
    {
        QFETCH(bool, failed);
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        ExitFeedback::SetGate([](DataManager&) { return false; });
        MainWindowFixture::BackToCourseHome(m_window);
        emit m_window->UpdateLoginProgress(8);
        if (failed)
            Nexus::Instance()->UpdateLoadingFailValue(QStringLiteral("房间不存在"));
        QPushButton* exit = m_window->GetTitleBar()->GetExitButton();
        QCOMPARE(exit->text(), QString("返回课表"));
        RoomScreens::SaveScaled(m_window, failed ? "leave-from-failure" : "leave-from-loading", factor, folder);
        QTest::mouseClick(exit, Qt::LeftButton);

        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        QCOMPARE(VisibleScreens(m_window), QStringList({ "school" }));
        QVERIFY(!m_window->GetLoadingUI()->parentWidget() && !m_window->GetLoadingFailUI()->parentWidget());
        QCOMPARE(m_window->GetLoadingUI()->GetValue(), 0);
        QCOMPARE(exit->text(), QString("密码登录"));
        m_window->resize(1200, 700);
        QCOMPARE(m_window->GetSchoolEntryWidget()->geometry(), QRect(0, 40, 1200, 660));
        QVERIFY(Nexus::GetProfile()->GetReEntryFlag());
        Nexus::Instance()->UpdateLoadingFailValue(QStringLiteral("连接超时"));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        QCOMPARE(VisibleScreens(m_window), QStringList({ "school" }));
        QVERIFY(Nexus::GetProfile()->GetReEntryFlag());

        // The re-entry would run a real entry, which these tests keep away.
        Nexus::GetProfile()->SetReEntryFlag(false);
        emit m_window->UpdateLoginProgress(8);
        QCOMPARE(VisibleScreens(m_window), QStringList({ "loading" }));
        MainWindowFixture::CompleteRoomData();
        QCOMPARE(VisibleScreens(m_window), QStringList({ "left", "middle", "right", "menuBar" }));
        m_window->resize(MainWindow::kNormalWidth, MainWindow::kNormalHeight);
        ExitFeedback::SetGate(nullptr);
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }

    // The offscreen screen (800 x 600) is smaller than the window's least
    // size, as small laptop screens are: the title bar stays on it, and a
    // maximised window fits it.
    void SmallScreenKeepsTheTitleBarOnIt()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(area.height() < 640);
        m_window->setMinimumSize(1000, 640);
        MainWindowFixture::BackToCourseHome(m_window);
        emit Nexus::Instance()->UpdateLoginProgress(2);
        QCOMPARE(m_window->pos(), area.topLeft());
        m_window->maxRestoreSlot();
        QCOMPARE(m_window->geometry(), area);
        m_window->maxRestoreSlot();
        QCOMPARE(m_window->geometry(), QRect(area.topLeft(), QSize(1000, 640)));
        m_window->setMinimumSize(0, 0);
    }
};

// The class room fills the window at any size and scale.
class TestMainWindowLayout : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(m_window);
        QCOMPARE(Nexus::GetDataPrepPhase(), 3);
    }
    void cleanupTestCase() { delete m_window; }

    void PanelsTileTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("folder");
        QTest::newRow("1000 x 640 at 1") << QSize(1000, 640) << 1.0 << "x1";
        QTest::newRow("1366 x 768 at 1.25") << QSize(1366, 768) << 1.25 << "x1.25";
        QTest::newRow("1367 x 800 at 1.5") << QSize(1367, 800) << 1.5 << "x1.5";
        QTest::newRow("1920 x 1080 at 1.75") << QSize(1920, 1080) << 1.75 << "x1.75";
    }
    void PanelsTileTheWindow()
    {
        QFETCH(QSize, size);
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        m_window->resize(size);
        const int w = size.width();
        const int h = size.height();
        QCOMPARE(m_window->m_dwMainWinWidth, w);
        QCOMPARE(m_window->m_dwMainWinHeight, h);

        QCOMPARE(m_window->GetTopArea()->geometry(), QRect(0, 0, w, 40));
        QCOMPARE(m_window->GetTitleBar()->geometry(), QRect(0, 0, w, 40));
        const QRect left = m_window->GetLeftArea()->geometry();
        const QRect middle = m_window->GetMiddleArea()->geometry();
        const QRect right = m_window->GetRightArea()->geometry();
        const QRect bar = m_window->GetBottomArea()->GetMenuBar()->geometry();
        QCOMPARE(left.topLeft(), QPoint(0, 40));
        QCOMPARE(left.bottom(), h - 1);
        QCOMPARE(middle.left(), left.right() + 1);
        QCOMPARE(middle.top(), 40);
        QVERIFY(middle.right() < right.left());
        QCOMPARE(right.right(), w - 1);
        QCOMPARE(right.top(), 40);
        QCOMPARE(right.bottom(), h - 1);
        QCOMPARE(bar, QRect(left.width(), h - 40, w - left.width() - right.width(), 40));
        QVERIFY(!middle.intersects(bar));
        QVERIFY(!m_window->GetRightMiddleArea()->isVisible());

        // The title bar's pictures exist at the chosen scale.
        const QString close = TitleBar::PicturePath("normal_nav_close");
        QVERIFY(close.contains("/" + folder + "/"));
        QCOMPARE(QPixmap(close).width(), qRound(20 * factor));
        QCOMPARE(QPixmap(TitleBar::PicturePath("normal_nav_close_hover")).width(), qRound(20 * factor));
        TestSupport::SaveScreenshot(m_window, QStringLiteral("layout-%1x%2-%3").arg(w).arg(h).arg(folder));
    }

    void SameSizeLaysNothingOut()
    {
        m_window->resize(1200, 700);
        TestSupport::MessageCapture log;
        m_window->GetLeftArea()->setGeometry(1, 2, 3, 4);
        m_window->SetupLayout();
        QCOMPARE(log.Count("into MainWindow::SetupLayout width and height is same and no change"), 1);
        QCOMPARE(m_window->GetLeftArea()->geometry(), QRect(1, 2, 3, 4));
        // A forced layout does it again.
        m_window->m_dwMainWinWidth = 0;
        m_window->SetupLayout();
        QCOMPARE(m_window->GetLeftArea()->pos(), QPoint(0, 40));
    }

    void IncompleteRoomDataIsNotRemembered()
    {
        emit Nexus::Instance()->LocalRefresh();
        QCOMPARE(Nexus::GetDataPrepPhase(), 0);
        m_window->resize(1100, 700);
        QCOMPARE(m_window->m_dwMainWinWidth, 1200);
        // Complete again: the next request lays the room out.
        MainWindowFixture::EnterRoom(m_window);
        QCOMPARE(m_window->m_dwMainWinWidth, 1100);
        QCOMPARE(m_window->GetMiddleArea()->geometry().top(), 40);
    }

    void HiddenWindowIgnoresLayout()
    {
        m_window->hide();
        m_window->resize(1300, 700);
        QVERIFY(m_window->m_dwMainWinWidth != 1300);
        m_window->show();
        m_window->m_dwMainWinWidth = 0;
        m_window->SetupLayout();
        QCOMPARE(m_window->m_dwMainWinWidth, 1300);
    }

    void MaximiseAndRestore()
    {
        const QRect area = m_window->GetAvailableArea();
        QVERIFY(area.isValid());
        QPushButton* max = m_window->GetTitleBar()->GetMaxButton();
        QCOMPARE(max->toolTip(), QString("最大化"));
        m_window->maxRestoreSlot();
        QVERIFY(m_window->GetMaxFlag());
        QCOMPARE(m_window->geometry(), area);
        QCOMPARE(max->toolTip(), QString("还原"));
        m_window->maxRestoreSlot();
        QVERIFY(!m_window->GetMaxFlag());
        QCOMPARE(m_window->size(), QSize(1000, 640));
        // Centred, but never off the top or left of a smaller screen.
        QCOMPARE(m_window->pos(),
            QPoint(area.x() + qMax(0, (area.width() - 1000) / 2), area.y() + qMax(0, (area.height() - 640) / 2)));
        QCOMPARE(max->toolTip(), QString("最大化"));
        QCOMPARE(m_window->GetTitleBar()->width(), 1000);
    }

    void LoadingScreenFollowsTheWindow()
    {
        MainWindowFixture::BackToCourseHome(m_window);
        emit m_window->UpdateLoginProgress(8);
        m_window->resize(1280, 720);
        QCOMPARE(m_window->GetLoadingUI()->geometry(), QRect(0, 40, 1280, 680));
        QCOMPARE(m_window->GetTitleBar()->width(), 1280);
    }

    void PhaseFourHidesTheRoomOnly()
    {
        MainWindowFixture::EnterRoom(m_window);
        QVERIFY(m_window->GetLeftArea()->isVisible());
        m_window->OnLoginProgress(4);
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 4);
        QCOMPARE(VisibleScreens(m_window), QStringList());
        QVERIFY(m_window->GetTitleBar()->isVisible());
    }
};

// The roads out of a class room and out of the program.
class TestMainWindowRoads : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    QString m_data;

    void FillDataFolder()
    {
        QDir().mkpath(m_data + "courlist/p1");
        QDir().mkpath(m_data + "chatImage");
        QDir().mkpath(m_data + "avatar");
        for (const QString& file : { QString("vesk-servers.properties"), QString("vesk-servers.properties.backup"),
                 QString("vesk-win.properties"), QString("courlist/p1/1.png"), QString("chatImage/a.png"),
                 QString("avatar/me.png") }) {
            QFile out(m_data + file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("x");
        }
    }
    bool CachesGone() const { return !QDir(m_data + "courlist").exists() && !QDir(m_data + "chatImage").exists(); }
    void KeptFilesStay()
    {
        QVERIFY(QFile::exists(m_data + "vesk-servers.properties"));
        QVERIFY(QFile::exists(m_data + "vesk-servers.properties.backup"));
        QVERIFY(QFile::exists(m_data + "vesk-win.properties"));
        QVERIFY(QFile::exists(m_data + "avatar/me.png"));
    }
    // Everything queued to the transfer worker so far has run.
    void DrainTransferWorker()
    {
        QSemaphore done;
        QMetaObject::invokeMethod(
            Nexus::GetDownldManager(), [&done] { done.release(); }, Qt::QueuedConnection);
        QVERIFY(done.tryAcquire(1, 5000));
    }

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::Build();
        Nexus::GetProfile()->StartThreads();
        m_data = Nexus::GetProfile()->GetDataFolder();
        QVERIFY(m_data.endsWith('/'));
        QVERIFY(QDir().mkpath(m_data));
        emit m_window->UpdateLoginProgress(2);
    }
    void cleanupTestCase() { delete m_window; }
    void init()
    {
        ExitFeedback::SetGate(nullptr);
        m_window->show();
        MainWindowFixture::BackToCourseHome(m_window);
        MainWindowFixture::EnterRoom(m_window);
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 32);
        FillDataFolder();
    }

    void ExitRoad()
    {
        RoadRecorder road(m_window);
        m_window->OnExit();
        QCOMPARE(road.events,
            QStringList({ "centre panel", "tool bar", "logout 1", "transfer clean-up", "device clean-up",
                "local refresh", "session clean-up" }));
        QCOMPARE(Nexus::GetDataPrepPhase(), 0);
        QVERIFY(Nexus::GetProfile()->GetReEntryFlag());
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        QCOMPARE(VisibleScreens(m_window), QStringList({ "school" }));
        QVERIFY(m_window->GetTitleBar()->isVisible());
        QVERIFY(!m_window->GetTitleBar()->IsClassRoomLayout());

        DrainTransferWorker();
        QVERIFY(CachesGone());
        KeptFilesStay();
    }

    void RemovalTakesTheExitRoad()
    {
        RoadRecorder road(m_window);
        emit m_window->Exit();
        QCOMPARE(road.events.first(), QString("centre panel"));
        QVERIFY(road.events.contains("transfer clean-up"));
        QVERIFY(!road.events.contains("enter room"));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        DrainTransferWorker();
        QVERIFY(CachesGone());
        KeptFilesStay();
    }

    void CachesGoOnlyAfterTheTransferWorkerCleanedUp()
    {
        DownldManager* downloads = Nexus::GetDownldManager();
        // Hold the transfer worker's thread.
        QSemaphore entered;
        QSemaphore release;
        QMetaObject::invokeMethod(
            downloads,
            [&] {
                entered.release();
                release.acquire();
            },
            Qt::QueuedConnection);
        QVERIFY(entered.tryAcquire(1, 5000));
        bool cachesAtCleanUp = false;
        const QMetaObject::Connection watch
            = connect(downloads, &DownldManager::CleanUp, downloads, [&] { cachesAtCleanUp = !CachesGone(); });

        m_window->OnExit();
        // The GUI thread went on; nothing was removed behind the worker's back.
        QVERIFY(!CachesGone());
        release.release();
        DrainTransferWorker();
        QVERIFY(cachesAtCleanUp);
        QVERIFY(CachesGone());
        KeptFilesStay();
        disconnect(watch);
    }

    // The caches are always those of the program's own data folder,
    // whatever folder value the properties reading left behind.
    void StrayDataFolderValueRemovesOnlyTheOwnCaches()
    {
        QTemporaryDir work;
        QDir().mkpath(work.path() + "/courlist");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        for (const QString& folder : { QString(), QString("relative/") }) {
            Nexus::GetProfile()->SetDataFolder(folder);
            m_window->OnExit();
            DrainTransferWorker();
            QVERIFY(QDir(work.path() + "/courlist").exists());
            MainWindowFixture::EnterRoom(m_window);
        }
        QDir::setCurrent(previous);
        Nexus::GetProfile()->SetDataFolder(m_data);
        QVERIFY(CachesGone());
        KeptFilesStay();
    }

    void RefreshRoad()
    {
        RoadRecorder road(m_window);
        Nexus::SetMainWindow(nullptr);
        emit m_window->CleanUp();
        QCOMPARE(road.events,
            QStringList({ "centre panel", "tool bar", "logout 1", "transfer clean-up", "local refresh",
                "session clean-up", "device clean-up", "enter room" }));
        QCOMPARE(Nexus::GetDataPrepPhase(), 0);
        QVERIFY(!Nexus::GetProfile()->GetReEntryFlag());
        QCOMPARE(Nexus::GetMainWindow(), m_window);
        // The room is entered again in sight: title bar and loading screen,
        // with a button that still leaves the room.
        QVERIFY(m_window->GetTopArea()->isVisible());
        QCOMPARE(m_window->GetTitleBar()->GetExitButton()->text(), QString("返回课表"));
        QCOMPARE(VisibleScreens(m_window), QStringList({ "loading" }));
        QCOMPARE(m_window->GetLoadingUI()->geometry(), QRect(0, 40, m_window->width(), m_window->height() - 40));
        QCOMPARE(m_window->GetLoadingUI()->GetValue(), 0);
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            Nexus::GetProfile()->SetScale(scale.first, scale.second);
            m_window->GetLoadingUI()->SetupLayout(m_window, 40);
            RoomScreens::SaveScaled(m_window, "refresh-loading", scale.first, scale.second);
        }
        Nexus::GetProfile()->SetScale(1.0, "x1");
        MainWindowFixture::CompleteRoomData();
        QCOMPARE(VisibleScreens(m_window), QStringList({ "left", "middle", "right", "menuBar" }));
        DrainTransferWorker();
        QVERIFY(!CachesGone());
    }

    void TitleBarRefreshTakesTheRefreshRoad()
    {
        QSignalSpy cleanUp(m_window, &MainWindow::CleanUp);
        QTest::mouseClick(m_window->GetTitleBar()->GetRefreshButton(), Qt::LeftButton);
        QCOMPARE(cleanUp.count(), 1);
    }

    void CloseWhileAFeedbackDialogShowsIsRefused()
    {
        RoadRecorder road(m_window);
        m_window->GetUserFeedBack()->show();
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QVERIFY(road.events.isEmpty());
        m_window->GetUserFeedBack()->hide();
    }

    void CloseLogsOutAndQuits()
    {
        QWidget other;
        other.show();
        RoadRecorder road(m_window);
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->close(); }));
        QVERIFY(!m_window->isVisible());
        QCOMPARE(road.events, QStringList({ "logout 1" }));
        QVERIFY(!m_window->GetTrayIcon()->isVisible());
    }

    void CloseAsksTheStudentForFeedback_data()
    {
        QTest::addColumn<bool>("submit");
        QTest::addColumn<int>("sent");
        QTest::newRow("submit and leave") << true << 1;
        QTest::newRow("leave directly") << false << 0;
    }
    void CloseAsksTheStudentForFeedback()
    {
        QFETCH(bool, submit);
        QFETCH(int, sent);
        QWidget other;
        other.show();
        ExitFeedback::SetGate([](DataManager&) { return true; });
        Nexus::GetDataManager()->SetRoomRole(5);
        UserFeedBack* dialog = m_window->GetUserFeedBack();
        MainWindowFixture::WhenShown(dialog, [dialog, submit] {
            if (submit) {
                dialog->OnScoreBtnPressed(4);
                QTest::mouseClick(dialog->GetSubmitButton(), Qt::LeftButton);
            } else {
                dialog->accept();
            }
        });
        TestSupport::MessageCapture log;
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->close(); }));
        QCOMPARE(log.Count("into UserFeedBack::OnFeedbackAndDirectExt url:"), sent);
        QVERIFY(!dialog->isVisible());
        QVERIFY(log.Count("into OnFeedbackAndDirectExt score is 0") == 0);
    }

    void CloseAsksTheTeacherWhenTheRoomWantsIt()
    {
        QWidget other;
        other.show();
        ExitFeedback::SetGate([](DataManager&) { return true; });
        Nexus::GetDataManager()->SetRoomRole(4);
        Nexus::GetDataManager()->SetTeacherFeedbackFlag(true);
        TeacherFeedBack* teacher = m_window->GetTeacherFeedBack();
        bool shown = false;
        MainWindowFixture::WhenShown(teacher, [teacher, &shown] {
            shown = true;
            teacher->accept();
        });
        TestSupport::MessageCapture log;
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->close(); }));
        QVERIFY(shown);
        QCOMPARE(log.Count("OnFeedbackAndDirectExt"), 0);

        // Without the room's wish the teacher just leaves.
        m_window->show();
        Nexus::GetDataManager()->SetTeacherFeedbackFlag(false);
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->close(); }));
        QVERIFY(!teacher->isVisible());
    }

    void TrayIconAndMenu()
    {
        QSystemTrayIcon* tray = m_window->GetTrayIcon();
        QVERIFY(tray);
        QCOMPARE(tray->toolTip(), QString("普罗维客户端"));
        QVERIFY(!tray->icon().availableSizes().isEmpty());
        QStringList texts;
        for (QAction* action : m_window->GetTrayMenu()->actions())
            texts << (action->isSeparator() ? QString("-") : action->text());
        QCOMPARE(texts, QStringList({ "打开主界面", "-", "退出" }));
        // No tray here: the icon stays hidden and the window is still
        // brought back from the menu.
        QCOMPARE(tray->isVisible(), QSystemTrayIcon::isSystemTrayAvailable());
        m_window->setWindowState(Qt::WindowMinimized);
        m_window->onSystemTrayIconClicked(QSystemTrayIcon::Trigger);
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QVERIFY(m_window->isVisible());
    }

    void TrayBeforeLoginKeepsTheMainWindowHidden()
    {
        m_window->hide();
        m_window->GetLoginWidget()->show();
        m_window->onSystemTrayIconClicked(QSystemTrayIcon::DoubleClick);
        m_window->OnActionOpenTriggered();
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_window->GetLoginWidget()->isVisible());
        m_window->GetLoginWidget()->hide();
        m_window->show();
    }

    // Last: the window is quitting afterwards.
    void TrayQuitEndsTheProgramEvenBeforeLogin()
    {
        m_window->GetLoginWidget()->show();
        RoadRecorder road(m_window);
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->OnActionQuitTriggered(); }));
        QCOMPARE(road.events.first(), QString("logout 1"));
        QVERIFY(road.events.contains("transfer clean-up"));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->GetTrayIcon()->isVisible());
        m_window->GetLoginWidget()->hide();
    }
};

// Hold Alt to talk, through the main window's keyboard hook.
class TestMainWindowKeyHook : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    MenuBar* m_bar = nullptr;

    QWindow* Handle() const { return m_window->windowHandle(); }
    void Key(QEvent::Type type, bool autoRepeat = false)
    {
        QKeyEvent event(type, Qt::Key_Alt, Qt::AltModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(Handle(), &event);
    }

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::BuildLoggedIn();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_bar = Nexus::GetMenuBar();
        QVERIFY(m_bar);
    }
    void cleanupTestCase() { delete m_window; }
    void init()
    {
        m_window->OnUnRegisterKeyHook();
        Nexus::GetProfile()->SetAltHeld(false);
        m_bar->SetSpeakMode(MenuBar::SpeakHoldAlt);
    }

    void MenuBarRegistersTheHookOnce()
    {
        QVERIFY(!m_window->IsKeyHookInstalled());
        m_bar->InitUI();
        QVERIFY(m_window->IsKeyHookInstalled());
        m_window->OnRegisterKeyHook();
        TestSupport::MessageCapture log;
        Key(QEvent::KeyPress);
        Key(QEvent::KeyRelease);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyPress"), 1);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 1);
        emit m_window->UnRegisterKeyHook();
        QVERIFY(!m_window->IsKeyHookInstalled());
        Key(QEvent::KeyPress);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyPress"), 1);
        QVERIFY(!Nexus::GetProfile()->GetAltHeld());
    }

    void HoldingAltTalksOnce()
    {
        m_window->OnRegisterKeyHook();
        TestSupport::MessageCapture log;
        Key(QEvent::KeyPress);
        QVERIFY(Nexus::GetProfile()->GetAltHeld());
        for (int i = 0; i < 4; ++i) {
            Key(QEvent::KeyRelease, true);
            Key(QEvent::KeyPress, true);
        }
        // A key-down without the repeat mark (some systems send those).
        Key(QEvent::KeyPress);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyPress"), 1);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 0);
        Key(QEvent::KeyRelease);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 1);
        QVERIFY(!Nexus::GetProfile()->GetAltHeld());
    }

    void FreeSpeechIgnoresAlt()
    {
        m_window->OnRegisterKeyHook();
        m_bar->SetSpeakMode(MenuBar::SpeakFree);
        TestSupport::MessageCapture log;
        Key(QEvent::KeyPress);
        Key(QEvent::KeyRelease);
        QCOMPARE(log.Count("into MenuBar::OnAltKey"), 0);
        QVERIFY(!Nexus::GetProfile()->GetAltHeld());
    }

    void LosingActivationReleasesAlt()
    {
        m_window->OnRegisterKeyHook();
        TestSupport::MessageCapture log;
        Key(QEvent::KeyPress);
        QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
        QCoreApplication::sendEvent(qApp, &inactive);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 1);
        QVERIFY(!Nexus::GetProfile()->GetAltHeld());
        // The real release comes later, or never: nothing more happens.
        Key(QEvent::KeyRelease);
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 1);
    }

    void RemovingTheHookReleasesAlt()
    {
        m_window->OnRegisterKeyHook();
        TestSupport::MessageCapture log;
        Key(QEvent::KeyPress);
        m_window->OnUnRegisterKeyHook();
        QCOMPARE(log.Count("into MenuBar::OnAltKeyRelease"), 1);
        QVERIFY(!Nexus::GetProfile()->GetAltHeld());
    }

    void KeysStillReachTheWindow()
    {
        m_window->OnRegisterKeyHook();
        auto* edit = new QLineEdit(m_window);
        edit->setGeometry(300, 300, 200, 30);
        edit->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        edit->setFocus();
        for (char key : { 'a', 'b', 'c' })
            QTest::keyClick(Handle(), key);
        QTest::keyPress(Handle(), Qt::Key_Alt);
        QTest::keyRelease(Handle(), Qt::Key_Alt);
        QCOMPARE(edit->text(), QString("abc"));
        delete edit;
    }
};

// The first-use guide, once per guide version and user kind.
class TestMainWindowGuide : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;

private slots:
    void initTestCase() { m_window = MainWindowFixture::BuildLoggedIn(); }
    void cleanupTestCase() { delete m_window; }

    void GuideByRole_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("guideRole");
        QTest::newRow("listener sees none") << 0 << 0;
        QTest::newRow("student pages") << 5 << 1;
        QTest::newRow("student pages again: no") << 6 << 0;
        QTest::newRow("teacher pages") << 4 << 2;
        QTest::newRow("teacher pages again: no") << 4 << 0;
    }
    void GuideByRole()
    {
        QFETCH(int, role);
        QFETCH(int, guideRole);
        UserGuideWidget* guide = m_window->GetUserGuideWidget();
        guide->hide();
        Nexus::GetDataManager()->SetRoomRole(role);
        TestSupport::MessageCapture log;
        emit m_window->RenderUserGuide();
        QCOMPARE(log.Count("into OnRenderUserGuide, _userGuideCode:"), 1);
        QCOMPARE(guide->isVisible(), guideRole != 0);
        if (guideRole != 0) {
            QCOMPARE(guide->GetGuideRole(), guideRole);
            QCOMPARE(guide->GetCurrentPage(), 0);
            QCOMPARE(Nexus::GetProfile()->GetUserGuideCode(role), 1);
        }
        guide->hide();
    }
};

PLOVIX_TEST(TestMainWindowPhases)
PLOVIX_TEST(TestMainWindowLayout)
PLOVIX_TEST(TestMainWindowRoads)
PLOVIX_TEST(TestMainWindowKeyHook)
PLOVIX_TEST(TestMainWindowGuide)
#include "tst_MainWindow.moc"
