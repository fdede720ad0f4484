#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class ServiceFixture;

// A member of a class room on the local service without a client of its
// own: it joins, sends through the room's logic like a connected client,
// and shows what the room sent to it. Synchronous; runs no event loop.
class Participant
{
public:
    Participant(
        const ServiceFixture& service, const QString& uid, const QString& room, const QString& name = QString());

    bool Join() const;
    bool Leave() const;
    // Sends {type, source, dest, data}; dest empty means the room.
    bool Send(int type, const QJsonObject& data, const QString& dest = QString()) const;
    // What the room sent to it (only that type when type > 0), oldest first.
    QList<QJsonObject> Inbox(int type = 0) const;

private:
    const ServiceFixture& m_service;
    QString m_uid;
    QString m_room;
    QString m_name;
};
