#pragma once

#include "SignallingDispatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>
#include <functional>

class QSslCertificate;

// What the signalling client reads from its owner (the session worker).
class SignallingPeer
{
public:
    // The kind of the last logout message sent; non-zero: the client no
    // longer reopens, sends or dispatches.
    virtual int GetLogoutStatus() const = 0;
    // True once the server choice ran in this run: the connection is then
    // announced on the loading screen.
    virtual bool IsProbeDone() const = 0;
    // The table that routes received messages; null drops them.
    virtual const SignallingDispatch* GetDispatch() const = 0;

protected:
    ~SignallingPeer() = default;
};

// The client end of a class room's signalling connection: one WebSocket
// carrying JSON text messages. Opens the connection and reopens it whenever
// it drops unless closed for good, with pauses of 1 s growing to 30 s while
// the server stays away or drops each connection soon after opening it,
// until the room is left; raises the network-lost notice once three
// connections in a row have failed; the storm guard still closes for good
// should openings ever come in a tight loop. Splits received frames into
// messages and routes them by type through the peer's dispatch table. Lives
// in the thread that made it (the "Profile Manager" thread); not shared.
class WebSockClient : public QObject
{
    Q_OBJECT

public:
    struct Options {
        // Seconds since 1970; the system clock when empty.
        std::function<qint64()> clock;
        // The name the server's certificate must carry when the URL names
        // the server by another name or address (a chosen candidate of the
        // classroom host). Empty: the URL's host.
        QString peerVerifyName;
        // Largest message (and frame) accepted; longer ones are dropped.
        int maxMessageBytes = SignallingDispatch::kDefaultMaxBytes;
        // Pause before the first reopening after a drop; each failed
        // reopening doubles it, up to the longest.
        int reconnectFirstMs = 1000;
        int reconnectMaxMs = 30000;
        // A connection that drops sooner after opening counts as failed: a
        // server that accepts and drops every connection is not "back".
        int stableMs = 10000;
        // Single-shot: a drop ends the connection, nothing reopens it and
        // no notice is raised (the probe connection of the server choice).
        bool singleShot = false;
    };

    // Opens url at once. peer may be null (nothing is dispatched then).
    WebSockClient(const QUrl& url, SignallingPeer* peer, QObject* parent = nullptr);
    WebSockClient(const QUrl& url, SignallingPeer* peer, const Options& options, QObject* parent = nullptr);
    ~WebSockClient() override;

    // Sends one text frame; returns the text's length in characters when
    // the socket is connected and took it, else 0.
    int onTextMessageSend(const QString& text);
    // Closes for good: no reopening after this.
    void DisConnect();
    // True once the connection was open at least once since the last
    // (re)opening.
    bool WasConnected() const { return m_wasConnected; }
    // The storm test: true when three openings lie within the two seconds
    // before now.
    bool JudgeConnectStatus();
    // Forgets the peer; nothing received reaches it any more. For an owner
    // that lets the client go.
    void Detach() { m_peer = nullptr; }

    QAbstractSocket::SocketState GetState() const { return m_socket.state(); }
    QUrl GetUrl() const { return m_url; }
    // 1 while the client reopens after a drop, 2 once closed for good.
    int GetCloseFlag() const { return m_closeFlag; }

    // True when cert is issued to name (DNS or IP entries of the subject
    // alternative names, else the common name; "*." matches one label).
    static bool CertificateMatches(const QSslCertificate& cert, const QString& name);

signals:
    // After each reopening.
    void Created();
    // The connection is open.
    void connected();
    // A single-shot connection ended (or never opened); nothing reopens it.
    void Closed();

public slots:
    void onConnected();
    void OnDisConnect();
    void onTextMessageReceived(const QString& message);
    void onCreated();

private:
    void OnSslErrors(const QList<QSslError>& errors);
    void Open();
    void Reopen();
    qint64 Now() const;

    static const int kWindowSeconds = 2;
    static const int kThreshold = 3;
    static const int kRingSize = 5;

    QWebSocket m_socket;
    int m_closeFlag = 1;
    quint32 m_times[kRingSize] = {};
    int m_index = 0;
    QUrl m_url;
    SignallingPeer* m_peer = nullptr;
    Options m_options;
    QTimer m_reopenTimer;
    int m_nextPauseMs = 0;
    // Connections in a row that never opened or dropped soon after.
    int m_failures = 0;
    bool m_wasConnected = false;
    QElapsedTimer m_connectedFor;
};
