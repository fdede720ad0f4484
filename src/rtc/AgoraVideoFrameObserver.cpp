#include "AgoraVideoFrameObserver.h"

#include "rtc/RtcClock.h"

#include <QMutex>

namespace {
QMutex s_tableLock;
QMap<unsigned, qint64> s_frameTimes;
} // namespace

AgoraVideoFrameObserver* AgoraVideoFrameObserver::Instance()
{
    static AgoraVideoFrameObserver observer;
    return &observer;
}

bool AgoraVideoFrameObserver::onCaptureVideoFrame(rtc::VideoFrame&)
{
    return true;
}

bool AgoraVideoFrameObserver::onRenderVideoFrame(rtc::uid_t uid, rtc::VideoFrame&)
{
    const qint64 now = RtcClock::NowSeconds();
    QMutexLocker lock(&s_tableLock);
    s_frameTimes[uid] = now;
    return true;
}

bool AgoraVideoFrameObserver::FrameTime(unsigned uid, qint64* seconds)
{
    QMutexLocker lock(&s_tableLock);
    auto entry = s_frameTimes.constFind(uid);
    if (entry == s_frameTimes.constEnd())
        return false;
    if (seconds)
        *seconds = entry.value();
    return true;
}

QMap<unsigned, qint64> AgoraVideoFrameObserver::FrameTimes()
{
    QMutexLocker lock(&s_tableLock);
    return s_frameTimes;
}

void AgoraVideoFrameObserver::RemoveFrameTime(unsigned uid)
{
    QMutexLocker lock(&s_tableLock);
    s_frameTimes.remove(uid);
}

void AgoraVideoFrameObserver::ClearFrameTimes()
{
    QMutexLocker lock(&s_tableLock);
    s_frameTimes.clear();
}
