#include "TestRegistry.h"

#include "app/DownldManager.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "rtc/DeamonThreadMgr.h"
#include "session/DataManager.h"

#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

namespace {
QMutex s_linesMutex;
QStringList s_destructorThreads;
QtMessageHandler s_previous = nullptr;

void RecordDestructors(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains("~DataManager") || message.contains("~DownldManager")) {
        QMutexLocker lock(&s_linesMutex);
        s_destructorThreads << QThread::currentThread()->objectName();
    }
    if (s_previous)
        s_previous(type, context, message);
}
} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(UserSettings::Open()->fileName());
        qunsetenv("PLOVIX_CONFIG_HOST");
    }

    void DevEnvChoosesPropertiesHost_data()
    {
        QTest::addColumn<QString>("devEnv");
        QTest::addColumn<bool>("test");
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("any other text") << "yes" << true;
    }
    void DevEnvChoosesPropertiesHost()
    {
        QFETCH(QString, devEnv);
        QFETCH(bool, test);
        if (!devEnv.isNull())
            UserSettings::SetValue(UserSettings::DevEnv, devEnv);
        Profile profile;
        const QString host = QString::fromUtf8(test ? PLOVIX_CONFIG_HOST_TEST : PLOVIX_CONFIG_HOST_PROD);
        QCOMPARE(profile.GetServerPropertiesAddress(), host + "/vesk-servers.properties");
        QCOMPARE(
            profile.GetUpdatePropertiesAddress(), QString::fromUtf8(PLOVIX_CONFIG_HOST_PROD) + "/vesk-win.properties");
        QCOMPARE(profile.GetTestServerFlag(), test ? 1 : 0);
        QCOMPARE(profile.GetCoursesPerHistoryPage(), 15);
        QVERIFY(profile.GetServerPropertiesAddress().startsWith("https://"));
    }

    void EnvironmentHostStandsInForBoth()
    {
        qputenv("PLOVIX_CONFIG_HOST", "http://127.0.0.1:8080");
        UserSettings::SetValue(UserSettings::DevEnv, "1");
        Profile profile;
        QCOMPARE(profile.GetServerPropertiesAddress(), QString("http://127.0.0.1:8080/vesk-servers.properties"));
        QCOMPARE(profile.GetUpdatePropertiesAddress(), QString("http://127.0.0.1:8080/vesk-win.properties"));
    }

    void WorkersLiveOnNamedThreads()
    {
        Profile profile;
        QCOMPARE(profile.GetProfileThread()->objectName(), QString("Profile Manager"));
        QCOMPARE(profile.GetDownloadThread()->objectName(), QString("Download Manager"));
        QCOMPARE(profile.GetDaemonThread()->objectName(), QString("Daemon Manager"));
        QCOMPARE(profile.GetDataManager()->thread(), profile.GetProfileThread());
        QCOMPARE(profile.GetDownldManager()->thread(), profile.GetDownloadThread());
        QCOMPARE(profile.GetDeamonThreadMgr()->thread(), profile.GetDaemonThread());
        QVERIFY(!profile.GetProfileThread()->isRunning());

        profile.StartThreads();
        QThread* first = profile.GetProfileThread();
        QVERIFY(first->isRunning());
        QVERIFY(profile.GetDownloadThread()->isRunning());
        QVERIFY(profile.GetDaemonThread()->isRunning());
        profile.StartThreads();
        QCOMPARE(profile.GetProfileThread(), first);
        QVERIFY(first->isRunning());
    }

    void WorkersAreDeletedInTheirOwnThreads()
    {
        s_destructorThreads.clear();
        s_previous = qInstallMessageHandler(RecordDestructors);
        {
            Profile profile;
            profile.StartThreads();
            // Work queued right before the shut-down must not reach a
            // deleted worker.
            for (int i = 0; i < 50; ++i) {
                emit profile.GetDataManager()->CleanUp();
                emit profile.GetDownldManager()->CleanUp();
                emit profile.GetDeamonThreadMgr()->Cleanup();
            }
        }
        qInstallMessageHandler(s_previous);
        QMutexLocker lock(&s_linesMutex);
        s_destructorThreads.sort();
        QCOMPARE(s_destructorThreads, QStringList({ "Download Manager", "Profile Manager" }));
    }

    void NoWorkerGoesWhileAnotherStillWorks()
    {
        // A slot still running in the download thread when the shut-down
        // begins may use the session worker; that worker must outlive it.
        std::atomic<int> sequence { 0 };
        std::atomic<int> slotEnded { 0 };
        std::atomic<int> sessionDeleted { 0 };
        {
            Profile profile;
            profile.StartThreads();
            connect(
                profile.GetDataManager(), &QObject::destroyed, profile.GetDataManager(),
                [&] { sessionDeleted = ++sequence; }, Qt::DirectConnection);
            QSemaphore started;
            QMetaObject::invokeMethod(profile.GetDownldManager(), [&] {
                started.release();
                QThread::msleep(300);
                slotEnded = ++sequence;
            });
            started.acquire();
        }
        QVERIFY(slotEnded > 0);
        QVERIFY(sessionDeleted > slotEnded);
    }

    void UnstartedProfileDeletesItsWorkers()
    {
        s_destructorThreads.clear();
        s_previous = qInstallMessageHandler(RecordDestructors);
        {
            Profile profile;
        }
        qInstallMessageHandler(s_previous);
        QMutexLocker lock(&s_linesMutex);
        QCOMPARE(s_destructorThreads.size(), 2);
    }

    void RecordPathFallsBack()
    {
        Profile profile;
        profile.SetDefaultRecordPath("/tmp/default-records");
        QCOMPARE(profile.GetRecordPath(), QString("/tmp/default-records"));
        UserSettings::SetValue(UserSettings::RecordPath, "/stored");
        QCOMPARE(profile.GetRecordPath(), QString("/stored"));
        profile.SetRecordPath("/chosen");
        QCOMPARE(UserSettings::Text(UserSettings::RecordPath), QString("/chosen"));
        QCOMPARE(profile.GetRecordPath(), QString("/chosen"));
    }

    void UserGuideCodeByRole()
    {
        Profile profile;
        QCOMPARE(profile.GetUserGuideCode(4), 0);
        UserSettings::SetValue(UserSettings::UserGuide4Tea, -3);
        QCOMPARE(profile.GetUserGuideCode(4), 0);
        profile.SetUserGuideCode(4, 2);
        profile.SetUserGuideCode(5, 7);
        QCOMPARE(UserSettings::Int(UserSettings::UserGuide4Tea), 2);
        QCOMPARE(UserSettings::Int(UserSettings::UserGuide4Stu), 7);
        QCOMPARE(profile.GetUserGuideCode(1), 2);
        QCOMPARE(profile.GetUserGuideCode(6), 7);
    }

    void NoVolumeSavedByDefault()
    {
        Profile profile;
        QCOMPARE(profile.GetOutputVolume(), -1);
    }
};

PLOVIX_TEST(TestProfile)
#include "tst_Profile.moc"
