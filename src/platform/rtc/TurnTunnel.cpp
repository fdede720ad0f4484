#include "TurnTunnel.h"

#include <QDebug>
#include <QHostAddress>
#include <QSslSocket>

namespace rtcnet {

TurnTunnel::TurnTunnel(const QString& host, quint16 port, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_port(port)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TurnTunnel::OnConnection);
}

quint16 TurnTunnel::Listen()
{
    return m_server.listen(QHostAddress::LocalHost) ? m_server.serverPort() : 0;
}

void TurnTunnel::OnConnection()
{
    while (QTcpSocket* plain = m_server.nextPendingConnection()) {
        // The TLS side dies with the plain one.
        auto* tls = new QSslSocket(plain);
        tls->setPeerVerifyName(m_host);
        const auto forward = [plain, tls] {
            if (tls->isEncrypted())
                tls->write(plain->readAll());
        };
        connect(plain, &QTcpSocket::readyRead, tls, forward);
        connect(tls, &QSslSocket::encrypted, tls, forward);
        connect(tls, &QSslSocket::readyRead, plain, [plain, tls] { plain->write(tls->readAll()); });
        connect(tls, QOverload<const QList<QSslError>&>::of(&QSslSocket::sslErrors), tls,
            [host = m_host](const QList<QSslError>& errors) {
                // Not ignored: the handshake fails and the connection closes.
                qWarning().noquote() << "RTC engine: the relay" << host
                                     << "is not trusted:" << errors.value(0).errorString();
            });
        connect(tls, &QAbstractSocket::disconnected, plain, &QAbstractSocket::disconnectFromHost);
        connect(tls, &QAbstractSocket::errorOccurred, plain, [plain] { plain->disconnectFromHost(); });
        connect(plain, &QAbstractSocket::disconnected, plain, [plain, tls] {
            tls->abort();
            plain->deleteLater();
        });
        tls->connectToHostEncrypted(m_host, m_port);
    }
}

QStringList OpenRelays(const QList<IceRelay>& relays, QObject* owner)
{
    QStringList uris;
    for (const IceRelay& relay : relays) {
        if (!relay.tls) {
            uris << TurnUri(relay, relay.host, relay.port);
            continue;
        }
        auto* tunnel = new TurnTunnel(relay.host, relay.port, owner);
        const quint16 port = tunnel->Listen();
        if (port == 0) {
            qWarning() << "RTC engine: no local port for the tunnel to a relay";
            delete tunnel;
            continue;
        }
        uris << TurnUri(relay, QStringLiteral("127.0.0.1"), port);
    }
    return uris;
}

} // namespace rtcnet
