// The device list as GStreamer's device monitor fills it: a camera only the
// monitor knows is listed, chosen and opened. The camera here comes from a
// device provider of the test's own.
#include <gst/gst.h>

#include "MediaEngine.h"
#include "TestRegistry.h"

#include "platform/RtcEngine.h"
#include "platform/RtcEngineControl.h"
#include "platform/SystemDevices.h"
#include "platform/rtc/RtcMedia.h"

#include <QDir>
#include <QMutex>
#include <QTest>

namespace {

const char* const kPath = "/dev/plovix-fake-video0";
const char* const kBroken = "/dev/plovix-fake-video1";

struct FakeCamera {
    GstDevice parent;
};
struct FakeCameraClass {
    GstDeviceClass parent_class;
};
G_DEFINE_TYPE(FakeCamera, fake_camera, GST_TYPE_DEVICE)

// The working camera shows white; the broken one is a device node that is
// not there.
GstElement* CreateWhite(GstDevice* device, const gchar* name)
{
    gchar* display = gst_device_get_display_name(device);
    const bool broken = g_str_equal(display, "Broken Cam");
    g_free(display);
    if (broken) {
        GstElement* source = gst_element_factory_make("v4l2src", name);
        g_object_set(source, "device", kBroken, nullptr);
        return source;
    }
    GstElement* source = gst_element_factory_make("videotestsrc", name);
    g_object_set(source, "is-live", TRUE, "pattern", 3 /* white */, nullptr);
    return source;
}

void fake_camera_class_init(FakeCameraClass* klass)
{
    GST_DEVICE_CLASS(klass)->create_element = CreateWhite;
}

void fake_camera_init(FakeCamera*)
{ }

struct FakeProvider {
    GstDeviceProvider parent;
};
struct FakeProviderClass {
    GstDeviceProviderClass parent_class;
};
G_DEFINE_TYPE(FakeProvider, fake_provider, GST_TYPE_DEVICE_PROVIDER)

GstDevice* NewCamera(const char* name, const char* path)
{
    GstCaps* caps = gst_caps_new_empty_simple("video/x-raw");
    GstStructure* properties = gst_structure_new("properties", "device.path", G_TYPE_STRING, path, nullptr);
    GstDevice* device = GST_DEVICE(g_object_new(fake_camera_get_type(), "display-name", name, "device-class",
        "Video/Source", "caps", caps, "properties", properties, nullptr));
    gst_caps_unref(caps);
    gst_structure_free(properties);
    return GST_DEVICE(gst_object_ref_sink(device));
}

GList* Probe(GstDeviceProvider*)
{
    return g_list_append(g_list_append(nullptr, NewCamera("Fake Cam", kPath)), NewCamera("Broken Cam", kBroken));
}

void fake_provider_class_init(FakeProviderClass* klass)
{
    GST_DEVICE_PROVIDER_CLASS(klass)->probe = Probe;
    gst_device_provider_class_set_static_metadata(
        GST_DEVICE_PROVIDER_CLASS(klass), "Fake cameras", "Video/Source", "Cameras of a test", "Plovix");
}

void fake_provider_init(FakeProvider*)
{ }

gboolean RegisterProvider(GstPlugin* plugin)
{
    return gst_device_provider_register(plugin, "plovixfakecameras", GST_RANK_PRIMARY, fake_provider_get_type());
}

class WhiteObserver : public rtc::IVideoFrameObserver
{
public:
    bool onCaptureVideoFrame(rtc::VideoFrame& frame) override
    {
        const uint8_t* middle = frame.yBuffer + (frame.height / 2) * frame.yStride + frame.width / 2;
        QMutexLocker lock(&mutex);
        lastY = *middle;
        width = frame.width;
        return true;
    }
    bool onRenderVideoFrame(rtc::uid_t, rtc::VideoFrame&) override { return true; }
    int LastY()
    {
        QMutexLocker lock(&mutex);
        return lastY;
    }
    QMutex mutex;
    int lastY = -1;
    int width = 0;
};

} // namespace

class TestRtcMediaDevices : public QObject
{
    Q_OBJECT

    GstElement* m_pipeline = nullptr;

