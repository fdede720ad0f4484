// Video elements: the camera source with its preview and capture tap, the
// generated camera, and the remote video sink drawing into a tile's native
// window.
#include "RtcMediaInner.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include "EngineState.h"
#include "platform/RtcEngine.h"

#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QSize>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <mutex>

namespace rtcmedia {

using namespace inner;

namespace {

constexpr int kCodeBlocks = 32;
constexpr int kCodeRowHeight = 16;
constexpr int kCodeRows[3] = { 424, 444, 464 };
constexpr quint32 kCodeCheck = 0xA5A5A5A5u;

// A bin that draws pictures for one key (the preview or a remote uid):
// everything downstream of displayPad is the output, swapped between a
// window sink and a fake one as views come and go.
class VideoBin : public LiveBin
{
public:
    GstPad* displayPad = nullptr; // owned by the bin
    std::mutex mutex;
    quintptr window = 0; // the window the output draws into now
    QSize size; // and its size
    std::atomic<bool> firstDone { false };
    std::atomic<qint64> lastRebuildMs { 0 };
    // The bin itself (not owned: alive while its probes run), which keeps a
    // remote uid's last picture, replaced and taken under lastLock, so
    // that the picture goes with the bin.
    GstElement* bin = nullptr;
    std::mutex lastLock;
};

GQuark LastPictureQuark()
{
    static const GQuark quark = g_quark_from_static_string("plovix-last-picture");
    return quark;
}

GstCaps* I420Caps()
{
    return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT, kWidth, "height",
        G_TYPE_INT, kHeight, "framerate", GST_TYPE_FRACTION, kFps, 1, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1,
        nullptr);
}

// The frame of an I420 buffer as the observer takes it; valid while the
// video frame stays mapped.
rtc::VideoFrame ToFrame(const GstVideoFrame& mapped)
{
    rtc::VideoFrame frame;
    frame.width = GST_VIDEO_FRAME_WIDTH(&mapped);
    frame.height = GST_VIDEO_FRAME_HEIGHT(&mapped);
    frame.yStride = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 0);
    frame.uStride = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 1);
    frame.vStride = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 2);
    frame.yBuffer = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 0));
    frame.uBuffer = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 1));
    frame.vBuffer = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 2));
    frame.renderTimeMs = QDateTime::currentMSecsSinceEpoch();
    return frame;
}

// Hands an I420 buffer to the frame observer: as a captured frame, or as
// uid's rendered one.
// Hands frame to the observer as key's (the camera's when capture).
void Observe(rtc::IVideoFrameObserver* observer, bool capture, qint64 key, GstBuffer* buffer, GstCaps* caps)
{
    GstVideoInfo videoInfo;
    GstVideoFrame mapped;
    if (!caps || !gst_video_info_from_caps(&videoInfo, caps)
        || !gst_video_frame_map(&mapped, &videoInfo, buffer, GST_MAP_READ))
        return;
    rtc::VideoFrame frame = ToFrame(mapped);
    if (capture)
        observer->onCaptureVideoFrame(frame);
    else
        observer->onRenderVideoFrame(rtc::uid_t(key), frame);
    gst_video_frame_unmap(&mapped);
}

GstPadProbeReturn OnFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* live = static_cast<VideoBin*>(data);
    const bool capture = live->role == Role::Camera;
    QReadLocker calls(&ObserverLock());
    rtc::IVideoFrameObserver* observer = nullptr;
    {
        QMutexLocker lock(&Lock());
        observer = Media().observer;
        if (capture)
            ++Media().captured;
        else
            ++Media().rendered[unsigned(live->key)];
    }
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!capture && caps && live->bin) {
        std::lock_guard<std::mutex> lock(live->lastLock);
        g_object_set_qdata_full(G_OBJECT(live->bin), LastPictureQuark(), gst_sample_new(buffer, caps, nullptr, nullptr),
            GDestroyNotify(gst_sample_unref));
    }
    if (observer)
        Observe(observer, capture, live->key, buffer, caps);
    if (caps)
        gst_caps_unref(caps);
    return GST_PAD_PROBE_OK;
}

