#include "DataManager.h"

#include "UserInfo.h"
#include "app/AppPaths.h"
#include "app/Nexus.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

DataManager::DataManager(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
{
    Q_UNUSED(thread)
    Nexus* hub = Nexus::Instance();
    connect(this, &DataManager::OpenVideo, this, &DataManager::OnOpenVideo);
    connect(this, &DataManager::DownloadAllCourseWare, this, &DataManager::OnDownloadAllCourseWare);
    connect(this, &DataManager::DownloadAllAvatar, this, &DataManager::OnDownloadAllAvatar);
    if (hub) {
        connect(this, &DataManager::ActionStatusChanged, hub, &Nexus::OnActionStatusChanged);
        connect(this, &DataManager::PermissionChanged, hub, &Nexus::PermissionChanged);
    }
    connect(this, &DataManager::LocalDelPage, this, &DataManager::OnLocalDelPage);
    connect(this, &DataManager::LocalDelMedia, this, &DataManager::OnLocalDelMedia);
    connect(this, &DataManager::LocalMediaSeek, this, &DataManager::OnLocalMediaSeek);
    connect(this, &DataManager::LocalNewShape, this, &DataManager::OnLocalNewShape);
    connect(this, &DataManager::SendUserLogoutMsg, this, &DataManager::OnSendUserLogoutMsg);
    connect(this, &DataManager::GetUsrInfo, this, &DataManager::OnGetUsrInfo);
    connect(this, &DataManager::EnterRoom, this, &DataManager::OnEnterRoom);
    connect(this, &DataManager::ParallelShoolInfoRequest, this, &DataManager::OnParallelShoolInfoRequest);
    connect(this, &DataManager::CleanUp, this, &DataManager::OnCleanUp);
    connect(this, &DataManager::DestroyWebSocket, this, &DataManager::OnDestroyWebSocket);
    connect(this, &DataManager::RoomEntry, this, &DataManager::OnRoomEntry);
    connect(this, &DataManager::LocalRedoUndoAction, this, &DataManager::OnLocalRedoUndoAction);
    connect(this, &DataManager::HistoryCourseDownloadById, this, &DataManager::OnHistoryCourseDownloadById);
    connect(this, &DataManager::LocalShapeMove, this, &DataManager::OnLocalShapeMove);
    connect(this, &DataManager::LocalMicropStatusNofity, this, &DataManager::OnLocalMicropStatusNofity);
    connect(this, &DataManager::LocalCameraStatusNofity, this, &DataManager::OnLocalCameraStatusNofity);
    connect(this, &DataManager::SchoolChanged, this, &DataManager::OnSchoolChanged);
    connect(this, &DataManager::SocketDfCalRequest, this, &DataManager::OnSocketDfCalReq);
    connect(this, &DataManager::CreateWebSocket, this, &DataManager::OnCreateWebSocket);
    connect(this, &DataManager::DownloadSchoolListAvatar, this, &DataManager::OnDownloadSchoolListAvatar);
    connect(this, &DataManager::LocalUsrPermChange, this, &DataManager::OnLocalUsrPermChange);
}

DataManager::~DataManager()
{
    qDebug() << "into DataManager::~DataManager";
    QMutexLocker lock(&m_roomLock);
    qDeleteAll(m_users);
    m_users.clear();
}

void DataManager::SetPermission(int permission)
{
    m_dwPermission = permission;
    emit PermissionChanged(permission);
}

void DataManager::SetActionStatus(int status)
{
    m_dwActionStatus = status;
    emit ActionStatusChanged(status);
}

int DataManager::GetUserId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_userId;
}

void DataManager::SetUserId(int uid)
{
    QMutexLocker lock(&m_roomLock);
    m_userId = uid;
}

QString DataManager::GetRoomId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_roomId;
}

void DataManager::SetRoomId(const QString& roomId)
{
    QMutexLocker lock(&m_roomLock);
    m_roomId = roomId;
}

bool DataManager::IsMicrophoneOn() const
{
    QMutexLocker lock(&m_roomLock);
    return m_microphoneOn;
}

void DataManager::SetMicrophoneOn(bool on)
{
    QMutexLocker lock(&m_roomLock);
    m_microphoneOn = on;
}

int DataManager::GetRoomRole() const
{
    QMutexLocker lock(&m_roomLock);
    return m_roomRole;
}

