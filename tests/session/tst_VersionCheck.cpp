#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"

#include <QFile>
#include <QtTest>

// The comparison alone: the first three parts, in order, as numbers.
class TestVersionCompare : public QObject
{
    Q_OBJECT

private slots:
    void AgainstTheBuiltInVersion_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("newer");
        QTest::newRow("same three parts") << "1.5.0" << false;
        QTest::newRow("next patch") << "1.5.1" << true;
        QTest::newRow("next minor") << "1.6.0" << true;
        QTest::newRow("fourth part ignored") << "1.5.0.9" << false;
        QTest::newRow("one part") << "2" << false;
        QTest::newRow("two parts") << "2.0" << false;
        QTest::newRow("leading letter") << "v2.0.0" << false;
        QTest::newRow("overlapping weights equal") << "1.4.10" << false;
        // Read as a weighted sum these were 151 and 160 > 150: downgrades.
        QTest::newRow("older patch, large") << "1.4.11" << false;
        QTest::newRow("older minor, large") << "1.3.30" << false;
        QTest::newRow("older major, large") << "0.99.99" << false;
        QTest::newRow("next major") << "2.0.0" << true;
        QTest::newRow("two-digit minor") << "1.10.0" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dots only") << ".." << false;
        QTest::newRow("empty patch") << "1.5." << false;
        QTest::newRow("empty minor of a newer major") << "2..0" << true;
        QTest::newRow("words") << "new.version.now" << false;
        QTest::newRow("negative") << "-1.9.9" << false;
        QTest::newRow("number too large") << "99999999999.0.0" << false;
        QTest::newRow("spaces") << " 1 . 6 . 0 " << true;
        QTest::newRow("letter inside a part") << "1.6a.0" << false;
    }
    void AgainstTheBuiltInVersion()
    {
        QFETCH(QString, offered);
        QFETCH(bool, newer);
        QCOMPARE(DataManager::CurrentVersion(), QString("v1.5.0.2"));
        QCOMPARE(DataManager::IsNewerVersion(offered, DataManager::CurrentVersion()), newer);
    }
};

// The update check against the service's update properties.
class TestVersionCheck : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    Profile* m_profile = nullptr;
    DataManager* m_data = nullptr;

    void Offer(const QByteArray& content) { QVERIFY(m_service.Body("/vesk-win.properties", content, "text/plain")); }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        m_profile = TestSupport::StartHub(m_service.HttpBase());
        m_data = m_profile->GetDataManager();
        QCOMPARE(m_profile->GetUpdatePropertiesAddress(), m_service.HttpBase() + "/vesk-win.properties");
    }
    void cleanupTestCase() { Nexus::Teardown(); }
    void init()
    {
        QVERIFY(m_service.Reset());
        m_profile->SetUpdateForce(false);
    }

    void ServiceDefaultOffersNothing()
    {
        LogCapture log;
        QVERIFY(!m_data->VersionCheck());
        QCOMPARE(m_service.RequestCount("/vesk-win.properties"), 1);
        QVERIFY(m_profile->GetUrl(ClassServerProperty::UpdateDownload).endsWith("/plovix-setup-1.5.0.exe"));
        QCOMPARE(m_profile->GetUpdateMessage(), QString("整体UI更美观！|登录可以记住密码了"));
        QVERIFY(!m_profile->GetUpdateForce());
        QCOMPARE(log.Count("no need update, current version: \"v1.5.0.2\" , availabel version: \"1.5.0\""), 1);
        QCOMPARE(log.Count("_strAvailabelVersion \"1.5.0\""), 1);
    }

    void NewerVersionIsOfferedWithItsValues()
    {
        Offer("update.version=1.6.0\nupdate.server.url=https://files.test/plovix/setup%20v1.6.exe\n"
              "update.message=one|two\nupdate.force=false\n");
        QVERIFY(m_data->VersionCheck());
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UpdateDownload),
            QString("https://files.test/plovix/setup%20v1.6.exe"));
        QCOMPARE(m_profile->GetUpdateMessage(), QString("one|two"));
        QVERIFY(!m_profile->GetUpdateForce());
    }

    void ForceFlag_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("forced");
        QTest::newRow("true") << "true" << true;
        QTest::newRow("capitals") << "TRUE" << true;
        QTest::newRow("mixed") << "True" << true;
        QTest::newRow("yes") << "yes" << false;
        QTest::newRow("one") << "1" << false;
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("true with more") << "true!" << false;
    }
    void ForceFlag()
    {
        QFETCH(QString, value);
        QFETCH(bool, forced);
        QByteArray content = "update.version=1.5.1\nupdate.server.url=https://h/s.exe\n";
        if (!value.isNull())
            content += "update.force=" + value.toUtf8() + "\n";
        Offer(content);
        QVERIFY(m_data->VersionCheck());
        QCOMPARE(m_profile->GetUpdateForce(), forced);
        // Any other word later leaves a set flag as it was.
        Offer("update.version=1.5.1\nupdate.force=no\n");
        m_data->VersionCheck();
        QCOMPARE(m_profile->GetUpdateForce(), forced);
    }

    void MalformedVersionsOfferNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no version") << QByteArray("update.server.url=https://h/s.exe\n");
        QTest::newRow("words") << QByteArray("update.version=latest\n");
        QTest::newRow("list") << QByteArray("update.version=1,6,0\n");
        QTest::newRow("older but heavier") << QByteArray("update.version=1.4.11\nupdate.force=true\n");
        QTest::newRow("garbage file") << QByteArray("\x01\x02 not an ini file [[[\n");
        QTest::newRow("huge version") << QByteArray("update.version=9." + QByteArray(20000, '9') + ".0\n");
    }
    void MalformedVersionsOfferNothing()
    {
        QFETCH(QByteArray, content);
        Offer(content);
        QVERIFY(!m_data->VersionCheck());
    }

    // A failed transfer keeps the file of the earlier run, as it was.
    void FailedDownloadReadsTheEarlierFile()
    {
        Offer("update.version=1.7.0\nupdate.server.url=https://h/earlier.exe\n");
        QVERIFY(m_data->VersionCheck());
        const QString file = AppPaths::DataFolder() + "vesk-win.properties";
        QVERIFY(QFile::exists(file));
        QVERIFY(m_service.CutAfter("/vesk-win.properties", 5));
        QVERIFY(m_data->VersionCheck());
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UpdateDownload), QString("https://h/earlier.exe"));
        QVERIFY(!QFile::exists(file + ".part"));

        QFile::remove(file);
        QVERIFY(m_service.Status("/vesk-win.properties", 404));
        QVERIFY(!m_data->VersionCheck());
        QCOMPARE(m_profile->GetUrl(ClassServerProperty::UpdateDownload), QString());
    }
};

PLOVIX_TEST(TestVersionCompare)
PLOVIX_TEST(TestVersionCheck)
#include "tst_VersionCheck.moc"
