#include "LogCapture.h"
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/SchoolEntryWidget.h"
#include "session/DataManager.h"
#include "session/SchoolInfo.h"
#include "session/SchoolListInfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {

const char kCurrent[] = "/api/s/1/stu/58/current";
const char kHistory[] = "/api/s/1/stu/58/history";

QStringList IdentityPaths(const QString& school, int uid)
{
    return { QString("/api/schools/%1/users/%2").arg(school).arg(uid), QString("/api/users/%1").arg(uid),
        QString("/api/users/%1/roles").arg(uid) };
}

} // namespace

// The school road and the six session requests against the service's demo
// school, in the real "Profile Manager" thread.
class TestSchoolRoad : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<SchoolEntryWidget> m_page;
    std::unique_ptr<TestSupport::QueuedSpy> m_begun;
    std::unique_ptr<TestSupport::QueuedSpy> m_finished;
    DataManager* m_data = nullptr;

    // Runs one road as user uid and waits for its end on the course home page.
    bool Road(const QString& schoolId, int uid = 57)
    {
        m_data->SetUserId(uid);
        const int before = m_finished->count();
        emit m_data->ParallelShoolInfoRequest(schoolId);
        return QTest::qWaitFor([&] { return m_finished->count() > before; }, 20000);
    }
    // The web-service paths asked for, in order (pictures left out).
    QStringList Wire() const { return m_service.RequestedPaths({ "/api/" }); }
    // One request of the upcoming (or past) list of student 58 in school 1.
    int Request(bool history)
    {
        int result = -1;
        const bool ran = TestSupport::RunIn(m_data, [&] {
            result
                = history ? m_data->GetHistorySessionByStuId("58", "1") : m_data->GetSchoolSessionByStuIdV2("58", "1");
        });
        return ran ? result : -2;
    }
    SchoolInfo* Only(bool history) const
    {
        const QList<SchoolInfo*> list = history ? m_data->GetHistorySessions() : m_data->GetCurrentSessions();
        return list.size() == 1 ? list.first() : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QVERIFY(Nexus::Instance());
        qputenv("PLOVIX_PICTURE_HOST", m_service.HttpBase().toUtf8());
        m_page = std::make_unique<SchoolEntryWidget>();
        Nexus::SetSchoolEntryWidget(m_page.get());
    }
    void cleanupTestCase()
    {
        Nexus::SetSchoolEntryWidget(nullptr);
        m_page.reset();
    }
    void init()
    {
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        m_profile = std::make_unique<Profile>();
        m_profile->StartThreads();
        m_data = m_profile->GetDataManager();
        QVERIFY(SchoolFixture::UseServiceProperties(m_profile.get(), m_service));
        m_data->SetWebTimeOut(1500);
        m_begun = std::make_unique<TestSupport::QueuedSpy>(m_page.get(), &SchoolEntryWidget::RequestBegin);
        m_finished = std::make_unique<TestSupport::QueuedSpy>(m_page.get(), &SchoolEntryWidget::RequestFinished);
        QVERIFY(m_service.Reset());
    }
    void cleanup()
    {
        m_profile.reset();
        DataManager::RemoveCacheFolders();
    }

    void EveryRoleGetsItsIdentityAndLists_data()
    {
        QTest::addColumn<int>("uid");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("roleId");
        QTest::addColumn<QString>("nick");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("history");
        QTest::newRow("teacher") << 57 << 4 << "57"
                                 << "王老师"
                                 << "tea" << 5 << 4;
        QTest::newRow("student") << 58 << 5 << "58"
                                 << "张小明"
                                 << "stu" << 5 << 4;
        QTest::newRow("tutor") << 61 << 7 << ""
                               << "李助教"
                               << "user" << 4 << 4;
        QTest::newRow("auditor without a name") << 62 << 7 << ""
                                                << "学员62"
                                                << "user" << 4 << 3;
    }
    void EveryRoleGetsItsIdentityAndLists()
    {
        QFETCH(int, uid);
        QFETCH(int, role);
        QFETCH(QString, roleId);
        QFETCH(QString, nick);
        QFETCH(QString, lists);
        QFETCH(int, current);
        QFETCH(int, history);
        TestSupport::QueuedSpy currentSpy(Nexus::Instance(), &Nexus::SchoolListGet);
        TestSupport::QueuedSpy historySpy(Nexus::Instance(), &Nexus::HistorySchoolListGet);
        m_profile->SetCourseListRefreshFlag(1);
        QVERIFY(Road("1", uid));

        const RoomFields fields = m_data->GetRoomFields();
        QCOMPARE(fields.m_dwUserId, uid);
        QCOMPARE(fields.m_dwSchoolRole, role);
        QCOMPARE(role == 4 ? fields.m_strTeacherRoleId : fields.m_strStudentId, roleId);
        QCOMPARE(fields.m_strNickName, nick);
        QVERIFY(fields.m_strAvatarUrl.endsWith(QString("%1.png").arg(uid)));
        QCOMPARE(m_data->GetSchoolMap().value("2")->GetSchoolName(), QString("星光外语学校"));
        QCOMPARE(m_data->GetCurrentSessions().size(), current);
        QCOMPARE(m_data->GetHistorySessions().size(), history);
        QCOMPARE(m_begun->count(), 1);
        QCOMPARE(m_profile->GetCourseListRefreshFlag(), 0);
        QTRY_COMPARE(currentSpy.count(), 1);
        QTRY_COMPARE(historySpy.count(), 1);

        // Schools while none are known, identity, then the lists (students:
        // the history first); a second road knows the schools.
        const QString base = QString("/api/s/1/%1/%2/").arg(lists, roleId.isEmpty() ? QString::number(uid) : roleId);
        QStringList expected = IdentityPaths("1", uid);
        if (lists == "stu")
            expected << IdentityPaths("1", uid) << base + "history" << base + "current";
        else
            expected << base + "current" << IdentityPaths("1", uid) << base + "history";
        QCOMPARE(Wire(), QStringList { "/api/schools" } + expected);
        QVERIFY(m_service.Reset());
        QVERIFY(Road("1", uid));
        QCOMPARE(Wire(), expected);
    }

    void EmptySchoolWithACurrentSchoolDoesNothing()
    {
        m_data->SetSchoolId("1");
        m_profile->SetCourseListRefreshFlag(1);
        LogCapture log;
        emit m_data->ParallelShoolInfoRequest(QString());
        QVERIFY(TestSupport::RunIn(m_data, [] {}));
        QCOMPARE(log.Count("into OnParallelShoolInfoRequest, no need requst, schoolId:"), 1);
        QCOMPARE(m_begun->count(), 0);
        QVERIFY(Wire().isEmpty());
        QCOMPARE(m_profile->GetCourseListRefreshFlag(), 0);
    }

    void StudentWithoutUpcomingAddressGetsNoList()
    {
        m_profile->SetUrl(ClassServerProperty::StuCurrent, QString());
        m_profile->SetCourseListRefreshFlag(1);
        QVERIFY(Road("1", 58));
        QCOMPARE(Wire(), QStringList { "/api/schools" } + IdentityPaths("1", 58));
        QCOMPARE(m_profile->GetCourseListRefreshFlag(), 0);
    }

    void UnusableIdentityRepliesEndTheRoadAndKeepTheIdentity_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("line");
        QTest::newRow("id: not JSON") << "/api/schools/1/users/57"
                                      << "<html>"
                                      << "GetNewUidBySchoolId error:";
        QTest::newRow("id: no returncode") << "/api/schools/1/users/57"
                                           << R"({"data":{"userId":"99"}})"
                                           << "DataManager::GetNewUidBySchoolId error,code:";
        QTest::newRow("info: not JSON") << "/api/users/57"
                                        << "{"
                                        << "DataManager::OnGetUsrInfo error:";
        QTest::newRow("roles: an array") << "/api/users/57/roles"
                                         << "[]"
                                         << "GetUserRoles error, shoud json object";
        QTest::newRow("roles: FAIL") << "/api/users/57/roles"
                                     << R"({"returncode":"FAIL","data":[]})"
                                     << "DataManager::GetUserRoles error,code:";
    }
    void UnusableIdentityRepliesEndTheRoadAndKeepTheIdentity()
    {
        QFETCH(QString, path);
        QFETCH(QString, body);
        QFETCH(QString, line);
        QVERIFY(Road("1"));
        const RoomFields before = m_data->GetRoomFields();
        QVERIFY(m_service.Reset());
        QVERIFY(m_service.Body(path, body.toUtf8()));
        m_profile->SetCourseListRefreshFlag(1);
        LogCapture log;
        QVERIFY(Road("1"));
        QCOMPARE(log.Count(line), 1);
        const RoomFields after = m_data->GetRoomFields();
        QCOMPARE(after.m_dwUserId, before.m_dwUserId);
        QCOMPARE(after.m_dwSchoolRole, before.m_dwSchoolRole);
        QCOMPARE(after.m_strTeacherRoleId, before.m_strTeacherRoleId);
        QCOMPARE(after.m_strNickName, before.m_strNickName);
        // The road stopped there, ended on the page, and refresh stays possible.
        QCOMPARE(Wire().last(), path);
        QCOMPARE(m_finished->count(), 2);
        QCOMPARE(m_profile->GetCourseListRefreshFlag(), 0);
    }

    void FailedIdentityRequestsLetTheRoadGoOn_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonObject>("rule");
        QTest::newRow("id: HTTP 500") << "/api/schools/1/users/57"
                                      << QJsonObject { { "action", "status" }, { "status", 500 } };
        QTest::newRow("id: no answer") << "/api/schools/1/users/57" << QJsonObject { { "action", "stall" } };
        QTest::newRow("info: cut short") << "/api/users/57" << QJsonObject { { "action", "cut" }, { "after", 10 } };
        QTest::newRow("roles: data an object")
            << "/api/users/57/roles"
            << QJsonObject { { "action", "body" },
                   { "content", R"({"returncode":"SUCCESS","data":{"role":"USER"}})" } };
    }
    void FailedIdentityRequestsLetTheRoadGoOn()
    {
        QFETCH(QString, path);
        QFETCH(QJsonObject, rule);
        QVERIFY(Road("1"));
        QVERIFY(m_service.Reset());
        m_data->SetWebTimeOut(800);
        QVERIFY(m_service.SetRule(path, rule));
        QVERIFY(Road("1"));
        const RoomFields fields = m_data->GetRoomFields();
        QCOMPARE(fields.m_dwUserId, 57);
        QCOMPARE(fields.m_dwSchoolRole, 4);
        QCOMPARE(fields.m_strNickName, QString("王老师"));
        QVERIFY(Wire().contains("/api/s/1/tea/57/history"));
        QCOMPARE(m_data->GetCurrentSessions().size(), 5);
    }

    void WrongShapedValuesNeverReplaceTheIdentity_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("uid");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("teacherId");
        const QString id = "/api/schools/1/users/57";
        const QString roles = "/api/users/57/roles";
        // Before each row: user 57, school role 5 (student "58"), no teacher id.
        QTest::newRow("id: not a number") << id << R"({"userId":"abc"})" << 57 << 5 << "";
        QTest::newRow("id: a number, not text") << id << R"({"userId":99})" << 57 << 5 << "";
        QTest::newRow("id: usable") << id << R"({"userId":"99"})" << 99 << 5 << "";
        QTest::newRow("roles: one id per role")
            << roles << R"([{"role":"TEACHER","userRoleId":"11"},{"role":"USER","userRoleId":"22"}])" << 22 << 4
            << "11";
        QTest::newRow("roles: numeric id") << roles << R"([{"role":"TEACHER","userRoleId":33}])" << 57 << 4 << "33";
        QTest::newRow("roles: unknown names") << roles << R"([{"role":"ADMIN","userRoleId":"5"}])" << 57 << 7 << "";
        QTest::newRow("roles: no role names") << roles << R"([{"role":4},{"userRoleId":"8"},3])" << 57 << 5 << "";
        QTest::newRow("roles: teacher without id") << roles << R"([{"role":"TEACHER"}])" << 57 << 4 << "";
        QTest::newRow("roles: user id not a number")
            << roles << R"([{"role":"USER","userRoleId":"x1"}])" << 57 << 7 << "";
    }
    void WrongShapedValuesNeverReplaceTheIdentity()
    {
        QFETCH(QString, path);
        QFETCH(QString, data);
        QFETCH(int, uid);
        QFETCH(int, role);
        QFETCH(QString, teacherId);
        m_data->SetUserId(58);
        m_data->SetSchoolId("1");
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->GetUserRoles(); }));
        m_data->SetUserId(57);
        QVERIFY(m_service.Body(path, R"({"returncode":"SUCCESS","message":"","data":)" + data.toUtf8() + "}"));
        int result = -1;
        QVERIFY(TestSupport::RunIn(
            m_data, [&] { result = path.endsWith("roles") ? m_data->GetUserRoles() : m_data->GetNewUidBySchoolId(); }));
        QCOMPARE(result, 0);
        QCOMPARE(m_service.RequestCount(path), 1);
        const RoomFields fields = m_data->GetRoomFields();
        QCOMPARE(fields.m_dwUserId, uid);
        QCOMPARE(fields.m_dwSchoolRole, role);
        QCOMPARE(fields.m_strTeacherRoleId, teacherId);
        QCOMPARE(fields.m_strStudentId, QString("58"));
    }

    void SchoolReplies_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("schools");
        QTest::addColumn<bool>("announced");
        QTest::newRow("text ids and names, later duplicates win")
            << R"({"returncode":"SUCCESS","data":[{"schoolId":7,"schoolName":"x"},{"schoolId":"a","schoolName":"A","profile":"p"},{"schoolId":"a","schoolName":"A2","profile":3},"c"]})"
            << QStringList { "a:A2:" } << true;
        QTest::newRow("code not SUCCESS") << R"({"returncode":"ERROR","data":[]})" << QStringList() << false;
    }
    void SchoolReplies()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, schools);
        QFETCH(bool, announced);
        TestSupport::QueuedSpy updated(m_page.get(), &SchoolEntryWidget::UpdateSchoolItems);
        QVERIFY(m_service.Body("/api/schools", body.toUtf8()));
        int result = -1;
        QVERIFY(TestSupport::RunIn(m_data, [&] { result = m_data->GetSchoolList(); }));
        QCOMPARE(result, announced ? 0 : 0x4001);
        QStringList read;
        for (SchoolListInfo* school : m_data->GetSchoolMap())
            read << school->GetSchoolId() + ":" + school->GetSchoolName() + ":" + school->GetSchoolProfile();
        QCOMPARE(read, schools);
        QTest::qWait(50);
        QCOMPARE(updated.count(), announced ? 1 : 0);
    }

    void ValuesArePercentEncodedIntoTheAddress()
    {
        QVERIFY(Road("a b/../c?d#e&f={schoolId}%"));
        QCOMPARE(m_service.Requests().at(1).toObject().value("raw_path").toString(),
            QString("/api/schools/a%20b%2F..%2Fc%3Fd%23e%26f%3D%7BschoolId%7D%25/users/57"));
        // A school the service does not know: the road stopped there.
        QCOMPARE(Wire().size(), 2);
    }

    void ARoadAskedForDuringAnotherRunsAfterIt()
    {
        QVERIFY(Road("1"));
        QVERIFY(m_service.Reset());
        QVERIFY(m_service.Delay("/api/schools/1/users/57", 400, 1));
        LogCapture log;
        emit m_data->ParallelShoolInfoRequest("1");
        QTRY_COMPARE(m_service.RequestCount("/api/schools/1/users/57"), 1);
        // Both arrive while the first road waits; only the latest runs.
        emit m_data->ParallelShoolInfoRequest("3");
        emit m_data->ParallelShoolInfoRequest("2");
        QTRY_COMPARE_WITH_TIMEOUT(m_finished->count(), 3, 20000);
        QCOMPARE(log.Count("a school road is waiting for a reply, held back"), 2);
        QStringList expected;
        for (const QString school : { "1", "2" }) {
            expected << IdentityPaths(school, 57) << QString("/api/s/%1/tea/57/current").arg(school)
                     << IdentityPaths(school, 57) << QString("/api/s/%1/tea/57/history").arg(school);
        }
        QCOMPARE(Wire(), expected);
        QCOMPARE(m_data->GetSchoolId(), QString("2"));
        QCOMPARE(m_data->GetCurrentSessions().size(), 1);
    }

    // A course card entered while a road waits for a reply: the roles
    // reply names the user's own teacher identity, which picks the lists
    // and never replaces the room's teacher.
    void RoomChosenDuringARoadKeepsItsTeacher()
    {
        QVERIFY(m_service.Delay("/api/schools/1/users/57", 400, 1));
        QVERIFY(m_service.Body("/api/users/57/roles",
            R"({"returncode":"SUCCESS","message":"","data":[{"role":"TEACHER","userRoleId":"T9"}]})"));
        m_data->SetUserId(57);
        const int before = m_finished->count();
        emit m_data->ParallelShoolInfoRequest("1");
        QTRY_COMPARE(m_service.RequestCount("/api/schools/1/users/57"), 1);
        auto* card = new SchoolInfo();
        card->SetSessionId("S-card");
        card->SetRoomNo("R100");
        card->SetTeacherId("57");
        m_data->AddCurrentSession(card);
        emit m_data->RoomEntry("S-card");
        QVERIFY(QTest::qWaitFor([&] { return m_finished->count() > before; }, 20000));
        const RoomFields fields = m_data->GetRoomFields();
        QCOMPARE(fields.m_strRoomId, QString("R100"));
        QCOMPARE(fields.m_strTeacherId, QString("57"));
        QCOMPARE(fields.m_strTeacherRoleId, QString("T9"));
        QVERIFY(Wire().contains("/api/s/1/tea/T9/current"));
    }

    // ---- the session lists

    void EveryKeyIsReadOnlyWithItsType_data()
    {
        QTest::addColumn<bool>("history");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("start truncates") << false << R"({"startTime":1700000000999})"
                                         << "startTm" << QVariant(1700000000);
        QTest::newRow("start as text") << false << R"({"startTime":"1700000000000"})"
                                       << "startTm" << QVariant(0);
        QTest::newRow("start beyond any card") << false << R"({"startTime":1e300})"
                                               << "startTm" << QVariant(0);
        QTest::newRow("room type as text") << false << R"({"roomType":"128"})"
                                           << "roomType" << QVariant(128);
        QTest::newRow("room type as number") << false << R"({"roomType":1})"
                                             << "roomType" << QVariant(0);
        QTest::newRow("group name") << false << R"({"sessionGroup":{"name":"一对一"}})"
                                    << "courseTypeDesc" << QVariant("一对一");
        QTest::newRow("on leave") << false << R"({"isLeave":{"value":1}})"
                                  << "leaveStatus" << QVariant(true);
        QTest::newRow("leave as text") << false << R"({"isLeave":{"value":"1"}})"
                                       << "leaveStatus" << QVariant(false);
        QTest::newRow("picture not text") << false << R"({"snapshotUrl":5})"
                                          << "snapShotUrl" << QVariant("");
        QTest::newRow("recorded") << true << R"({"recordingStatus":{"value":2},"isLeave":{"value":1}})"
                                  << "recordStatus" << QVariant(true);
        QTest::newRow("no leave in the history") << true << R"({"isLeave":{"value":1}})"
                                                 << "leaveStatus" << QVariant(false);
    }
    void EveryKeyIsReadOnlyWithItsType()
    {
        QFETCH(bool, history);
        QFETCH(QString, element);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QVERIFY(m_service.Body(history ? kHistory : kCurrent, "[" + element.toUtf8() + "]"));
        QCOMPARE(Request(history), 0);
        QVERIFY(Only(history));
        QCOMPARE(Only(history)->property(qPrintable(field)), value);
    }

    void BadListRepliesKeepTheList_data()
    {
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("line");
        const auto body = [](const char* content) {
            return QJsonObject { { "action", "body" }, { "content", content } };
        };
        QTest::newRow("an error envelope") << body(R"({"returncode":"FAIL","data":[]})") << 0x4001
                                           << "GetSchoolSessionByStuIdV2 error, shoud json object";
        QTest::newRow("not JSON") << body("<html>502</html>") << 0x4001 << "GetSchoolSessionByStuIdV2 error:";
        QTest::newRow("HTTP 503") << QJsonObject { { "action", "status" }, { "status", 503 } } << 0
                                  << "netrequest error:";
        QTest::newRow("no answer") << QJsonObject { { "action", "stall" } } << 0 << "netrequest error:";
    }
    void BadListRepliesKeepTheList()
    {
        QFETCH(QJsonObject, rule);
        QFETCH(int, result);
        QFETCH(QString, line);
        QCOMPARE(Request(false), 0);
        const QList<SchoolInfo*> before = m_data->GetCurrentSessions();
        QCOMPARE(before.size(), 5);
        TestSupport::QueuedSpy announced(Nexus::Instance(), &Nexus::SchoolListGet);
        QVERIFY(m_service.SetRule(kCurrent, rule));
        LogCapture log;
        QCOMPARE(Request(false), result);
        QCOMPARE(log.Count(line), 1);
        QCOMPARE(m_data->GetCurrentSessions(), before);
        // A failed request still announces the list as it is; an unusable reply does not.
        QTest::qWait(50);
        QCOMPARE(announced.count(), result == 0 ? 1 : 0);
    }

    void ElementsThatAreNotObjectsAreDropped()
    {
        QVERIFY(m_service.Body(kCurrent, R"([1,"x",null,[],{"sessionId":"kept"},true])"));
        LogCapture log;
        QCOMPARE(Request(false), 0);
        QCOMPARE(log.Count("dropped a session element that is not an object"), 5);
        QVERIFY(Only(false));
        QCOMPARE(Only(false)->GetSessionId(), QString("kept"));
    }

    void HistoryPaging_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("page");
        QTest::newRow("16 entries") << 16 << 2 << 1;
        QTest::newRow("15 entries") << 15 << 1 << 1;
        QTest::newRow("empty keeps the paging") << 0 << 7 << 3;
    }
    void HistoryPaging()
    {
        QFETCH(int, count);
        QFETCH(int, pages);
        QFETCH(int, page);
        Nexus::SetHistoryCoursePage(3);
        Nexus::SetHistoryCoursePageCount(7);
        QJsonArray sessions;
        for (int i = 1; i <= count; ++i)
            sessions.append(QJsonObject { { "sessionId", QString("H%1").arg(i) } });
        QVERIFY(m_service.Body(kHistory, QJsonDocument(sessions).toJson()));
        TestSupport::QueuedSpy announced(Nexus::Instance(), &Nexus::HistorySchoolListGet);
        QCOMPARE(Request(true), 0);
        QCOMPARE(m_data->GetHistorySessions().size(), count);
        QCOMPARE(Nexus::GetHistoryCoursePageCount(), pages);
        QCOMPARE(Nexus::GetHistoryCoursePage(), page);
        QTRY_COMPARE(announced.count(), 1);
    }

    void ThousandsOfSessionsAndAnEndlessList_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kept");
        QTest::newRow("5000") << 5000 << 5000;
        QTest::newRow("endless") << 20050 << 20000;
    }
    void ThousandsOfSessionsAndAnEndlessList()
    {
        QFETCH(int, count);
        QFETCH(int, kept);
        QByteArray body = "[";
        for (int i = 0; i < count; ++i)
            body += "{\"sessionId\":\"" + QByteArray::number(i)
                + "\",\"startTime\":" + QByteArray::number((1700000000LL + i) * 1000) + ",\"snapshotUrl\":\"\"},";
        body.chop(1);
        QVERIFY(m_service.Body(kHistory, body + "]"));
        LogCapture log;
        QCOMPARE(Request(true), 0);
        const QList<SchoolInfo*> sessions = m_data->GetHistorySessions();
        QCOMPARE(sessions.size(), kept);
        // Filled on several threads, each in its place.
        for (int i : { 0, 1, kept / 2, kept - 1 }) {
            QCOMPARE(sessions.at(i)->GetSessionId(), QString::number(i));
            QCOMPARE(sessions.at(i)->GetStartTm(), 1700000000 + i);
        }
        QCOMPARE(Nexus::GetHistoryCoursePageCount(), (kept + 14) / 15);
        QCOMPARE(log.Count("session list cut at"), count == kept ? 0 : 1);
    }

    void EveryRequestFillsItsIdentityAndSchool_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("path");
        const QStringList paths { "stu/i%3F1/current", "tea/i%3F1/current", "user/i%3F1/current", "stu/i%3F1/history",
            "tea/i%3F1/history", "user/i%3F1/history" };
        for (int i = 0; i < paths.size(); ++i)
            QTest::newRow(qPrintable(paths.at(i))) << i << "/api/s/s%2F1/" + paths.at(i);
    }
    void EveryRequestFillsItsIdentityAndSchool()
    {
        QFETCH(int, which);
        QFETCH(QString, path);
        QVERIFY(TestSupport::RunIn(m_data, [&] {
            const QString id = QStringLiteral("i?1");
            const QString school = QStringLiteral("s/1");
            switch (which) {
            case 0:
                m_data->GetSchoolSessionByStuIdV2(id, school);
                break;
            case 1:
                m_data->GetSchoolSessionByTeaIdV2(id, school);
                break;
            case 2:
                m_data->GetSchoolSessionByUidV2(id, school);
                break;
            case 3:
                m_data->GetHistorySessionByStuId(id, school);
                break;
            case 4:
                m_data->GetHistorySessionByTeaId(id, school);
                break;
            default:
                m_data->GetHistorySessionByUid(id, school);
                break;
            }
        }));
        QCOMPARE(m_service.Requests().last().toObject().value("raw_path").toString(), path);
    }

    void EmptiedListsAreDeletedInTheGuiThread()
    {
        QCOMPARE(Request(false), 0);
        QList<QPointer<SchoolInfo>> watched;
        for (SchoolInfo* session : m_data->GetCurrentSessions())
            watched << session;
        QCOMPARE(watched.size(), 5);
        // A school change empties the list; the objects outlive this slot.
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->OnSchoolChanged("1"); }));
        QVERIFY(std::all_of(watched.begin(), watched.end(), [](const QPointer<SchoolInfo>& p) { return !p.isNull(); }));
        QTRY_VERIFY(
            std::all_of(watched.begin(), watched.end(), [](const QPointer<SchoolInfo>& p) { return p.isNull(); }));
    }
};

PLOVIX_TEST(TestSchoolRoad)
#include "tst_SchoolRoad.moc"
