// GStreamer's headers come before Qt's: GLib names a member "signals".
#include <gst/gst.h>

#include "LogCapture.h"
#include "TestMedia.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "platform/RtcEngine.h"
#include "platform/RtcEngineControl.h"
#include "platform/SystemDevices.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"

#include <QAudioDeviceInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <atomic>
#include <cmath>

using RtcEngineControl::Device;
using RtcEngineControl::DeviceKind;
namespace control = RtcEngineControl;

namespace {

// Records where and how the engine calls back.
class RecordingHandler : public rtc::IRtcEngineEventHandler
{
public:
    void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int) override
    {
        Enter(QStringLiteral("join %1 %2").arg(channel).arg(uid));
    }
    void onLeaveChannel(const rtc::RtcStats&) override { Enter(QStringLiteral("leave")); }
    void onConnectionLost() override { Enter(QStringLiteral("lost")); }
    void onNetworkQuality(rtc::uid_t uid, int tx, int rx) override
    {
        Enter(QStringLiteral("quality %1 %2 %3").arg(uid).arg(tx).arg(rx));
    }
    void Enter(const QString& event)
    {
        if (m_inside.fetch_add(1) != 0)
            m_overlaps.fetch_add(1);
        QThread::msleep(2);
        {
            QMutexLocker lock(&m_mutex);
            m_events << event;
            m_threads.insert(QThread::currentThread()->objectName());
        }
        m_inside.fetch_sub(1);
    }
    QStringList Events() const
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }
    int Count(const QString& prefix) const { return Events().filter(QRegularExpression("^" + prefix)).size(); }
    QSet<QString> Threads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_threads;
    }
    std::atomic<int> m_overlaps { 0 };

private:
    std::atomic<int> m_inside { 0 };
    mutable QMutex m_mutex;
    QStringList m_events;
    QSet<QString> m_threads;
};

// A WAV file of 16-bit mono silence lasting ms.
void WriteWav(const QString& path, int ms)
{
    const int rate = 8000;
    const quint32 bytes = quint32(rate / 1000 * ms * 2);
    QByteArray data("RIFF");
    auto le = [&data](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            data.append(char((v >> (8 * i)) & 0xFF));
    };
    le(36 + bytes, 4);
    data.append("WAVEfmt ");
    le(16, 4), le(1, 2), le(1, 2), le(rate, 4), le(rate * 2, 4), le(2, 2), le(16, 2);
    data.append("data");
    le(bytes, 4);
    data.append(QByteArray(int(bytes), '\0'));
    QVERIFY(TestSupport::WriteFile(path, data));
}

// A Sun audio file (another format than WAV) of a 440 Hz tone lasting ms.
void WriteAu(const QString& path, int ms)
{
    const int rate = 8000;
    const int samples = rate / 1000 * ms;
    QByteArray data(".snd");
    auto be = [&data](quint32 v) {
        for (int i = 3; i >= 0; --i)
            data.append(char((v >> (8 * i)) & 0xFF));
    };
    be(24), be(quint32(samples * 2)), be(3), be(rate), be(1); // offset, size, 16-bit PCM, rate, mono
    for (int i = 0; i < samples; ++i) {
        const auto sample = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(char(quint16(sample) >> 8)).append(char(sample & 0xFF));
    }
    QVERIFY(TestSupport::WriteFile(path, data));
}

} // namespace

class TestRtcEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    CAgoraObject* Joined()
    {
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app-1");
        agora->JoinChannel("room-9", 57, "K");
        return agora;
    }

