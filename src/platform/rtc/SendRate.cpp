#include "SendRate.h"

#include <algorithm>
#include <cmath>

namespace rtcnet {

bool SendRate::OnReport(double lossShare, qint64 sentBps)
{
    if (!std::isfinite(lossShare))
        return false;
    const double loss = std::clamp(lossShare, 0.0, 1.0);
    double next = m_bps;
    if (loss > 0.10) {
        next = (sentBps > 0 ? std::min<double>(m_bps, sentBps) : m_bps) * (1.0 - loss / 2.0);
        // Heavy loss: never above what got through, so that an overloaded
        // link is left in one step, not over several reports.
        if (loss > 0.25 && sentBps > 0)
            next = std::min(next, sentBps * (1.0 - loss));
    } else if (loss < 0.02)
        next = m_bps * 1.08;
    const int bps = int(std::clamp(next, double(kFloorBps), double(kCeilingBps)));
    if (bps == m_bps)
        return false;
    m_bps = bps;
    return true;
}

SendRate::Shape SendRate::PictureShape() const
{
    if (m_bps < kSmallerBps)
        return { 320, 240, 15 };
    if (m_bps < kFewerFramesBps)
        return { 640, 480, 15 };
    return { 640, 480, 30 };
}

} // namespace rtcnet
