#pragma once

// The pace at which a sender hands its video packets to the connection. An
// encoder gives each picture at once, and on a narrow uplink a large one
// (a key frame, or the picture after it) arrives at the home router in one
// burst: it fills the router's queue, and the sound packets behind it wait
// there past the receivers' jitter buffers and are heard as gaps. Paced at
// kFactor times the video's target, a picture leaves over a few dozen
// milliseconds instead, the router's queue stays short, and the sound,
// which is not paced, passes between the pictures' packets.
// A packet leaves no sooner than the previous one's size at the pace
// allows; kBurstNs of idle time may be made up in a burst. A packet waits
// at most kMostWaitNs: an encoder that runs over the pace for long (a new,
// higher target) is let through rather than kept ever further behind.
#include <QtGlobal>
#include <atomic>

namespace rtcnet {

class Pacer
{
public:
    static constexpr double kFactor = 1.5;
    static constexpr qint64 kBurstNs = 5 * 1000 * 1000;
    static constexpr qint64 kMostWaitNs = 250 * 1000 * 1000;

    explicit Pacer(int videoBps);

    // Any thread.
    void SetVideoRate(int videoBps);
    // How long a packet of bytes taken at nowNs (a monotonic clock) waits
    // before it goes; it counts as sent then. One thread only: the one
    // that sends the packets.
    qint64 Wait(qint64 nowNs, int bytes);

private:
    std::atomic<int> m_paceBps;
    qint64 m_freeNs = 0; // when the packets so far have all gone at the pace
};

} // namespace rtcnet
