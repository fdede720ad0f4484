#pragma once

#include "platform/RtcEngine.h"

// An engine initialised without a media server, for driving its device
// managers and parameters in tests of the media.
inline rtc::IRtcEngine* InitializedEngine()
{
    rtc::IRtcEngine* engine = createRtcEngine();
    rtc::RtcEngineContext context;
    context.appId = "media-test";
    return engine && engine->initialize(context) == 0 ? engine : nullptr;
}

// One of the engine's interfaces by id; null when it cannot be had.
template <typename Interface> Interface* Query(rtc::IRtcEngine* engine, int iid)
{
    void* inter = nullptr;
    return engine->queryInterface(iid, &inter) == 0 ? static_cast<Interface*>(inter) : nullptr;
}
