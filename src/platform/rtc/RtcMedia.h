#pragma once

// The engine's local and rendering media as GStreamer elements that the
// transport plugs into its pipelines: camera and microphone sources, and
// sinks for what a remote user sends. Caps are fixed so the transport can
// rely on them. The bins follow the process-wide media state below while
// they run: a device, a volume, a mute or a view set later reaches every
// live bin it concerns. Every function may be called from any thread;
// views are bound in the GUI thread (the call hops there when needed).

#include "platform/RtcEngineControl.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <functional>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstObject GstObject;
typedef struct _GstMessage GstMessage;
class QImage;
class QWidget;
namespace rtc {
class IVideoFrameObserver;
struct VideoFrame;
} // namespace rtc

namespace rtcmedia {

using RtcEngineControl::Device;
using RtcEngineControl::DeviceKind;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 30;
constexpr int kSampleRate = 48000;

// Initialises GStreamer once per process.
void Init();
// Starts, in the background and once per process, what the first peer
// connection would otherwise wait for: the media plugins and the DTLS
// certificate every connection of the process shares.
void Prepare();

// A bin with an always src pad "src" of
// video/x-raw,format=I420,width=640,height=480,framerate=30/1. It draws
// the local preview into the local view and hands each frame to the frame
// observer's onCaptureVideoFrame.
GstElement* MakeCameraSource(const QString& deviceId, unsigned uid);
// A camera's pictures for a view of the program's own (the device test),
// outside the engine's media state: a bin with an always src pad "src" of
// raw video, the real camera decoded or, for a generated camera, the same
// picture of uid that the engine sends. Null when the camera is not there
// or does not open.
GstElement* MakeCameraPictures(const QString& deviceId, unsigned uid);
// A bin with an always src pad "src" of
// audio/x-raw,format=S16LE,rate=48000,channels=1,layout=interleaved at the
// recording volume, silent while muted; it measures the local level. A
// generated microphone sounds a pitch of uid's own; a missing one is silent.
GstElement* MakeMicrophoneSource(const QString& deviceId, unsigned uid = 0);
// The frequency of the generated microphone's tone in sources made from
// now on, whatever the uid (a test participant's); 0 gives back the uid's.
void SetGeneratedTone(double hz);
// What the generated microphone says instead of its tone, for tests and
// benchmarks: speech-like sounds (noise bursts; a second voice of tone
// sweeps; sentences of the sweeps over a steady noise) that the voice
// processing treats as speech.
enum class GeneratedVoice { Tone, Silence, Speech, OtherSpeech, NoisySpeech };
void SetGeneratedVoice(GeneratedVoice voice);
// With the demo's echo path on, what the speaker plays comes back into the
// generated microphone about 80 ms later, 6 dB down, with a little noise,
// as a laptop's speaker does into its microphone. Off unless
// PLOVIX_MEDIA_DEMO_ECHO=1 (with PLOVIX_MEDIA_DEMO=1).
void SetDemoEcho(bool on);
// The microphone goes through the voice processing (echo canceller, noise
// suppression, high-pass filter, automatic gain) unless
// PLOVIX_VOICE_PROCESSING=0, for comparisons.
bool VoiceProcessingEnabled();
// While on, the mean square (full scale 1) of every 10 ms that each output
// played, by source (a uid; -2 the accompaniment), taken by the call.
void MeterPlayed(bool on);
QMap<qint64, QVector<float>> TakePlayedPowers();
// A bin with an always sink pad "sink" taking raw video of any size. It
// draws into uid's view, hands each frame to onRenderVideoFrame and calls
// the first-frame handler once, on the first frame drawn into a view.
GstElement* MakeRemoteVideoSink(unsigned uid);
// Hands uid's last received picture to onRenderVideoFrame once more: a
// still picture while its stream is held back. Any thread.
void RepeatLastPicture(unsigned uid);
// A bin with an always sink pad "sink" taking raw audio. It plays on the
// playback device at the playback volume, unless uid is muted, and
// measures uid's level.
GstElement* MakeRemoteAudioSink(unsigned uid);

// Whether object is, or lies inside, the output drawing a bin's pictures
// into a view. Such an output fails alone (a window gone, a size refused)
// and is built anew; its errors are not the stream's.
bool IsDisplayElement(GstObject* object);

// Makes pipeline's streaming threads joined when their tasks stop, so that
// none is left once it is set to NULL (RtcMediaThreads.cpp); returns it. A
// pipeline with a bus sync handler of its own passes each message to
// OwnStreamingThread there instead.
GstElement* OwnThreads(GstElement* pipeline);
void OwnStreamingThread(GstMessage* message);

// --- Media state
void SetFrameObserver(rtc::IVideoFrameObserver* observer);
// Where the local preview and uid's pictures are drawn; null unbinds. A
// view gets a native window when the display has them (X11); elsewhere
// (offscreen) pictures reach only the frame observer.
void SetLocalView(QWidget* view);
void SetRemoteView(unsigned uid, QWidget* view);
// Called from a streaming thread with uid and the picture's size.
void SetFirstFrameHandler(std::function<void(unsigned uid, int width, int height)> handler);
// The device every live bin of that kind switches to; a bin made later
// uses the id it is made with.
void SetDevice(DeviceKind kind, const QString& id);
// The device the media of that kind uses: the one last set while the
// engine still lists it, else the system default; empty when there is none.
QString ChosenDevice(DeviceKind kind);
// Volumes 0 to 255, 255 being the stream's own loudness.
void SetRecordingVolume(int volume);
void SetPlaybackVolume(int volume);
void SetMicrophoneMuted(bool muted);
void SetPeerAudioMuted(unsigned uid, bool muted);

// Peak levels (0 to 255) since the previous call.
struct AudioLevels {
    int local = 0;
    QMap<unsigned, int> remote;
};
AudioLevels Levels();
// The engine's volume indication from levels: the users heard (the local
// one included) and the loudest level among them.
struct VolumeIndication {
    int speakers = 0;
    int total = 0;
};
VolumeIndication Indication(const AudioLevels& levels);

// Frames the bins handed on so far, for tests and benchmarks.
int CapturedFrames();
int RenderedFrames(unsigned uid);
// Buffers of uid's sound that went into the speaker so far.
int HeardBuffers(unsigned uid);
// Key frames asked for by receivers that the video sender made so far.
int KeyFramesAsked();
void CountKeyFrameAsked();

// The local camera outside a channel: a camera source in a pipeline of its
// own, drawing into the local view. The engine stops it before it opens the
// camera for sending.
class Preview
{
public:
    Preview() = default;
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;
    bool Start(const QString& deviceId, unsigned uid);
    void Stop();
    bool IsRunning() const { return m_pipeline != nullptr; }

private:
    GstElement* m_pipeline = nullptr;
};

// The accompaniment: a sound file decoded and played on the playback device
// at the playback volume (under its mute) and, unless loopback, mixed into
// what every microphone source sends, one made later included. With
// replace, the microphone's own sound is left out until it ends or stops.
// cycle counts the plays; below 0 it repeats until stopped. Started
// paused, it is ready at its start and nothing of it is heard or sent
// until Pause(false). Its position is the decoding pipeline's. Any thread.
class Accompaniment
{
public:
    // Null when the file does not decode to sound.
    static std::unique_ptr<Accompaniment> Start(
        const QString& path, bool loopback, bool replace, int cycle, bool paused = false);
    ~Accompaniment();
    Accompaniment(const Accompaniment&) = delete;
    Accompaniment& operator=(const Accompaniment&) = delete;
    bool Pause(bool paused);
    // 0 to 100, 100 being the file's own loudness.
    void SetVolume(int volume);
    // Returns once the sound from there on is ready.
    bool Seek(qint64 ms);
    // Milliseconds into the file; -1 when unknown.
    qint64 Position() const;
    // The last play is over (or the file failed to play on).
    bool Ended() const;

