#pragma once

// Inner parts of the engine's media elements, shared by their source files.
// GStreamer's headers come before Qt's: GLib names a member "signals".
#include <gst/gst.h>

#include "RtcMedia.h"

#include <QMutex>
#include <QPainter>
#include <QReadWriteLock>
#include <QRect>
#include <QSet>
#include <map>
#include <memory>
#include <vector>

namespace rtcmedia::inner {

// The key of a view: the local preview's, or a remote uid.
constexpr qint64 kLocalKey = -1;

// Where one key's pictures go, as the GUI thread found it.
struct ViewTarget {
    bool bound = false;
    quintptr window = 0; // native window; 0 when the display has none
    int width = 0; // in device pixels
    int height = 0;
};

// Process-wide media state, guarded by Lock(). Nothing calls out (observer,
// handler, GStreamer state changes) while holding it.
struct State {
    rtc::IVideoFrameObserver* observer = nullptr;
    std::function<void(unsigned, int, int)> firstFrame;
    int recordingVolume = 200;
    int playbackVolume = 200;
    bool microphoneMuted = false;
    QSet<unsigned> mutedPeers;
    QString devices[3];
    QMap<qint64, ViewTarget> views;
    int localPeak = 0;
    QMap<unsigned, int> remotePeaks;
    int captured = 0;
    int keyFramesAsked = 0;
    QMap<unsigned, int> rendered;
    QMap<unsigned, int> heard;
};
QMutex& Lock();
State& Media();
// Held for reading while the frame observer is called, for writing while
// it is replaced: an observer taken away is not called afterwards.
QReadWriteLock& ObserverLock();

// Makes a GStreamer element; logs and returns null when the plugin is
// missing.
GstElement* Make(const char* factory, const char* name = nullptr);

// Puts GStreamer's PulseAudio elements and device provider out of automatic
// choice when no sound server answers; called once, after GStreamer starts.
void PassOverMissingSoundServer();

// Sets a capsfilter's caps and drops the reference handed in.
void SetCaps(GstElement* capsfilter, GstCaps* caps);
// Interleaved S16LE at kSampleRate; channels 0 leaves their number open.
GstCaps* PcmCaps(int channels);

// Runs f on every live bin that registered for that kind of update.
enum class Role { Camera, Microphone, VideoSink, AudioSink, Accompaniment };
class LiveBin
{
public:
    virtual ~LiveBin() = default;
    Role role;
    qint64 key = 0; // uid, or kLocalKey for a camera's preview
};
// Registers bin for updates; the bin keeps live (its probes use it) as
// long as it lives.
void Register(GstElement* bin, std::shared_ptr<LiveBin> live);
// Gives bin a ghost pad named name for element's pad of that name.
void Ghost(GstElement* bin, GstElement* element, const char* name);
// Marks element as a window output (see IsDisplayElement).
void MarkDisplay(GstElement* element);
void ForEach(Role role, const std::function<void(GstElement* bin, LiveBin& live)>& f);

// Video (RtcMediaVideo.cpp): re-reads the view target of key in every live
// bin that draws for it.
void ApplyView(qint64 key);
// Wraps a camera's own element: asks it for 640 x 480 first and decodes
// what it gives (raw or JPEG), into a bin with a src pad "src".
GstElement* DecodedCamera(GstElement* device);
// Switches a live camera source to the device of that id.
void SwitchCamera(GstElement* bin, LiveBin& live, const QString& id);
// Audio (RtcMediaAudio.cpp): re-reads volumes, mutes and devices.
void ApplyAudio();
void ApplyDevice(DeviceKind kind);
// The local side of the accompaniment: a bin with an always sink pad
// "sink" taking S16LE at 48000 Hz in two channels, played on the playback
// device at the playback volume and handed to Heard.
GstElement* MakeAccompanimentOutput();
// Accompaniment (RtcMediaAccompaniment.cpp): mixes the published
// accompaniment into the microphone's buffers passing pad, mono S16LE at
// 48000 Hz.
void MixAccompaniment(GstPad* pad);

// Replaces the element downstream of pad (inside bin) by the one make
// gives, once the pad is idle; make runs then, in whatever thread that is.
void SwapDownstream(GstElement* bin, GstPad* pad, std::function<GstElement*()> make);
// Replaces the element named "source" in bin by a new one, linked to the
// element named "entry".
void SwapSource(GstElement* bin, GstElement* fresh);

// The class's sound as the local user hears it, for the class recording:
// every source hands on its buffers of S16LE at 48000 Hz, interleaved, with
// the channels given. Sources are kLocalKey (the microphone),
// kAccompanimentKey (the accompaniment) or a remote uid. Any streaming
// thread; cheap when nothing records.
constexpr qint64 kAccompanimentKey = -2;
void Heard(qint64 source, GstBuffer* buffer, int channels);
// The silence of that many samples that a source left out before its next
// buffer (a received stream whose sender kept quiet), as its speaker
// plays it.
void HeardQuiet(qint64 source, size_t samples);

// Sound of several sources that arrive each at its own pace, mixed on
// demand: a source plays once prime samples of it wait (and again after it
// ran dry for a while; what comes late of it is dropped as far as more
// than prime samples wait), keeps at most most samples waiting (then the
// newest keep samples), and is forgotten after 10 s unheard. Queues that
// keep the pace start playing with exactly prime samples waiting, the
// newest: what came beyond them in a burst is dropped, so that a source
// always plays prime samples behind its arrival. The owner locks it.
class SoundQueues
{
public:
    SoundQueues(size_t prime, size_t most, size_t keep, bool keepPace = false);
    ~SoundQueues();
    // Adds a buffer of S16LE with that many channels, mixed down to mono;
    // false when it cannot be read.
    bool Add(qint64 source, GstBuffer* buffer, int channels);
    void Add(qint64 source, const qint16* mono, size_t count);
    // Silence the source left out between its buffers: it stands for the
    // samples that went by meanwhile, so that the next ones are not taken
    // for late. Nothing for a source starting afresh.
    void AddQuiet(qint64 source, size_t count);
    // Adds the next count samples of every playing source into sum.
    void MixInto(int* sum, size_t count);
    void Clear();

