// The lesson's voice: the microphone goes through WebRTC's audio
// processing (webrtcdsp: echo canceller, noise suppression, high-pass
// filter, automatic gain) before anything of the class hears it.
//
// The echo canceller needs what the speaker plays. Every output (each
// remote participant after its mute and the playback volume, and the
// locally heard accompaniment) hands its buffers to Played; readers take
// the mix at their own pace. Each microphone source reads it as its own
// buffers pass and pushes it through an echo probe of its own in the same
// thread, just before the processor takes the microphone's buffer: the
// far end is always there ahead of the near end, whatever the load. The
// probe's running times are not comparable with the microphone's (the
// outputs live in other pipelines), so the canceller finds the delay
// itself (delay-agnostic).
#include "RtcMediaInner.h"

#include <QDebug>
#include <QVector>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

namespace rtcmedia {

using namespace inner;

namespace {

using Clock = std::chrono::steady_clock;

// A source plays into a reader once this much of it waits, so that the
// unevenness of its buffers does not chop the mix; a reader far behind
// (a stalled microphone) keeps only the newest part.
constexpr size_t kMaxWaiting = kSampleRate / 4;
constexpr auto kForgetAfter = std::chrono::seconds(10);
constexpr int kFrame = kSampleRate / 100; // 10 ms, the processor's frame
constexpr size_t kMostOwed = kSampleRate / 4;
// How far a source keeping the pace may stray from its margin by the
// unevenness of its buffers before it is set back onto it.
constexpr std::ptrdiff_t kPaceTolerance = kSampleRate * 30 / 1000;

// Per output, the mean square of each 10 ms played, while metering.
struct Meter {
    double sum = 0;
    int count = 0;
    QVector<float> frames;
};

struct Playback {
    std::mutex mutex;
    std::vector<SoundQueues*> readers;
    std::atomic<bool> metering { false };
    std::map<qint64, Meter> meters;
};

Playback& ThePlayback()
{
    static Playback playback;
    return playback;
}

void AddToMeter(qint64 source, const std::vector<qint16>& mono)
{
    Playback& playback = ThePlayback();
    std::lock_guard<std::mutex> lock(playback.mutex);
    auto& meter = playback.meters[source];
    for (qint16 sample : mono) {
        const double value = sample / 32768.0;
        meter.sum += value * value;
        if (++meter.count == kFrame) {
            meter.frames.append(float(meter.sum / kFrame));
            meter.sum = 0;
            meter.count = 0;
        }
    }
}

bool ProcessingWanted()
{
    return qgetenv("PLOVIX_VOICE_PROCESSING") != "0";
}

// The processor's far end: a probe fed by hand, in the microphone's
// streaming thread, with what the speaker played meanwhile.
struct EchoFeed {
    // A margin over the two paces' jitter, well inside any echo path's
    // delay: the far end keeps ahead of its echo.
    PlayedReader played { kSampleRate * 50 / 1000 };
    GstElement* probe = nullptr; // owned here
    GstElement* sink = nullptr; // owned here
    GstPad* entry = nullptr; // the probe's sink pad
    bool started = false;
    quint64 fed = 0; // samples
    std::vector<qint16> scratch;

    ~EchoFeed()
    {
        if (entry)
            gst_object_unref(entry);
        for (GstElement* element : { probe, sink }) {
            if (!element)
                continue;
            gst_element_set_state(element, GST_STATE_NULL);
            gst_object_unref(element);
        }
    }

    // The probe takes data only after the stream's opening events, and
    // hands it to the processor only once it knows a latency.
    void Start()
    {
        started = true;
        gst_pad_send_event(entry, gst_event_new_stream_start("plovix-far-end"));
        gst_pad_send_event(entry, gst_event_new_caps(PcmCaps(1)));
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        gst_pad_send_event(entry, gst_event_new_segment(&segment));
        gst_element_send_event(sink, gst_event_new_latency(0));
    }

    void Feed(size_t samples)
    {
        if (!started)
            Start();
        scratch.resize(samples);
        played.Take(scratch.data(), samples);
        GstBuffer* buffer = gst_buffer_new_memdup(scratch.data(), samples * sizeof(qint16));
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(fed, GST_SECOND, kSampleRate);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(samples, GST_SECOND, kSampleRate);
        fed += samples;
        gst_pad_chain(entry, buffer);
    }
};

GstPadProbeReturn OnNearEnd(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* feed = static_cast<EchoFeed*>(data);
    feed->Feed(gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info)) / sizeof(qint16));
    return GST_PAD_PROBE_OK;
}

} // namespace

