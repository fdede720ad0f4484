// Two and three participants of a lesson's audio and video through the
// local service's media server: this process is one participant (its own
// engine), the others are rtc_peer processes, each with the generated
// camera and microphone and a key from the service's key road.
#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestMedia.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "platform/rtc/RtcMedia.h"
#include <gst/gst.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
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
// The generated microphones' tones (Hz) where a case tells them apart.
constexpr int kTeacherTone = 440;
constexpr int kStudentTone = 1000;
constexpr int kLateTone = 1700;
// Above the tone alone: the tone with a loud song mixed in.
constexpr int kLoud = 150;
constexpr int kSongMs = 4000;

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

// An MP3 song of an 880 Hz sine at that volume (0 to 1), made by GStreamer.
bool WriteSong(const QString& path, double volume)
{
    rtcmedia::Init();
    const QString description = QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=4800 freq=880 volume=%2"
                                               " ! audio/x-raw,rate=48000,channels=1 ! lamemp3enc"
                                               " ! filesink location=\"%3\"")
                                    .arg(kSongMs / 100)
                                    .arg(volume)
                                    .arg(path);
    GstElement* pipeline = rtcmedia::OwnThreads(gst_parse_launch(description.toUtf8().constData(), nullptr));
    if (!pipeline)
        return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end
        = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool written = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return written;
}

} // namespace

class TestLiveMedia : public QObject
{
    Q_OBJECT

private:
    // The teacher in this process and a student in another, in one room.
    struct Lesson {
        Lesson(const ServiceFixture& service, const QString& room, const RemotePeer::Options& student)
            : room(room)
            , local(room, kTeacher)
            , remote(service, room, kStudent, student)
        { }
        QString room;
        LocalPeer local;
        RemotePeer remote;
    };

    ServiceFixture m_service;
    // Each case has a room of its own.
    int m_nextRoom = 100;
    QString m_room;
    std::unique_ptr<Lesson> m_lesson;

    // Both join, each seeing the other's pictures; empty, or what went wrong.
    QString Pair(Lesson& lesson)
    {
        // Joined with the microphone on, then muted where a case needs it:
        // a participant muted from the join is not seen yet.
        if (!lesson.local.Start(m_service, false))
            return lesson.local.ErrorText();
        if (!lesson.remote.Start())
            return lesson.remote.ErrorText();
        const QList<QPair<RtcEventLog*, unsigned>> sides { { &lesson.local, kStudent }, { &lesson.remote, kTeacher } };
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
        rtcmedia::SetGeneratedTone(kTeacherTone);
        // The cases tell the participants apart by steady tones, which the
        // voice processing takes for noise: every microphone here, the
        // others' too, is sent as captured.
        qputenv("PLOVIX_VOICE_PROCESSING", "0");
        QVERIFY2(m_service.Start(false, { QStringLiteral("--media-server") }), qPrintable(m_service.ErrorText()));
        QVERIFY2(m_service.MediaUrl().startsWith(QLatin1String("ws://")),
            qPrintable(QString::fromUtf8(m_service.ControlCall("GET", QStringLiteral("/_control/media")))));
    }

    void cleanupTestCase()
    {
        m_service.Stop();
        rtcmedia::SetGeneratedTone(0);
    }

