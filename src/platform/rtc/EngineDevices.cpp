// The engine's devices: the system's recording and playback devices as Qt
// Multimedia names them and those only GStreamer's device monitor finds,
// its cameras, or the lists a test set instead; the rest of the program
// reads the same lists through SystemDevices. Choosing a device or a volume
// switches the live media.
#include "EngineState.h"
#include "platform/RtcEngine.h"
#include "platform/rtc/RtcMedia.h"

#include <QAudioDeviceInfo>
#include <QCameraInfo>
#include <algorithm>
#include <cstring>

using namespace rtcengine;

namespace {

constexpr int kDefaultVolume = 200;

const char* KindPrefix(DeviceKind kind)
{
    return kind == DeviceKind::Recording ? "in:" : "out:";
}

QList<Device> SystemAudio(DeviceKind kind)
{
    const QAudio::Mode mode = kind == DeviceKind::Recording ? QAudio::AudioInput : QAudio::AudioOutput;
    QList<Device> devices;
    QStringList seen;
    for (const QAudioDeviceInfo& info : QAudioDeviceInfo::availableDevices(mode)) {
        const QString name = info.deviceName();
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen << name;
        // Ids differ from names on purpose: whoever mixes them up fails.
        devices << Device { name, QLatin1String(KindPrefix(kind)) + name };
    }
    // A device Qt Multimedia lists is known by its name there, which is the
    // sound server's own name of it.
    for (const rtcmedia::MonitoredDevice& device : rtcmedia::MonitoredDevices(kind)) {
        if (device.name.isEmpty() || seen.contains(device.name)
            || (!device.internalName.isEmpty() && seen.contains(device.internalName)))
            continue;
        seen << device.name;
        devices << Device { device.name, QLatin1String(KindPrefix(kind)) + device.name };
    }
    return devices;
}

QList<Device> SystemCameras()
{
    QList<Device> devices;
    for (const QCameraInfo& info : QCameraInfo::availableCameras())
        devices << Device { info.description(), info.deviceName() };
    for (const rtcmedia::MonitoredDevice& camera : rtcmedia::MonitoredDevices(DeviceKind::Camera)) {
        const QString id = camera.path.isEmpty() ? camera.name : camera.path;
        const bool listed
            = std::any_of(devices.cbegin(), devices.cend(), [&id](const Device& device) { return device.id == id; });
        if (!listed && !id.isEmpty())
            devices << Device { camera.name, id };
    }
    if (qEnvironmentVariableIntValue("PLOVIX_RTC_FAKE_CAMERA") == 1)
        devices << Device { QStringLiteral("Plovix test pattern"), QStringLiteral("plovix-test-pattern") };
    return devices;
}

bool DemoWanted()
{
    return qEnvironmentVariableIntValue("PLOVIX_MEDIA_DEMO") == 1;
}

QList<Device> SystemDevices(DeviceKind kind)
{
    QList<Device> devices = kind == DeviceKind::Camera ? SystemCameras() : SystemAudio(kind);
    // The demo runs on machines without sound card or camera; it asks for a
    // generated device of each missing kind, so that the camera button, the
    // device dialog and the device test have something to use.
    if (devices.isEmpty() && DemoWanted())
        devices << DemoDevice(kind);
    return devices;
}

// Copies text into a device buffer, cut at a character boundary.
void Fill(char* buffer, const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() >= rtc::kMaxDeviceIdLength) {
        int end = rtc::kMaxDeviceIdLength - 1;
        while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
            --end;
        bytes.truncate(end);
    }
    std::memcpy(buffer, bytes.constData(), size_t(bytes.size()));
    buffer[bytes.size()] = '\0';
}