// The first frame that reaches a bound view of a remote uid.
GstPadProbeReturn OnDisplayed(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    auto* live = static_cast<VideoBin*>(data);
    if (live->key == kLocalKey || live->firstDone)
        return GST_PAD_PROBE_OK;
    std::function<void(unsigned, int, int)> handler;
    {
        QMutexLocker lock(&Lock());
        if (!Media().views.value(live->key).bound)
            return GST_PAD_PROBE_OK;
        handler = Media().firstFrame;
    }
    if (live->firstDone.exchange(true))
        return GST_PAD_PROBE_OK;
    int width = 0;
    int height = 0;
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstStructure* s = gst_caps_get_structure(caps, 0);
        gst_structure_get_int(s, "width", &width);
        gst_structure_get_int(s, "height", &height);
        gst_caps_unref(caps);
    }
    if (handler)
        handler(unsigned(live->key), width, height);
    return GST_PAD_PROBE_OK;
}

GstElement* FakeOutput()
{
    GstElement* sink = Make("fakesink");
    g_object_set(sink, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    MarkDisplay(sink);
    return sink;
}

// Crops to the window's shape (the view is filled, what overflows is cut),
// scales to its size (ximagesink does not scale) and draws into it.
GstElement* WindowOutput(const ViewTarget& target)
{
    GstElement* crop = Make("aspectratiocrop", "crop");
    GstElement* scale = Make("videoscale");
    GstElement* fit = Make("capsfilter", "fit");
    GstElement* convert = Make("videoconvert");
    GstElement* sink = Make("ximagesink", "window");
    if (!crop || !scale || !fit || !convert || !sink) {
        for (GstElement* e : { crop, scale, fit, convert, sink }) {
            if (e)
                gst_object_unref(e);
        }
        return FakeOutput();
    }
    GstElement* bin = gst_bin_new(nullptr);
    g_object_set(crop, "aspect-ratio", target.width, target.height, nullptr);
    SetCaps(fit,
        gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, target.width, "height", G_TYPE_INT, target.height,
            "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    // The window is Qt's: ximagesink must not take its input events.
    g_object_set(sink, "async", FALSE, "sync", FALSE, "handle-events", FALSE, "force-aspect-ratio", FALSE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), guintptr(target.window));
    gst_bin_add_many(GST_BIN(bin), crop, scale, fit, convert, sink, nullptr);
    gst_element_link_many(crop, scale, fit, convert, sink, nullptr);
    Ghost(bin, crop, "sink");
    MarkDisplay(bin);
    return bin;
}

// Brings the output of one bin in line with its key's view; rebuild makes a
// fresh output even for the same view.
void Follow(GstElement* bin, VideoBin& live, bool rebuild = false)
{
    ViewTarget target;
    {
        QMutexLocker lock(&Lock());
        target = Media().views.value(live.key);
    }
    const quintptr window = target.bound ? target.window : 0;
    const QSize size(target.width, target.height);
    std::lock_guard<std::mutex> guard(live.mutex);
    // Another size gets an output of its own: changing the crop and the
    // scaled size of a running one races the pictures on their way, and a
    // crop left at the old shape fails the caps (and stops the camera).
    if (!rebuild && window == live.window && (!window || size == live.size))
        return;
    live.window = window;
    live.size = size;
    SwapDownstream(bin, live.displayPad, [window, target] { return window ? WindowOutput(target) : FakeOutput(); });
}

// Hands each picture to the output and keeps what the output answers to
// itself: a window that went away or a size that fails to negotiate must not
// travel back up the tee and stop the camera or the received stream. A
// failed output is built anew, at most once a second.
GstPadProbeReturn OnDraw(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    GstPad* peer = gst_pad_get_peer(pad);
    if (!peer)
        return GST_PAD_PROBE_DROP;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GST_PAD_PROBE_INFO_DATA(info) = nullptr;
    const GstFlowReturn drawn = gst_pad_chain(peer, buffer);
    gst_object_unref(peer);
    if (drawn == GST_FLOW_OK || drawn == GST_FLOW_FLUSHING)
        return GST_PAD_PROBE_HANDLED;
    auto* live = static_cast<VideoBin*>(data);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 last = live->lastRebuildMs;
    if (now - last < 1000 || !live->lastRebuildMs.compare_exchange_strong(last, now))
        return GST_PAD_PROBE_HANDLED;
    qWarning() << "RTC media: drawing the pictures of" << live->key << "failed:" << gst_flow_get_name(drawn)
               << "- the output is built anew";
    GstElement* queue = gst_pad_get_parent_element(pad);
    GstElement* bin = queue ? GST_ELEMENT(gst_element_get_parent(queue)) : nullptr;
    if (bin) {
        Follow(bin, *live, true);
        gst_object_unref(bin);
    }
    if (queue)
        gst_object_unref(queue);
    return GST_PAD_PROBE_HANDLED;
}

// The drawing branch takes the stream as it comes (its output converts and
// scales on its own): asked upstream, it accepts whatever is offered, so an
// output being swapped never narrows what the camera or the decoder may
// negotiate.
GstPadProbeReturn OnDisplayQuery(GstPad*, GstPadProbeInfo* info, gpointer)
{
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    switch (GST_QUERY_TYPE(query)) {
    case GST_QUERY_CAPS: {
        GstCaps* filter = nullptr;
        gst_query_parse_caps(query, &filter);
        GstCaps* any = gst_caps_new_empty_simple("video/x-raw");
        if (filter) {
            GstCaps* both = gst_caps_intersect_full(filter, any, GST_CAPS_INTERSECT_FIRST);
            gst_caps_unref(any);
            any = both;
        }
        gst_query_set_caps_result(query, any);
        gst_caps_unref(any);
        return GST_PAD_PROBE_HANDLED;
    }
    case GST_QUERY_ACCEPT_CAPS:
        gst_query_set_accept_caps_result(query, TRUE);
        return GST_PAD_PROBE_HANDLED;
    default:
        return GST_PAD_PROBE_OK;
    }
}

// Adds the drawing branch behind a tee-less chain: from upstream's src pad
// through a leaky queue to the output.
void AddDisplay(GstElement* bin, GstElement* upstream, const std::shared_ptr<VideoBin>& live)
{
    GstElement* queue = Make("queue", "display");
    // Drawing never holds up the stream: late pictures are dropped.
    g_object_set(queue, "leaky", 2, "max-size-buffers", 2u, "max-size-bytes", 0u, "max-size-time", guint64(0), nullptr);
    GstElement* output = FakeOutput();
    gst_bin_add_many(GST_BIN(bin), queue, output, nullptr);
    gst_element_link_many(upstream, queue, output, nullptr);
    GstPad* queueSink = gst_element_get_static_pad(queue, "sink");
    gst_pad_add_probe(queueSink, GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, OnDisplayQuery, nullptr, nullptr);
    gst_object_unref(queueSink);
    live->displayPad = gst_element_get_static_pad(queue, "src");
    gst_pad_add_probe(live->displayPad, GST_PAD_PROBE_TYPE_BUFFER, OnDisplayed, live.get(), nullptr);
    gst_pad_add_probe(live->displayPad, GST_PAD_PROBE_TYPE_BUFFER, OnDraw, live.get(), nullptr);
    // The pad lives in the bin; the bin holds the only other reference.
    gst_object_unref(live->displayPad);
}

// Taps the I420 frames leaving tap for the observer, draws from display
// on, and registers the bin.
void Finish(GstElement* bin, GstElement* tap, GstElement* display, const std::shared_ptr<VideoBin>& live)
{
    GstPad* pad = gst_element_get_static_pad(tap, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnFrame, live.get(), nullptr);
    gst_object_unref(pad);
    AddDisplay(bin, display, live);
    live->bin = bin;
    Register(bin, live);
    Follow(bin, *live);
}

// --- The generated camera

struct Generator {
    unsigned uid = 0;
    qint64 frames = 0;
};

void PaintCode(QPainter& painter, int row, quint32 bits)
{
    const int block = kWidth / kCodeBlocks;
    for (int i = 0; i < kCodeBlocks; ++i) {
        const bool on = (bits >> (kCodeBlocks - 1 - i)) & 1u;
        painter.fillRect(i * block, kCodeRows[row], block, kCodeRowHeight, on ? Qt::white : Qt::black);
    }
}

void PaintPicture(QImage& image, unsigned uid, quint32 stampMs, qint64 frame)
{
    const int hue = int((uid * 47u) % 360u);
    image.fill(QColor::fromHsv(hue, 90, 110));
    QPainter painter(&image);
    for (int i = 0; i < 7; ++i)
        painter.fillRect(i * kWidth / 7, 0, kWidth / 7 + 1, kHeight / 4, QColor::fromHsv(i * 51, 160, 210));
    // A bar sweeping across once every two seconds: the picture moves.
    const int x = int((frame % (2 * kFps)) * (kWidth + 80) / (2 * kFps)) - 80;
    painter.fillRect(x, kHeight / 4, 80, kHeight / 2, QColor(255, 255, 255, 110));
    StampText(painter, QRect(0, kHeight / 4, kWidth, kHeight / 4), QString::number(uid), true);
    StampText(painter, QRect(0, kHeight / 2, kWidth, kHeight / 4),
        QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")), false);
    PaintCode(painter, 0, uid);
    PaintCode(painter, 1, stampMs);
    PaintCode(painter, 2, uid ^ stampMs ^ kCodeCheck);
}

GstPadProbeReturn OnGenerate(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* generator = static_cast<Generator*>(data);
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
        return GST_PAD_PROBE_OK;
    // BGRx in memory is Qt's RGB32 on this little-endian machine.
    QImage image(map.data, kWidth, kHeight, kWidth * 4, QImage::Format_RGB32);
    PaintPicture(image, generator->uid, quint32(QDateTime::currentMSecsSinceEpoch()), generator->frames++);
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

GstElement* GeneratedCamera(unsigned uid)
{
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* source = Make("videotestsrc");
    GstElement* caps = Make("capsfilter");
    g_object_set(source, "is-live", TRUE, "pattern", 2 /* black */, nullptr);
    SetCaps(caps,
        gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT, kWidth, "height",
            G_TYPE_INT, kHeight, "framerate", GST_TYPE_FRACTION, kFps, 1, nullptr));
    gst_bin_add_many(GST_BIN(bin), source, caps, nullptr);
    gst_element_link(source, caps);
    GstPad* pad = gst_element_get_static_pad(caps, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnGenerate, new Generator { uid, 0 },
        [](gpointer data) { delete static_cast<Generator*>(data); });
    gst_object_unref(pad);
    Ghost(bin, caps, "src");
    return bin;
}

GstElement* CameraElement(const QString& id, unsigned uid)
{
    if (GstElement* pictures = MakeCameraPictures(id, uid))
        return pictures;
    // No camera, one that does not open or is not there: black pictures keep
    // the caps the transport relies on. Only a generated camera shows the
    // generated picture.
    if (!id.isEmpty())
        qInfo() << "RTC media: the camera" << id << "gives no picture";
    GstElement* black = Make("videotestsrc");
    g_object_set(black, "is-live", TRUE, "pattern", 2, nullptr);
    return black;
}

void OnDecoded(GstElement*, GstPad* pad, gpointer ghost)
{
    // The caps event may not have passed yet: ask.
    GstCaps* caps = gst_pad_query_caps(pad, nullptr);
    const bool video = caps && !gst_caps_is_empty(caps)
        && g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/x-raw");
    if (caps)
        gst_caps_unref(caps);
    if (!video)
        return;
    // One picture stream: the first decoded one.
    if (GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(ghost))) {
        gst_object_unref(target);
        return;
    }
    gst_ghost_pad_set_target(GST_GHOST_PAD(ghost), pad);
}

// The first stream-start passes; those of a source switched in later would
// make the transport's elements begin a new stream.
GstPadProbeReturn OnlyFirstStreamStart(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* seen = static_cast<std::atomic<bool>*>(data);
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_STREAM_START)
        return GST_PAD_PROBE_OK;
    return seen->exchange(true) ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

// Stamps each picture with the pipeline's running time as it leaves the
// source. A camera opened again, or swapped for another device, starts its
// own count from nought; the encoder would throw away every picture older
// than the last one it took, the key frame asked for at the switch among
// them.
GstPadProbeReturn OnCaptured(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* last = static_cast<std::atomic<GstClockTime>*>(data);
    GstElement* element = gst_pad_get_parent_element(pad);
    const GstClockTime now = element ? gst_element_get_current_running_time(element) : GST_CLOCK_TIME_NONE;
    if (element)
        gst_object_unref(element);
    if (!GST_CLOCK_TIME_IS_VALID(now))
        return GST_PAD_PROBE_OK;
    const GstClockTime previous = *last;
    const GstClockTime stamp = GST_CLOCK_TIME_IS_VALID(previous) && now <= previous ? previous + 1 : now;
    *last = stamp;
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GST_BUFFER_PTS(buffer) = stamp;
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    return GST_PAD_PROBE_OK;
}

class SourceBin : public VideoBin
{
public:
    unsigned uid = 0;
    std::mutex switching;
    QString device; // guarded by switching
};

// --- Views, GUI thread

bool NativeWindows()
{
    static const bool native
        = QGuiApplication::platformName() == QLatin1String("xcb") && gst_element_factory_find("ximagesink") != nullptr;
    return native;
}

ViewTarget TargetOf(QWidget* view)
{
    ViewTarget target;
    target.bound = true;
    if (NativeWindows()) {
        const qreal ratio = view->devicePixelRatioF();
        target.width = qMax(2, int(view->width() * ratio));
        target.height = qMax(2, int(view->height() * ratio));
        target.window = quintptr(view->winId());
    }
    return target;
}

void Store(qint64 key, const ViewTarget& target)
{
    {
        QMutexLocker lock(&Lock());
        if (target.bound)
            Media().views.insert(key, target);
        else
            Media().views.remove(key);
    }
    ApplyView(key);
}

// Follows a bound view: its size, and its end (the window is about to go,
// or the widget is).
class ViewWatcher : public QObject
{
public:
    ViewWatcher(qint64 key, QWidget* view)
        : QObject(view)
        , m_key(key)
        , m_view(view)
    {
        view->installEventFilter(this);
        if (QWindow* window = view->windowHandle())
            window->installEventFilter(this);
        // A layout settling resizes a tile many times over; the output is
        // rebuilt for the size it settles on.
        m_settle.setSingleShot(true);
        m_settle.setInterval(100);
        connect(&m_settle, &QTimer::timeout, this, [this] {
            if (m_bound)
                Store(m_key, TargetOf(m_view));
        });
    }
    ~ViewWatcher() override
    {
        if (m_bound)
            Store(m_key, ViewTarget());
    }
    // Another view took the key: this one no longer draws.
    void Release() { m_bound = false; }
    // Draws into the view once its layout has settled.
    void Settle() { m_settle.start(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_view && event->type() == QEvent::Resize && m_bound)
            m_settle.start();
        else if (watched == m_view && event->type() == QEvent::WinIdChange && m_bound)
            Store(m_key, TargetOf(m_view));
        else if (event->type() == QEvent::PlatformSurface && m_bound
            && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType()
                == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            Store(m_key, ViewTarget());
        return false;
    }

private:
    qint64 m_key;
    QWidget* m_view;
    bool m_bound = true;
    QTimer m_settle;
};

QMap<qint64, QPointer<ViewWatcher>>& Watchers()
{
    static QMap<qint64, QPointer<ViewWatcher>> watchers;
    return watchers;
}

void BindInGui(qint64 key, QWidget* view)
{
    if (QPointer<ViewWatcher> old = Watchers().take(key)) {
        old->Release();
        old->deleteLater();
    }
    if (!view) {
        Store(key, ViewTarget());
        return;
    }
    if (NativeWindows()) {
        // Only the view gets a window of its own: native ancestors would be
        // painted apart from the rest of the room and leave stale patches
        // as tiles come and go.
        view->setAttribute(Qt::WA_DontCreateNativeAncestors);
        view->setAttribute(Qt::WA_NativeWindow);
    }
    // Bound at once, drawn once placed: a tile is usually still being laid
    // out when bound, and pictures drawn at its first size would flash small
    // in a corner.
    ViewTarget target = TargetOf(view);
    const bool native = target.window != 0;
    target.window = 0;
    auto* watcher = new ViewWatcher(key, view);
    Watchers().insert(key, watcher);
    Store(key, target);
    if (native)
        watcher->Settle();
}

void Bind(qint64 key, QWidget* view)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QGuiApplication*>(app)) {
        // No GUI: the key counts as bound, pictures go nowhere.
        Store(key, view ? ViewTarget { true, 0, 0, 0 } : ViewTarget());
        return;
    }
    if (QThread::currentThread() == app->thread())
        BindInGui(key, view);
    else {
        QPointer<QWidget> guarded(view);
        QMetaObject::invokeMethod(
            app,
            [key, guarded, bind = view != nullptr] {
                if (!bind || guarded)
                    BindInGui(key, guarded);
            },
            Qt::QueuedConnection);
    }
}

} // namespace

