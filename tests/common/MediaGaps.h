#pragma once

#include <QJsonObject>
#include <QMap>
#include <atomic>
#include <mutex>
#include <thread>

// What a participant received of the others, watched from a thread of its
// own every few milliseconds: for each uid the longest stretch without a
// decoded sound buffer and without a new decoded picture, counted from the
// first of each (rtcmedia's counts, so that a still picture handed on
// again is no new one).
class MediaGaps
{
public:
    MediaGaps();
    ~MediaGaps();
    MediaGaps(const MediaGaps&) = delete;
    MediaGaps& operator=(const MediaGaps&) = delete;

    // Watches uid from now on; watching again starts afresh.
    void Watch(unsigned uid);
    // {"event": "gaps", "uid", "heardMs", "frozenMs", "frames",
    // "heardLong"} since Watch or the previous Take, and starts afresh;
    // heardLong counts the sound's gaps of kLongMs or more.
    static constexpr qint64 kLongMs = 200;
    QJsonObject Take(unsigned uid);

private:
    struct Stretch {
        int count = -1; // at the last look
        qint64 sinceMs = -1; // when it last changed; -1: not yet
        qint64 longestMs = 0;
        int longCount = 0;
        void Look(int now, qint64 atMs);
        qint64 Longest(qint64 atMs) const;
    };
    struct Watched {
        Stretch heard;
        Stretch shown;
        int firstFrames = 0;
    };
    void Run();

    std::mutex m_lock;
    QMap<unsigned, Watched> m_watched;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};
