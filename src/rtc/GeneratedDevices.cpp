#include "GeneratedDevices.h"

#include "platform/RtcEngineControl.h"

#include <QCameraViewfinder>
#include <QLabel>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <utility>

namespace GeneratedDevices {

using RtcEngineControl::DeviceKind;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kBlockMs = 20;
} // namespace

Signal Tone(double amplitude, double hz)
{
    return [=](qint64 n, int rate) { return amplitude * std::sin(2 * kPi * hz * double(n) / rate); };
}

Signal Silence()
{
    return [](qint64, int) { return 0.0; };
}

Signal Speech()
{
    return [](qint64 n, int rate) {
        const double t = double(n) / rate;
        // Syllables four times a second, a pause every third second.
        const double syllables = std::fabs(std::sin(2 * kPi * 2 * t));
        const double talking = std::fmod(t, 3.0) < 2.0 ? 1.0 : 0.0;
        const double voice = std::sin(2 * kPi * 180 * t) + 0.5 * std::sin(2 * kPi * 360 * t);
        return 0.3 * talking * syllables * voice;
    };
}

Pipe::Pipe()
{
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

qint64 Pipe::readData(char* out, qint64 max)
{
    const int n = int(qMin<qint64>(max, data.size()));
    std::memcpy(out, data.constData(), size_t(n));
    data.remove(0, n);
    return n;
}

qint64 Pipe::writeData(const char* in, qint64 len)
{
    if (refuseWrites)
        return -1;
    data.append(in, int(len));
    return len;
}

Stream::Stream(QAudio::Mode mode, const QString& name, const QAudioFormat& format, Devices* owner)
    : mode(mode)
    , name(name)
    , m_format(format)
    , m_owner(owner)
{
    m_timer.setInterval(kBlockMs);
    connect(&m_timer, &QTimer::timeout, this, &Stream::Tick);
}

void Stream::start(QIODevice* device)
{
    m_target = Begin() ? device : nullptr;
}

QIODevice* Stream::start()
{
    if (!Begin())
        return nullptr;
    m_pipe = std::make_unique<Pipe>();
    m_pipe->refuseWrites = m_owner->refusingWrites.contains(name);
    return m_target = m_pipe.get();
}

void Stream::stop()
{
    m_timer.stop();
    SetState(QAudio::StoppedState);
}

void Stream::Feed(const QByteArray& block)
{
    if (m_pipe) {
        m_pipe->data.append(block);
        emit m_pipe->readyRead();
    } else if (m_target) {
        m_target->write(block);
    }
}

void Stream::Unplug()
{
    m_timer.stop();
    m_error = QAudio::IOError;
    SetState(QAudio::StoppedState);
}

void Stream::SetState(QAudio::State state)
{
    if (state != m_state)
        emit stateChanged(m_state = state);
}

bool Stream::Begin()
{
    m_timer.stop();
    m_pipe.reset();
    if (!m_owner || m_owner->broken.contains(name) || !m_owner->AudioDevices(mode).contains(name)) {
        m_error = QAudio::OpenError;
        SetState(QAudio::StoppedState);
        return false;
    }
    m_error = QAudio::NoError;
    SetState(QAudio::ActiveState);
    m_timer.start();
    return true;
}

void Stream::Tick()
{
    if (m_state != QAudio::ActiveState || !m_target || !m_owner)
        return;
    const int frames = m_format.sampleRate() * kBlockMs / 1000;
    if (mode == QAudio::AudioInput) {
        const auto found = m_owner->recorded.find(name);
        const Signal& signal = found == m_owner->recorded.end() ? m_owner->otherInputs : found->second;
        QByteArray block(frames * 2, '\0');
        for (int i = 0; i < frames; ++i, ++m_sample) {
            const double value = signal(m_sample, m_format.sampleRate());
            qToLittleEndian(qint16(qBound(-32768.0, std::round(value * 32767), 32767.0)), block.data() + 2 * i);
        }
        Feed(block);
        return;
    }
    const QByteArray chunk = m_pipe ? std::exchange(m_pipe->data, QByteArray())
                                    : m_target->read(qint64(frames) * m_format.bytesPerFrame() * m_owner->playSpeed);
    if (m_owner->keepPlayed)
        played.append(chunk);
    if (!m_pipe && chunk.isEmpty() && m_target->atEnd())
        SetState(QAudio::IdleState);
}

Camera::Camera(const QString& description, QCameraViewfinder* view)
    : m_description(description)
    , m_view(view)
{ }

Camera::~Camera()
{
    stop();
}

void Camera::start()
{
    m_picture = new QLabel(m_description, m_view);
    m_picture->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_picture->setStyleSheet(QStringLiteral("background:qlineargradient(x1:0,y1:0,x2:0,y2:1,stop:0 #78aadc,"
                                            "stop:1 #e6c8a0);color:#ffffff;font:12px;padding:6px;"));
    m_picture->resize(m_view->size());
    m_picture->show();
}

void Camera::stop()
{
    delete m_picture;
}

void Camera::Unplug()
{
    stop();
    emit failed();
}

Devices::~Devices()
{
    for (const QPointer<Stream>& stream : streams) {
        if (stream)
            stream->Orphan();
    }
}

void Devices::Clear()
{
    for (const QPointer<Stream>& stream : streams) {
        if (stream)
            stream->Orphan();
    }
    streams.clear();
    for (auto kind : { DeviceKind::Recording, DeviceKind::Playback, DeviceKind::Camera }) {
        for (const RtcEngineControl::Device& device : RtcEngineControl::Devices(kind))
            RtcEngineControl::UnplugDevice(kind, device.id);
        RtcEngineControl::SetDevices(kind, {});
    }
    recorded.clear();
    otherInputs = Silence();
    broken.clear();
    refusingWrites.clear();
    onlyFormat.clear();
    playSpeed = 1;
    keepPlayed = true;
}

Devices* Devices::Install()
{
    auto devices = std::make_unique<Devices>();
    Devices* raw = devices.get();
    raw->Clear();
    MediaDevices::Set(std::move(devices));
    return raw;
}

Stream* Devices::Last(QAudio::Mode mode, const QString& name) const
{
    for (int i = streams.size() - 1; i >= 0; --i) {
        if (streams[i] && streams[i]->mode == mode && streams[i]->name == name)
            return streams[i];
    }
    return nullptr;
}

void Devices::Unplug(const QString& name)
{
    for (auto kind : { DeviceKind::Recording, DeviceKind::Playback }) {
        for (const RtcEngineControl::Device& device : RtcEngineControl::Devices(kind)) {
            if (device.name == name)
                RtcEngineControl::UnplugDevice(kind, device.id);
        }
    }
    for (const QPointer<Stream>& stream : streams) {
        if (stream && stream->name == name && stream->state() != QAudio::StoppedState)
            stream->Unplug();
    }
}

QAudioFormat Devices::NearestFormat(QAudio::Mode, const QString& name, const QAudioFormat& format) const
{
    const auto only = onlyFormat.find(name);
    return only == onlyFormat.end() ? format : only->second;
}

std::unique_ptr<AudioStream> Devices::OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format)
{
    if (!AudioDevices(mode).contains(name))
        return nullptr;
    auto stream = std::make_unique<Stream>(mode, name, format, this);
    streams.removeAll(nullptr);
    streams << stream.get();
    return stream;
}

std::unique_ptr<CameraStream> Devices::OpenCamera(const QString& id, QCameraViewfinder* view)
{
    const QList<CameraDevice> cameras = Cameras();
    for (const CameraDevice& listed : cameras) {
        if (listed.id == id) {
            auto opened = std::make_unique<Camera>(listed.description, view);
            camera = opened.get();
            return opened;
        }
    }
    return nullptr;
}

} // namespace GeneratedDevices
