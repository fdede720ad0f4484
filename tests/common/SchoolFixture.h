#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class DataManager;
class Profile;
class ServiceFixture;

// The school the local service plays, as tests shape it: the demo school of
// tests/service/fixtures/demo_school.json, and sessions made to measure.
namespace SchoolFixture {

// The demo fixture as the service reads it.
QJsonObject Demo();
// A session of school "1" taught by 57 with students 58 and 59 and the
// users 61 and 62, starting startMinutes from now, with its own picture
// "list-<id>.png".
QJsonObject Session(const QString& sessionId, int startMinutes, int minutes = 45);
// count sessions "<prefix>1".."<prefix>count", one a day, the first
// firstDays days from now (negative: past sessions).
QJsonArray Series(const QString& prefix, int count, int firstDays);
// fixture with its sessions replaced.
QJsonObject WithSessions(QJsonObject fixture, const QJsonArray& sessions);

// Reads the service's "vesk-servers.properties" into the profile, as the
// start-up does; false when it could not be fetched.
bool UseServiceProperties(Profile* profile, const ServiceFixture& service);

} // namespace SchoolFixture
