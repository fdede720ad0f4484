#pragma once

// How long a received user's sound waits in the jitter buffer for a
// missing packet before the decoder conceals it, steered by the packets
// that came too late for it (overtaken on the way by later ones: the
// buffer had given them up and concealed a packet that was not lost). The
// speaker plays the sound as it leaves the buffer, so the wait for a lost
// packet is heard as silence: it is kept short (the next packet, whose
// error correction rebuilds the lost one, comes 20 ms later), and a link
// that reorders needs a longer one. Every measurement of the received
// streams (about every 2 s):
//   late packets:          the wait grows by half, up to kMostMs
//   kCalmMeasurements in a row without: it shrinks by kShrinkMs, down to
//                          kLeastMs
#include <QtGlobal>

namespace rtcnet {

class SoundDelay
{
public:
    static constexpr int kLeastMs = 40;
    static constexpr int kMostMs = 400;
    static constexpr int kShrinkMs = 20;
    static constexpr int kCalmMeasurements = 15;

    // The count of late packets so far (the jitter buffer's own, which
    // only grows). Returns true when WaitMs() changed.
    bool OnMeasurement(quint64 lateSoFar);
    int WaitMs() const { return m_waitMs; }

private:
    int m_waitMs = kLeastMs;
    quint64 m_late = 0;
    int m_calm = 0;
};

} // namespace rtcnet
