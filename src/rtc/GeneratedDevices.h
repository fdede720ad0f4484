#pragma once

// Sound devices and cameras that exist only in the program: inputs record a
// generated signal in 20 ms blocks, outputs take what they play, cameras
// show a still sign. They open the demo's generated sound devices
// (PLOVIX_MEDIA_DEMO=1, on machines without sound card) and the fake ones
// tests set through the engine's control; the demo's camera shows the
// engine's own picture (GstMediaStreams). Tests install a set of their own
// to feed known sound, and pull devices out, break them or make them refuse
// data while in use. GUI thread.

#include "rtc/MediaDevices.h"

#include <QByteArray>
#include <QIODevice>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>
#include <map>

class QLabel;

namespace GeneratedDevices {

// Sample n of a signal at a rate, -1 to 1.
using Signal = std::function<double(qint64 n, int rate)>;
Signal Tone(double amplitude, double hz = 440);
Signal Silence();
// Bursts of a voice-like sound with pauses between them.
Signal Speech();

// Reads take what writes put in.
class Pipe : public QIODevice
{
public:
    QByteArray data;
    bool refuseWrites = false;

    Pipe();
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data.size(); }

protected:
    qint64 readData(char* out, qint64 max) override;
    qint64 writeData(const char* in, qint64 len) override;
};

class Devices;

class Stream : public AudioStream
{
public:
    Stream(QAudio::Mode mode, const QString& name, const QAudioFormat& format, Devices* owner);

    QAudioFormat format() const override { return m_format; }
    QAudio::State state() const override { return m_state; }
    QAudio::Error error() const override { return m_error; }
    void start(QIODevice* device) override;
    QIODevice* start() override;
    void suspend() override { SetState(QAudio::SuspendedState); }
    void resume() override { SetState(QAudio::ActiveState); }
    void stop() override;
    int bytesReady() const override { return m_pipe ? int(m_pipe->data.size()) : 0; }
    void setNotifyInterval(int) override { }

    // Blocks no longer come on their own; Feed gives them.
    void Hold() { m_timer.stop(); }
    // Input: a recorded block arrives.
    void Feed(const QByteArray& block);
    // Output: written into it and not yet played.
    QByteArray Written() const { return m_pipe ? m_pipe->data : QByteArray(); }
    // The device is gone: the stream stops with an error.
    void Unplug();
    // Its devices are gone for good: it no longer starts.
    void Orphan() { m_owner = nullptr; }

    const QAudio::Mode mode;
    const QString name;
    // Output: what it played (kept when the devices keep it).
    QByteArray played;

private:
    bool Begin();
    void Tick();
    void SetState(QAudio::State state);

    QAudioFormat m_format;
    Devices* m_owner;
    QAudio::State m_state = QAudio::StoppedState;
    QAudio::Error m_error = QAudio::NoError;
    QTimer m_timer;
    QPointer<QIODevice> m_target;
    std::unique_ptr<Pipe> m_pipe;
    qint64 m_sample = 0;
};

class Camera : public CameraStream
{
public:
    Camera(const QString& description, QCameraViewfinder* view);
    ~Camera() override;
    void start() override;
    void stop() override;
    void Unplug();

private:
    QString m_description;
    QCameraViewfinder* m_view;
    QPointer<QLabel> m_picture;
};

class Devices : public MediaDevices
{
public:
    std::map<QString, Signal> recorded;
    Signal otherInputs = Silence(); // what an input not in recorded records
    QSet<QString> broken; // listed, but do not open
    QSet<QString> refusingWrites;
    std::map<QString, QAudioFormat> onlyFormat;
    int playSpeed = 1; // times real time
    bool keepPlayed = true;
    QList<QPointer<Stream>> streams;
    QPointer<Camera> camera; // the last one opened

    ~Devices() override;
    // Nothing plugged in (the engine's lists emptied too), no setting;
    // streams opened before no longer start.
    void Clear();

    // Installs a new set with nothing plugged in; MediaDevices owns it.
    static Devices* Install();

    // The last stream opened on a device that is still alive.
    Stream* Last(QAudio::Mode mode, const QString& name) const;
    // Pulled out: the device leaves the computer's lists and its streams
    // stop.
    void Unplug(const QString& name);

    QAudioFormat NearestFormat(QAudio::Mode mode, const QString& name, const QAudioFormat& format) const override;
    std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format) override;
    std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) override;
};

} // namespace GeneratedDevices
