#pragma once

// Sound devices and cameras for tests, in place of Qt Multimedia's: inputs
// record a generated signal (a tone, silence) in 20 ms blocks, outputs
// collect what is played, cameras show a generated picture. A test can
// unplug a device while it runs, make one refuse to open, offer only one
// format, or refuse what is written to it.

#include "rtc/MediaDevices.h"

#include <QCameraViewfinder>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <map>

namespace FakeMedia {

// Sample n of a signal at a rate, -1 to 1.
using Signal = std::function<double(qint64 n, int rate)>;

inline Signal Tone(double amplitude, double hz = 440)
{
    return [amplitude, hz](
               qint64 n, int rate) { return amplitude * std::sin(2 * 3.14159265358979 * hz * double(n) / rate); };
}

inline Signal Silence()
{
    return [](qint64, int) { return 0.0; };
}

// A device in memory: reads take what writes put in.
class Pipe : public QIODevice
{
public:
    QByteArray data;
    bool refuseWrites = false;

    Pipe() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data.size(); }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = qMin<qint64>(max, data.size());
        memcpy(out, data.constData(), size_t(n));
        data.remove(0, int(n));
        return n;
    }
    qint64 writeData(const char* in, qint64 len) override
    {
        if (refuseWrites)
            return -1;
        data.append(in, int(len));
        return len;
    }
};

struct Devices;

class Stream : public AudioStream
{
public:
    Stream(QAudio::Mode mode, const QString& name, const QAudioFormat& format, Devices* owner);

    QAudioFormat format() const override { return m_format; }
    QAudio::State state() const override { return m_state; }
    QAudio::Error error() const override { return m_error; }
    void start(QIODevice* device) override
    {
        if (Begin())
            m_target = device;
    }
    QIODevice* start() override
    {
        if (!Begin())
            return nullptr;
        m_pipe = std::make_unique<Pipe>();
        m_pipe->refuseWrites = m_refuseWrites;
        m_target = m_pipe.get();
        return m_pipe.get();
    }
    void suspend() override { SetState(QAudio::SuspendedState); }
    void resume() override { SetState(QAudio::ActiveState); }
    void stop() override
    {
        m_timer.stop();
        SetState(QAudio::StoppedState);
    }
    int bytesReady() const override { return m_pipe ? int(m_pipe->data.size()) : 0; }
    void setNotifyInterval(int) override { }

    // The test gives the blocks from here on: recording and playing stop
    // on their own, the stream stays active.
    void Hold() { m_timer.stop(); }
    // Input: a recorded block arrives.
    void Feed(const QByteArray& block)
    {
        if (m_pipe) {
            m_pipe->data.append(block);
            emit m_pipe->readyRead();
        } else if (m_target) {
            m_target->write(block);
        }
    }
    // Output: what was written into it and not yet played.
    QByteArray Written() const { return m_pipe ? m_pipe->data : QByteArray(); }

    // The device is unplugged: the stream stops with an error.
    void Unplug()
    {
        m_timer.stop();
        m_error = QAudio::IOError;
        SetState(QAudio::StoppedState);
    }

    QAudio::Mode mode;
    QString name;
    // Output: every byte played (pulled from the source or written).
    QByteArray played;

private:
    bool Begin();
    void SetState(QAudio::State state)
    {
        if (state == m_state)
            return;
        m_state = state;
        emit stateChanged(state);
    }
    // One 20 ms step of recording or playing.
    void Tick();

    QAudioFormat m_format;
    Devices* m_owner;
    QAudio::State m_state = QAudio::StoppedState;
    QAudio::Error m_error = QAudio::NoError;
    QTimer m_timer;
    QPointer<QIODevice> m_target;
    std::unique_ptr<Pipe> m_pipe;
    qint64 m_sample = 0;
    bool m_refuseWrites = false;
};

class Camera : public CameraStream
{
public:
    Camera(const QString& name, QCameraViewfinder* view)
        : name(name)
        , m_view(view)
    { }
    ~Camera() override { stop(); }
    void start() override
    {
        QPixmap picture(m_view->size());
        QPainter painter(&picture);
        QLinearGradient sky(0, 0, 0, picture.height());
        sky.setColorAt(0, QColor(120, 170, 220));
        sky.setColorAt(1, QColor(230, 200, 160));
        painter.fillRect(picture.rect(), sky);
        painter.setBrush(QColor(250, 250, 250));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(picture.rect().center() + QPoint(0, 8), 24, 30);
        painter.drawEllipse(picture.rect().center() + QPoint(0, -34), 14, 14);
        m_picture = new QLabel(m_view);
        m_picture->setObjectName(QStringLiteral("fakeCameraPicture"));
        m_picture->setPixmap(picture);
        m_picture->resize(m_view->size());
        m_picture->show();
        running = true;
    }
    void stop() override
    {
        delete m_picture;
        running = false;
    }
    // The camera is unplugged.
    void Unplug()
    {
        stop();
        emit failed();
    }

