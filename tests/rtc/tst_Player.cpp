#include "LogCapture.h"
#include "Members.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "platform/RtcEngineControl.h"
#include "room/RightMiddleArea.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/CAGEngineEventHandler.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"
#include "rtc/PlayerItem.h"
#include "rtc/RtcClock.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace control = RtcEngineControl;

// The video panel with its tiles, over the stand-in engine, in a room whose
// members the test makes. The local user is 58.
class TestPlayer : public QObject
{
    Q_OBJECT

private:
    Profile* m_profile = nullptr;
    DataManager* m_data = nullptr;
    QWidget* m_room = nullptr; // the window the panel and the strip sit in
    RightMiddleArea* m_strip = nullptr;
    Player* m_player = nullptr;

    UserInfo* Member(int uid, int role, int permission, int action, const QString& name)
    {
        UserInfo* user = NewMember(uid, role, permission, action, name);
        m_data->AddMember(user);
        return user;
    }
    PlayerItem* Tile(int uid) const { return m_player->GetTiles().value(uid); }
    // Shows the tiles whose frames arrived, as the panel's timer does.
    void Tick(qint64 now)
    {
        RtcClock::SetOverride(now);
        m_player->OnAgoraObserverCalc();
    }

    // The panel at both display scales, as a person will look at it.
    void Shoot(QWidget* widget, const QString& name)
    {
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            m_profile->SetScale(scale.first, scale.second);
            m_player->OnPlayerSizeAdjust();
            QTest::qWait(300); // the tiles settle at the new scale
            TestSupport::SaveScreenshot(widget, name + scale.second);
        }
        m_profile->SetScale(1.0, "x1");
    }

