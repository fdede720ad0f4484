// The engine's media elements in local pipelines: no network, no sound card.
#include <gst/gst.h>

#include "MediaEngine.h"
#include "TestMedia.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "platform/RtcEngine.h"
#include "platform/RtcEngineControl.h"
#include "platform/rtc/RtcMedia.h"
#include "platform/rtc/RtcMediaInner.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMutex>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <atomic>

namespace {

// What the engine hands the frame observer, as the tests look at it.
struct SeenFrame {
    int width = 0;
    int height = 0;
    bool planesOk = false;
    rtcmedia::PictureCode code;
    quint64 sum = 0; // of the luma plane: tells pictures apart
    int meanY = 0;
};

SeenFrame Look(const rtc::VideoFrame& frame)
{
    SeenFrame seen;
    seen.width = frame.width;
    seen.height = frame.height;
    seen.planesOk = frame.yBuffer && frame.uBuffer && frame.vBuffer && frame.yStride >= frame.width
        && frame.uStride >= frame.width / 2 && frame.vStride >= frame.width / 2;
    seen.code = rtcmedia::ReadPictureCode(frame);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x)
            seen.sum += frame.yBuffer[y * frame.yStride + x];
    }
    const quint64 pixels = quint64(frame.width) * quint64(frame.height);
    seen.meanY = pixels > 0 ? int(seen.sum / pixels) : 0;
    return seen;
}

class Observer : public rtc::IVideoFrameObserver
{
public:
    bool onCaptureVideoFrame(rtc::VideoFrame& frame) override
    {
        const SeenFrame seen = Look(frame);
        QMutexLocker lock(&m_mutex);
        ++m_captured;
        m_lastCapture = seen;
        return true;
    }
    bool onRenderVideoFrame(rtc::uid_t uid, rtc::VideoFrame& frame) override
    {
        const SeenFrame seen = Look(frame);
        QMutexLocker lock(&m_mutex);
        ++m_rendered[uid];
        m_lastRender[uid] = seen;
        return true;
    }
    int Captured() const
    {
        QMutexLocker lock(&m_mutex);
        return m_captured;
    }
    SeenFrame LastCapture() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lastCapture;
    }
    int Rendered(unsigned uid) const
    {
        QMutexLocker lock(&m_mutex);
        return m_rendered.value(uid);
    }
    SeenFrame LastRender(unsigned uid) const
    {
        QMutexLocker lock(&m_mutex);
        return m_lastRender.value(uid);
    }

private:
    mutable QMutex m_mutex;
    int m_captured = 0;
    SeenFrame m_lastCapture;
    QMap<unsigned, int> m_rendered;
    QMap<unsigned, SeenFrame> m_lastRender;
};

// A pipeline of the given elements, linked in order and playing while the
// object lives.
class Pipeline
{
public:
    explicit Pipeline(std::initializer_list<GstElement*> elements)
        : m_pipeline(rtcmedia::OwnThreads(gst_pipeline_new(nullptr)))
    {
        GstElement* previous = nullptr;
        for (GstElement* element : elements) {
            gst_bin_add(GST_BIN(m_pipeline), element);
            if (previous && !gst_element_link(previous, element))
                qWarning() << "cannot link" << GST_OBJECT_NAME(previous) << GST_OBJECT_NAME(element);
            previous = element;
        }
        m_started = gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    }
    ~Pipeline()
    {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
    bool Started() const { return m_started; }

private:
    GstElement* m_pipeline;
    bool m_started = false;
};

GstElement* Parsed(const char* description)
{
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description, TRUE, &error);
    if (error) {
        qWarning() << error->message;
        g_error_free(error);
    }
    return bin;
}

GstElement* FakeSink()
{
    return Parsed("fakesink sync=false");
}

QString CapsOf(GstElement* element, const char* pad)
{
    GstPad* p = gst_element_get_static_pad(element, pad);
    GstCaps* caps = gst_pad_get_current_caps(p);
    gst_object_unref(p);
    if (!caps)
        return QString();
    gchar* text = gst_caps_to_string(caps);
    const QString result = QString::fromUtf8(text);
    g_free(text);
    gst_caps_unref(caps);
    return result;
}

