#include "MediaDevices.h"

#include "rtc/StandInMedia.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QAudioOutput>
#include <QCamera>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QDebug>

namespace {

QAudioDeviceInfo FindAudio(QAudio::Mode mode, const QString& name)
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

// QAudioInput and QAudioOutput share their shape but no base class.
template <typename Audio> class QtAudioStream : public AudioStream
{
public:
    QtAudioStream(const QAudioDeviceInfo& device, const QAudioFormat& format)
        : m_audio(new Audio(device, format, this))
    {
        connect(m_audio, &Audio::stateChanged, this, &AudioStream::stateChanged);
    }
    ~QtAudioStream() override
    {
        // Stopping while being destroyed announces nothing.
        m_audio->disconnect(this);
        m_audio->stop();
    }

    QAudioFormat format() const override { return m_audio->format(); }
    QAudio::State state() const override { return m_audio->state(); }
    QAudio::Error error() const override { return m_audio->error(); }
    void start(QIODevice* device) override { m_audio->start(device); }
    QIODevice* start() override { return m_audio->start(); }
    void suspend() override { m_audio->suspend(); }
    void resume() override { m_audio->resume(); }
    void stop() override { m_audio->stop(); }
    int bytesReady() const override
    {
        if constexpr (std::is_same_v<Audio, QAudioInput>)
            return m_audio->bytesReady();
        else
            return 0;
    }
    void setNotifyInterval(int ms) override { m_audio->setNotifyInterval(ms); }

private:
    Audio* m_audio;
};

class QtCameraStream : public CameraStream
{
public:
    QtCameraStream(const QCameraInfo& info, QCameraViewfinder* view)
        : m_camera(new QCamera(info, this))
    {
        m_camera->setViewfinder(view);
        connect(m_camera, QOverload<QCamera::Error>::of(&QCamera::error), this, [this](QCamera::Error error) {
            qDebug() << "the camera failed, error:" << error << m_camera->errorString();
            emit failed();
        });
        connect(m_camera, QOverload<QMultimedia::AvailabilityStatus>::of(&QCamera::availabilityChanged), this,
            [this](QMultimedia::AvailabilityStatus status) {
                if (status != QMultimedia::Available)
                    emit failed();
            });
    }
    void start() override { m_camera->start(); }
    void stop() override { m_camera->stop(); }

private:
    QCamera* m_camera;
};

class QtMediaDevices : public MediaDevices
{
public:
    QStringList AudioDevices(QAudio::Mode mode) const override
    {
        QStringList names;
        const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(mode);
        for (const QAudioDeviceInfo& device : devices) {
            // A sound server that cannot be reached lists one null device.
            if (!device.isNull() && !device.deviceName().isEmpty() && !names.contains(device.deviceName()))
                names << device.deviceName();
        }
        return names;
    }
    QString DefaultAudioDevice(QAudio::Mode mode) const override
    {
        const QAudioDeviceInfo device = mode == QAudio::AudioInput ? QAudioDeviceInfo::defaultInputDevice()
                                                                   : QAudioDeviceInfo::defaultOutputDevice();
        return device.isNull() ? QString() : device.deviceName();
    }
    QAudioFormat NearestFormat(QAudio::Mode mode, const QString& name, const QAudioFormat& format) const override
    {
        const QAudioDeviceInfo device = FindAudio(mode, name);
        if (device.isNull() || device.isFormatSupported(format))
            return format;
        return device.nearestFormat(format);
    }
    std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format) override
    {
        const QAudioDeviceInfo device = FindAudio(mode, name);
        if (device.isNull())
            return nullptr;
        if (mode == QAudio::AudioInput)
            return std::make_unique<QtAudioStream<QAudioInput>>(device, format);
        return std::make_unique<QtAudioStream<QAudioOutput>>(device, format);
    }
    QList<CameraDevice> Cameras() const override
    {
        QList<CameraDevice> cameras;
        const QList<QCameraInfo> infos = QCameraInfo::availableCameras();
        for (const QCameraInfo& info : infos)
            cameras << CameraDevice { info.deviceName(), info.description() };
        return cameras;
    }
    std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) override
    {
        const QList<QCameraInfo> infos = QCameraInfo::availableCameras();
        for (const QCameraInfo& info : infos) {
            if (info.deviceName() == id)
                return std::make_unique<QtCameraStream>(info, view);
        }
        return nullptr;
    }
};

std::unique_ptr<MediaDevices>& Installed()
{
    static std::unique_ptr<MediaDevices> devices;
    return devices;
}

} // namespace

QAudioFormat MediaDevices::PcmFormat(int sampleRate)
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

MediaDevices& MediaDevices::Get()
{
    static QtMediaDevices system;
    if (Installed())
        return *Installed();
    // The demo runs on machines without sound card or camera; it asks for
    // generated ones so that every test has something to test.
    static const std::unique_ptr<MediaDevices> demo
        = qEnvironmentVariableIntValue("PLOVIX_MEDIA_DEMO") == 1 ? StandInMedia::Devices::Demo(system) : nullptr;
    return demo ? *demo : system;
}

void MediaDevices::Set(std::unique_ptr<MediaDevices> devices)
{
    Installed() = std::move(devices);
}
