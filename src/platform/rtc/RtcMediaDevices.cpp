// The machine's devices as GStreamer's device monitor sees them, and the
// elements that open a device of the engine's list.
#include "RtcMediaInner.h"

#include <QAudioDeviceInfo>
#include <QCameraInfo>
#include <QDebug>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace rtcmedia {

using namespace inner;

namespace {

const char* ClassOf(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Recording:
        return "Audio/Source";
    case DeviceKind::Playback:
        return "Audio/Sink";
    case DeviceKind::Camera:
        break;
    }
    return "Video/Source";
}

// Started once and kept running, so that its lists follow devices plugged
// in and out. Sound devices are not watched while they are off limits.
GstDeviceMonitor* Monitor()
{
    static GstDeviceMonitor* monitor = [] {
        Init();
        GstDeviceMonitor* m = gst_device_monitor_new();
        if (!AudioDisabled()) {
            gst_device_monitor_add_filter(m, "Audio/Source", nullptr);
            gst_device_monitor_add_filter(m, "Audio/Sink", nullptr);
        }
        gst_device_monitor_add_filter(m, "Video/Source", nullptr);
        if (!gst_device_monitor_start(m))
            qInfo() << "RTC media: the device monitor does not start; devices are probed at each listing";
        return m;
    }();
    return monitor;
}

QString TakeString(gchar* text)
{
    const QString result = QString::fromUtf8(text ? text : "");
    g_free(text);
    return result;
}

MonitoredDevice Describe(GstDevice* device)
{
    MonitoredDevice described;
    described.name = TakeString(gst_device_get_display_name(device));
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
        gchar* internal = nullptr;
        g_object_get(device, "internal-name", &internal, nullptr);
        described.internalName = TakeString(internal);
    }
    if (GstStructure* properties = gst_device_get_properties(device)) {
        for (const char* key : { "api.v4l2.path", "device.path" }) {
            if (const gchar* path = gst_structure_get_string(properties, key)) {
                described.path = QString::fromUtf8(path);
                break;
            }
        }
        gst_structure_free(properties);
    }
    return described;
}

// The monitor's devices of one kind, with a reference each.
QList<GstDevice*> GstDevices(DeviceKind kind)
{
    QList<GstDevice*> devices;
    if (kind != DeviceKind::Camera && AudioDisabled())
        return devices;
    GList* list = gst_device_monitor_get_devices(Monitor());
    for (GList* item = list; item; item = item->next) {
        auto* device = GST_DEVICE(item->data);
        if (gst_device_has_classes(device, ClassOf(kind)))
            devices << GST_DEVICE(gst_object_ref(device));
    }
    g_list_free_full(list, gst_object_unref);
    return devices;
}

void Release(const QList<GstDevice*>& devices)
{
    for (GstDevice* device : devices)
        gst_object_unref(device);
}

// The name a sound device of the engine's list carries ("in:NAME").
QString AudioName(const QString& id)
{
    const int colon = id.indexOf(QLatin1Char(':'));
    return colon < 0 ? id : id.mid(colon + 1);
}

// A device Qt Multimedia lists that the monitor does not: opened by its
// name through the sound server the monitor found, or ALSA.
GstElement* ByName(DeviceKind kind, const QString& name, bool pulse)
{
    const char* factory
        = kind == DeviceKind::Recording ? (pulse ? "pulsesrc" : "alsasrc") : (pulse ? "pulsesink" : "alsasink");
    GstElement* element = Make(factory);
    if (element)
        g_object_set(element, "device", name.toUtf8().constData(), nullptr);
    return element;
}

