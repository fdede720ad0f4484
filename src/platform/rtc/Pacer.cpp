#include "Pacer.h"

#include <algorithm>

namespace rtcnet {

Pacer::Pacer(int videoBps)
{
    SetVideoRate(videoBps);
}

void Pacer::SetVideoRate(int videoBps)
{
    m_paceBps = std::max(int(videoBps * kFactor), 1);
}

qint64 Pacer::Wait(qint64 nowNs, int bytes)
{
    m_freeNs = std::clamp(m_freeNs, nowNs - kBurstNs, nowNs + kMostWaitNs);
    const qint64 wait = std::max<qint64>(m_freeNs - nowNs, 0);
    m_freeNs += qint64(bytes) * 8 * 1000000000 / m_paceBps.load();
    return wait;
}

} // namespace rtcnet
