#include "../session/RoomSetup.h"
#include "Members.h"
#include "TestRegistry.h"

#include "platform/RtcEngineControl.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"
#include "rtc/PlayerItem.h"
#include "rtc/RtcClock.h"
#include "session/UserInfo.h"

namespace control = RtcEngineControl;
using RtcEngineControl::Device;
using RtcEngineControl::DeviceKind;

// Entering the demo room on the local service starts the engine, joins the
// channel and runs the join actions; members with their camera on get
// tiles showing the engine's pictures. The local user is 58, a student.
class TestEngineStartup : public QObject
{
    Q_OBJECT

private:
    RoomSetup m_setup;
    Player* m_player = nullptr;

    // The calls after the first of prefix, without the parameter
    // interface's own query and release.
    static QStringList CallsFrom(const QString& first)
    {
        QStringList calls = control::Journal();
        calls = calls.mid(calls.indexOf(first));
        calls.erase(std::remove_if(calls.begin(), calls.end(),
                        [](const QString& line) {
                            return line == "queryInterface 3" || line == "release param" || line.startsWith("callback")
                                || line.startsWith("collection.");
                        }),
            calls.end());
        return calls;
    }

private slots:
    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        QVERIFY(m_setup.Start("1"));
        m_setup.AddSession("S100", "R100", "100100");
        control::Reset();
        control::SetJoinDelay(10);
        control::SetDevices(DeviceKind::Recording, { Device { "Mic A", "in:Mic A" }, Device { "Mic B", "in:Mic B" } });
        control::SetDevices(DeviceKind::Playback, { Device { "Speaker", "out:Speaker" } });
        control::SetDevices(DeviceKind::Camera, { Device { "Cam", "/dev/video0" } });
        // The stored speaker is gone: the camera after it is left alone.
        UserSettings::SetValue(UserSettings::AudioInDevice, "in:Mic B");
        UserSettings::SetValue(UserSettings::AudioOutDevice, "out:Gone");
        UserSettings::SetValue(UserSettings::CameraDevice, "/dev/video0");
        UserSettings::SetValue(UserSettings::AudioOutVolum, 150);
        m_player = new Player();
        m_player->resize(300, 450);
        m_player->show();
        Nexus::SetPlayer(m_player);
    }
    void cleanupTestCase()
    {
        Nexus::SetPlayer(nullptr);
        delete m_player;
        QVERIFY(!CAgoraObject::Instance());
        Nexus::Teardown();
    }

    void EnteringTheRoomStartsAndJoinsTheEngine()
    {
        control::ClearJournal();
        m_setup.data->OnRoomEntry("S100");
        emit m_setup.data->EnterRoom();
        QTRY_COMPARE_WITH_TIMEOUT(Nexus::GetDataPrepPhase(), 3, 15000);
        const QStringList start {
            "createRtcEngine",
            "initialize appId=plovix-demo-app",
            "queryInterface 4",
            "registerVideoFrameObserver",
            "release media",
            "getRtcEngineVersion",
            "setClientRole 1",
            "setParameters "
            "{\"rtc.video.web_h264_interop_enable\":true,\"che.video.web_h264_interop_enable\":true}",
            "setParameters {\"rtc.video.prefer_frame_rate\":true,\"che.video.prefer_frame_rate\":true}",
            "setChannelProfile 1",
            "setClientRole 1",
            "setAudioProfile 0 2",
            "joinChannel key=key-R100-58 channel=R100 info={\"owner\":true,\"width\":640,\"height\":480,"
            "\"bitrate\":500} uid=58",
            "setParameters {\"rtc.video.capture\":false,\"che.video.local.capture\":false,"
            "\"che.video.local.render\":false,\"che.video.local.send\":false}",
            "enableVideo",
            "enableAudio",
            "setParameters {\"rtc.audio.mute_me\":true,\"che.audio.mute_me\":true}",
        };
        QCOMPARE(CallsFrom("createRtcEngine").mid(0, start.size()), start);

        // The join: stored devices up to the first that fails, the stored
        // volume (the user's own saved first), the microphone muted.
        const QStringList joined {
            "queryInterface 1",
            "enumerateRecordingDevices",
            "setRecordingDevice in:Mic B",
            "queryInterface 1",
            "enumeratePlaybackDevices",
            "setPlaybackDevice out:Gone",
            "getPlaybackDeviceVolume",
            "setPlaybackDeviceVolume 150",
            "setParameters {\"rtc.audio.mute_me\":true,\"che.audio.mute_me\":true}",
        };
        // The second muting is the join's last engine call.
        QTRY_VERIFY_WITH_TIMEOUT(control::JournalOf("setParameters {\"rtc.audio.mute_me\":true").size() == 2, 10000);
        QStringList calls = CallsFrom("queryInterface 1");
        calls.removeAll("release audio");
        QCOMPARE(calls.mid(0, joined.size()), joined);
        QCOMPARE(control::JournalOf("setDevice").size(), 0);
        QCOMPARE(m_setup.profile->GetOutputVolume(), 200);
    }

    void PoorLinkReachesTheRoom()
    {
        // The engine's reports of a poor local link over more than 20 s.
        control::SetQuality(3, 4);
        control::SetQualityInterval(20);
        const qint64 start = QDateTime::currentSecsSinceEpoch();
        RtcClock::SetOverride(start);
        QTest::qWait(100);
        RtcClock::SetOverride(start + 21);
        QTRY_VERIFY_WITH_TIMEOUT(!m_setup.room->Sent("58", 166).isEmpty(), 10000);
        RtcClock::SetOverride(0);
        control::SetQualityInterval(2000);
        const QJsonObject message = m_setup.room->Sent("58", 166).first();
        const QJsonObject data = message.value("data").toObject();
        QCOMPARE(data.value("agoraRx").toInt(), 4);
        QCOMPARE(data.value("agoraTx").toInt(), 3);
    }

    void MembersWithCameraOnGetTilesBoundToTheEngine()
    {
        QVERIFY(m_setup.InWorker([this] {
            for (int uid : { 57, 61 }) {
                m_setup.data->AddMember(NewMember(uid, uid == 57 ? 4 : 5, 4, 4, uid == 57 ? "张老师" : "李四"));
            }
        }));
        emit Nexus::Instance()->GetAllUserCameraStatus();
        QCOMPARE(m_player->GetTiles().size(), 2);
        QCOMPARE(control::BoundView(61), m_player->GetTiles().value(61)->GetVideoSurface());
        // Without a media server nobody's pictures arrive: no tile shows.
        QTest::qWait(1500);
        QCOMPARE(m_player->GetCurStreamPlayerNum(), 0);
        QCOMPARE(control::RenderedFrames(61), 0);
        emit m_player->CleanUp();
        QVERIFY(!control::IsInChannel());
        QCOMPARE(m_player->GetTiles().size(), 0);
    }
};

PLOVIX_TEST(TestEngineStartup)
#include "tst_EngineStartup.moc"
