#pragma once

#include <QObject>
#include <QString>

// One member of the class room. Created and deleted by the session worker;
// the screens read it through the pointers handed over by signals.
class UserInfo : public QObject
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
    Q_PROPERTY(int userStatus MEMBER m_userStatus)
    Q_PROPERTY(int role MEMBER m_role)
    Q_PROPERTY(QString networkSupplier MEMBER m_networkSupplier)
    Q_PROPERTY(QString networkUserIp MEMBER m_networkUserIp)
    Q_PROPERTY(QString networkServerIp MEMBER m_networkServerIp)
    Q_PROPERTY(QString deviceSystem MEMBER m_deviceSystem)
    Q_PROPERTY(QString softwareVersion MEMBER m_softwareVersion)
    Q_PROPERTY(QString softwareBuild MEMBER m_softwareBuild)
    Q_PROPERTY(QString deviceVersion MEMBER m_deviceVersion)
    Q_PROPERTY(QString deviceSystemVersion MEMBER m_deviceSystemVersion)
    Q_PROPERTY(QString agoraRxQos MEMBER m_agoraRxQos)
    Q_PROPERTY(QString agoraTxQos MEMBER m_agoraTxQos)
    Q_PROPERTY(int hardwareSoundCount MEMBER m_hardwareSoundCount)
    Q_PROPERTY(int hardwareMicCount MEMBER m_hardwareMicCount)

public:
    explicit UserInfo(QObject* parent = nullptr);

    QString GetHeadPath() const { return m_headPath; }
    void SetHeadPath(const QString& path);
    QString GetHeadUrl() const { return m_headUrl; }
    void SetHeadUrl(const QString& url) { m_headUrl = url; }
    QString GetUserName() const { return m_userName; }
    void SetUserName(const QString& name);
    int GetUid() const { return m_uid; }
    void SetUid(int uid);
    int GetPermission() const { return m_permission; }
    void SetPermission(int permission);
    int GetPermissionAlterable() const { return m_permissionAlterable; }
    void SetPermissionAlterable(int permission);
    int GetActionStatus() const { return m_actionStatus; }
    void SetActionStatus(int status);

    int GetUserStatus() const { return m_userStatus; }
    void SetUserStatus(int status) { m_userStatus = status; }
    int GetRole() const { return m_role; }
    void SetRole(int role) { m_role = role; }
    QString GetNetworkLocation() const { return m_networkLocation; }
    void SetNetworkLocation(const QString& location) { m_networkLocation = location; }

    // Plain fields: no change signal.
    QString m_agoraTxQos;
    QString m_agoraRxQos;
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
    int m_uid = 0;
    int m_permission = 0;
    int m_permissionAlterable = 0;
    int m_actionStatus = 0;
    int m_userStatus = 0;
    int m_role = 0;
};

Q_DECLARE_METATYPE(UserInfo*)
