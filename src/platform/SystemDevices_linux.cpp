#include "RtcSim.h"
#include "SystemDevices.h"

namespace {
rtcsim::DeviceKind KindOf(QAudio::Mode mode)
{
    return mode == QAudio::AudioInput ? rtcsim::DeviceKind::Recording : rtcsim::DeviceKind::Playback;
}
} // namespace

namespace SystemDevices {

QStringList AudioNames(QAudio::Mode mode)
{
    QStringList names;
    for (const rtcsim::Device& device : rtcsim::ListDevices(KindOf(mode)))
        names << device.name;
    return names;
}

QString DefaultAudioName(QAudio::Mode mode)
{
    const QList<rtcsim::Device> devices = rtcsim::ListDevices(KindOf(mode));
    const QString id = rtcsim::DefaultDeviceId(KindOf(mode), devices);
    for (const rtcsim::Device& device : devices) {
        if (device.id == id)
            return device.name;
    }
    return QString();
}

QList<Camera> Cameras()
{
    QList<Camera> cameras;
    for (const rtcsim::Device& device : rtcsim::ListDevices(rtcsim::DeviceKind::Camera))
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
