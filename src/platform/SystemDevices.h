#pragma once

#include <QAudio>
#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QList>
#include <QString>
#include <QStringList>

// The computer's sound devices and cameras, the one list that the RTC
// engine, the device watcher and the device test all read: what Qt
// Multimedia lists, the fake devices a test sets or plugs in through the
// engine's control, and with PLOVIX_MEDIA_DEMO=1 a generated microphone,
// speaker and camera for each kind the machine has none of. Audio devices
// carry Qt Multimedia's names (QAudioDeviceInfo::deviceName()), in the
// order the system lists them. Any thread.
namespace SystemDevices {

struct Camera {
    QString id;
    QString description;
};

QStringList AudioNames(QAudio::Mode mode);
// The one used when none is chosen, as the engine picks it; empty when
// there is no device of that mode.
QString DefaultAudioName(QAudio::Mode mode);
QList<Camera> Cameras();

// Qt Multimedia's device of that name; null for a device only this program
// has (fake or generated).
QAudioDeviceInfo QtAudioDevice(QAudio::Mode mode, const QString& name);

// The device the engine records from or plays on: the one chosen while it
// is listed, else the system default; empty when there is none.
QString ChosenAudioName(QAudio::Mode mode);
// The engine's id of the sound device of that name; empty when none is
// listed.
QString AudioId(QAudio::Mode mode, const QString& name);

// Whether the program makes the sound of the device of that name itself:
// the demo's generated devices (PLOVIX_MEDIA_DEMO=1) and the fake ones a
// test set or plugged in through the engine's control; never a device of
// the computer's.
bool IsGeneratedAudio(QAudio::Mode mode, const QString& name);
// The same for the camera of that id.
bool IsGeneratedCamera(const QString& id);

// Mono 16-bit signed little-endian PCM at a rate: the format in which the
// program records and plays its own sound.
QAudioFormat PcmFormat(int sampleRate);

} // namespace SystemDevices