    // Every case but the refusal starts as a lesson of two.
    void init()
    {
        const QByteArray test = QTest::currentTestFunction();
        if (test == "theOthersPictureLandsInATile" && QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display: runs as rtc.LiveMediaUnderXvfb");
        m_room = QStringLiteral("R%1").arg(m_nextRoom++);
        if (test == "wrongKeysAreRefused")
            return;
        RemotePeer::Options student;
        if (test == "theRecordingHoldsWhatIsHeard")
            student.toneHz = kStudentTone;
        m_lesson = std::make_unique<Lesson>(m_service, m_room, student);
        const QString paired = Pair(*m_lesson);
        QVERIFY2(paired.isEmpty(), qPrintable(paired));
    }

    void cleanup() { m_lesson.reset(); }

    void seeEachOtherAndLeave()
    {
        const QJsonObject first = m_lesson->local.WaitFor("onFirstRemoteVideoDecoded", kStudent);
        QCOMPARE(first.value(QLatin1String("width")).toInt(), 640);
        QCOMPARE(first.value(QLatin1String("height")).toInt(), 480);
        // Leaving gives the other side the user's going, and its pictures
        // stop.
        QVERIFY(m_lesson->remote.Send(QStringLiteral("leave")));
        QVERIFY(!m_lesson->local.WaitFor("onUserOffline", kStudent).isEmpty());
        QTest::qWait(500);
        const qint64 frames = m_lesson->local.Recorder().RenderedFrames(kStudent);
        QTest::qWait(1000);
        QCOMPARE(m_lesson->local.Recorder().RenderedFrames(kStudent), frames);
    }

    void hearTheOthersToneUntilMuted()
    {
        // Once this side's own tone is muted, the level it hears is the
        // other's tone, until the other mutes.
        QCOMPARE(m_lesson->local.MuteMicrophone(true), 0);
        const auto loud = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt() > kHeard; };
        QVERIFY(!m_lesson->local.WaitFor("onAudioVolumeIndication", loud).isEmpty());

        // Muting stops it, and is told.
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-audio 1")));
        const auto muted
            = [](const QJsonObject& e) { return About(e, kStudent) && e.value(QLatin1String("muted")).toBool(); };
        QVERIFY(!m_lesson->local.WaitFor("onUserMuteAudio", muted).isEmpty());
        m_lesson->local.ClearEvents();
        const auto quiet = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt() <= kSilent; };
        QVERIFY(!m_lesson->local.WaitFor("onAudioVolumeIndication", quiet, 5000).isEmpty());
        m_lesson->local.ClearEvents();
        QTest::qWait(1000);
        const QList<QJsonObject> after = m_lesson->local.Events("onAudioVolumeIndication");
        QVERIFY(!after.isEmpty());
        for (const QJsonObject& level : after)
            QVERIFY2(!loud(level), "the muted tone is heard again");
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-audio 0")));
        QVERIFY(!m_lesson->local.WaitFor("onAudioVolumeIndication", loud).isEmpty());

