#include "UserRole.h"

#include <QDateTime>

unsigned char GetRoleByName(const QString& name)
{
    if (name == QLatin1String("TEACHER") || name == QLatin1String("TUTOR") || name == QLatin1String("SUPERVISOR")
        || name == QLatin1String("SUPPORTER"))
        return RoleTeacher;
    if (name == QLatin1String("STUDENT") || name == QLatin1String("PUB_STUDENT"))
        return RoleStudent;
    if (name == QLatin1String("AUDITOR") || name == QLatin1String("PUB_GHOST"))
        return RoleAuditor;
    if (name == QLatin1String("LISTENER"))
        return RoleListener;
    return RoleNone;
}

int GetTimeOfDay(TimeOfDay* record)
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    record->sec = int(ms / 1000);
    record->usec = int(ms % 1000) * 1000;
    return 0;
}
