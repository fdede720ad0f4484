#include "JanusRoom.h"
#include "TurnTunnel.h"

#include "RtcMedia.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>

namespace rtcnet {

namespace {

constexpr int kKeepAliveMs = 25000; // the server ends a silent session after 60 s
// Joins again after a pause that doubles up to the most, each drawn at
// random around it so that the clients of a restarted server do not come
// back in step; it starts at the first again after a join that lasted.
constexpr int kRetryFirstMs = 1000;
constexpr int kRetryMostMs = 30000;
constexpr double kRetryJitter = 0.25;
constexpr int kStableMs = 10000;
// While a server that could not be reached is waited for, a bare TCP
// connection tells when it listens again, so that the lesson need not wait
// out a long pause; the join then follows within a random spread.
constexpr int kProbeMs = 1000;
constexpr int kProbeSpreadMs = 1000;
constexpr int kSlowLinkMs = 10000;
constexpr int kLevelsMs = 250;
constexpr quint64 kMaxMessageBytes = 4 * 1024 * 1024;
constexpr int kStatsMs = 2000;
// Packets over a stats period enough for their loss to steer the rate.
constexpr qint64 kSteeringPackets = 50;
constexpr int kProbeCheckMs = 1200;

// The quality (1 excellent ... 5 very bad) of a link that carries packets:
// the worst of what its loss, round trip and jitter say (negative: not
// known). The limits stand in the README.
int LinkQuality(double lossShare, double rttMs, double jitterMs)
{
    int quality = 1;
    const auto grade = [&quality](double value, std::initializer_list<double> limits) {
        int level = 1;
        for (double limit : limits)
            level += value >= limit ? 1 : 0;
        quality = qMax(quality, level);
    };
    grade(lossShare, { 0.01, 0.03, 0.08, 0.15 });
    grade(rttMs, { 150, 300, 500, 800 });
    grade(jitterMs, { 30, 60, 120, 250 });
    return quality;
}
constexpr int kDown = 6;
// Measurements (kStatsMs apart) in a row without a new receiver report.
constexpr int kUnheardVeryBad = 2;
constexpr int kUnheardDown = 5;
// Measurements in a row without the server's report on a user's sound
// after which the loss as it arrives counts instead.
constexpr int kUnreportedMeasurements = 2;
constexpr int kSettlingMeasurements = 2;
// A jitter of seconds is no link's: the stream is then lost, not late.
constexpr double kWildJitterMs = 10000;
constexpr double kVeryBadJitterMs = 250; // the worst the table grades

// The share of packets lost among those that were due.
double LossShare(qint64 lost, qint64 due)
{
    return due > 0 ? qBound(0.0, double(lost) / double(due), 1.0) : 0.0;
}

// The share of a stream lost between the server and us since the previous
// measurement (intervalMs ago; packets arrived meanwhile), from the rate
// the server's sender reports say it sent at; negative when they do not
// tell (no new report, or too few packets for a share). The reports come
// at other moments than the measurements, so rates are compared, which
// holds for a stream of steady rate such as the sound.
double DownlinkLoss(const StreamCounts& previous, const StreamCounts& now, qint64 packets, qint64 intervalMs)
{
    constexpr qint64 kFewest = 20;
    constexpr double kShortestMs = 500;
    const double reportMs = now.serverSentAtMs - previous.serverSentAtMs;
    const qint64 sent = now.serverSent - previous.serverSent;
    if (previous.serverSent < 0 || now.serverSent < 0 || reportMs < kShortestMs || sent < kFewest)
        return -1;
    const double sentRate = sent / reportMs;
    const double receivedRate = double(packets) / double(intervalMs);
    return qBound(0.0, 1.0 - receivedRate / sentRate, 1.0);
}

// The streams an SDP describes by ssrc: their m-line index and whether
// they carry sound.
QMap<quint32, QPair<int, bool>> Ssrcs(const QString& sdp)
{
    QMap<quint32, QPair<int, bool>> ssrcs;
    int mline = -1;
    bool audio = false;
    for (const QString& line : sdp.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("m="))) {
            ++mline;
            audio = trimmed.startsWith(QLatin1String("m=audio"));
        } else if (trimmed.startsWith(QLatin1String("a=ssrc:")) && mline >= 0) {
            bool ok = false;
            const quint32 ssrc = trimmed.mid(7).section(QLatin1Char(' '), 0, 0).toUInt(&ok);
            if (ok)
                ssrcs.insert(ssrc, { mline, audio });
        }
    }
    return ssrcs;
}
// Refusals of a join that no retry mends: no such room, not allowed, ...
const QSet<int> kRefusals { 426, 428, 433 };
// The description of a stream its sender has muted; others describe the
// stream's kind.
const QString kMutedDescription = QStringLiteral("muted");

// The mid of each kind of stream ("audio", "video") an SDP describes.
QMap<QString, QString> Mids(const QString& sdp)
{
    QMap<QString, QString> mids;
    QString kind;
    for (const QString& line : sdp.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("m=")))
            kind = trimmed.mid(2).section(QLatin1Char(' '), 0, 0);
        else if (trimmed.startsWith(QLatin1String("a=mid:")) && !mids.contains(kind))
            mids.insert(kind, trimmed.mid(6));
    }
    return mids;
}

// GstWebRTCICEConnectionState
constexpr int kIceFailed = 4;

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString FeedId(const QJsonValue& value)
{
    // Servers with numeric ids send numbers.
    return value.isDouble() ? QString::number(qint64(value.toDouble())) : value.toString();
}

} // namespace

