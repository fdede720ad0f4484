#pragma once

// The engine's presence in one room of a Janus media server: the WebSocket
// control channel, the videoroom publisher that sends the local media and
// the one multi-stream subscriber that receives everybody else's. Lives in
// the engine's transport thread; every method runs there.
//
// Mapping: room = channel name, publisher id and display = the uid in
// decimal, every join carries the channel key as its token.

#include "IceServers.h"
#include "PeerConnection.h"
#include "RtcMedia.h"
#include "SendRate.h"
#include "VideoPause.h"
#include "platform/RtcEngine.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;
class QTimer;
class QWebSocket;

namespace rtcnet {

// How long a lesson may go without reaching its media server before the
// loss is reported.
constexpr int kLostAfterMs = 10000;

struct JoinParams {
    QUrl server;
    QString key;
    QString room;
    unsigned uid = 0;
    QString microphone; // device ids
    QString camera;
    bool sendAudio = false;
    bool sendVideo = false;
    bool audioMuted = false;
    bool videoMuted = false;
    QSet<unsigned> wantedPeers; // whose pictures are wanted: shown in a view, not switched off
    QList<IceRelay> relays;
};

// What the room tells the engine. Post runs f on the engine's callback
// thread (journaled as line) unless the engine has left since.
class RoomHooks : public MediaHooks
{
public:
    virtual void Post(const QString& line, std::function<void(rtc::IRtcEngineEventHandler*)> f) = 0;
    virtual void RemoteUserGone(unsigned uid) = 0;
};

// The room's link figures for the engine's periodic reports. Qualities:
// 0 unknown, 1 excellent, 2 good, 3 poor, 4 bad, 5 very bad, 6 down.
struct LinkReport {
    int tx = 0; // the local user's link to the server
    int rx = 0;
    qint64 txBytes = 0;
    qint64 rxBytes = 0;
    unsigned users = 1; // in the room, the local user too
    struct Remote {
        unsigned uid = 0;
        int quality = 0; // of what arrives of the user
        bool audio = false; // the user's sound is received
        int audioQuality = 0;
        int delayMs = 0;
        int lostPercent = 0;
    };
    QList<Remote> remotes;
};

class JanusRoom : public QObject
{
public:
    JanusRoom(JoinParams params, std::shared_ptr<RoomHooks> hooks);
    ~JanusRoom() override;

    void Start();
    // Leaves the room and ends every connection; nothing is reported after.
    void Stop();
    void SetAudioMuted(bool muted);
    void SetVideoMuted(bool muted);
    // Resumes or pauses receiving uid's pictures.
    void SetPeerVideoWanted(unsigned uid, bool wanted);
    // The latest link figures; any thread.
    LinkReport Report() const;

private:
    using Reply = std::function<void(const QJsonObject&)>;

    void Connect();
    void OnConnected();
    void OnDisconnected();
    void OnText(const QString& text);
    void Send(QJsonObject message, Reply reply = {});
    void SendToHandle(qint64 handle, const QJsonObject& body, const QJsonObject& jsep = {}, Reply reply = {});
    void Attach(std::function<void(qint64)> done);
    void JoinAsPublisher();
    void OnPublisherEvent(const QJsonObject& data, const QJsonObject& jsep);
    void OnSubscriberEvent(const QJsonObject& data, const QJsonObject& jsep);
    void Publish();
    // While nothing is sent (before the join, or the server out of reach)
    // the camera that is on still shows its user their own picture.
    void KeepOwnPicture();
    // What a peer connection on the handle kept in handleOf reports; its
    // local description goes out with request.
    PeerConnection::Events PeerEvents(qint64 JanusRoom::*handleOf, const char* request);
    void AddPublishers(const QJsonArray& publishers);
    void RemovePublisher(const QString& feed);
    // Tells the room which of the sent streams are muted.
    void AnnounceMutes();
    // Reports the mutes a publisher's streams show, where they changed.
    void ReadMutes(unsigned uid, const QJsonArray& streams);
    void Subscribe();
    void ReadStreams(const QJsonArray& streams);
    // Forgets the subscription; its feeds wait to be asked for again.
    void DropSubscriber();
    // Whether uid's sound (or pictures) should arrive: not described muted
    // and, for pictures, wanted.
    bool Expected(unsigned uid, bool sound) const;
    // Whether the server is to forward uid's pictures: wanted, and not held
    // back for a downlink that cannot carry them.
    bool VideoSent(unsigned uid) const;
    // A stream of pictures not sent: the server holds it back.
    bool IsPausedMid(const QString& mid) const;
    // Tells the server whether to forward uid's pictures.
    void ConfigureVideo(unsigned uid);
    void Trickle(qint64 handle, int mline, const QString& candidate);
    // The connection broke: report it, drop the session and join again.
    void Interrupt(const QString& why);
    // Whether a server that could not be reached listens again.
    void Probe();
    void StopProbe();
    void Refused(int code, const QString& text);
    void DropSession();
    // A measurement of the publisher's and of the subscriber's connection.
    void OnSent(const LinkCounts& counts);
    // Measures the subscriber's connection.
    void MeasureReceived();
    void OnReceived(const LinkCounts& counts);
    // One measurement's loss on uid's pictures and sound (negative: none
    // due): holds the pictures back, or asks for them again.
    void WatchVideoLoss(unsigned uid, double videoLoss, double soundLoss);
    // Makes the report of the latest measurements.
    void Compose();

