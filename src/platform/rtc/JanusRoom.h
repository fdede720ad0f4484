#pragma once

// The engine's presence in one room of a Janus media server: the WebSocket
// control channel, the videoroom publisher that sends the local media and
// the one multi-stream subscriber that receives everybody else's. Lives in
// the engine's transport thread; every method runs there.
//
// Mapping: room = channel name, publisher id and display = the uid in
// decimal, every join carries the channel key as its token.

#include "PeerConnection.h"
#include "platform/RtcEngine.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QTimer;
class QWebSocket;

namespace rtcnet {

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
    QSet<unsigned> mutedPeers; // whose pictures are not wanted
};

// What the room tells the engine. Post runs f on the engine's callback
// thread (journaled as line) unless the engine has left since.
class RoomHooks : public MediaHooks
{
public:
    virtual void Post(const QString& line, std::function<void(rtc::IRtcEngineEventHandler*)> f) = 0;
    virtual void RemoteUserGone(unsigned uid) = 0;
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
    // Stops or resumes receiving uid's pictures.
    void SetPeerVideoMuted(unsigned uid, bool muted);
    // Link figures for the network-quality report (1 best ... 6 down);
    // any thread.
    void Quality(int& tx, int& rx) const;

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
    bool IsMutedMid(const QString& mid) const;
    void Trickle(qint64 handle, int mline, const QString& candidate);
    // The connection broke: report it, drop the session and join again.
    void Interrupt(const QString& why);
    void Refused(int code, const QString& text);
    void DropSession();

    JoinParams m_params;
    std::shared_ptr<RoomHooks> m_hooks;
    std::shared_ptr<Relay> m_relay;
    QWebSocket* m_socket = nullptr;
    QTimer* m_keepAlive = nullptr;
    QTimer* m_retry = nullptr;
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
    std::unique_ptr<PeerConnection> m_subscriber;
    std::shared_ptr<StreamOwners> m_owners;
    QMap<QString, unsigned> m_feeds; // publishers in the room by feed id
    QMap<unsigned, QPair<std::optional<bool>, std::optional<bool>>> m_mutes; // audio, video as reported
    QMap<QString, QString> m_sentMids; // by kind
    QMap<unsigned, QString> m_videoMids; // received pictures' streams by uid
    QSet<unsigned> m_mutedPeers; // whose pictures are not wanted
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
    QElapsedTimer m_interruptedAt;
    std::atomic<int> m_txQuality { 1 };
    std::atomic<int> m_rxQuality { 1 };
    std::atomic<qint64> m_slowTxAt { 0 };
    std::atomic<qint64> m_slowRxAt { 0 };
};

} // namespace rtcnet
