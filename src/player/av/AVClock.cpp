#include "AVClock.h"

#include "MpvCore.h"

namespace plxav {

AVClock::AVClock(MpvCore* core, QObject* parent)
    : QObject(parent)
    , m_core(core)
{ }

void AVClock::setClockAuto(bool automatic)
{
    m_auto = automatic;
    apply();
}

void AVClock::setClockType(ClockType type)
{
    m_type = type;
    m_auto = false;
    apply();
}

QString AVClock::videoSync() const
{
    if (m_auto)
        return QStringLiteral("audio");
    switch (m_type) {
    case VideoClock:
        return QStringLiteral("display-resample");
    case ExternalClock:
        return QStringLiteral("display-adrop");
    case AudioClock:
        break;
    }
    return QStringLiteral("audio");
}

void AVClock::apply()
{
    // The core takes a new clock while a file plays; without waiting, as
    // the GUI thread never waits for a playing core.
    if (m_core != nullptr)
        m_core->setPropertyAsync("video-sync", videoSync());
}

} // namespace plxav