    JoinParams m_params;
    std::shared_ptr<RoomHooks> m_hooks;
    std::shared_ptr<Relay> m_relay;
    QWebSocket* m_socket = nullptr;
    QTimer* m_keepAlive = nullptr;
    QTimer* m_retry = nullptr;
    QTimer* m_lostTimer = nullptr;
    QTimer* m_probeTimer = nullptr;
    QTcpSocket* m_probe = nullptr;
    bool m_reached = false; // the latest connection reached the server
    bool m_probeAnswered = false; // since the latest join
    int m_retryPauseMs = 1000; // the next pause before joining again
    QTimer* m_levels = nullptr;
    QTimer* m_stats = nullptr;
    bool m_stopped = false;
    bool m_refused = false;
    int m_generation = 0; // bumped when a session is dropped
    qint64 m_session = 0;
    qint64 m_publisherHandle = 0;
    qint64 m_subscriberHandle = 0;
    QString m_privateId;
    std::unique_ptr<PeerConnection> m_publisher;
    rtcmedia::Preview m_ownPicture;
    std::unique_ptr<PeerConnection> m_subscriber;
    std::shared_ptr<StreamOwners> m_owners;
    QMap<QString, unsigned> m_feeds; // publishers in the room by feed id
    QMap<unsigned, QPair<std::optional<bool>, std::optional<bool>>> m_mutes; // audio, video as reported
    QMap<QString, QString> m_sentMids; // by kind
    QMap<unsigned, QString> m_videoMids; // received pictures' streams by uid
    QSet<unsigned> m_wantedPeers; // whose pictures are wanted
    QMap<unsigned, VideoPause> m_videoPauses; // of the wanted pictures, by uid
    QMap<unsigned, int> m_unreported; // measurements in a row without the server's report on the sound
    QSet<QString> m_subscribed; // feeds asked of the subscriber
    QList<QString> m_waiting; // feeds to ask for once the subscriber is ready
    QList<QString> m_requested; // feeds of the join or update under way
    bool m_subscriberBusy = false; // a join or update awaits its answer
    bool m_staleStreams = false; // the subscription holds streams of feeds gone
    QSet<QString> m_knownMids; // the subscriber's streams
    QList<QString> m_newMids; // streams to configure once started
    QMap<QString, Reply> m_pending; // by transaction
    quint64 m_transaction = 0;
    bool m_joined = false; // in the room in this session
    bool m_sending = false; // the publisher's media is up
    bool m_everJoined = false;
    bool m_interrupted = false;
    bool m_lost = false;
    QElapsedTimer m_joinedFor;
    qint64 m_slowTxAt = 0;
    qint64 m_slowRxAt = 0;
    // The subscriber's streams by ssrc: m-line index, whether it is sound.
    QMap<quint32, QPair<int, bool>> m_ssrcs;
    // Counts of the previous measurement, qualities and figures of the
    // latest (0 while unmeasured).
    LinkCounts m_sentBefore;
    SendRate m_sendRate; // of the current publisher
    QStringList m_turnServers; // the relays, as webrtcbin takes them
    QMap<quint32, QPair<StreamCounts, int>> m_receivedBefore; // and measurements since it came
    QElapsedTimer m_receivedAt; // the previous measurement of the subscriber
    int m_unheard = 0; // measurements in a row with no new receiver report
    int m_txMeasured = 0;
    int m_rxMeasured = 0;
    LinkReport m_measured;
    mutable QMutex m_reportLock;
    LinkReport m_report; // guarded by m_reportLock
};

} // namespace rtcnet
