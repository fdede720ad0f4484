#pragma once

#include "platform/SystemDevices.h"

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

using CameraDevice = SystemDevices::Camera;

// The sound devices and cameras that the device test and the tool bar's
// meter list and open. The lists are the computer's (SystemDevices), the
// same the RTC engine has; opening is Qt Multimedia's, GStreamer's for a
// device Qt Multimedia does not know, generated only for the demo's
// devices, or a test's (GeneratedDevices). Audio devices are known by
// their Qt Multimedia names. GUI thread.
class MediaDevices
{
public:
    virtual ~MediaDevices() = default;

    // The listed devices of a mode, each once, none nameless.
    QStringList AudioDevices(QAudio::Mode mode) const;
    // The system default's name; empty when there is none.
    QString DefaultAudioDevice(QAudio::Mode mode) const;
    QList<CameraDevice> Cameras() const;

    // The format itself when the device takes it, else the nearest one it
    // offers.
    virtual QAudioFormat NearestFormat(QAudio::Mode mode, const QString& name, const QAudioFormat& format) const = 0;
    // Null when no device of that name is listed.
    virtual std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& name, const QAudioFormat& format)
        = 0;
    // Null when no camera of that id is listed.
    virtual std::unique_ptr<CameraStream> OpenCamera(const QString& id, QCameraViewfinder* view) = 0;

    static MediaDevices& Get();
    // Replaces how devices are opened (tests); null restores it.
    static void Set(std::unique_ptr<MediaDevices> devices);
};
