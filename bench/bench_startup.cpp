// Start-up cost of the login window: the client, started against an
// unreachable configuration host, beside a bare Qt widgets program that
// shows one window in the same font; five interleaved starts each on an X
// server of the benchmark's own. Medians of the time from process start to
// the first window that stays mapped, and of resident and own anonymous
// memory three seconds later, with their ratios and the targets (first
// window at most 1.5 times the bare program's, resident memory at most 1.25
// times, own anonymous memory at most 20 MB). Then the same figures in a
// class room: a process of this benchmark builds the main window, enters a
// room, makes the engine and a player core drawing into an OpenGL picture,
// as a room with media does; those are figures to hold later changes
// against.
//
//   build/bench/bench_startup [--client PATH]
#include "../tests/app/MainWindowFixture.h"

#include "app/AppFonts.h"
#include "platform/OpenGLBackend.h"
#include "player/av/AVPlayer.h"
#include "player/av/OpenGLRenderer.h"
#include "rtc/CAgoraObject.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

constexpr int kStarts = 5;
constexpr int kSettleMs = 3000;
constexpr int kWindowTimeoutMs = 30000;
constexpr int kStaysUpMs = 200;

struct Sample {
    double windowMs = -1;
    double rssMb = 0;
    double anonMb = 0;
    int threads = 0;
    int libraries = 0;
};

double Median(QVector<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void ReadProcess(qint64 pid, Sample* sample)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QFile rollup(proc + QStringLiteral("smaps_rollup"));
    if (rollup.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 2)
                continue;
            if (fields.at(0) == "Rss:")
                sample->rssMb = fields.at(1).toDouble() / 1024;
            else if (fields.at(0) == "Anonymous:")
                sample->anonMb = fields.at(1).toDouble() / 1024;
        }
    }
    QFile maps(proc + QStringLiteral("maps"));
    QSet<QByteArray> libraries;
    if (maps.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : maps.readAll().split('\n')) {
            const int path = line.indexOf('/');
            if (path >= 0 && line.indexOf(".so", path) > 0)
                libraries.insert(line.mid(path));
        }
    }
    sample->libraries = libraries.size();
    sample->threads = QDir(proc + QStringLiteral("task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

// Watches the X server for the first top-level window a program maps.
class MapWatch
{
public:
    explicit MapWatch(const QByteArray& display)
    {
        int screenNumber = 0;
        m_connection = xcb_connect(display.constData(), &screenNumber);
        if (xcb_connection_has_error(m_connection) != 0)
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        m_ok = true;
    }
    ~MapWatch() { xcb_disconnect(m_connection); }
    bool Ok() const { return m_ok; }

    // Reads the pending events; true while a top-level window is mapped.
    bool AnyMapped()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const int type = event->response_type & ~0x80;
            if (type == XCB_MAP_NOTIFY)
                m_mapped.insert(reinterpret_cast<xcb_map_notify_event_t*>(event)->window);
            else if (type == XCB_UNMAP_NOTIFY)
                m_mapped.remove(reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window);
            std::free(event);
        }
        return !m_mapped.isEmpty();
    }
    // Forgets the windows of earlier programs.
    void Reset()
    {
        AnyMapped();
        m_mapped.clear();
    }

private:
    xcb_connection_t* m_connection = nullptr;
    QSet<xcb_window_t> m_mapped;
    bool m_ok = false;
};

QProcessEnvironment Environment(const QString& home, const QByteArray& display, quint16 closedPort)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const QString nowhere = QStringLiteral("http://127.0.0.1:%1").arg(closedPort);
    for (const char* name :
        { "PLOVIX_CONFIG_HOST", "PLOVIX_IPINFO_HOST", "PLOVIX_COURSE_SITE_HOST", "PLOVIX_PICTURE_HOST" })
        env.insert(QLatin1String(name), nowhere);
    env.insert(QStringLiteral("PLOVIX_CLASSROOM_HOST"), QStringLiteral("127.0.0.1:%1").arg(closedPort));
    env.insert(QStringLiteral("PLOVIX_MEDIA_DEMO"), QStringLiteral("1"));
    return env;
}

// Starts program, waits for its first window (or for readyLine on its
// output), lets it settle and reads its figures.
Sample Measure(const QString& program, const QStringList& args, const QProcessEnvironment& env, MapWatch* watch,
    const QByteArray& readyLine = QByteArray())
{
    Sample sample;
    watch->Reset();
    QProcess process;
    process.setProcessEnvironment(env);
    if (readyLine.isEmpty()) {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        std::printf("cannot start %s\n", qPrintable(program));
        return sample;
    }
    QByteArray output;
    qint64 shownAt = -1;
    while (clock.elapsed() < kWindowTimeoutMs && process.state() == QProcess::Running) {
        if (!readyLine.isEmpty() && output.contains(readyLine)) {
            sample.windowMs = clock.nsecsElapsed() / 1e6;
            break;
        }
        // A window mapped and taken down again at once is not one the user
        // sees: the first window counts from when it stays up.
        if (readyLine.isEmpty()) {
            if (!watch->AnyMapped()) {
                shownAt = -1;
            } else if (shownAt < 0) {
                shownAt = clock.nsecsElapsed();
            } else if (clock.nsecsElapsed() - shownAt >= kStaysUpMs * 1000000LL) {
                sample.windowMs = shownAt / 1e6;
                break;
            }
        }
        if (!readyLine.isEmpty() && process.waitForReadyRead(5))
            output += process.readAll();
        else
            QThread::msleep(1);
    }
    if (sample.windowMs >= 0) {
        QThread::msleep(kSettleMs);
        ReadProcess(process.processId(), &sample);
    } else {
        std::printf("%s showed no window in time\n", qPrintable(program));
    }
    process.kill();
    process.waitForFinished(10000);
    return sample;
}

