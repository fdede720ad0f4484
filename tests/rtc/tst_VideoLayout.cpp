#include "../app/MainWindowFixture.h"
#include "Members.h"
#include "TestRegistry.h"

#include "platform/RtcEngineControl.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "room/TeacherInfo.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"
#include "rtc/PlayerItem.h"
#include "rtc/RtcClock.h"
#include "session/UserInfo.h"

namespace control = RtcEngineControl;

// The video tiles inside the whole class-room window: crossing three shown
// tiles lays the window out again and moves them into the strip.
class TestVideoLayout : public QObject
{
    Q_OBJECT

private:
    MainWindow* m_window = nullptr;
    Player* m_player = nullptr;

    void CameraOn(int uid, int role)
    {
        UserInfo* user = NewMember(uid, role, 4, 4, QStringLiteral("成员%1").arg(uid));
        Nexus::GetDataManager()->AddMember(user);
        emit m_player->CameraStatusChanged(user);
        RenderedFrame(unsigned(uid));
        RtcClock::SetOverride(RtcClock::NowSeconds());
        m_player->OnAgoraObserverCalc();
    }

private slots:
    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        control::Reset();
        m_window = MainWindowFixture::Build();
        m_window->resize(1366, 768);
        m_window->show();
        Nexus::GetDataManager()->SetUserId(58);
        MainWindowFixture::EnterRoom(m_window);
        m_player = Nexus::GetPlayer();
        QVERIFY(m_player);
        // The room had no application id: an engine made, not started.
        QVERIFY(CAgoraObject::Instance());
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app");
        m_player->GetMediaPlayer()->SetAgoraObject(agora);
        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QVERIFY(agora->EnableVideo(true));
    }
    void cleanupTestCase()
    {
        RtcClock::SetOverride(0);
        delete m_window;
    }

    void ThreeTilesMoveIntoTheStrip()
    {
        RightMiddleArea* strip = m_window->GetRightMiddleArea();
        CameraOn(57, 4);
        CameraOn(61, 5);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 2);
        QVERIFY(!strip->isVisible());
        const int stripHeight = (m_window->height() - 40) / 4;
        TestSupport::SaveScreenshot(m_window, "video-room-2");
        CameraOn(62, 5);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 3);
        QVERIFY(strip->isVisible());
        QCOMPARE(m_window->GetMiddleArea()->y(), stripHeight + 40);
        for (int uid : { 57, 61, 62 })
            QCOMPARE(m_player->GetTiles().value(uid)->parentWidget(), strip);
        TestSupport::SaveScreenshot(m_window, "video-room-3");
        // From three to four only the tiles move.
        const QRect middle = m_window->GetMiddleArea()->geometry();
        CameraOn(63, 6);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 4);
        QCOMPARE(m_window->GetMiddleArea()->geometry(), middle);
        QCOMPARE(m_player->GetTiles().value(63)->parentWidget(), strip);
        // Back to two: the strip goes, the centre panel takes its room back.
        emit m_player->CamaraClosed(62);
        emit m_player->CamaraClosed(63);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 2);
        QVERIFY(!strip->isVisible());
        QCOMPARE(m_window->GetMiddleArea()->y(), 40);
        QCOMPARE(m_player->GetTiles().value(57)->parentWidget(), m_player);
    }

    // The teacher's card covers the video panel again once the last shown
    // tile is gone, however it went.
    void TheTeacherCardComesBackWithTheLastTile()
    {
        TeacherInfo* card = m_player->GetTeacherInfo();
        for (int uid : m_player->GetTiles().keys())
            emit m_player->CamaraClosed(uid);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 0);
        QVERIFY(card->isVisible());
        for (int round = 0; round < 2; ++round) {
            CameraOn(57, 4);
            QCOMPARE(m_player->GetCurStreamPlayerNum(), 1);
            QVERIFY(!card->isVisible());
            UserInfo* teacher = Nexus::GetDataManager()->GetUserInfoByUid("57");
            teacher->SetActionStatus(8);
            emit m_player->CameraStatusChanged(teacher);
            QCOMPARE(m_player->GetCurStreamPlayerNum(), 0);
            QVERIFY(card->isVisible());
            QCOMPARE(card->geometry(), m_player->rect());
        }
        TestSupport::SaveScreenshot(m_window, "video-room-last-tile-gone");
    }
};

PLOVIX_TEST(TestVideoLayout)
#include "tst_VideoLayout.moc"
