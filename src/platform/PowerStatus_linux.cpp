#include "PowerStatus.h"

#include <QDir>
#include <QFile>

namespace Platform {

static QByteArray ReadSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(64).trimmed();
}

bool QueryPowerStatusFrom(const QString& powerSupplyDir, int* batteryFlag, int* batteryPercent)
{
    *batteryFlag = 0;
    *batteryPercent = 0;
    QDir dir(powerSupplyDir);
    if (!dir.exists())
        return false;
    const QStringList supplies = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : supplies) {
        const QString base = dir.filePath(name);
        if (ReadSmallFile(base + "/type") != "Battery")
            continue;
        const QByteArray present = ReadSmallFile(base + "/present");
        if (!present.isEmpty() && present != "1")
            continue;
        bool ok = false;
        const int capacity = ReadSmallFile(base + "/capacity").toInt(&ok);
        *batteryFlag = 8;
        *batteryPercent = ok ? qBound(0, capacity, 100) : 255;
        return true;
    }
    *batteryFlag = 128;
    *batteryPercent = 255;
    return true;
}

bool QueryPowerStatus(int* batteryFlag, int* batteryPercent)
{
    return QueryPowerStatusFrom(QStringLiteral("/sys/class/power_supply"), batteryFlag, batteryPercent);
}

QString WindowsVersionName()
{
    return QString();
}

} // namespace Platform
