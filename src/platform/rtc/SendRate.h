#pragma once

// The sender's video bitrate, steered by the loss the media server reports
// on what it receives of us, in the manner of the loss-based half of
// Google's congestion control. Every receiver report (about every 2 s):
//   loss > 10 %:      the link is overloaded: rate *= 1 - loss / 2
//   loss < 2 %:       the link carries more: rate *= 1.08 (about +8 % per
//                     report, so a halving takes some 20 s to win back)
//   otherwise:        hold.
// The rate stays between kFloorBps and kCeilingBps; the sound (Opus) is
// never cut, it protects itself with in-band error correction instead.
#include <QtGlobal>

namespace rtcnet {

class SendRate
{
public:
    static constexpr int kCeilingBps = 1000000;
    static constexpr int kFloorBps = 100000;

    // One receiver report's share of packets lost, 0 to 1. Returns true when
    // the rate changed.
    bool OnReport(double lossShare);
    int Bitrate() const { return m_bps; }

private:
    int m_bps = kCeilingBps;
};

} // namespace rtcnet
