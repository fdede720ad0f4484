#include "SharedFunctions.h"

#include "platform/PowerStatus.h"

#include <QDebug>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

QString CreateUuidString()
{
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    qDebug() << "uuid: " << uuid;
    return uuid;
}

QString MachineKindFrom(int batteryFlag, int batteryPercent)
{
    // 128 is "no system battery" and a percentage above 100 "no reading".
    if (batteryFlag == 128 && batteryPercent > 100)
        return QStringLiteral("台式机");
    return QStringLiteral("笔记本");
}

QString GetMachineKind()
{
    int flag = 0;
    int percent = 0;
    if (!Platform::QueryPowerStatus(&flag, &percent)) {
        flag = 0;
        percent = 0;
    }
    return MachineKindFrom(flag, percent);
}

QString GetWindowsVersionName()
{
    return Platform::WindowsVersionName();
}

QString ElideText(const QFont& font, const QString& text, int maxWidth)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) >= maxWidth)
        return metrics.elidedText(text, Qt::ElideRight, maxWidth);
    return text;
}

QString PlainToolTip(const QString& text)
{
    if (text.isEmpty())
        return QString();
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

bool IsSecretName(const QString& name)
{
    static const char* const secrets[] = { "password", "pwd", "passwd", "key", "token", "secret" };
    const QString lower = name.toLower();
    for (const char* secret : secrets) {
        if (lower.contains(QLatin1String(secret)))
            return true;
    }
    return false;
}

QString LoggableUrl(const QUrl& url)
{
    QUrlQuery query(url);
    auto items = query.queryItems(QUrl::FullyEncoded);
    bool changed = false;
    for (auto& item : items) {
        if (IsSecretName(item.first) && !item.second.isEmpty()) {
            item.second = QStringLiteral("***");
            changed = true;
        }
    }
    if (!changed)
        return url.toString();
    query.setQueryItems(items);
    QUrl redacted(url);
    redacted.setQuery(query);
    return redacted.toString();
}

QString LoggableUrl(const QString& url)
{
    return LoggableUrl(QUrl(url));
}

static QJsonValue Redacted(const QJsonValue& value)
{
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        for (auto item = array.begin(); item != array.end(); ++item)
            *item = Redacted(*item);
        return array;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    for (auto item = object.begin(); item != object.end(); ++item) {
        // Whatever a secret's key holds goes, nested values too; only an
        // absent value stays visible as such.
        const QJsonValue held = item.value();
        const bool empty = held.isNull() || (held.isString() && held.toString().isEmpty());
        *item = IsSecretName(item.key()) && !empty ? QJsonValue(QStringLiteral("***")) : Redacted(held);
    }
    return object;
}

QString LoggableJson(const QJsonDocument& document)
{
    const QJsonDocument shown = document.isArray() ? QJsonDocument(Redacted(document.array()).toArray())
                                                   : QJsonDocument(Redacted(document.object()).toObject());
    return QString::fromUtf8(shown.toJson(QJsonDocument::Compact));
}

QString LoggableBody(const QByteArray& body, int limit)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || document.isNull())
        return QStringLiteral("(%1 bytes, not JSON)").arg(body.size());
    const QString shown = LoggableJson(document);
    return shown.size() > limit ? shown.left(limit) + QStringLiteral("...") : shown;
}
