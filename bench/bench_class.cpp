// A class through the local service's media server, as a lesson holds it: a
// teacher with the camera on and N - 1 students with their cameras off and
// microphones muted, for N = 2, 10 and 30, each an rtc_peer process; a
// student receives the teacher's pictures only, as its one tile shows. For
// one student: CPU share of a core, threads and received kbit/s over 10 s,
// with the media server's CPU share; then the ratios of that student's CPU
// and threads at 30 to 2 (targets: at most 1.3 each), the time from a muted
// participant's unmute to the sound arriving at that student (target
// 300 ms), and from a camera switched on, its tile set up at once, to the
// first picture (target 1 s).
//
//   tools/netns.sh build/bench/bench_class
#include "BenchSupport.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr unsigned kTeacher = 1;
constexpr unsigned kFirstStudent = 100;
constexpr int kWindowMs = 10000;

struct Figures {
    bool valid = false;
    double cpu = 0; // % of a core
    int threads = 0;
    double kbits = 0;
    double mediaServer = 0; // % of a core
    double unmuteMs = -1;
    double cameraMs = -1;
};

int Threads(qint64 pid)
{
    const QByteArray status = TestSupport::ReadFile(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return -1;
}

// The received bytes of the latest statistics the peer reports (every 2 s),
// and when it came.
QPair<qint64, double> Received(RemotePeer& peer, const QElapsedTimer& clock)
{
    peer.ClearEvents();
    const QJsonObject stats = peer.WaitFor(QStringLiteral("onRtcStats"), {}, 5000);
    return { stats.value(QLatin1String("rxBytes")).toVariant().toLongLong(), clock.nsecsElapsed() / 1e6 };
}

qint64 Heard(RemotePeer& peer, unsigned uid)
{
    peer.ClearEvents();
    if (!peer.Send(QStringLiteral("stats %1").arg(uid)))
        return -1;
    const QJsonObject stats = peer.WaitFor(QStringLiteral("stats"), {}, 5000);
    return stats.value(QLatin1String("heard")).toObject().value(QString::number(uid)).toVariant().toLongLong();
}

Figures Class(const ServiceFixture& service, int size, const QString& room)
{
    Figures figures;
    RemotePeer teacher(service, room, kTeacher);
    if (!teacher.Start() || teacher.WaitFor(QStringLiteral("onJoinChannelSuccess"), kTeacher).isEmpty()) {
        std::fprintf(stderr, "bench_class: the teacher did not join: %s\n", qPrintable(teacher.ErrorText()));
        return figures;
    }
    RemotePeer::Options student;
    student.show = QString::number(kTeacher);
    student.cameraOff = true;
    student.muted = true;
    std::vector<std::unique_ptr<RemotePeer>> students;
    for (int index = 0; index + 1 < size; ++index) {
        students.push_back(std::make_unique<RemotePeer>(service, room, kFirstStudent + unsigned(index), student));
        if (!students.back()->Start()) {
            std::fprintf(
                stderr, "bench_class: student %d did not start: %s\n", index, qPrintable(students.back()->ErrorText()));
            return figures;
        }
    }
    RemotePeer& measured = *students.front();
    if (measured.WaitFor(QStringLiteral("frame"), kTeacher, 30000).isEmpty()) {
        std::fprintf(stderr, "bench_class: the student sees no picture of the teacher\n");
        return figures;
    }
    for (const auto& other : students) {
        if (other.get() != &measured
            && measured.WaitFor(QStringLiteral("onUserJoined"), other->Uid(), 30000).isEmpty()) {
            std::fprintf(stderr, "bench_class: the student did not see %u join\n", other->Uid());
            return figures;
        }
    }
    // Joins and subscriptions settle.
    bench::Pump(3000);
    const qint64 janus = bench::MediaServerPid(service);
    const qint64 pid = measured.ProcessId();
    QElapsedTimer clock;
    clock.start();
    const auto before = Received(measured, clock);
    const double cpuBefore = bench::CpuSeconds(pid);
    const double janusBefore = bench::CpuSeconds(janus);
    const qint64 cpuStart = clock.nsecsElapsed();
    bench::Pump(kWindowMs);
    const double seconds = (clock.nsecsElapsed() - cpuStart) / 1e9;
    figures.cpu = (bench::CpuSeconds(pid) - cpuBefore) / seconds * 100;
    figures.mediaServer = (bench::CpuSeconds(janus) - janusBefore) / seconds * 100;
    figures.threads = Threads(pid);
    const auto after = Received(measured, clock);
    figures.kbits = after.second > before.second
        ? double(after.first - before.first) * 8 / (after.second - before.second)
        : -1; // bytes per ms * 8 = kbit/s
    figures.valid = true;

    // A participant muted so far speaks: the teacher in a class of two
    // (muted for a while first), else a student never heard before.
    RemotePeer& talker = size > 2 ? *students.at(1) : teacher;
    if (size == 2) {
        talker.Send(QStringLiteral("mute-audio 1"));
        bench::Pump(3000);
    }
    const qint64 heardBefore = Heard(measured, talker.Uid());
    QElapsedTimer unmute;
    unmute.start();
    talker.Send(QStringLiteral("mute-audio 0"));
    while (unmute.elapsed() < 5000) {
        if (Heard(measured, talker.Uid()) > heardBefore) {
            figures.unmuteMs = unmute.nsecsElapsed() / 1e6;
            break;
        }
        bench::Pump(5);
    }

    // A camera comes on: the teacher's again in a class of two, else a
    // student's, whose tile the measured one sets up at once.
    RemotePeer& shown = size > 2 ? *students.at(1) : teacher;
    if (size == 2) {
        teacher.Send(QStringLiteral("mute-video 1"));
        bench::Pump(3000);
    }
    const auto frames = [&measured, &shown] {
        measured.ClearEvents();
        measured.Send(QStringLiteral("stats"));
        return measured.WaitFor(QStringLiteral("stats"), {}, 5000)
            .value(QLatin1String("rendered"))
            .toObject()
            .value(QString::number(shown.Uid()))
            .toVariant()
            .toLongLong();
    };
    const qint64 framesBefore = frames();
    QElapsedTimer camera;
    camera.start();
    if (size > 2)
        measured.Send(QStringLiteral("show %1").arg(shown.Uid()));
    shown.Send(QStringLiteral("mute-video 0"));
    while (camera.elapsed() < 5000) {
        if (frames() > framesBefore) {
            figures.cameraMs = camera.nsecsElapsed() / 1e6;
            break;
        }
        bench::Pump(5);
    }
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto home = bench::PrepareMediaRun();
    // Nothing is drawn here.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ServiceFixture service;
    if (!bench::StartMediaService(service, "bench_class"))
        return 1;
    std::printf("bench_class: one teacher (camera on), the students' cameras off and microphones muted; "
                "figures of one student over %d s\n",
        kWindowMs / 1000);
    QMap<int, Figures> classes;
    int room = 104;
    for (int size : { 2, 10, 30 }) {
        const Figures figures = Class(service, size, QStringLiteral("R%1").arg(room++));
        classes.insert(size, figures);
        if (!figures.valid) {
            std::printf("  class of %2d: no figures\n", size);
            continue;
        }
        std::printf("  class of %2d: student CPU %.1f %% of a core, %d threads, %.0f kbit/s received; "
                    "media server CPU %.1f %%; unmute to sound %.0f ms, camera on to picture %.0f ms\n",
            size, figures.cpu, figures.threads, figures.kbits, figures.mediaServer, figures.unmuteMs, figures.cameraMs);
        std::fflush(stdout);
        bench::Pump(1000);
    }
    const Figures& small = classes.value(2);
    const Figures& large = classes.value(30);
    if (small.valid && large.valid && small.cpu > 0 && small.threads > 0) {
        std::printf("  student at 30 / at 2: CPU %.2f (target at most 1.3), threads %.2f (target at most 1.3)\n",
            large.cpu / small.cpu, double(large.threads) / small.threads);
    }
    std::printf("  targets: unmute to sound at most 300 ms, camera on to picture at most 1000 ms\n");
    return 0;
}
