#include "SoundDelay.h"

#include <algorithm>

namespace rtcnet {

bool SoundDelay::OnMeasurement(quint64 lateSoFar)
{
    const bool late = lateSoFar > m_late;
    m_late = std::max(m_late, lateSoFar);
    const int before = m_waitMs;
    if (late) {
        m_calm = 0;
        m_waitMs = std::min(m_waitMs * 3 / 2, kMostMs);
    } else if (++m_calm >= kCalmMeasurements) {
        m_calm = 0;
        m_waitMs = std::max(m_waitMs - kShrinkMs, kLeastMs);
    }
    return m_waitMs != before;
}

} // namespace rtcnet
