// The class recording: what the local user hears (the microphone, every
// remote participant and the accompaniment), mixed in real time and
// encoded as AAC in ADTS frames into the file the engine is given.
//
// Sources hand their sound to Heard in their streaming threads. Each one
// fills a queue of its own; a pump thread takes what is due every 20 ms by
// the clock, sums the queues (silence where one has nothing), and pushes
// the mix into an encoding pipeline. A source that stops, lags or joins
// late never holds the file back: the clock alone says how much is written.
#include "platform/rtc/RtcMediaInner.h"

#include "EngineState.h"

#include <gst/app/gstappsrc.h>

#include <QDebug>
#include <QFile>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace rtcengine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = rtcmedia::kSampleRate;
constexpr int kPumpMs = 20;
// A source plays once this much of it waits (after its start or after it
// ran dry). It rides over the unevenness of its buffers and over a busy
// machine holding its thread back for a moment; a file has no use for the
// low delay a speaker wants.
constexpr size_t kJitterSamples = kRate * 200 / 1000;
// A source that gets ahead of the clock by more (a faster sound card, or
// the backlog after a long stall) is brought back to the jitter margin.
constexpr size_t kMaxQueuedSamples = kRate;
constexpr int kStopWaitMs = 5000;

// Sample rate and AAC bit rate of each quality the engine accepts.
struct Quality {
    int rate = 0;
    int bitrate = 0;
};
Quality QualityOf(int quality)
{
    switch (quality) {
    case 0:
        return { 16000, 32000 };
    case 1:
        return { 22050, 48000 };
    case 2:
        return { 32000, 64000 };
    default:
        return {};
    }
}

// What the sources hand on while a recording runs; one per process, as
// the sound the user hears is.
struct Hearing {
    std::atomic<bool> active { false };
    std::mutex mutex;
    rtcmedia::inner::SoundQueues sources { kJitterSamples, kMaxQueuedSamples, kJitterSamples };

    void Add(qint64 key, GstBuffer* buffer, int channels)
    {
        std::vector<qint16> mono;
        if (!rtcmedia::inner::MixDown(buffer, channels, mono)) {
            qWarning() << "RTC recorder: a buffer of" << channels << "channels from source" << key << "is dropped";
            return;
        }
        std::lock_guard<std::mutex> lock(mutex);
        sources.Add(key, mono.data(), mono.size());
    }

    void AddQuiet(qint64 key, size_t count)
    {
        std::lock_guard<std::mutex> lock(mutex);
        sources.AddQuiet(key, count);
    }

    // The next count samples of the mix.
    std::vector<qint16> Take(size_t count)
    {
        std::vector<int> sum(count, 0);
        {
            std::lock_guard<std::mutex> lock(mutex);
            sources.MixInto(sum.data(), count);
        }
        std::vector<qint16> mix(count);
        for (size_t i = 0; i < count; ++i)
            mix[i] = qint16(std::clamp(sum[i], -32768, 32767));
        return mix;
    }
};

Hearing& TheHearing()
{
    static Hearing hearing;
    return hearing;
}

// The encoding pipeline: appsrc ! audioconvert ! audioresample ! caps !
// voaacenc ! ADTS caps ! aacparse ! filesink. Null, with a log line, when
// it cannot be made.
GstElement* NewEncoder(const QString& path, const Quality& quality, GstElement** appsrc)
{
    rtcmedia::Init();
    using rtcmedia::inner::Make;
    GstElement* pipeline = rtcmedia::OwnThreads(gst_pipeline_new("class-recording"));
    GstElement* elements[] = { Make("appsrc"), Make("audioconvert"), Make("audioresample"), Make("capsfilter"),
        Make("voaacenc"), Make("capsfilter"), Make("aacparse"), Make("filesink") };
    for (GstElement* element : elements) {
        if (!element) {
            for (GstElement* made : elements)
                if (made)
                    gst_object_unref(gst_object_ref_sink(made));
            gst_object_unref(pipeline);
            return nullptr;
        }
    }
    GstElement* source = elements[0];
    g_object_set(source, "format", GST_FORMAT_TIME, "is-live", FALSE, "block", FALSE, nullptr);
    rtcmedia::inner::SetCaps(source, rtcmedia::inner::PcmCaps(1));
    rtcmedia::inner::SetCaps(elements[3],
        gst_caps_new_simple("audio/x-raw", "rate", G_TYPE_INT, quality.rate, "channels", G_TYPE_INT, 1, nullptr));
    g_object_set(elements[4], "bitrate", quality.bitrate, nullptr);
    rtcmedia::inner::SetCaps(elements[5],
        gst_caps_new_simple(
            "audio/mpeg", "mpegversion", G_TYPE_INT, 4, "stream-format", G_TYPE_STRING, "adts", nullptr));
    // Not prerolled: the pipeline is PLAYING (or failed) when set_state returns.
    g_object_set(elements[7], "location", QFile::encodeName(path).constData(), "async", FALSE, nullptr);
    for (GstElement* element : elements)
        gst_bin_add(GST_BIN(pipeline), element);
    for (size_t i = 0; i + 1 < std::size(elements); ++i) {
        if (!gst_element_link(elements[i], elements[i + 1])) {
            qWarning() << "RTC recorder: the encoding pipeline does not link at" << i;
            gst_object_unref(pipeline);
            return nullptr;
        }
    }
    *appsrc = source;
    return pipeline;
}

QString ErrorText(GstMessage* message)
{
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return text;
}

} // namespace

struct Recorder::Inner {
    std::mutex control; // Start and Stop, one at a time
    mutable QMutex mutex; // guards recording and path
    bool recording = false;
    QString path;

