// Shared main of the test executables: a temporary home (settings, data and
// log folders) for every run, the offscreen platform, then the chosen class.
// Without a class name every class runs, each in a process of its own, since
// some tests end process-wide state (the hub) for good.
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "platform/OpenGLBackend.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#define PLOVIX_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLOVIX_LEAK_CHECK 1
#endif
#endif
#ifdef PLOVIX_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

// The leak checker stops every thread to scan them; a thread that ends
// meanwhile (the media library's, GLib's, during the teardown at exit) can
// make it fail with "LeakSanitizer has encountered a fatal error". So the
// check runs here, once no thread has come or gone for a moment, while the
// application still stands; the check at exit is then skipped. A leak is
// unreachable at any time, so none escapes it.
static void CheckLeaksWhileCalm()
{
#ifdef PLOVIX_LEAK_CHECK
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer steady;
    steady.start();
    int threads = -1;
    while (waited.elapsed() < 3000) {
        const int now = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        if (now != threads) {
            threads = now;
            steady.restart();
        } else if (steady.elapsed() >= 300) {
            break;
        }
        QThread::msleep(20);
    }
    __lsan_do_leak_check();
#endif
}

static int RunEachInItsOwnProcess(int argc, char* argv[])
{
    int failures = 0;
    for (const auto& entry : TestRegistry::Classes()) {
        QStringList args { entry.first };
        for (int i = 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]), args);
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char* argv[])
{
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!TestRegistry::Classes().count(first)) {
        QCoreApplication app(argc, argv);
        return RunEachInItsOwnProcess(argc, argv);
    }

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/plovix-test-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot create a temporary home\n");
        return 1;
    }
    TestSupport::UseHome(home.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test looks the public address up on the internet: a closed
    // loopback port unless a test names its own service.
    if (qEnvironmentVariableIsEmpty("PLOVIX_IPINFO_HOST"))
        qputenv("PLOVIX_IPINFO_HOST", "http://127.0.0.1:9");
    // Nor fetch the default course picture from the real picture host.
    if (qEnvironmentVariableIsEmpty("PLOVIX_PICTURE_HOST"))
        qputenv("PLOVIX_PICTURE_HOST", "http://127.0.0.1:9");
    // The engine plays and records no real audio in tests: the
    // machines that run them have no sound device.
    if (qEnvironmentVariableIsEmpty("PLOVIX_RTC_NO_AUDIO"))
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
    // Most tests run the service without a media server: their rooms join
    // the channel locally, carrying nothing.
    if (qEnvironmentVariableIsEmpty("PLOVIX_RTC_LOCAL_CHANNEL"))
        qputenv("PLOVIX_RTC_LOCAL_CHANNEL", "1");
    // GStreamer keeps its plugin registry in the home; one shared by every
    // test spares each temporary home a scan of all plugins.
    if (qEnvironmentVariableIsEmpty("GST_REGISTRY"))
        qputenv("GST_REGISTRY", PLOVIX_BINARY_DIR "/gstreamer-registry.bin");

    // Nor start the desktop's browser: a test that follows a link sees the
    // address through its own opener.
    Shell::SetUrlOpener([](const QUrl&) { return false; });

    AppPaths::ApplyIdentity();
    // As the client: an OpenGL widget keeps its context in a new window.
    OpenGLBackend::ReserveSharedContext();
    QApplication app(argc, argv);
    TestSupport::InstallFonts();

    std::unique_ptr<QObject> test = TestRegistry::Classes().at(first)();
    QStringList args { QString::fromLocal8Bit(argv[0]) };
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const int code = QTest::qExec(test.get(), args) == 0 ? 0 : 1;
    test.reset();
    OpenGLBackend::ReleaseSharedContext();
    CheckLeaksWhileCalm();
    return code;
}
