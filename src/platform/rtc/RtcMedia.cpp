// The media state the engine sets and the live bins follow, and the helpers
// that switch parts of a running bin.
#include "RtcMediaInner.h"

#include "EngineState.h"

#include <QDebug>
#include <algorithm>
#include <malloc.h>
#include <mutex>
#include <thread>

namespace rtcmedia {

namespace inner {

QMutex& Lock()
{
    static QMutex mutex;
    return mutex;
}

State& Media()
{
    static State state;
    return state;
}

QReadWriteLock& ObserverLock()
{
    static QReadWriteLock lock;
    return lock;
}

GstElement* Make(const char* factory, const char* name)
{
    GstElement* element = gst_element_factory_make(factory, name);
    if (!element)
        qWarning() << "RTC media: the GStreamer element" << factory << "is missing";
    return element;
}

void SetCaps(GstElement* capsfilter, GstCaps* caps)
{
    g_object_set(capsfilter, "caps", caps, nullptr);
    gst_caps_unref(caps);
}

GstCaps* PcmCaps(int channels)
{
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT,
        kSampleRate, "layout", G_TYPE_STRING, "interleaved", nullptr);
    if (channels > 0)
        gst_caps_set_simple(caps, "channels", G_TYPE_INT, channels, nullptr);
    return caps;
}

namespace {

struct Entry {
    GWeakRef bin;
    std::shared_ptr<LiveBin> live;
    explicit Entry(GstElement* element, std::shared_ptr<LiveBin> data)
        : live(std::move(data))
    {
        g_weak_ref_init(&bin, element);
    }
    ~Entry() { g_weak_ref_clear(&bin); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
};

QMutex s_registryLock;
std::vector<std::shared_ptr<Entry>> s_registry;

} // namespace

void Ghost(GstElement* bin, GstElement* element, const char* name)
{
    GstPad* pad = gst_element_get_static_pad(element, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

void MarkDisplay(GstElement* element)
{
    g_object_set_data(G_OBJECT(element), "rtcmedia-display", GINT_TO_POINTER(1));
}

void Register(GstElement* bin, std::shared_ptr<LiveBin> live)
{
    g_object_set_data_full(G_OBJECT(bin), "rtcmedia-live", new std::shared_ptr<LiveBin>(live),
        [](gpointer data) { delete static_cast<std::shared_ptr<LiveBin>*>(data); });
    QMutexLocker lock(&s_registryLock);
    // Bins gone since the last registration are forgotten here.
    s_registry.erase(std::remove_if(s_registry.begin(), s_registry.end(),
                         [](const std::shared_ptr<Entry>& entry) {
                             GstElement* alive = GST_ELEMENT(g_weak_ref_get(&entry->bin));
                             if (alive)
                                 gst_object_unref(alive);
                             return alive == nullptr;
                         }),
        s_registry.end());
    s_registry.push_back(std::make_shared<Entry>(bin, std::move(live)));
}

void ForEach(Role role, const std::function<void(GstElement*, LiveBin&)>& f)
{
    std::vector<std::shared_ptr<Entry>> entries;
    {
        QMutexLocker lock(&s_registryLock);
        entries = s_registry;
    }
    for (const std::shared_ptr<Entry>& entry : entries) {
        if (entry->live->role != role)
            continue;
        if (GstElement* bin = GST_ELEMENT(g_weak_ref_get(&entry->bin))) {
            f(bin, *entry->live);
            gst_object_unref(bin);
        }
    }
}

namespace {

struct Swap {
    GstElement* bin;
    std::function<GstElement*()> make;
};

GstPadProbeReturn OnIdle(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    auto* swap = static_cast<Swap*>(data);
    GstElement* fresh = swap->make();
    if (!fresh)
        return GST_PAD_PROBE_REMOVE;
    GstPad* peer = gst_pad_get_peer(pad);
    if (peer) {
        GstElement* old = gst_pad_get_parent_element(peer);
        gst_pad_unlink(pad, peer);
        gst_object_unref(peer);
        if (old) {
            gst_element_set_state(old, GST_STATE_NULL);
            gst_bin_remove(GST_BIN(swap->bin), old);
            gst_object_unref(old);
        }
    }
    gst_bin_add(GST_BIN(swap->bin), fresh);
    GstPad* sink = gst_element_get_static_pad(fresh, "sink");
    if (gst_pad_link(pad, sink) != GST_PAD_LINK_OK)
        qWarning() << "RTC media: cannot link the new element" << GST_OBJECT_NAME(fresh);
    gst_object_unref(sink);
    gst_element_sync_state_with_parent(fresh);
    return GST_PAD_PROBE_REMOVE;
}

} // namespace

void SwapDownstream(GstElement* bin, GstPad* pad, std::function<GstElement*()> make)
{
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_IDLE, OnIdle, new Swap { bin, std::move(make) },
        [](gpointer data) { delete static_cast<Swap*>(data); });
}

void SwapSource(GstElement* bin, GstElement* fresh)
{
    GstElement* entry = gst_bin_get_by_name(GST_BIN(bin), "entry");
    if (GstElement* old = gst_bin_get_by_name(GST_BIN(bin), "source")) {
        gst_element_set_state(old, GST_STATE_NULL);
        gst_element_unlink(old, entry);
        gst_bin_remove(GST_BIN(bin), old);
        gst_object_unref(old);
    }
    gst_object_set_name(GST_OBJECT(fresh), "source");
    gst_bin_add(GST_BIN(bin), fresh);
    if (!gst_element_link(fresh, entry))
        qWarning() << "RTC media: cannot link the new source";
    gst_element_sync_state_with_parent(fresh);
    gst_object_unref(entry);
}

int Peak(GstBuffer* buffer)
{
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return 0;
    int peak = 0;
    const auto* samples = reinterpret_cast<const gint16*>(map.data);
    const gsize count = map.size / 2;
    for (gsize i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    gst_buffer_unmap(buffer, &map);
    return std::min(255, peak * 255 / 32767);
}

double Factor(int volume)
{
    return std::clamp(volume, 0, 255) / 255.0;
}

} // namespace inner

using namespace inner;

void Init()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Media buffers are made in one streaming thread and freed in
        // another; with an allocator arena per thread, each arena keeps the
        // pages its freed buffers leave, and lesson after lesson the process
        // grows. A few arenas shared by all threads keep it level.
        mallopt(M_ARENA_MAX, 4);
        // A picture's buffer (over a megabyte) gets pages of its own, handed
        // back when it is freed. Left to itself the allocator raises this
        // bound at the first such free, and from then on pictures fill the
        // arenas with holes that no later lesson fits into.
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        gst_init(nullptr, nullptr);
        PassOverMissingSoundServer();
        // GLib's idle pool threads (GStreamer's asynchronous calls) stay
        // for the next call, not ending at a moment of their own, such as
        // the process's exit.
        g_thread_pool_set_max_idle_time(0);
    });
}

