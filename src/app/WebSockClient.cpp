#include "WebSockClient.h"

#include "Nexus.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"

#include <QDateTime>
#include <QDebug>
#include <QHostAddress>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QThread>

WebSockClient::WebSockClient(const QUrl& url, SignallingPeer* peer, QObject* parent)
    : WebSockClient(url, peer, Options(), parent)
{ }

WebSockClient::WebSockClient(const QUrl& url, SignallingPeer* peer, const Options& options, QObject* parent)
    : QObject(parent)
    , m_socket(QString(), QWebSocketProtocol::VersionLatest, nullptr)
    , m_url(url)
    , m_peer(peer)
    , m_options(options)
{
    qDebug() << "WebSocket server:" << url.toString(QUrl::RemoveQuery) << ",thread" << QThread::currentThread();
    const int cap = options.maxMessageBytes > 0 ? options.maxMessageBytes : SignallingDispatch::kDefaultMaxBytes;
    m_options.maxMessageBytes = cap;
    m_socket.setMaxAllowedIncomingMessageSize(quint64(cap));
    m_socket.setMaxAllowedIncomingFrameSize(quint64(cap));
    connect(&m_socket, &QWebSocket::connected, this, &WebSockClient::onConnected, Qt::DirectConnection);
    connect(&m_socket, &QWebSocket::disconnected, this, &WebSockClient::OnDisConnect, Qt::DirectConnection);
    connect(
        &m_socket, &QWebSocket::textMessageReceived, this, &WebSockClient::onTextMessageReceived, Qt::DirectConnection);
    connect(&m_socket, &QWebSocket::sslErrors, this, &WebSockClient::OnSslErrors, Qt::DirectConnection);
    connect(
        &m_socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
        [this](QAbstractSocket::SocketError error) {
            qDebug() << "WebSockClient error:" << error << m_socket.errorString();
            // A refused handshake (an error status instead of the upgrade)
            // leaves the connection half open: drop it, so that the
            // reopening and its storm guard take over.
            const QAbstractSocket::SocketState state = m_socket.state();
            if (state != QAbstractSocket::UnconnectedState && state != QAbstractSocket::ConnectedState)
                m_socket.abort();
        },
        Qt::DirectConnection);
    connect(this, &WebSockClient::Created, this, &WebSockClient::onCreated, Qt::DirectConnection);
    m_options.reconnectFirstMs = qMax(1, m_options.reconnectFirstMs);
    m_options.reconnectMaxMs = qMax(m_options.reconnectFirstMs, m_options.reconnectMaxMs);
    m_nextPauseMs = m_options.reconnectFirstMs;
    m_reopenTimer.setSingleShot(true);
    connect(&m_reopenTimer, &QTimer::timeout, this, &WebSockClient::Reopen);
    Open();
    // The first opening is recorded like every reopening.
    onCreated();
}

WebSockClient::~WebSockClient()
{
    m_reopenTimer.stop();
    m_peer = nullptr;
    m_closeFlag = 2;
    m_socket.disconnect(this);
    m_socket.abort();
}

qint64 WebSockClient::Now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentSecsSinceEpoch();
}

void WebSockClient::Open()
{
    QNetworkRequest request(m_url);
    if (!m_options.peerVerifyName.isEmpty())
        request.setPeerVerifyName(m_options.peerVerifyName);
    m_socket.open(request);
}

int WebSockClient::onTextMessageSend(const QString& text)
{
    const QAbstractSocket::SocketState state = m_socket.state();
    if (state == QAbstractSocket::UnconnectedState) {
        qDebug() << "in WebSockClient::onTextMessageSend, and websocket state is UnconnectedState";
        return 0;
    }
    const int logout = m_peer ? m_peer->GetLogoutStatus() : 0;
    if (logout != 0) {
        qDebug() << "in WebSockClient::onTextMessageSend, has logout and no need send msg,LogOutStatus:" << logout;
        return 0;
    }
    // A text handed to a socket that is not open yet (or closing) is lost;
    // it is not reported as sent.
    if (state != QAbstractSocket::ConnectedState) {
        qDebug() << "in WebSockClient::onTextMessageSend, not connected and not sent, state:" << state;
        return 0;
    }
    m_socket.sendTextMessage(text);
    m_socket.flush();
    return text.size();
}

void WebSockClient::DisConnect()
{
    qDebug() << "into WebSockClient::DisConnect, and prestate webstate:" << m_socket.state()
             << ",m_closeFlag:" << m_closeFlag;
    m_closeFlag = 2;
    m_reopenTimer.stop();
    m_socket.close(QWebSocketProtocol::CloseCodeNormal, QString());
}

void WebSockClient::OnDisConnect()
{
    if (!m_peer)
        return;
    qDebug() << "into WebSockClient::OnDisConnect, and prestate webstate:" << m_socket.state()
             << ",m_closeFlag:" << m_closeFlag;
    if (m_socket.closeCode() == QWebSocketProtocol::CloseCodeTooMuchData)
        qWarning() << "onTextMessageReceived, message too large and dropped, connection closed:"
                   << m_socket.closeReason();
    const int logout = m_peer->GetLogoutStatus();
    if (logout != 0) {
        qDebug() << "WebSockClient::OnDisConnect, has logout and no need send msg,LogOutStatus:" << logout;
        return;
    }
    if (m_options.singleShot) {
        qDebug() << "into WebSockClient::OnDisConnect, single-shot connection ended, connected before:"
                 << m_wasConnected;
        m_closeFlag = 2;
        emit Closed();
        return;
    }
    if (m_closeFlag == 1 && !m_reopenTimer.isActive()) {
        if (m_wasConnected && m_connectedFor.elapsed() >= m_options.stableMs) {
            m_failures = 0;
            m_nextPauseMs = m_options.reconnectFirstMs;
        } else if (++m_failures == 3) {
            // Raised once per outage; the reopening goes on.
            if (MiddleArea* area = Nexus::GetMiddleArea())
                emit area->ShowMsgNotifyWidget(NotifyNetworkLost);
        }
        const int pause = m_nextPauseMs;
        m_nextPauseMs = qMin(pause * 2, m_options.reconnectMaxMs);
        qDebug() << "into WebSockClient::OnDisConnect, reopening in ms:" << pause
                 << ",failed connections:" << m_failures;
        m_reopenTimer.start(pause);
    }
    qDebug() << "into WebSockClient::OnDisConnect, and after webstate:" << m_socket.state();
}

