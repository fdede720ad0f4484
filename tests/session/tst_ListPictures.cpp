#include "LogCapture.h"
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "session/SchoolInfo.h"
#include "session/UserInfo.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {

using Event = TestSupport::TransferEvent;

// Every file below folder, relative to it.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The keys of events, or "h<first>".."h<last>", in order.
QStringList Keys(const QList<Event>& events)
{
    QStringList keys;
    for (const Event& event : events)
        keys << event.second;
    std::sort(keys.begin(), keys.end(),
        [](const QString& a, const QString& b) { return a.mid(1).toInt() < b.mid(1).toInt(); });
    return keys;
}
QStringList Keys(int first, int last)
{
    QStringList keys;
    for (int i = first; i <= last; ++i)
        keys << QString("h%1").arg(i);
    return keys;
}

QString Picture(const QString& sessionId, const QString& file)
{
    return DataManager::CourseCacheFolder() + "avatar/" + AppPaths::SafeName(sessionId) + "/" + file;
}

} // namespace

// The avatars and list pictures, fetched by the real transfer worker from
// the service into the data folder.
class TestListPictures : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<TestSupport::HubTransfers> m_hub;
    DataManager* m_data = nullptr;

    void StartProfile()
    {
        m_profile = std::make_unique<Profile>();
        m_profile->StartThreads();
        m_data = m_profile->GetDataManager();
        QVERIFY(SchoolFixture::UseServiceProperties(m_profile.get(), m_service));
        m_data->SetWebTimeOut(2000);
        m_profile->GetDownldManager()->SetTimeOuts(2000, 2000);
    }
    bool RunRoad(const QString& schoolId, int uid)
    {
        m_data->SetUserId(uid);
        TestSupport::QueuedSpy history(Nexus::Instance(), &Nexus::HistorySchoolListGet);
        emit m_data->ParallelShoolInfoRequest(schoolId);
        return QTest::qWaitFor([&] { return history.count() > 0; }, 20000);
    }
    // Serves sessions as the upcoming list of student 58 and reads it.
    void ServeUpcoming(const QJsonArray& sessions)
    {
        QVERIFY(m_service.Body("/api/s/1/stu/58/current", QJsonDocument(sessions).toJson()));
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->GetSchoolSessionByStuIdV2("58", "1"); }));
    }
    QString ListPicture(const QString& name) const { return m_service.HttpUrl("/static/list/" + name).toString(); }
    int StaticRequests() const { return m_service.RequestedPaths({ "/static/", "/upload/" }).size(); }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QVERIFY(Nexus::Instance());
        qputenv("PLOVIX_PICTURE_HOST", m_service.HttpBase().toUtf8());
    }
    void init()
    {
        QVERIFY(m_service.Reset());
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        StartProfile();
        m_hub = std::make_unique<TestSupport::HubTransfers>();
    }
    void cleanup()
    {
        m_profile.reset();
        m_hub.reset();
        DataManager::RemoveCacheFolders();
    }

    void PicturesAreFetchedOnceIntoTheDataFolder()
    {
        QVERIFY(RunRoad("1", 57));
        // Five upcoming sessions, the first history page of four, and the
        // avatar (asked for by each of the road's two user information
        // requests; told once or twice, fetched once).
        const QString avatar = DataManager::CourseCacheFolder() + "avatar/teacher57.png";
        auto complete
            = [&] { return m_hub->Of(8).size() == 5 && m_hub->Of(16).size() == 4 && !m_hub->Of(4).isEmpty(); };
        QTRY_VERIFY_WITH_TIMEOUT(complete(), 15000);
        QVERIFY(m_hub->failed.isEmpty());
        QCOMPARE(m_hub->Of(4).first(), Event(4, avatar));
        QCOMPARE(FilesBelow(DataManager::CourseCacheFolder()),
            QStringList({ "avatar/0901/lesson-r106.png", "avatar/0902/lesson-r107.png", "avatar/0903/lesson.jpg",
                "avatar/0905/lesson-r105.png", "avatar/1001/lesson-r100.png", "avatar/1002/lesson-r101.png",
                "avatar/1003/lesson-r102.png", "avatar/1004/lesson.jpg", "avatar/1005/lesson-r104.png",
                "avatar/teacher57.png" }));
        QCOMPARE(StaticRequests(), 10);

        // Every picture is on disk now: the next road tells the screens at
        // once and fetches nothing.
        m_hub->finished.clear();
        QVERIFY(RunRoad("1", 57));
        QTRY_VERIFY(complete());
        QTest::qWait(100);
        QCOMPARE(m_hub->Of(8).size(), 5);
        QCOMPARE(StaticRequests(), 10);
    }

    void IdsFromTheServiceNeverLeaveTheDataFolder_data()
    {
        QTest::addColumn<QString>("sessionId");
        QTest::addColumn<QString>("file");
        QTest::newRow("parent folders") << "../../../../../escaped"
                                        << "p.png";
        QTest::newRow("absolute") << "/tmp/escaped"
                                  << "p.png";
        QTest::newRow("encoded file name") << "s1"
                                           << "..%2F..%2F..%2Fescaped.png";
    }
    void IdsFromTheServiceNeverLeaveTheDataFolder()
    {
        QFETCH(QString, sessionId);
        QFETCH(QString, file);
        const QString before = qEnvironmentVariable("HOME");
        const QStringList outside = FilesBelow(before);
        ServeUpcoming({ QJsonObject { { "sessionId", sessionId }, { "snapshotUrl", ListPicture(file) } } });
        QTRY_COMPARE(m_hub->finished, QList<Event>({ { 8, sessionId } }));
        const QString stored = Picture(sessionId, AppPaths::UrlFileName(ListPicture(file)));
        QVERIFY2(QFileInfo(stored).isFile(), qPrintable(stored));
        QVERIFY(AppPaths::IsInside(DataManager::CourseCacheFolder() + "avatar", stored));
        // Nothing new beside the data folder.
        QStringList now = FilesBelow(before);
        now.removeAll(QDir(before).relativeFilePath(stored));
        QCOMPARE(now, outside);
        QVERIFY(!QFileInfo::exists("/tmp/escaped"));
    }

    void HeadPathsNameTheFilesTheWorkerStores_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << "http://127.0.0.1:9/static/list/a-1_b.png";
        QTest::newRow("query") << "https://127.0.0.1:9/static/a.png?x=1/b.png";
        QTest::newRow("fragment") << "http://127.0.0.1:9/static/a.png#p";
        QTest::newRow("encoded") << "http://127.0.0.1:9/static/a%2F..%2Fb.png";
        QTest::newRow("query in the folder") << "http://127.0.0.1:9/x?d=/a.png";
        QTest::newRow("dots") << "http://127.0.0.1:9/static/..";
        QTest::newRow("no path") << "http://127.0.0.1:9";
        QTest::newRow("bad port") << "http://127.0.0.1:x/a.png";
    }
    void HeadPathsNameTheFilesTheWorkerStores()
    {
        // The cards show the picture from the head path, which must name
        // the file the worker stores, however the address is written.
        QFETCH(QString, url);
        ServeUpcoming({ QJsonObject { { "sessionId", "s1" }, { "snapshotUrl", url } },
            QJsonObject { { "sessionId", "s2" }, { "snapshotUrl", url } } });
        const QString file = AppPaths::UrlFileName(url);
        const QList<SchoolInfo*> sessions = m_data->GetCurrentSessions();
        QCOMPARE(sessions.size(), 2);
        for (SchoolInfo* session : sessions)
            QCOMPARE(session->GetHeadPath(), file.isEmpty() ? QString() : Picture(session->GetSessionId(), file));
    }

    void SessionsWithoutAPictureNeverStallTheQueue()
    {
        QJsonArray sessions;
        for (int i = 0; i < 6; ++i)
            sessions.append(QJsonObject { { "sessionId", QString("e%1").arg(i) },
                { "snapshotUrl", i % 2 ? QString() : QString("http://127.0.0.1:9/folder/") } });
        sessions.append(QJsonObject { { "snapshotUrl", ListPicture("no-id.png") } });
        sessions.append(QJsonObject { { "sessionId", "good" }, { "snapshotUrl", ListPicture("good.png") } });
        LogCapture log;
        ServeUpcoming(sessions);
        QTRY_COMPARE(m_hub->finished, QList<Event>({ { 8, "good" } }));
        QCOMPARE(log.Count("session without id or picture file"), 7);
        QCOMPARE(StaticRequests(), 1);
        QVERIFY(m_hub->failed.isEmpty());
    }

    void OnlyTheShownHistoryPageIsFetched()
    {
        QJsonArray sessions;
        for (int i = 1; i <= 20; ++i)
            sessions.append(QJsonObject {
                { "sessionId", QString("h%1").arg(i) }, { "snapshotUrl", ListPicture(QString("h%1.png").arg(i)) } });
        QVERIFY(m_service.Body("/api/s/1/stu/58/history", QJsonDocument(sessions).toJson()));
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->GetHistorySessionByStuId("58", "1"); }));
        QTRY_COMPARE(m_hub->Of(16).size(), 15);
        QCOMPARE(Keys(m_hub->Of(16)), Keys(1, 15));

        // The page buttons call it in the GUI thread.
        m_hub->finished.clear();
        m_data->OnHistoryCourseDownloadById(2);
        QTRY_COMPARE(m_hub->Of(16).size(), 5);
        QCOMPARE(Keys(m_hub->Of(16)), Keys(16, 20));
        m_data->OnHistoryCourseDownloadById(3);
        m_data->OnHistoryCourseDownloadById(0);
        QTest::qWait(100);
        QCOMPARE(m_hub->Of(16).size(), 5);
        QCOMPARE(StaticRequests(), 20);
    }

    void MemberAvatarsGoThroughTheWorker()
    {
        const QString folder = DataManager::CourseCacheFolder() + "user_avatar_";
        QVERIFY(TestSupport::WriteFile(folder + "60/a60.png", "png"));
        QVERIFY(TestSupport::RunIn(m_data, [this] {
            const QList<QPair<int, QString>> members { { 58, "/static/avatar/a58.png" }, { 59, QString() },
                { 60, "/static/avatar/a60.png" } };
            for (const auto& member : members) {
                auto* user = new UserInfo();
                user->SetUid(member.first);
                user->SetHeadUrl(member.second.isEmpty() ? QString() : m_service.HttpUrl(member.second).toString());
                m_data->AddMember(user);
            }
        }));
        emit m_data->DownloadAllAvatar();
        QTRY_COMPARE(m_hub->finished.size(), 2);
        QList<Event> members = m_hub->Of(1);
        std::sort(members.begin(), members.end());
        QCOMPARE(members, QList<Event>({ { 1, "58" }, { 1, "60" } }));
        QVERIFY(QFileInfo(folder + "58/a58.png").isFile());
        QCOMPARE(StaticRequests(), 1);
        // Asked again, the worker knows both and fetches nothing.
        emit m_data->DownloadAllAvatar();
        QTest::qWait(100);
        QCOMPARE(m_hub->finished.size(), 2);
        QCOMPARE(StaticRequests(), 1);
    }

    void TeacherCardAndItsAvatar()
    {
        // The room's teacher, as a course card names it.
        auto* session = new SchoolInfo();
        session->SetSessionId("S-card");
        session->SetTeacherId("../../t");
        m_data->AddCurrentSession(session);
        m_data->OnRoomEntry("S-card");
        const QString card = m_service.HttpUrl("/api/teachers/57").toString();
        int result = -1;
        QVERIFY(TestSupport::RunIn(m_data, [&] { result = m_data->GetTeacherInfo(card); }));
        QCOMPARE(result, 0);
        const QString avatar = DataManager::CourseCacheFolder() + "teacher_avatar_.._.._t/teacher57.png";
        QCOMPARE(m_data->GetRoomFields().m_strTeacherName, QString("王老师"));
        QCOMPARE(m_data->GetTeacherLikeTotal(), 128);
        QCOMPARE(m_data->GetRoomFields().m_strTeacherAvatarPath, avatar);
        QTRY_COMPARE(m_hub->finished, QList<Event>({ { 256, "../../t" } }));
        QVERIFY(QFileInfo(avatar).isFile());
    }

    void BadTeacherCardsChangeNothing_data()
    {
        QTest::addColumn<QString>("data");
        QTest::newRow("wrong types") << R"({"teacherName":1,"likeCount":"9","avatarUrl":2})";
        QTest::newRow("a count no card holds") << R"({"likeCount":1e300})";
        QTest::newRow("a negative count") << R"({"likeCount":-5})";
    }
    void BadTeacherCardsChangeNothing()
    {
        QFETCH(QString, data);
        QVERIFY(m_service.Body("/api/teachers/57", R"({"returncode":"SUCCESS","data":)" + data.toUtf8() + "}"));
        QVERIFY(TestSupport::RunIn(
            m_data, [this] { m_data->GetTeacherInfo(m_service.HttpUrl("/api/teachers/57").toString()); }));
        QVERIFY(m_data->GetRoomFields().m_strTeacherName.isEmpty());
        QCOMPARE(m_data->GetTeacherLikeTotal(), 0);
    }
};

PLOVIX_TEST(TestListPictures)
#include "tst_ListPictures.moc"
