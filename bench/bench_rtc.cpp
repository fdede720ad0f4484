// Live audio and video through the local service's media server, on this
// machine, in one run (inside tools/netns.sh; under Xvfb pictures are
// drawn into native windows, else they reach only the frame observer):
// - join to the first remote frame drawn: a participant of this process
//   joins a room where an rtc_peer publishes, 10 times; median and 95th
//   percentile (target under 1 s);
// - capture-to-render latency of video: the generated camera codes its
//   capture time into the picture; this process reads it back from every
//   rendered frame for 5 s; median and 95th percentile (target under
//   100 ms, jitter buffer included);
// - one publisher and 20 subscribers (rtc_peer processes) at 640 x 480,
//   30 fps: frames per second at every subscriber over 10 s (target at
//   least 25), and the CPU share of the media server and of one subscriber.
//
//   xvfb-run -a tools/netns.sh build/bench_rtc
#include "LocalPeer.h"
#include "MediaBench.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestSupport.h"

#include "platform/rtc/RtcMedia.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr unsigned kPublisher = 58;
constexpr unsigned kViewer = 57;
constexpr int kJoins = 10;
constexpr int kSubscribers = 20;
constexpr int kFpsWindowMs = 10000;

double Percentile(QVector<double> values, double share)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, int(share * values.size())));
}

