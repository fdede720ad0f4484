#include "Participant.h"

#include "ServiceFixture.h"

#include <QJsonArray>
#include <QJsonDocument>

Participant::Participant(const ServiceFixture& service, const QString& uid, const QString& room, const QString& name)
    : m_service(service)
    , m_uid(uid)
    , m_room(room)
    , m_name(name.isEmpty() ? uid : name)
{ }

static bool Ok(const QByteArray& answer)
{
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("ok")).toBool();
}

bool Participant::Join() const
{
    return Ok(m_service.ControlCall("POST", QStringLiteral("/_control/ws/participant/join"),
        { { "uid", m_uid }, { "room", m_room }, { "name", m_name } }));
}

bool Participant::Leave() const
{
    return Ok(m_service.ControlCall("POST", QStringLiteral("/_control/ws/participant/leave"), { { "uid", m_uid } }));
}

bool Participant::Send(int type, const QJsonObject& data, const QString& dest) const
{
    const QJsonObject message { { "type", type }, { "source", m_uid }, { "dest", dest.isEmpty() ? m_room : dest },
        { "data", data } };
    return Ok(m_service.ControlCall(
        "POST", QStringLiteral("/_control/ws/participant/send"), { { "uid", m_uid }, { "message", message } }));
}

QList<QJsonObject> Participant::Inbox(int type) const
{
    QString target = QStringLiteral("/_control/ws/participant/inbox?uid=") + m_uid;
    if (type > 0)
        target += QStringLiteral("&type=") + QString::number(type);
    QList<QJsonObject> messages;
    for (const QJsonValue message : QJsonDocument::fromJson(m_service.ControlCall("GET", target)).array())
        messages << message.toObject();
    return messages;
}