JanusRoom::JanusRoom(JoinParams params, std::shared_ptr<RoomHooks> hooks)
    : m_params(std::move(params))
    , m_hooks(std::move(hooks))
    , m_relay(std::make_shared<Relay>(this))
    , m_owners(std::make_shared<StreamOwners>())
    , m_wantedPeers(m_params.wantedPeers)
{
    for (unsigned uid : qAsConst(m_wantedPeers))
        m_owners->SetVideoWanted(uid, true);
    m_keepAlive = new QTimer(this);
    m_keepAlive->setInterval(kKeepAliveMs);
    connect(m_keepAlive, &QTimer::timeout, this, [this] {
        if (m_session)
            Send({ { "janus", "keepalive" }, { "session_id", m_session } });
    });
    m_levels = new QTimer(this);
    m_levels->setInterval(kLevelsMs);
    connect(m_levels, &QTimer::timeout, this, [this] {
        const rtcmedia::VolumeIndication indication = rtcmedia::Indication(rtcmedia::Levels());
        const int speakers = indication.speakers;
        const int total = indication.total;
        m_hooks->Post(QString(),
            [speakers, total](rtc::IRtcEngineEventHandler* h) { h->onAudioVolumeIndication(speakers, total); });
    });
    m_stats = new QTimer(this);
    m_stats->setInterval(kStatsMs);
    connect(m_stats, &QTimer::timeout, this, [this] {
        // Each reply comes back in this thread; a connection replaced since
        // has counts of its own, so stale replies are dropped.
        if (PeerConnection* publisher = m_publisher.get())
            publisher->MeasureLink([this, publisher](const LinkCounts& counts) {
                if (publisher == m_publisher.get())
                    OnSent(counts);
            });
        if (PeerConnection* subscriber = m_subscriber.get())
            subscriber->AdaptSoundDelay();
        MeasureReceived();
        // The tile of pictures held back keeps showing the last one: it is
        // handed on again, as a still picture, so that it is not taken for
        // pictures that stopped.
        for (auto pause = m_videoPauses.cbegin(); pause != m_videoPauses.cend(); ++pause) {
            if (pause->Paused())
                rtcmedia::RepeatLastPicture(pause.key());
        }
    });
    m_retry = new QTimer(this);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &JanusRoom::Connect);
    m_probeTimer = new QTimer(this);
    m_probeTimer->setSingleShot(true);
    connect(m_probeTimer, &QTimer::timeout, this, &JanusRoom::Probe);
    // Runs from the start and from an interruption until the room is
    // joined: a lesson without media is told, whatever keeps it out.
    m_lostTimer = new QTimer(this);
    m_lostTimer->setSingleShot(true);
    m_lostTimer->setInterval(kLostAfterMs);
    connect(m_lostTimer, &QTimer::timeout, this, [this] {
        if (m_joined || m_lost)
            return;
        m_lost = true;
        Compose();
        m_hooks->Post(
            QStringLiteral("callback onConnectionLost"), [](rtc::IRtcEngineEventHandler* h) { h->onConnectionLost(); });
    });
}

JanusRoom::~JanusRoom()
{
    Stop();
}

void JanusRoom::Start()
{
    m_lostTimer->start();
    m_turnServers = OpenRelays(m_params.relays, this);
    Connect();
}

void JanusRoom::Stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_retry->stop();
    m_lostTimer->stop();
    StopProbe();
    DropSession();
    m_ownPicture.Stop();
    m_relay->Close();
}

void JanusRoom::SetAudioMuted(bool muted)
{
    if (m_params.audioMuted == muted)
        return;
    // The microphone source goes silent by itself; the others learn it here.
    m_params.audioMuted = muted;
    AnnounceMutes();
}

void JanusRoom::SetVideoMuted(bool muted)
{
    if (m_params.videoMuted == muted)
        return;
    m_params.videoMuted = muted;
    if (m_publisher)
        m_publisher->SetVideoMuted(muted);
    KeepOwnPicture();
    AnnounceMutes();
}

void JanusRoom::AnnounceMutes()
{
    if (!m_sending || m_sentMids.isEmpty())
        return;
    QJsonArray descriptions;
    for (auto mid = m_sentMids.begin(); mid != m_sentMids.end(); ++mid) {
        const bool muted = mid.key() == QLatin1String("audio") ? m_params.audioMuted : m_params.videoMuted;
        descriptions.append(
            QJsonObject { { "mid", mid.value() }, { "description", muted ? kMutedDescription : mid.key() } });
    }
    SendToHandle(m_publisherHandle, { { "request", "configure" }, { "descriptions", descriptions } });
}

void JanusRoom::SetPeerVideoWanted(unsigned uid, bool wanted)
{
    if (wanted == m_wantedPeers.contains(uid))
        return;
    if (wanted)
        m_wantedPeers.insert(uid);
    else
        m_wantedPeers.remove(uid);
    m_owners->SetVideoWanted(uid, wanted);
    // Pictures wanted anew start afresh, not held back for an old loss.
    m_videoPauses.remove(uid);
    m_unreported.remove(uid);
    // What arrived of pictures not wanted is no longer decoded.
    if (m_subscriber && m_videoMids.contains(uid)) {
        ConfigureVideo(uid);
        m_subscriber->SetVideoWanted(uid, wanted);
    }
}

void JanusRoom::ConfigureVideo(unsigned uid)
{
    // The server stops forwarding the pictures; asked again, it sends a key
    // frame first.
    if (!m_subscriber || !m_videoMids.contains(uid))
        return;
    SendToHandle(m_subscriberHandle,
        { { "request", "configure" },
            { "streams",
                QJsonArray { QJsonObject { { "mid", m_videoMids.value(uid) }, { "send", VideoSent(uid) } } } } });
}

bool JanusRoom::VideoSent(unsigned uid) const
{
    return m_wantedPeers.contains(uid) && !m_videoPauses.value(uid).Paused();
}

bool JanusRoom::Expected(unsigned uid, bool sound) const
{
    const auto mutes = m_mutes.value(uid);
    const std::optional<bool>& muted = sound ? mutes.first : mutes.second;
    return !muted.value_or(false) && (sound || VideoSent(uid));
}

