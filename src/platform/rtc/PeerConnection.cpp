#include "PeerConnection.h"

#include "Pacer.h"
#include "RtcMedia.h"
#include "SendRate.h"
#include "SoundDelay.h"

#include <QDebug>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <list>
#include <mutex>

#define GST_USE_UNSTABLE_API
#include <gst/gst.h>
#include <gst/sdp/sdp.h>
#include <gst/video/video.h>
#include <gst/webrtc/webrtc.h>

namespace rtcnet {

void Relay::Post(std::function<void()> f)
{
    QMutexLocker lock(&m_mutex);
    if (m_target)
        QMetaObject::invokeMethod(m_target, std::move(f), Qt::QueuedConnection);
}

void Relay::Close()
{
    QMutexLocker lock(&m_mutex);
    m_target = nullptr;
}

void StreamOwners::Set(const QMap<int, unsigned>& owners)
{
    QMutexLocker lock(&m_mutex);
    m_owners = owners;
}

unsigned StreamOwners::Owner(int mline) const
{
    QMutexLocker lock(&m_mutex);
    return m_owners.value(mline);
}

void StreamOwners::SetVideoWanted(unsigned uid, bool wanted)
{
    QMutexLocker lock(&m_mutex);
    if (wanted)
        m_wanted.insert(uid);
    else
        m_wanted.remove(uid);
}

bool StreamOwners::VideoWanted(unsigned uid) const
{
    QMutexLocker lock(&m_mutex);
    return m_wanted.contains(uid);
}

// What a publisher may send again on the media server's request, in bits
// a second. Each packet the server misses it asks for again, and asks again
// while the answer is on its way: on a narrow link whose queue holds a
// second, the answers to a burst of losses take more than the pictures,
// overfill the link, and lose more, the sound's packets among them. A share
// of the pictures' rate still mends what random loss takes.
struct ResendBudget {
    static constexpr int kShareDivisor = 5;
    static constexpr int kLeastBps = 40000;
    static constexpr qint64 kWindowNs = 500 * 1000 * 1000;
    static int For(int videoBps) { return std::max(videoBps / kShareDivisor, kLeastBps); }

    std::atomic<int> bps { For(rtcnet::SendRate::kStartBps) };
    std::mutex lock;
    qint64 windowNs = 0;
    qint64 bytes = 0;
};

struct PeerConnection::Inner {
    Role role = Role::Publisher;
    std::shared_ptr<Relay> relay;
    QStringList turnServers;
    Events events;
    std::shared_ptr<MediaHooks> hooks;
    std::shared_ptr<StreamOwners> owners;
    GstElement* pipeline = nullptr;
    GstElement* webrtc = nullptr;
    // The picture sent: the camera, or black while the camera is off (the
    // camera is then closed).
    GstElement* selector = nullptr;
    GstElement* camera = nullptr;
    GstPad* cameraPad = nullptr;
    GstPad* blackPad = nullptr;
    GstElement* encoder = nullptr;
    // Withheld from the connection: pictures while the camera is off, and
    // sound while it is digital silence once the encoder has given its
    // first packet (whose caps the offer is made of).
    std::atomic<bool> videoMuted { false };
    std::atomic<bool> soundSilent { false };
    std::atomic<bool> soundEncoded { false };
    std::atomic<bool> soundHeld { false };
    std::atomic<int> uncapped { 0 }; // senders that have encoded nothing yet
    // ICE and DTLS are up: until then webrtcbin holds what it is handed,
    // and would send it all at once when the handshake ends.
    std::atomic<bool> secured { false };
    std::atomic<qint64> handedOn { 0 };
    // Subscriber: the received streams by m-line, for the branch behind a
    // stream of pictures to follow whether they are wanted. Streaming
    // threads add to it, the owner's thread swaps branches.
    struct Received {
        GstPad* pad = nullptr; // webrtcbin's, referenced
        unsigned uid = 0;
        bool decoding = false; // else dropped undecoded
    };
    QMutex receivedLock;
    QMap<int, Received> received;
    // The payload types the server's offer gives the sound, and the
    // sound's jitter buffers (weakly: the session drops a buffer when its
    // stream ends) with how long each waits; under receivedLock.
    QSet<int> soundPayloads;
    struct SoundBuffer {
        GWeakRef buffer;
        rtcnet::SoundDelay delay;
        explicit SoundBuffer(GstElement* element) { g_weak_ref_init(&buffer, element); }
        ~SoundBuffer() { g_weak_ref_clear(&buffer); }
        SoundBuffer(const SoundBuffer&) = delete;
        SoundBuffer& operator=(const SoundBuffer&) = delete;
    };
    std::list<SoundBuffer> soundBuffers;
    GstElement* soundEncoder = nullptr;
    GstElement* shape = nullptr; // the sent pictures' size and rate
    std::shared_ptr<ResendBudget> resend = std::make_shared<ResendBudget>();
    std::shared_ptr<rtcnet::Pacer> pacer = std::make_shared<rtcnet::Pacer>(rtcnet::SendRate::kStartBps);
    QByteArray shapeCaps;
    int keyEvery = 60; // pictures between key frames at most