void PrintFigures(const char* what, const QVector<double>& values, const char* unit)
{
    if (values.isEmpty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::printf("%s (%d samples): median %.1f %s, 95th percentile %.1f %s\n", what, int(values.size()),
        Percentile(values, 0.5), unit, Percentile(values, 0.95), unit);
}

void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

// CPU seconds a process has used so far (user and system).
double CpuSeconds(qint64 pid)
{
    const QByteArray stat = TestSupport::ReadFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    // Fields after the name: state is field 3; utime 14 and stime 15.
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Join to the first remote frame drawn (or, without native windows, handed
// to the frame observer).
QVector<double> JoinTimes(const ServiceFixture& service, bool drawn)
{
    QVector<double> times;
    RemotePeer publisher(service, QStringLiteral("R100"), kPublisher);
    if (!publisher.Start() || publisher.WaitFor(QStringLiteral("onJoinChannelSuccess"), kPublisher).isEmpty()) {
        std::fprintf(stderr, "bench_rtc: the publisher did not join: %s\n", qPrintable(publisher.ErrorText()));
        return times;
    }
    const QString first = drawn ? QStringLiteral("onFirstRemoteVideoFrame") : QStringLiteral("frame");
    for (int round = 0; round < kJoins; ++round) {
        LocalPeer viewer(QStringLiteral("R100"), kViewer);
        QElapsedTimer clock;
        clock.start();
        if (drawn)
            viewer.ShowTile(kPublisher, QSize(rtcmedia::kWidth, rtcmedia::kHeight));
        if (!viewer.Start(service, true)) {
            std::fprintf(stderr, "bench_rtc: %s\n", qPrintable(viewer.ErrorText()));
            break;
        }
        if (viewer.WaitFor(first, kPublisher, 10000).isEmpty()) {
            std::fprintf(stderr, "bench_rtc: no remote frame in round %d\n", round);
            continue;
        }
        times << clock.nsecsElapsed() / 1e6;
        viewer.Stop();
        Pump(300);
    }
    return times;
}

// Capture-to-render latency read from the pictures' capture time codes.
QVector<double> Latencies(const ServiceFixture& service)
{
    QMutex lock;
    QVector<double> latencies;
    RemotePeer publisher(service, QStringLiteral("R101"), kPublisher);
    LocalPeer viewer(QStringLiteral("R101"), kViewer);
    viewer.Recorder().rendered = [&](rtc::uid_t uid, rtc::VideoFrame& frame) {
        const rtcmedia::PictureCode code = rtcmedia::ReadPictureCode(frame);
        if (uid != kPublisher || !code.valid || code.uid != kPublisher)
            return;
        const quint32 now = quint32(QDateTime::currentMSecsSinceEpoch());
        QMutexLocker locked(&lock);
        latencies << double(qint32(now - code.stampMs));
    };
    if (!publisher.Start() || !viewer.Start(service, true)
        || viewer.WaitFor(QStringLiteral("frame"), kPublisher, 10000).isEmpty()) {
        std::fprintf(stderr, "bench_rtc: no pictures for the latency\n");
        return latencies;
    }
    // The first second settles the jitter buffer.
    Pump(1000);
    {
        QMutexLocker locked(&lock);
        latencies.clear();
    }
    Pump(5000);
    viewer.Stop();
    QMutexLocker locked(&lock);
    return latencies;
}

qint64 RenderedOf(const QJsonObject& stats, unsigned uid)
{
    return stats.value(QLatin1String("rendered")).toObject().value(QString::number(uid)).toVariant().toLongLong();
}

void Fanout(const ServiceFixture& service)
{
    RemotePeer publisher(service, QStringLiteral("R102"), kPublisher);
    if (!publisher.Start()) {
        std::fprintf(stderr, "bench_rtc: no publisher: %s\n", qPrintable(publisher.ErrorText()));
        return;
    }
    std::vector<std::unique_ptr<RemotePeer>> subscribers;
    RemotePeer::Options audience;
    audience.audience = true;
    for (int index = 0; index < kSubscribers; ++index) {
        subscribers.push_back(
            std::make_unique<RemotePeer>(service, QStringLiteral("R102"), unsigned(100 + index), audience));
        if (!subscribers.back()->Start()) {
            std::fprintf(stderr, "bench_rtc: subscriber %d did not start\n", index);
            return;
        }
    }
    for (auto& subscriber : subscribers) {
        if (subscriber->WaitFor(QStringLiteral("frame"), kPublisher, 30000).isEmpty()) {
            std::fprintf(stderr, "bench_rtc: subscriber %u sees no picture\n", subscriber->Uid());
            return;
        }
    }
    Pump(1000);
    const qint64 janus = QJsonDocument::fromJson(service.ControlCall("GET", QStringLiteral("/_control/media")))
                             .object()
                             .value(QLatin1String("pid"))
                             .toVariant()
                             .toLongLong();
    const qint64 one = subscribers.front()->ProcessId();
    const auto stats = [&](std::vector<qint64>& counts) {
        counts.clear();
        for (auto& subscriber : subscribers) {
            subscriber->ClearEvents();
            subscriber->Send(QStringLiteral("stats"));
        }
        for (auto& subscriber : subscribers)
            counts.push_back(RenderedOf(subscriber->WaitFor(QStringLiteral("stats"), {}, 5000), kPublisher));
    };
    std::vector<qint64> before;
    std::vector<qint64> after;
    stats(before);
    const double janusBefore = CpuSeconds(janus);
    const double oneBefore = CpuSeconds(one);
    QElapsedTimer clock;
    clock.start();
    Pump(kFpsWindowMs);
    stats(after);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double janusShare = (CpuSeconds(janus) - janusBefore) / seconds * 100;
    const double oneShare = (CpuSeconds(one) - oneBefore) / seconds * 100;
    QVector<double> rates;
    std::printf("one publisher, %d subscribers, %dx%d at %d fps, frames per second at each subscriber:", kSubscribers,
        rtcmedia::kWidth, rtcmedia::kHeight, rtcmedia::kFps);
    for (size_t index = 0; index < after.size(); ++index) {
        rates << (after[index] - before[index]) / seconds;
        std::printf(" %.1f", rates.back());
    }
    std::printf("\n");
    std::printf("  lowest %.1f fps, median %.1f fps (target at least 25)\n",
        *std::min_element(rates.begin(), rates.end()), Percentile(rates, 0.5));
    std::printf("  CPU share of the media server: %.1f %% of a core; of one subscriber: %.1f %% of a core\n",
        janusShare, oneShare);
}

} // namespace

int main(int argc, char* argv[])
{
    MediaBench bench;
    QApplication app(argc, argv);
    if (const int failed = bench.Start("bench_rtc"))
        return failed;
    ServiceFixture& service = bench.Service();
    const bool drawn = QGuiApplication::platformName() == QLatin1String("xcb");
    std::printf("bench_rtc: media server %s, pictures %s\n", qPrintable(service.MediaUrl()),
        drawn ? "drawn into native windows" : "handed to the frame observer only (no X display)");
    const QVector<double> joins = JoinTimes(service, drawn);
    PrintFigures(
        drawn ? "join to the first remote frame drawn" : "join to the first remote frame rendered", joins, "ms");
    // The first join of a process also loads the media plugins and makes
    // the connection's key: shown apart, in the order measured.
    QStringList order;
    for (double ms : joins)
        order << QString::number(ms, 'f', 0);
    std::printf("  in the order measured: %s ms\n", qPrintable(order.join(QLatin1Char(' '))));
    const QVector<double> latencies = Latencies(service);
    if (latencies.isEmpty())
        std::printf("(no rendered picture carried the generated camera's capture time code)\n");
    PrintFigures("capture-to-render latency of video", latencies, "ms");
    Fanout(service);
    return 0;
}
