#include "SystemDevices.h"
#include "rtc/EngineState.h"

#include <algorithm>

namespace {
rtcengine::DeviceKind KindOf(QAudio::Mode mode)
{
    return mode == QAudio::AudioInput ? rtcengine::DeviceKind::Recording : rtcengine::DeviceKind::Playback;
}
} // namespace

namespace SystemDevices {

QStringList AudioNames(QAudio::Mode mode)
{
    QStringList names;
    for (const rtcengine::Device& device : rtcengine::ListDevices(KindOf(mode)))
        names << device.name;
    return names;
}

QString DefaultAudioName(QAudio::Mode mode)
{
    const QList<rtcengine::Device> devices = rtcengine::ListDevices(KindOf(mode));
    const QString id = rtcengine::DefaultDeviceId(KindOf(mode), devices);
    for (const rtcengine::Device& device : devices) {
        if (device.id == id)
            return device.name;
    }
    return QString();
}

QList<Camera> Cameras()
{
    QList<Camera> cameras;
    for (const rtcengine::Device& device : rtcengine::ListDevices(rtcengine::DeviceKind::Camera))
        cameras << Camera { device.id, device.name };
    return cameras;
}

QAudioDeviceInfo QtAudioDevice(QAudio::Mode mode, const QString& name)
{
    if (name.isEmpty())
        return QAudioDeviceInfo();
    const QAudioDeviceInfo preferred
        = mode == QAudio::AudioInput ? QAudioDeviceInfo::defaultInputDevice() : QAudioDeviceInfo::defaultOutputDevice();
    if (!preferred.isNull() && preferred.deviceName() == name)
        return preferred;
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(mode);
    for (const QAudioDeviceInfo& device : devices) {
        if (device.deviceName() == name)
            return device;
    }
    return QAudioDeviceInfo();
}

QString ChosenAudioName(QAudio::Mode mode)
{
    const QString id = rtcmedia::ChosenDevice(KindOf(mode));
    for (const rtcengine::Device& device : rtcengine::ListDevices(KindOf(mode))) {
        if (device.id == id)
            return device.name;
    }
    return QString();
}

QString AudioId(QAudio::Mode mode, const QString& name)
{
    for (const rtcengine::Device& device : rtcengine::ListDevices(KindOf(mode))) {
        if (device.name == name)
            return device.id;
    }
    return QString();
}

bool IsGeneratedAudio(QAudio::Mode mode, const QString& name)
{
    const QList<rtcengine::Device> devices = rtcengine::ListDevices(KindOf(mode));
    return std::any_of(devices.cbegin(), devices.cend(), [&](const rtcengine::Device& device) {
        return device.name == name && rtcengine::IsGenerated(KindOf(mode), device.id);
    });
}

bool IsGeneratedCamera(const QString& id)
{
    return rtcengine::IsGenerated(rtcengine::DeviceKind::Camera, id);
}

QAudioFormat PcmFormat(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec(QStringLiteral("audio/pcm"));
    return format;
}

} // namespace SystemDevices
