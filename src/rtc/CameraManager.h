#pragma once

#include "rtc/RtcDeviceManager.h"

// The cameras of the RTC engine.
class CameraManager : public RtcDeviceManager
{
public:
    CameraManager()
        : RtcDeviceManager(Kind::Camera)
    { }
};
