#include "RoomControl.h"

#include "ServiceFixture.h"

#include <QJsonDocument>
#include <QUrl>
#include <QUrlQuery>

QJsonArray RoomControl::GetArray(const QString& target) const
{
    return QJsonDocument::fromJson(m_service.ControlCall("GET", target)).array();
}

bool RoomControl::PostOk(const QString& target, const QJsonObject& body) const
{
    const QByteArray answer = m_service.ControlCall("POST", target, body);
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("ok")).toBool();
}

int RoomControl::PostCount(const QString& target, const QJsonObject& body) const
{
    const QByteArray answer = m_service.ControlCall("POST", target, body);
    return QJsonDocument::fromJson(answer).object().value(QLatin1String("count")).toInt(-1);
}

QStringList RoomControl::SentTexts(const QString& uid, int type, const QString& path) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("path"), path);
    if (!uid.isEmpty())
        query.addQueryItem(QStringLiteral("uid"), uid);
    if (type > 0)
        query.addQueryItem(QStringLiteral("type"), QString::number(type));
    QStringList texts;
    const QJsonArray entries = GetArray(QStringLiteral("/_control/ws/sent?") + query.toString(QUrl::FullyEncoded));
    for (const QJsonValue entry : entries)
        texts << entry.toObject().value(QLatin1String("text")).toString();
    return texts;
}

QList<QJsonObject> RoomControl::Sent(const QString& uid, int type, const QString& path) const
{
    QList<QJsonObject> messages;
    for (const QString& text : SentTexts(uid, type, path))
        messages << QJsonDocument::fromJson(text.toUtf8()).object();
    return messages;
}

QJsonArray RoomControl::Attempts(const QString& path) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("path"), path);
    return GetArray(QStringLiteral("/_control/ws/attempts?") + query.toString(QUrl::FullyEncoded));
}

QJsonArray RoomControl::Connections() const
{
    return GetArray(QStringLiteral("/_control/ws/connections"));
}

int RoomControl::OpenCount(const QString& uid, const QString& path) const
{
    int count = 0;
    for (const QJsonValue conn : Connections()) {
        const QJsonObject item = conn.toObject();
        if (item.value(QLatin1String("uid")).toString() == uid && item.value(QLatin1String("path")).toString() == path)
            ++count;
    }
    return count;
}

int RoomControl::Push(const QString& uid, const QString& frame) const
{
    return PostCount(QStringLiteral("/_control/ws/push"), { { "uid", uid }, { "frame", frame } });
}

bool RoomControl::AddPages(const QString& room, const QJsonArray& pages) const
{
    return PostOk(QStringLiteral("/_control/ws/pages"), { { "room", room }, { "pages", pages } });
}

int RoomControl::Drop(const QString& uid, const QString& path) const
{
    return PostCount(QStringLiteral("/_control/ws/drop"), { { "uid", uid }, { "path", path } });
}

bool RoomControl::Refuse(int ms, const QString& path) const
{
    return PostOk(QStringLiteral("/_control/ws/refuse"), { { "ms", ms }, { "path", path } });
}

bool RoomControl::Late(int type, int ms) const
{
    return PostOk(QStringLiteral("/_control/ws/late"), { { "type", type }, { "ms", ms } });
}

bool RoomControl::EchoLate(int port, int ms) const
{
    return PostOk(QStringLiteral("/_control/ws/late"), { { "port", port }, { "ms", ms } });
}

bool RoomControl::SetPingInterval(int ms) const
{
    return PostOk(QStringLiteral("/_control/ws/config"), { { "ping_ms", ms } });
}
