#include "MediaGaps.h"

#include "platform/rtc/RtcMedia.h"

#include <QElapsedTimer>
#include <chrono>

namespace {

qint64 NowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

void MediaGaps::Stretch::Look(int now, qint64 atMs)
{
    if (now == count)
        return;
    const bool first = count < 0;
    count = now;
    if (first)
        return;
    if (sinceMs >= 0) {
        longestMs = qMax(longestMs, atMs - sinceMs);
        longCount += atMs - sinceMs >= kLongMs;
    }
    sinceMs = atMs;
}

qint64 MediaGaps::Stretch::Longest(qint64 atMs) const
{
    return sinceMs < 0 ? 0 : qMax(longestMs, atMs - sinceMs);
}

MediaGaps::MediaGaps()
    : m_thread([this] { Run(); })
{ }

MediaGaps::~MediaGaps()
{
    m_stop = true;
    m_thread.join();
}

void MediaGaps::Watch(unsigned uid)
{
    Watched watched;
    watched.firstFrames = rtcmedia::RenderedFrames(uid);
    std::lock_guard<std::mutex> lock(m_lock);
    m_watched.insert(uid, watched);
}

QJsonObject MediaGaps::Take(unsigned uid)
{
    const qint64 now = NowMs();
    const int frames = rtcmedia::RenderedFrames(uid);
    std::lock_guard<std::mutex> lock(m_lock);
    Watched& watched = m_watched[uid];
    const QJsonObject gaps { { "event", "gaps" }, { "uid", qint64(uid) }, { "heardMs", watched.heard.Longest(now) },
        { "frozenMs", watched.shown.Longest(now) }, { "frames", frames - watched.firstFrames },
        { "heardLong", watched.heard.longCount } };
    // Afresh, from what is there now.
    for (Stretch* stretch : { &watched.heard, &watched.shown }) {
        stretch->longestMs = 0;
        stretch->longCount = 0;
        if (stretch->sinceMs >= 0)
            stretch->sinceMs = now;
    }
    watched.firstFrames = frames;
    return gaps;
}

void MediaGaps::Run()
{
    while (!m_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard<std::mutex> lock(m_lock);
        const qint64 now = NowMs();
        for (auto watched = m_watched.begin(); watched != m_watched.end(); ++watched) {
            watched->heard.Look(rtcmedia::HeardBuffers(watched.key()), now);
            watched->shown.Look(rtcmedia::RenderedFrames(watched.key()), now);
        }
    }
}