bool JanusRoom::IsPausedMid(const QString& mid) const
{
    for (auto video = m_videoMids.begin(); video != m_videoMids.end(); ++video) {
        if (video.value() == mid)
            return !VideoSent(video.key());
    }
    return false;
}

LinkReport JanusRoom::Report() const
{
    QMutexLocker lock(&m_reportLock);
    return m_report;
}

void JanusRoom::OnSent(const LinkCounts& counts)
{
    const qint64 sent = counts.sentPackets - m_sentBefore.sentPackets;
    const qint64 lost = counts.reportedLost - m_sentBefore.reportedLost;
    const qint64 sentBps = (counts.sentBytes - m_sentBefore.sentBytes) * 8 * 1000 / kStatsMs;
    // A camera that is off and a muted microphone send nothing: silence
    // on purpose says nothing of the link.
    const bool carried = counts.handedOn > m_sentBefore.handedOn;
    if (carried)
        m_unheard = counts.reported && counts.reportedSeq == m_sentBefore.reportedSeq ? m_unheard + 1 : 0;
    // The first report covers the connection's start (its first pictures
    // leave in a burst) and is no reading of the link yet. A process kept
    // from running takes the reports in late, which only lengthens the
    // round trip: the shorter of the latest two is the link's.
    const bool settling = !m_sentBefore.reported;
    // Without a new report since the last period the server has said
    // nothing of it: no loss is no reading.
    const bool fresh = counts.reported && counts.reportedSeq != m_sentBefore.reportedSeq;
    const double rttMs = !settling && m_sentBefore.rttMs >= 0 ? qMin(counts.rttMs, m_sentBefore.rttMs) : counts.rttMs;
    m_sentBefore = counts;
    m_measured.txBytes = counts.sentBytes;
    // The server reports what it received about once a second: silent for
    // seconds, its reports are lost on the way, or ours to it.
    if (!carried && !m_unheard && sent <= 0)
        m_txMeasured = 0;
    else if ((m_sending && carried && sent <= 0) || m_unheard >= kUnheardDown)
        m_txMeasured = kDown; // nothing leaves, or nothing gets there
    else if (m_unheard >= kUnheardVeryBad)
        m_txMeasured = kDown - 1;
    else if (counts.reported && !settling)
        m_txMeasured = LinkQuality(qMax(counts.fractionLost, LossShare(lost, sent)), rttMs, counts.sentJitterMs);
    if (fresh && sent > 0 && !settling) {
        // The share of all we sent over the period: a stream's own fraction
        // in the latest report counts a few dozen packets, too few to steer
        // by.
        const double loss = sent >= kSteeringPackets ? LossShare(lost, sent) : counts.fractionLost;
        if (m_sendRate.OnReport(loss, sentBps, rttMs))
            qInfo() << "RTC engine: the video is sent at" << m_sendRate.Bitrate() / 1000 << "kbit/s, loss"
                    << int(loss * 100) << "%, sent" << sentBps / 1000 << "kbit/s, round trip" << int(rttMs) << "ms";
        const SendRate::Shape shape = m_sendRate.PictureShape();
        m_publisher->SetSendRate(m_sendRate.Bitrate(), shape.width, shape.height, shape.fps, int(loss * 100 + 0.5));
    }
    Compose();
}

void JanusRoom::MeasureReceived()
{
    if (PeerConnection* subscriber = m_subscriber.get())
        subscriber->MeasureLink([this, subscriber](const LinkCounts& counts) {
            if (subscriber == m_subscriber.get())
                OnReceived(counts);
        });
}

