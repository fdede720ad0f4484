#pragma once

#include <QObject>

namespace plxav {

// The clock a player keeps audio and video to. libmpv always follows the
// sound (or the system clock for files without sound) and cannot be told
// otherwise, so the choice is only kept. GUI thread.
class AVClock : public QObject
{
    Q_OBJECT

public:
    // The clock types a player can be told to follow.
    enum ClockType { AudioClock = 0, ExternalClock = 1, VideoClock = 2 };
    Q_ENUM(ClockType)

    explicit AVClock(QObject* parent = nullptr)
        : QObject(parent)
    { }

    // Automatic: the sound when the file has some, else the system clock.
    void setClockAuto(bool automatic) { m_auto = automatic; }
    bool isClockAuto() const { return m_auto; }
    void setClockType(ClockType type)
    {
        m_type = type;
        m_auto = false;
    }
    ClockType clockType() const { return m_type; }

private:
    bool m_auto = true;
    ClockType m_type = AudioClock;
};

} // namespace plxav