bool IsDisplayElement(GstObject* object)
{
    // Outputs are swapped on streaming threads: each parent is taken with
    // its reference.
    GstObject* at = object ? GST_OBJECT(gst_object_ref(object)) : nullptr;
    while (at) {
        const bool display = g_object_get_data(G_OBJECT(at), "rtcmedia-display") != nullptr;
        GstObject* parent = display ? nullptr : gst_object_get_parent(at);
        gst_object_unref(at);
        if (display)
            return true;
        at = parent;
    }
    return false;
}

void Prepare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::thread([] {
            Init();
            // Making a DTLS decoder makes the certificate; the others load
            // their plugins.
            for (const char* factory : { "dtlsdec", "webrtcbin", "vp8enc", "vp8dec", "opusenc", "opusdec" }) {
                if (GstElement* element = gst_element_factory_make(factory, nullptr))
                    gst_object_unref(gst_object_ref_sink(element));
            }
        }).detach();
    });
}

void SetFrameObserver(rtc::IVideoFrameObserver* observer)
{
    QWriteLocker calls(&ObserverLock());
    QMutexLocker lock(&Lock());
    Media().observer = observer;
}

void SetFirstFrameHandler(std::function<void(unsigned, int, int)> handler)
{
    QMutexLocker lock(&Lock());
    Media().firstFrame = std::move(handler);
}