void JanusRoom::OnReceived(const LinkCounts& counts)
{
    struct Tally {
        qint64 packets = 0;
        qint64 lost = 0;
        double jitterMs = 0;
        void Add(qint64 p, qint64 l, double j)
        {
            packets += p;
            lost += l;
            jitterMs = qMax(jitterMs, j);
        }
        // The quality of what arrived, as rtt adds to it.
        int Quality(double rttMs) const
        {
            return packets > 0 ? LinkQuality(LossShare(lost, packets + lost), rttMs, jitterMs) : kDown;
        }
    };
    Tally owned;
    QMap<unsigned, Tally> users;
    QMap<unsigned, Tally> sounds;
    QMap<unsigned, Tally> videos;
    QMap<unsigned, double> soundsDown; // the share lost on the way from the server
    const qint64 intervalMs = m_receivedAt.isValid() ? m_receivedAt.restart() : (m_receivedAt.start(), 0);
    QMap<quint32, QPair<StreamCounts, int>> before;
    qint64 bytes = 0;
    const QList<unsigned> uids = m_feeds.values();
    const QSet<unsigned> present(uids.begin(), uids.end());
    for (const StreamCounts& stream : counts.received) {
        const auto [previous, age] = m_receivedBefore.value(stream.ssrc);
        // The receiver's jitter estimate is kept in 32-bit clock units: a
        // delay step past their wrap throws it to a figure no link has,
        // from which it falls back over seconds. Such a reading, and its
        // steep fall, settle again as a new stream's do; a single high
        // reading is no link's either, which keeps its jitter.
        const bool wild = stream.jitterMs >= kWildJitterMs
            || (previous.jitterMs >= kVeryBadJitterMs && stream.jitterMs < previous.jitterMs / 2);
        before.insert(stream.ssrc, { stream, wild ? 0 : age + 1 });
        bytes += stream.bytes;
        const qint64 packets = qMax<qint64>(0, stream.packets - previous.packets);
        const qint64 lost = qMax<qint64>(0, stream.lost - previous.lost);
        // The first pictures leave in a burst once the connection is up,
        // and the jitter estimate takes seconds to forget it.
        const double jitterMs = !wild && age >= kSettlingMeasurements ? qMin(stream.jitterMs, previous.jitterMs) : 0;
        // Streams of nobody in the room (a retransmission's, or of a user
        // gone, which stay silent) say nothing of the link.
        if (!m_ssrcs.contains(stream.ssrc))
            continue;
        const QPair<int, bool> described = m_ssrcs.value(stream.ssrc);
        const unsigned uid = m_owners->Owner(described.first);
        if (!uid || !present.contains(uid))
            continue;
        // Nor does one kept silent on purpose: a muted microphone, a camera
        // off, pictures paused as nobody here wants them.
        if (packets == 0 && lost == 0 && !Expected(uid, described.second))
            continue;
        owned.Add(packets, lost, jitterMs);
        users[uid].Add(packets, lost, jitterMs);
        (described.second ? sounds : videos)[uid].Add(packets, lost, jitterMs);
        if (described.second && stream.serverSent >= 0)
            soundsDown.insert(uid, intervalMs > 0 ? DownlinkLoss(previous, stream, packets, intervalMs) : -1);
    }
    const auto share = [](const Tally& tally) {
        return tally.packets + tally.lost > 0 ? LossShare(tally.lost, tally.packets + tally.lost) : -1.0;
    };
    for (unsigned uid : present) {
        if (!m_wantedPeers.contains(uid) || !m_videoMids.contains(uid) || m_mutes.value(uid).second.value_or(false))
            continue;
        // The server's reports on the sound tell apart loss on the sender's
        // link before the server, which holding the pictures back here
        // cannot mend, and loss on ours; a measurement without a new report
        // tells nothing. Without sound (muted, or before the first report)
        // the pictures' and the sound's own loss count, and so they do
        // when the reports stay away: on a downlink too full for the
        // pictures the server's reports are lost with the rest, for many
        // seconds in a row, and the pictures would go on filling it. A
        // probe, which costs the sound while it lasts, is judged at once.
        const bool reported = soundsDown.value(uid, -1) >= 0;
        const int unreported = reported ? 0 : m_unreported.value(uid) + 1;
        m_unreported[uid] = unreported;
        const bool blind = unreported >= kUnreportedMeasurements || (!reported && m_videoPauses.value(uid).Probing());
        if (soundsDown.contains(uid) && Expected(uid, true) && !blind) {
            if (reported)
                WatchVideoLoss(uid, -1, soundsDown.value(uid));
        } else {
            WatchVideoLoss(uid, share(videos.value(uid)), share(sounds.value(uid)));
        }
    }
    m_receivedBefore = before;
    m_measured.rxBytes = bytes;
    const double rttMs = m_sentBefore.reported ? m_sentBefore.rttMs : -1;
    m_rxMeasured = users.isEmpty() ? 0 : owned.Quality(rttMs);
    m_measured.remotes.clear();
    for (auto user = users.begin(); user != users.end(); ++user) {
        LinkReport::Remote remote;
        remote.uid = user.key();
        // What arrives of a user went the user's way up and ours down; the
        // round trip is ours and left out.
        remote.quality = user->Quality(-1);
        // Pictures held back for the link say it is poor, whatever the
        // sound alone makes of it.
        if (m_videoPauses.value(user.key()).Paused())
            remote.quality = qMax(remote.quality, 3);
        if (sounds.contains(user.key())) {
            const Tally& sound = sounds[user.key()];
            remote.audio = true;
            remote.audioQuality = sound.Quality(rttMs);
            remote.delayMs = int(qMax(0.0, rttMs) / 2 + sound.jitterMs);
            remote.lostPercent = int(LossShare(sound.lost, sound.packets + sound.lost) * 100);
        }
        m_measured.remotes << remote;
    }
    Compose();
}

void JanusRoom::WatchVideoLoss(unsigned uid, double videoLoss, double soundLoss)
{
    VideoPause& pause = m_videoPauses[uid];
    if (!pause.OnMeasurement(videoLoss, soundLoss))
        return;
    if (pause.Paused())
        qInfo() << "RTC engine: the pictures of" << uid << "are held back, the downlink lost"
                << int(qMax(0.0, videoLoss) * 100) << "% of them and" << int(qMax(0.0, soundLoss) * 100)
                << "% of the sound; asked for again in" << pause.BackOff() * kStatsMs / 1000 << "s";
    else
        qInfo() << "RTC engine: the pictures of" << uid << "are asked for again";
    ConfigureVideo(uid);
    // A probe the link cannot carry costs the sound while it lasts: it is
    // judged early.
    if (!pause.Paused())
        QTimer::singleShot(kProbeCheckMs, this, &JanusRoom::MeasureReceived);
}

void JanusRoom::Compose()
{
    // A direction that carries nothing goes the same way to the same
    // server as the other one, and is taken to be as good.
    int tx = m_txMeasured ? m_txMeasured : m_rxMeasured;
    int rx = m_rxMeasured ? m_rxMeasured : m_txMeasured;
    // The server finds the link slow (lost packets, asked for again).
    const qint64 now = Now();
    if (tx && now - m_slowTxAt < kSlowLinkMs)
        tx = qMax(tx, 3);
    if (rx && now - m_slowRxAt < kSlowLinkMs)
        rx = qMax(rx, 3);
    for (const VideoPause& pause : m_videoPauses) {
        if (pause.Paused())
            rx = qMax(rx, 3);
    }
    // Without the server nothing is carried: down, not unknown, so that
    // the link-quality alarm tells of it.
    if (m_interrupted || m_lost || m_refused)
        tx = rx = kDown;
    LinkReport report = m_measured;
    report.tx = tx;
    report.rx = rx;
    report.users = unsigned(m_feeds.size()) + 1;
    QMutexLocker lock(&m_reportLock);
    m_report = report;
}

