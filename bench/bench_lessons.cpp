// Lessons entered and left one after another by one client process: each
// cycle joins a room where a second participant (an rtc_peer process)
// publishes, waits until each sees the other's pictures, then leaves and
// releases the engine, as the client does at the end of a lesson. After
// every cycle it prints the process's threads, open file descriptors and
// resident memory. Targets: after the first cycle threads and descriptors
// come back to the same count every time; resident memory grows at most
// 10 MB over the 20 cycles.
//
//   tools/netns.sh build/bench/bench_lessons [cycles]
#include "BenchSupport.h"
#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

constexpr unsigned kClient = 57;
constexpr unsigned kOther = 58;
constexpr int kCycles = 20;
constexpr double kMostGrowthMb = 10;
// Threads a release leaves to end on their own (pool threads idle out).
constexpr int kSettleMs = 3000;

struct Figures {
    int threads = 0;
    int fds = 0;
    double rssMb = 0;
};

Figures Measure()
{
    Figures figures;
    figures.threads = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    figures.fds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::NoDotAndDotDot).size();
    const QByteArray status = TestSupport::ReadFile(QStringLiteral("/proc/self/status"));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("VmRSS:"))
            figures.rssMb = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return figures;
}

// One lesson; empty, or what went wrong.
QString Cycle(const ServiceFixture& service, int cycle)
{
    const QString room = QStringLiteral("R1%1").arg(cycle % 10, 2, 10, QLatin1Char('0'));
    RemotePeer other(service, room, kOther);
    if (!other.Start())
        return other.ErrorText();
    LocalPeer client(room, kClient);
    if (!client.Start(service, true))
        return client.ErrorText();
    if (client.WaitFor("frame", kOther).isEmpty())
        return QStringLiteral("no picture of the other participant");
    if (other.WaitFor("frame", kClient).isEmpty())
        return QStringLiteral("the other participant got no picture");
    client.Stop();
    other.Stop();
    return QString();
}

} // namespace

int main(int argc, char* argv[])
{
    const auto home = bench::PrepareMediaRun();
    QApplication app(argc, argv);
    ServiceFixture service;
    if (!bench::StartMediaService(service, "bench_lessons"))
        return 1;
    const Figures start = Measure();
    std::printf("before: %d threads, %d fds, %.1f MB resident\n", start.threads, start.fds, start.rssMb);
    Figures first;
    bool steady = true;
    // A number of cycles may be given, for a quick look under a profiler.
    const int cycles = app.arguments().size() > 1 ? qMax(2, app.arguments().at(1).toInt()) : kCycles;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const QString problem = Cycle(service, cycle);
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "bench_lessons: cycle %d: %s\n", cycle, qPrintable(problem));
            return 1;
        }
        QTest::qWait(kSettleMs);
        const Figures now = Measure();
        if (cycle == 1)
            first = now;
        else
            steady = steady && now.threads == first.threads && now.fds == first.fds;
        std::printf("cycle %2d: %d threads, %d fds, %.1f MB resident\n", cycle, now.threads, now.fds, now.rssMb);
        std::fflush(stdout);
    }
    const double growth = Measure().rssMb - first.rssMb;
    std::printf("threads and fds %s after the first cycle (target: the same); resident memory grew %.1f MB over "
                "the cycles after the first (target: at most %.0f MB)\n",
        steady ? "the same" : "NOT the same", growth, kMostGrowthMb);
    return steady && growth <= kMostGrowthMb ? 0 : 1;
}