    // Plays the camera of that id into observer; false when it does not start.
    bool Capture(const QString& id, rtc::IVideoFrameObserver* observer)
    {
        rtcmedia::SetFrameObserver(observer);
        m_pipeline = rtcmedia::OwnThreads(gst_pipeline_new(nullptr));
        GstElement* camera = rtcmedia::MakeCameraSource(id, 5);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        gst_bin_add_many(GST_BIN(m_pipeline), camera, sink, nullptr);
        return gst_element_link(camera, sink)
            && gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    }
    void Stop()
    {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
        rtcmedia::SetFrameObserver(nullptr);
    }

private slots:
    void initTestCase()
    {
        rtcmedia::Init();
        QVERIFY(gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "plovixfake", "Test devices",
            RegisterProvider, "1.0", "LGPL", "plovix", "plovix", "https://plovix.invalid"));
    }

    void MonitoredCameraIsListedChosenAndOpened()
    {
        bool listed = false;
        for (const SystemDevices::Camera& camera : SystemDevices::Cameras())
            listed = listed || (camera.id == QLatin1String(kPath) && camera.description == QLatin1String("Fake Cam"));
        QVERIFY(listed);

        rtc::IRtcEngine* engine = InitializedEngine();
        QVERIFY(engine);
        auto* video = Query<rtc::IVideoDeviceManager>(engine, rtc::AGORA_IID_VIDEO_DEVICE_MANAGER);
        QVERIFY(video);
        QCOMPARE(video->setDevice(kPath), 0);
        char chosen[rtc::kMaxDeviceIdLength] = {};
        QCOMPARE(video->getDevice(chosen), 0);
        QCOMPARE(QString::fromUtf8(chosen), QString::fromUtf8(kPath));

        WhiteObserver observer;
        QVERIFY(Capture(QString::fromUtf8(chosen), &observer));
        // The camera's own white picture, not a generated one.
        QTRY_VERIFY(observer.LastY() > 200);
        Stop();
        video->release();
        engine->release(false);
    }

    // A camera that does not open gives black pictures; the stream, and
    // whatever is sent with it, goes on.
    void CameraThatDoesNotOpenGivesBlack()
    {
        WhiteObserver observer;
        QVERIFY(Capture(QString::fromUtf8(kBroken), &observer));
        QTRY_VERIFY(observer.LastY() >= 0 && observer.LastY() < 30);
        Stop();
    }
};

PLOVIX_TEST(TestRtcMediaDevices)

// The sound devices of a machine whose sound server is not running (or not
// installed): lesson after lesson, opening the microphone and the speaker
// leaves no descriptor behind.
class TestSoundWithoutServer : public QObject
{
    Q_OBJECT

    static int Descriptors() { return QDir("/proc/self/fd").entryList(QDir::System | QDir::NoDotAndDotDot).size(); }

    // One lesson's sound: the microphone played into a participant's output.
    static bool Lesson()
    {
        GstElement* pipeline = gst_pipeline_new(nullptr);
        GstElement* microphone = rtcmedia::MakeMicrophoneSource(QString(), 57);
        GstElement* speaker = rtcmedia::MakeRemoteAudioSink(58);
        gst_bin_add_many(GST_BIN(pipeline), microphone, speaker, nullptr);
        const bool linked = gst_element_link(microphone, speaker);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        QTest::qWait(300);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return linked;
    }

private slots:
    void initTestCase()
    {
        qputenv("PULSE_SERVER", "unix:/nonexistent/plovix-no-sound-server");
        qputenv("PLOVIX_RTC_NO_AUDIO", "0");
        rtcmedia::Init();
    }
    void cleanupTestCase() { qputenv("PLOVIX_RTC_NO_AUDIO", "1"); }

    void LessonsLeaveNoDescriptorOpen()
    {
        QVERIFY(Lesson());
        const int first = Descriptors();
        for (int i = 0; i < 3; ++i)
            QVERIFY(Lesson());
        QCOMPARE(Descriptors(), first);
    }
};

PLOVIX_TEST(TestSoundWithoutServer)
#include "tst_RtcMediaDevices.moc"