void JanusRoom::Connect()
{
    if (m_stopped)
        return;
    StopProbe();
    DropSession();
    m_reached = false;
    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    // The server's messages are a few kilobytes; a giant one closes the
    // channel (and the engine joins again) instead of filling the memory.
    m_socket->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
    connect(m_socket, &QWebSocket::connected, this, &JanusRoom::OnConnected);
    connect(m_socket, &QWebSocket::disconnected, this, &JanusRoom::OnDisconnected);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &JanusRoom::OnText);
    QNetworkRequest request(m_params.server);
    request.setRawHeader("Sec-WebSocket-Protocol", "janus-protocol");
    m_socket->open(request);
}

void JanusRoom::OnConnected()
{
    m_reached = true;
    const int generation = m_generation;
    Send({ { "janus", "create" } }, [this, generation](const QJsonObject& reply) {
        if (generation != m_generation)
            return;
        m_session = qint64(reply.value("data").toObject().value("id").toDouble());
        if (reply.value("janus") != QLatin1String("success") || !m_session)
            return Interrupt(QStringLiteral("no session: %1").arg(QString::fromUtf8(QJsonDocument(reply).toJson())));
        m_keepAlive->start();
        Attach([this](qint64 handle) {
            m_publisherHandle = handle;
            JoinAsPublisher();
        });
    });
}

void JanusRoom::OnDisconnected()
{
    const QString why = m_socket ? m_socket->errorString() : QString();
    Interrupt(QStringLiteral("control channel closed (%1)").arg(why));
}

void JanusRoom::Send(QJsonObject message, Reply reply)
{
    if (!m_socket)
        return;
    const QString transaction = QString::number(++m_transaction);
    message.insert("transaction", transaction);
    if (reply)
        m_pending.insert(transaction, std::move(reply));
    m_socket->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void JanusRoom::SendToHandle(qint64 handle, const QJsonObject& body, const QJsonObject& jsep, Reply reply)
{
    QJsonObject message { { "janus", "message" }, { "session_id", m_session }, { "handle_id", handle },
        { "body", body } };
    if (!jsep.isEmpty())
        message.insert("jsep", jsep);
    Send(message, std::move(reply));
}

void JanusRoom::Attach(std::function<void(qint64)> done)
{
    const int generation = m_generation;
    Send({ { "janus", "attach" }, { "session_id", m_session }, { "plugin", "janus.plugin.videoroom" } },
        [this, generation, done](const QJsonObject& reply) {
            if (generation != m_generation)
                return;
            const qint64 handle = qint64(reply.value("data").toObject().value("id").toDouble());
            if (reply.value("janus") != QLatin1String("success") || !handle)
                return Interrupt(QStringLiteral("videoroom not attached"));
            done(handle);
        });
}

void JanusRoom::JoinAsPublisher()
{
    const QString id = QString::number(m_params.uid);
    SendToHandle(m_publisherHandle,
        { { "request", "join" }, { "ptype", "publisher" }, { "room", m_params.room }, { "id", id }, { "display", id },
            { "token", m_params.key } });
}

void JanusRoom::OnText(const QString& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qWarning() << "RTC media server: unreadable message dropped," << text.size() << "characters";
        return;
    }
    const QJsonObject message = document.object();
    const QString kind = message.value("janus").toString();
    const QString transaction = message.value("transaction").toString();
    if ((kind == QLatin1String("success") || kind == QLatin1String("error")) && m_pending.contains(transaction)) {
        m_pending.take(transaction)(message);
        return;
    }
    const qint64 sender = qint64(message.value("sender").toDouble());
    const bool fromPublisher = sender && sender == m_publisherHandle;
    const bool fromSubscriber = sender && sender == m_subscriberHandle;
    if (kind == QLatin1String("event")) {
        const QJsonObject data = message.value("plugindata").toObject().value("data").toObject();
        const QJsonObject jsep = message.value("jsep").toObject();
        if (fromPublisher)
            OnPublisherEvent(data, jsep);
        else if (fromSubscriber)
            OnSubscriberEvent(data, jsep);
    } else if (kind == QLatin1String("trickle")) {
        const QJsonObject candidate = message.value("candidate").toObject();
        PeerConnection* peer = fromPublisher ? m_publisher.get() : fromSubscriber ? m_subscriber.get() : nullptr;
        if (peer && candidate.value("candidate").isString())
            peer->AddRemoteCandidate(
                candidate.value("sdpMLineIndex").toInt(-1), candidate.value("candidate").toString());
    } else if (kind == QLatin1String("webrtcup") && fromPublisher) {
        // Others learn of the streams only now; their mutes follow.
        m_sending = true;
        AnnounceMutes();
    } else if (kind == QLatin1String("slowlink")) {
        (fromPublisher == message.value("uplink").toBool() ? m_slowRxAt : m_slowTxAt) = Now();
    } else if (kind == QLatin1String("hangup") && (fromPublisher || fromSubscriber)) {
        Interrupt(QStringLiteral("hang-up: %1").arg(message.value("reason").toString()));
    } else if (kind == QLatin1String("timeout")) {
        Interrupt(QStringLiteral("session timed out"));
    } else if (kind == QLatin1String("error")) {
        qWarning().noquote() << "RTC media server error:"
                             << message.value("error").toObject().value("reason").toString();
    }
}