        // The other way round: audio disabled here silences this tone too.
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-audio 1")));
        QCOMPARE(m_lesson->local.MuteMicrophone(false), 0);
        QVERIFY(!m_lesson->remote.WaitFor("onAudioVolumeIndication", loud).isEmpty());
        QCOMPARE(m_lesson->local.Engine()->disableAudio(), 0);
        m_lesson->remote.ClearEvents();
        QVERIFY(!m_lesson->remote.WaitFor("onAudioVolumeIndication", quiet, 5000).isEmpty());
    }

    void theRecordingHoldsWhatIsHeard()
    {
        // Both tones in every half second until the student mutes; a third
        // joining late is heard from then on; the teacher's own microphone
        // is recorded while muted for the class (push-to-talk); the file
        // runs as long as the recording did.
        QTemporaryDir folder;
        const QString path = folder.path() + QStringLiteral("/class.aac");
        // Timed from the start's answer to the stop's call: starting and
        // finishing the file take their own time on a loaded machine.
        QCOMPARE(m_lesson->local.StartRecording(path, 2), 0);
        QElapsedTimer running;
        running.start();
        QTest::qWait(2500);
        const qint64 changedAt = running.elapsed();
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-audio 1")));
        QCOMPARE(m_lesson->local.MuteMicrophone(true), 0);
        RemotePeer::Options third;
        third.toneHz = kLateTone;
        RemotePeer late(m_service, m_room, kLate, third);
        QVERIFY2(late.Start(), qPrintable(late.ErrorText()));
        QVERIFY(!m_lesson->local.WaitFor("frame", kLate).isEmpty());
        QTest::qWait(2000);
        const qint64 ran = running.elapsed();
        QCOMPARE(m_lesson->local.StopRecording(), 0);

        QVERIFY(TestMedia::AdtsFrames(TestSupport::ReadFile(path)) > 0);
        const TestMedia::Sound sound = TestMedia::DecodeAac(path);
        QCOMPARE(sound.rate, 32000);
        QVERIFY2(sound.LengthMs() >= ran - 150 && sound.LengthMs() <= ran + 400,
            qPrintable(QStringLiteral("%1 ms recorded in %2 ms").arg(sound.LengthMs()).arg(ran)));
        const auto level = [&sound](qint64 fromMs, double hz) {
            return TestMedia::ToneLevel(sound, int(fromMs * sound.rate / 1000), sound.rate / 2, hz);
        };
        // A machine busy with other tests may starve a process for longer
        // than the recorder's margin: one half second may miss a tone.
        QStringList missing;
        for (qint64 at = 0; at + 500 <= ran; at += 500) {
            const QString where = QStringLiteral("at %1 ms").arg(at);
            if (level(at, kTeacherTone) <= 0.05)
                missing << QStringLiteral("own tone ") + where;
            if (at + 500 <= changedAt) {
                if (level(at, kStudentTone) <= 0.05)
                    missing << QStringLiteral("student's tone ") + where;
                QVERIFY2(level(at, kLateTone) < 0.01, qPrintable(where));
            } else if (at >= changedAt + 1000) {
                QVERIFY2(level(at, kStudentTone) < 0.01, qPrintable(where));
            }
        }
        QVERIFY2(missing.size() <= 1, qPrintable(missing.join(QStringLiteral(", "))));
        QVERIFY(level(ran - 600, kLateTone) > 0.05);
    }

    // The teacher's accompaniment reaches the student in the teacher's
    // sound, unless it is heard only here; replacing, it keeps the teacher's
    // tone out while it plays. The student hears the teacher alone.
    void theAccompanimentIsHeardByTheOthers_data()
    {
        QTest::addColumn<bool>("loopback");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("microphoneMuted");
        QTest::newRow("mixed") << false << false << false;
        QTest::newRow("heard only here") << true << false << false;
        QTest::newRow("replacing, a silent song") << false << true << false;
        QTest::newRow("sent while the microphone is muted") << false << false << true;
    }
    void theAccompanimentIsHeardByTheOthers()
    {
        QFETCH(bool, loopback);
        QFETCH(bool, replace);
        QFETCH(bool, microphoneMuted);
        QTemporaryDir dir;
        const QString song = dir.filePath("song.mp3");
        QVERIFY(WriteSong(song, replace ? 0.0 : 0.8));
        RemotePeer& student = m_lesson->remote;
        QVERIFY(student.Send(QStringLiteral("mute-audio 1")));
        const auto level = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt(); };
        const auto loud = [level](const QJsonObject& e) { return level(e) > kLoud; };
        const auto tone = [level](const QJsonObject& e) { return level(e) > kHeard && level(e) <= kLoud; };
        const auto quiet = [level](const QJsonObject& e) { return level(e) <= kSilent; };
        // The teacher without the song.
        const auto alone = [=](const QJsonObject& e) { return microphoneMuted ? quiet(e) : tone(e); };
        QCOMPARE(m_lesson->local.MuteMicrophone(microphoneMuted), 0);
        QVERIFY(!student.WaitFor("onAudioVolumeIndication", alone).isEmpty());

        student.ClearEvents();
        QElapsedTimer playing;
        playing.start();
        QCOMPARE(m_lesson->local.StartMixing(song, loopback, replace), 0);
        if (replace)
            QVERIFY(!student.WaitFor("onAudioVolumeIndication", quiet, kSongMs).isEmpty());
        else if (!loopback)
            QVERIFY(!student.WaitFor("onAudioVolumeIndication", loud, kSongMs).isEmpty());
        QTest::qWait(int(kSongMs + 1000 - playing.elapsed()));
        if (loopback) {
            const QList<QJsonObject> heard = student.Events("onAudioVolumeIndication");
            QVERIFY(heard.size() > 5);
            QVERIFY(std::all_of(heard.begin(), heard.end(), tone));
        }
        // Over, the teacher alone is heard again.
        student.ClearEvents();
        QVERIFY(!student.WaitFor("onAudioVolumeIndication", alone).isEmpty());
        QTest::qWait(1000);
        const QList<QJsonObject> after = student.Events("onAudioVolumeIndication");
        QVERIFY(std::all_of(after.begin(), after.end(), alone));
        QCOMPARE(m_lesson->local.MuteMicrophone(false), 0);
    }

    void cameraSwitchIsTold()
    {
        const auto muted = [](bool state) {
            return [state](const QJsonObject& e) {
                return About(e, kStudent) && e.value(QLatin1String("muted")).toBool() == state;
            };
        };
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-video 1")));
        QVERIFY(!m_lesson->local.WaitFor("onUserMuteVideo", muted(true)).isEmpty());
        QVERIFY(m_lesson->remote.Send(QStringLiteral("mute-video 0")));
        QVERIFY(!m_lesson->local.WaitFor("onUserMuteVideo", muted(false)).isEmpty());
        // Pictures come again.
        const qint64 frames = m_lesson->local.Recorder().RenderedFrames(kStudent);
        QTRY_VERIFY_WITH_TIMEOUT(m_lesson->local.Recorder().RenderedFrames(kStudent) > frames + 10, 10000);
    }

    // Needs a display with native windows (rtc.LiveMediaUnderXvfb).
    void theOthersPictureLandsInATile()
    {
        QWidget* tile = m_lesson->local.ShowTile(kStudent, QSize(640, 480));
        QVERIFY(QTest::qWaitForWindowExposed(tile));
        QVERIFY(!m_lesson->local.WaitFor("onFirstRemoteVideoFrame", kStudent).isEmpty());
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
        RemotePeer late(m_service, m_room, kLate);
        QVERIFY2(late.Start(), qPrintable(late.ErrorText()));
        QVERIFY(!m_lesson->local.WaitFor("onUserJoined", kLate).isEmpty());
        QVERIFY(!m_lesson->remote.WaitFor("onUserJoined", kLate).isEmpty());
        QVERIFY(!m_lesson->local.WaitFor("frame", kLate).isEmpty());
        QVERIFY(!m_lesson->remote.WaitFor("frame", kLate).isEmpty());
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
            LocalPeer local(m_room, kLate);
            QVERIFY2(local.Start(m_service, true, key), qPrintable(local.ErrorText()));
            QVERIFY(!local.WaitFor("onError").isEmpty());
            QTest::qWait(500);
            QVERIFY(local.Events("onJoinChannelSuccess").isEmpty());
        }
        // A participant with its own key is admitted to the same room.
        LocalPeer admitted(m_room, kLate);
        QVERIFY2(admitted.Start(m_service, true), qPrintable(admitted.ErrorText()));
        QVERIFY(!admitted.WaitFor("onJoinChannelSuccess", kLate).isEmpty());
    }

    void restartedMediaServerIsJoinedAgain()
    {
        QVERIFY(m_service.RestartMediaServer());
        QVERIFY(!m_lesson->local.WaitFor("onConnectionInterrupted").isEmpty()
            || !m_lesson->local.Events("onConnectionLost").isEmpty());
        QVERIFY(!m_lesson->local.WaitFor("onRejoinChannelSuccess", kTeacher, 30000).isEmpty());
        QVERIFY(!m_lesson->remote.WaitFor("onRejoinChannelSuccess", kStudent, 30000).isEmpty());
        // Pictures flow again after the rejoin.
        const qint64 before = m_lesson->local.Recorder().RenderedFrames(kStudent);
        QTRY_VERIFY_WITH_TIMEOUT(m_lesson->local.Recorder().RenderedFrames(kStudent) > before + 30, 20000);
    }
};

PLOVIX_TEST(TestLiveMedia)
#include "tst_LiveMedia.moc"
