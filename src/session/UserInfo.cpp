#include "UserInfo.h"

UserInfo::UserInfo(QObject* parent)
    : QObject(nullptr)
{
    Q_UNUSED(parent)
}

// The setters with a signal emit even when the value is unchanged: the
// screens rely on it to refresh a row.
void UserInfo::SetHeadPath(const QString& path)
{
    m_headPath = path;
    emit HeadPathChanged();
}

void UserInfo::SetUserName(const QString& name)
{
    m_userName = name;
    emit UserNameChanged();
}

void UserInfo::SetUid(int uid)
{
    m_uid = uid;
    emit UidChanged();
}

void UserInfo::SetPermission(int permission)
{
    m_permission = permission;
    emit PermissionChanged();
}

void UserInfo::SetPermissionAlterable(int permission)
{
    m_permissionAlterable = permission;
    emit PermissionAlterableChanged();
}

void UserInfo::SetActionStatus(int status)
{
    m_actionStatus = status;
    emit ActionStatusChanged();
}