void JanusRoom::OnPublisherEvent(const QJsonObject& data, const QJsonObject& jsep)
{
    const QString what = data.value("videoroom").toString();
    if (data.contains("error_code")) {
        const int code = data.value("error_code").toInt();
        const QString text = data.value("error").toString();
        if (m_session && !m_joined)
            return Refused(code, text);
        qWarning().noquote() << "RTC media server refused a request:" << code << text;
        return;
    }
    if (what == QLatin1String("joined")) {
        m_joined = true;
        m_privateId = QString::number(qint64(data.value("private_id").toDouble()));
        const unsigned uid = m_params.uid;
        const QByteArray room = m_params.room.toUtf8();
        if (!m_everJoined) {
            m_everJoined = true;
            m_hooks->Post(QStringLiteral("callback onJoinChannelSuccess uid=%1").arg(uid),
                [uid, room](rtc::IRtcEngineEventHandler* h) { h->onJoinChannelSuccess(room.constData(), uid, 0); });
        } else {
            m_hooks->Post(QStringLiteral("callback onRejoinChannelSuccess uid=%1").arg(uid),
                [uid, room](rtc::IRtcEngineEventHandler* h) { h->onRejoinChannelSuccess(room.constData(), uid, 0); });
        }
        m_interrupted = m_lost = false;
        m_lostTimer->stop();
        m_joinedFor.start();
        m_probeAnswered = false;
        m_txMeasured = m_rxMeasured = 0;
        Compose();
        m_levels->start();
        m_stats->start();
        const QJsonArray publishers = data.value("publishers").toArray();
        QSet<QString> present;
        for (const QJsonValue& publisher : publishers)
            present.insert(FeedId(publisher.toObject().value("id")));
        // Whoever left while the link was down is gone.
        for (const QString& feed : m_feeds.keys()) {
            if (!present.contains(feed))
                RemovePublisher(feed);
        }
        AddPublishers(publishers);
        if (m_params.sendAudio || m_params.sendVideo)
            Publish();
        return;
    }
    if (data.contains("publishers"))
        AddPublishers(data.value("publishers").toArray());
    for (const char* gone : { "unpublished", "leaving", "kicked" }) {
        const QJsonValue feed = data.value(QLatin1String(gone));
        if (!feed.isUndefined() && feed != QLatin1String("ok"))
            RemovePublisher(FeedId(feed));
    }
    if (jsep.value("type") == QLatin1String("answer") && m_publisher) {
        m_publisher->SetRemoteDescription(QStringLiteral("answer"), jsep.value("sdp").toString());
    }
}

void JanusRoom::Refused(int code, const QString& text)
{
    qWarning().noquote() << "RTC media server refused the join:" << code << text;
    // E.g. our previous self still holding the id, or, on a rejoin, a
    // restarted server whose room and keys are not made again yet: try
    // again shortly.
    if (!kRefusals.contains(code) || m_everJoined)
        return Interrupt(QStringLiteral("join failed: %1 %2").arg(code).arg(text));
    // Nothing is sent or received until the lesson is entered again: the
    // link is down, and the notice of it follows as for a lost server.
    m_refused = true;
    Compose();
    const QByteArray message = text.toUtf8();
    m_hooks->Post(QStringLiteral("callback onError err=%1").arg(int(rtc::ERR_INVALID_CHANNEL_KEY)),
        [message](rtc::IRtcEngineEventHandler* h) { h->onError(rtc::ERR_INVALID_CHANNEL_KEY, message.constData()); });
    m_retry->stop();
    DropSession();
}

void JanusRoom::Publish()
{
    // A device chosen since the join is the one sent after a rejoin; one
    // unplugged since gives way to the system default.
    m_params.microphone = rtcmedia::ChosenDevice(rtcmedia::DeviceKind::Recording);
    m_params.camera = rtcmedia::ChosenDevice(rtcmedia::DeviceKind::Camera);
    m_sentBefore = {};
    m_sendRate = {};
    // The camera opens once: the publisher takes it over.
    m_ownPicture.Stop();
    m_publisher = std::make_unique<PeerConnection>(
        PeerConnection::Role::Publisher, m_relay, PeerEvents(&JanusRoom::m_publisherHandle, "publish"));
    m_publisher->UseRelays(m_turnServers);
    if (!m_publisher->StartPublisher(m_params.microphone, m_params.camera, m_params.sendAudio, m_params.sendVideo,
            m_params.videoMuted, m_params.uid)) {
        qWarning() << "RTC engine: the local media cannot be sent";
        m_publisher.reset();
        KeepOwnPicture();
        return;
    }
}

void JanusRoom::KeepOwnPicture()
{
    const bool show = !m_stopped && !m_publisher && m_params.sendVideo && !m_params.videoMuted;
    if (!show)
        m_ownPicture.Stop();
    else if (!m_ownPicture.IsRunning())
        m_ownPicture.Start(m_params.camera, m_params.uid);
}

PeerConnection::Events JanusRoom::PeerEvents(qint64 JanusRoom::*handleOf, const char* request)
{
    // Reports of a connection whose handle has gone since are stale.
    const qint64 handle = this->*handleOf;
    PeerConnection::Events events;
    events.description = [this, handleOf, handle, request](const QString& type, const QString& sdp) {
        if (handle != this->*handleOf)
            return;
        if (type == QLatin1String("offer"))
            m_sentMids = Mids(sdp);
        SendToHandle(handle, { { "request", request } }, { { "type", type }, { "sdp", sdp } });
    };
    events.candidate = [this, handleOf, handle](int mline, const QString& candidate) {
        if (handle == this->*handleOf)
            Trickle(handle, mline, candidate);
    };
    events.iceState = [this, handleOf, handle](int state) {
        if (handle == this->*handleOf && state == kIceFailed)
            Interrupt(QStringLiteral("media connection failed"));
    };
    events.failed = [](const QString& message) { qWarning().noquote() << "RTC media:" << message; };
    return events;
}

void JanusRoom::AddPublishers(const QJsonArray& publishers)
{
    for (const QJsonValue& value : publishers) {
        const QString feed = FeedId(value.toObject().value("id"));
        bool ok = false;
        const unsigned uid = feed.toUInt(&ok);
        if (!ok || !uid) {
            qWarning().noquote() << "RTC engine: a publisher whose id is no uid is ignored:" << feed.left(64);
            continue;
        }
        if (uid == m_params.uid)
            continue;
        if (!m_feeds.contains(feed)) {
            m_feeds.insert(feed, uid);
            m_hooks->Post(QStringLiteral("callback onUserJoined uid=%1").arg(uid),
                [uid](rtc::IRtcEngineEventHandler* h) { h->onUserJoined(uid, 0); });
        }
        ReadMutes(uid, value.toObject().value("streams").toArray());
        if (!m_subscribed.contains(feed) && !m_waiting.contains(feed))
            m_waiting << feed;
    }
    Subscribe();
}