// The highest level heard over ms, the levels read before it dropped.
int LevelOver(int ms, bool local, unsigned uid = 0)
{
    rtcmedia::Levels();
    QTest::qWait(ms);
    const rtcmedia::AudioLevels levels = rtcmedia::Levels();
    return local ? levels.local : levels.remote.value(uid);
}

// The generated devices the cases use, plugged in as a test does.
void PlugGeneratedDevices()
{
    RtcEngineControl::PlugDevice(RtcEngineControl::DeviceKind::Camera, { "Demo camera", "camera:demo" });
    RtcEngineControl::PlugDevice(RtcEngineControl::DeviceKind::Recording, { "Demo microphone", "in:Demo microphone" });
}

} // namespace

// Sources and sinks under the offscreen platform: frames reach the
// observer, levels follow volumes and mutes, devices switch while running.
class TestRtcMedia : public QObject
{
    Q_OBJECT

    Observer m_observer;

private slots:
    void initTestCase()
    {
        // The microphone cases follow a steady tone, which the voice
        // processing takes for noise and fades out.
        qputenv("PLOVIX_VOICE_PROCESSING", "0");
        rtcmedia::Init();
    }
    void init()
    {
        // A released engine takes its observer away.
        rtcmedia::SetFrameObserver(&m_observer);
        rtcmedia::SetRecordingVolume(200);
        rtcmedia::SetPlaybackVolume(200);
        rtcmedia::SetMicrophoneMuted(false);
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Camera, QString());
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Recording, QString());
        PlugGeneratedDevices();
    }
    void cleanupTestCase() { rtcmedia::SetFrameObserver(nullptr); }

    void GeneratedCameraCapturesAMovingPictureOfTheUser()
    {
        GstElement* camera = rtcmedia::MakeCameraSource(QStringLiteral("camera:demo"), 57);
        QVERIFY(camera);
        Pipeline pipeline { camera, FakeSink() };
        QVERIFY(pipeline.Started());
        QTRY_VERIFY(m_observer.Captured() >= 3);
        const QString caps = CapsOf(camera, "src");
        QVERIFY2(caps.contains(QLatin1String("format=(string)I420")) && caps.contains(QLatin1String("width=(int)640"))
                && caps.contains(QLatin1String("height=(int)480"))
                && caps.contains(QLatin1String("framerate=(fraction)30/1")),
            qPrintable(caps));
        const SeenFrame first = m_observer.LastCapture();
        QCOMPARE(first.width, 640);
        QCOMPARE(first.height, 480);
        QVERIFY(first.planesOk);
        QVERIFY(first.code.valid);
        QCOMPARE(first.code.uid, 57u);
        QTest::qWait(400);
        const SeenFrame later = m_observer.LastCapture();
        QVERIFY(later.code.valid);
        QCOMPARE(later.code.uid, 57u);
        QVERIFY(later.code.stampMs - first.code.stampMs >= 300);
        QVERIFY(later.sum != first.sum);
        // About 30 frames a second.
        const int before = rtcmedia::CapturedFrames();
        QTest::qWait(1000);
        const int rate = rtcmedia::CapturedFrames() - before;
        QVERIFY2(rate >= 20 && rate <= 40, qPrintable(QString::number(rate)));
    }

    void CameraSwitchesDeviceWhileRunning()
    {
        GstElement* camera = rtcmedia::MakeCameraSource(QStringLiteral("camera:demo"), 8);
        Pipeline pipeline { camera, FakeSink() };
        QTRY_VERIFY(m_observer.LastCapture().code.valid && m_observer.LastCapture().code.uid == 8);
        // No camera: black pictures, the caps unchanged.
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Camera, QStringLiteral(""));
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Camera, QStringLiteral("camera:none"));
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Camera, QString());
        QTRY_VERIFY(!m_observer.LastCapture().code.valid && m_observer.LastCapture().meanY < 30);
        QCOMPARE(m_observer.LastCapture().width, 640);
        const int frames = m_observer.Captured();
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Camera, QStringLiteral("camera:demo"));
        QTRY_VERIFY(m_observer.LastCapture().code.valid && m_observer.LastCapture().code.uid == 8);
        QVERIFY(m_observer.Captured() > frames);
    }

    // A camera that gives large JPEG pictures still gives 640 x 480 I420.
    void CameraDecodesWhatARealCameraGives()
    {
        GstElement* camera = rtcmedia::MakeCameraSource(QString(), 77);
        Pipeline pipeline { camera, FakeSink() };
        QTRY_VERIFY(m_observer.Captured() > 0 && m_observer.LastCapture().meanY < 30);
        GstElement* device = Parsed("videotestsrc is-live=true pattern=white ! "
                                    "capsfilter caps=video/x-raw,width=1280,height=720,framerate=30/1 ! jpegenc");
        rtcmedia::inner::SwapSource(camera, rtcmedia::inner::DecodedCamera(device));
        // White, with black bands above and below: 16:9 kept in 4:3.
        QTRY_VERIFY(m_observer.LastCapture().meanY > 150);
        QCOMPARE(m_observer.LastCapture().width, 640);
        QCOMPARE(m_observer.LastCapture().height, 480);
    }

    void MicrophoneToneFollowsMuteAndVolume()
    {
        GstElement* microphone = rtcmedia::MakeMicrophoneSource(QStringLiteral("in:Demo microphone"));
        QVERIFY(microphone);
        Pipeline pipeline { microphone, FakeSink() };
        QVERIFY(pipeline.Started());
        QTRY_VERIFY(LevelOver(200, true) > 30);
        const QString caps = CapsOf(microphone, "src");
        QVERIFY2(caps.contains(QLatin1String("S16LE")) && caps.contains(QLatin1String("rate=(int)48000"))
                && caps.contains(QLatin1String("channels=(int)1")),
            qPrintable(caps));

        rtcmedia::SetMicrophoneMuted(true);
        QTRY_COMPARE(LevelOver(200, true), 0);
        rtcmedia::SetMicrophoneMuted(false);
        QTRY_VERIFY(LevelOver(200, true) > 30);

        const int loud = LevelOver(200, true);
        rtcmedia::SetRecordingVolume(100);
        QTRY_VERIFY(LevelOver(200, true) < loud * 2 / 3);
        rtcmedia::SetRecordingVolume(0);
        QTRY_COMPARE(LevelOver(200, true), 0);
    }

    // Outside the demo nothing made up is sent: a microphone or camera that
    // is not there gives silence and black pictures.
    void AMissingDeviceSendsNothingGenerated()
    {
        RtcEngineControl::Reset();
        const int before = m_observer.Captured();
        Pipeline audio { rtcmedia::MakeMicrophoneSource(QStringLiteral("in:Headset"), 5), FakeSink() };
        Pipeline video { rtcmedia::MakeCameraSource(QStringLiteral("camera:demo"), 5), FakeSink() };
        QVERIFY(audio.Started() && video.Started());
        QTRY_VERIFY(m_observer.Captured() > before + 3);
        QVERIFY(!m_observer.LastCapture().code.valid);
        QCOMPARE(LevelOver(400, true), 0);
    }

    // A device chosen in one lesson and unplugged since is not sent in the
    // next: the choice gives way to the system default.
    void AChosenDeviceDoesNotOutliveIt()
    {
        using RtcEngineControl::DeviceKind;
        RtcEngineControl::Reset();
        RtcEngineControl::SetDevices(
            DeviceKind::Recording, { { "Built-in", "in:Built-in" }, { "Headset", "in:Headset" } });
        rtcmedia::SetDevice(DeviceKind::Recording, QStringLiteral("in:Headset"));
        QCOMPARE(rtcmedia::ChosenDevice(DeviceKind::Recording), QStringLiteral("in:Headset"));
        QVERIFY(RtcEngineControl::UnplugDevice(DeviceKind::Recording, QStringLiteral("in:Headset")));
        QCOMPARE(rtcmedia::ChosenDevice(DeviceKind::Recording), QStringLiteral("in:Built-in"));
        RtcEngineControl::Reset();
    }

    // Two users' generated microphones sound apart, in the class and in its
    // recording.
    void GeneratedMicrophonesOfTwoUsersSoundApart()
    {
        QList<double> pitches;
        for (unsigned uid : { 1001u, 1002u }) {
            GstElement* microphone = rtcmedia::MakeMicrophoneSource(QStringLiteral("in:Demo microphone"), uid);
            QVERIFY(microphone);
            // The tone sits somewhere inside the source's bins.
            double hz = 0;
            GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(microphone));
            GValue item = G_VALUE_INIT;
            while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
                auto* element = GST_ELEMENT(g_value_get_object(&item));
                if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "freq"))
                    g_object_get(element, "freq", &hz, nullptr);
                g_value_reset(&item);
            }
            g_value_unset(&item);
            gst_iterator_free(elements);
            pitches << hz;
            gst_object_unref(gst_object_ref_sink(microphone));
        }
        QVERIFY2(
            qAbs(pitches[0] - pitches[1]) > 10, qPrintable(QStringLiteral("%1 %2").arg(pitches[0]).arg(pitches[1])));
    }

    void MicrophoneWithoutDeviceIsSilentUntilOneIsChosen()
    {
        GstElement* microphone = rtcmedia::MakeMicrophoneSource(QString());
        Pipeline pipeline { microphone, FakeSink() };
        QTest::qWait(200);
        QCOMPARE(LevelOver(300, true), 0);
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Recording, QStringLiteral("in:Demo microphone"));
        QTRY_VERIFY(LevelOver(200, true) > 30);
    }

    void RemoteAudioLevelsFollowPeerMuteAndPlaybackVolume()
    {
        GstElement* nine = rtcmedia::MakeRemoteAudioSink(9);
        GstElement* ten = rtcmedia::MakeRemoteAudioSink(10);
        QVERIFY(nine && ten);
        Pipeline first { Parsed("audiotestsrc is-live=true volume=0.5"), nine };
        Pipeline second { Parsed("audiotestsrc is-live=true volume=0.5 freq=660"), ten };
        QVERIFY(first.Started() && second.Started());
        QTRY_VERIFY(LevelOver(200, false, 9) > 30);
        QTRY_VERIFY(LevelOver(200, false, 10) > 30);

        rtcmedia::Levels();
        QTest::qWait(200);
        rtcmedia::VolumeIndication both = rtcmedia::Indication(rtcmedia::Levels());
        QCOMPARE(both.speakers, 2);
        QVERIFY(both.total > 30);

        rtcmedia::SetPeerAudioMuted(9, true);
        QTRY_COMPARE(LevelOver(200, false, 9), 0);
        QVERIFY(LevelOver(200, false, 10) > 30);
        rtcmedia::Levels();
        QTest::qWait(200);
        QCOMPARE(rtcmedia::Indication(rtcmedia::Levels()).speakers, 1);
        rtcmedia::SetPeerAudioMuted(9, false);
        QTRY_VERIFY(LevelOver(200, false, 9) > 30);

        // Another speaker: the sinks switch and go on playing.
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Playback, QStringLiteral("out:Demo speaker"));
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Playback, QStringLiteral("out:Other speaker"));
        QTest::qWait(200);
        QTRY_VERIFY(LevelOver(200, false, 9) > 30);

        rtcmedia::SetPlaybackVolume(0);
        QTRY_COMPARE(LevelOver(200, false, 9), 0);
        QCOMPARE(LevelOver(200, false, 10), 0);
    }

    // A microphone made while the accompaniment plays sends it (what it
    // sends is what a remote sink downstream measures); a new speaker
    // does not end it, its end ends the sending.
    void AccompanimentReachesAMicrophoneMadeLater()
    {
        QTemporaryDir dir;
        const QString song = dir.filePath("song.wav");
        QVERIFY(TestMedia::WriteSound(song, 2));
        auto accompaniment = rtcmedia::Accompaniment::Start(song, false, false, 1);
        QVERIFY(accompaniment);
        QVERIFY(!rtcmedia::Accompaniment::Start(dir.filePath("missing.wav"), false, false, 1));
        Pipeline sender { rtcmedia::MakeMicrophoneSource(QString()), rtcmedia::MakeRemoteAudioSink(7) };
        QVERIFY(sender.Started());
        QTRY_VERIFY(LevelOver(200, false, 7) > 30);
        rtcmedia::SetDevice(RtcEngineControl::DeviceKind::Playback, QStringLiteral("out:Other speaker"));
        const qint64 before = accompaniment->Position();
        QTRY_VERIFY(accompaniment->Position() > before + 200);
        QTRY_VERIFY_WITH_TIMEOUT(accompaniment->Ended(), 5000);
        QTRY_COMPARE(LevelOver(200, false, 7), 0);
    }

    // Started paused, nothing of the file is sent (nor does it move) until
    // it is played.
    void AnAccompanimentStartedPausedIsSentOnlyOncePlayed()
    {
        QTemporaryDir dir;
        const QString song = dir.filePath("song.wav");
        QVERIFY(TestMedia::WriteSound(song, 2));
        Pipeline sender { rtcmedia::MakeMicrophoneSource(QString()), rtcmedia::MakeRemoteAudioSink(8) };
        QVERIFY(sender.Started());
        auto accompaniment = rtcmedia::Accompaniment::Start(song, false, false, 1, true);
        QVERIFY(accompaniment);
        QCOMPARE(LevelOver(1000, false, 8), 0);
        QCOMPARE(accompaniment->Position(), 0);
        QVERIFY(accompaniment->Pause(false));
        QTRY_VERIFY(LevelOver(200, false, 8) > 30);
    }

    void RemoteVideoReachesTheObserverAndCountsAsDrawnOnceViewed()
    {
        QList<QPair<unsigned, QSize>> firsts;
        QMutex mutex;
        rtcmedia::SetFirstFrameHandler([&](unsigned uid, int width, int height) {
            QMutexLocker lock(&mutex);
            firsts << qMakePair(uid, QSize(width, height));
        });
        GstElement* sink = rtcmedia::MakeRemoteVideoSink(7);
        QVERIFY(sink);
        Pipeline pipeline {
            Parsed("videotestsrc is-live=true ! capsfilter caps=video/x-raw,format=RGB,width=320,height=240"), sink
        };
        QTRY_VERIFY(m_observer.Rendered(7) >= 3);
        const SeenFrame frame = m_observer.LastRender(7);
        QCOMPARE(frame.width, 320);
        QCOMPARE(frame.height, 240);
        QVERIFY(frame.planesOk);
        QVERIFY(rtcmedia::RenderedFrames(7) >= 3);
        // Not drawn anywhere yet.
        QTest::qWait(100);
        {
            QMutexLocker lock(&mutex);
            QVERIFY(firsts.isEmpty());
        }
        QWidget view;
        view.resize(160, 120);
        rtcmedia::SetRemoteView(7, &view);
        QTRY_VERIFY([&] {
            QMutexLocker lock(&mutex);
            return !firsts.isEmpty();
        }());
        QTest::qWait(200);
        QMutexLocker lock(&mutex);
        QCOMPARE(firsts.size(), 1);
        QCOMPARE(firsts.first().first, 7u);
        QCOMPARE(firsts.first().second, QSize(320, 240));
        rtcmedia::SetFirstFrameHandler(nullptr);
        rtcmedia::SetRemoteView(7, nullptr);
    }

    // An engine that takes its observer away (release) gets no call into
    // it afterwards, not even one that was on its way.
    void ObserverTakenAwayIsNotCalledAfterwards()
    {
        struct Slow : rtc::IVideoFrameObserver {
            std::atomic<int> inside { 0 };
            std::atomic<int> calls { 0 };
            bool onCaptureVideoFrame(rtc::VideoFrame&) override
            {
                ++inside;
                ++calls;
                QThread::msleep(150);
                --inside;
                return true;
            }
            bool onRenderVideoFrame(rtc::uid_t, rtc::VideoFrame&) override { return true; }
        } slow;
        rtcmedia::SetFrameObserver(&slow);
        GstElement* camera = rtcmedia::MakeCameraSource(QStringLiteral("camera:demo"), 3);
        Pipeline pipeline { camera, FakeSink() };
        QTRY_VERIFY(slow.inside > 0);
        rtcmedia::SetFrameObserver(nullptr);
        QCOMPARE(slow.inside.load(), 0);
        const int calls = slow.calls;
        QTest::qWait(300);
        QCOMPARE(slow.calls.load(), calls);
    }

    // The device managers of the engine drive the live streams.
    void EngineDeviceChoiceVolumeAndMuteActOnTheMicrophone()
    {
        RtcEngineControl::Reset();
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Recording, {});
        RtcEngineControl::PlugDevice(RtcEngineControl::DeviceKind::Recording,
            RtcEngineControl::Device { QStringLiteral("Mic A"), QStringLiteral("in:Mic A") });
        rtc::IRtcEngine* engine = InitializedEngine();
        QVERIFY(engine);
        auto* audio = Query<rtc::IAudioDeviceManager>(engine, rtc::AGORA_IID_AUDIO_DEVICE_MANAGER);
        auto* parameters = Query<rtc::IRtcEngineParameter>(engine, rtc::AGORA_IID_RTC_ENGINE_PARAMETER);
        QVERIFY(audio && parameters);

        GstElement* microphone = rtcmedia::MakeMicrophoneSource(QString());
        Pipeline pipeline { microphone, FakeSink() };
        QTest::qWait(200);
        QCOMPARE(LevelOver(200, true), 0);
        QCOMPARE(audio->setRecordingDevice("in:Mic A"), 0);
        QTRY_VERIFY(LevelOver(200, true) > 30);
        QCOMPARE(audio->setRecordingDeviceVolume(0), 0);
        QTRY_COMPARE(LevelOver(200, true), 0);
        QCOMPARE(audio->setRecordingDeviceVolume(255), 0);
        QTRY_VERIFY(LevelOver(200, true) > 30);
        QCOMPARE(parameters->setParameters("{\"rtc.audio.mute_me\":true,\"che.audio.mute_me\":true}"), 0);
        QTRY_COMPARE(LevelOver(200, true), 0);
        QCOMPARE(parameters->setParameters("{\"rtc.audio.mute_me\":false,\"che.audio.mute_me\":false}"), 0);
        QTRY_VERIFY(LevelOver(200, true) > 30);
        // The chosen microphone goes away: no microphone is left.
        QVERIFY(RtcEngineControl::UnplugDevice(RtcEngineControl::DeviceKind::Recording, QStringLiteral("in:Mic A")));
        QTRY_COMPARE(LevelOver(200, true), 0);

        parameters->release();
        audio->release();
        engine->release(false);
        RtcEngineControl::Reset();
    }

    void EngineCameraChoiceSwitchesTheLiveCamera()
    {
        RtcEngineControl::Reset();
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Camera, {});
        RtcEngineControl::PlugDevice(RtcEngineControl::DeviceKind::Camera,
            RtcEngineControl::Device { QStringLiteral("Cam X"), QStringLiteral("cam:x") });
        rtc::IRtcEngine* engine = InitializedEngine();
        QVERIFY(engine);
        auto* video = Query<rtc::IVideoDeviceManager>(engine, rtc::AGORA_IID_VIDEO_DEVICE_MANAGER);
        QVERIFY(video);

        GstElement* camera = rtcmedia::MakeCameraSource(QString(), 31);
        Pipeline pipeline { camera, FakeSink() };
        QTRY_VERIFY(m_observer.Captured() > 0 && m_observer.LastCapture().meanY < 30);
        QCOMPARE(video->setDevice("cam:x"), 0);
        QTRY_VERIFY(m_observer.LastCapture().code.valid && m_observer.LastCapture().code.uid == 31);

        video->release();
        engine->release(false);
        RtcEngineControl::Reset();
    }
};

