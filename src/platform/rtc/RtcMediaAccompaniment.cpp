// The accompaniment: one pipeline decodes the file and plays it locally;
// unless it is heard only here, it also hands its sound to every
// microphone source, which mixes it into what it sends. The microphone's
// pace rules the mix: each of its buffers takes as much of the waiting
// accompaniment as it is long.
#include "RtcMediaInner.h"

#include <gst/app/gstappsink.h>

#include <QDebug>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace rtcmedia {

using namespace inner;

namespace {

constexpr int kBytesPerMs = kSampleRate / 1000 * 2; // mono S16LE
// Mixing starts once this much waits, so that the two paces' jitter does
// not chop the sound; more than the most waiting is dropped (a stalled
// sender, or the two clocks drifting apart).
constexpr int kPrimeBytes = 40 * kBytesPerMs;
constexpr int kMostBytes = 300 * kBytesPerMs;
constexpr GstClockTime kSettleTime = 5 * GST_SECOND;

// What one microphone source has yet to mix of the accompaniment.
struct Feed {
    std::mutex mutex;
    QByteArray pending;
    bool primed = false;
};

QMutex s_feedsLock;
std::vector<std::weak_ptr<Feed>> s_feeds;
// Accompaniments that keep the microphones' own sound out.
std::atomic<int> s_replacing { 0 };

void Deliver(const char* data, int size)
{
    std::vector<std::shared_ptr<Feed>> feeds;
    {
        QMutexLocker lock(&s_feedsLock);
        for (const std::weak_ptr<Feed>& weak : s_feeds) {
            if (std::shared_ptr<Feed> feed = weak.lock())
                feeds.push_back(std::move(feed));
        }
    }
    for (const std::shared_ptr<Feed>& feed : feeds) {
        std::lock_guard<std::mutex> guard(feed->mutex);
        feed->pending.append(data, size);
        if (feed->pending.size() > kMostBytes)
            feed->pending.remove(0, feed->pending.size() - kMostBytes);
    }
}

QByteArray Take(Feed& feed, int bytes)
{
    std::lock_guard<std::mutex> guard(feed.mutex);
    if (!feed.primed && feed.pending.size() >= kPrimeBytes)
        feed.primed = true;
    if (!feed.primed)
        return QByteArray();
    const QByteArray taken = feed.pending.left(bytes);
    feed.pending.remove(0, taken.size());
    feed.primed = !feed.pending.isEmpty();
    return taken;
}

GstPadProbeReturn OnMicrophoneBuffer(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    Feed& feed = **static_cast<std::shared_ptr<Feed>*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const bool replace = s_replacing.load() > 0;
    const QByteArray mix = Take(feed, int(gst_buffer_get_size(buffer)) & ~1);
    if (mix.isEmpty() && !replace)
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE))
        return GST_PAD_PROBE_OK;
    auto* samples = reinterpret_cast<gint16*>(map.data);
    if (replace)
        std::fill(samples, samples + map.size / 2, gint16(0));
    // The class mutes the microphone while nobody holds the talk key; the
    // accompaniment the user chose to play is still sent, so the class
    // hears the music between the teacher's words.
    const auto* added = reinterpret_cast<const gint16*>(mix.constData());
    for (int i = 0; i < mix.size() / 2; ++i)
        samples[i] = gint16(std::clamp(int(samples[i]) + int(added[i]), -32768, 32767));
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

GstFlowReturn OnPublished(GstAppSink* sink, gpointer)
{
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        Deliver(reinterpret_cast<const char*>(map.data), int(map.size) & ~1);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

} // namespace

namespace inner {

void MixAccompaniment(GstPad* pad)
{
    auto feed = std::make_shared<Feed>();
    {
        QMutexLocker lock(&s_feedsLock);
        s_feeds.erase(std::remove_if(s_feeds.begin(), s_feeds.end(),
                          [](const std::weak_ptr<Feed>& weak) { return weak.expired(); }),
            s_feeds.end());
        s_feeds.push_back(feed);
    }
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnMicrophoneBuffer, new std::shared_ptr<Feed>(feed),
        [](gpointer data) { delete static_cast<std::shared_ptr<Feed>*>(data); });
}

} // namespace inner

struct Accompaniment::Inner {
    GstElement* pipeline = nullptr;
    GstElement* volume = nullptr; // the mixing volume, owned by the pipeline
    GstElement* convert = nullptr; // where the decoded sound goes in
    std::mutex mutex;
    int playsLeft = 1; // below 0: without end
    std::atomic<bool> failed { false }; // set by a streaming thread
    bool replacing = false;
    bool replaceOnPlay = false; // started paused: the microphones are kept until it plays
    bool ended = false;
    bool stopped = false;

