#pragma once

#include "rtc/RtcDeviceManager.h"

// The recording devices of the RTC engine, with the microphone volume.
class AudioInManager : public RtcDeviceManager
{
public:
    AudioInManager()
        : RtcDeviceManager(Kind::Recording)
    { }
    // 0 to 255; true when the engine took it.
    bool SetVolume(int volume) { return SetDeviceVolume(volume); }
    int GetVolume() const { return GetDeviceVolume(); }
};