    // Under control.
    GstElement* pipeline = nullptr;
    GstElement* appsrc = nullptr; // owned by the pipeline
    std::thread pump;
    std::mutex pumpMutex;
    std::condition_variable wake;
    bool stopping = false; // under pumpMutex
    Clock::time_point started;
    quint64 written = 0; // samples; pump thread, then Stop after the join
    bool broken = false; // likewise
    int encoderRate = 0;

    // Pushes the mix due by the clock, and extra samples after it.
    void Pump(quint64 extra = 0)
    {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();
        const quint64 due = quint64(elapsed) * kRate / 1000000 + extra;
        if (due <= written || broken)
            return;
        // After a stall (a suspended machine) the file takes at most a few
        // seconds of silence, not the whole gap at once.
        const size_t count = size_t(std::min<quint64>(due - written, quint64(kRate) * 5));
        const std::vector<qint16> mix = TheHearing().Take(count);
        GstBuffer* buffer = gst_buffer_new_memdup(mix.data(), mix.size() * sizeof(qint16));
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(written, GST_SECOND, kRate);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(count, GST_SECOND, kRate);
        written = std::max(written + count, due);
        if (gst_app_src_push_buffer(GST_APP_SRC(appsrc), buffer) != GST_FLOW_OK)
            broken = true;
        GstBus* bus = gst_element_get_bus(pipeline);
        if (GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
            qWarning() << "RTC recorder: writing failed, the file ends here:" << ErrorText(message);
            gst_message_unref(message);
            broken = true;
        }
        gst_object_unref(bus);
    }

    void Run()
    {
        std::unique_lock<std::mutex> lock(pumpMutex);
        while (!stopping) {
            wake.wait_for(lock, std::chrono::milliseconds(kPumpMs));
            lock.unlock();
            Pump();
            lock.lock();
        }
    }

    void Discard()
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        pipeline = appsrc = nullptr;
    }

    int Start(const QString& target, int qualityValue)
    {
        std::lock_guard<std::mutex> guard(control);
        if (pipeline || TheHearing().active.load())
            return rtc::ERR_NOT_READY;
        const Quality quality = QualityOf(qualityValue);
        if (quality.rate == 0) {
            qWarning() << "RTC recorder: no such quality:" << qualityValue;
            return rtc::ERR_INVALID_ARGUMENT;
        }
        {
            QFile file(target);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                qWarning() << "RTC recorder: cannot write" << target << file.errorString();
                return rtc::ERR_INVALID_ARGUMENT;
            }
        }
        pipeline = NewEncoder(target, quality, &appsrc);
        if (!pipeline) {
            QFile::remove(target);
            return rtc::ERR_FAILED;
        }
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            GstBus* bus = gst_element_get_bus(pipeline);
            GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
            qWarning() << "RTC recorder: the encoding pipeline does not start:"
                       << (message ? ErrorText(message) : QString());
            if (message)
                gst_message_unref(message);
            gst_object_unref(bus);
            Discard();
            QFile::remove(target);
            return rtc::ERR_FAILED;
        }
        {
            std::lock_guard<std::mutex> lock(TheHearing().mutex);
            TheHearing().sources.Clear();
        }
        TheHearing().active.store(true);
        written = 0;
        broken = false;
        encoderRate = quality.rate;
        stopping = false;
        started = Clock::now();
        pump = std::thread([this] { Run(); });
        QMutexLocker lock(&mutex);
        recording = true;
        path = target;
        return rtc::ERR_OK;
    }

    void Stop()
    {
        std::lock_guard<std::mutex> guard(control);
        if (!pipeline)
            return;
        {
            std::lock_guard<std::mutex> lock(pumpMutex);
            stopping = true;
        }
        wake.notify_all();
        pump.join();
        // Up to the moment of the stop, and two frames of the encoder more:
        // it holds back the part of a frame and decoders drop the first.
        Pump(quint64(2) * 1024 * kRate / quint64(encoderRate) + 1);
        TheHearing().active.store(false);
        {
            std::lock_guard<std::mutex> lock(TheHearing().mutex);
            TheHearing().sources.Clear();
        }
        // The encoder's last frames reach the file only through the end of
        // the stream; a player reads the whole length only then.
        if (!broken && gst_app_src_end_of_stream(GST_APP_SRC(appsrc)) == GST_FLOW_OK) {
            GstBus* bus = gst_element_get_bus(pipeline);
            GstMessage* message = gst_bus_timed_pop_filtered(
                bus, kStopWaitMs * GST_MSECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
            if (!message)
                qWarning() << "RTC recorder: the file was not finished in time";
            else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
                qWarning() << "RTC recorder: finishing the file failed:" << ErrorText(message);
            if (message)
                gst_message_unref(message);
            gst_object_unref(bus);
        }
        Discard();
        QMutexLocker lock(&mutex);
        recording = false;
    }
};

Recorder::Recorder()
    : m_inner(std::make_shared<Inner>())
{ }

Recorder::~Recorder()
{
    Stop();
}

int Recorder::Start(const QString& path, int quality)
{
    return m_inner->Start(path, quality);
}

void Recorder::Stop()
{
    m_inner->Stop();
}

bool Recorder::IsRecording() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->recording;
}

QString Recorder::Path() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->path;
}

} // namespace rtcengine

namespace rtcmedia::inner {

void Heard(qint64 source, GstBuffer* buffer, int channels)
{
    rtcengine::Hearing& hearing = rtcengine::TheHearing();
    if (!hearing.active.load(std::memory_order_relaxed))
        return;
    hearing.Add(source, buffer, channels);
}

void HeardQuiet(qint64 source, size_t samples)
{
    rtcengine::Hearing& hearing = rtcengine::TheHearing();
    if (hearing.active.load(std::memory_order_relaxed))
        hearing.AddQuiet(source, samples);
}

} // namespace rtcmedia::inner
