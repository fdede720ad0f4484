// The client installed into a staging tree starts as the built one does; on
// a Wayland session it runs through the X server.
#include "ClientUnderX.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The class of the client's windows, as the menu entry names it.
const char kWindowClass[] = "plovix";
constexpr int kWindowTimeoutMs = 90000;

// Every file below folder with its size and change time.
QMap<QString, QString> Snapshot(const QString& folder)
{
    QMap<QString, QString> files;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files.insert(
            info.filePath(), QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch()));
    }
    return files;
}

void TurnOnDebugLog(const QString& home)
{
    QSettings settings(home + QStringLiteral("/.config/Dravona/plovix.conf"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("enableDebug"), QStringLiteral("1"));
}

} // namespace

class TestInstalledClient : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_service;
    QTemporaryDir m_stage;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), m_stage.path());
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(PLOVIX_CMAKE),
            { QStringLiteral("--install"), QStringLiteral(PLOVIX_BINARY_DIR), QStringLiteral("--prefix"),
                QStringLiteral("/usr") });
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void TheInstalledClientReachesTheLoginWindow()
    {
        const QString prefix = m_stage.path() + QStringLiteral("/usr");
        const QString program = prefix + QStringLiteral("/bin/plovix");
        QVERIFY(QFileInfo(program).isExecutable());
        QTemporaryDir home;
        TurnOnDebugLog(home.path());
        const QMap<QString, QString> before = Snapshot(m_stage.path());

        // The menu entry finds the window it started.
        const QSettings entry(
            prefix + QStringLiteral("/share/applications/cn.dravona.plovix.desktop"), QSettings::IniFormat);
        const QByteArray windowClass = entry.value(QStringLiteral("Desktop Entry/StartupWMClass")).toByteArray();
        QCOMPARE(windowClass, QByteArray(kWindowClass));

        ClientUnderX client;
        QVERIFY(client.StartDisplay());
        QVERIFY(client.Start(program, client.Environment(home.path(), m_service.HttpBase())));
        QVERIFY2(client.WaitForWindow(windowClass, kWindowTimeoutMs), client.Output().right(4000).constData());
        QTRY_VERIFY(client.Output().contains("NewLoginWidget"));
        QVERIFY(!m_service.Requests().isEmpty());

        // What it writes goes to the user's folders, nothing beside the
        // executable.
        QTRY_VERIFY(
            QFileInfo::exists(home.path() + QStringLiteral("/.local/share/Dravona/plovix/Plovix/PlovixDebug.log")));
        client.Stop();
        QCOMPARE(Snapshot(m_stage.path()), before);
    }
};

class TestWaylandSession : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_service;

private slots:
    void initTestCase() { QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText())); }

    // Tiles draw into X11 windows: a client started on a Wayland session
    // (no compositor here, but XWayland's display) comes up on the X server.
    void TheClientRunsThroughXWayland()
    {
        QTemporaryDir home;
        ClientUnderX client;
        QVERIFY(client.StartDisplay());
        QProcessEnvironment env = client.Environment(home.path(), m_service.HttpBase());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("plovix-test-no-compositor"));
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        // As Plasma sets it for every program of its Wayland session.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        QVERIFY(client.Start(QStringLiteral(PLOVIX_BINARY_DIR "/plovix"), env));
        QVERIFY2(client.WaitForWindow(kWindowClass, kWindowTimeoutMs), client.Output().right(4000).constData());
        QTRY_VERIFY(client.Output().contains("NewLoginWidget"));
    }
};

PLOVIX_TEST(TestInstalledClient)
PLOVIX_TEST(TestWaylandSession)
#include "tst_InstalledClient.moc"