    struct Inner;

private:
    Accompaniment() = default;
    std::shared_ptr<Inner> m_inner;
};

// --- The generated camera's picture: a moving bar, the uid and the time in
// text, and two rows of 32 blocks coding the uid and the capture time (ms
// since the epoch, low 32 bits) so that a receiver can read both back.
QImage GeneratedPicture(unsigned uid, quint32 stampMs, qint64 frame);
struct PictureCode {
    bool valid = false;
    unsigned uid = 0;
    quint32 stampMs = 0;
};
PictureCode ReadPictureCode(const rtc::VideoFrame& frame);

// --- Devices (RtcMediaDevices.cpp)
// The machine's devices as GStreamer's device monitor lists them.
struct MonitoredDevice {
    QString name; // display name
    QString internalName; // the platform's own name (PulseAudio, ALSA), when known
    QString path; // a camera's device node, when known
};
QList<MonitoredDevice> MonitoredDevices(DeviceKind kind);
// True when sound hardware is off limits (PLOVIX_RTC_NO_AUDIO=1).
bool AudioDisabled();
// The element that opens the device of that id (as the engine's device
// list names it), floating as made; null for a generated
// or fake device, while sound hardware is off limits
// (PLOVIX_RTC_NO_AUDIO=1), or when the device does not open (*failed is
// then set).
GstElement* MakeDeviceElement(DeviceKind kind, const QString& id, bool* failed = nullptr);

} // namespace rtcmedia