namespace inner {

void ApplyView(qint64 key)
{
    for (Role role : { Role::Camera, Role::VideoSink }) {
        ForEach(role, [key](GstElement* bin, LiveBin& live) {
            if (live.key == key)
                Follow(bin, static_cast<VideoBin&>(live));
        });
    }
}

void SwitchCamera(GstElement* bin, LiveBin& live, const QString& id)
{
    auto& source = static_cast<SourceBin&>(live);
    std::lock_guard<std::mutex> guard(source.switching);
    if (source.device == id)
        return;
    source.device = id;
    SwapSource(bin, CameraElement(id, source.uid));
}

GstElement* DecodedCamera(GstElement* device)
{
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* prefer = Make("capsfilter");
    GstElement* decode = Make("decodebin");
    if (!prefer || !decode) {
        gst_object_unref(bin);
        return device;
    }
    // Cameras often give large pictures at a low rate by default; the size
    // sent is asked for first, raw or as JPEG.
    SetCaps(prefer,
        gst_caps_from_string("video/x-raw,width=640,height=480; image/jpeg,width=640,height=480; "
                             "video/x-raw; image/jpeg"));
    gst_bin_add_many(GST_BIN(bin), device, prefer, decode, nullptr);
    gst_element_link_many(device, prefer, decode, nullptr);
    GstPad* ghost = gst_ghost_pad_new_no_target("src", GST_PAD_SRC);
    gst_element_add_pad(bin, ghost);
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnDecoded), ghost);
    return bin;
}

} // namespace inner