void JanusRoom::ReadMutes(unsigned uid, const QJsonArray& streams)
{
    for (const QJsonValue& value : streams) {
        const QJsonObject stream = value.toObject();
        const QString kind = stream.value("type").toString();
        if (kind != QLatin1String("audio") && kind != QLatin1String("video"))
            continue;
        const bool muted
            = stream.value("disabled").toBool() || stream.value("description").toString() == kMutedDescription;
        auto& known = m_mutes[uid];
        const bool audio = kind == QLatin1String("audio");
        std::optional<bool>& was = audio ? known.first : known.second;
        // A user is heard and seen until told otherwise.
        const bool changed = was.has_value() ? *was != muted : muted;
        was = muted;
        if (!changed)
            continue;
        if (audio)
            m_hooks->Post(QStringLiteral("callback onUserMuteAudio uid=%1 muted=%2").arg(uid).arg(muted),
                [uid, muted](rtc::IRtcEngineEventHandler* h) { h->onUserMuteAudio(uid, muted); });
        else
            m_hooks->Post(QStringLiteral("callback onUserMuteVideo uid=%1 muted=%2").arg(uid).arg(muted),
                [uid, muted](rtc::IRtcEngineEventHandler* h) { h->onUserMuteVideo(uid, muted); });
    }
}

void JanusRoom::RemovePublisher(const QString& feed)
{
    if (!m_feeds.contains(feed))
        return;
    const unsigned uid = m_feeds.take(feed);
    m_mutes.remove(uid);
    m_videoPauses.remove(uid);
    m_unreported.remove(uid);
    // Its streams stay silent in the subscription until it changes.
    m_measured.remotes.erase(std::remove_if(m_measured.remotes.begin(), m_measured.remotes.end(),
                                 [uid](const LinkReport::Remote& remote) { return remote.uid == uid; }),
        m_measured.remotes.end());
    Compose();
    m_subscribed.remove(feed);
    m_waiting.removeAll(feed);
    m_hooks->RemoteUserGone(uid);
    m_hooks->Post(QStringLiteral("callback onUserOffline uid=%1").arg(uid),
        [uid](rtc::IRtcEngineEventHandler* h) { h->onUserOffline(uid, 0); });
}

void JanusRoom::Subscribe()
{
    if (m_waiting.isEmpty() || m_subscriberBusy || !m_joined)
        return;
    if (m_subscriberHandle && m_staleStreams) {
        // webrtcbin receives nothing on a stream the server hands over to
        // another feed: a fresh subscription takes everybody again.
        Send({ { "janus", "detach" }, { "session_id", m_session }, { "handle_id", m_subscriberHandle } });
        DropSubscriber();
    }
    m_subscriberBusy = true;
    const QList<QString> feeds = m_waiting;
    m_requested = feeds;
    m_waiting.clear();
    QJsonArray streams;
    for (const QString& feed : feeds) {
        streams.append(QJsonObject { { "feed", feed } });
        m_subscribed.insert(feed);
    }
    if (m_subscriberHandle) {
        SendToHandle(m_subscriberHandle, { { "request", "update" }, { "subscribe", streams } });
        return;
    }
    Attach([this, streams](qint64 handle) {
        m_subscriberHandle = handle;
        SendToHandle(handle,
            { { "request", "join" }, { "ptype", "subscriber" }, { "room", m_params.room }, { "streams", streams },
                { "private_id", m_privateId.toLongLong() }, { "token", m_params.key } });
    });
}

void JanusRoom::OnSubscriberEvent(const QJsonObject& data, const QJsonObject& jsep)
{
    const QString what = data.value("videoroom").toString();
    if (data.contains("error_code")) {
        // A feed that left before we asked for it, or whose media is not
        // up yet: asked for again when the room announces it once more.
        qWarning().noquote() << "RTC media server refused a subscription:" << data.value("error_code").toInt()
                             << data.value("error").toString();
        for (const QString& feed : qAsConst(m_requested))
            m_subscribed.remove(feed);
        m_requested.clear();
        if (!m_subscriber) {
            // The handle never joined: a new one joins next time.
            Send({ { "janus", "detach" }, { "session_id", m_session }, { "handle_id", m_subscriberHandle } });
            DropSubscriber();
        }
        m_subscriberBusy = false;
        return Subscribe();
    }
    if (data.contains("streams"))
        ReadStreams(data.value("streams").toArray());
    if (jsep.value("type") == QLatin1String("offer")) {
        if (!m_subscriber) {
            m_subscriber = std::make_unique<PeerConnection>(
                PeerConnection::Role::Subscriber, m_relay, PeerEvents(&JanusRoom::m_subscriberHandle, "start"));
            m_subscriber->UseRelays(m_turnServers);
            if (!m_subscriber->StartSubscriber(m_hooks, m_owners)) {
                qWarning() << "RTC engine: cannot receive media";
                m_subscriber.reset();
                return;
            }
        }
        m_ssrcs = Ssrcs(jsep.value("sdp").toString());
        m_subscriber->SetRemoteDescription(QStringLiteral("offer"), jsep.value("sdp").toString());
        return;
    }
    if (what == QLatin1String("updated") || data.value("started") == QLatin1String("ok")) {
        // The server asks the new feeds for a key frame only when told so.
        if (!m_newMids.isEmpty()) {
            QJsonArray streams;
            for (const QString& mid : qAsConst(m_newMids))
                streams.append(QJsonObject { { "mid", mid }, { "send", !IsPausedMid(mid) } });
            m_newMids.clear();
            SendToHandle(m_subscriberHandle, { { "request", "configure" }, { "streams", streams } });
        }
        m_requested.clear();
        m_subscriberBusy = false;
        Subscribe();
    }
}