    void Fail(const QString& message)
    {
        qWarning().noquote() << "RTC peer connection:" << message;
        relay->Post([events = events, message] {
            if (events.failed)
                events.failed(message);
        });
    }
    void PostDescription(GstWebRTCSessionDescription* description)
    {
        gchar* text = gst_sdp_message_as_text(description->sdp);
        const QString sdp = QString::fromUtf8(text);
        g_free(text);
        const QString type = QString::fromUtf8(gst_webrtc_sdp_type_to_string(description->type));
        relay->Post([events = events, type, sdp] { events.description(type, sdp); });
    }
};

namespace {

// The least time between key frames made on request, and between a
// receiver's requests: 500 ms, doubled for each request that brought no
// key frame, up to 2 s.
constexpr gint64 kLeastKeyGapMs = 300;
constexpr gint64 kAskKeyAgainMs = 500;
constexpr gint64 kAskKeyLatestMs = 2000;
// A receiver asks with every picture it drops; a pause this long in its
// asking means pictures came again.
constexpr gint64 kStillAskingMs = 300;

using InnerPtr = std::weak_ptr<PeerConnection::Inner>;

// A promise whose reply goes to f while the connection lives.
GstPromise* Promise(const std::shared_ptr<PeerConnection::Inner>& inner,
    void (*f)(const std::shared_ptr<PeerConnection::Inner>&, GstPromise*))
{
    struct Call {
        InnerPtr inner;
        void (*f)(const std::shared_ptr<PeerConnection::Inner>&, GstPromise*);
    };
    return gst_promise_new_with_change_func(
        [](GstPromise* promise, gpointer data) {
            auto* call = static_cast<Call*>(data);
            if (auto inner = call->inner.lock())
                call->f(inner, promise);
            else
                gst_promise_unref(promise);
        },
        new Call { inner, f }, [](gpointer data) { delete static_cast<Call*>(data); });
}

// The error a promise's reply tells, if any.
QString ErrorOf(const GstStructure* reply)
{
    if (!reply || !gst_structure_has_field(reply, "error"))
        return QString();
    GError* error = nullptr;
    gst_structure_get(reply, "error", G_TYPE_ERROR, &error, nullptr);
    const QString text = QString::fromUtf8(error ? error->message : "unknown");
    g_clear_error(&error);
    return text;
}

// An answer leaves the DTLS handshake to the server's side: the server
// starts it once its own ICE is up, where a hello of ours sent as soon as
// our side is up may be dropped by a server not yet listening, and is sent
// again only a second later.
void AwaitHandshake(GstSDPMessage* sdp)
{
    for (guint m = 0; m < gst_sdp_message_medias_len(sdp); ++m) {
        auto* media = const_cast<GstSDPMedia*>(gst_sdp_message_get_media(sdp, m));
        for (guint a = 0; a < gst_sdp_media_attributes_len(media); ++a) {
            const GstSDPAttribute* attribute = gst_sdp_media_get_attribute(media, a);
            if (g_strcmp0(attribute->key, "setup") != 0 || g_strcmp0(attribute->value, "active") != 0)
                continue;
            GstSDPAttribute passive;
            gst_sdp_attribute_set(&passive, "setup", "passive");
            gst_sdp_media_replace_attribute(media, a, &passive);
        }
    }
}

// The offer or answer a create-offer or create-answer promise brought,
// set locally and handed on.
void OnDescriptionCreated(const std::shared_ptr<PeerConnection::Inner>& inner, GstPromise* promise)
{
    GstWebRTCSessionDescription* description = nullptr;
    QString problem;
    if (gst_promise_wait(promise) == GST_PROMISE_RESULT_REPLIED) {
        const GstStructure* reply = gst_promise_get_reply(promise);
        const char* field = reply && gst_structure_has_field(reply, "offer") ? "offer" : "answer";
        if (reply)
            gst_structure_get(reply, field, GST_TYPE_WEBRTC_SESSION_DESCRIPTION, &description, nullptr);
        problem = ErrorOf(reply);
    }
    gst_promise_unref(promise);
    if (!description)
        return inner->Fail(QStringLiteral("no local description: %1").arg(problem));
    if (description->type == GST_WEBRTC_SDP_TYPE_ANSWER)
        AwaitHandshake(description->sdp);
    // Set before it is handed on: the server answers an offer at once, and
    // an answer that finds no offer set is refused (the connection then
    // never comes up, and the server hangs it up as failed). A candidate
    // that reaches the server before the description is kept there for it.
    g_signal_emit_by_name(inner->webrtc, "set-local-description", description, nullptr);
    inner->PostDescription(description);
    gst_webrtc_session_description_free(description);
}

// The error a promise was answered with, if any; the promise is released.
QString Answered(GstPromise* promise)
{
    const GstStructure* reply
        = gst_promise_wait(promise) == GST_PROMISE_RESULT_REPLIED ? gst_promise_get_reply(promise) : nullptr;
    const QString problem = ErrorOf(reply);
    gst_promise_unref(promise);
    return problem;
}

void OnRemoteOfferSet(const std::shared_ptr<PeerConnection::Inner>& inner, GstPromise* promise)
{
    const QString problem = Answered(promise);
    if (!problem.isEmpty())
        return inner->Fail(QStringLiteral("remote offer refused: %1").arg(problem));
    g_signal_emit_by_name(inner->webrtc, "create-answer", nullptr, Promise(inner, OnDescriptionCreated));
}

void OnRemoteAnswerSet(const std::shared_ptr<PeerConnection::Inner>& inner, GstPromise* promise)
{
    const QString problem = Answered(promise);
    if (!problem.isEmpty())
        inner->Fail(QStringLiteral("remote answer refused: %1").arg(problem));
}

void CreateOffer(const std::shared_ptr<PeerConnection::Inner>& inner)
{
    g_signal_emit_by_name(inner->webrtc, "create-offer", nullptr, Promise(inner, OnDescriptionCreated));
}

void OnIceCandidate(GstElement*, guint mline, gchar* candidate, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    const QString text = QString::fromUtf8(candidate);
    const int index = int(mline);
    inner->relay->Post([events = inner->events, index, text] { events.candidate(index, text); });
}

void OnGatheringState(GstElement* webrtc, GParamSpec*, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    GstWebRTCICEGatheringState state = GST_WEBRTC_ICE_GATHERING_STATE_NEW;
    g_object_get(webrtc, "ice-gathering-state", &state, nullptr);
    if (state == GST_WEBRTC_ICE_GATHERING_STATE_COMPLETE)
        inner->relay->Post([events = inner->events] { events.candidate(-1, QString()); });
}

void OnConnectionState(GstElement* webrtc, GParamSpec*, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    GstWebRTCPeerConnectionState state = GST_WEBRTC_PEER_CONNECTION_STATE_NEW;
    g_object_get(webrtc, "connection-state", &state, nullptr);
    inner->secured = state == GST_WEBRTC_PEER_CONNECTION_STATE_CONNECTED;
}

void OnIceConnectionState(GstElement* webrtc, GParamSpec*, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    GstWebRTCICEConnectionState state = GST_WEBRTC_ICE_CONNECTION_STATE_NEW;
    g_object_get(webrtc, "ice-connection-state", &state, nullptr);
    inner->relay->Post([events = inner->events, state] {
        if (events.iceState)
            events.iceState(int(state));
    });
}

gboolean OnBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        if (rtcmedia::IsDisplayElement(message->src)) {
            qWarning() << "RTC media: a video output failed:" << GST_OBJECT_NAME(message->src)
                       << (error ? error->message : "");
            g_clear_error(&error);
            g_free(debug);
            return TRUE;
        }
        inner->Fail(QStringLiteral("%1: %2 (%3)")
                        .arg(QString::fromUtf8(GST_OBJECT_NAME(message->src)), error ? error->message : "",
                            debug ? debug : ""));
        g_clear_error(&error);
        g_free(debug);
    }
    return TRUE;
}

// Tells the hooks of uid's first decoded picture and its size.
void WatchFirstPicture(PeerConnection::Inner* inner, GstElement* branch, unsigned uid)
{
    GstElement* decoder = gst_bin_get_by_name(GST_BIN(branch), "decoder");
    GstPad* out = gst_element_get_static_pad(decoder, "src");
    struct Watch {
        std::shared_ptr<MediaHooks> hooks;
        unsigned uid;
    };
    gst_pad_add_probe(
        out, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo*, gpointer data) {
            auto* watch = static_cast<Watch*>(data);
            GstCaps* caps = gst_pad_get_current_caps(pad);
            GstVideoInfo info;
            if (caps && gst_video_info_from_caps(&info, caps))
                watch->hooks->RemoteVideoDecoded(watch->uid, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
            if (caps)
                gst_caps_unref(caps);
            return GST_PAD_PROBE_REMOVE;
        },
        new Watch { inner->hooks, uid }, [](gpointer data) { delete static_cast<Watch*>(data); });
    gst_object_unref(out);
    gst_object_unref(decoder);
}

