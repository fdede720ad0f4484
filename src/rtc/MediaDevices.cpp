#include "MediaDevices.h"

#include "app/Nexus.h"
#include "rtc/GeneratedDevices.h"
#include "rtc/GstMediaStreams.h"
#include "session/DataManager.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QAudioOutput>
#include <QCamera>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QDebug>

namespace {

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

unsigned LocalUid()
{
    DataManager* data = Nexus::GetDataManager();
    return data ? unsigned(data->GetUserId()) : 0;
}

// Every listed device opened for real: Qt Multimedia's through Qt
// Multimedia, the others through GStreamer. Only the demo's generated
// devices (and a test's fake ones) are generated here: a microphone among
// them speaks, a camera shows the picture the engine sends.
class SystemMedia : public GeneratedDevices::Devices
{
public:
    SystemMedia()
    {
        keepPlayed = false;
        otherInputs = GeneratedDevices::Speech();
    }

    QAudioFormat NearestFormat(QAudio::Mode mode, const QString& name, const QAudioFormat& format) const override
    {
        const QAudioDeviceInfo device = SystemDevices::QtAudioDevice(mode, name);
        if (device.isNull() || device.isFormatSupported(format))
            return format;
        return device.nearestFormat(format);
    }
    std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format) override
    {
        if (!AudioDevices(mode).contains(name))
            return nullptr;
        const QAudioDeviceInfo device = SystemDevices::QtAudioDevice(mode, name);
        if (!device.isNull()) {
            if (mode == QAudio::AudioInput)
                return std::make_unique<QtAudioStream<QAudioInput>>(device, format);
            return std::make_unique<QtAudioStream<QAudioOutput>>(device, format);
        }
        if (SystemDevices::IsGeneratedAudio(mode, name))
            return Devices::OpenAudio(mode, name, format);
        return GstMediaStreams::OpenAudio(mode, SystemDevices::AudioId(mode, name), format);
    }
    std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) override
    {
        const QCameraInfo info(id.toUtf8());
        if (!info.isNull())
            return std::make_unique<QtCameraStream>(info, view);
        return GstMediaStreams::OpenCamera(id, LocalUid(), view);
    }
};

std::unique_ptr<MediaDevices>& Installed()
{
    static std::unique_ptr<MediaDevices> devices;
    return devices;
}

} // namespace

QStringList MediaDevices::AudioDevices(QAudio::Mode mode) const
{
    return SystemDevices::AudioNames(mode);
}

QString MediaDevices::DefaultAudioDevice(QAudio::Mode mode) const
{
    return SystemDevices::DefaultAudioName(mode);
}

QList<CameraDevice> MediaDevices::Cameras() const
{
    return SystemDevices::Cameras();
}

MediaDevices& MediaDevices::Get()
{
    static SystemMedia system;
    return Installed() ? *Installed() : system;
}

void MediaDevices::Set(std::unique_ptr<MediaDevices> devices)
{
    Installed() = std::move(devices);
}
