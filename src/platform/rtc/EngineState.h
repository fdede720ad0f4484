#pragma once

// Inner parts of this platform's engine, shared by its source files. The
// engine keeps all its state under one process-wide lock; it never calls out
// (event handler, frame observer, Qt objects of another thread) while
// holding it.

#include "platform/RtcEngine.h"
#include "platform/RtcEngineControl.h"
#include "platform/rtc/IceServers.h"
#include "platform/rtc/RtcMedia.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace rtcnet {
class JanusRoom;
}

class QThread;
class QTimer;
class QWidget;

namespace rtcengine {

using RtcEngineControl::Device;
using RtcEngineControl::DeviceKind;

QMutex& Lock();

// Appends line to the journal (and to the engine log when one is set).
// Returns the code a test asked the call to fail with, if any: the method
// is the line's first word.
std::optional<int> Journal(const QString& line);

using rtcmedia::AudioDisabled;

// A remote user whose pictures arrive.
struct RemoteUser {
    bool decoded = false; // first frame reported
    bool framed = false; // first frame drawn into a view
};

// Process-wide settings (guarded by Lock()).
struct Settings {
    bool factoryFails = false;
    QMap<QString, int> failNext;
    QStringList journal;
    QString logFile;
    int joinDelayMs = 100;
    int txQuality = 0; // the local link's, forced by a test when not 0
    int rxQuality = 0;
    int qualityIntervalMs = 2000;
    std::optional<QList<Device>> devices[3];
    QList<Device> plugged[3];
};
Settings& State();

// --- Devices (EngineDevices.cpp)
QList<Device> ListDevices(DeviceKind kind);
QString DefaultDeviceId(DeviceKind kind, const QList<Device>& devices);
// The demo's generated device of a kind, listed with PLOVIX_MEDIA_DEMO=1
// when the machine has none of that kind.
Device DemoDevice(DeviceKind kind);
// Whether the engine makes the device's sound or pictures itself: a fake
// device a test set or plugged in, or the demo's while it is listed.
bool IsGenerated(DeviceKind kind, const QString& id);
rtc::IDeviceCollection* NewCollection(const QList<Device>& devices);
class EngineCore;
rtc::IAudioDeviceManager* NewAudioDeviceManager(std::shared_ptr<EngineCore> engine);
rtc::IVideoDeviceManager* NewVideoDeviceManager(std::shared_ptr<EngineCore> engine);
// Hands a recording or playback volume to the live streams.
void SetMediaVolume(DeviceKind kind, int volume);

// --- Views (LocalVideo.cpp): GUI-thread painting of generated frames.
class ViewRegistry;
std::shared_ptr<ViewRegistry> NewViewRegistry();
// Binds (or, with a null view, unbinds) uid's view; runs in the GUI thread.
void BindView(const std::shared_ptr<ViewRegistry>& views, unsigned uid, QWidget* view);
void ShowFrame(const std::shared_ptr<ViewRegistry>& views, unsigned uid, const QImage& image);
void ClearFrame(const std::shared_ptr<ViewRegistry>& views, unsigned uid);
void DropAllViews(const std::shared_ptr<ViewRegistry>& views);
// The generated picture of a user: a moving bar, the label and the time.
QImage TestPattern(unsigned uid, const QString& label, qint64 ms);
// Runs f in the GUI thread (directly when already there).
void InGuiThread(std::function<void()> f);

// --- Sound (EngineSound.cpp)
class Recorder;
class Mixer;

class EngineCore;

// The engine. Interface objects handed out by queryInterface keep it alive
// through a shared pointer; after release every call answers -7.
class EngineCore : public rtc::IRtcEngine, public std::enable_shared_from_this<EngineCore>
{
public:
    EngineCore();
    ~EngineCore() override;
    static std::shared_ptr<EngineCore> Live();

    void Start();
    void release(bool sync) override;
    int initialize(const rtc::RtcEngineContext& context) override;
    int queryInterface(int iid, void** inter) override;
    int joinChannel(const char* channelKey, const char* channelName, const char* info, rtc::uid_t uid) override;
    int leaveChannel() override;
    int setChannelProfile(int profile) override;
    int setClientRole(int role) override;
    int enableVideo() override;
    int disableVideo() override;
    int startPreview() override;
    int stopPreview() override;
    int setVideoProfile(int profile, bool swapWidthAndHeight) override;
    int setupRemoteVideo(const rtc::VideoCanvas& canvas) override;
    int setupLocalVideo(const rtc::VideoCanvas& canvas) override;
    int enableAudio() override;
    int disableAudio() override;
    int setAudioProfile(int profile, int scenario) override;

    // Journals the call; the result a test forces, or -7 when the engine
    // is not initialised (or released), or nothing when the call may go on.
    std::optional<int> Enter(const QString& line, bool needsInit = true);

    // Parameters, typed (the parameter interface forwards here).
    int SetBool(const QString& key, bool value);
    int SetInt(const QString& key, int value);
    int SetString(const QString& key, const QString& value);
    int SetObject(const QString& key, const QByteArray& json);
    int GetInt(const QString& key, int& value);
    int SetParameters(const QByteArray& json);

