#include "VideoPause.h"

#include <algorithm>
#include <cmath>

namespace rtcnet {

namespace {

bool Heavy(double loss)
{
    return std::isfinite(loss) && loss >= VideoPause::kHeavyLoss;
}

} // namespace

bool VideoPause::OnMeasurement(double videoLoss, double soundLoss)
{
    if (m_paused) {
        // The first measurement holds some of what came before the pause.
        const bool unhelped = ++m_pausedFor >= 2 && Heavy(soundLoss) && soundLoss >= m_soundLoss * 3 / 4;
        m_unhelped = unhelped ? m_unhelped + 1 : 0;
        if (m_unhelped >= kUnhelpedInARow) {
            m_paused = false;
            m_heavy = 0;
            m_holdOff = kNotOursHoldOff;
            return true;
        }
        // Sound that is lost too says the link is still full: no probe.
        if (!Heavy(soundLoss) && --m_wait <= 0) {
            m_paused = false;
            m_heavy = 0;
            m_probe = kProbeLength;
            return true;
        }
        return false;
    }
    if (m_holdOff > 0) {
        --m_holdOff;
        return false;
    }
    // The sound is what is to stay whole, and its loss is told as it is:
    // lost pictures are sent again, and what is sent again hides some of
    // their loss.
    const bool both = Heavy(videoLoss) && Heavy(soundLoss);
    if (Heavy(videoLoss) || Heavy(soundLoss)) {
        m_soundLoss = m_heavy > 0 ? std::max(m_soundLoss, soundLoss) : soundLoss;
        ++m_heavy;
    } else {
        m_heavy = 0;
    }
    if (m_heavy >= (m_probe > 0 || both ? 1 : kHeavyInARow)) {
        if (m_probe > 0)
            m_backOff = std::min(m_backOff * 2, kMostBackOff);
        m_paused = true;
        m_probe = 0;
        m_wait = m_backOff;
        m_pausedFor = 0;
        m_unhelped = 0;
        return true;
    }
    if (m_probe > 0 && --m_probe == 0)
        m_backOff = kFirstBackOff;
    return false;
}

} // namespace rtcnet
