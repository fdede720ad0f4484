#pragma once

#include <QAudio>
#include <QAudioFormat>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QCameraViewfinder;
class QIODevice;

// One opened audio input or output, on Qt Multimedia's model: an output
// pulls from a source (start(device)) or takes pushed data (start()); an
// input pushes recorded blocks into a sink (start(device)) or is read from
// (start()). GUI thread.
class AudioStream : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QAudioFormat format() const = 0;
    virtual QAudio::State state() const = 0;
    virtual QAudio::Error error() const = 0;
    virtual void start(QIODevice* device) = 0;
    // The device to write into (output) or to read from (input); null when
    // the stream could not start.
    virtual QIODevice* start() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Input: recorded bytes waiting to be read.
    virtual int bytesReady() const = 0;
    virtual void setNotifyInterval(int ms) = 0;

signals:
    void stateChanged(QAudio::State state);
};

// A camera shown in a view finder. GUI thread.
class CameraStream : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;

signals:
    // The camera stopped giving pictures: unplugged, taken by another
    // program, refused.
    void failed();
};

// A camera as the system lists it: its id and the name shown to the user.
struct CameraDevice {
    QString id;
    QString description;
};

// The sound devices and cameras that the device test and the tool bar's
// meter list and open: Qt Multimedia's, or a set a test installs. Audio
// devices are known by their Qt Multimedia names (the RTC engine names
// them the same). GUI thread.
class MediaDevices
{
public:
    virtual ~MediaDevices() = default;

    // The listed devices of a mode, each once, none nameless.
    virtual QStringList AudioDevices(QAudio::Mode mode) const = 0;
    // The system default's name; empty when there is none.
    virtual QString DefaultAudioDevice(QAudio::Mode mode) const = 0;
    // The format itself when the device takes it, else the nearest one it
    // offers.
    virtual QAudioFormat NearestFormat(QAudio::Mode mode, const QString& name, const QAudioFormat& format) const = 0;
    // Null when no device of that name is listed.
    virtual std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format)
        = 0;

    virtual QList<CameraDevice> Cameras() const = 0;
    // Null when no camera of that id is listed.
    virtual std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) = 0;

    // Mono 16-bit signed little-endian PCM at a rate.
    static QAudioFormat PcmFormat(int sampleRate);

    static MediaDevices& Get();
    // Replaces Qt Multimedia's devices (tests); null restores them.
    static void Set(std::unique_ptr<MediaDevices> devices);
};
