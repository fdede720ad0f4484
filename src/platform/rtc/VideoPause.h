#pragma once

// Whether a received user's pictures are to come, steered by the loss on
// the downlink (the owner tells it: of the sound where it can, else of the
// pictures), so that a downlink too narrow for the pictures still carries
// the sound whole. Every measurement of the received streams (about every
// 2 s):
//   running: the video or the sound lost >= 20 % in two measurements in a
//            row (in one while probing, or when both did: the link is
//            full): the server is asked to hold the video back
//   paused:  after a back-off of 4 measurements, counted only while the
//            sound arrives with less than 20 % lost, the video is asked for
//            again: a probe. A probe that fails doubles the back-off (up to
//            32 measurements); one that stays clean for 10 measurements
//            brings it back to the first.
// A pause that does not help (in two measurements in a row, from its
// second on, the sound still loses 20 % and at least 3/4 as much as before)
// says the loss lies before the server, on the sender's link: the video is
// asked for again at once and not held back for the next 15 measurements.
#include <QtGlobal>

namespace rtcnet {

class VideoPause
{
public:
    static constexpr double kHeavyLoss = 0.20;
    static constexpr int kHeavyInARow = 2;
    static constexpr int kFirstBackOff = 4;
    static constexpr int kMostBackOff = 32;
    static constexpr int kProbeLength = 10;
    static constexpr int kUnhelpedInARow = 2;
    static constexpr int kNotOursHoldOff = 15;

    // One measurement: the shares (0 to 1) of the video's and the sound's
    // packets lost since the previous one, negative when none of that kind
    // was due. Returns true when Paused() changed.
    bool OnMeasurement(double videoLoss, double soundLoss);
    bool Paused() const { return m_paused; }
    // The video was asked for again, and is still on trial.
    bool Probing() const { return m_probe > 0; }
    // Measurements before the next probe while paused.
    int BackOff() const { return m_backOff; }

private:
    bool m_paused = false;
    int m_heavy = 0; // heavy measurements in a row
    double m_soundLoss = 0; // the most the sound lost in them
    int m_backOff = kFirstBackOff;
    int m_wait = 0; // measurements still to wait while paused
    int m_pausedFor = 0; // measurements since the pause
    int m_unhelped = 0; // of them in a row that it did not help
    int m_probe = 0; // measurements left of a probe
    int m_holdOff = 0; // measurements left without pauses
};

} // namespace rtcnet
