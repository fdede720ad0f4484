#include "SharedFunctions.h"

#include "platform/PowerStatus.h"

#include <QDebug>
#include <QFontMetrics>
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
