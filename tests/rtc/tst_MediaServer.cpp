#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "platform/RtcEngineControl.h"
#include "platform/rtc/RtcMedia.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/CAgoraObject.h"

#include <QJsonDocument>
#include <QTest>
#include <QWidget>
#include <memory>

namespace control = RtcEngineControl;

// The client's engine, driven by the program's wrapper, in a room of the
// service's media server with a participant in another process. Runs in
// the media namespace (tools/netns.sh); skipped elsewhere.
class TestMediaServer : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_service;
    std::unique_ptr<QWidget> m_view; // the tile of 61

    // The local user 58 in room R100 as the lesson joins it (camera off,
    // microphone muted), then with the camera on unless cameraOff; 61's
    // tile is set up, as for a member whose camera is on.
    CAgoraObject* Joined(bool cameraOff = false)
    {
        const auto issued = RemotePeer::FetchKey(m_service, "R100", 58);
        CAgoraObject* agora = CAgoraObject::GetAgoraObject(issued.second);
        if (!agora->SetClientRole(1) || !agora->JoinChannel("R100", 58, issued.first) || !agora->EnableLocalVideo(false)
            || !agora->EnableVideo(true) || !agora->MuteLocalAudio(true)
            || (!cameraOff && !agora->EnableLocalVideo(true)))
            return nullptr;
        m_view = std::make_unique<QWidget>();
        if (agora->GetRtcEngine()->setupRemoteVideo(rtc::VideoCanvas { m_view.get(), 1, 61, nullptr }) != 0)
            return nullptr;
        return agora;
    }
    // Pictures of uid the peer has drawn so far (of kind "rendered" or
    // "readable"), -1 without an answer.
    static qint64 PeerRendered(RemotePeer& peer, unsigned uid, const char* kind = "rendered")
    {
        peer.ClearEvents();
        if (!peer.Send("stats"))
            return -1;
        const QJsonObject stats = peer.WaitFor("stats", {}, 15000);
        return stats.isEmpty() ? -1 : qint64(stats.value(kind).toObject().value(QString::number(uid)).toDouble(0));
    }
    // A student as the lesson has one: camera off, microphone muted.
    static RemotePeer::Options Quiet()
    {
        RemotePeer::Options quiet;
        quiet.cameraOff = true;
        quiet.muted = true;
        return quiet;
    }
    static bool Muted(const QJsonObject& event, bool muted) { return event.value("muted").toBool() == muted; }
    static int Callbacks(const QString& line) { return control::JournalOf("callback " + line).size(); }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR"))
            QSKIP("needs the media namespace (tools/netns.sh)");
        // Generated devices: the other side reads whose picture it got.
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        QVERIFY2(m_service.Start(false, { "--media-server" }), qPrintable(m_service.ErrorText()));
        if (m_service.MediaUrl().isEmpty())
            QSKIP("no media server on this machine");
    }
    void init()
    {
        control::Reset();
        control::ClearJournal();
    }
    void cleanup()
    {
        m_view.reset();
        CAgoraObject::ReleaseEngine();
        AgoraVideoFrameObserver::ClearFrameTimes();
    }

    void RemotePicturesStampTheTableUntilTheirUserIsMuted()
    {
        CAgoraObject* agora = Joined();
        QVERIFY(agora);
        RemotePeer peer(m_service, "R100", 61);
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        QVERIFY(!peer.WaitFor("onUserJoined", 58).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(AgoraVideoFrameObserver::FrameTime(61, nullptr), 20000);
        QCOMPARE(Callbacks("onJoinChannelSuccess uid=58"), 1);
        QCOMPARE(Callbacks("onUserJoined uid=61"), 1);
        QTRY_COMPARE(Callbacks("onFirstRemoteVideoDecoded uid=61"), 1);
        QVERIFY(!peer.WaitFor("onFirstRemoteVideoDecoded", 58).isEmpty());
        // The local switches reach the other one: camera off and on, the
        // microphone muted from the start.
        QVERIFY(!peer.WaitFor("onUserMuteAudio", [](const QJsonObject& e) { return Muted(e, true); }).isEmpty());
        QVERIFY(agora->EnableLocalVideo(false));
        QVERIFY(!peer.WaitFor("onUserMuteVideo", [](const QJsonObject& e) { return Muted(e, true); }).isEmpty());
        QVERIFY(agora->EnableLocalVideo(true));
        QVERIFY(!peer.WaitFor("onUserMuteVideo", [](const QJsonObject& e) { return Muted(e, false); }).isEmpty());
        // Muted by the local user: no more pictures of that user arrive.
        QVERIFY(agora->MuteRemoteVideoStream(61, true));
        QTest::qWait(500);
        const int muted = control::RenderedFrames(61);
        QTest::qWait(700);
        QCOMPARE(control::RenderedFrames(61), muted);
        QVERIFY(agora->MuteRemoteVideoStream(61, false));
        QTRY_VERIFY_WITH_TIMEOUT(control::RenderedFrames(61) > muted + 5, 5000);
        // Nor while no view is set up for them: the tile closed.
        m_view.reset();
        QTest::qWait(500);
        const int closed = control::RenderedFrames(61);
        QTest::qWait(700);
        QCOMPARE(control::RenderedFrames(61), closed);
        m_view = std::make_unique<QWidget>();
        QCOMPARE(agora->GetRtcEngine()->setupRemoteVideo(rtc::VideoCanvas { m_view.get(), 1, 61, nullptr }), 0);
        QTRY_VERIFY_WITH_TIMEOUT(control::RenderedFrames(61) > closed + 5, 5000);
        // The other one's switches reach the local user's events.
        QVERIFY(peer.Send("mute-video 1"));
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onUserMuteVideo uid=61 muted=1"), 1, 10000);
        QVERIFY(peer.Send("mute-video 0"));
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onUserMuteVideo uid=61 muted=0"), 1, 10000);
        peer.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onUserOffline uid=61"), 1, 10000);
    }

    void ACameraSwitchedOnAfterTheMediaIsUpKeepsSending()
    {
        CAgoraObject* agora = Joined(true);
        QVERIFY(agora);
        RemotePeer peer(m_service, "R100", 61);
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        QVERIFY(!peer.WaitFor("onUserMuteVideo", [](const QJsonObject& e) { return Muted(e, true); }).isEmpty());
        QTest::qWait(1000);
        // Switched on once everything is up, as the lesson's own tile does.
        QWidget view;
        view.resize(320, 240);
        view.show();
        QVERIFY(agora->EnableLocalVideo(true));
        rtc::IRtcEngine* engine = agora->GetRtcEngine();
        QCOMPARE(engine->setupLocalVideo(rtc::VideoCanvas { &view, 1, 58, nullptr }), 0);
        QCOMPARE(engine->startPreview(), 0);
        QVERIFY(!peer.WaitFor("onUserMuteVideo", [](const QJsonObject& e) { return Muted(e, false); }).isEmpty());
        // The tile is laid out again while the pictures come (under X11 the
        // preview follows the window's size).
        for (int i = 0; i < 200; ++i) {
            view.resize(125 + 2 * (i % 50), 37 + 3 * (i % 50));
            QTest::qWait(5);
        }
        QTest::qWait(1000);
        const qint64 before = PeerRendered(peer, 58);
        const qint64 readableBefore = PeerRendered(peer, 58, "readable");
        QVERIFY(before >= 0 && readableBefore >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(PeerRendered(peer, 58) > before + 20, 20000);
        // Whole pictures, not a key frame's leftovers: the switch's key
        // frame reached the encoder.
        const qint64 drawn = PeerRendered(peer, 58) - before;
        const qint64 readable = PeerRendered(peer, 58, "readable") - readableBefore;
        QVERIFY2(readable * 10 >= drawn * 9, qPrintable(QStringLiteral("%1 of %2 readable").arg(readable).arg(drawn)));
        // The later switches still reach the other one.
        QVERIFY(agora->EnableLocalVideo(false));
        QVERIFY(!peer.WaitFor(
                         "onUserMuteVideo", [](const QJsonObject& e) { return Muted(e, true); }, 10000)
                     .isEmpty());
    }

    // Nothing of a quiet student arrives, though its tile is set up, until
    // it speaks or switches the camera on; muted again, its sound stops.
    void AMutedParticipantWithTheCameraOffSendsNothing()
    {
        CAgoraObject* agora = Joined();
        QVERIFY(agora);
        // Counts run on from the cases before.
        const int frames = control::RenderedFrames(61);
        const int sounds = rtcmedia::HeardBuffers(61);
        RemotePeer peer(m_service, "R100", 61, Quiet());
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        // Both connections are up: the peer sees this side's pictures.
        QVERIFY(!peer.WaitFor("frame", 58).isEmpty());
        QTest::qWait(1500);
        QCOMPARE(control::RenderedFrames(61), frames);
        QCOMPARE(rtcmedia::HeardBuffers(61), sounds);
        QVERIFY(peer.Send("mute-audio 0"));
        QTRY_VERIFY_WITH_TIMEOUT(rtcmedia::HeardBuffers(61) > sounds, 10000);
        QVERIFY(peer.Send("mute-video 0"));
        QTRY_VERIFY_WITH_TIMEOUT(control::RenderedFrames(61) > frames, 10000);
        QVERIFY(peer.Send("mute-audio 1"));
        QTest::qWait(1000);
        const int heard = rtcmedia::HeardBuffers(61);
        QTest::qWait(1000);
        QCOMPARE(rtcmedia::HeardBuffers(61), heard);
    }

    // Two who keep quiet send nothing either way: that is no broken link, and
    // no link report falls to very bad or down.
    void KeepingQuietIsNoBrokenLink()
    {
        LocalPeer local("R101", 58);
        local.StartWithCameraOff();
        QVERIFY2(local.Start(m_service, true), qPrintable(local.ErrorText()));
        RemotePeer peer(m_service, "R101", 61, Quiet());
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        QVERIFY(!local.WaitFor("onUserJoined", 61).isEmpty());
        // Longer than the receiver reports may stay away before a link
        // counts as down.
        QTest::qWait(13000);
        const QList<QJsonObject> reports = local.Events("onNetworkQuality");
        QVERIFY(reports.size() >= 5);
        for (const QJsonObject& report : reports) {
            if (report.value("uid").toInt() == 0)
                QVERIFY2(report.value("tx").toInt() < 5 && report.value("rx").toInt() < 5,
                    QJsonDocument(report).toJson().constData());
        }
    }

    void LeavingEndsTheConnectionsAndTheCallbacks()
    {
        CAgoraObject* agora = Joined();
        QVERIFY(agora);
        RemotePeer peer(m_service, "R100", 61);
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        QTRY_VERIFY_WITH_TIMEOUT(AgoraVideoFrameObserver::FrameTime(61, nullptr), 20000);
        QVERIFY(agora->LeaveChannel());
        // The other one sees the local user go at once, not at a time-out.
        QVERIFY(!peer.WaitFor("onUserOffline", 58, 5000).isEmpty());
        const int frames = control::RenderedFrames(61);
        QVERIFY(control::WaitForCallbacks());
        const int lines = control::Journal().size();
        QTest::qWait(500);
        QCOMPARE(control::RenderedFrames(61), frames);
        QCOMPARE(control::Journal().size(), lines);
        QVERIFY(!control::IsInChannel());
    }

    void ARestartedMediaServerIsJoinedAgain()
    {
        CAgoraObject* agora = Joined();
        QVERIFY(agora);
        RemotePeer peer(m_service, "R100", 61);
        QVERIFY2(peer.Start(), qPrintable(peer.ErrorText()));
        QTRY_VERIFY_WITH_TIMEOUT(AgoraVideoFrameObserver::FrameTime(61, nullptr), 20000);
        QVERIFY(m_service.RestartMediaServer());
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onConnectionInterrupted"), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onRejoinChannelSuccess uid=58"), 1, 20000);
        // The pictures come back without a new join of the program.
        const int before = control::RenderedFrames(61);
        QTRY_VERIFY_WITH_TIMEOUT(control::RenderedFrames(61) > before + 10, 20000);
        QCOMPARE(Callbacks("onJoinChannelSuccess uid=58"), 1);
        QCOMPARE(control::JournalOf("joinChannel").size(), 1);
    }

    void AWrongKeyIsRefused()
    {
        CAgoraObject* agora = CAgoraObject::GetAgoraObject(m_service.MediaUrl());
        QVERIFY(agora->JoinChannel("R100", 58, "not-a-key"));
        QTRY_COMPARE_WITH_TIMEOUT(control::JournalOf("callback onError err=110").size(), 1, 10000);
        QTest::qWait(1500); // no retry brings a join after all
        QCOMPARE(Callbacks("onJoinChannelSuccess"), 0);
        // A lesson without media is not a working one: told as a lost link.
        QTRY_COMPARE_WITH_TIMEOUT(Callbacks("onConnectionLost"), 1, 15000);
    }
};

PLOVIX_TEST(TestMediaServer)
#include "tst_MediaServer.moc"
