#include "TestRegistry.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/LoadingFailUI.h"
#include "room/LoadingUI.h"
#include "rtc/Player.h"
#include "session/DataManager.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <thread>

// The hub with the placeholder screens; the threads are not started, so
// every worker signal stays observable here.
class TestNexus : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    LoadingUI* m_loading = nullptr;
    LoadingFailUI* m_failed = nullptr;
    Player* m_player = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(!Nexus::GetProfile());
        QVERIFY(!Nexus::GetDataManager());
        Nexus::Startup();
        QVERIFY(Nexus::GetProfile());
        QVERIFY(Nexus::GetDataManager());
        QVERIFY(Nexus::GetDownldManager());
        QVERIFY(Nexus::GetDeamonThreadMgr());
        Nexus::Startup();

        m_window = new MainWindow();
        m_window->resize(1000, 640);
        // Screens nobody registered are null.
        QVERIFY(!Nexus::GetChatWidget());
        QVERIFY(!Nexus::GetUserList());
        QVERIFY(!Nexus::GetMenuBar());
        QVERIFY(!Nexus::GetMainWindow());
        m_window->RegisterToNexus();
        // The room's screens wait for their first use in the GUI thread;
        // another thread asking finds none and builds none.
        QVERIFY(!m_window->HasRoomScreens());
        bool workerFound = true;
        std::thread worker([&workerFound] { workerFound = Nexus::GetChatWidget() != nullptr; });
        worker.join();
        QVERIFY(!workerFound);
        QVERIFY(!m_window->HasRoomScreens());
        QVERIFY(Nexus::GetUserList());
        QVERIFY(m_window->HasRoomScreens());
        QCOMPARE(Nexus::GetMiddleArea(), m_window->GetMiddleArea());
        m_loading = new LoadingUI();
        m_failed = new LoadingFailUI();
        m_player = new Player();
        Nexus::SetLoadingUI(m_loading);
        Nexus::SetLoadingFailUI(m_failed);
        Nexus::SetPlayer(m_player);
    }
    void cleanupTestCase()
    {
        delete m_player;
        delete m_loading;
        delete m_failed;
        Nexus::SetPlayer(nullptr);
        Nexus::SetLoadingUI(nullptr);
        Nexus::SetLoadingFailUI(nullptr);
    }
    void init()
    {
        emit Nexus::Instance()->LocalRefresh();
        // A room is being entered: its readiness and failure are taken.
        Nexus::GetProfile()->SetLoginPhase(8);
    }

    void RegisteredScreensAreTheMainWindows()
    {
        QVERIFY(Nexus::GetChatWidget());
        QVERIFY(Nexus::GetUserList());
        QVERIFY(Nexus::GetMenuBar());
        QCOMPARE(Nexus::GetMainWindow(), m_window);
        QCOMPARE(Nexus::GetPlayer(), m_player);
    }

    void HistoryPaging()
    {
        Nexus::SetHistoryCoursePage(3);
        Nexus::SetHistoryCoursePageCount(7);
        QCOMPARE(Nexus::GetHistoryCoursePage(), 3);
        QCOMPARE(Nexus::GetHistoryCoursePageCount(), 7);
    }

    void OutOfClassroomByPhase_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("out");
        for (int phase : { 0, 2, 4, 8, 16, 32, 64, 128, 256 })
            QTest::newRow(qPrintable(QString::number(phase))) << phase << (phase == 2 || phase == 128 || phase == 256);
    }
    void OutOfClassroomByPhase()
    {
        QFETCH(int, phase);
        QFETCH(bool, out);
        Nexus::GetProfile()->SetLoginPhase(phase);
        QCOMPARE(Nexus::IsOutOfClassroom(), out);
    }

    void RoomDataCompletesOnce()
    {
        m_loading->SetupLayout(m_window, 40);
        QSignalSpy progress(m_loading, &LoadingUI::ValueChanged);
        QSignalSpy chat(Nexus::GetDataManager(), &DataManager::Request4GetChatHistoryMsg);
        QSignalSpy avatars(Nexus::GetDataManager(), &DataManager::DownloadAllAvatar);

        emit Nexus::Instance()->UpdateDataPrepPhase(1);
        QCOMPARE(m_loading->GetHintText(), QString("提示:获取用户列表成功"));
        emit Nexus::Instance()->UpdateDataPrepPhase(1);
        QCOMPARE(progress.count(), 2);
        QCOMPARE(progress.at(1).at(0).toInt(), 80);
        QCOMPARE(Nexus::GetDataPrepPhase(), 1);
        QCOMPARE(chat.count(), 0);

        emit Nexus::Instance()->UpdateDataPrepPhase(2);
        QCOMPARE(Nexus::GetDataPrepPhase(), 3);
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 32);
        QCOMPARE(chat.count(), 1);
        QCOMPARE(avatars.count(), 1);

        // Complete: further reports change nothing until the room is left.
        emit Nexus::Instance()->UpdateDataPrepPhase(2);
        emit Nexus::Instance()->UpdateDataPrepPhase(1);
        QCOMPARE(chat.count(), 1);
        QCOMPARE(progress.count(), 2);

        emit Nexus::Instance()->LocalRefresh();
        QCOMPARE(Nexus::GetDataPrepPhase(), 0);
        emit Nexus::Instance()->UpdateDataPrepPhase(2);
        QCOMPARE(m_loading->GetHintText(), QString("提示:获取课件列表成功"));
    }

    void FailureReasonReachesTheFailureScreen()
    {
        Nexus::Instance()->UpdateLoadingFailValue(QStringLiteral("房间不存在"));
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 64);
        QCOMPARE(m_failed->GetReasonText().contains(QStringLiteral("房间不存在")), true);
    }

    void LoadingValueFromAWorkerIsShownOnTheGuiThread()
    {
        m_loading->SetupLayout(m_window, 40);
        QSignalSpy progress(m_loading, &LoadingUI::ValueChanged);
        Nexus* hub = Nexus::Instance();
        QThread* session = QThread::create([hub] { hub->UpdateLoadingValue(30); });
        session->start();
        QVERIFY(session->wait(5000));
        delete session;
        QTRY_COMPARE(progress.count(), 1);
        QCOMPARE(progress.at(0).at(0).toInt(), 30);
        QCOMPARE(m_loading->GetValue(), 30);
    }

    void PermissionChanges_data()
    {
        QTest::addColumn<int>("permission");
        QTest::addColumn<bool>("microphoneOn");
        QTest::addColumn<int>("cameraClosed");
        QTest::addColumn<int>("microphoneOff");
        QTest::newRow("nothing") << 0 << true << 0 << 0;
        QTest::newRow("chat only, microphone on") << 16 << true << 1 << 1;
        QTest::newRow("chat only, microphone off") << 16 << false << 1 << 0;
        QTest::newRow("camera and microphone") << (1 | 4) << true << 0 << 0;
        QTest::newRow("everything") << (1 | 4 | 16 | 128) << true << 0 << 0;
    }
    void PermissionChanges()
    {
        QFETCH(int, permission);
        QFETCH(bool, microphoneOn);
        QFETCH(int, cameraClosed);
        QFETCH(int, microphoneOff);
        DataManager* data = Nexus::GetDataManager();
        data->SetUserId(57);
        data->SetMicrophoneOn(microphoneOn);
        QSignalSpy closed(m_player, &Player::CamaraClosed);
        QSignalSpy camera(data, &DataManager::LocalCameraStatusNofity);
        QSignalSpy microphone(data, &DataManager::LocalMicropStatusNofity);
        Nexus::Instance()->PermissionChanged(permission);
        QCOMPARE(closed.count(), cameraClosed);
        QCOMPARE(camera.count(), cameraClosed);
        if (cameraClosed) {
            QCOMPARE(closed.at(0).at(0).toInt(), 57);
            QCOMPARE(camera.at(0).at(0).toInt(), 2);
        }
        QCOMPARE(microphone.count(), microphoneOff);
    }

    void UnknownTransferKindOnlyLogs()
    {
        QTest::ignoreMessage(QtDebugMsg, "into Nexus::OnDownloadFinish, type: 512 ,key: \"x\"");
        emit Nexus::Instance()->DownloadFinish(512, QStringLiteral("x"));
    }
};

PLOVIX_TEST(TestNexus)
#include "tst_Nexus.moc"
