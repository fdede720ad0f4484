#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "app/ClientApp.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/downLoadExeFile.h"
#include "entry/NewLoginWidget.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The client's start-up against the service, with the update properties
// the service is told to offer. One start per process.
struct StartupWithOffer {
    ServiceFixture service;
    ClientApp client;

    bool Start(const QByteArray& offer)
    {
        if (!service.Start())
            return false;
        service.Body("/vesk-win.properties", offer, "text/plain");
        qputenv("PLOVIX_CONFIG_HOST", service.HttpBase().toUtf8());
        client.Start(QStringLiteral("1.0"));
        return true;
    }
    NewLoginWidget* Login() const { return client.GetMainWindow()->GetLoginWidget(); }
};

} // namespace

class TestStartupOffersUpdate : public QObject
{
    Q_OBJECT

private slots:
    void UpdaterInsteadOfTheLogin()
    {
        StartupWithOffer start;
        QSignalSpy configured(Nexus::Instance(), &Nexus::DownloadCfgFinished);
        LogCapture log;
        QVERIFY(start.Start("update.version=1.6.0\nupdate.server.url=https://files.test/plovix-setup-1.6.0.exe\n"
                            "update.message=新版本|更快\n"));
        downLoadExeFile* updater = start.client.GetUpdater();
        QVERIFY(updater);
        QVERIFY(updater->isVisible());
        QCOMPARE(updater->GetFileName(), QString("plovix-setup-1.6.0.exe"));
        QCOMPARE(updater->findChild<QLabel*>("labeldownload")->text(), QString("新版本\n更快"));
        QVERIFY(!start.Login()->isVisible());
        QCOMPARE(log.Count("no need update ."), 0);

        // The server properties were asked for at start-up too.
        QTRY_COMPARE_WITH_TIMEOUT(configured.size(), 1, 10000);
        QCOMPARE(Nexus::GetProfile()->GetUrl(ClassServerProperty::UserLogin), start.service.HttpBase() + "/api/login");
        QCOMPARE(start.service.RequestCount("/vesk-servers.properties"), 1);
        QCOMPARE(start.service.RequestCount("/vesk-win.properties"), 1);

        // The updater goes first at shut-down, then the rest.
        start.client.Stop();
        QVERIFY(!start.client.GetUpdater());
        QVERIFY(Nexus::IsTornDown());
    }
};

class TestStartupOptionalUpdateWithoutFileName : public QObject
{
    Q_OBJECT

private slots:
    void LoginShows()
    {
        StartupWithOffer start;
        LogCapture log;
        QVERIFY(start.Start("update.version=1.6.0\nupdate.server.url=https://files.test/setup/\n"));
        QCOMPARE(log.Count(" downLoadExeFile, filename is empty"), 1);
        QVERIFY(!start.client.GetUpdater()->isVisible());
        QVERIFY(start.Login()->isVisible());
    }
};

class TestStartupForcedUpdateWithoutFileName : public QObject
{
    Q_OBJECT

private slots:
    void UpdaterSaysWhy()
    {
        StartupWithOffer start;
        QVERIFY(start.Start("update.version=2.0.0\nupdate.server.url=https://files.test/\nupdate.force=TRUE\n"));
        downLoadExeFile* updater = start.client.GetUpdater();
        QVERIFY(updater->isVisible());
        QVERIFY(updater->findChild<QLabel*>("labelD")->text().contains("自动更新失败."));
        QVERIFY(!start.Login()->isVisible());
        // Forced: closing it leads nowhere else.
        updater->OnClose();
        QVERIFY(updater->isVisible());
        QVERIFY(!start.Login()->isVisible());
    }
};

PLOVIX_TEST(TestStartupOffersUpdate)
PLOVIX_TEST(TestStartupOptionalUpdateWithoutFileName)
PLOVIX_TEST(TestStartupForcedUpdateWithoutFileName)
#include "tst_StartupUpdate.moc"