QString Text(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

class EngineCollection : public rtc::IDeviceCollection
{
public:
    explicit EngineCollection(const QList<Device>& devices)
        : m_devices(devices)
    { }
    int getCount() override
    {
        Journal(QStringLiteral("collection.getCount"));
        return m_devices.size();
    }
    int getDevice(int index, char deviceName[rtc::kMaxDeviceIdLength], char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        if (auto rc = Journal(QStringLiteral("collection.getDevice %1").arg(index)))
            return *rc;
        if (index < 0 || index >= m_devices.size() || !deviceName || !deviceId)
            return rtc::ERR_INVALID_ARGUMENT;
        Fill(deviceName, m_devices.at(index).name);
        Fill(deviceId, m_devices.at(index).id);
        return rtc::ERR_OK;
    }
    void release() override
    {
        Journal(QStringLiteral("collection.release"));
        delete this;
    }

private:
    QList<Device> m_devices;
};

class EngineAudioDevices : public rtc::IAudioDeviceManager
{
public:
    explicit EngineAudioDevices(std::shared_ptr<EngineCore> engine)
        : m_engine(std::move(engine))
    { }
    rtc::IDeviceCollection* enumeratePlaybackDevices() override { return Enumerate(DeviceKind::Playback); }
    rtc::IDeviceCollection* enumerateRecordingDevices() override { return Enumerate(DeviceKind::Recording); }
    int setPlaybackDevice(const char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        return Set(DeviceKind::Playback, deviceId);
    }
    int getPlaybackDevice(char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        return Get(DeviceKind::Playback, deviceId);
    }
    int setPlaybackDeviceVolume(int volume) override { return SetVolume(DeviceKind::Playback, volume); }
    int getPlaybackDeviceVolume(int* volume) override { return GetVolume(DeviceKind::Playback, volume); }
    int setRecordingDevice(const char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        return Set(DeviceKind::Recording, deviceId);
    }
    int getRecordingDevice(char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        return Get(DeviceKind::Recording, deviceId);
    }
    int setRecordingDeviceVolume(int volume) override { return SetVolume(DeviceKind::Recording, volume); }
    int getRecordingDeviceVolume(int* volume) override { return GetVolume(DeviceKind::Recording, volume); }
    void release() override
    {
        m_engine->Enter(QStringLiteral("release audio"), false);
        delete this;
    }

private:
    static QString Name(DeviceKind kind) { return kind == DeviceKind::Recording ? "Recording" : "Playback"; }
    rtc::IDeviceCollection* Enumerate(DeviceKind kind)
    {
        if (m_engine->Enter(QStringLiteral("enumerate%1Devices").arg(Name(kind))))
            return nullptr;
        return NewCollection(ListDevices(kind));
    }
    int Set(DeviceKind kind, const char* id)
    {
        if (auto rc = m_engine->Enter(QStringLiteral("set%1Device %2").arg(Name(kind), Text(id))))
            return *rc;
        return m_engine->SetCurrentDevice(kind, Text(id));
    }
    int Get(DeviceKind kind, char* id)
    {
        if (auto rc = m_engine->Enter(QStringLiteral("get%1Device").arg(Name(kind))))
            return *rc;
        if (!id)
            return rtc::ERR_INVALID_ARGUMENT;
        Fill(id, m_engine->CurrentDevice(kind));
        return rtc::ERR_OK;
    }
    int SetVolume(DeviceKind kind, int volume)
    {
        if (auto rc = m_engine->Enter(QStringLiteral("set%1DeviceVolume %2").arg(Name(kind)).arg(volume)))
            return *rc;
        return m_engine->SetVolume(kind, volume);
    }
    int GetVolume(DeviceKind kind, int* volume)
    {
        if (auto rc = m_engine->Enter(QStringLiteral("get%1DeviceVolume").arg(Name(kind))))
            return *rc;
        return m_engine->GetVolume(kind, volume);
    }

    std::shared_ptr<EngineCore> m_engine;
};

class EngineVideoDevices : public rtc::IVideoDeviceManager
{
public:
    explicit EngineVideoDevices(std::shared_ptr<EngineCore> engine)
        : m_engine(std::move(engine))
    { }
    rtc::IDeviceCollection* enumerateVideoDevices() override
    {
        if (m_engine->Enter(QStringLiteral("enumerateVideoDevices")))
            return nullptr;
        return NewCollection(ListDevices(DeviceKind::Camera));
    }
    int setDevice(const char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("setDevice %1").arg(Text(deviceId))))
            return *rc;
        return m_engine->SetCurrentDevice(DeviceKind::Camera, Text(deviceId));
    }
    int getDevice(char deviceId[rtc::kMaxDeviceIdLength]) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("getDevice")))
            return *rc;
        if (!deviceId)
            return rtc::ERR_INVALID_ARGUMENT;
        Fill(deviceId, m_engine->CurrentDevice(DeviceKind::Camera));
        return rtc::ERR_OK;
    }
    void release() override
    {
        m_engine->Enter(QStringLiteral("release video"), false);
        delete this;
    }

private:
    std::shared_ptr<EngineCore> m_engine;
};

} // namespace

namespace rtcengine {

Device DemoDevice(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Recording:
        return Device { QStringLiteral("演示麦克风"), QStringLiteral("in:演示麦克风") };
    case DeviceKind::Playback:
        return Device { QStringLiteral("演示扬声器"), QStringLiteral("out:演示扬声器") };
    case DeviceKind::Camera:
        break;
    }
    return Device { QStringLiteral("演示摄像头"), QStringLiteral("camera:demo") };
}