    // Under mutex.
    void EndLocked()
    {
        ended = true;
        if (replacing)
            s_replacing.fetch_sub(1);
        replacing = false;
    }
};

namespace {

using Shared = std::shared_ptr<Accompaniment::Inner>;

void OnDecodedPad(GstElement*, GstPad* pad, gpointer data)
{
    auto* inner = static_cast<Accompaniment::Inner*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const bool audio = caps && gst_caps_get_size(caps) > 0
        && g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/");
    if (caps)
        gst_caps_unref(caps);
    GstPad* sink = gst_element_get_static_pad(inner->convert, "sink");
    // The first sound stream is the one played.
    if (audio && !gst_pad_is_linked(sink))
        gst_pad_link(pad, sink);
    gst_object_unref(sink);
}

// Runs off the streaming threads: another play from the start, or the end.
void OnFinished(GstElement* pipeline, gpointer data)
{
    Shared& inner = *static_cast<Shared*>(data);
    bool again = false;
    {
        std::lock_guard<std::mutex> guard(inner->mutex);
        if (inner->stopped || inner->ended)
            return;
        again = !inner->failed && inner->playsLeft != 1;
        if (again && inner->playsLeft > 1)
            --inner->playsLeft;
        if (!again)
            inner->EndLocked();
    }
    // The seek waits for the streaming threads: not under the lock.
    if (again && gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0))
        return;
    if (again) {
        qWarning() << "RTC media: the accompaniment does not start over";
        std::lock_guard<std::mutex> guard(inner->mutex);
        inner->EndLocked();
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
}

GstBusSyncReply OnMessage(GstBus*, GstMessage* message, gpointer data)
{
    const Shared& inner = *static_cast<Shared*>(data);
    OwnStreamingThread(message);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        qWarning() << "RTC media: the accompaniment stops:" << GST_OBJECT_NAME(message->src)
                   << (error ? error->message : "");
        g_clear_error(&error);
        inner->failed = true;
        [[fallthrough]];
    }
    case GST_MESSAGE_EOS:
        gst_element_call_async(inner->pipeline, OnFinished, new Shared(inner),
            [](gpointer shared) { delete static_cast<Shared*>(shared); });
        break;
    default:
        break;
    }
    // Dropped, the message is ours to free: it holds its source alive.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// Adds the elements to the pipeline, linked in order after from; the last
// element, or null when one is missing.
GstElement* Chain(GstElement* pipeline, GstElement* from, std::initializer_list<GstElement*> elements)
{
    if (std::find(elements.begin(), elements.end(), nullptr) != elements.end()) {
        for (GstElement* element : elements) {
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        }
        return nullptr;
    }
    for (GstElement* element : elements) {
        gst_bin_add(GST_BIN(pipeline), element);
        if (from && !gst_element_link(from, element))
            return nullptr;
        from = element;
    }
    return from;
}

// A branch's queue: short, so that the mixing volume is soon heard.
GstElement* Queue()
{
    GstElement* queue = Make("queue");
    if (queue)
        g_object_set(
            queue, "max-size-time", guint64(100 * GST_MSECOND), "max-size-buffers", 0u, "max-size-bytes", 0u, nullptr);
    return queue;
}

GstElement* Filter(GstCaps* caps)
{
    GstElement* filter = Make("capsfilter");
    if (filter)
        SetCaps(filter, caps);
    else
        gst_caps_unref(caps);
    return filter;
}

// filesrc ! decodebin ! audioconvert ! audioresample ! S16LE 48 kHz stereo
// ! volume ! tee, the tee feeding the local output and, unless loopback, the
// microphones in mono.
bool Build(Accompaniment::Inner& inner, const QString& path, bool loopback)
{
    GstElement* pipeline = inner.pipeline;
    GstElement* source = Make("filesrc");
    GstElement* decode = Chain(pipeline, nullptr, { source, Make("decodebin") });
    if (!decode)
        return false;
    g_object_set(source, "location", QFile::encodeName(path).constData(), nullptr);
    inner.convert = Make("audioconvert");
    inner.volume = Make("volume");
    GstElement* tee = Chain(
        pipeline, nullptr, { inner.convert, Make("audioresample"), Filter(PcmCaps(2)), inner.volume, Make("tee") });
    if (!tee)
        return false;
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnDecodedPad), &inner);
    if (!Chain(pipeline, tee, { Queue(), MakeAccompanimentOutput() }))
        return false;
    if (loopback)
        return true;
    GstElement* sink = Make("appsink");
    if (!Chain(pipeline, tee, { Queue(), Make("audioconvert"), Filter(PcmCaps(1)), sink }))
        return false;
    // In time, as the local output plays it.
    g_object_set(sink, "sync", TRUE, "enable-last-sample", FALSE, nullptr);
    GstAppSinkCallbacks callbacks {};
    callbacks.new_sample = OnPublished;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, nullptr, nullptr);
    return true;
}