void WebSockClient::Reopen()
{
    if (m_closeFlag != 1 || !m_peer || m_peer->GetLogoutStatus() != 0)
        return;
    m_socket.abort();
    m_wasConnected = false;
    Open();
    emit Created();
}

// Recorded and tested whatever the server look-up did: a refusing server
// must never make the socket reopen in a tight loop.
void WebSockClient::onCreated()
{
    if (JudgeConnectStatus()) {
        DisConnect();
        if (MiddleArea* area = Nexus::GetMiddleArea())
            emit area->ShowMsgNotifyWidget(NotifyNetworkLost);
        return;
    }
    m_times[m_index] = quint32(Now());
    m_index = (m_index + 1) % kRingSize;
}

bool WebSockClient::JudgeConnectStatus()
{
    const qint64 now = Now();
    int inWindow = 0;
    for (quint32 time : m_times) {
        if (time > 0 && now - qint64(time) < kWindowSeconds)
            ++inWindow;
    }
    qDebug() << "into JudgeConnectStatus, and _inThreshOldTimes:" << inWindow;
    return inWindow >= kThreshold;
}

void WebSockClient::onConnected()
{
    // The socket checks the certificate against the address it dialled; a
    // server standing in for another host must show that host's
    // certificate, even when the one it shows is good for its address.
    const QString name = m_options.peerVerifyName;
    if (m_url.scheme() == QLatin1String("wss") && !name.isEmpty()
        && name.compare(m_url.host(), Qt::CaseInsensitive) != 0
        && !CertificateMatches(m_socket.sslConfiguration().peerCertificate(), name)) {
        qWarning() << "WebSockClient TLS error: certificate not issued to" << name
                   << ",url:" << m_url.toString(QUrl::RemoveQuery);
        m_socket.abort();
        return;
    }
    qDebug() << "WebSocket connected ok";
    m_wasConnected = true;
    m_connectedFor.start();
    if (m_peer && m_peer->IsProbeDone()) {
        if (Nexus* hub = Nexus::Instance())
            emit hub->RendLoadingMsg(QStringLiteral("提示:socket connected"));
    }
    emit connected();
}

void WebSockClient::onTextMessageReceived(const QString& message)
{
    if (!m_peer)
        return;
    const int logout = m_peer->GetLogoutStatus();
    if (logout != 0) {
        qDebug() << "into onTextMessageReceived, and current state is logout state, msg:" << message;
        return;
    }
    const SignallingDispatch* dispatch = m_peer->GetDispatch();
    if (!dispatch)
        return;
    if (message.size() > m_options.maxMessageBytes) {
        qWarning() << "onTextMessageReceived, frame too large and dropped, characters:" << message.size();
        return;
    }
    // A handler may let this client go or log the user out; the rest of the
    // frame is then not for anyone.
    dispatch->HandleFrame(message.toUtf8(), [this] { return m_peer && m_peer->GetLogoutStatus() == 0; });
}

void WebSockClient::OnSslErrors(const QList<QSslError>& errors)
{
    const QString name = m_options.peerVerifyName;
    bool onlyName = !name.isEmpty() && name.compare(m_url.host(), Qt::CaseInsensitive) != 0;
    for (const QSslError& error : errors) {
        qWarning() << "WebSockClient TLS error:" << error.errorString() << ",url:" << m_url.toString(QUrl::RemoveQuery);
        if (error.error() != QSslError::HostNameMismatch)
            onlyName = false;
    }
    // The chain is trusted and the certificate belongs to the classroom
    // host that this address stands for: the name check passes.
    if (onlyName && CertificateMatches(m_socket.sslConfiguration().peerCertificate(), name)) {
        qDebug() << "WebSockClient, certificate verified for" << name;
        m_socket.ignoreSslErrors(errors);
    }
}

static bool NameMatches(const QString& pattern, const QString& name)
{
    if (pattern.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    if (!pattern.startsWith(QLatin1String("*.")))
        return false;
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot > 0 && pattern.midRef(1).compare(name.midRef(dot), Qt::CaseInsensitive) == 0;
}

bool WebSockClient::CertificateMatches(const QSslCertificate& cert, const QString& name)
{
    if (cert.isNull() || name.isEmpty())
        return false;
    const QHostAddress address(name);
    const auto alternatives = cert.subjectAlternativeNames();
    if (!address.isNull()) {
        for (const QString& entry : alternatives.values(QSsl::IpAddressEntry)) {
            if (QHostAddress(entry) == address)
                return true;
        }
        return false;
    }
    const QStringList dnsNames = alternatives.values(QSsl::DnsEntry);
    for (const QString& entry : dnsNames) {
        if (NameMatches(entry, name))
            return true;
    }
    if (!dnsNames.isEmpty())
        return false;
    for (const QString& common : cert.subjectInfo(QSslCertificate::CommonName)) {
        if (NameMatches(common, name))
            return true;
    }
    return false;
}