// Drawing into native windows, where the display has them (the test runs
// again under a virtual X server); skipped elsewhere.
class TestRtcMediaWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;

    static QImage Grab(QWidget* view)
    {
        return view->screen()->grabWindow(view->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    static bool IsGreen(QRgb pixel) { return qGreen(pixel) > 180 && qRed(pixel) < 80 && qBlue(pixel) < 80; }
    // Every corner and the centre of the view shows the green picture.
    static bool Filled(QWidget* view)
    {
        const QImage image = Grab(view);
        if (image.isNull())
            return false;
        const int w = image.width() - 2;
        const int h = image.height() - 2;
        for (const QPoint& p : { QPoint(1, 1), QPoint(w, 1), QPoint(1, h), QPoint(w, h), QPoint(w / 2, h / 2) }) {
            if (!IsGreen(image.pixel(p)))
                return false;
        }
        return true;
    }
    // What the screen shows of the window, native children included.
    void Screenshot(const QString& name)
    {
        QDir().mkpath(TestSupport::ScreenshotFolder());
        Grab(m_window.get()).save(TestSupport::ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
    QWidget* View(const QRect& geometry)
    {
        auto* view = new QWidget(m_window.get());
        view->setGeometry(geometry);
        view->setAutoFillBackground(true);
        QPalette palette = view->palette();
        palette.setColor(QPalette::Window, Qt::blue);
        view->setPalette(palette);
        view->show();
        return view;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("no native windows on this display");
        rtcmedia::Init();
    }
    void init()
    {
        PlugGeneratedDevices();
        m_window = std::make_unique<QWidget>();
        m_window->setGeometry(0, 0, 900, 560);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void RemoteVideoFillsTheViewAndFollowsItsSizeAndANewCanvas()
    {
        QWidget* view = View(QRect(10, 10, 320, 180));
        rtcmedia::SetRemoteView(5, view);
        GstElement* sink = rtcmedia::MakeRemoteVideoSink(5);
        Pipeline pipeline { Parsed("videotestsrc is-live=true pattern=solid-color foreground-color=0xff00ff00 ! "
                                   "capsfilter caps=video/x-raw,width=640,height=480"),
            sink };
        QVERIFY(pipeline.Started());
        QTRY_VERIFY_WITH_TIMEOUT(Filled(view), 15000);
        Screenshot(QStringLiteral("rtc-media-remote"));

        view->resize(200, 200);
        QTRY_VERIFY_WITH_TIMEOUT(Filled(view), 15000);

        QWidget* other = View(QRect(400, 10, 240, 240));
        QVERIFY(!Filled(other));
        rtcmedia::SetRemoteView(5, other);
        QTRY_VERIFY_WITH_TIMEOUT(Filled(other), 15000);

        // The old view went away with its canvas; deleting the new one
        // while pictures arrive harms nothing.
        delete view;
        delete other;
        QTest::qWait(300);
        rtcmedia::SetRemoteView(5, nullptr);
    }

    // The engine draws the local camera into the local canvas only, never
    // into a remote user's.
    void EngineDrawsTheLocalCameraIntoTheLocalCanvasOnly()
    {
        QWidget* remote = View(QRect(0, 0, 320, 240));
        QWidget* local = View(QRect(400, 0, 320, 240));
        rtc::IRtcEngine* engine = InitializedEngine();
        QVERIFY(engine);
        QCOMPARE(engine->setupLocalVideo(rtc::VideoCanvas { local, 1, 4, nullptr }), 0);
        QCOMPARE(engine->setupRemoteVideo(rtc::VideoCanvas { remote, 1, 9, nullptr }), 0);
        rtcmedia::Preview preview;
        QVERIFY(preview.Start(QStringLiteral("camera:demo"), 4));
        auto blue = [](QWidget* view) {
            const QImage image = Grab(view);
            const QRgb pixel = image.pixel(image.width() / 2, image.height() / 2);
            return qBlue(pixel) > 200 && qRed(pixel) < 60 && qGreen(pixel) < 60;
        };
        QTRY_VERIFY_WITH_TIMEOUT(!blue(local), 15000);
        QTest::qWait(300);
        QVERIFY(blue(remote));
        preview.Stop();
        engine->release(false);
    }

    void LocalPreviewDrawsTheGeneratedCameraReadably()
    {
        QWidget* view = View(QRect(0, 0, 640, 480));
        rtcmedia::SetLocalView(view);
        rtcmedia::Preview preview;
        QVERIFY(preview.Start(QStringLiteral("camera:demo"), 4242));
        // Drawn one to one: the codes read back from the screen.
        auto code = [view] {
            const QImage grey = Grab(view).convertToFormat(QImage::Format_Grayscale8);
            rtc::VideoFrame frame;
            frame.width = grey.width();
            frame.height = grey.height();
            frame.yStride = grey.bytesPerLine();
            frame.yBuffer = grey.constBits();
            return rtcmedia::ReadPictureCode(frame);
        };
        QTRY_VERIFY(code().valid);
        QCOMPARE(code().uid, 4242u);
        const quint32 stamp = code().stampMs;
        QTRY_VERIFY(code().valid && code().stampMs - stamp > 200);
        Screenshot(QStringLiteral("rtc-media-preview"));
        preview.Stop();
        rtcmedia::SetLocalView(nullptr);
    }
};

PLOVIX_TEST(TestRtcMedia)
PLOVIX_TEST(TestRtcMediaWindow)
#include "tst_RtcMedia.moc"