private slots:
    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        m_profile = TestSupport::StartHub("http://127.0.0.1:9");
        m_data = m_profile->GetDataManager();
        m_data->SetUserId(58);
        emit Nexus::Instance()->UpdateDataPrepPhase(3);
        QCOMPARE(Nexus::GetDataPrepPhase(), 3);
    }
    void cleanupTestCase() { Nexus::Teardown(); }
    void init()
    {
        control::Reset();
        control::SetJoinDelay(10);
        m_room = new QWidget();
        m_room->resize(1400, 700);
        m_strip = new RightMiddleArea(m_room);
        m_strip->setGeometry(0, 0, 1100, 165);
        m_player = new Player(m_room);
        m_player->setGeometry(1100, 0, 300, 450);
        Nexus::SetRightMiddleArea(m_strip);
        Nexus::SetPlayer(m_player);
        m_room->show();
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app");
        m_player->GetMediaPlayer()->SetAgoraObject(agora);
        QSignalSpy joined(m_player, &Player::JoinChannelSuccess);
        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QVERIFY(agora->EnableVideo(true));
        m_data->ResetRoomData();
        // The engine's own answer lands before a test counts joins of its own.
        QTRY_COMPARE(joined.size(), 1);
        control::ClearJournal();
    }
    void cleanup()
    {
        RtcClock::SetOverride(0);
        Nexus::SetPlayer(nullptr);
        Nexus::SetRightMiddleArea(nullptr);
        delete m_room; // the panel releases the engine
        QVERIFY(!CAgoraObject::Instance());
    }

    void CameraCountsOnlyWithRightAndCameraOn_data()
    {
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("tile");
        QTest::newRow("right and camera on") << 4 << 4 << true;
        QTest::newRow("camera off, right kept") << 4 << 8 << false;
        QTest::newRow("right withdrawn") << 0 << 4 << false;
    }
    void CameraCountsOnlyWithRightAndCameraOn()
    {
        QFETCH(int, permission);
        QFETCH(int, action);
        QFETCH(bool, tile);
        UserInfo* self = Member(58, 5, 4, 4, "我");
        emit m_player->CameraStatusChanged(self);
        QVERIFY(Tile(58));
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 1);
        QVERIFY(control::IsLocalPreviewActive());
        // The camera-off notice (or the right withdrawn) reaches the panel.
        self->SetPermission(permission);
        self->SetActionStatus(action);
        emit m_player->CameraStatusChanged(self);
        QCOMPARE(Tile(58) != nullptr, tile);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), tile ? 1 : 0);
        QCOMPARE(control::IsLocalPreviewActive(), tile);
        if (!tile) {
            QCOMPARE(control::JournalOf("setParameters {\"rtc.video.capture\":false").size(), 1);
        }
    }

    void TilesFollowTheAgeOfFrames()
    {
        emit m_player->CameraStatusChanged(Member(61, 5, 4, 4, "李四"));
        emit m_player->CameraStatusChanged(Member(62, 5, 4, 4, "王五")); // sends nothing
        QVERIFY(Tile(61) && Tile(62));
        RenderedFrame(61);
        const qint64 now = RtcClock::NowSeconds();
        Tick(now);
        QVERIFY(!Tile(61)->isHidden());
        QVERIFY(Tile(62)->isHidden());
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 1);
        QCOMPARE(Tile(61)->geometry(), QRect(0, 0, 300, 450));
        // The frames stop: hidden only once they are more than 10 s old.
        qint64 stamp = 0;
        QVERIFY(AgoraVideoFrameObserver::FrameTime(61, &stamp));
        Tick(stamp + 10);
        QVERIFY(!Tile(61)->isHidden());
        Tick(stamp + 11);
        QVERIFY(Tile(61)->isHidden());
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 0);
        // They come back: shown within a second.
        const qint64 back = stamp + 20;
        RtcClock::SetOverride(back);
        RenderedFrame(61);
        QCOMPARE(AgoraVideoFrameObserver::FrameTimes().value(61), back);
        Tick(back + 1);
        QVERIFY(!Tile(61)->isHidden());
        // Switched off by the local user, and on again: no longer shown or
        // hidden by age.
        m_player->OnCamaraHide(61);
        QCOMPARE(control::JournalOf("setObject rtc.video.mute_peer {\"uid\":61,\"mute\":true}").size(), 1);
        m_player->OnCamaraHide(61);
        QCOMPARE(control::JournalOf("setObject rtc.video.mute_peer {\"uid\":61,\"mute\":false}").size(), 1);
        QVERIFY(m_player->GetAgoraVideoStatusById(61));
        Tick(back + 30);
        QVERIFY(!Tile(61)->isHidden());
    }

    void LayoutsForOneTwoAndMoreTiles()
    {
        emit m_player->CameraStatusChanged(Member(57, 4, 4, 4, "张老师"));
        RenderedFrame(57);
        Tick(RtcClock::NowSeconds());
        QCOMPARE(Tile(57)->geometry(), QRect(0, 0, 300, 450));
        QVERIFY(Tile(57)->IsTeacher());
        QTRY_VERIFY(Tile(57)->findChild<QWidget*>("RtcVideoOverlay"));
        Shoot(m_player, "video-panel-1-");
        // A student below the teacher.
        emit m_player->CameraStatusChanged(Member(61, 5, 4, 4, "一个名字很长很长很长的学生"));
        RenderedFrame(61);
        Tick(RtcClock::NowSeconds());
        QCOMPARE(Tile(57)->geometry(), QRect(0, 0, 300, 225));
        QCOMPARE(Tile(61)->geometry(), QRect(0, 225, 300, 225));
        QVERIFY(Tile(61)->findChild<QPushButton*>("videoSwitch")->isVisible());
        QVERIFY(!Tile(61)->findChild<QPushButton*>("likeButton")->isVisible());
        QVERIFY(Tile(57)->findChild<QPushButton*>("likeButton")->isVisible());
        Shoot(m_player, "video-panel-2-");
        // Four: all move into the strip, teacher first.
        emit m_player->CameraStatusChanged(Member(62, 5, 4, 4, "王五"));
        emit m_player->CameraStatusChanged(Member(63, 6, 4, 4, "赵六"));
        for (unsigned uid : { 57, 61, 62, 63 })
            RenderedFrame(uid);
        Tick(RtcClock::NowSeconds());
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 4);
        const int h = m_strip->height() - 16;
        const int w = int(h / 0.75);
        QCOMPARE(Tile(57)->parentWidget(), m_strip);
        QCOMPARE(Tile(57)->geometry(), QRect(8, 8, w, h));
        QCOMPARE(Tile(61)->geometry(), QRect(w + 4 + 8, 8, w, h));
        QCOMPARE(Tile(63)->geometry(), QRect(3 * (w + 4) + 8, 8, w, h));
        Shoot(m_room, "video-panel-4-");
    }

    void TileSwitchAndName_data()
    {
        QTest::addColumn<int>("uid");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("elided");
        QTest::addColumn<bool>("switchShown");
        QTest::newRow("another user, short name") << 61 << "李四" << false << true;
        QTest::newRow("another user, long name") << 61 << "一个名字很长很长的学生" << true << true;
        QTest::newRow("the local user") << 58 << "我" << false << false;
        QTest::newRow("a name with markup") << 62 << "<b>李" << false << true;
    }
    void TileSwitchAndName()
    {
        QFETCH(int, uid);
        QFETCH(QString, name);
        QFETCH(bool, elided);
        QFETCH(bool, switchShown);
        emit m_player->CameraStatusChanged(Member(uid, 5, 4, 4, name));
        PlayerItem* tile = Tile(uid);
        tile->setParent(m_player);
        tile->setGeometry(0, 0, 300, 225);
        tile->Arrange();
        QStringList texts;
        for (QLabel* child : tile->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
            texts << TestSupport::ShownText(child);
            if (!child->toolTip().isEmpty())
                QCOMPARE(TestSupport::ShownAsText(child->toolTip()), name);
        }
        QVERIFY2(texts.contains(name) == !elided, qPrintable(texts.join("|")));
        QCOMPARE(texts.filter(QString::fromUtf8("…")).size(), elided ? 1 : 0);
        auto* button = tile->findChild<QPushButton*>("videoSwitch");
        QCOMPARE(button->isVisible(), switchShown);
        if (!switchShown)
            return;
        // Twice: off, then back to the open icon and the grey surface.
        const QString surface = tile->GetVideoSurface()->styleSheet();
        button->click();
        QCOMPARE(button->toolTip(), QString("恢复该视频"));
        QVERIFY(button->styleSheet().contains(":/resource/like/x1/video_close.png"));
        QVERIFY(QFile::exists(":/resource/like/x1/video_close.png"));
        QVERIFY(tile->GetVideoSurface()->styleSheet() != surface);
        button->click();
        QCOMPARE(button->toolTip(), QString("关闭该视频"));
        QVERIFY(button->styleSheet().contains(":/resource/like/x1/video_open.png"));
        QCOMPARE(tile->GetVideoSurface()->styleSheet(), surface);
    }

    void LeavingStopsTheRecordingFirst()
    {
        const QString path = QDir::tempPath() + "/plovix-player-recording.aac";
        CAgoraObject* agora = CAgoraObject::Instance();
        QVERIFY(agora->StartAudioRecording(path, 2));
        m_profile->SetClassRecordingFlag(true);
        m_profile->SetRecordingRoomId("R100");
        emit m_player->CameraStatusChanged(Member(58, 5, 4, 4, "我"));
        QSignalSpy camera(m_data, &DataManager::LocalCameraStatusNofity);
        emit m_player->CleanUp();
        const QStringList calls = control::Journal();
        const int stop = calls.indexOf("setBool che.audio.stop_recording true");
        QVERIFY(stop >= 0 && stop < calls.indexOf("leaveChannel"));
        QVERIFY(!control::IsRecording());
        QVERIFY(!m_profile->GetClassRecordingFlag());
        QCOMPARE(m_profile->GetRecordingRoomId(), QString("R100")); // restarted on re-entry
        QCOMPARE(camera.size(), 1);
        QVERIFY(m_player->GetTiles().isEmpty());
        QFile::remove(path);
    }

    void LinkQualityAlarm_data()
    {
        QTest::addColumn<int>("tx");
        QTest::addColumn<int>("rx");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QList<int>>("reports"); // rx, tx of each alarm
        QTest::newRow("best link: the first evaluation only") << 1 << 1 << 60 << QList<int> { 1, 1 };
        QTest::newRow("poor link: every 21 s") << 3 << 4 << 60 << QList<int> { 4, 3, 4, 3 };
        QTest::newRow("not 21 s yet") << 3 << 4 << 20 << QList<int> {};
        QTest::newRow("unknown quality") << 0 << 4 << 60 << QList<int> {};
    }
    void LinkQualityAlarm()
    {
        QFETCH(int, tx);
        QFETCH(int, rx);
        QFETCH(int, seconds);
        QFETCH(QList<int>, reports);
        CAGEngineEventHandler* handler = CAGEngineEventHandler::Instance();
        handler->ResetQualityRing();
        m_profile->SetQosReported(false);
        QSignalSpy alarms(m_data, &DataManager::AgeroQosReport);
        const qint64 start = 1700000000;
        for (int s = 0; s <= seconds; s += 2) {
            RtcClock::SetOverride(start + s);
            handler->onNetworkQuality(0, tx, rx);
            handler->onNetworkQuality(7, 6, 6); // another user's link: ignored
        }
        QList<int> seen;
        for (const QList<QVariant>& alarm : alarms)
            seen << alarm.at(0).toInt() << alarm.at(1).toInt();
        QCOMPARE(seen, reports);
    }

    void JoinOfTheLocalUserReachesThePanel()
    {
        QSignalSpy joined(m_player, &Player::JoinChannelSuccess);
        CAGEngineEventHandler::Instance()->onJoinChannelSuccess("R100", 61, 0);
        QCOMPARE(joined.size(), 0);
        CAGEngineEventHandler::Instance()->onJoinChannelSuccess("R100", 58, 0);
        QCOMPARE(joined.size(), 1);
    }
};

PLOVIX_TEST(TestPlayer)
#include "tst_Player.moc"
