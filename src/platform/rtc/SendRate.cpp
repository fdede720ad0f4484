#include "SendRate.h"

#include <algorithm>
#include <cmath>

namespace rtcnet {

namespace {

constexpr std::size_t kRoundTrips = 15; // reports in 30 s
constexpr double kQueuedMs = 150;
constexpr double kClearMs = 50;

} // namespace

bool SendRate::OnReport(double lossShare, qint64 sentBps, double rttMs)
{
    if (!std::isfinite(lossShare))
        return false;
    // How much longer than the path's own the round trip is: what waits in
    // a queue on the way.
    double queuedMs = 0;
    if (std::isfinite(rttMs) && rttMs >= 0) {
        m_rtts.push_back(rttMs);
        if (m_rtts.size() > kRoundTrips)
            m_rtts.pop_front();
        queuedMs = rttMs - *std::min_element(m_rtts.begin(), m_rtts.end());
    }
    const double loss = std::clamp(lossShare, 0.0, 1.0);
    // One clean report is no trend: 5 % of random loss reads below 2 % in
    // one report of thirty, and a rise of a quarter on it would overfill a
    // link the rate was just right for.
    const bool trend = m_lastLoss >= 0;
    const double mean = trend ? (loss + m_lastLoss) / 2 : loss;
    m_lastLoss = loss;
    const double sent = sentBps > 0 ? std::min<double>(m_bps, sentBps) : m_bps;
    double next = m_bps;
    if (loss > 0.25) {
        next = sent * (1.0 - loss / 2.0);
        // Leave an overloaded link in one step, not over several reports.
        if (sentBps > 0)
            next = std::min(next, sentBps * (1.0 - loss));
    } else if (mean > 0.10)
        next = sent * (1.0 - mean / 2.0);
    else if (queuedMs > kQueuedMs)
        next = sent * 0.85;
    else if (trend && mean < 0.02 && queuedMs < kClearMs)
        next = m_bps * (m_starting ? 1.25 : 1.08);
    if (loss >= 0.02 || queuedMs > kQueuedMs)
        m_starting = false;
    // A reading that cut the rate is spent: the next report cuts again
    // only with more than 10 % of its own.
    if (next < m_bps)
        m_lastLoss = std::min(loss, 0.10);
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