    // Devices (the device managers forward here). Lock() held by callers
    // that pass locked = true.
    QString CurrentDevice(DeviceKind kind);
    int SetCurrentDevice(DeviceKind kind, const QString& id);
    int SetVolume(DeviceKind kind, int volume);
    int GetVolume(DeviceKind kind, int* volume);

    void RegisterObserver(rtc::IVideoFrameObserver* observer);
    // One frame tick of the media thread.
    void RenderTick();
    // Posts f to the callback thread with the current handler.
    void Post(std::function<void(rtc::IRtcEngineEventHandler*)> f);
    bool Drain(int timeoutMs);
    void RestartTicker();

    // The transport's reports (any thread): a remote user's first decoded
    // picture, the first drawn into a view, a remote user gone.
    void RemoteVideoDecoded(int session, unsigned uid, int width, int height);
    void RemoteVideoDrawn(unsigned uid, int width, int height);
    void RemoteUserGone(int session, unsigned uid);
    // Posts f to the callback thread, journaled as line (unless empty),
    // unless the engine has left the channel of session since.
    void PostInSession(int session, const QString& line, std::function<void(rtc::IRtcEngineEventHandler*)> f);
    // Hands the current mutes to the transport.
    void UpdateSending();
    void MutePeerVideo(unsigned uid, bool muted);
    // Tells the transport whether uid's pictures are wanted: a view is set
    // up for them and they are not switched off.
    void UpdateWanted(unsigned uid);

    // Control reads, Lock() held.
    bool inChannel = false;
    bool localMuted = true;
    bool previewActive() const;
    QMap<unsigned, QWidget*> boundViews;
    Recorder* recorder() const { return m_recorder.get(); }
    Mixer* mixer() const { return m_mixer.get(); }

private:
    // Journals call and sets one switch of the engine.
    int Switch(const QString& call, bool EngineCore::*state, bool on);
    void StopChannelMedia();
    // Ends the transport's room, if any; not with Lock() held.
    void StopRoom();
    bool AudioMuted() const;
    bool VideoMuted() const;
    // The callback thread's worker; null once released.
    QObject* CallbackWorker() const;
    void QualityTick();
    int m_lastmile = -1; // the last one reported (callback thread)

    bool m_initialized = false;
    bool m_released = false;
    rtc::IRtcEngineEventHandler* m_handler = nullptr;
    rtc::IVideoFrameObserver* m_observer = nullptr;
    QString m_appId;
    QString m_channel;
    rtc::uid_t m_uid = 0;
    int m_session = 0; // bumped by every join and leave
    bool m_noMediaServer = false; // joined with an id that names no media server
    QElapsedTimer m_joinedAt;
    int m_channelProfile = 0;
    int m_role = rtc::CLIENT_ROLE_BROADCASTER;
    bool m_videoEnabled = false;
    bool m_secondSwitch = true;
    bool m_preview = false;
    bool m_capture = true;
    QSet<unsigned> m_mutedPeers;
    QList<rtcnet::IceRelay> m_relays; // of "rtc.ice_servers"
    QMap<QString, QString> m_params; // keys without an effect, as set
    QString m_current[3];
    QMap<QString, int> m_volumes; // kind prefix ("in:", "out:") -> 0..255
    qint64 m_lastLocalFrameMs = -1000000;

    QThread* m_callbackThread = nullptr;
    QObject* m_callbackWorker = nullptr;
    QTimer* m_ticker = nullptr; // lives in the callback thread
    QThread* m_transportThread = nullptr;
    rtcnet::JanusRoom* m_room = nullptr; // lives in the transport thread
    QMap<unsigned, RemoteUser> m_remote;
    QThread* m_mediaThread = nullptr;
    QObject* m_mediaWorker = nullptr;
    std::shared_ptr<ViewRegistry> m_views;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<Mixer> m_mixer;
    QElapsedTimer m_clock;
};

// --- The class recording (ClassRecorder.cpp): the sound the local user
// hears, as AAC in ADTS frames. Any thread; Start fails (and nothing runs)
// when the file cannot be written or the encoder cannot start; Stop
// finishes the file before it returns.
class Recorder
{
public:
    Recorder();
    ~Recorder();
    // quality 0, 1, 2: 16000, 22050, 32000 Hz at 32, 48, 64 kbit/s.
    int Start(const QString& path, int quality);
    void Stop();
    bool IsRecording() const;
    QString Path() const;

private:
    struct Inner;
    std::shared_ptr<Inner> m_inner;
};

// --- Mixing, driven by the engine (EngineSound.cpp).

class Mixer
{
public:
    Mixer();
    ~Mixer();
    int Start(const QString& path, bool loopback, bool replace, int cycle, bool paused = false);
    int Stop();
    int Pause(bool paused);
    int SetVolume(int volume);
    int Seek(int ms);
    int Length(int& ms) const;
    int Played(int& ms) const;
    bool IsMixing() const;
    QString Path() const;

private:
    struct Inner;
    std::shared_ptr<Inner> m_inner;
};

// Length in ms of a RIFF/WAVE file's sound, or -1 when it is not one.
qint64 WavLengthMs(const QString& path);
// Length in ms of the sound of a file in any format the engine decodes; 0
// for a sound stream without length, -1 when the file holds no sound.
qint64 SoundLengthMs(const QString& path);

} // namespace rtcengine
