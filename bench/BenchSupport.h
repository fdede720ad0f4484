#pragma once

// Small helpers the benchmarks share.
#include "ServiceFixture.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace bench {

// Runs the event loop for ms.
inline void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

// CPU seconds a process has used so far (user and system).
inline double CpuSeconds(qint64 pid)
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

// A home of its own and generated devices for a media benchmark, set
// before the application object is made; the home lives as long as the
// result.
inline std::unique_ptr<QTemporaryDir> PrepareMediaRun()
{
    auto home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX"));
    TestSupport::UseHome(home->path());
    qputenv("PLOVIX_MEDIA_DEMO", "1");
    // No sound device is needed: levels are measured before playback. A
    // run may ask for the sound devices (PLOVIX_RTC_NO_AUDIO=0).
    if (qEnvironmentVariableIsEmpty("PLOVIX_RTC_NO_AUDIO"))
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
    return home;
}

// Starts the local service with its media server, inside the media
// namespace; false (with a line on stderr, named by who) otherwise.
inline bool StartMediaService(ServiceFixture& service, const char* who)
{
    if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR")) {
        std::fprintf(stderr, "%s: run it through tools/netns.sh\n", who);
        return false;
    }
    if (!service.Start(false, { QStringLiteral("--media-server") }) || service.MediaUrl().isEmpty()) {
        std::fprintf(stderr, "%s: no media server: %s\n", who,
            qPrintable(service.ErrorText() + QString::fromUtf8(service.ControlCall("GET", "/_control/media"))));
        return false;
    }
    return true;
}

// The process id of the service's media server.
inline qint64 MediaServerPid(const ServiceFixture& service)
{
    return QJsonDocument::fromJson(service.ControlCall("GET", QStringLiteral("/_control/media")))
        .object()
        .value(QLatin1String("pid"))
        .toVariant()
        .toLongLong();
}

} // namespace bench