    struct Queue;

private:
    // Pays what the queue owes from what waits beyond the margin, and
    // keeps it within the most.
    void Settle(Queue& queue) const;

    size_t m_prime;
    size_t m_most;
    size_t m_keep;
    bool m_keepPace;
    std::map<qint64, Queue>* m_queues;
};
// Mono S16LE from a buffer of that many (1 to 8) channels; false when the
// buffer cannot be read.
bool MixDown(GstBuffer* buffer, int channels, std::vector<qint16>& mono);

// What the speaker plays: every output hands on its buffers of S16LE at
// 48000 Hz, interleaved, with the channels given, after its volume and
// mute (source as for Heard, never kLocalKey). Any streaming thread;
// cheap while nobody reads or meters it.
void Played(qint64 source, GstBuffer* buffer, int channels);
// The silence a source left out before its next buffer, as for HeardQuiet.
void PlayedQuiet(qint64 source, size_t samples);
// Reads the mix of what was played since it was made, mono at 48000 Hz.
// Each source plays into it primeSamples behind its arrival.
class PlayedReader
{
public:
    explicit PlayedReader(size_t primeSamples);
    ~PlayedReader();
    PlayedReader(const PlayedReader&) = delete;
    PlayedReader& operator=(const PlayedReader&) = delete;
    // The next count samples; silence where nothing waits.
    void Take(qint16* out, size_t count);

private:
    SoundQueues* m_queues;
};
// The voice processor for a microphone source taking S16LE mono at
// 48000 Hz, its echo canceller fed with what is played; null (with a log
// line) when processing is off or the plugin is missing.
GstElement* MakeVoiceProcessor();
// Wraps a generated microphone's element in a bin giving S16LE mono at
// 48000 Hz, with the test voices and the demo's echo path in it; with
// syllables, its tone is spoken in syllables at the tone's pitch.
GstElement* DemoMicrophone(GstElement* generated, bool syllables);

// Draws text of digits, ':' and '.' in white, centred in area, large or
// small; nothing without a GUI application (text needs its fonts).
void StampText(QPainter& painter, const QRect& area, const QString& text, bool large);

// Peak of a buffer of 16-bit signed samples, 0 to 255.
int Peak(GstBuffer* buffer);
// Scales a volume of 0 to 255 to GStreamer's factor.
double Factor(int volume);

} // namespace rtcmedia::inner
