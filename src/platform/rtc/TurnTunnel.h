#pragma once

// The engine's own road to a TURN relay over TLS. libnice speaks TURN over
// TCP but no real TLS (only a fake handshake), so a relay named "turns:" is
// reached through a local port whose every connection is carried to the
// relay in a TLS connection, its certificate verified as every other one of
// the client's (the default TLS configuration's trusted CAs, the relay's
// name or address).

#include "IceServers.h"

#include <QObject>
#include <QStringList>
#include <QTcpServer>

namespace rtcnet {

class TurnTunnel : public QObject
{
    Q_OBJECT

public:
    TurnTunnel(const QString& host, quint16 port, QObject* parent);
    // Listens on a free port of 127.0.0.1; the port, 0 when none.
    quint16 Listen();

private:
    void OnConnection();

    QTcpServer m_server;
    QString m_host;
    quint16 m_port;
};

// The relays as webrtcbin takes them; one tunnel (a child of owner, living
// in its thread) for each relay over TLS.
QStringList OpenRelays(const QList<IceRelay>& relays, QObject* owner);

} // namespace rtcnet
