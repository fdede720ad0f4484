// Two and three participants of a lesson's audio and video through the
// local service's media server: this process is one participant (its own
// engine), the others are rtc_peer processes, each with the generated
// camera and microphone and a key from the service's key road.
#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <memory>

namespace {

constexpr unsigned kTeacher = 57;
constexpr unsigned kStudent = 58;
constexpr unsigned kLate = 59;
// Levels (0-255) of a tone and of silence.
constexpr int kHeard = 20;
constexpr int kSilent = 5;

bool About(const QJsonObject& event, unsigned uid)
{
    return event.value(QLatin1String("uid")).toInt() == int(uid);
}

// Whether a window's picture shows something drawn: more than a trace of it is
// not the widget's own black (a moving shape on black is enough).
bool Drawn(const QImage& image)
{
    int lit = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            lit += qGray(image.pixel(x, y)) > 40 ? 1 : 0;
    return lit * 16 > image.width() * image.height() / 1000;
}

} // namespace

class TestLiveMedia : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_service;

    // A local participant (the teacher) and a remote one (a student) in
    // room, each seeing the other's pictures; empty, or what went wrong.
    QString Pair(LocalPeer& local, RemotePeer& remote)
    {
        // The teacher's microphone is muted, as the client has it at the join.
        if (!local.Start(m_service, false))
            return local.ErrorText();
        if (!remote.Start())
            return remote.ErrorText();
        const QList<QPair<RtcEventLog*, unsigned>> sides { { &local, kStudent }, { &remote, kTeacher } };
        for (const auto& side : sides) {
            const unsigned own = side.second == kStudent ? kTeacher : kStudent;
            if (side.first->WaitFor("onJoinChannelSuccess", own).isEmpty())
                return QStringLiteral("%1 did not join").arg(own);
            if (side.first->WaitFor("onUserJoined", side.second).isEmpty())
                return QStringLiteral("%1 did not see %2 join").arg(own).arg(side.second);
            // Each one's frame observer receives the other's pictures.
            if (side.first->WaitFor("frame", side.second).isEmpty())
                return QStringLiteral("%1 got no picture of %2").arg(own).arg(side.second);
        }
        return QString();
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR"))
            QSKIP("needs the media network namespace: run through tools/netns.sh");
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        QVERIFY2(m_service.Start(false, { QStringLiteral("--media-server") }), qPrintable(m_service.ErrorText()));
        QVERIFY2(m_service.MediaUrl().startsWith(QLatin1String("ws://")),
            qPrintable(QString::fromUtf8(m_service.ControlCall("GET", QStringLiteral("/_control/media")))));
    }

    void cleanupTestCase() { m_service.Stop(); }

    void seeEachOtherAndLeave()
    {
        LocalPeer local(QStringLiteral("R100"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R100"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        const QJsonObject first = local.WaitFor("onFirstRemoteVideoDecoded", kStudent);
        QCOMPARE(first.value(QLatin1String("width")).toInt(), 640);
        QCOMPARE(first.value(QLatin1String("height")).toInt(), 480);
        // Leaving gives the other side the user's going, and its pictures
        // stop.
        QVERIFY(remote.Send(QStringLiteral("leave")));
        QVERIFY(!local.WaitFor("onUserOffline", kStudent).isEmpty());
        QTest::qWait(500);
        const qint64 frames = local.Recorder().RenderedFrames(kStudent);
        QTest::qWait(1000);
        QCOMPARE(local.Recorder().RenderedFrames(kStudent), frames);
    }

    void hearTheOthersToneUntilMuted()
    {
        LocalPeer local(QStringLiteral("R105"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R105"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        // Once this side's own tone is muted, the level it hears is the
        // other's tone, until the other mutes.
        QCOMPARE(local.MuteMicrophone(true), 0);
        const auto loud = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt() > kHeard; };
        QVERIFY(!local.WaitFor("onAudioVolumeIndication", loud).isEmpty());

        // Muting stops it, and is told.
        QVERIFY(remote.Send(QStringLiteral("mute-audio 1")));
        QVERIFY(!local
                     .WaitFor("onUserMuteAudio",
                         [](const QJsonObject& e) {
                             return About(e, kStudent) && e.value(QLatin1String("muted")).toBool();
                         })
                     .isEmpty());
        local.ClearEvents();
        const auto quiet = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt() <= kSilent; };
        QVERIFY(!local.WaitFor("onAudioVolumeIndication", quiet, 5000).isEmpty());
        local.ClearEvents();
        QTest::qWait(1000);
        const QList<QJsonObject> after = local.Events("onAudioVolumeIndication");
        QVERIFY(!after.isEmpty());
        for (const QJsonObject& level : after)
            QVERIFY2(!loud(level), "the muted tone is heard again");
        QVERIFY(remote.Send(QStringLiteral("mute-audio 0")));
        QVERIFY(!local.WaitFor("onAudioVolumeIndication", loud).isEmpty());
    }

    void cameraSwitchIsTold()
    {
        LocalPeer local(QStringLiteral("R106"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R106"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        const auto muted = [](bool state) {
            return [state](const QJsonObject& e) {
                return About(e, kStudent) && e.value(QLatin1String("muted")).toBool() == state;
            };
        };
        QVERIFY(remote.Send(QStringLiteral("mute-video 1")));
        QVERIFY(!local.WaitFor("onUserMuteVideo", muted(true)).isEmpty());
        QVERIFY(remote.Send(QStringLiteral("mute-video 0")));
        QVERIFY(!local.WaitFor("onUserMuteVideo", muted(false)).isEmpty());
        // Pictures come again.
        const qint64 frames = local.Recorder().RenderedFrames(kStudent);
        QTRY_VERIFY_WITH_TIMEOUT(local.Recorder().RenderedFrames(kStudent) > frames + 10, 10000);
    }

    // Needs a display with native windows (rtc.LiveMediaUnderXvfb).
    void theOthersPictureLandsInATile()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display: runs as rtc.LiveMediaUnderXvfb");
        LocalPeer local(QStringLiteral("R101"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R101"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        QWidget* tile = local.ShowTile(kStudent, QSize(640, 480));
        QVERIFY(QTest::qWaitForWindowExposed(tile));
        QVERIFY(!local.WaitFor("onFirstRemoteVideoFrame", kStudent).isEmpty());
        // What the X server shows in the tile's window: the engine's
        // drawing of the other's moving picture, not the widget's own black.
        const auto grab = [tile] { return QGuiApplication::primaryScreen()->grabWindow(tile->winId()).toImage(); };
        QImage shown;
        QElapsedTimer clock;
        clock.start();
        do {
            QTest::qWait(200);
            shown = grab();
        } while (!Drawn(shown) && clock.elapsed() < 10000);
        QDir().mkpath(TestSupport::ScreenshotFolder());
        shown.save(TestSupport::ScreenshotFolder() + QStringLiteral("/live-media-tile.png"), "PNG");
        QVERIFY2(Drawn(shown), "the tile shows no picture");
        QTRY_VERIFY_WITH_TIMEOUT(grab() != shown, 5000);
    }

    void lateThirdIsSeenByBoth()
    {
        LocalPeer local(QStringLiteral("R102"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R102"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        RemotePeer late(m_service, QStringLiteral("R102"), kLate);
        QVERIFY2(late.Start(), qPrintable(late.ErrorText()));
        QVERIFY(!local.WaitFor("onUserJoined", kLate).isEmpty());
        QVERIFY(!remote.WaitFor("onUserJoined", kLate).isEmpty());
        QVERIFY(!local.WaitFor("frame", kLate).isEmpty());
        QVERIFY(!remote.WaitFor("frame", kLate).isEmpty());
        // And the late one sees those who were there.
        QVERIFY(!late.WaitFor("frame", kTeacher).isEmpty());
        QVERIFY(!late.WaitFor("frame", kStudent).isEmpty());
    }

    void wrongKeysAreRefused()
    {
        // A key the service never issued, and one issued for another room.
        const QString otherRoomKey = RemotePeer::FetchKey(m_service, QStringLiteral("R100"), kLate).first;
        QVERIFY(!otherRoomKey.isEmpty());
        for (const QString& key : { QStringLiteral("not-a-key"), otherRoomKey }) {
            LocalPeer local(QStringLiteral("R103"), kLate);
            QVERIFY2(local.Start(m_service, true, key), qPrintable(local.ErrorText()));
            QVERIFY(!local.WaitFor("onError").isEmpty());
            QTest::qWait(500);
            QVERIFY(local.Events("onJoinChannelSuccess").isEmpty());
        }
        // A participant with its own key is admitted to the same room.
        LocalPeer admitted(QStringLiteral("R103"), kLate);
        QVERIFY2(admitted.Start(m_service, true), qPrintable(admitted.ErrorText()));
        QVERIFY(!admitted.WaitFor("onJoinChannelSuccess", kLate).isEmpty());
    }

    void restartedMediaServerIsJoinedAgain()
    {
        LocalPeer local(QStringLiteral("R104"), kTeacher);
        RemotePeer remote(m_service, QStringLiteral("R104"), kStudent);
        const QString paired = Pair(local, remote);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
        QVERIFY(m_service.RestartMediaServer());
        QVERIFY(!local.WaitFor("onConnectionInterrupted").isEmpty() || !local.Events("onConnectionLost").isEmpty());
        QVERIFY(!local.WaitFor("onRejoinChannelSuccess", kTeacher, 30000).isEmpty());
        QVERIFY(!remote.WaitFor("onRejoinChannelSuccess", kStudent, 30000).isEmpty());
        // Pictures flow again after the rejoin.
        const qint64 before = local.Recorder().RenderedFrames(kStudent);
        QTRY_VERIFY_WITH_TIMEOUT(local.Recorder().RenderedFrames(kStudent) > before + 30, 20000);
    }
};

PLOVIX_TEST(TestLiveMedia)
#include "tst_LiveMedia.moc"
