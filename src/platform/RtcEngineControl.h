#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

// Drives the engine of this platform from outside: tests (and the demo) set
// the devices it sees and the link figures it reports without a media
// server, and read the journal of every call it got.
//
// Settings are process-wide and apply to the engine alive now and to the
// ones made later. Every function may be called from any thread.
namespace RtcEngineControl {

// A device as the engine lists it.
struct Device {
    QString name;
    QString id;
};
enum class DeviceKind { Recording, Playback, Camera };

// --- Life cycle
// The factory returns null while set.
void SetFactoryFails(bool fails);
// The next call of method (as the journal names it, e.g. "joinChannel")
// returns code and does nothing else.
void FailNext(const QString& method, int code);
// Puts every setting back to its default and forgets pending failures.
void Reset();

// --- Journal: one line per call, in order, e.g.
// "joinChannel key=K channel=R info={...} uid=57", "setParameters {...}",
// "setObject rtc.video.mute_peer {...}", "queryInterface 3".
QStringList Journal();
// The lines that start with prefix.
QStringList JournalOf(const QString& prefix);
void ClearJournal();

// --- Channel and callbacks
// Delay between joinChannel and the join success without a media server
// (default 100 ms).
void SetJoinDelay(int ms);
// Link figures reported every interval while in a channel (default 1, 1
// every 2000 ms); with a media server the figures are the link's own.
void SetQuality(int txQuality, int rxQuality);
void SetQualityInterval(int ms);
// One network-quality report now.
void InjectNetworkQuality(unsigned uid, int txQuality, int rxQuality);
// Waits until the callbacks posted so far have run; false on time-out.
bool WaitForCallbacks(int timeoutMs = 5000);

// --- Remote users
// Frames handed to the frame observer for uid since the engine was made.
int RenderedFrames(unsigned uid);

// --- Devices
// Replaces the system's list of one kind; UseSystemDevices goes back to
// what the system reports. Changes show at the next enumeration.
void SetDevices(DeviceKind kind, const QList<Device>& devices);
void UseSystemDevices();
// A fake device plugged into the computer: listed after the system's
// devices (or the list SetDevices gave) until unplugged; one with the same
// id is replaced. Reset unplugs every fake device.
void PlugDevice(DeviceKind kind, const Device& device);
// Unplugs the fake or set device with that id; false when none had it.
// While a device the engine was using is away, the engine uses the system's
// default instead, as it does when a real device goes.
bool UnplugDevice(DeviceKind kind, const QString& id);
// The devices of one kind as the engine sees them now.
QList<Device> Devices(DeviceKind kind);

// --- State of the live engine (false / empty without one)
bool IsInChannel();
bool IsLocalAudioMuted();
bool IsLocalPreviewActive();
bool IsRecording();
QString RecordingPath();
bool IsMixing();
QString MixingPath();
// The view bound for uid (the local user's under its own uid), or null.
QWidget* BoundView(unsigned uid);

} // namespace RtcEngineControl
