#pragma once

// The sender's video bitrate, steered by the loss the media server reports
// on what it receives of us, in the manner of the loss-based half of
// Google's congestion control. Every receiver report (about every 2 s):
//   loss > 10 %:      the link is overloaded: rate = min(rate, what was
//                     sent) * (1 - loss / 2), and over 25 % no more
//                     than what got through, sent * (1 - loss); an
//                     encoder that sent less than its target is cut from
//                     what it sent
//   loss < 2 %:       the link carries more: rate *= 1.08 (about +8 % per
//                     report, so a halving takes some 20 s to win back)
//   otherwise:        hold.
// The server's first report covers the connection's start, whose first
// pictures leave in a burst, and is no reading of the link: it is skipped.
// The rate stays between kFloorBps and kCeilingBps; the sound (Opus) is
// never cut, it protects itself with in-band error correction instead.
// Fewer pictures a second lose more of them to a lossy link (a picture
// that loses a packet is lost whole), so the frame rate falls only below
// kFewerFramesBps, to 15 fps, and below kSmallerBps the pictures are also
// sent at 320 x 240: the picture keeps moving.
#include <QtGlobal>

namespace rtcnet {

class SendRate
{
public:
    static constexpr int kCeilingBps = 1000000;
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

    // One receiver report's share of packets lost, 0 to 1, and the bits a
    // second sent since the last (0: not known). Returns true when the rate
    // changed.
    bool OnReport(double lossShare, qint64 sentBps = 0);
    int Bitrate() const { return m_bps; }
    Shape PictureShape() const;

private:
    int m_bps = kCeilingBps;
};

} // namespace rtcnet
