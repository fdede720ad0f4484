// Audio elements: the microphone source, the remote audio sink and the
// accompaniment's output, with their volumes, mutes and levels.
#include "RtcMediaInner.h"

#include "EngineState.h"

#include <QDebug>
#include <atomic>
#include <cmath>
#include <mutex>

namespace rtcmedia {

using namespace inner;

namespace {

// The quiet a received stream leaves out: its sender sends nothing while
// it is silent, and the speaker plays silence meanwhile. Whatever takes
// the played sound by its samples (the echo canceller's far end, the
// demo's echo path, the class recording) is told of it; otherwise it takes
// the next words for late ones and drops them. One streaming thread uses
// it.
class Gaps
{
public:
    // Samples left out before buffer, by the stream's running time.
    size_t Before(GstBuffer* buffer)
    {
        const GstClockTime start = gst_segment_to_running_time(&m_segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        if (!GST_CLOCK_TIME_IS_VALID(start) || !GST_BUFFER_DURATION_IS_VALID(buffer)) {
            m_next = GST_CLOCK_TIME_NONE;
            return 0;
        }
        // Buffers that overlap (a jitter buffer catching up) still follow
        // one another: the stream's own time runs on by its samples, as
        // long as it keeps close to the timestamps.
        const GstClockTime next = m_next;
        if (!GST_CLOCK_TIME_IS_VALID(next) || start + kMostAhead < next) {
            m_next = start + GST_BUFFER_DURATION(buffer);
            return 0;
        }
        m_next = std::max(next, start) + GST_BUFFER_DURATION(buffer);
        if (start <= next + kTolerance)
            return 0;
        return size_t(gst_util_uint64_scale(start - next, kSampleRate, GST_SECOND));
    }

    void Follow(GstEvent* event)
    {
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            if (segment->format == GST_FORMAT_TIME)
                gst_segment_copy_into(segment, &m_segment);
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            m_next = GST_CLOCK_TIME_NONE;
        }
    }

private:
    // Rounding of timestamps.
    static constexpr GstClockTime kTolerance = GST_MSECOND;
    // How far the samples may run ahead of the timestamps.
    static constexpr GstClockTime kMostAhead = 200 * GST_MSECOND;
    GstSegment m_segment = [] {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        return segment;
    }();
    GstClockTime m_next = GST_CLOCK_TIME_NONE;
};

class AudioBin : public LiveBin
{
public:
    GstElement* volume = nullptr; // owned by the bin
    // The microphone's mute, after the point the class recording hears it
    // at: the recording holds the room's sound while the class does not
    // (push-to-talk); owned by the bin.
    GstElement* mute = nullptr;
    GstPad* outputPad = nullptr; // sink side: what the output hangs off; owned by the bin
    std::mutex mutex;
    QString device; // the device in use
    unsigned uid = 0; // the local user's, for a generated microphone's pitch
    std::atomic<int> channels { 1 }; // of the stream the recording hears
    // A remote participant's quiet, where the recording hears it and where
    // it is played.
    Gaps heardGaps;
    Gaps playedGaps;
};

// 0: each user's generated microphone sounds a pitch of its own.
std::atomic<double> s_toneHz { 0.0 };

// Pitches a semitone apart over two octaves from 262 Hz, so that two users
// of a demo lesson, and their class recording, are told apart by ear.
double ToneOf(unsigned uid)
{
    const double forced = s_toneHz.load();
    if (forced > 0)
        return forced;
    return 262.0 * std::pow(2.0, double(uid * 7 % 24) / 12.0);
}

GstPadProbeReturn OnHeard(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* live = static_cast<AudioBin*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (live->role == Role::AudioSink) {
            if (const size_t quiet = live->heardGaps.Before(buffer))
                HeardQuiet(live->key, quiet);
        }
        Heard(live->role == Role::Microphone ? kLocalKey : live->key, buffer, live->channels);
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    live->heardGaps.Follow(event);
    GstCaps* caps = nullptr;
    int channels = 0;
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        gst_event_parse_caps(event, &caps);
        if (gst_structure_get_int(gst_caps_get_structure(caps, 0), "channels", &channels))
            live->channels = channels;
    }
    return GST_PAD_PROBE_OK;
}

// What goes into the speaker, in the speaker's pace, for the echo canceller.
GstPadProbeReturn OnPlayed(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* live = static_cast<AudioBin*>(data);
    if (!(GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER)) {
        live->playedGaps.Follow(GST_PAD_PROBE_INFO_EVENT(info));
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (live->role == Role::AudioSink) {
        if (const size_t quiet = live->playedGaps.Before(buffer))
            PlayedQuiet(live->key, quiet);
    }
    Played(live->key, buffer, live->channels);
    // Heard is what goes into the speaker, in the speaker's pace.
    if (live->role == Role::AudioSink) {
        QMutexLocker lock(&Lock());
        ++Media().heard[unsigned(live->key)];
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn OnLevel(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* live = static_cast<AudioBin*>(data);
    const int peak = Peak(GST_PAD_PROBE_INFO_BUFFER(info));
    QMutexLocker lock(&Lock());
    if (live->role == Role::Microphone)
        Media().localPeak = std::max(Media().localPeak, peak);
    else {
        int& level = Media().remotePeaks[unsigned(live->key)];
        level = std::max(level, peak);
    }
    return GST_PAD_PROBE_OK;
}

// Sets the volume element of one bin from the state.
void Follow(LiveBin& base)
{
    auto& live = static_cast<AudioBin&>(base);
    double factor = 1.0;
    bool mute = false;
    {
        QMutexLocker lock(&Lock());
        if (live.role == Role::Microphone) {
            factor = Factor(Media().recordingVolume);
            mute = Media().microphoneMuted;
        } else {
            factor = Factor(Media().playbackVolume);
            mute = live.role == Role::AudioSink && Media().mutedPeers.contains(unsigned(live.key));
        }
    }
    g_object_set(live.volume, "volume", factor, "mute", gboolean(mute && !live.mute), nullptr);
    if (live.mute)
        g_object_set(live.mute, "mute", gboolean(mute), nullptr);
}

GstElement* MicrophoneElement(const QString& id, unsigned uid)
{
    bool failed = false;
    if (GstElement* real = MakeDeviceElement(DeviceKind::Recording, id, &failed))
        return real;
    // Only a generated microphone sounds (a tone); one that is missing or
    // does not open sends silence: nothing made up reaches a real class.
    const bool generated = !failed && rtcengine::IsGenerated(DeviceKind::Recording, id);
    if (!generated && !id.isEmpty())
        qInfo() << "RTC media: the microphone" << id << "is not there; silence is sent";
    GstElement* tone = Make("audiotestsrc");
    g_object_set(tone, "is-live", TRUE, "wave", generated ? 0 /* sine */ : 4 /* silence */, "freq", ToneOf(uid),
        "volume", 0.3, nullptr);
    // A user's own pitch is spoken in syllables: a steady tone is what the
    // voice processing takes for noise and fades away. A tone a test asks
    // for stays steady.
    return DemoMicrophone(tone, s_toneHz.load() <= 0);
}

QString PlaybackDevice()
{
    // A speaker chosen and unplugged since gives way to the default.
    return ChosenDevice(DeviceKind::Playback);
}

GstElement* SpeakerElement(const QString& id)
{
    GstElement* sink = MakeDeviceElement(DeviceKind::Playback, id);
    if (!sink) {
        // A generated speaker plays in time, to nobody.
        sink = Make("fakesink");
        g_object_set(sink, "sync", TRUE, "enable-last-sample", FALSE, nullptr);
    }
    g_object_set(sink, "async", FALSE, nullptr);
    return sink;
}

void FinishBin(GstElement* bin, const std::shared_ptr<AudioBin>& live)
{
    GstPad* heardPad = gst_element_get_static_pad(live->volume, "src");
    gst_pad_add_probe(heardPad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        OnHeard, live.get(), nullptr);
    gst_object_unref(heardPad);
    if (live->outputPad)
        gst_pad_add_probe(live->outputPad,
            GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), OnPlayed, live.get(),
            nullptr);
    GstPad* levelPad = gst_element_get_static_pad(live->mute ? live->mute : live->volume, "src");
    if (live->role != Role::Accompaniment)
        gst_pad_add_probe(levelPad, GST_PAD_PROBE_TYPE_BUFFER, OnLevel, live.get(), nullptr);
    // What the user sends: the level and what the recording hears are the
    // microphone's own.
    if (live->role == Role::Microphone)
        MixAccompaniment(levelPad);
    gst_object_unref(levelPad);
    Register(bin, live);
    Follow(*live);
}

// Raw audio in, played on the playback device at the playback volume; the
// caps filter fixes what is played.
GstElement* MakeOutput(Role role, qint64 key, GstCaps* pcm)
{
    Init();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* entry = Make("audioconvert", "entry");
    GstElement* resample = Make("audioresample");
    GstElement* caps = Make("capsfilter");
    GstElement* volume = Make("volume");
    GstElement* queue = Make("queue");
    const QString device = PlaybackDevice();
    GstElement* output = SpeakerElement(device);
    if (!entry || !resample || !caps || !volume || !queue || !output) {
        gst_caps_unref(pcm);
        gst_object_unref(bin);
        return nullptr;
    }
    SetCaps(caps, pcm);
    // The accompaniment's output is built before its pipeline runs and
    // prerolls with it: a seek is over once the sound from there is ready.
    // A file comes faster than it plays: a short queue keeps what is
    // heard (volume, mute, the recording) close to what plays.
    if (role == Role::Accompaniment) {
        g_object_set(output, "async", TRUE, nullptr);
        g_object_set(
            queue, "max-size-time", guint64(50 * GST_MSECOND), "max-size-buffers", 0u, "max-size-bytes", 0u, nullptr);
    }
    gst_bin_add_many(GST_BIN(bin), entry, resample, caps, volume, queue, output, nullptr);
    gst_element_link_many(entry, resample, caps, volume, queue, output, nullptr);
    Ghost(bin, entry, "sink");

    auto live = std::make_shared<AudioBin>();
    live->role = role;
    live->key = key;
    live->volume = volume;
    live->device = device;
    live->outputPad = gst_element_get_static_pad(queue, "src");
    gst_object_unref(live->outputPad); // the queue keeps it
    FinishBin(bin, live);
    return bin;
}

} // namespace

namespace inner {

void ApplyAudio()
{
    for (Role role : { Role::Microphone, Role::AudioSink, Role::Accompaniment })
        ForEach(role, [](GstElement*, LiveBin& live) { Follow(live); });
}

void ApplyDevice(DeviceKind kind)
{
    QString id;
    {
        QMutexLocker lock(&Lock());
        id = Media().devices[int(kind)];
    }
    switch (kind) {
    case DeviceKind::Camera:
        ForEach(Role::Camera, [&id](GstElement* bin, LiveBin& live) { SwitchCamera(bin, live, id); });
        break;
    case DeviceKind::Recording:
    case DeviceKind::Playback:
        for (Role role : { Role::Microphone, Role::AudioSink, Role::Accompaniment }) {
            if ((role == Role::Microphone) != (kind == DeviceKind::Recording))
                continue;
            ForEach(role, [&id](GstElement* bin, LiveBin& base) {
                auto& live = static_cast<AudioBin&>(base);
                std::lock_guard<std::mutex> guard(live.mutex);
                if (live.device == id)
                    return;
                live.device = id;
                if (live.role == Role::Microphone)
                    SwapSource(bin, MicrophoneElement(id, live.uid));
                else
                    SwapDownstream(bin, live.outputPad, [id] { return SpeakerElement(id); });
            });
        }
        break;
    }
}

} // namespace inner

void SetGeneratedTone(double hz)
{
    s_toneHz = hz;
}

GstElement* MakeMicrophoneSource(const QString& deviceId, unsigned uid)
{
    Init();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* source = MicrophoneElement(deviceId, uid);
    GstElement* entry = Make("audioconvert", "entry");
    GstElement* resample = Make("audioresample");
    GstElement* caps = Make("capsfilter");
    GstElement* volume = Make("volume");
    GstElement* mute = Make("volume");
    if (!source || !entry || !resample || !caps || !volume || !mute) {
        gst_object_unref(bin);
        return nullptr;
    }
    gst_object_set_name(GST_OBJECT(source), "source");
    SetCaps(caps, PcmCaps(1));
    gst_bin_add_many(GST_BIN(bin), source, entry, resample, caps, volume, mute, nullptr);
    // Everything after the processor hears the processed voice: the
    // publisher, the level and the class recording.
    if (GstElement* voice = MakeVoiceProcessor()) {
        gst_bin_add(GST_BIN(bin), voice);
        gst_element_link_many(source, entry, resample, caps, voice, volume, mute, nullptr);
    } else {
        gst_element_link_many(source, entry, resample, caps, volume, mute, nullptr);
    }
    Ghost(bin, mute, "src");

    auto live = std::make_shared<AudioBin>();
    live->role = Role::Microphone;
    live->volume = volume;
    live->mute = mute;
    live->device = deviceId;
    live->uid = uid;
    FinishBin(bin, live);
    return bin;
}

GstElement* MakeRemoteAudioSink(unsigned uid)
{
    return MakeOutput(Role::AudioSink, qint64(uid), PcmCaps(0));
}

namespace inner {

GstElement* MakeAccompanimentOutput()
{
    return MakeOutput(Role::Accompaniment, kAccompanimentKey, PcmCaps(2));
}

} // namespace inner

} // namespace rtcmedia
