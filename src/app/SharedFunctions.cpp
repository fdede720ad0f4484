#include "SharedFunctions.h"

#include "platform/PowerStatus.h"

#include <QDebug>
#include <QFontMetrics>
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

QString LoggableUrl(const QUrl& url)
{
    static const char* const secrets[] = { "password", "pwd", "passwd", "key", "token", "secret" };
    QUrlQuery query(url);
    auto items = query.queryItems(QUrl::FullyEncoded);
    bool changed = false;
    for (auto& item : items) {
        const QString name = item.first.toLower();
        for (const char* secret : secrets) {
            if (name.contains(QLatin1String(secret)) && !item.second.isEmpty()) {
                item.second = QStringLiteral("***");
                changed = true;
                break;
            }
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