void JanusRoom::ReadStreams(const QJsonArray& streams)
{
    QMap<int, unsigned> owners;
    QSet<QString> mids;
    for (const QJsonValue& value : streams) {
        const QJsonObject stream = value.toObject();
        const QString mid = stream.value("mid").toString();
        if (!stream.value("active").toBool(true) || mid.isEmpty()) {
            m_staleStreams = true;
            continue;
        }
        const unsigned uid = m_feeds.value(FeedId(stream.value("feed_id")));
        if (uid)
            owners.insert(stream.value("mindex").toInt(-1), uid);
        if (uid && stream.value("type") == QLatin1String("video"))
            m_videoMids.insert(uid, mid);
        mids.insert(mid);
        if (!m_knownMids.contains(mid))
            m_newMids << mid;
    }
    m_knownMids = mids;
    m_owners->Set(owners);
    // A feed the server dropped from the subscription while its publisher
    // stays is asked for again.
    QSet<unsigned> received;
    for (unsigned uid : owners)
        received.insert(uid);
    for (auto feed = m_feeds.begin(); feed != m_feeds.end(); ++feed) {
        if (m_subscribed.contains(feed.key()) && !m_requested.contains(feed.key())
            && !received.contains(feed.value())) {
            m_subscribed.remove(feed.key());
            m_waiting << feed.key();
        }
    }
}

void JanusRoom::DropSubscriber()
{
    m_subscriber.reset();
    m_ssrcs.clear();
    m_receivedBefore.clear();
    m_receivedAt.invalidate();
    m_measured.remotes.clear();
    m_rxMeasured = 0;
    m_subscriberHandle = 0;
    m_staleStreams = false;
    m_knownMids.clear();
    m_newMids.clear();
    m_videoMids.clear();
    m_videoPauses.clear();
    m_unreported.clear();
    m_owners->Set({});
    for (const QString& feed : qAsConst(m_subscribed)) {
        if (!m_waiting.contains(feed))
            m_waiting << feed;
    }
    m_subscribed.clear();
}

void JanusRoom::Trickle(qint64 handle, int mline, const QString& candidate)
{
    QJsonObject body;
    if (candidate.isEmpty())
        body.insert("completed", true);
    else
        body = { { "candidate", candidate }, { "sdpMLineIndex", mline } };
    Send({ { "janus", "trickle" }, { "session_id", m_session }, { "handle_id", handle }, { "candidate", body } });
}

void JanusRoom::Interrupt(const QString& why)
{
    if (m_stopped || m_refused)
        return;
    qWarning().noquote() << "RTC engine: media server link interrupted:" << why;
    if (m_joined && m_joinedFor.elapsed() >= kStableMs)
        m_retryPauseMs = kRetryFirstMs;
    if (!m_interrupted) {
        m_interrupted = true;
        if (!m_lost && !m_lostTimer->isActive())
            m_lostTimer->start();
        Compose();
        if (m_everJoined)
            m_hooks->Post(QStringLiteral("callback onConnectionInterrupted"),
                [](rtc::IRtcEngineEventHandler* h) { h->onConnectionInterrupted(); });
    }
    DropSession();
    const double spread = 1 + kRetryJitter * (2 * QRandomGenerator::global()->generateDouble() - 1);
    const int pause = qMax(1, int(m_retryPauseMs * spread));
    m_retryPauseMs = qMin(m_retryPauseMs * 2, kRetryMostMs);
    qInfo().noquote() << "RTC engine: joining the media server again in" << pause << "ms";
    m_retry->start(pause);
    // Once per outage: a server that listens but fails the join (its
    // certificate refused, say) is not asked again at the probe's pace.
    if (!m_reached && !m_probeAnswered && pause > kProbeMs)
        m_probeTimer->start(kProbeMs);
}

void JanusRoom::Probe()
{
    if (m_stopped || !m_retry->isActive())
        return;
    if (!m_probe) {
        m_probe = new QTcpSocket(this);
        connect(m_probe, &QTcpSocket::connected, this, [this] {
            StopProbe();
            if (!m_retry->isActive())
                return;
            m_probeAnswered = true;
            const int spread = QRandomGenerator::global()->bounded(kProbeSpreadMs);
            qInfo().noquote() << "RTC engine: the media server listens again; joining in" << spread << "ms";
            m_retry->start(spread);
        });
        connect(m_probe, &QTcpSocket::errorOccurred, this, [this] {
            m_probe->abort();
            if (m_retry->isActive() && m_retry->remainingTime() > kProbeMs)
                m_probeTimer->start(kProbeMs);
        });
    }
    m_probe->abort();
    const bool secure = m_params.server.scheme() == QLatin1String("wss");
    m_probe->connectToHost(m_params.server.host(), quint16(m_params.server.port(secure ? 443 : 80)));
}

void JanusRoom::StopProbe()
{
    m_probeTimer->stop();
    if (m_probe)
        m_probe->abort();
}

void JanusRoom::DropSession()
{
    ++m_generation;
    m_pending.clear();
    m_keepAlive->stop();
    m_levels->stop();
    m_stats->stop();
    m_publisher.reset();
    m_sentBefore = {};
    DropSubscriber();
    m_waiting.clear();
    m_subscriberBusy = false;
    m_requested.clear();
    m_sending = false;
    m_sentMids.clear();
    m_joined = false;
    if (m_socket) {
        m_socket->disconnect(this);
        if (m_session && m_socket->state() == QAbstractSocket::ConnectedState) {
            Send({ { "janus", "destroy" }, { "session_id", m_session } });
            m_socket->flush();
        }
        m_socket->close();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_session = m_publisherHandle = m_subscriberHandle = 0;
    KeepOwnPicture();
}

} // namespace rtcnet