// A receiver's requests for a key frame, going upstream through pad. The
// depayloader asks with every picture it drops until a key frame comes; a
// request is let through, then again after 500 ms, 1 s and then every 2 s
// while the asking goes on: each one costs a key frame on the sender's
// link, and on a link too narrow for them more requests only fill it
// further. It goes out as a picture loss report: the media server passes
// those on to the sender, but not the full intra requests the depayloader
// makes.
void LimitKeyRequests(GstPad* pad)
{
    struct Asking {
        gint64 lastUs = 0; // the last request let through
        gint64 askedUs = 0; // the last request made
        gint64 againUs = kAskKeyAgainMs * 1000;
    };
    gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM,
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
            if (!gst_video_event_is_force_key_unit(event))
                return GST_PAD_PROBE_OK;
            // Only the depayloader's streaming thread sends these.
            auto* asking = static_cast<Asking*>(data);
            const gint64 now = g_get_monotonic_time();
            const bool waiting = asking->lastUs != 0 && now - asking->askedUs < kStillAskingMs * 1000;
            asking->askedUs = now;
            if (!waiting) {
                asking->againUs = kAskKeyAgainMs * 1000;
            } else if (now - asking->lastUs < asking->againUs) {
                return GST_PAD_PROBE_DROP;
            } else {
                asking->againUs = std::min(asking->againUs * 2, kAskKeyLatestMs * 1000);
            }
            asking->lastUs = now;
            GstClockTime when = GST_CLOCK_TIME_NONE;
            gboolean allHeaders = FALSE;
            guint count = 0;
            if (gst_video_event_parse_upstream_force_key_unit(event, &when, &allHeaders, &count) && allHeaders) {
                GST_PAD_PROBE_INFO_DATA(info) = gst_video_event_new_upstream_force_key_unit(when, FALSE, count);
                gst_event_unref(event);
            }
            return GST_PAD_PROBE_OK;
        },
        new Asking, [](gpointer data) { delete static_cast<Asking*>(data); });
}

// The branch behind a received stream, in the pipeline but not yet linked:
// decoded into its user's sink, or, for pictures nobody wants (and what
// belongs to nobody), dropped at once.
GstElement* MakeBranch(PeerConnection::Inner* inner, const QByteArray& encoding, unsigned uid, bool decode)
{
    const char* description = "fakesink sync=false async=false";
    GstElement* sink = nullptr;
    if (encoding == "VP8" && uid && decode) {
        description = "queue ! rtpvp8depay request-keyframe=true wait-for-keyframe=true ! vp8dec name=decoder";
        sink = rtcmedia::MakeRemoteVideoSink(uid);
    } else if (encoding == "OPUS" && uid) {
        // Lost packets are rebuilt from the next one's error correction, or
        // concealed.
        description = "queue ! rtpopusdepay ! opusdec plc=true use-inband-fec=true ! audioconvert ! audioresample";
        sink = rtcmedia::MakeRemoteAudioSink(uid);
    }
    GError* error = nullptr;
    GstElement* branch = gst_parse_bin_from_description(description, TRUE, &error);
    if (!branch) {
        inner->Fail(
            QStringLiteral("no receiver for %1: %2").arg(QString::fromLatin1(encoding), error ? error->message : ""));
        g_clear_error(&error);
        if (sink)
            gst_object_unref(sink);
        return nullptr;
    }
    gst_bin_add(GST_BIN(inner->pipeline), branch);
    if (encoding == "VP8" && sink) {
        // A key frame asked for takes the way to the sender and back and
        // its own time on a narrow link; only then is asking again useful.
        GstPad* in = gst_element_get_static_pad(branch, "sink");
        LimitKeyRequests(in);
        gst_object_unref(in);
    }
    if (sink) {
        gst_bin_add(GST_BIN(inner->pipeline), sink);
        gst_element_link(branch, sink);
        if (encoding == "VP8")
            WatchFirstPicture(inner, branch, uid);
    }
    return branch;
}

// Starts a branch made by MakeBranch and links pad to it.
bool LinkBranch(GstPad* pad, GstElement* branch)
{
    GstPad* out = gst_element_get_static_pad(branch, "src");
    if (GstPad* next = out ? gst_pad_get_peer(out) : nullptr) {
        GstElement* sink = gst_pad_get_parent_element(next);
        if (sink) {
            gst_element_sync_state_with_parent(sink);
            gst_object_unref(sink);
        }
        gst_object_unref(next);
    }
    if (out)
        gst_object_unref(out);
    gst_element_sync_state_with_parent(branch);
    GstPad* in = gst_element_get_static_pad(branch, "sink");
    const bool linked = gst_pad_link(pad, in) == GST_PAD_LINK_OK;
    gst_object_unref(in);
    return linked;
}

// Stops and removes the branch linked behind pad, and its sink.
void DropBranch(GstElement* pipeline, GstPad* pad)
{
    GstPad* peer = gst_pad_get_peer(pad);
    if (!peer)
        return;
    GstElement* branch = gst_pad_get_parent_element(peer);
    gst_pad_unlink(pad, peer);
    gst_object_unref(peer);
    if (!branch)
        return;
    GstElement* sink = nullptr;
    if (GstPad* out = gst_element_get_static_pad(branch, "src")) {
        if (GstPad* next = gst_pad_get_peer(out)) {
            sink = gst_pad_get_parent_element(next);
            gst_object_unref(next);
        }
        gst_object_unref(out);
    }
    for (GstElement* element : { branch, sink }) {
        if (!element)
            continue;
        gst_element_set_locked_state(element, TRUE);
        gst_element_set_state(element, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline), element);
        gst_object_unref(element);
    }
}

// A received stream: decoded and handed to its sink.
void OnRemotePad(GstElement*, GstPad* pad, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC)
        return;
    int mline = -1;
    if (sscanf(GST_PAD_NAME(pad), "src_%d", &mline) != 1)
        mline = -1;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const QByteArray encoding = QByteArray(gst_structure_get_string(s, "encoding-name")).toUpper();
    gst_caps_unref(caps);
    const unsigned uid = inner->owners ? inner->owners->Owner(mline) : 0;
    const bool video = encoding == "VP8" && uid;
    // Decided and kept under the lock: a view set up or gone meanwhile
    // swaps the branch after this.
    QMutexLocker lock(&inner->receivedLock);
    const bool decode = !video || inner->owners->VideoWanted(uid);
    GstElement* branch = MakeBranch(inner, encoding, uid, decode);
    if (!branch)
        return;
    if (!LinkBranch(pad, branch))
        inner->Fail(QStringLiteral("cannot link the stream of m-line %1").arg(mline));
    if (video) {
        PeerConnection::Inner::Received& received = inner->received[mline];
        if (received.pad)
            gst_object_unref(received.pad);
        received.pad = GST_PAD(gst_object_ref(pad));
        received.uid = uid;
        received.decoding = decode;
    }
}