bool Settle(GstElement* pipeline)
{
    return gst_element_get_state(pipeline, nullptr, nullptr, kSettleTime) != GST_STATE_CHANGE_FAILURE;
}

} // namespace

std::unique_ptr<Accompaniment> Accompaniment::Start(
    const QString& path, bool loopback, bool replace, int cycle, bool paused)
{
    Init();
    auto inner = std::make_shared<Inner>();
    inner->pipeline = gst_pipeline_new("accompaniment");
    inner->playsLeft = cycle < 0 ? -1 : std::max(cycle, 1);
    std::unique_ptr<Accompaniment> accompaniment(new Accompaniment);
    accompaniment->m_inner = inner;
    if (!Build(*inner, path, loopback)) {
        qWarning() << "RTC media: the accompaniment's pipeline cannot be built";
        return nullptr;
    }
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(inner->pipeline));
    gst_bus_set_sync_handler(
        bus, OnMessage, new Shared(inner), [](gpointer data) { delete static_cast<Shared*>(data); });
    gst_object_unref(bus);
    // Prerolled, the file proved to hold sound the output takes. A
    // prerolled buffer waits in the sinks: neither the output nor the
    // microphones get it before the pipeline plays.
    gst_element_set_state(inner->pipeline, GST_STATE_PAUSED);
    GstPad* decoded = gst_element_get_static_pad(inner->convert, "sink");
    const bool linked = Settle(inner->pipeline) && gst_pad_is_linked(decoded);
    gst_object_unref(decoded);
    if (!linked || (!paused && gst_element_set_state(inner->pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)) {
        qWarning() << "RTC media: the accompaniment does not play" << path;
        return nullptr;
    }
    if (replace) {
        std::lock_guard<std::mutex> guard(inner->mutex);
        if (paused) {
            inner->replaceOnPlay = true;
        } else if (!inner->ended) {
            inner->replacing = true;
            s_replacing.fetch_add(1);
        }
    }
    return accompaniment;
}

Accompaniment::~Accompaniment()
{
    {
        std::lock_guard<std::mutex> guard(m_inner->mutex);
        m_inner->stopped = true;
        m_inner->EndLocked();
    }
    gst_element_set_state(m_inner->pipeline, GST_STATE_NULL);
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(m_inner->pipeline));
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_inner->pipeline);
}

bool Accompaniment::Pause(bool paused)
{
    if (Ended())
        return false;
    if (!paused) {
        std::lock_guard<std::mutex> guard(m_inner->mutex);
        if (m_inner->replaceOnPlay && !m_inner->ended) {
            m_inner->replaceOnPlay = false;
            m_inner->replacing = true;
            s_replacing.fetch_add(1);
        }
    }
    return gst_element_set_state(m_inner->pipeline, paused ? GST_STATE_PAUSED : GST_STATE_PLAYING)
        != GST_STATE_CHANGE_FAILURE;
}

void Accompaniment::SetVolume(int volume)
{
    g_object_set(m_inner->volume, "volume", std::clamp(volume, 0, 100) / 100.0, nullptr);
}

bool Accompaniment::Seek(qint64 ms)
{
    if (Ended())
        return false;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    return gst_element_seek_simple(m_inner->pipeline, GST_FORMAT_TIME, flags, std::max<qint64>(ms, 0) * GST_MSECOND)
        && Settle(m_inner->pipeline);
}

qint64 Accompaniment::Position() const
{
    gint64 position = 0;
    if (!gst_element_query_position(m_inner->pipeline, GST_FORMAT_TIME, &position) || position < 0)
        return -1;
    return position / GST_MSECOND;
}

bool Accompaniment::Ended() const
{
    std::lock_guard<std::mutex> guard(m_inner->mutex);
    return m_inner->ended;
}

} // namespace rtcmedia