bool IsGenerated(DeviceKind kind, const QString& id)
{
    if (id.isEmpty())
        return false;
    const auto has = [&id](const QList<Device>& devices) {
        return std::any_of(devices.cbegin(), devices.cend(), [&id](const Device& d) { return d.id == id; });
    };
    {
        QMutexLocker lock(&Lock());
        const Settings& s = State();
        if (has(s.plugged[int(kind)]) || (s.devices[int(kind)] && has(*s.devices[int(kind)])))
            return true;
    }
    // The demo's device only while the demo lists it: never beside, or
    // instead of, a device of the computer's.
    return DemoWanted() && id == DemoDevice(kind).id && has(SystemDevices(kind));
}

void SetMediaVolume(DeviceKind kind, int volume)
{
    if (kind == DeviceKind::Recording)
        rtcmedia::SetRecordingVolume(volume);
    else
        rtcmedia::SetPlaybackVolume(volume);
}

QList<Device> ListDevices(DeviceKind kind)
{
    std::optional<QList<Device>> set;
    QList<Device> plugged;
    {
        QMutexLocker lock(&Lock());
        set = State().devices[int(kind)];
        plugged = State().plugged[int(kind)];
    }
    QList<Device> devices = set ? *set : SystemDevices(kind);
    for (const Device& device : plugged) {
        const bool listed = std::any_of(
            devices.cbegin(), devices.cend(), [&device](const Device& other) { return other.id == device.id; });
        if (!listed)
            devices << device;
    }
    return devices;
}

QString DefaultDeviceId(DeviceKind kind, const QList<Device>& devices)
{
    if (devices.isEmpty())
        return QString();
    bool fake = false;
    {
        QMutexLocker lock(&Lock());
        fake = State().devices[int(kind)].has_value();
    }
    if (!fake) {
        QString name;
        if (kind == DeviceKind::Recording)
            name = QAudioDeviceInfo::defaultInputDevice().deviceName();
        else if (kind == DeviceKind::Playback)
            name = QAudioDeviceInfo::defaultOutputDevice().deviceName();
        else
            name = QCameraInfo::defaultCamera().description();
        for (const Device& device : devices) {
            if (device.name == name)
                return device.id;
        }
    }
    return devices.first().id;
}

rtc::IDeviceCollection* NewCollection(const QList<Device>& devices)
{
    return new EngineCollection(devices);
}

rtc::IAudioDeviceManager* NewAudioDeviceManager(std::shared_ptr<EngineCore> engine)
{
    return new EngineAudioDevices(std::move(engine));
}

rtc::IVideoDeviceManager* NewVideoDeviceManager(std::shared_ptr<EngineCore> engine)
{
    return new EngineVideoDevices(std::move(engine));
}

QString EngineCore::CurrentDevice(DeviceKind kind)
{
    QString chosen;
    {
        QMutexLocker lock(&Lock());
        chosen = m_current[int(kind)];
    }
    const QList<Device> devices = ListDevices(kind);
    // A chosen device that is unplugged is not used while it is away: the
    // system's default takes over.
    if (!chosen.isEmpty()
        && std::any_of(devices.cbegin(), devices.cend(), [&chosen](const Device& d) { return d.id == chosen; }))
        return chosen;
    return DefaultDeviceId(kind, devices);
}

int EngineCore::SetCurrentDevice(DeviceKind kind, const QString& id)
{
    bool known = false;
    for (const Device& device : ListDevices(kind))
        known = known || device.id == id;
    if (!known)
        return rtc::ERR_INVALID_ARGUMENT;
    int volume = kDefaultVolume;
    {
        QMutexLocker lock(&Lock());
        m_current[int(kind)] = id;
        // The volume is the user's choice for the kind, not the device's: a
        // headset plugged in mid-lesson plays as loud as the slider says.
        volume = m_volumes.value(QLatin1String(KindPrefix(kind)), kDefaultVolume);
    }
    rtcmedia::SetDevice(kind, id);
    if (kind != DeviceKind::Camera)
        SetMediaVolume(kind, volume);
    return rtc::ERR_OK;
}

int EngineCore::SetVolume(DeviceKind kind, int volume)
{
    if (volume < 0 || volume > 255)
        return rtc::ERR_INVALID_ARGUMENT;
    const QString id = CurrentDevice(kind);
    if (id.isEmpty())
        return rtc::ERR_NOT_READY;
    {
        QMutexLocker lock(&Lock());
        m_volumes.insert(QLatin1String(KindPrefix(kind)), volume);
    }
    SetMediaVolume(kind, volume);
    return rtc::ERR_OK;
}

int EngineCore::GetVolume(DeviceKind kind, int* volume)
{
    if (!volume)
        return rtc::ERR_INVALID_ARGUMENT;
    const QString id = CurrentDevice(kind);
    if (id.isEmpty())
        return rtc::ERR_NOT_READY;
    QMutexLocker lock(&Lock());
    *volume = m_volumes.value(QLatin1String(KindPrefix(kind)), kDefaultVolume);
    return rtc::ERR_OK;
}

} // namespace rtcengine
