// 500 downloads of 64 KiB files from the local service: through the transfer
// worker in its "Download Manager" thread, and through a bare network access
// manager keeping four running at once and writing each body to a file.
#include "ServiceFixture.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const int kFiles = 500;
const int kSize = 64 * 1024;
const int kRunning = 4;
const int kRounds = 5;

QString Path(int run, int index)
{
    return QStringLiteral("/blob/%1/r%2-f%3.bin").arg(kSize).arg(run).arg(index);
}

void WaitFor(const int& done, int count)
{
    while (done < count)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

// Returns milliseconds, or -1 when a transfer failed.
qint64 ThroughWorker(ServiceFixture& service, int run)
{
    Profile profile;
    profile.StartThreads();
    DownldManager* worker = profile.GetDownldManager();
    int finished = 0;
    int failed = 0;
    QObject receiver;
    QObject::connect(
        Nexus::Instance(), &Nexus::DownloadFinish, &receiver, [&finished](int, QString) { ++finished; },
        Qt::QueuedConnection);
    QObject::connect(
        Nexus::Instance(), &Nexus::DownloadFailed, &receiver, [&failed](int, QString) { ++failed; },
        Qt::QueuedConnection);
    const QString folder = AppPaths::DataFolder() + QStringLiteral("bench/worker%1").arg(run);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kFiles; ++i) {
        DownloadElem elem(DownloadCoursePage, service.HttpUrl(Path(run, i)).toString(), folder, QString::number(i));
        emit worker->download(elem);
    }
    int total = 0;
    while (total < kFiles) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        total = finished + failed;
    }
    const qint64 elapsed = clock.elapsed();
    return failed == 0 ? elapsed : -1;
}

qint64 ThroughBareManager(ServiceFixture& service, int run)
{
    QNetworkAccessManager manager;
    const QString folder = AppPaths::DataFolder() + QStringLiteral("bench/bare%1").arg(run);
    QDir().mkpath(folder);
    int next = 0;
    int done = 0;
    bool ok = true;
    std::function<void()> startNext = [&] {
        if (next >= kFiles)
            return;
        const int index = next++;
        QNetworkReply* reply = manager.get(QNetworkRequest(service.HttpUrl(Path(run, index))));
        auto* file = new QFile(folder + QStringLiteral("/f%1.bin").arg(index), reply);
        file->open(QIODevice::WriteOnly | QIODevice::Truncate);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, file] { file->write(reply->readAll()); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [&, reply, file] {
            file->write(reply->readAll());
            file->close();
            ok = ok && reply->error() == QNetworkReply::NoError && file->size() == kSize;
            reply->deleteLater();
            ++done;
            startNext();
        });
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRunning; ++i)
        startNext();
    WaitFor(done, kFiles);
    const qint64 elapsed = clock.elapsed();
    return ok ? elapsed : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX"));
    TestSupport::UseHome(home.path());
    AppPaths::ApplyIdentity();
    QCoreApplication app(argc, argv);
    ServiceFixture service;
    if (!service.Start()) {
        std::fprintf(stderr, "bench_downloads: %s\n", qPrintable(service.ErrorText()));
        return 1;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Nexus::Instance();

    // Warm both roads up once, then measure each kRounds times, alternating.
    ThroughBareManager(service, 0);
    ThroughWorker(service, 0);
    qint64 bare = -1;
    qint64 worker = -1;
    for (int run = 1; run <= kRounds; ++run) {
        // The service keeps every request; forget them so both roads meet
        // a service in the same state.
        service.Reset();
        const qint64 b = ThroughBareManager(service, run);
        service.Reset();
        const qint64 w = ThroughWorker(service, run);
        std::printf(
            "round %d: bare %lld ms, worker %lld ms\n", run, static_cast<long long>(b), static_cast<long long>(w));
        if (b < 0 || w < 0) {
            std::fprintf(stderr, "bench_downloads: a transfer failed\n");
            return 1;
        }
        bare = bare < 0 ? b : std::min(bare, b);
        worker = worker < 0 ? w : std::min(worker, w);
    }
    std::printf("%d downloads of %d KiB, %d at once (best of %d)\n", kFiles, kSize / 1024, kRunning, kRounds);
    std::printf("bare QNetworkAccessManager: %lld ms\n", static_cast<long long>(bare));
    std::printf("transfer worker:            %lld ms\n", static_cast<long long>(worker));
    std::printf("ratio worker/bare:          %.3f (overhead %.1f%%)\n", double(worker) / double(bare),
        100.0 * (double(worker) - double(bare)) / double(bare));
    Nexus::Teardown();
    return 0;
}