// An RTP packet's payload type; -1 for one too short to have it.
int PayloadType(GstBuffer* packet)
{
    guint8 header[2] = {};
    if (gst_buffer_extract(packet, 0, header, sizeof header) < sizeof header)
        return -1;
    return header[1] & 0x7f;
}

// The first packet through a jitter buffer tells whether it is the sound's.
GstPadProbeReturn OnFirstReceived(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    const int payload = PayloadType(GST_PAD_PROBE_INFO_BUFFER(info));
    if (payload < 0)
        return GST_PAD_PROBE_OK;
    GstElement* buffer = gst_pad_get_parent_element(pad);
    if (!buffer)
        return GST_PAD_PROBE_REMOVE;
    bool sound = false;
    {
        QMutexLocker lock(&inner->receivedLock);
        sound = inner->soundPayloads.contains(payload);
        if (sound)
            inner->soundBuffers.emplace_back(buffer);
    }
    // Sound packets are small and their losses are concealed: the sound
    // waits less for a late one than the pictures, which wait for packets
    // sent again, and only as long as its link needs (AdaptSoundDelay).
    if (sound)
        g_object_set(buffer, "latency", guint(rtcnet::SoundDelay::kLeastMs), nullptr);
    gst_object_unref(buffer);
    return GST_PAD_PROBE_REMOVE;
}

// A packet the jitter buffer gives up on is announced downstream, so that
// the sound's decoder rebuilds or conceals it rather than leave a hole.
void OnReceiverElement(GstBin*, GstBin*, GstElement* element, gpointer data)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || !g_str_equal(GST_OBJECT_NAME(factory), "rtpjitterbuffer"))
        return;
    g_object_set(element, "do-lost", TRUE, nullptr);
    if (GstPad* in = gst_element_get_static_pad(element, "sink")) {
        gst_pad_add_probe(in, GST_PAD_PROBE_TYPE_BUFFER, OnFirstReceived, data, nullptr);
        gst_object_unref(in);
    }
}

// The payload types the encoders' packets go with; packets sent again
// carry webrtcbin's own.
constexpr int kVideoPayload = 96;
constexpr int kSoundPayload = 111;

GstPadProbeReturn OnResent(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const int payload = PayloadType(buffer);
    if (payload < 0 || payload == kVideoPayload || payload == kSoundPayload)
        return GST_PAD_PROBE_OK;
    ResendBudget& budget = **static_cast<std::shared_ptr<ResendBudget>*>(data);
    const qint64 now = qint64(g_get_monotonic_time()) * 1000;
    const qint64 size = qint64(gst_buffer_get_size(buffer));
    std::lock_guard<std::mutex> lock(budget.lock);
    if (now - budget.windowNs >= ResendBudget::kWindowNs) {
        budget.windowNs = now;
        budget.bytes = 0;
    }
    const qint64 allowed = qint64(budget.bps.load()) / 8 * ResendBudget::kWindowNs / 1000000000;
    if (budget.bytes + size > allowed)
        return GST_PAD_PROBE_DROP;
    budget.bytes += size;
    return GST_PAD_PROBE_OK;
}

void OnSenderElement(GstBin*, GstBin*, GstElement* element, gpointer data)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || !g_str_equal(GST_OBJECT_NAME(factory), "rtprtxsend"))
        return;
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    GstPad* pad = gst_element_get_static_pad(element, "src");
    if (!pad)
        return;
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnResent, new std::shared_ptr<ResendBudget>(inner->resend),
        [](gpointer budget) { delete static_cast<std::shared_ptr<ResendBudget>*>(budget); });
    gst_object_unref(pad);
}

GstElement* NewPipeline(const std::shared_ptr<PeerConnection::Inner>& inner, const char* name)
{
    rtcmedia::Init();
    inner->pipeline = gst_pipeline_new(name);
    inner->webrtc = gst_element_factory_make("webrtcbin", "webrtc");
    if (!inner->webrtc) {
        gst_object_unref(inner->pipeline);
        inner->pipeline = nullptr;
        return nullptr;
    }
    g_object_set(inner->webrtc, "bundle-policy", GST_WEBRTC_BUNDLE_POLICY_MAX_BUNDLE, "latency", 50u, nullptr);
    // No UPnP: the agent would announce itself to the whole network.
    GObject* ice = nullptr;
    g_object_get(inner->webrtc, "ice-agent", &ice, nullptr);
    if (ice) {
        GObject* agent = nullptr;
        g_object_get(ice, "agent", &agent, nullptr);
        if (agent) {
            g_object_set(agent, "upnp", FALSE, nullptr);
            // A connection that offers waits, before it takes a working
            // pair, until every pair ranked above it has answered or given
            // up. Where a firewall drops UDP, the direct pair ranks above the
            // relay's and gave up only after 2 s (checks at 0, 0.5, 1.5 s);
            // two tries give up after 0.75 s. Pairs through a relay over TCP
            // keep their own single 2 s wait. Without a relay behind it the
            // direct pair is the only road: behind a home router nothing but
            // our own checks opens it (the server's cannot reach us first),
            // so on a lossy uplink it keeps its third try.
            g_object_set(agent, "stun-max-retransmissions", inner->turnServers.isEmpty() ? 3u : 2u, nullptr);
            // A connection none of whose pairs works fails 2 s after its last
            // check rather than 5 s, so that the engine connects again sooner.
            g_object_set(agent, "idle-timeout", 2000u, nullptr);
            g_object_unref(agent);
        }
        g_object_unref(ice);
    }
    // The school's relays, for networks where no direct road works.
    for (const QString& uri : inner->turnServers) {
        gboolean added = FALSE;
        g_signal_emit_by_name(inner->webrtc, "add-turn-server", uri.toUtf8().constData(), &added);
        if (!added)
            qWarning() << "RTC engine: webrtcbin refused a relay";
    }
    gst_bin_add(GST_BIN(inner->pipeline), inner->webrtc);
    PeerConnection::Inner* raw = inner.get();
    g_signal_connect(inner->webrtc, "on-ice-candidate", G_CALLBACK(OnIceCandidate), raw);
    g_signal_connect(inner->webrtc, "notify::ice-gathering-state", G_CALLBACK(OnGatheringState), raw);
    g_signal_connect(inner->webrtc, "notify::ice-connection-state", G_CALLBACK(OnIceConnectionState), raw);
    g_signal_connect(inner->webrtc, "notify::connection-state", G_CALLBACK(OnConnectionState), raw);
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(inner->pipeline));
    gst_bus_set_sync_handler(
        bus,
        [](GstBus* b, GstMessage* message, gpointer data) {
            rtcmedia::OwnStreamingThread(message);
            OnBusMessage(b, message, data);
            // A dropped message is the handler's to free; it holds its
            // source, and so the pipeline, alive.
            gst_message_unref(message);
            return GST_BUS_DROP;
        },
        raw, nullptr);
    gst_object_unref(bus);
    return inner->webrtc;
}

