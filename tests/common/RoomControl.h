#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

class ServiceFixture;

// The signalling side of the local classroom service: what clients sent,
// their connection attempts, and what a test makes the service do to them.
// Synchronous calls that run no event loop.
class RoomControl
{
public:
    explicit RoomControl(const ServiceFixture& service)
        : m_service(service)
    { }

    // Every message the clients sent on path (oldest first), each parsed;
    // only user uid's when uid is given, only that type when type > 0.
    QList<QJsonObject> Sent(const QString& uid = QString(), int type = 0, const QString& path = "/ws") const;
    // The raw texts of the same.
    QStringList SentTexts(const QString& uid = QString(), int type = 0, const QString& path = "/ws") const;
    // Connection attempts on path: "path", "port", "query" (object),
    // "accepted", "time".
    QJsonArray Attempts(const QString& path = "/ws") const;
    // Open connections: "conn", "uid", "name", "room", "path", "port".
    QJsonArray Connections() const;
    int OpenCount(const QString& uid, const QString& path = "/ws") const;

    // Sends the raw frame text to user uid's connections; how many got it.
    int Push(const QString& uid, const QString& frame) const;
    // Adds pages (objects as a page list names them) to room's list.
    bool AddPages(const QString& room, const QJsonArray& pages) const;
    // Cuts user uid's connections without a close frame.
    int Drop(const QString& uid, const QString& path = "/ws") const;
    // Refuses new connections on path for ms milliseconds.
    bool Refuse(int ms, const QString& path = "/ws") const;
    // Answers of type leave ms later (0: at once again).
    bool Late(int type, int ms) const;
    // Echoes of the delay probe on port leave ms later.
    bool EchoLate(int port, int ms) const;
    bool SetPingInterval(int ms) const;

private:
    QJsonArray GetArray(const QString& target) const;
    bool PostOk(const QString& target, const QJsonObject& body) const;
    int PostCount(const QString& target, const QJsonObject& body) const;

    const ServiceFixture& m_service;
};
