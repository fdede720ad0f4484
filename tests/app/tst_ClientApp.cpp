#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "app/ClientApp.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "entry/NewLoginWidget.h"
#include "rtc/DeamonThreadMgr.h"
#include "session/DataManager.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QThread>
#include <QtTest>

// The whole start-up and shut-down, once per process: after the shut-down
// the hub is gone for good.
class TestClientApp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFile::remove(UserSettings::Open()->fileName());
        UserSettings::SetValue(UserSettings::EnableDebug, "1");
        // No configuration host answers here; nothing may hang on it.
        qputenv("PLOVIX_CONFIG_HOST", "http://127.0.0.1:9");
    }

    void ScreenshotBeforeMainWindowIsOnlyLogged()
    {
        OnScreenShotSendCallBack("/tmp/nothing.png");
        OnScreenShotSendCallBack(nullptr);
    }

    void StartsAndShutsDownInOrder()
    {
        QThread* profileThread = nullptr;
        {
            ClientApp client;
            client.Start(QStringLiteral("1.25"));

            Profile* profile = Nexus::GetProfile();
            QVERIFY(profile);
            QCOMPARE(profile->GetScaleFactor(), 1.25);
            QCOMPARE(profile->GetScaleFolder(), QString("x1.25"));
            profileThread = profile->GetProfileThread();
            QVERIFY(profileThread->isRunning());
            QVERIFY(profile->GetDownloadThread()->isRunning());
            QVERIFY(profile->GetDaemonThread()->isRunning());
            QCOMPARE(Nexus::GetDataManager()->thread()->objectName(), QString("Profile Manager"));

            MainWindow* window = client.GetMainWindow();
            QVERIFY(window);
            QCOMPARE(Nexus::GetMainWindow(), window);
            // The login window comes first (no updater is made without an
            // update); the login shows the main window.
            QVERIFY(window->GetLoginWidget()->isVisible());
            QVERIFY(!client.GetUpdater());
            QVERIFY(!window->isVisible());
            emit window->UpdateLoginProgress(2);
            QVERIFY(window->isVisible());
            QVERIFY(!window->GetLoginWidget()->isVisible());
            QVERIFY(window->width() >= 1000 && window->height() >= 640);
            QCOMPARE(window->minimumSize(), QSize(1000, 640));
            QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(!QApplication::windowIcon().isNull());

            // Qt's own dialogs speak Chinese: the file dialog the
            // accompaniment and the uploads open, and its buttons.
            const auto chinese = [](const QString& text) {
                return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4e00; });
            };
            QFileDialog files;
            files.setOption(QFileDialog::DontUseNativeDialog);
            QVERIFY2(chinese(files.labelText(QFileDialog::LookIn)), qPrintable(files.labelText(QFileDialog::LookIn)));
            QVERIFY(chinese(files.labelText(QFileDialog::FileName)));
            QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
            QVERIFY(chinese(buttons.button(QDialogButtonBox::Open)->text()));
            QVERIFY2(chinese(buttons.button(QDialogButtonBox::Cancel)->text()),
                qPrintable(buttons.button(QDialogButtonBox::Cancel)->text()));

            OnScreenShotSendCallBack("/tmp/after-window.png");
            QTest::qWait(200);
            client.Stop();
        }
        QVERIFY(Nexus::IsTornDown());
        QVERIFY(!Nexus::Instance());
        QVERIFY(!Nexus::GetProfile());
        QVERIFY(!Nexus::GetDataManager());

        // A worker asking the hub after the shut-down gets nothing and makes
        // nothing.
        Nexus* seen = reinterpret_cast<Nexus*>(1);
        QThread* worker = QThread::create([&seen] { seen = Nexus::Instance(); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QVERIFY(!seen);

        QFile log(AppPaths::LogFolder() + "/PlovixDebug.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY(text.contains("INFO: "));
        QVERIFY(text.contains("Starting up"));
        QVERIFY(text.contains("current scale value 1.25"));
        QVERIFY(text.contains("into OnGetUserISPInfo, thread:"));
        QVERIFY(text.contains("in OnScreenShotSendCallBack, OnScreenShotSendCallBack value :"));
        QVERIFY(text.contains("into DataManager::~DataManager"));
        QVERIFY(!text.contains("QThread: Destroyed while thread is still running"));
    }
};

// A first start with no settings writes "enableDebug" = "0".
class TestClientFirstStart : public QObject
{
    Q_OBJECT

private slots:
    void WritesEnableDebug()
    {
        QFile::remove(UserSettings::Open()->fileName());
        qputenv("PLOVIX_CONFIG_HOST", "http://127.0.0.1:9");
        {
            ClientApp client;
            client.Start(QStringLiteral("1.0"));
            QCOMPARE(Nexus::GetProfile()->GetScaleFolder(), QString("x1"));
        }
        QVERIFY(UserSettings::Contains(UserSettings::EnableDebug));
        QCOMPARE(UserSettings::Text(UserSettings::EnableDebug), QString("0"));
        QVERIFY(!QFile::exists(AppPaths::LogFolder() + "/PlovixDebug.log"));
    }
};

PLOVIX_TEST(TestClientApp)
PLOVIX_TEST(TestClientFirstStart)
#include "tst_ClientApp.moc"