void PrintRow(const char* what, double client, double bare, const char* format, double target = 0)
{
    std::printf("  %-22s", what);
    std::printf(format, client);
    std::printf(format, bare);
    if (bare > 0 && target > 0) {
        const double ratio = client / bare;
        std::printf("  %6.2f  at most %.2f: %s", ratio, target, ratio <= target ? "pass" : "miss");
    }
    std::printf("\n");
}

int RunRoom(int argc, char* argv[])
{
    OpenGLBackend::ReserveSharedContext();
    QApplication app(argc, argv);
    AppFonts::Install();
    QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei UI")));
    MainWindow* window = MainWindowFixture::BuildLoggedIn();
    MainWindowFixture::EnterRoom(window);
    window->show();
    CAgoraObject* engine = CAgoraObject::GetAgoraObject(QStringLiteral("startup"));
    if (engine != nullptr)
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(engine);
    plxav::AVPlayer player;
    plxav::OpenGLRenderer picture(plxav::VideoRendererId_OpenGLWidget);
    player.setRenderer(&picture);
    picture.resize(320, 240);
    picture.show();
    QTimer::singleShot(500, [] {
        std::printf("ROOM READY\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--room") == 0)
        return RunRoom(argc, argv);

    QCoreApplication app(argc, argv);
    // "--client PATH" measures another build of the client, e.g. an older one.
    const int named = QCoreApplication::arguments().indexOf(QStringLiteral("--client"));
    const QString client = named > 0 && named + 1 < argc ? QCoreApplication::arguments().at(named + 1)
                                                         : QStringLiteral(PLOVIX_BINARY_DIR "/plovix");
    const QString bare = QStringLiteral(PLOVIX_BINARY_DIR "/bench/bench_bare_window");
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    QByteArray number;
    while (!number.endsWith('\n') && xvfb.waitForReadyRead(10000))
        number += xvfb.readAllStandardOutput();
    if (number.trimmed().isEmpty()) {
        std::printf("cannot start Xvfb\n");
        return 1;
    }
    const QByteArray display = ':' + number.trimmed();
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        closedPort = probe.serverPort();
    }
    MapWatch watch(display);
    if (!watch.Ok()) {
        std::printf("cannot watch the X server %s\n", display.constData());
        return 1;
    }

    QVector<Sample> clientSamples;
    QVector<Sample> bareSamples;
    for (int i = 0; i < kStarts; ++i) {
        QTemporaryDir clientHome;
        QTemporaryDir bareHome;
        clientSamples << Measure(client, {}, Environment(clientHome.path(), display, closedPort), &watch);
        bareSamples << Measure(bare, {}, Environment(bareHome.path(), display, closedPort), &watch);
        std::printf("start %d: client %.0f ms %.1f MB (own anonymous %.1f MB), bare %.0f ms %.1f MB (%.1f MB)\n", i + 1,
            clientSamples.last().windowMs, clientSamples.last().rssMb, clientSamples.last().anonMb,
            bareSamples.last().windowMs, bareSamples.last().rssMb, bareSamples.last().anonMb);
        std::fflush(stdout);
    }
    auto median = [](const QVector<Sample>& samples, double Sample::*field) {
        QVector<double> values;
        for (const Sample& sample : samples)
            values << sample.*field;
        return Median(values);
    };
    auto medianCount = [](const QVector<Sample>& samples, int Sample::*field) {
        QVector<double> values;
        for (const Sample& sample : samples)
            values << sample.*field;
        return Median(values);
    };
    std::printf("\nlogin window, medians of %d interleaved starts:\n", kStarts);
    std::printf("  %-22s%10s%10s   ratio\n", "", "client", "bare");
    PrintRow("first window (ms)", median(clientSamples, &Sample::windowMs), median(bareSamples, &Sample::windowMs),
        "%10.0f", 1.5);
    PrintRow(
        "resident (MB)", median(clientSamples, &Sample::rssMb), median(bareSamples, &Sample::rssMb), "%10.1f", 1.25);
    PrintRow(
        "own anonymous (MB)", median(clientSamples, &Sample::anonMb), median(bareSamples, &Sample::anonMb), "%10.1f");
    PrintRow("shared libraries", medianCount(clientSamples, &Sample::libraries),
        medianCount(bareSamples, &Sample::libraries), "%10.0f");
    PrintRow(
        "threads", medianCount(clientSamples, &Sample::threads), medianCount(bareSamples, &Sample::threads), "%10.0f");
    const double anon = median(clientSamples, &Sample::anonMb);
    std::printf("  own anonymous memory %.1f MB, at most 20 MB: %s\n", anon, anon <= 20 ? "pass" : "miss");

    QTemporaryDir roomHome;
    const Sample room = Measure(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")), { QStringLiteral("--room") },
        Environment(roomHome.path(), display, closedPort), &watch, "ROOM READY");
    std::printf("\nin a class room (engine, player core, OpenGL picture): resident %.1f MB, own anonymous %.1f MB, "
                "threads %d, shared libraries %d\n",
        room.rssMb, room.anonMb, room.threads, room.libraries);
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return 0;
}