GstElement* MakeCameraPictures(const QString& deviceId, unsigned uid)
{
    Init();
    bool failed = false;
    if (GstElement* real = MakeDeviceElement(DeviceKind::Camera, deviceId, &failed))
        return DecodedCamera(real);
    if (failed || !rtcengine::IsGenerated(DeviceKind::Camera, deviceId))
        return nullptr;
    return GeneratedCamera(uid);
}

void SetLocalView(QWidget* view)
{
    Bind(kLocalKey, view);
}

void SetRemoteView(unsigned uid, QWidget* view)
{
    Bind(qint64(uid), view);
}

GstElement* MakeCameraSource(const QString& deviceId, unsigned uid)
{
    Init();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* source = CameraElement(deviceId, uid);
    GstElement* entry = Make("videoconvert", "entry");
    GstElement* scale = Make("videoscale");
    GstElement* rate = Make("videorate");
    GstElement* caps = Make("capsfilter");
    GstElement* tee = Make("tee");
    GstElement* out = Make("queue");
    if (!source || !entry || !scale || !rate || !caps || !tee || !out) {
        gst_object_unref(bin);
        return nullptr;
    }
    gst_object_set_name(GST_OBJECT(source), "source");
    // Pictures begin when the camera gives them, not at the stream's start
    // (which would be filled with copies of the first).
    g_object_set(rate, "skip-to-first", TRUE, nullptr);
    SetCaps(caps, I420Caps());
    gst_bin_add_many(GST_BIN(bin), source, entry, scale, rate, caps, tee, out, nullptr);
    gst_element_link_many(source, entry, scale, rate, caps, tee, out, nullptr);

    auto live = std::make_shared<SourceBin>();
    live->role = Role::Camera;
    live->key = kLocalKey;
    live->uid = uid;
    live->device = deviceId;
    auto* seen = new std::atomic<bool>(false);
    GstPad* entryPad = gst_element_get_static_pad(entry, "sink");
    gst_pad_add_probe(entryPad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, OnlyFirstStreamStart, seen,
        [](gpointer data) { delete static_cast<std::atomic<bool>*>(data); });
    gst_pad_add_probe(entryPad, GST_PAD_PROBE_TYPE_BUFFER, OnCaptured,
        new std::atomic<GstClockTime>(GST_CLOCK_TIME_NONE),
        [](gpointer data) { delete static_cast<std::atomic<GstClockTime>*>(data); });
    gst_object_unref(entryPad);
    Finish(bin, caps, tee, live);
    Ghost(bin, out, "src");
    return bin;
}