void DataManager::SetRoomRole(int role)
{
    QMutexLocker lock(&m_roomLock);
    m_roomRole = role;
}

QString DataManager::GetSchoolId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_schoolId;
}

void DataManager::SetSchoolId(const QString& schoolId)
{
    QMutexLocker lock(&m_roomLock);
    m_schoolId = schoolId;
}

bool DataManager::GetTeacherFeedbackFlag() const
{
    QMutexLocker lock(&m_roomLock);
    return m_teacherFeedback;
}

void DataManager::SetTeacherFeedbackFlag(bool on)
{
    QMutexLocker lock(&m_roomLock);
    m_teacherFeedback = on;
}

bool DataManager::CheckIfNeedUserFeedback()
{
    // The comment check against the web service comes with the feedback
    // gate; until then no dialog is due.
    return false;
}

UserInfo* DataManager::GetUserInfoByUid(const QString& uid)
{
    bool ok = false;
    const int id = uid.toInt(&ok);
    QMutexLocker lock(&m_roomLock);
    UserInfo* user = ok ? m_users.value(id, nullptr) : nullptr;
    if (!user)
        qDebug() << "GetUserInfoByUid not find and break, targetUserId:" << uid;
    return user;
}

QMap<int, UserInfo*> DataManager::GetUserMap() const
{
    QMutexLocker lock(&m_roomLock);
    return m_users;
}

static bool RemoveTree(const QString& path)
{
    bool ok = true;
    const QFileInfoList entries
        = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink()) {
            ok = RemoveTree(entry.filePath()) && ok;
            continue;
        }
        // A link is removed itself; its target is never touched.
        if (!entry.isSymLink())
            QFile::setPermissions(entry.filePath(), entry.permissions() | QFileDevice::WriteOwner);
        if (!QFile::remove(entry.filePath())) {
            qDebug() << "remove file" << entry.filePath() << " faild!";
            ok = false;
        }
    }
    if (!QDir().rmdir(path)) {
        qDebug() << "remove dir" << path << " faild!";
        ok = false;
    }
    return ok;
}

bool DataManager::DelDir(const QString& path)
{
    if (!AppPaths::IsInside(AppPaths::DataFolder(), path)) {
        qWarning() << "[ERROR] DelDir refused, not inside the data folder:" << path;
        return false;
    }
    const QFileInfo info(path);
    if (info.isSymLink())
        return QFile::remove(info.filePath());
    if (!info.exists())
        return true;
    return RemoveTree(QDir::cleanPath(path));
}

void DataManager::DownloadServConfig()
{ }
void DataManager::OnDownloadServConfigSuccess()
{ }
void DataManager::ReadServConfigBackup()
{ }
bool DataManager::VersionCheck()
{
    return false;
}

void DataManager::OnOpenVideo()
{ }
void DataManager::OnDownloadAllCourseWare()
{ }
void DataManager::OnDownloadAllAvatar()
{ }
void DataManager::OnLocalDelPage(QString)
{ }
void DataManager::OnLocalDelMedia(QString, int)
{ }
void DataManager::OnLocalMediaSeek(QString, int, bool)
{ }
void DataManager::OnLocalNewShape(int)
{ }
void DataManager::OnSendUserLogoutMsg(int)
{ }
void DataManager::OnGetUsrInfo()
{ }
void DataManager::OnEnterRoom()
{ }
void DataManager::OnParallelShoolInfoRequest(QString)
{ }
void DataManager::OnCleanUp()
{ }
void DataManager::OnDestroyWebSocket()
{ }
void DataManager::OnRoomEntry(QString)
{ }
void DataManager::OnLocalRedoUndoAction(int)
{ }
void DataManager::OnHistoryCourseDownloadById(int)
{ }
void DataManager::OnLocalShapeMove(QString)
{ }
void DataManager::OnLocalMicropStatusNofity(int)
{ }
void DataManager::OnLocalCameraStatusNofity(int)
{ }
void DataManager::OnSchoolChanged(QString)
{ }
void DataManager::OnSocketDfCalReq()
{ }
void DataManager::OnCreateWebSocket(QString)
{ }
void DataManager::OnDownloadSchoolListAvatar()
{ }
void DataManager::OnLocalUsrPermChange(int, int, int, int)
{ }