namespace inner {

struct SoundQueues::Queue {
    std::vector<qint16> samples;
    bool priming = true;
    // Samples that came too late and went by as silence: dropped when
    // more than the margin waits, so that a late buffer followed by the
    // next does not shift the source for good. A source that is simply
    // later from then on keeps them owed and plays on.
    size_t owed = 0;
    Clock::time_point lastHeard;
};

SoundQueues::SoundQueues(size_t prime, size_t most, size_t keep, bool keepPace)
    : m_prime(prime)
    , m_most(most)
    , m_keep(keep)
    , m_keepPace(keepPace)
    , m_queues(new std::map<qint64, Queue>)
{ }

SoundQueues::~SoundQueues()
{
    delete m_queues;
}

bool MixDown(GstBuffer* buffer, int channels, std::vector<qint16>& mono)
{
    if (channels < 1 || channels > 8)
        return false;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return false;
    const auto* samples = reinterpret_cast<const gint16*>(map.data);
    const size_t frames = map.size / sizeof(gint16) / size_t(channels);
    mono.resize(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        int sum = 0;
        for (int channel = 0; channel < channels; ++channel)
            sum += samples[frame * size_t(channels) + size_t(channel)];
        mono[frame] = qint16(sum / channels);
    }
    gst_buffer_unmap(buffer, &map);
    return true;
}

bool SoundQueues::Add(qint64 source, GstBuffer* buffer, int channels)
{
    std::vector<qint16> mono;
    if (!MixDown(buffer, channels, mono))
        return false;
    Add(source, mono.data(), mono.size());
    return true;
}

void SoundQueues::Add(qint64 source, const qint16* mono, size_t count)
{
    Queue& queue = (*m_queues)[source];
    queue.lastHeard = Clock::now();
    queue.samples.insert(queue.samples.end(), mono, mono + count);
    Settle(queue);
}

void SoundQueues::AddQuiet(qint64 source, size_t count)
{
    const auto found = m_queues->find(source);
    if (found == m_queues->end())
        return;
    Queue& queue = found->second;
    if (queue.priming && !queue.owed && queue.samples.empty())
        return;
    queue.lastHeard = Clock::now();
    // Silence owed goes by without being missed.
    const size_t forgiven = std::min(queue.owed, count);
    queue.owed -= forgiven;
    queue.samples.insert(queue.samples.end(), std::min(count - forgiven, m_most), qint16(0));
    Settle(queue);
}

void SoundQueues::Settle(Queue& queue) const
{
    if (m_keepPace) {
        // Sound owed is made up at once. A source that starts, or drifted
        // from its margin (it ran dry, or came in a burst after a stall), is
        // set onto it: its newest sample plays prime samples from now, the
        // same for every reader of the same sound.
        const size_t paid = std::min(queue.owed, queue.samples.size());
        queue.owed -= paid;
        queue.samples.erase(queue.samples.begin(), queue.samples.begin() + std::ptrdiff_t(paid));
        const auto level = std::ptrdiff_t(queue.samples.size()) - std::ptrdiff_t(queue.owed);
        const auto prime = std::ptrdiff_t(m_prime);
        if (level > prime + kPaceTolerance || (queue.priming && level > prime))
            queue.samples.erase(queue.samples.begin(), queue.samples.end() - prime);
        else if (level < prime - kPaceTolerance || (queue.priming && level < prime)) {
            queue.samples.insert(queue.samples.begin(), size_t(prime) - queue.samples.size(), qint16(0));
            queue.owed = 0;
        }
        queue.priming = false;
        return;
    }
    if (queue.owed && queue.samples.size() > m_prime) {
        const size_t dropped = std::min(queue.owed, queue.samples.size() - m_prime);
        queue.owed -= dropped;
        queue.samples.erase(queue.samples.begin(), queue.samples.begin() + std::ptrdiff_t(dropped));
    }
    if (queue.samples.size() > m_most)
        queue.samples.erase(queue.samples.begin(), queue.samples.end() - std::ptrdiff_t(m_keep));
}

void SoundQueues::MixInto(int* sum, size_t count)
{
    const Clock::time_point now = Clock::now();
    for (auto it = m_queues->begin(); it != m_queues->end();) {
        Queue& queue = it->second;
        if (queue.priming && queue.samples.size() >= m_prime)
            queue.priming = false;
        if (!queue.priming) {
            const size_t taken = std::min(count, queue.samples.size());
            for (size_t i = 0; i < taken; ++i)
                sum[i] += queue.samples[i];
            queue.samples.erase(queue.samples.begin(), queue.samples.begin() + std::ptrdiff_t(taken));
            queue.owed += count - taken;
            // Ran dry: it waits for its margin again, owing what went by.
            if (taken < count && !m_keepPace)
                queue.priming = true;
        } else if (queue.owed) {
            queue.owed += count;
        }
        // Gone quiet rather than late: it starts afresh when it is back.
        if (queue.owed > kMostOwed && !m_keepPace) {
            queue.priming = true;
            queue.owed = 0;
        }
        if (queue.samples.empty() && now - queue.lastHeard > kForgetAfter)
            it = m_queues->erase(it);
        else
            ++it;
    }
}

void SoundQueues::Clear()
{
    m_queues->clear();
}

PlayedReader::PlayedReader(size_t primeSamples)
    : m_queues(new SoundQueues(primeSamples, primeSamples + kMaxWaiting, primeSamples + kFrame, true))
{
    Playback& playback = ThePlayback();
    std::lock_guard<std::mutex> lock(playback.mutex);
    playback.readers.push_back(m_queues);
}

PlayedReader::~PlayedReader()
{
    Playback& playback = ThePlayback();
    {
        std::lock_guard<std::mutex> lock(playback.mutex);
        playback.readers.erase(
            std::remove(playback.readers.begin(), playback.readers.end(), m_queues), playback.readers.end());
    }
    delete m_queues;
}

void PlayedReader::Take(qint16* out, size_t count)
{
    std::vector<int> sum(count, 0);
    {
        std::lock_guard<std::mutex> lock(ThePlayback().mutex);
        m_queues->MixInto(sum.data(), count);
    }
    for (size_t i = 0; i < count; ++i)
        out[i] = qint16(std::clamp(sum[i], -32768, 32767));
}

void Played(qint64 source, GstBuffer* buffer, int channels)
{
    Playback& playback = ThePlayback();
    const bool metering = playback.metering.load(std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(playback.mutex);
        if (playback.readers.empty() && !metering)
            return;
    }
    std::vector<qint16> mono;
    if (!MixDown(buffer, channels, mono))
        return;
    if (metering)
        AddToMeter(source, mono);
    std::lock_guard<std::mutex> lock(playback.mutex);
    for (SoundQueues* reader : playback.readers)
        reader->Add(source, mono.data(), mono.size());
}

void PlayedQuiet(qint64 source, size_t samples)
{
    Playback& playback = ThePlayback();
    std::lock_guard<std::mutex> lock(playback.mutex);
    if (playback.metering) {
        const size_t frames = std::min<size_t>(samples, kSampleRate * 10) / kFrame;
        playback.meters[source].frames.append(QVector<float>(int(frames), 0.0f));
    }
    for (SoundQueues* reader : playback.readers)
        reader->AddQuiet(source, samples);
}

GstElement* MakeVoiceProcessor()
{
    if (!ProcessingWanted())
        return nullptr;
    static std::atomic<int> s_probes { 0 };
    const QByteArray name = "plovix-echo-probe-" + QByteArray::number(s_probes++);
    auto feed = std::make_unique<EchoFeed>();
    feed->probe = Make("webrtcechoprobe", name.constData());
    feed->sink = Make("fakesink");
    for (GstElement* element : { feed->probe, feed->sink })
        if (element)
            gst_object_ref_sink(element);
    GstElement* dsp = Make("webrtcdsp");
    if (!feed->probe || !feed->sink || !dsp) {
        qWarning() << "RTC media: no voice processing, the microphone is sent as captured";
        if (dsp)
            gst_object_unref(gst_object_ref_sink(dsp));
        return nullptr;
    }
    g_object_set(feed->sink, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    // The probe stands outside every pipeline: it is fed by hand and must
    // exist before the processor starts, which looks it up by name.
    if (!gst_element_link(feed->probe, feed->sink)
        || gst_element_set_state(feed->sink, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE
        || gst_element_set_state(feed->probe, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        qWarning() << "RTC media: the echo probe does not start; the microphone is sent as captured";
        gst_object_unref(gst_object_ref_sink(dsp));
        return nullptr;
    }
    feed->entry = gst_element_get_static_pad(feed->probe, "sink");
    g_object_set(dsp, "probe", name.constData(), "echo-cancel", TRUE, "delay-agnostic", TRUE, "extended-filter", TRUE,
        "echo-suppression-level", 2 /* high */, "noise-suppression", TRUE, "noise-suppression-level", 3 /* very high */,
        "high-pass-filter", TRUE, "gain-control", TRUE, "compression-gain-db", 5, nullptr);
    GstPad* input = gst_element_get_static_pad(dsp, "sink");
    gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_BUFFER, OnNearEnd, feed.release(),
        [](gpointer data) { delete static_cast<EchoFeed*>(data); });
    gst_object_unref(input);
    return dsp;
}

} // namespace inner

bool VoiceProcessingEnabled()
{
    return ProcessingWanted();
}

void MeterPlayed(bool on)
{
    Playback& playback = ThePlayback();
    std::lock_guard<std::mutex> lock(playback.mutex);
    playback.metering = on;
    playback.meters.clear();
}

QMap<qint64, QVector<float>> TakePlayedPowers()
{
    QMap<qint64, QVector<float>> powers;
    Playback& playback = ThePlayback();
    std::lock_guard<std::mutex> lock(playback.mutex);
    for (auto& [source, meter] : playback.meters) {
        powers.insert(source, meter.frames);
        meter.frames.clear();
    }
    return powers;
}

} // namespace rtcmedia
