#pragma once

// The sender's video bitrate, steered by the loss the media server reports
// on what it receives of us, in the manner of the loss-based half of
// Google's congestion control. Every receiver report (about every 2 s),
// with the loss taken as the mean of the latest two reports' (a single
// report counts a hundred packets or so, and 5 % of random loss reads
// above 10 % in one report of twenty; a rate cut on each of those and
// never raised at 5 % would slide to the floor within a minute):
//   one report > 25 %: the link is overloaded, whatever came before:
//                     rate = min(rate, sent) * (1 - loss / 2), and no
//                     more than what got through, sent * (1 - loss)
//   mean > 10 %:      rate = min(rate, what was sent) * (1 - mean / 2);
//                     an encoder that sent less than its target is cut
//                     from what it sent
//   round trip > its least of the last 30 s + 150 ms:
//                     a queue builds on the way (a home router holds up
//                     to a second of packets before it drops any, and the
//                     sound waits in it too): rate = min(rate, sent) * 0.85
//   mean < 2 % and the round trip within 50 ms of its least:
//                     the link carries more: rate *= 1.08 (about +8 % per
//                     report, so a halving takes some 20 s to win back);
//                     never on the first report alone
//   otherwise:        hold.
// A lesson starts at kStartBps, not at the ceiling: a megabit into a home
// uplink of a few hundred kilobits fills its queue before the first report
// comes back, and loses the connection's own handshake with the media
// server there. Until a report shows loss the rate rises by a quarter per
// clean report from the second on (the ceiling in some 14 s), then by the
// 8 % above.
// The server's first report covers the connection's start, whose first
// pictures leave in a burst, and is no reading of the link: it is skipped.
// The rate stays between kFloorBps and kCeilingBps; the sound (Opus) is
// never cut, it protects itself with in-band error correction instead.
// Fewer pictures a second lose more of them to a lossy link (a picture
// that loses a packet is lost whole), so the frame rate falls only below
// kFewerFramesBps, to 15 fps, and below kSmallerBps the pictures are also
// sent at 320 x 240: the picture keeps moving.
#include <QtGlobal>
#include <deque>

namespace rtcnet {

class SendRate
{
public:
    static constexpr int kCeilingBps = 1000000;
    static constexpr int kStartBps = 300000;
    static constexpr int kFloorBps = 100000;
    static constexpr int kFewerFramesBps = 250000;
    static constexpr int kSmallerBps = 150000;

    struct Shape {
        int width;
        int height;
        int fps;
        bool operator==(const Shape& other) const
        {
            return width == other.width && height == other.height && fps == other.fps;
        }
    };

    // One receiver report's share of packets lost, 0 to 1, the bits a
    // second sent since the last (0: not known) and the round trip to the
    // server (negative: not known). Returns true when the rate changed.
    bool OnReport(double lossShare, qint64 sentBps = 0, double rttMs = -1);
    int Bitrate() const { return m_bps; }
    Shape PictureShape() const;

private:
    int m_bps = kStartBps;
    double m_lastLoss = -1; // the previous report's, -1 before one
    bool m_starting = true; // no report has shown loss yet
    std::deque<double> m_rtts; // the round trips of the last 30 s
};

} // namespace rtcnet
