#include "UserInfo.h"

UserInfo::UserInfo(QObject* parent)
    : ModelObject(parent)
{ }

void UserInfo::SetHeadPath(const QString& path)
{
    Write(m_headPath, path);
    emit HeadPathChanged();
}

void UserInfo::SetUserName(const QString& name)
{
    Write(m_userName, name);
    emit UserNameChanged();
}

void UserInfo::SetUid(int uid)
{
    Write(m_uid, uid);
    emit UidChanged();
}

void UserInfo::SetPermission(int permission)
{
    Write(m_permission, permission);
    emit PermissionChanged();
}

void UserInfo::SetPermissionAlterable(int permission)
{
    Write(m_permissionAlterable, permission);
    emit PermissionAlterableChanged();
}

void UserInfo::SetActionStatus(int status)
{
    Write(m_actionStatus, status);
    emit ActionStatusChanged();
}
