#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {

QString DataFile(const QString& name)
{
    return AppPaths::DataFolder() + name;
}

using TestSupport::ReadFile;

} // namespace

// The server properties: downloaded at start-up by the transfer worker,
// checked, backed up and read into every endpoint, with the backup as the
// fallback of the login.
class TestServerProperties : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    Profile* m_profile = nullptr;
    DataManager* m_data = nullptr;

    // One transfer of the properties through the worker, as at start-up.
    void Download()
    {
        TestSupport::HubTransfers ends;
        emit m_profile->GetDownldManager()->CleanUp();
        m_data->DownloadServConfig();
        QTRY_COMPARE_WITH_TIMEOUT(ends.EndsOf(DownloadServerProperties), 1, 15000);
    }
    void GoodReading()
    {
        QVERIFY(m_service.ClearRule("/vesk-servers.properties"));
        Download();
        QVERIFY(!m_profile->GetUrl(ClassServerProperty::UserLogin).isEmpty());
    }
    QString Base() const { return m_service.HttpBase(); }
    QString Node() const { return m_service.HttpUrl().authority(); }
    // The extra ports the service lists as further candidate servers.
    QString Candidates() const
    {
        QStringList nodes;
        for (int port : m_service.CandidatePorts(false))
            nodes << QStringLiteral("127.0.0.1:%1").arg(port);
        return nodes.join('|');
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        m_profile = TestSupport::StartHub(m_service.HttpBase());
        m_profile->StartThreads();
        m_profile->GetDownldManager()->SetTimeOuts(2000, 1000);
        m_data = m_profile->GetDataManager();
    }
    void cleanupTestCase() { Nexus::Teardown(); }
    void init() { QVERIFY(m_service.Reset()); }

    void DownloadFillsEveryEndpointAndKeepsABackup()
    {
        QSignalSpy finished(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        Download();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(m_service.RequestCount("/vesk-servers.properties"), 1);

        QCOMPARE(m_profile->GetUrl(ClassServerProperty::RegServer), Base() + "/api/room/join");
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::RegServerConfigured), Base() + "/api/room/join");
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::AgoraDynamicKeyConfigured), Base() + "/api/agora");
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::AppServer), QString(Base()).replace("http", "ws") + "/ws");
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::CommentCheck),
            Base() + "/api/comments/exists?userId={userId}&schoolId={schoolId}&sessionId={sessionId}");
        // Every endpoint of the file is filled; the three addresses that do
        // not come from it are the profile's own.
        const auto urls = m_profile->Snapshot();
        for (auto it = urls.cbegin(); it != urls.cend(); ++it) {
            if (it.key() == ClassServerProperty::ServerProperties || it.key() == ClassServerProperty::UpdateProperties
                || it.key() == ClassServerProperty::UpdateDownload)
                continue;
            QVERIFY2(!it.value().isEmpty(), qPrintable(QString::number(it.key())));
        }
        QCOMPARE(m_profile->GetNodeList(), QString("tel|uni"));
        QCOMPARE(m_profile->GetClassroomServers(), Node() + "|" + Candidates());
        QCOMPARE(m_profile->GetRegNodeList(), QString("tel"));
        QCOMPARE(m_profile->GetRegServers(), Node());
        QCOMPARE(m_profile->GetDataFolder(), AppPaths::DataFolder());
        QCOMPARE(m_profile->GetCourseCacheFolder(), AppPaths::DataFolder() + "courlist/");

        const QByteArray downloaded = ReadFile(DataFile("vesk-servers.properties"));
        QVERIFY(!downloaded.isEmpty());
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties.backup")), downloaded);
    }

    void SecondReadingDoesNotDuplicateServers()
    {
        GoodReading();
        const QString servers = m_profile->GetClassroomServers();
        m_data->OnDownloadServConfigSuccess();
        m_data->ReadServConfigBackup();
        m_data->OnDownloadServConfigSuccess();
        QCOMPARE(m_profile->GetClassroomServers(), servers);
        QCOMPARE(m_profile->GetRegServers(), Node());
    }

    void UnusableDownloadKeepsEverything_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no join url") << QByteArray("user.login=http://elsewhere/login\nschools=http://elsewhere/s\n");
        QTest::newRow("empty join url") << QByteArray("reg.server.join.url=\nuser.login=http://elsewhere/login\n");
        QTest::newRow("html error page") << QByteArray("<html><body>502 Bad Gateway</body></html>\n");
        QTest::newRow("control bytes") << QByteArray("\x01\x02\x7f[\x03=\n\x04\x05");
        QTest::newRow("everything in a section")
            << QByteArray("[prod]\nreg.server.join.url=http://elsewhere/join\nuser.login=http://elsewhere/l\n");
    }
    void UnusableDownloadKeepsEverything()
    {
        QFETCH(QByteArray, content);
        GoodReading();
        const auto before = m_profile->Snapshot();
        const QString servers = m_profile->GetClassroomServers();
        const QByteArray backup = ReadFile(DataFile("vesk-servers.properties.backup"));
        QSignalSpy finished(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        LogCapture log;

        QVERIFY(m_service.Body("/vesk-servers.properties", content, "text/plain"));
        Download();
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties")), content);
        QCOMPARE(log.Count("OnDownloadServConfigSuccess file is empty ?, and strRegUrl:"), 1);
        QCOMPARE(finished.size(), 0);
        QVERIFY(m_profile->Snapshot() == before);
        QCOMPARE(m_profile->GetClassroomServers(), servers);
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties.backup")), backup);
    }

    void OversizedFileIsNotRead()
    {
        GoodReading();
        const auto before = m_profile->Snapshot();
        const QByteArray backup = ReadFile(DataFile("vesk-servers.properties.backup"));
        LogCapture log;
        QByteArray content = "reg.server.join.url=http://elsewhere/join\nuser.login=http://elsewhere/login\n";
        content += "filler=" + QByteArray(2 * 1024 * 1024, 'x') + "\n";
        QVERIFY(m_service.Body("/vesk-servers.properties", content, "text/plain"));
        Download();
        QCOMPARE(log.Count("file too large and not read"), 1);
        QVERIFY(m_profile->Snapshot() == before);
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties.backup")), backup);
    }

    void OddValuesAreReadRobustly()
    {
        GoodReading();
        const QString oldInfo = m_profile->GetUrl(ClassServerProperty::UserInfoUrl);
        LogCapture log;
        const QByteArray content = "garbage line without equals\n"
                                   "=value without key\n"
                                   "reg.server.join.url=http://h/join\n"
                                   "user.login=http://h/login?a=1,b=2\n"
                                   "user.info=http://h/"
            + QByteArray(20000, 'u')
            + "\n"
              "node.ispList=tel||uni|\n"
              "classroom.servers.tel=10.0.0.1:80|10.0.0.2:80\n"
              "classroom.servers.uni=||10.0.0.3:80\n"
              "reg.servers.ispList=\n"
              "reg.servers.=10.0.0.9:80\n";
        QVERIFY(m_service.Body("/vesk-servers.properties", content, "text/plain"));
        Download();
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::RegServer), QString("http://h/join"));
        // An unquoted comma made a list of the value; it is joined back.
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UserLogin), QString("http://h/login?a=1,b=2"));
        // The oversized value is dropped and the one read before stays.
        QCOMPARE(log.Count("value too long and dropped, key: \"user.info\""), 1);
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UserInfoUrl), oldInfo);
        // Keys missing from the file read as empty.
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::Schools), QString());
        // Empty node names and empty servers add no blank candidate.
        QCOMPARE(m_profile->GetNodeList(), QString("tel||uni|"));
        QCOMPARE(m_profile->GetClassroomServers(), QString("10.0.0.1:80|10.0.0.2:80|10.0.0.3:80"));
        // An empty node list names one empty node: the bare key.
        QCOMPARE(m_profile->GetRegServers(), QString("10.0.0.9:80"));
    }

    void LoginFallsBackToTheBackup()
    {
        GoodReading();
        const QByteArray backup = ReadFile(DataFile("vesk-servers.properties.backup"));
        // A run whose download never arrived starts with nothing.
        QHash<ClassServerProperty::Url, QString> empty;
        for (int i = 0; i < ClassServerProperty::UrlCount; ++i)
            empty.insert(ClassServerProperty::Url(i), QString());
        m_profile->SetUrls(empty);
        m_profile->SetClassroomServers(QString());
        QFile::remove(DataFile("vesk-servers.properties"));

        QSignalSpy finished(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        m_data->ReadServConfigBackup();
        QCOMPARE(finished.size(), 0);
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UserLogin), Base() + "/api/login");
        QCOMPARE(m_profile->GetClassroomServers(), Node() + "|" + Candidates());
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties.backup")), backup);
    }

    void UselessBackupChangesNothing()
    {
        GoodReading();
        const auto before = m_profile->Snapshot();
        QVERIFY(
            TestSupport::WriteFile(DataFile("vesk-servers.properties.backup"), "user.login=http://elsewhere/login\n"));
        LogCapture log;
        m_data->ReadServConfigBackup();
        QCOMPARE(log.Count("read service config backup file, still is empty?"), 1);
        QVERIFY(m_profile->Snapshot() == before);
        QFile::remove(DataFile("vesk-servers.properties.backup"));
        m_data->ReadServConfigBackup();
        QCOMPARE(log.Count("read service config backup file, still is empty?"), 2);
        QVERIFY(m_profile->Snapshot() == before);
    }

    void FailedDownloadLeavesTheBackupAlone()
    {
        GoodReading();
        const QByteArray backup = ReadFile(DataFile("vesk-servers.properties.backup"));
        const QByteArray file = ReadFile(DataFile("vesk-servers.properties"));
        QSignalSpy finished(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        QVERIFY(m_service.Status("/vesk-servers.properties", 500));
        Download();
        QCOMPARE(finished.size(), 0);
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties")), file);
        QCOMPARE(ReadFile(DataFile("vesk-servers.properties.backup")), backup);
    }
};