GstElement* MakeRemoteVideoSink(unsigned uid)
{
    Init();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* entry = Make("videoconvert", "entry");
    GstElement* caps = Make("capsfilter");
    if (!entry || !caps) {
        gst_object_unref(bin);
        return nullptr;
    }
    SetCaps(caps, gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", nullptr));
    gst_bin_add_many(GST_BIN(bin), entry, caps, nullptr);
    gst_element_link(entry, caps);

    auto live = std::make_shared<VideoBin>();
    live->role = Role::VideoSink;
    live->key = qint64(uid);
    Finish(bin, caps, caps, live);
    Ghost(bin, entry, "sink");
    return bin;
}

void RepeatLastPicture(unsigned uid)
{
    GstSample* last = nullptr;
    ForEach(Role::VideoSink, [uid, &last](GstElement* bin, LiveBin& live) {
        auto& video = static_cast<VideoBin&>(live);
        if (video.key != qint64(uid) || last)
            return;
        std::lock_guard<std::mutex> lock(video.lastLock);
        if (auto* kept = static_cast<GstSample*>(g_object_get_qdata(G_OBJECT(bin), LastPictureQuark())))
            last = gst_sample_ref(kept);
    });
    if (!last)
        return;
    QReadLocker calls(&ObserverLock());
    rtc::IVideoFrameObserver* observer = nullptr;
    {
        QMutexLocker lock(&Lock());
        observer = Media().observer;
    }
    if (observer)
        Observe(observer, false, qint64(uid), gst_sample_get_buffer(last), gst_sample_get_caps(last));
    gst_sample_unref(last);
}

QImage GeneratedPicture(unsigned uid, quint32 stampMs, qint64 frame)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    PaintPicture(image, uid, stampMs, frame);
    return image;
}

PictureCode ReadPictureCode(const rtc::VideoFrame& frame)
{
    PictureCode code;
    if (!frame.yBuffer || frame.width <= 0 || frame.height <= 0)
        return code;
    quint32 rows[3] = {};
    const int block = kWidth / kCodeBlocks;
    for (int row = 0; row < 3; ++row) {
        const int y = (kCodeRows[row] + kCodeRowHeight / 2) * frame.height / kHeight;
        for (int i = 0; i < kCodeBlocks; ++i) {
            const int x = (i * block + block / 2) * frame.width / kWidth;
            const bool on = frame.yBuffer[y * frame.yStride + x] > 128;
            rows[row] = (rows[row] << 1) | (on ? 1u : 0u);
        }
    }
    if ((rows[0] ^ rows[1] ^ kCodeCheck) != rows[2])
        return code;
    code.valid = true;
    code.uid = rows[0];
    code.stampMs = rows[1];
    return code;
}

} // namespace rtcmedia