// Whether a buffer of 16-bit samples is digital silence.
bool IsSilence(GstBuffer* buffer)
{
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return false;
    bool silent = true;
    for (gsize i = 0; i < map.size && silent; ++i)
        silent = map.data[i] == 0;
    gst_buffer_unmap(buffer, &map);
    return silent;
}

// Sound on its way to the encoder. Digital silence (a muted microphone
// with nothing mixed in) is neither encoded nor sent, as in discontinuous
// transmission: the others then run no decoder for it. The first sound
// after it starts a new stretch.
GstPadProbeReturn OnSound(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* inner = static_cast<PeerConnection::Inner*>(data);
    const bool silent = IsSilence(GST_PAD_PROBE_INFO_BUFFER(info));
    inner->soundSilent = silent;
    if (silent && inner->soundEncoded) {
        inner->soundHeld = true;
        return GST_PAD_PROBE_DROP;
    }
    if (!silent && inner->soundHeld.exchange(false)) {
        GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
    }
    return GST_PAD_PROBE_OK;
}

// What a sender hands to webrtcbin. The offer is made once every sender has
// encoded its first buffer (whose caps name the codec and the ssrc): made
// sooner, it holds no codec for a sender still starting (a slow microphone,
// say), the server rejects that stream, and webrtcbin refuses the answer.
// Pictures of a camera that is off and encoded silence are withheld. The
// flags are the streaming thread's.
struct Sent {
    std::weak_ptr<PeerConnection::Inner> inner;
    bool video = false;
    bool first = true; // nothing encoded yet
    bool flowing = false; // handed on since the connection came up
};

GstPadProbeReturn OnEncoded(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    auto* sent = static_cast<Sent*>(data);
    auto inner = sent->inner.lock();
    if (!inner)
        return GST_PAD_PROBE_DROP;
    if (sent->first) {
        sent->first = false;
        if (--inner->uncapped == 0)
            CreateOffer(inner);
    }
    if (!sent->video)
        inner->soundEncoded = true;
    if (sent->video ? inner->videoMuted.load() : inner->soundSilent.load())
        return GST_PAD_PROBE_DROP;
    // What is encoded before the connection is up is stale once it is: a
    // handshake whose packets were lost on the way takes seconds, and its
    // held sound and pictures would leave in one burst, fill a narrow
    // uplink's queue and lose what follows. The pictures start again with
    // a key frame.
    if (!inner->secured) {
        sent->flowing = false;
        return GST_PAD_PROBE_DROP;
    }
    if (!sent->flowing) {
        sent->flowing = true;
        if (sent->video)
            gst_pad_send_event(pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, FALSE, 0));
    }
    ++inner->handedOn;
    return GST_PAD_PROBE_OK;
}

// The requests for a key frame that reach the video encoder through pad
// (its source pad): every receiver that misses a piece asks, each through
// the server, and at most one key frame is made every 300 ms. A request
// that comes sooner is kept for the next picture after that time, not
// dropped: the server asks only once for each new subscriber.
void LimitKeyFrames(GstPad* pad)
{
    struct Made {
        std::atomic<gint64> lastUs { 0 };
        std::atomic<bool> kept { false };
    };
    gst_pad_add_probe(
        pad, GstPadProbeType(GST_PAD_PROBE_TYPE_EVENT_UPSTREAM | GST_PAD_PROBE_TYPE_BUFFER),
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            auto* made = static_cast<Made*>(data);
            const gint64 now = g_get_monotonic_time();
            const bool soon = now - made->lastUs.load() < kLeastKeyGapMs * 1000;
            if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
                // Sent into the encoder, it passes this probe as a request.
                if (!soon && made->kept.exchange(false))
                    gst_pad_send_event(pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, FALSE, 0));
                return GST_PAD_PROBE_OK;
            }
            if (!gst_video_event_is_force_key_unit(GST_PAD_PROBE_INFO_EVENT(info)))
                return GST_PAD_PROBE_OK;
            if (soon) {
                made->kept.store(true);
                return GST_PAD_PROBE_DROP;
            }
            made->lastUs.store(now);
            rtcmedia::CountKeyFrameAsked();
            return GST_PAD_PROBE_OK;
        },
        new Made, [](gpointer data) { delete static_cast<Made*>(data); });
}

// Links a sender (source, then the encoder chain) to a send-only
// transceiver; returns the chain's encoder. With nack, packets the server
// reports lost are sent again (a lost piece of a key frame would otherwise
// freeze the picture until the next).
GstElement* AddSender(
    const std::shared_ptr<PeerConnection::Inner>& inner, GstElement* source, const char* chain, bool video, bool nack)
{
    GError* error = nullptr;
    GstElement* encoder = gst_parse_bin_from_description(chain, TRUE, &error);
    if (!source || !encoder) {
        inner->Fail(QStringLiteral("no sender: %1").arg(error ? error->message : "no source"));
        g_clear_error(&error);
        if (source)
            gst_object_unref(source);
        if (encoder)
            gst_object_unref(encoder);
        return nullptr;
    }
    gst_bin_add_many(GST_BIN(inner->pipeline), source, encoder, nullptr);
    gst_element_link(source, encoder);
    if (!video) {
        GstPad* raw = gst_element_get_static_pad(encoder, "sink");
        gst_pad_add_probe(raw, GST_PAD_PROBE_TYPE_BUFFER, OnSound, inner.get(), nullptr);
        gst_object_unref(raw);
    }
    GstPad* out = gst_element_get_static_pad(encoder, "src");
    if (video)
        LimitKeyFrames(out);
    GstPad* in = gst_element_request_pad_simple(inner->webrtc, "sink_%u");
    gst_pad_link(out, in);
    GstWebRTCRTPTransceiver* transceiver = nullptr;
    g_object_get(in, "transceiver", &transceiver, nullptr);
    if (transceiver) {
        g_object_set(transceiver, "direction", GST_WEBRTC_RTP_TRANSCEIVER_DIRECTION_SENDONLY, "do-nack", gboolean(nack),
            nullptr);
        gst_object_unref(transceiver);
    }
    gst_object_unref(in);
    ++inner->uncapped;
    gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_BUFFER, OnEncoded, new Sent { inner, video },
        [](gpointer data) { delete static_cast<Sent*>(data); });
    gst_object_unref(out);
    return gst_bin_get_by_name(GST_BIN(encoder), "encoder");
}

