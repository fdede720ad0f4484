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