// The file copy that keeps the backup.
class TestCopyFileTo : public QObject
{
    Q_OBJECT

private slots:
    void init() { QDir(AppPaths::DataFolder()).removeRecursively(); }

    void CopiesAndReplacesWholly()
    {
        QVERIFY(TestSupport::WriteFile(DataFile("a"), "new contents"));
        QVERIFY(TestSupport::WriteFile(DataFile("b"), "old"));
        QVERIFY(!DataManager::CopyFileTo(DataFile("a"), DataFile("b"), false));
        QCOMPARE(ReadFile(DataFile("b")), QByteArray("old"));
        QVERIFY(DataManager::CopyFileTo(DataFile("a"), DataFile("b"), true));
        QCOMPARE(ReadFile(DataFile("b")), QByteArray("new contents"));
        // Nothing but the two files: no temporary left behind.
        QCOMPARE(QDir(AppPaths::DataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList({ "a", "b" }));
    }

    void OntoItselfIsDoneUntouched()
    {
        QVERIFY(TestSupport::WriteFile(DataFile("same"), "keep me"));
        const QDateTime modified = QFileInfo(DataFile("same")).lastModified();
        QVERIFY(DataManager::CopyFileTo(DataFile("same"), DataFile("same"), true));
        QVERIFY(DataManager::CopyFileTo(DataFile("same"), AppPaths::DataFolder() + "./same", true));
        QCOMPARE(ReadFile(DataFile("same")), QByteArray("keep me"));
        QCOMPARE(QFileInfo(DataFile("same")).lastModified(), modified);
    }

    void MissingSourceKeepsTheTarget()
    {
        QVERIFY(TestSupport::WriteFile(DataFile("target"), "precious"));
        QVERIFY(!DataManager::CopyFileTo(DataFile("missing"), DataFile("target"), true));
        QCOMPARE(ReadFile(DataFile("target")), QByteArray("precious"));
    }

    void BackslashesInTheTargetAreSlashes()
    {
        QVERIFY(TestSupport::WriteFile(DataFile("src"), "x"));
        QDir().mkpath(DataFile("sub"));
        QString target = DataFile("sub/dst");
        target.replace('/', '\\');
        QVERIFY(DataManager::CopyFileTo(DataFile("src"), target, false));
        QCOMPARE(ReadFile(DataFile("sub/dst")), QByteArray("x"));
    }
};

PLOVIX_TEST(TestServerProperties)
PLOVIX_TEST(TestCopyFileTo)
#include "tst_ServerProperties.moc"