// Holds each packet leaving queue (its streaming thread sends them) until
// the pacer lets it go; takes the queue's reference.
void Pace(GstElement* queue, const std::shared_ptr<rtcnet::Pacer>& pacer)
{
    if (!queue)
        return;
    GstPad* out = gst_element_get_static_pad(queue, "src");
    gst_pad_add_probe(
        out, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo* info, gpointer data) {
            auto& pacer = *static_cast<std::shared_ptr<rtcnet::Pacer>*>(data);
            const qint64 waitNs
                = pacer->Wait(g_get_monotonic_time() * 1000, int(gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info))));
            if (waitNs > 0)
                g_usleep(gulong(waitNs / 1000));
            return GST_PAD_PROBE_OK;
        },
        new std::shared_ptr<rtcnet::Pacer>(pacer),
        [](gpointer data) { delete static_cast<std::shared_ptr<rtcnet::Pacer>*>(data); });
    gst_object_unref(out);
    gst_object_unref(queue);
}

// Links source to a new request pad of selector, returned.
GstPad* AddInput(GstElement* pipeline, GstElement* selector, GstElement* source)
{
    gst_bin_add(GST_BIN(pipeline), source);
    GstPad* in = gst_element_request_pad_simple(selector, "sink_%u");
    GstPad* out = gst_element_get_static_pad(source, "src");
    gst_pad_link(out, in);
    gst_object_unref(out);
    return in;
}

} // namespace

PeerConnection::PeerConnection(Role role, std::shared_ptr<Relay> relay, Events events)
    : m_inner(std::make_shared<Inner>())
{
    m_inner->role = role;
    m_inner->relay = std::move(relay);
    m_inner->events = std::move(events);
}

void PeerConnection::UseRelays(const QStringList& turnServers)
{
    m_inner->turnServers = turnServers;
}

PeerConnection::~PeerConnection()
{
    if (!m_inner->pipeline)
        return;
    // Joins every streaming thread: nothing of this connection runs after.
    gst_element_set_state(m_inner->pipeline, GST_STATE_NULL);
    g_signal_handlers_disconnect_by_data(m_inner->webrtc, m_inner.get());
    for (GstPad* pad : { m_inner->cameraPad, m_inner->blackPad }) {
        if (pad)
            gst_object_unref(pad);
    }
    for (GstElement* encoder : { m_inner->encoder, m_inner->soundEncoder, m_inner->shape }) {
        if (encoder)
            gst_object_unref(encoder);
    }
    for (const Inner::Received& received : qAsConst(m_inner->received))
        gst_object_unref(received.pad);
    gst_object_unref(m_inner->pipeline);
}

