// A lesson over the roads of real networks, one participant behind a home
// router (run inside tools/netroads.sh, which builds the router):
//   tools/netroads.sh build/bench_links
// For each road: the time from the student's join to the teacher's first
// picture of the student (process start included), the frame rate of the
// student's video at the teacher and its longest frozen stretch over 20 s
// after the first 5 s. The sender's settled bitrate is on the student's
// error output ("the video is sent at"). Targets: on the 400 kbit/s uplink
// with 5 % loss at least 10 fps and no freeze over 1 s; through the relay
// over TLS the first picture within 2 s of the join.
#include "LocalPeer.h"
#include "RemotePeer.h"
#include "RoadControl.h"
#include "ServiceFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

namespace {

constexpr unsigned kTeacher = 57;
constexpr unsigned kStudent = 58;

void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

void Road(const ServiceFixture& service, const char* name, const QString& room, bool relays)
{
    const int settleMs = 5000;
    const int windowMs = 20000;
    LocalPeer teacher(room, kTeacher);
    RemotePeer::Options behind;
    behind.netns = qEnvironmentVariable("PLOVIX_CLIENT_NETNS");
    behind.relays = relays;
    RemotePeer student(service, room, kStudent, behind);
    if (!teacher.Start(service, true)) {
        std::printf("%s: the teacher did not join: %s\n", name, qPrintable(teacher.ErrorText()));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    if (!student.Start() || teacher.WaitFor(QStringLiteral("frame"), kStudent, 30000).isEmpty()) {
        std::printf("%s: no picture of the student\n", name);
        return;
    }
    const double first = clock.nsecsElapsed() / 1e6;
    Pump(settleMs);
    const qint64 before = teacher.Recorder().RenderedFrames(kStudent);
    qint64 last = before;
    QElapsedTimer window;
    window.start();
    qint64 lastAt = 0;
    qint64 longest = 0;
    while (window.elapsed() < windowMs) {
        Pump(10);
        const qint64 now = teacher.Recorder().RenderedFrames(kStudent);
        if (now != last) {
            longest = qMax(longest, window.elapsed() - lastAt);
            lastAt = window.elapsed();
            last = now;
        }
    }
    longest = qMax(longest, window.elapsed() - lastAt);
    std::printf("%s: first picture %.0f ms after the join, %.1f fps, longest freeze %lld ms\n", name, first,
        (last - before) * 1000.0 / windowMs, static_cast<long long>(longest));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("PLOVIX_MEDIA_DEMO", "1");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PLOVIX_CLIENT_NETNS")) {
        std::fprintf(stderr, "bench_links: run it through tools/netroads.sh\n");
        return 2;
    }
    ServiceFixture service;
    if (!service.Start(false,
            { QStringLiteral("--media-server"), QStringLiteral("--relay"), QStringLiteral("--media-host"),
                qEnvironmentVariable("PLOVIX_MEDIA_ADDR") })
        || service.MediaUrl().isEmpty()) {
        std::fprintf(stderr, "bench_links: no media server: %s\n", qPrintable(service.ErrorText()));
        return 1;
    }
    qputenv("PLOVIX_EXTRA_CA_FILE", service.CaPath().toUtf8());
    Road(service, "behind a router", QStringLiteral("R100"), false);
    if (roads::ShapeUplink(QStringLiteral("400kbit"), 5))
        Road(service, "uplink 400 kbit/s, 5 % loss", QStringLiteral("R101"), false);
    roads::Unshape();
    roads::RouterRule(QStringLiteral("meta l4proto udp"), QStringLiteral("no udp"), QStringLiteral("drop"));
    roads::RouterRule(QStringLiteral("tcp dport 3478"), QStringLiteral("no plain relay"), QStringLiteral("drop"));
    Road(service, "relay over TLS on 443", QStringLiteral("R102"), true);
    service.Stop();
    return 0;
}
