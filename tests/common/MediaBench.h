#pragma once

// The frame of a benchmark through the local service's media server: made
// before the application, it gives the process a temporary home and the
// generated devices; started after it, the service with its media server.

#include "ServiceFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

class MediaBench
{
public:
    MediaBench()
    {
        TestSupport::UseHome(m_home.path());
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        // No sound device is needed: levels are measured before playback.
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
    }

    // 0 when started; else the exit code, with the reason on stderr after
    // who.
    int Start(const char* who)
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR")) {
            std::fprintf(stderr, "%s: run it through tools/netns.sh\n", who);
            return 2;
        }
        m_service = std::make_unique<ServiceFixture>();
        if (!m_service->Start(false, { QStringLiteral("--media-server") }) || m_service->MediaUrl().isEmpty()) {
            std::fprintf(stderr, "%s: no media server: %s\n", who,
                qPrintable(
                    m_service->ErrorText() + QString::fromUtf8(m_service->ControlCall("GET", "/_control/media"))));
            return 1;
        }
        return 0;
    }
    ServiceFixture& Service() { return *m_service; }

private:
    QTemporaryDir m_home { QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX") };
    std::unique_ptr<ServiceFixture> m_service;
};