private slots:
    void initTestCase() { qputenv("PLOVIX_RTC_NO_AUDIO", "1"); }
    void init()
    {
        control::Reset();
        control::SetJoinDelay(10);
        control::SetDevices(DeviceKind::Recording, { Device { "Mic A", "in:Mic A" }, Device { "Mic B", "in:Mic B" } });
        control::SetDevices(DeviceKind::Playback, { Device { "Speaker", "out:Speaker" } });
        control::SetDevices(DeviceKind::Camera, { Device { "Cam", "/dev/video0" } });
        control::ClearJournal();
    }
    void cleanup()
    {
        CAgoraObject::ReleaseEngine();
        AgoraVideoFrameObserver::ClearFrameTimes();
    }

    void LessonStartCallsTheEngineInOrder()
    {
        LogCapture log;
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app-1");
        QVERIFY(agora->SetClientRole(1));
        QVERIFY(agora->EnableWebSdkInteroperability(true));
        QVERIFY(agora->setVideoQualityParameters(true));
        QVERIFY(agora->JoinChannel("room-9", 57, "K"));
        QVERIFY(agora->EnableLocalVideo(false));
        QVERIFY(agora->EnableVideo(true));
        QVERIFY(agora->EnableVideo2(true));
        QVERIFY(agora->MuteLocalAudio(true));
        QCOMPARE(agora->GetChannelName(), QString("room-9"));
        const QStringList expected {
            "createRtcEngine",
            "initialize appId=app-1",
            "queryInterface 4",
            "registerVideoFrameObserver",
            "release media",
            "setClientRole 1",
            "setParameters "
            "{\"rtc.video.web_h264_interop_enable\":true,\"che.video.web_h264_interop_enable\":true}",
            "setParameters {\"rtc.video.prefer_frame_rate\":true,\"che.video.prefer_frame_rate\":true}",
            "joinChannel key=K channel=room-9 info={\"owner\":true,\"width\":640,\"height\":480,\"bitrate\":500} "
            "uid=57",
            "setParameters {\"rtc.video.capture\":false,\"che.video.local.capture\":false,"
            "\"che.video.local.render\":false,\"che.video.local.send\":false}",
            "enableVideo",
            "enableAudio",
            "setParameters {\"rtc.audio.mute_me\":true,\"che.audio.mute_me\":true}",
        };
        QStringList calls = control::Journal();
        calls.erase(std::remove_if(calls.begin(), calls.end(),
                        [](const QString& line) {
                            return line == "queryInterface 3" || line == "release param" || line.startsWith("callback");
                        }),
            calls.end());
        QCOMPARE(calls.mid(0, expected.size()), expected);
        QVERIFY(control::IsLocalAudioMuted());
        QTRY_VERIFY(log.Count("AGEngineEventHandler::onJoinChannelSuccess uid: 57") == 1);
        // A second join is refused and keeps the channel.
        QVERIFY(!agora->JoinChannel("room-10", 57, "K"));
        QCOMPARE(agora->GetLastResult(), int(rtc::ERR_ALREADY_IN_CHANNEL));
        QCOMPARE(agora->GetChannelName(), QString("room-9"));
    }

    void WithoutAWorkingEngineEveryCallFails_data()
    {
        QTest::addColumn<bool>("factoryFails");
        QTest::newRow("no engine") << true;
        QTest::newRow("engine not initialised") << false;
    }
    void WithoutAWorkingEngineEveryCallFails()
    {
        QFETCH(bool, factoryFails);
        control::SetFactoryFails(factoryFails);
        CAgoraObject* agora = CAgoraObject::GetAgoraObject(QString());
        QVERIFY(agora);
        QCOMPARE(agora->GetRtcEngine() == nullptr, factoryFails);
        const QList<std::function<bool()>> calls {
            [&] { return agora->MuteLocalAudio(true); },
            [&] { return agora->EnableLocalVideo(true); },
            [&] { return agora->StartAudioRecording(m_dir.path() + "/a.wav", 2); },
            [&] { return agora->SetLogFilePath(QString()); },
            [&] { return agora->LeaveChannel(); },
            [&] { return agora->JoinChannel("room-9", 57, "K"); },
            [&] { return agora->SetClientRole(1); },
        };
        for (const auto& call : calls) {
            QVERIFY(!call());
            QCOMPARE(agora->GetLastResult(), int(rtc::ERR_NOT_INITIALIZED));
        }
        QCOMPARE(agora->GetAudioMixingDuration(), int(rtc::ERR_NOT_INITIALIZED));
        QVERIFY(!agora->CreateAudioInManager());
        QCOMPARE(agora->GetAudioInManager()->GetDeviceCount(), 0);
        QCOMPARE(agora->GetAudioInManager()->GetCurDevice(), QString());
        QCOMPARE(control::JournalOf("registerVideoFrameObserver").size(), 0);
    }

    void PathsBecomeValidJson_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "plain";
        QTest::newRow("quote") << "say \"hi\"";
        QTest::newRow("backslash") << "back\\slash";
        QTest::newRow("chinese, long") << QString("录音文件夹").repeated(15) + "/" + QString("录音文件夹").repeated(15);
    }
    void PathsBecomeValidJson()
    {
        QFETCH(QString, folder);
        const QString dir = m_dir.path() + "/" + folder;
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + "/20260101120000.aac";
        CAgoraObject* agora = Joined();
        QVERIFY(agora->StartAudioRecording(path, 2));
        const QStringList lines = control::JournalOf("setObject che.audio.start_recording ");
        QCOMPARE(lines.size(), 1);
        const QByteArray json = lines.first().mid(QString("setObject che.audio.start_recording ").size()).toUtf8();
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        QCOMPARE(object.value("filePath").toString(), path);
        QCOMPARE(object.value("quality").toInt(), 2);
        if (folder == "plain")
            QCOMPARE(QString(json), QString("{\"filePath\":\"%1\",\"quality\":2}").arg(path));
        QCOMPARE(control::RecordingPath(), path);
        QVERIFY(agora->StopAudioRecording());
        QVERIFY(QFile::exists(path));
    }

    void DevicesAreListedAndChosenById()
    {
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app-1");
        QVERIFY(agora->CreateAudioInManager());
        AudioInManager* in = agora->GetAudioInManager();
        QCOMPARE(in->GetDeviceCount(), 2);
        QString name;
        QString id;
        QVERIFY(in->GetDevice(1, name, id));
        QCOMPARE(name, QString("Mic B"));
        QCOMPARE(id, QString("in:Mic B"));
        QVERIFY(!in->GetDevice(2, name, id));
        QCOMPARE(in->GetCurDevice(), QString("in:Mic A"));
        QVERIFY(!in->SetCurDevice("Mic B")); // a name is not an id
        QVERIFY(in->SetCurDevice("in:Mic B"));
        QCOMPARE(in->GetCurDevice(), QString("in:Mic B"));
        // A switch keeps the volume the user chose, in both directions.
        QVERIFY(!in->SetVolume(256));
        QVERIFY(in->SetVolume(120));
        QCOMPARE(in->GetVolume(), 120);
        QVERIFY(in->SetCurDevice("in:Mic A"));
        QCOMPARE(in->GetVolume(), 120);
        QVERIFY(in->SetVolume(90));
        QVERIFY(in->SetCurDevice("in:Mic B"));
        QCOMPARE(in->GetVolume(), 90);
        // Plugged in and out between two enumerations.
        control::SetDevices(DeviceKind::Recording,
            { Device { "Mic A", "in:Mic A" }, Device { "USB", "in:USB" }, Device { "Mic B", "in:Mic B" } });
        QVERIFY(agora->CreateAudioInManager());
        QCOMPARE(agora->GetAudioInManager()->GetDeviceCount(), 3);
        control::SetDevices(DeviceKind::Playback, {});
        QVERIFY(agora->CreateAudioOutManager());
        QCOMPARE(agora->GetAudioOutManager()->GetDeviceCount(), 0);
        QVERIFY(!agora->GetAudioOutManager()->SetVolume(100));
        QVERIFY(agora->CreateCameraManager());
        QCOMPARE(agora->GetCameraManager()->GetCurDevice(), QString("/dev/video0"));
        // The system's own lists carry Qt Multimedia's names, ids apart.
        control::UseSystemDevices();
        const QList<Device> system = control::Devices(DeviceKind::Recording);
        QStringList qtNames;
        for (const QAudioDeviceInfo& info : QAudioDeviceInfo::availableDevices(QAudio::AudioInput))
            qtNames << info.deviceName();
        for (const Device& device : system) {
            QVERIFY(qtNames.contains(device.name));
            QVERIFY(device.id != device.name);
        }
    }

    void PluggedDevicesFollowTheListsAndAChosenOneGivesWayWhileAway()
    {
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app-1");
        control::PlugDevice(DeviceKind::Recording, { "USB", "in:USB" });
        control::PlugDevice(DeviceKind::Recording, { "USB headset", "in:USB" }); // same id: replaced
        QVERIFY(control::UnplugDevice(DeviceKind::Recording, "in:Mic B")); // a set one too
        QCOMPARE(SystemDevices::AudioNames(QAudio::AudioInput), (QStringList { "Mic A", "USB headset" }));
        QVERIFY(agora->CreateAudioInManager());
        QVERIFY(agora->GetAudioInManager()->SetCurDevice("in:USB"));
        QVERIFY(control::UnplugDevice(DeviceKind::Recording, "in:USB"));
        QVERIFY(!control::UnplugDevice(DeviceKind::Recording, "in:USB"));
        QCOMPARE(agora->GetAudioInManager()->GetCurDevice(), QString("in:Mic A"));
        control::PlugDevice(DeviceKind::Recording, { "USB headset", "in:USB" });
        QCOMPARE(agora->GetAudioInManager()->GetCurDevice(), QString("in:USB"));
        control::Reset();
        QVERIFY(!SystemDevices::AudioNames(QAudio::AudioInput).contains("USB headset"));
    }

    void MixingAnswersTruthfully()
    {
        const QString file = m_dir.path() + "/song.wav";
        WriteWav(file, 3000);
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app-1");
        QVERIFY(!agora->StartAudioMixing(file, false, false, 1)); // not in a channel
        agora->JoinChannel("room-9", 57, "K");
        QVERIFY(!agora->StartAudioMixing(m_dir.path() + "/missing.wav", false, false, 1));
        QCOMPARE(agora->GetLastResult(), int(rtc::ERR_INVALID_ARGUMENT));
        QVERIFY(agora->StartAudioMixing(file, false, false, 1));
        QCOMPARE(agora->GetAudioMixingDuration(), 3000);
        QTRY_VERIFY(agora->GetAudioMixingCurrentPosition() > 0);
        QVERIFY(agora->PauseAudioMixing());
        const int paused = agora->GetAudioMixingCurrentPosition();
        QTest::qWait(150);
        QCOMPARE(agora->GetAudioMixingCurrentPosition(), paused);
        QCOMPARE(agora->SetAudioMixingPosition(2500), 0);
        QCOMPARE(agora->GetAudioMixingCurrentPosition(), 2500);
        QVERIFY(agora->ResumeAudioMixing());
        // Played once: the position stops at the length.
        QTRY_COMPARE(agora->GetAudioMixingCurrentPosition(), 3000);
        QVERIFY(!agora->SetAudioMixingVolume(101));
        QVERIFY(agora->SetAudioMixingVolume(40));
        QVERIFY(agora->StopAudioMixing());
        QCOMPARE(agora->GetAudioMixingDuration(), int(rtc::ERR_NOT_READY));
    }

    // cycle plays the file that many times over; below zero until stopped.
    void MixingRepeatsTheFile()
    {
        const QString file = m_dir.path() + "/short.wav";
        WriteWav(file, 400);
        CAgoraObject* agora = Joined();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(agora->StartAudioMixing(file, false, false, 3));
        QTRY_VERIFY(agora->GetAudioMixingCurrentPosition() > 200);
        QTRY_VERIFY(agora->GetAudioMixingCurrentPosition() < 200); // again from the start
        QTRY_COMPARE_WITH_TIMEOUT(agora->GetAudioMixingCurrentPosition(), 400, 3000);
        QVERIFY(clock.elapsed() >= 1100);
        QVERIFY(agora->StartAudioMixing(file, false, false, -1));
        QTest::qWait(1500);
        QVERIFY(agora->GetAudioMixingCurrentPosition() < 400);
        QVERIFY(agora->StopAudioMixing());
    }

    // The engine learns a file's length before it mixes it, whatever its
    // format, and refuses a file that holds no sound.
    void MixingTakesOnlySound_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("length");
        QTest::newRow("wav") << "wav" << 3000;
        QTest::newRow("other audio format") << "au" << 2000;
        QTest::newRow("wav of no length") << "empty wav" << -2;
        QTest::newRow("text named as audio") << "text" << -2;
        QTest::newRow("picture") << "picture" << -2;
        QTest::newRow("video without sound") << "video" << -2;
        QTest::newRow("empty file") << "nothing" << -2;
    }
    void MixingTakesOnlySound()
    {
        QFETCH(QString, kind);
        QFETCH(int, length);
        const QString file = m_dir.path() + "/" + kind + ".mp3";
        if (kind == "wav")
            WriteWav(file, 3000);
        else if (kind == "au")
            WriteAu(file, 2000);
        else if (kind == "empty wav")
            WriteWav(file, 0);
        else if (kind == "text")
            QVERIFY(TestSupport::WriteFile(file, QByteArray("not a song\n").repeated(200)));
        else if (kind == "picture")
            QVERIFY(TestSupport::WriteFile(file, TestSupport::ReadFile(":/resource/courselist/x1/fail.png")));
        else if (kind == "video")
            QVERIFY(TestMedia::WriteVideo(file, 2));
        else
            QVERIFY(TestSupport::WriteFile(file, QByteArray()));
        CAgoraObject* agora = Joined();
        QCOMPARE(agora->StartAudioMixing(file, false, false, 1), length > 0);
        if (length < 0) {
            QCOMPARE(agora->GetLastResult(), length);
            QVERIFY(!control::IsMixing());
            return;
        }
        QVERIFY(qAbs(agora->GetAudioMixingDuration() - length) <= 50);
        QVERIFY(control::IsMixing());
        QCOMPARE(control::MixingPath(), file);
    }

    // The class recording holds the accompaniment as the user hears it,
    // under the speaker's volume, even when it is not sent.
    void TheRecordingHearsTheAccompanimentAtTheSpeakerVolume()
    {
        const QString song = m_dir.path() + "/tone.au";
        WriteAu(song, 3000);
        const QString path = m_dir.path() + "/heard.aac";
        CAgoraObject* agora = Joined();
        QVERIFY(agora->CreateAudioOutManager());
        QVERIFY(agora->GetAudioOutManager()->SetVolume(255));
        QVERIFY(agora->StartAudioRecording(path, 2));
        QVERIFY(agora->StartAudioMixing(song, true, false, 1));
        QTest::qWait(1200);
        QVERIFY(agora->GetAudioOutManager()->SetVolume(0));
        QTest::qWait(1000);
        QVERIFY(agora->StopAudioRecording());
        QVERIFY(agora->StopAudioMixing());
        const TestMedia::Sound sound = TestMedia::DecodeAac(path);
        QVERIFY(sound.rate > 0);
        const auto level = [&sound](int fromMs) {
            return TestMedia::ToneLevel(sound, fromMs * sound.rate / 1000, sound.rate / 4, 440);
        };
        QVERIFY(std::max({ level(250), level(500), level(750) }) > 0.1);
        QVERIFY2(level(1800) < 0.01, qPrintable(QString::number(level(1800))));
    }

    // The demo's accompaniment is real AAC holding a tune, which neither
    // cancels nor blends with the users' steady tones.
    void TheDemoAccompanimentIsAnAacTune()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("demo-accompaniment.aac");
        QProcess writer;
        writer.start(QStringLiteral(PLOVIX_SOURCE_DIR "/tools/demo-accompaniment.sh"), { path });
        QVERIFY(writer.waitForFinished(300000));
        QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
        QVERIFY(TestMedia::AdtsFrames(TestSupport::ReadFile(path)) > 0);
        const TestMedia::Sound sound = TestMedia::DecodeAac(path);
        QVERIFY(sound.LengthMs() >= 60000);
        // One note a quarter second: the first note is gone in the second.
        const auto level = [&sound](int quarter, double hz) {
            return TestMedia::ToneLevel(sound, quarter * sound.rate / 4, sound.rate / 8, hz);
        };
        QVERIFY(level(0, 220) > 4 * level(1, 220));
        QVERIFY(level(1, 277.18) > 4 * level(0, 277.18));
        CAgoraObject* agora = Joined();
        QVERIFY(agora->StartAudioMixing(path, true, false, 1));
        QVERIFY(agora->StopAudioMixing());
    }

    void ARecordingWithoutItsEncoderDoesNotStart()
    {
        CAgoraObject* agora = Joined();
        QVERIFY(agora->StartAudioRecording(m_dir.path() + "/warm.aac", 2)); // GStreamer is up
        QVERIFY(agora->StopAudioRecording());
        GstRegistry* registry = gst_registry_get();
        GstPluginFeature* encoder = gst_registry_lookup_feature(registry, "voaacenc");
        QVERIFY(encoder);
        gst_registry_remove_feature(registry, encoder);
        auto restore = qScopeGuard([&] {
            gst_registry_add_feature(registry, encoder);
            gst_object_unref(encoder);
        });
        const QString path = m_dir.path() + "/none.aac";
        QVERIFY(!agora->StartAudioRecording(path, 2));
        QVERIFY(!control::IsRecording() && !QFile::exists(path));
    }

    void RecordingIsFinishedByStopLeaveAndRelease_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("stop") << "stop";
        QTest::newRow("leave") << "leave";
        QTest::newRow("release") << "release";
    }
    void RecordingIsFinishedByStopLeaveAndRelease()
    {
        QFETCH(QString, end);
        const QString path = m_dir.path() + "/" + end + ".aac";
        CAgoraObject* agora = Joined();
        // What cannot start says so and leaves nothing running and no file.
        QVERIFY(!agora->StartAudioRecording(m_dir.path() + "/no/such/folder/x.aac", 2));
        QVERIFY(!agora->StartAudioRecording(m_dir.path(), 2));
        QVERIFY(!agora->StartAudioRecording(path, 3));
        QVERIFY(!agora->StartAudioRecording(path, -1));
        QVERIFY(!control::IsRecording() && !QFile::exists(path));
        QVERIFY(agora->StartAudioRecording(path, 2));
        QVERIFY(!agora->StartAudioRecording(m_dir.path() + "/second.aac", 2));
        QVERIFY(control::IsRecording());
        QTest::qWait(400);
        if (end == "stop")
            agora->StopAudioRecording();
        else if (end == "leave")
            agora->LeaveChannel();
        else
            CAgoraObject::ReleaseEngine();
        QVERIFY(!control::IsRecording());
        // Whole AAC frames to the file's end, decoding at quality 2's rate.
        QVERIFY(TestMedia::AdtsFrames(TestSupport::ReadFile(path)) > 0);
        const TestMedia::Sound sound = TestMedia::DecodeAac(path);
        QCOMPARE(sound.rate, 32000);
        // Silence paced by the clock: as long as the recording ran.
        QVERIFY2(sound.LengthMs() >= 400 && sound.LengthMs() < 3000, qPrintable(QString::number(sound.LengthMs())));
    }

    void CallbacksRunOneAtATimeOnTheEngineThread()
    {
        RecordingHandler handler;
        control::SetQuality(3, 4);
        control::SetQualityInterval(20);
        rtc::IRtcEngine* engine = createRtcEngine();
        // The handler must outlive the engine even when a check fails.
        auto release = qScopeGuard([&engine] {
            if (engine)
                engine->release(false);
        });
        rtc::RtcEngineContext context;
        context.eventHandler = &handler;
        context.appId = "app-1";
        QCOMPARE(engine->initialize(context), 0);
        QCOMPARE(engine->joinChannel("K", "room-9", "", 57), 0);
        QTRY_COMPARE(handler.Events().value(0), QString("join room-9 57"));
        control::InjectNetworkQuality(9, 5, 5);
        QTRY_VERIFY(handler.Count("quality 0 3 4") >= 5);
        QCOMPARE(handler.Count("quality 9 5 5"), 1);
        QCOMPARE(engine->leaveChannel(), 0);
        QVERIFY(control::WaitForCallbacks());
        QCOMPARE(handler.Events().last(), QString("leave"));
        QCOMPARE(engine->joinChannel("K", "room-9", "", 57), 0);
        engine->release(false);
        engine = nullptr;
        const int after = handler.Events().size();
        QTest::qWait(100);
        QCOMPARE(handler.Events().size(), after);
        QCOMPARE(handler.Threads(), QSet<QString> { "RTC callbacks" });
        QCOMPARE(handler.m_overlaps.load(), 0);
    }

    // A school's id that names no media server: the lesson is never joined,
    // its link reads down, and the loss is told after ten seconds.
    void AnIdWithoutAMediaServerIsToldAsALostLesson()
    {
        qputenv("PLOVIX_RTC_LOCAL_CHANNEL", "0");
        const auto local = qScopeGuard([] { qputenv("PLOVIX_RTC_LOCAL_CHANNEL", "1"); });
        RecordingHandler handler;
        control::SetQualityInterval(20);
        rtc::IRtcEngine* engine = createRtcEngine();
        auto release = qScopeGuard([&engine] { engine->release(false); });
        rtc::RtcEngineContext context;
        context.eventHandler = &handler;
        context.appId = "plovix-demo-app";
        QCOMPARE(engine->initialize(context), 0);
        QCOMPARE(engine->joinChannel("K", "room-9", "", 57), 0);
        QTRY_VERIFY(handler.Count("quality 0 6 6") >= 3);
        QTRY_VERIFY_WITH_TIMEOUT(handler.Count("lost") == 1, 20000);
        QCOMPARE(handler.Count("join"), 0);
        QCOMPARE(handler.Count("quality 0 [0-5] "), 0);
    }
};

PLOVIX_TEST(TestRtcEngine)
#include "tst_RtcEngine.moc"
