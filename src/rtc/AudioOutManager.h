#pragma once

#include "rtc/RtcDeviceManager.h"

// The playback devices of the RTC engine, with the speaker volume (also
// restored at shut-down to what it was before the class).
class AudioOutManager : public RtcDeviceManager
{
public:
    AudioOutManager()
        : RtcDeviceManager(Kind::Playback)
    { }
    // 0 to 255; true when the engine took it.
    bool SetVolume(int volume) { return SetDeviceVolume(volume); }
    int GetVolume() const { return GetDeviceVolume(); }
};
