// A lesson over the roads of real networks, one participant behind a home
// router (run inside tools/netroads.sh, which builds the router):
//   tools/netroads.sh build/bench_links [ROAD]
// (with ROAD, only the roads whose name holds it run).
// For each road, of the pictures and sound one participant receives of the
// other: the time from the sender's join (its joinChannel call) to the
// first picture, the frame rate and the longest frozen stretch of the
// video and the longest gap in the sound over 20 s after the first 5 s, and
// the bitrate the sender sends at over those 20 s. Targets: on the
// 400 kbit/s uplink with 5 % loss at least 10 fps, no freeze over 1 s and
// no sound gap over 200 ms; through the relay over TLS the first picture
// within 2 s of the join; on the 300 kbit/s downlink no sound gap over
// 200 ms (the pictures are held back there); a 150 kbit/s downlink, on
// which even a probe for the held-back pictures holds the sound up, has
// none.
#include "LocalPeer.h"
#include "MediaGaps.h"
#include "RemotePeer.h"
#include "RoadControl.h"
#include "ServiceFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <functional>

namespace {

constexpr unsigned kTeacher = 57;
constexpr unsigned kStudent = 58;
constexpr int kSettleMs = 5000;
constexpr int kWindowMs = 20000;
// The senders sound a steady tone, not the demo's syllables: the pauses
// between syllables are digital silence, which a sender does not send at
// all, and the receiver would count each as a gap in the sound (120 to
// 300 ms). With a steady tone every gap is the road's.
constexpr int kSteadyToneHz = 440;

bool Any(const QJsonObject&)
{
    return true;
}

void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

// What a road's receiver got of the sender.
struct Figures {
    double firstMs = -1;
    QJsonObject gaps; // as MediaGaps takes them
    double sentKbps = -1;
};

// The bits a second the sender sent over its onRtcStats since the last
// ClearEvents.
double SentKbps(RtcEventLog& sender)
{
    const QList<QJsonObject> stats = sender.Events(QStringLiteral("onRtcStats"));
    if (stats.size() < 2)
        return -1;
    const double bytes = stats.last().value("txBytes").toDouble() - stats.first().value("txBytes").toDouble();
    const double seconds = stats.last().value("duration").toDouble() - stats.first().value("duration").toDouble();
    return seconds > 0 ? bytes * 8 / seconds / 1000 : -1;
}

void Print(const char* name, const Figures& figures, const char* target)
{
    if (figures.firstMs < 0) {
        std::printf("%-30s no picture arrived\n", name);
        std::fflush(stdout);
        return;
    }
    std::printf("%-30s first picture %5.0f ms after the join, %4.1f fps, longest freeze %5lld ms, longest sound "
                "gap %4lld ms, sender at %4.0f kbit/s\n%-30s target: %s\n",
        name, figures.firstMs, figures.gaps.value("frames").toDouble() * 1000.0 / kWindowMs,
        static_cast<long long>(figures.gaps.value("frozenMs").toDouble()),
        static_cast<long long>(figures.gaps.value("heardMs").toDouble()), figures.sentKbps, "", target);
    std::fflush(stdout);
}

// From the sender's join (its joinChannel call) on: the first picture
// (firstPicture waits for it), then over the window the gaps (take gives
// them and starts afresh) and the sender's rate.
Figures Measure(
    RtcEventLog& sender, const std::function<bool()>& firstPicture, const std::function<QJsonObject()>& take)
{
    Figures figures;
    if (sender.WaitFor(QStringLiteral("ready"), Any, 30000).isEmpty())
        return figures;
    QElapsedTimer clock;
    clock.start();
    if (!firstPicture())
        return figures;
    figures.firstMs = clock.nsecsElapsed() / 1e6;
    Pump(kSettleMs);
    take();
    sender.ClearEvents();
    Pump(kWindowMs);
    figures.gaps = take();
    sender.WaitFor(QStringLiteral("onRtcStats"), Any, 3000);
    figures.sentKbps = SentKbps(sender);
    return figures;
}

// The student behind the router sends; the teacher on the school's side
// receives.
Figures Upward(const ServiceFixture& service, const QString& room, bool relays)
{
    MediaGaps gaps;
    LocalPeer teacher(room, kTeacher);
    RemotePeer::Options behind;
    behind.netns = qEnvironmentVariable("PLOVIX_CLIENT_NETNS");
    behind.relays = relays;
    behind.raw = true;
    behind.toneHz = kSteadyToneHz;
    RemotePeer student(service, room, kStudent, behind);
    if (!teacher.Start(service, true)) {
        std::printf("the teacher did not join: %s\n", qPrintable(teacher.ErrorText()));
        return {};
    }
    if (!student.Start())
        return {};
    return Measure(
        student, [&teacher] { return !teacher.WaitFor(QStringLiteral("frame"), kStudent, 30000).isEmpty(); },
        [&gaps] { return gaps.Take(kStudent); });
}

// The teacher on the school's side sends; the student behind the router
// receives.
Figures Downward(const ServiceFixture& service, const QString& room)
{
    RemotePeer::Options school;
    school.raw = true;
    school.toneHz = kSteadyToneHz;
    RemotePeer teacher(service, room, kTeacher, school);
    RemotePeer::Options behind;
    behind.netns = qEnvironmentVariable("PLOVIX_CLIENT_NETNS");
    RemotePeer student(service, room, kStudent, behind);
    if (!student.Start() || !teacher.Start())
        return {};
    return Measure(
        teacher, [&student] { return !student.WaitFor(QStringLiteral("frame"), kTeacher, 30000).isEmpty(); },
        [&student] {
            student.ClearEvents();
            student.Send(QStringLiteral("gaps %1").arg(kTeacher));
            return student.WaitFor(QStringLiteral("gaps"), kTeacher, 5000);
        });
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
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto runs = [&only](const char* name) { return QString::fromUtf8(name).contains(only); };
    if (runs("behind a router"))
        Print("behind a router", Upward(service, QStringLiteral("R100"), false), "none");
    if (runs("uplink 400 kbit/s, 5 % loss") && roads::ShapeUplink(QStringLiteral("400kbit"), 5))
        Print("uplink 400 kbit/s, 5 % loss", Upward(service, QStringLiteral("R101"), false),
            ">= 10 fps, no freeze over 1000 ms, no sound gap over 200 ms");
    roads::Unshape();
    if (runs("downlink 300 kbit/s") && roads::ShapeDownlink(QStringLiteral("300kbit")))
        Print("downlink 300 kbit/s", Downward(service, QStringLiteral("R103")),
            "no sound gap over 200 ms (pictures held back)");
    roads::Unshape();
    // Too narrow even for one key frame of a probe to pass without
    // holding the sound up: no target, the figures tell how far off.
    if (runs("downlink 150 kbit/s") && roads::ShapeDownlink(QStringLiteral("150kbit")))
        Print("downlink 150 kbit/s", Downward(service, QStringLiteral("R104")), "none");
    roads::Unshape();
    if (runs("relay over TLS on 443")) {
        roads::RouterRule(QStringLiteral("meta l4proto udp"), QStringLiteral("no udp"), QStringLiteral("drop"));
        roads::RouterRule(QStringLiteral("tcp dport 3478"), QStringLiteral("no plain relay"), QStringLiteral("drop"));
        Print("relay over TLS on 443", Upward(service, QStringLiteral("R102"), true), "first picture within 2000 ms");
    }
    service.Stop();
    return 0;
}
