#pragma once

#include "session/UserInfo.h"

// A room member as the member list makes it: permission and action status
// bits (4 is the camera in both).
inline UserInfo* NewMember(int uid, int role, int permission, int action, const QString& name)
{
    auto* user = new UserInfo();
    user->SetUid(uid);
    user->SetRole(role);
    user->SetPermission(permission);
    user->SetActionStatus(action);
    user->SetUserName(name);
    return user;
}

#include "rtc/AgoraVideoFrameObserver.h"

#include <vector>

// A remote user's picture as the engine hands it to the frame observer
// when it has drawn it.
inline void RenderedFrame(unsigned uid)
{
    static const std::vector<uint8_t> grey(16 * 16, 128);
    rtc::VideoFrame frame;
    frame.width = frame.height = 16;
    frame.yStride = 16;
    frame.uStride = frame.vStride = 8;
    frame.yBuffer = frame.uBuffer = frame.vBuffer = grey.data();
    AgoraVideoFrameObserver::Instance()->onRenderVideoFrame(uid, frame);
}
