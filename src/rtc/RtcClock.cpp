#include "RtcClock.h"

#include <QDateTime>
#include <atomic>

namespace {
std::atomic<qint64> s_override { 0 };
} // namespace

namespace RtcClock {

qint64 NowSeconds()
{
    const qint64 fixed = s_override.load();
    return fixed != 0 ? fixed : QDateTime::currentSecsSinceEpoch();
}

void SetOverride(qint64 seconds)
{
    s_override.store(seconds);
}

} // namespace RtcClock