    QString name;
    bool running = false;

private:
    QCameraViewfinder* m_view;
    QPointer<QLabel> m_picture;
};

// The installed devices. Lists may change at any time, as when a device
// is plugged in or out.
struct Devices : public MediaDevices {
    QStringList inputs;
    QStringList outputs;
    QString defaultInput;
    QString defaultOutput;
    QList<CameraDevice> cameras;
    // What each input records; silence when not set.
    std::map<QString, Signal> recorded;
    // Devices that are listed but cannot be opened.
    QSet<QString> broken;
    // Outputs that take no written data.
    QSet<QString> refusingWrites;
    // A device that offers only this format.
    std::map<QString, QAudioFormat> onlyFormat;
    // How many times faster than real time outputs play.
    int playSpeed = 1;

    QList<QPointer<Stream>> streams;
    QList<QPointer<Camera>> openedCameras;

    static Devices* Install()
    {
        auto devices = std::make_unique<Devices>();
        Devices* raw = devices.get();
        MediaDevices::Set(std::move(devices));
        return raw;
    }

    // The last stream opened on a device, null when none is alive.
    Stream* Last(QAudio::Mode mode, const QString& name) const
    {
        for (int i = streams.size() - 1; i >= 0; --i) {
            if (streams[i] && streams[i]->mode == mode && streams[i]->name == name)
                return streams[i];
        }
        return nullptr;
    }
    // The device is pulled out: it leaves the lists and its streams stop.
    void Unplug(const QString& name)
    {
        inputs.removeAll(name);
        outputs.removeAll(name);
        for (const QPointer<Stream>& stream : streams) {
            if (stream && stream->name == name && stream->state() != QAudio::StoppedState)
                stream->Unplug();
        }
    }
    Camera* LastCamera() const { return openedCameras.isEmpty() ? nullptr : openedCameras.last().data(); }

    QStringList AudioDevices(QAudio::Mode mode) const override { return mode == QAudio::AudioInput ? inputs : outputs; }
    QString DefaultAudioDevice(QAudio::Mode mode) const override
    {
        return mode == QAudio::AudioInput ? defaultInput : defaultOutput;
    }
    QAudioFormat NearestFormat(QAudio::Mode, const QString& name, const QAudioFormat& format) const override
    {
        auto only = onlyFormat.find(name);
        return only == onlyFormat.end() ? format : only->second;
    }
    std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format) override
    {
        if (!AudioDevices(mode).contains(name))
            return nullptr;
        auto stream = std::make_unique<Stream>(mode, name, format, this);
        streams << stream.get();
        return stream;
    }
    QList<CameraDevice> Cameras() const override { return cameras; }
    std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) override
    {
        for (const CameraDevice& camera : cameras) {
            if (camera.id == id) {
                auto stream = std::make_unique<Camera>(camera.description, view);
                openedCameras << stream.get();
                return stream;
            }
        }
        return nullptr;
    }
};

inline Stream::Stream(QAudio::Mode mode, const QString& name, const QAudioFormat& format, Devices* owner)
    : mode(mode)
    , name(name)
    , m_format(format)
    , m_owner(owner)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

inline bool Stream::Begin()
{
    m_timer.stop();
    m_pipe.reset();
    m_target = nullptr;
    if (m_owner->broken.contains(name) || !m_owner->AudioDevices(mode).contains(name)) {
        m_error = QAudio::OpenError;
        SetState(QAudio::StoppedState);
        return false;
    }
    m_error = QAudio::NoError;
    m_refuseWrites = m_owner->refusingWrites.contains(name);
    SetState(QAudio::ActiveState);
    m_timer.start();
    return true;
}

inline void Stream::Tick()
{
    if (m_state != QAudio::ActiveState || !m_target)
        return;
    const int frames = m_format.sampleRate() / 50;
    if (mode == QAudio::AudioInput) {
        auto signal = m_owner->recorded.find(name);
        QByteArray block(frames * 2, '\0');
        for (int i = 0; i < frames; ++i, ++m_sample) {
            const double value
                = signal == m_owner->recorded.end() ? 0 : signal->second(m_sample, m_format.sampleRate());
            qToLittleEndian(qint16(qBound(-32768.0, std::round(value * 32767), 32767.0)), block.data() + 2 * i);
        }
        Feed(block);
    } else if (m_pipe) {
        played.append(m_pipe->data);
        m_pipe->data.clear();
    } else {
        const QByteArray chunk = m_target->read(qint64(frames) * m_format.bytesPerFrame() * m_owner->playSpeed);
        played.append(chunk);
        if (chunk.isEmpty() && m_target->atEnd())
            SetState(QAudio::IdleState);
    }
}

} // namespace FakeMedia