// The local socket a PulseAudio (or PipeWire's PulseAudio) server listens
// on; empty when the server named is reached over the network.
QString SoundServerSocket()
{
    const QString named = qEnvironmentVariable("PULSE_SERVER");
    if (!named.isEmpty()) {
        if (named.startsWith(QLatin1String("unix:")))
            return named.mid(5);
        return named.startsWith(QLatin1Char('/')) ? named : QString();
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR", QStringLiteral("/run/user/%1").arg(getuid()));
    return runtime + QStringLiteral("/pulse/native");
}

bool SoundServerAnswers()
{
    const QString path = SoundServerSocket();
    if (path.isEmpty())
        return true;
    const QByteArray name = path.toLocal8Bit();
    sockaddr_un address {};
    if (name.size() >= int(sizeof(address.sun_path)))
        return true;
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return true;
    const bool answers = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(probe);
    return answers;
}

} // namespace

void inner::PassOverMissingSoundServer()
{
    if (SoundServerAnswers())
        return;
    // Without a server these fail to connect, and every try leaves its main
    // loop's pipes and shared memory open: descriptors lost at each device
    // listing and each lesson. ALSA serves instead.
    for (const char* name : { "pulsesrc", "pulsesink", "pulsedeviceprovider" }) {
        if (GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), name)) {
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
            gst_object_unref(feature);
        }
    }
    qInfo() << "RTC media: no PulseAudio server answers; sound devices are reached through ALSA";
}

bool AudioDisabled()
{
    return qEnvironmentVariableIntValue("PLOVIX_RTC_NO_AUDIO") == 1;
}

QList<MonitoredDevice> MonitoredDevices(DeviceKind kind)
{
    const QList<GstDevice*> devices = GstDevices(kind);
    QList<MonitoredDevice> described;
    for (GstDevice* device : devices)
        described << Describe(device);
    Release(devices);
    return described;
}

namespace {

GstElement* FindDeviceElement(DeviceKind kind, const QString& id)
{
    const QList<GstDevice*> devices = GstDevices(kind);
    const QString name = kind == DeviceKind::Camera ? id : AudioName(id);
    GstElement* element = nullptr;
    bool pulse = false;
    for (GstDevice* device : devices) {
        const MonitoredDevice described = Describe(device);
        pulse = pulse || QLatin1String(G_OBJECT_TYPE_NAME(device)).contains(QLatin1String("Pulse"));
        const bool match = kind == DeviceKind::Camera
            ? (described.path == id || (described.path.isEmpty() && described.name == id))
            : (described.internalName == name || described.name == name);
        if (match && !element)
            element = gst_device_create_element(device, nullptr);
    }
    Release(devices);
    if (element)
        return element;
    if (kind == DeviceKind::Camera) {
        for (const QCameraInfo& info : QCameraInfo::availableCameras()) {
            if (info.deviceName() == id && id.startsWith(QLatin1String("/dev/"))) {
                element = Make("v4l2src");
                if (element)
                    g_object_set(element, "device", id.toUtf8().constData(), nullptr);
                return element;
            }
        }
        return nullptr;
    }
    const QAudio::Mode mode = kind == DeviceKind::Recording ? QAudio::AudioInput : QAudio::AudioOutput;
    for (const QAudioDeviceInfo& info : QAudioDeviceInfo::availableDevices(mode)) {
        if (info.deviceName() == name)
            return ByName(kind, name, pulse);
    }
    return nullptr;
}

} // namespace

GstElement* MakeDeviceElement(DeviceKind kind, const QString& id, bool* failed)
{
    if (failed)
        *failed = false;
    if (id.isEmpty() || (kind != DeviceKind::Camera && AudioDisabled()))
        return nullptr;
    GstElement* element = FindDeviceElement(kind, id);
    if (!element)
        return nullptr;
    // A device that is gone, busy or refused would fail the whole call's
    // pipeline: it is tried here, and left out when it does not open.
    gst_object_ref_sink(element);
    const bool opens = gst_element_set_state(element, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(element, GST_STATE_NULL);
    if (!opens) {
        qWarning() << "RTC media: the device" << id << "does not open";
        gst_object_unref(element);
        if (failed)
            *failed = true;
        return nullptr;
    }
    // Floating again, as made: the bin it goes into takes it.
    g_object_force_floating(G_OBJECT(element));
    return element;
}

} // namespace rtcmedia
