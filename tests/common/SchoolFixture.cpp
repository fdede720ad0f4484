#include "SchoolFixture.h"

#include "ServiceFixture.h"
#include "TestSupport.h"

#include "app/AppNativeProperty.h"
#include "app/HttpClient.h"
#include "app/Profile.h"
#include "session/DataManager.h"

#include <QJsonDocument>

namespace SchoolFixture {

QJsonObject Demo()
{
    return QJsonDocument::fromJson(
        TestSupport::ReadFile(QStringLiteral(PLOVIX_SERVICE_DIR "/fixtures/demo_school.json")))
        .object();
}

QJsonObject Session(const QString& sessionId, int startMinutes, int minutes)
{
    return QJsonObject {
        { "sessionId", sessionId },
        { "schoolId", "1" },
        { "courseName", "课程 " + sessionId },
        { "sessionName", "课次 " + sessionId },
        { "group", "小班课" },
        { "teacherId", "57" },
        { "roomNo", "R1" + sessionId },
        { "roomPwd", "p" + sessionId },
        { "roomName", "教室 " + sessionId },
        { "roomType", "128" },
        { "start", QJsonObject { { "minutes", startMinutes } } },
        { "minutes", minutes },
        { "snapshot", "list-" + sessionId + ".png" },
        { "students", QJsonArray { "58", "59" } },
        { "users", QJsonArray { "61", "62" } },
        { "recording", true },
    };
}

QJsonArray Series(const QString& prefix, int count, int firstDays)
{
    QJsonArray sessions;
    const int step = firstDays < 0 ? -1 : 1;
    for (int i = 1; i <= count; ++i)
        sessions.append(Session(prefix + QString::number(i), (firstDays + step * (i - 1)) * 24 * 60));
    return sessions;
}

QJsonObject WithSessions(QJsonObject fixture, const QJsonArray& sessions)
{
    fixture.insert(QStringLiteral("sessions"), sessions);
    return fixture;
}

bool UseServiceProperties(Profile* profile, const ServiceFixture& service)
{
    HttpClient client;
    client.SetReplyMode(HttpClient::ReplyBody);
    if (!profile || !client.SendRequest(service.HttpUrl("/vesk-servers.properties"), HttpClient::MethodGet, nullptr))
        return false;
    const QString backup = AppNativeProperty::GetWritableDir() + QStringLiteral("vesk-servers.properties.backup");
    if (!TestSupport::WriteFile(backup, client.GetBody()) || !profile->GetDataManager())
        return false;
    profile->GetDataManager()->ReadServConfigBackup();
    return !profile->GetUrl(ClassServerProperty::Schools).isEmpty();
}

} // namespace SchoolFixture