bool PeerConnection::StartPublisher(
    const QString& microphone, const QString& camera, bool audio, bool video, bool videoMuted, unsigned uid)
{
    GstElement* webrtc = NewPipeline(m_inner, "rtc-publisher");
    if (!webrtc)
        return false;
    g_signal_connect(webrtc, "deep-element-added", G_CALLBACK(OnSenderElement), m_inner.get());
    // Fixed ssrcs, so the offer names them however early it is made.
    QRandomGenerator* random = QRandomGenerator::global();
    // The encoder holds its rate within a second and a key frame to three
    // pictures' worth: on a narrow link a larger burst overfills the
    // router's queue, and a key frame that loses packets there is asked
    // for again and again while the picture stands still. Its packets then
    // wait in a queue of their own for the pacer (Pacer.h).
    if (video) {
        const QByteArray chain = QByteArrayLiteral("queue max-size-buffers=2 leaky=downstream ! "
                                                   "videoscale ! videorate drop-only=true ! capsfilter name=shape "
                                                   "caps=video/x-raw,width=640,height=480,framerate=30/1 ! "
                                                   "vp8enc name=encoder deadline=1 target-bitrate=")
            + QByteArray::number(rtcnet::SendRate::kStartBps)
            + " keyframe-max-dist=60 cpu-used=8 end-usage=cbr "
              "buffer-size=1000 buffer-initial-size=500 buffer-optimal-size=600 "
              "max-intra-bitrate=300 undershoot=95 error-resilient=default ! "
              "rtpvp8pay picture-id-mode=15-bit pt="
            + QByteArray::number(kVideoPayload) + " ssrc=" + QByteArray::number(random->bounded(1u, 0x7fffffffu))
            + " ! capsfilter caps=\"application/x-rtp,media=video,encoding-name=VP8,clock-rate=90000,payload="
            + QByteArray::number(kVideoPayload) + "\" ! queue name=pacer";
        GError* error = nullptr;
        // One black picture: with the camera off from the start, it gives
        // the encoder the caps the offer is made of, and is not sent.
        GstElement* black = gst_parse_bin_from_description(
            "videotestsrc is-live=true pattern=black num-buffers=1 ! "
            "capsfilter caps=\"video/x-raw,format=I420,width=640,height=480,framerate=30/1\"",
            TRUE, &error);
        g_clear_error(&error);
        if (black) {
            // Its end is not the stream's.
            GstPad* pad = gst_element_get_static_pad(black, "src");
            gst_pad_add_probe(
                pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                [](GstPad*, GstPadProbeInfo* info, gpointer) {
                    return GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS ? GST_PAD_PROBE_DROP
                                                                                           : GST_PAD_PROBE_OK;
                },
                nullptr, nullptr);
            gst_object_unref(pad);
        }
        m_inner->camera = rtcmedia::MakeCameraSource(camera, uid);
        m_inner->selector = gst_element_factory_make("input-selector", nullptr);
        if (!black || !m_inner->camera || !m_inner->selector) {
            for (GstElement* element : { black, m_inner->camera, m_inner->selector }) {
                if (element)
                    gst_object_unref(element);
            }
            m_inner->camera = m_inner->selector = nullptr;
            m_inner->Fail(QStringLiteral("no camera source"));
            return false;
        }
        g_object_set(m_inner->selector, "sync-streams", FALSE, nullptr);
        m_inner->encoder = AddSender(m_inner, m_inner->selector, chain.constData(), true, true);
        if (!m_inner->encoder) {
            // The sender took the selector with it; the inputs are still ours.
            gst_object_unref(gst_object_ref_sink(black));
            gst_object_unref(gst_object_ref_sink(m_inner->camera));
            m_inner->camera = m_inner->selector = nullptr;
            return false;
        }
        if (GstObject* bin = gst_element_get_parent(m_inner->encoder)) {
            m_inner->shape = gst_bin_get_by_name(GST_BIN(bin), "shape");
            Pace(gst_bin_get_by_name(GST_BIN(bin), "pacer"), m_inner->pacer);
            gst_object_unref(bin);
        }
        m_inner->cameraPad = AddInput(m_inner->pipeline, m_inner->selector, m_inner->camera);
        m_inner->blackPad = AddInput(m_inner->pipeline, m_inner->selector, black);
        SetVideoMuted(videoMuted);
    }
    if (audio) {
        // A voice needs no more than 32 kbit/s; the encoder's own 64 would
        // take a sixth of a narrow home uplink from the pictures.
        const QByteArray chain = QByteArrayLiteral("queue ! audioconvert ! audioresample ! opusenc name=encoder "
                                                   "bitrate=32000 inband-fec=true ! rtpopuspay pt=")
            + QByteArray::number(kSoundPayload) + " ssrc=" + QByteArray::number(random->bounded(1u, 0x7fffffffu))
            + " ! capsfilter caps=\"application/x-rtp,media=audio,encoding-name=OPUS,clock-rate=48000,payload="
            + QByteArray::number(kSoundPayload) + "\"";
        GstElement* encoder
            = AddSender(m_inner, rtcmedia::MakeMicrophoneSource(microphone, uid), chain.constData(), false, false);
        if (!encoder)
            return false;
        m_inner->soundEncoder = encoder;
    }
    return gst_element_set_state(m_inner->pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool PeerConnection::StartSubscriber(std::shared_ptr<MediaHooks> hooks, std::shared_ptr<StreamOwners> owners)
{
    m_inner->hooks = std::move(hooks);
    m_inner->owners = std::move(owners);
    GstElement* webrtc = NewPipeline(m_inner, "rtc-subscriber");
    if (!webrtc)
        return false;
    // Room for a packet the sender sends again on the server's request: a
    // lost piece of a picture would freeze it until the next key frame. On
    // a narrow uplink the packet sent again waits in the same queue as the
    // rest, a few hundred milliseconds. The sound waits less (SoundDelay).
    g_object_set(webrtc, "latency", 400u, nullptr);
    g_signal_connect(webrtc, "deep-element-added", G_CALLBACK(OnReceiverElement), m_inner.get());
    g_signal_connect(webrtc, "pad-added", G_CALLBACK(OnRemotePad), m_inner.get());
    return gst_element_set_state(m_inner->pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

void PeerConnection::SetSendRate(int videoBps, int width, int height, int fps, int lossPercent)
{
    // Both encoders take new targets while they run; a new picture size
    // starts the video encoder again.
    if (m_inner->encoder) {
        g_object_set(m_inner->encoder, "target-bitrate", videoBps, nullptr);
        // A picture missing a packet that the repair did not bring in time
        // stands still until the next key frame: on a lossy link one comes
        // every second, on a clean one every two (a key frame costs several
        // pictures' worth).
        const int keyEvery = std::max(fps, 1) * (lossPercent > 0 ? 1 : 2);
        if (keyEvery != m_inner->keyEvery) {
            m_inner->keyEvery = keyEvery;
            g_object_set(m_inner->encoder, "keyframe-max-dist", keyEvery, nullptr);
        }
    }
    m_inner->resend->bps = ResendBudget::For(videoBps);
    m_inner->pacer->SetVideoRate(videoBps);
    const QByteArray shape
        = QStringLiteral("video/x-raw,width=%1,height=%2,framerate=%3/1").arg(width).arg(height).arg(fps).toLatin1();
    if (m_inner->shape && shape != m_inner->shapeCaps) {
        m_inner->shapeCaps = shape;
        GstCaps* caps = gst_caps_from_string(shape.constData());
        g_object_set(m_inner->shape, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    if (m_inner->soundEncoder)
        g_object_set(m_inner->soundEncoder, "packet-loss-percentage", std::clamp(lossPercent, 0, 100), nullptr);
}

void PeerConnection::AdaptSoundDelay()
{
    QMutexLocker lock(&m_inner->receivedLock);
    for (auto sound = m_inner->soundBuffers.begin(); sound != m_inner->soundBuffers.end();) {
        auto* buffer = static_cast<GstElement*>(g_weak_ref_get(&sound->buffer));
        if (!buffer) {
            sound = m_inner->soundBuffers.erase(sound);
            continue;
        }
        GstStructure* stats = nullptr;
        g_object_get(buffer, "stats", &stats, nullptr);
        guint64 late = 0;
        if (stats && gst_structure_get_uint64(stats, "num-late", &late) && sound->delay.OnMeasurement(late)) {
            qInfo() << "RTC engine: received sound now waits" << sound->delay.WaitMs() << "ms for late packets";
            g_object_set(buffer, "latency", guint(sound->delay.WaitMs()), nullptr);
        }
        if (stats)
            gst_structure_free(stats);
        gst_object_unref(buffer);
        ++sound;
    }
}

void PeerConnection::SetRemoteDescription(const QString& type, const QString& sdp)
{
    if (!m_inner->webrtc)
        return;
    GstSDPMessage* message = nullptr;
    const QByteArray text = sdp.toUtf8();
    if (gst_sdp_message_new_from_text(text.constData(), &message) != GST_SDP_OK) {
        m_inner->Fail(QStringLiteral("unreadable remote %1").arg(type));
        return;
    }
    const bool offer = type == QLatin1String("offer");
    // What the server offers to send: which payload types are sound.
    if (m_inner->role == Role::Subscriber) {
        QSet<int> soundPayloads;
        for (guint i = 0; i < gst_sdp_message_medias_len(message); ++i) {
            const GstSDPMedia* media = gst_sdp_message_get_media(message, i);
            if (g_strcmp0(gst_sdp_media_get_media(media), "audio") != 0)
                continue;
            for (guint j = 0; j < gst_sdp_media_formats_len(media); ++j)
                soundPayloads.insert(QByteArray(gst_sdp_media_get_format(media, j)).toInt());
        }
        QMutexLocker lock(&m_inner->receivedLock);
        m_inner->soundPayloads = soundPayloads;
    }
    GstWebRTCSessionDescription* description
        = gst_webrtc_session_description_new(offer ? GST_WEBRTC_SDP_TYPE_OFFER : GST_WEBRTC_SDP_TYPE_ANSWER, message);
    GstPromise* promise = Promise(m_inner, offer ? OnRemoteOfferSet : OnRemoteAnswerSet);
    g_signal_emit_by_name(m_inner->webrtc, "set-remote-description", description, promise);
    gst_webrtc_session_description_free(description);
}

void PeerConnection::AddRemoteCandidate(int mline, const QString& candidate)
{
    // mDNS names never resolve in the media namespace.
    if (!m_inner->webrtc || mline < 0 || candidate.contains(QLatin1String(".local")))
        return;
    const QByteArray text = candidate.toUtf8();
    g_signal_emit_by_name(m_inner->webrtc, "add-ice-candidate", guint(mline), text.constData());
}

void PeerConnection::SetVideoWanted(unsigned uid, bool wanted)
{
    if (!m_inner->pipeline || m_inner->role != Role::Subscriber)
        return;
    struct Swap {
        GstElement* pipeline;
        GstElement* branch;
    };
    QMutexLocker lock(&m_inner->receivedLock);
    for (auto received = m_inner->received.begin(); received != m_inner->received.end(); ++received) {
        if (received->uid != uid || received->decoding == wanted)
            continue;
        received->decoding = wanted;
        GstElement* branch = MakeBranch(m_inner.get(), "VP8", uid, wanted);
        if (!branch)
            continue;
        // Swapped once nothing passes the pad (at once when idle).
        gst_pad_add_probe(
            received->pad, GST_PAD_PROBE_TYPE_IDLE,
            [](GstPad* pad, GstPadProbeInfo*, gpointer data) {
                auto* swap = static_cast<Swap*>(data);
                DropBranch(swap->pipeline, pad);
                LinkBranch(pad, swap->branch);
                return GST_PAD_PROBE_REMOVE;
            },
            new Swap { m_inner->pipeline, branch }, [](gpointer data) { delete static_cast<Swap*>(data); });
    }
}

void PeerConnection::SetVideoMuted(bool muted)
{
    m_inner->videoMuted = muted;
    if (!m_inner->selector)
        return;
    if (muted) {
        g_object_set(m_inner->selector, "active-pad", m_inner->blackPad, nullptr);
        // Closed, so that the camera is off indeed.
        gst_element_set_locked_state(m_inner->camera, TRUE);
        gst_element_set_state(m_inner->camera, GST_STATE_NULL);
        return;
    }
    gst_element_set_locked_state(m_inner->camera, FALSE);
    gst_element_sync_state_with_parent(m_inner->camera);
    g_object_set(m_inner->selector, "active-pad", m_inner->cameraPad, nullptr);
    // The first picture of the camera is a key frame.
    GstPad* pad = gst_element_get_static_pad(m_inner->encoder, "src");
    gst_pad_send_event(pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
    gst_object_unref(pad);
}

namespace {

// A statistics figure of any numeric type (the types differ between
// GStreamer versions), or fallback.
double Figure(const GstStructure* stats, const char* field, double fallback = 0)
{
    const GValue* value = gst_structure_get_value(stats, field);
    if (!value || !g_value_type_transformable(G_VALUE_TYPE(value), G_TYPE_DOUBLE))
        return fallback;
    GValue number = G_VALUE_INIT;
    g_value_init(&number, G_TYPE_DOUBLE);
    const double result = g_value_transform(value, &number) ? g_value_get_double(&number) : fallback;
    g_value_unset(&number);
    return result;
}

gboolean CountStats(GQuark, const GValue* value, gpointer data)
{
    auto* counts = static_cast<LinkCounts*>(data);
    if (!GST_VALUE_HOLDS_STRUCTURE(value))
        return TRUE;
    const GstStructure* stats = gst_value_get_structure(value);
    GstWebRTCStatsType type {};
    if (!gst_structure_get(stats, "type", GST_TYPE_WEBRTC_STATS_TYPE, &type, nullptr))
        return TRUE;
    // The kind and codec of bundled streams can be wrong here: streams are
    // told apart by their ssrc only.
    switch (type) {
    case GST_WEBRTC_STATS_INBOUND_RTP: {
        StreamCounts stream;
        stream.ssrc = quint32(Figure(stats, "ssrc"));
        stream.packets = qint64(Figure(stats, "packets-received"));
        // The stream's own loss, as its RTCP reports count it (expected
        // less received): webrtcbin's "packets-lost" is one jitter
        // buffer's of the bundle, the same figure for every stream.
        if (GstStructure* source = nullptr;
            gst_structure_get(stats, "gst-rtpsource-stats", GST_TYPE_STRUCTURE, &source, nullptr)) {
            stream.lost = qMax<qint64>(0, qint64(Figure(source, "packets-lost")));
            gst_structure_free(source);
        }
        stream.bytes = qint64(Figure(stats, "bytes-received"));
        stream.jitterMs = qMax(0.0, Figure(stats, "jitter") * 1000);
        counts->received << stream;
        break;
    }
    case GST_WEBRTC_STATS_OUTBOUND_RTP:
        counts->sentPackets += qint64(Figure(stats, "packets-sent"));
        counts->sentBytes += qint64(Figure(stats, "bytes-sent"));
        break;
    case GST_WEBRTC_STATS_REMOTE_INBOUND_RTP:
        counts->reported = true;
        counts->reportedLost += qMax<qint64>(0, qint64(Figure(stats, "packets-lost")));
        counts->fractionLost = qMax(counts->fractionLost, qBound(0.0, Figure(stats, "fraction-lost"), 1.0));
        counts->rttMs = qMax(counts->rttMs, Figure(stats, "round-trip-time", -1) * 1000);
        counts->sentJitterMs = qMax(counts->sentJitterMs, Figure(stats, "jitter") * 1000);
        // The highest sequence number reported moves on with every new
        // report: the server still hears us.
        if (GstStructure* source = nullptr;
            gst_structure_get(stats, "gst-rtpsource-stats", GST_TYPE_STRUCTURE, &source, nullptr)) {
            counts->reportedSeq += qint64(Figure(source, "rb-exthighestseq"));
            gst_structure_free(source);
        }
        break;
    case GST_WEBRTC_STATS_REMOTE_OUTBOUND_RTP:
        // The report's time is in seconds (NTP).
        if (gst_structure_has_field(stats, "packets-sent"))
            counts->serverSent.insert(quint32(Figure(stats, "ssrc")),
                { qint64(Figure(stats, "packets-sent")), Figure(stats, "remote-timestamp") * 1000 });
        break;
    default:
        break;
    }
    return TRUE;
}

} // namespace

void PeerConnection::MeasureLink(std::function<void(const LinkCounts&)> done)
{
    if (!m_inner->webrtc)
        return;
    struct Call {
        std::weak_ptr<Inner> inner;
        std::function<void(const LinkCounts&)> done;
    };
    // Answered on webrtcbin's thread; only the counts cross to the owner.
    GstPromise* promise = gst_promise_new_with_change_func(
        [](GstPromise* promise, gpointer data) {
            auto* call = static_cast<Call*>(data);
            auto inner = call->inner.lock();
            const GstStructure* reply
                = gst_promise_wait(promise) == GST_PROMISE_RESULT_REPLIED ? gst_promise_get_reply(promise) : nullptr;
            if (inner && reply) {
                LinkCounts counts;
                gst_structure_foreach(reply, CountStats, &counts);
                for (StreamCounts& stream : counts.received) {
                    const QPair<qint64, double> sent = counts.serverSent.value(stream.ssrc, { -1, 0 });
                    stream.serverSent = sent.first;
                    stream.serverSentAtMs = sent.second;
                }
                counts.handedOn = inner->handedOn;
                inner->relay->Post([done = call->done, counts] { done(counts); });
            }
            gst_promise_unref(promise);
        },
        new Call { m_inner, std::move(done) }, [](gpointer data) { delete static_cast<Call*>(data); });
    g_signal_emit_by_name(m_inner->webrtc, "get-stats", nullptr, promise);
}

} // namespace rtcnet
