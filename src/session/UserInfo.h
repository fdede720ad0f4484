#pragma once

#include "ModelObject.h"

#include <QString>

// One member of the class room. Created and deleted by the session worker;
// the screens read it through the pointers handed over by signals. Every
// field is read and written under the object's own lock (ModelObject).
class UserInfo : public ModelObject
{
    Q_OBJECT
    Q_PROPERTY(QString headPath READ GetHeadPath WRITE SetHeadPath NOTIFY HeadPathChanged)
    Q_PROPERTY(QString headUrl READ GetHeadUrl WRITE SetHeadUrl)
    Q_PROPERTY(QString userName READ GetUserName WRITE SetUserName NOTIFY UserNameChanged)
    Q_PROPERTY(int uid READ GetUid WRITE SetUid NOTIFY UidChanged)
    Q_PROPERTY(int permission READ GetPermission WRITE SetPermission NOTIFY PermissionChanged)
    Q_PROPERTY(int permissionAlterable READ GetPermissionAlterable WRITE SetPermissionAlterable NOTIFY
            PermissionAlterableChanged)
    Q_PROPERTY(int actionStatus READ GetActionStatus WRITE SetActionStatus NOTIFY ActionStatusChanged)
    Q_PROPERTY(int userStatus READ GetUserStatus WRITE SetUserStatus)
    Q_PROPERTY(int role READ GetRole WRITE SetRole)
    Q_PROPERTY(QString networkSupplier READ GetNetworkSupplier WRITE SetNetworkSupplier)
    Q_PROPERTY(QString networkUserIp READ GetNetworkUserIp WRITE SetNetworkUserIp)
    Q_PROPERTY(QString networkServerIp READ GetNetworkServerIp WRITE SetNetworkServerIp)
    Q_PROPERTY(QString deviceSystem READ GetDeviceSystem WRITE SetDeviceSystem)
    Q_PROPERTY(QString softwareVersion READ GetSoftwareVersion WRITE SetSoftwareVersion)
    Q_PROPERTY(QString softwareBuild READ GetSoftwareBuild WRITE SetSoftwareBuild)
    Q_PROPERTY(QString deviceVersion READ GetDeviceVersion WRITE SetDeviceVersion)
    Q_PROPERTY(QString deviceSystemVersion READ GetDeviceSystemVersion WRITE SetDeviceSystemVersion)
    Q_PROPERTY(QString agoraRxQos READ GetAgoraRxQos WRITE SetAgoraRxQos)
    Q_PROPERTY(QString agoraTxQos READ GetAgoraTxQos WRITE SetAgoraTxQos)
    Q_PROPERTY(int hardwareSoundCount READ GetHardwareSoundCount WRITE SetHardwareSoundCount)
    Q_PROPERTY(int hardwareMicCount READ GetHardwareMicCount WRITE SetHardwareMicCount)

public:
    explicit UserInfo(QObject* parent = nullptr);

    // The setters with a signal emit even when the value is unchanged: the
    // screens rely on it to refresh a row.
    QString GetHeadPath() const { return Read(m_headPath); }
    void SetHeadPath(const QString& path);
    QString GetHeadUrl() const { return Read(m_headUrl); }
    void SetHeadUrl(const QString& url) { Write(m_headUrl, url); }
    QString GetUserName() const { return Read(m_userName); }
    void SetUserName(const QString& name);
    QString GetAgoraTxQos() const { return Read(m_agoraTxQos); }
    void SetAgoraTxQos(const QString& quality) { Write(m_agoraTxQos, quality); }
    QString GetAgoraRxQos() const { return Read(m_agoraRxQos); }
    void SetAgoraRxQos(const QString& quality) { Write(m_agoraRxQos, quality); }
    int GetUid() const { return Read(m_uid); }
    void SetUid(int uid);
    int GetPermission() const { return Read(m_permission); }
    void SetPermission(int permission);
    int GetPermissionAlterable() const { return Read(m_permissionAlterable); }
    void SetPermissionAlterable(int permission);
    int GetActionStatus() const { return Read(m_actionStatus); }
    void SetActionStatus(int status);
    int GetUserStatus() const { return Read(m_userStatus); }
    void SetUserStatus(int status) { Write(m_userStatus, status); }
    int GetRole() const { return Read(m_role); }
    void SetRole(int role) { Write(m_role, role); }
    QString GetNetworkSupplier() const { return Read(m_networkSupplier); }
    void SetNetworkSupplier(const QString& supplier) { Write(m_networkSupplier, supplier); }
    // The member's city; the user-row tooltip shows it.
    QString GetNetworkLocation() const { return Read(m_networkLocation); }
    void SetNetworkLocation(const QString& location) { Write(m_networkLocation, location); }
    QString GetNetworkUserIp() const { return Read(m_networkUserIp); }
    void SetNetworkUserIp(const QString& ip) { Write(m_networkUserIp, ip); }
    QString GetNetworkServerIp() const { return Read(m_networkServerIp); }
    void SetNetworkServerIp(const QString& ip) { Write(m_networkServerIp, ip); }
    QString GetDeviceSystem() const { return Read(m_deviceSystem); }
    void SetDeviceSystem(const QString& system) { Write(m_deviceSystem, system); }
    QString GetSoftwareVersion() const { return Read(m_softwareVersion); }
    void SetSoftwareVersion(const QString& version) { Write(m_softwareVersion, version); }
    QString GetSoftwareBuild() const { return Read(m_softwareBuild); }
    void SetSoftwareBuild(const QString& build) { Write(m_softwareBuild, build); }
    QString GetDeviceVersion() const { return Read(m_deviceVersion); }
    void SetDeviceVersion(const QString& version) { Write(m_deviceVersion, version); }
    QString GetDeviceSystemVersion() const { return Read(m_deviceSystemVersion); }
    void SetDeviceSystemVersion(const QString& version) { Write(m_deviceSystemVersion, version); }
    int GetHardwareSoundCount() const { return Read(m_hardwareSoundCount); }
    void SetHardwareSoundCount(int count) { Write(m_hardwareSoundCount, count); }
    int GetHardwareMicCount() const { return Read(m_hardwareMicCount); }
    void SetHardwareMicCount(int count) { Write(m_hardwareMicCount, count); }

signals:
    void HeadPathChanged();
    void UserNameChanged();
    void UidChanged();
    void PermissionChanged();
    void PermissionAlterableChanged();
    void ActionStatusChanged();

private:
    QString m_headPath;
    QString m_headUrl;
    QString m_userName;
    QString m_agoraTxQos;
    QString m_agoraRxQos;
    int m_uid = 0;
    int m_permission = 0;
    int m_permissionAlterable = 0;
    int m_actionStatus = 0;
    int m_userStatus = 0;
    int m_role = 0;
    QString m_networkSupplier;
    QString m_networkLocation;
    QString m_networkUserIp;
    QString m_networkServerIp;
    QString m_deviceSystem;
    QString m_softwareVersion;
    QString m_softwareBuild;
    QString m_deviceVersion;
    QString m_deviceSystemVersion;
    int m_hardwareSoundCount = 0;
    int m_hardwareMicCount = 0;
};

Q_DECLARE_METATYPE(UserInfo*)
