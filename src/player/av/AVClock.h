#pragma once

#include <QObject>

namespace plxav {

class MpvCore;

// The clock a player keeps audio and video to, as the core's "video-sync":
// the sound's clock, or the display's, to which the sound is fitted by
// resampling (the video clock) or by dropping and repeating it (the
// external one). GUI thread.
class AVClock : public QObject
{
    Q_OBJECT

public:
    // The clock types a player can be told to follow.
    enum ClockType { AudioClock = 0, ExternalClock = 1, VideoClock = 2 };
    Q_ENUM(ClockType)

    // core: the core whose timing this clock sets; lives as long as it.
    explicit AVClock(MpvCore* core, QObject* parent = nullptr);

    // Automatic: the sound when the file has some, else the system clock
    // (what the core does following the sound).
    void setClockAuto(bool automatic);
    bool isClockAuto() const { return m_auto; }
    void setClockType(ClockType type);
    ClockType clockType() const { return m_type; }
    // The core's "video-sync" for the clock in force.
    QString videoSync() const;

private:
    void apply();

    MpvCore* m_core;
    bool m_auto = true;
    ClockType m_type = AudioClock;
};

} // namespace plxav