void SetDevice(DeviceKind kind, const QString& id)
{
    {
        QMutexLocker lock(&Lock());
        if (Media().devices[int(kind)] == id)
            return;
        Media().devices[int(kind)] = id;
    }
    ApplyDevice(kind);
}

QString ChosenDevice(DeviceKind kind)
{
    // The engine's choice falls back to the system default while its device
    // is away; a device chosen in an earlier lesson and unplugged since is
    // never sent again.
    if (auto engine = rtcengine::EngineCore::Live())
        return engine->CurrentDevice(kind);
    QString chosen;
    {
        QMutexLocker lock(&Lock());
        chosen = Media().devices[int(kind)];
    }
    const QList<Device> devices = rtcengine::ListDevices(kind);
    for (const Device& device : devices) {
        if (device.id == chosen)
            return chosen;
    }
    return rtcengine::DefaultDeviceId(kind, devices);
}

void SetRecordingVolume(int volume)
{
    {
        QMutexLocker lock(&Lock());
        Media().recordingVolume = std::clamp(volume, 0, 255);
    }
    ApplyAudio();
}

void SetPlaybackVolume(int volume)
{
    {
        QMutexLocker lock(&Lock());
        Media().playbackVolume = std::clamp(volume, 0, 255);
    }
    ApplyAudio();
}

void SetMicrophoneMuted(bool muted)
{
    {
        QMutexLocker lock(&Lock());
        Media().microphoneMuted = muted;
    }
    ApplyAudio();
}

void SetPeerAudioMuted(unsigned uid, bool muted)
{
    {
        QMutexLocker lock(&Lock());
        if (muted)
            Media().mutedPeers.insert(uid);
        else
            Media().mutedPeers.remove(uid);
    }
    ApplyAudio();
}

AudioLevels Levels()
{
    QMutexLocker lock(&Lock());
    AudioLevels levels;
    levels.local = std::exchange(Media().localPeak, 0);
    levels.remote = std::exchange(Media().remotePeaks, {});
    return levels;
}

VolumeIndication Indication(const AudioLevels& levels)
{
    // Below this a stream is silence with noise.
    constexpr int kHeard = 4;
    VolumeIndication indication;
    auto count = [&indication](int level) {
        if (level < kHeard)
            return;
        ++indication.speakers;
        indication.total = std::max(indication.total, level);
    };
    count(levels.local);
    for (int level : levels.remote)
        count(level);
    return indication;
}

int CapturedFrames()
{
    QMutexLocker lock(&Lock());
    return Media().captured;
}

int RenderedFrames(unsigned uid)
{
    QMutexLocker lock(&Lock());
    return Media().rendered.value(uid);
}

int HeardBuffers(unsigned uid)
{
    QMutexLocker lock(&Lock());
    return Media().heard.value(uid);
}

int KeyFramesAsked()
{
    QMutexLocker lock(&Lock());
    return Media().keyFramesAsked;
}

void CountKeyFrameAsked()
{
    QMutexLocker lock(&Lock());
    ++Media().keyFramesAsked;
}

Preview::~Preview()
{
    Stop();
}

bool Preview::Start(const QString& deviceId, unsigned uid)
{
    Stop();
    Init();
    GstElement* pipeline = OwnThreads(gst_pipeline_new("preview"));
    GstElement* camera = MakeCameraSource(deviceId, uid);
    GstElement* sink = Make("fakesink");
    if (!camera || !sink) {
        gst_object_unref(pipeline);
        return false;
    }
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), camera, sink, nullptr);
    gst_element_link(camera, sink);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        qWarning() << "RTC media: the camera preview does not start";
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return false;
    }
    m_pipeline = pipeline;
    return true;
}

void Preview::Stop()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

} // namespace rtcmedia
