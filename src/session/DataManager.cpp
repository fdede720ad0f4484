#include "DataManager.h"

#include "CourseWareInfo.h"
#include "MarkInfo.h"
#include "MediaInfo.h"
#include "SchoolInfo.h"
#include "SchoolListInfo.h"
#include "UserInfo.h"
#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

DataManager::DataManager(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
    , m_thread(thread)
{
    ConnectSelf();
    ConnectMessageSenders();
    BuildDispatch();
}

// Every connection is automatic: an emission from the GUI thread runs
// queued in the "Profile Manager" thread.
void DataManager::ConnectSelf()
{
    connect(this, &DataManager::OpenVideo, this, &DataManager::OnOpenVideo);
    connect(this, &DataManager::DownloadAllCourseWare, this, &DataManager::OnDownloadAllCourseWare);
    connect(this, &DataManager::DownloadAllAvatar, this, &DataManager::OnDownloadAllAvatar);
    if (Nexus* hub = Nexus::Instance()) {
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

// The request signals that send one signalling message each ("to self":
// the answer comes back to the local user only).
void DataManager::ConnectMessageSenders()
{
    connect(this, &DataManager::AgeroQosReport, this,
        [this](int rx, int tx) { WebSocketRequestById(166, true, QString::number(rx), tx); });
    connect(this, &DataManager::DeviceInfoRequestByRoomId, this, [this] { WebSocketRequestById(165, true); });
    connect(this, &DataManager::DeviceInfoRequestByUid, this,
        [this](QString uid) { WebSocketRequestById(164, true, uid); });
    connect(this, &DataManager::Request4GetMediaList, this, [this] { WebSocketRequestById(484, true); });
    connect(this, &DataManager::Request4CloseMedia, this, &DataManager::OnRequest4CloseMedia);
    connect(this, &DataManager::LocalSwitchMedia, this, &DataManager::OnLocalSwitchMedia);
    connect(this, &DataManager::Request4GetChatHistoryMsg, this, [this] { WebSocketRequestById(417, false); });
    connect(this, &DataManager::SendChatMsg, this, [this](QString text) { WebSocketRequestById(385, false, text); });
    connect(this, &DataManager::Request4GetLikeCount, this, &DataManager::OnRequest4GetLikeCount);
    connect(this, &DataManager::UserMakeLike, this, &DataManager::OnUserMakeLike);
    connect(this, &DataManager::SendUserLoginMsg, this, [this] { WebSocketRequestById(129, false); });
    connect(this, &DataManager::Request4GetUserList, this, [this] {
        {
            QMutexLocker lock(&m_roomLock);
            // The card is fetched once per entry; its count outlives a
            // reconnection, the room's own is asked for again.
            m_room.m_dwTeacherLikeTotal = m_room.m_dwTeacherCardLikes;
        }
        WebSocketRequestById(161, true);
    });
    connect(this, &DataManager::UserStateChangeReq, this,
        [this](int state) { WebSocketRequestById(132, true, QString(), state); });
    connect(this, &DataManager::Request4GetCourseWare, this, &DataManager::OnRequest4GetCourseWare);
    connect(this, &DataManager::LocalTrunPage, this, &DataManager::OnLocalTrunPage);
    connect(this, &DataManager::Request4GetWhiteBdHistory, this, &DataManager::OnRequest4GetWhiteBdHistory);
    connect(this, &DataManager::LocalShapeEraser, this, &DataManager::OnLocalShapeEraser);
    connect(this, &DataManager::NotifyLaserPointPos, this,
        [this](QPoint point) { WebSocketRequestById(261, false, QString::number(point.x()), point.y()); });
    connect(this, &DataManager::UserMarkListRequest, this, &DataManager::OnUserMarkListRequest);
    connect(this, &DataManager::UserMakeMark, this, &DataManager::OnUserMakeMark);
    connect(this, &DataManager::UserDelMark, this, &DataManager::OnUserDelMark);
    connect(this, &DataManager::UserEditMark, this, &DataManager::OnUserEditMark);
    connect(this, &DataManager::AddWhiteBoard, this, &DataManager::OnAddWhiteBoard);
}

DataManager::~DataManager()
{
    qDebug() << "into DataManager::~DataManager";
    RemoveCacheFolders();
    DropWebSocket();
    ResetRoomData();
    // The record goes with the object: schools and sessions too.
    QMap<QString, SchoolListInfo*> schools;
    QList<SchoolInfo*> current;
    QList<SchoolInfo*> history;
    {
        QMutexLocker lock(&m_roomLock);
        schools.swap(m_room.m_schools);
        current.swap(m_room.m_currentSessions);
        history.swap(m_room.m_historySessions);
    }
    ModelObject::ReleaseAll(schools);
    ModelObject::ReleaseAll(current);
    ModelObject::ReleaseAll(history);
    ModelObject::ReleaseAll(m_emptiedSessions);
    for (QTimer* timer : { m_keepAliveTimer, m_probeTimer, m_courseWareTimer }) {
        if (timer && timer->thread() == QThread::currentThread())
            delete timer;
        else if (timer)
            timer->deleteLater();
    }
    m_keepAliveTimer = nullptr;
    m_probeTimer = nullptr;
    m_courseWareTimer = nullptr;
    if (m_thread) {
        m_thread->exit(0);
        // Deleted from elsewhere while the worker still runs: serve this
        // thread's events until the worker has stopped.
        while (QThread::currentThread() != m_thread && m_thread && m_thread->isRunning()) {
            QCoreApplication::processEvents();
            m_thread->wait(500);
        }
    }
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

// ---- clean-up and reset ----

void DataManager::OnCleanUp()
{
    ++m_cleanUps;
    CancelServerChoice();
    if (m_keepAliveTimer) {
        delete m_keepAliveTimer;
        m_keepAliveTimer = nullptr;
    }
    // A courseware refetch due after the clean-up belongs to no room.
    if (m_courseWareTimer)
        m_courseWareTimer->stop();
    DropWebSocket();
    m_teacherCardAsked = false;
    if (m_profile)
        m_profile->SetClassRecordingFlag(false);
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwLastLogoutType = 0;
        // The teacher card of the last class: a card that fails in the next
        // one must not show that teacher.
        m_room.m_strTeacherName.clear();
        m_room.m_strTeacherAvatarPath.clear();
        m_room.m_dwTeacherCardLikes = 0;
    }
    ResetRoomData();
}

void DataManager::OnDestroyWebSocket()
{
    DropWebSocket();
}

void DataManager::DropWebSocket()
{
    WebSockClient* client = m_webSocket.data();
    m_webSocket.clear();
    if (!client)
        return;
    // Nothing the client still delivers may reach this object, and a client
    // let go is closed: left open it would reconnect and dispatch forever.
    disconnect(client, nullptr, this, nullptr);
    client->Detach();
    client->DisConnect();
    client->deleteLater();
}

void DataManager::ResetRoomData()
{
    ResetShapeStacks();
    QList<CourseWareInfo*> pages;
    QList<MediaInfo*> media;
    QList<MarkInfo*> marks;
    QMap<int, UserInfo*> users;
    {
        QMutexLocker lock(&m_roomLock);
        pages.swap(m_room.m_courseWare);
        media.swap(m_room.m_media);
        marks.swap(m_room.m_vMarkInfo);
        users.swap(m_room.m_users);
    }
    ModelObject::ReleaseAll(pages);
    ModelObject::ReleaseAll(media);
    ModelObject::ReleaseAll(marks);
    ModelObject::ReleaseAll(users);
    ResetRoomFlags();
    // The local user's rights and devices belong to the room left: none
    // carries into the next one.
    if (m_dwPermission != 0)
        SetPermission(0);
    if (m_dwActionStatus != 0)
        SetActionStatus(0);
}

void DataManager::ResetShapeStacks()
{
    m_boardModel.Clear();
}

void DataManager::AddMember(UserInfo* user)
{
    if (!user)
        return;
    UserInfo* replaced = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        const int uid = user->GetUid();
        replaced = m_room.m_users.value(uid, nullptr);
        m_room.m_users.insert(uid, user);
    }
    if (replaced != user)
        ModelObject::Release(replaced);
}

bool DataManager::RemoveMember(int uid)
{
    UserInfo* user = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        user = m_room.m_users.take(uid);
    }
    ModelObject::Release(user);
    return user != nullptr;
}

// ---- room data for any thread ----

RoomFields DataManager::GetRoomFields() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room;
}

int DataManager::GetUserId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_dwUserId;
}

void DataManager::SetUserId(int uid)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_dwUserId = uid;
}

QString DataManager::GetRoomId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strRoomId;
}

void DataManager::SetRoomId(const QString& roomId)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strRoomId = roomId;
}

bool DataManager::IsMicrophoneOn() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_microphoneOn;
}

void DataManager::SetMicrophoneOn(bool on)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_microphoneOn = on;
}

int DataManager::GetRoomRole() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_dwRoomRole;
}

void DataManager::SetRoomRole(int role)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_dwRoomRole = role;
}

QString DataManager::GetSchoolId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strSchoolId;
}

void DataManager::SetSchoolId(const QString& schoolId)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strSchoolId = schoolId;
}

bool DataManager::GetTeacherFeedbackFlag() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_teacherFeedback;
}

void DataManager::SetTeacherFeedbackFlag(bool on)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_teacherFeedback = on;
}

int DataManager::GetLastLogoutType() const
{
    return GetLogoutStatus();
}

int DataManager::GetTeacherLikeTotal() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_dwTeacherLikeTotal;
}

QStringList DataManager::GetPraisePhrases() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_praisePhrases;
}

UserInfo* DataManager::GetUserInfoByUid(const QString& uid)
{
    bool ok = false;
    const int id = uid.toInt(&ok);
    UserInfo* user = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        user = ok ? m_room.m_users.value(id, nullptr) : nullptr;
    }
    if (!user)
        qDebug() << "GetUserInfoByUid not find and break, targetUserId:" << uid;
    return user;
}

QMap<int, UserInfo*> DataManager::GetUserMap() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_users;
}

QMap<QString, SchoolListInfo*> DataManager::GetSchoolMap() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_schools;
}

QList<SchoolInfo*> DataManager::GetCurrentSessions() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_currentSessions;
}

QList<SchoolInfo*> DataManager::GetHistorySessions() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_historySessions;
}

QList<CourseWareInfo*> DataManager::GetCourseWareList() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_courseWare;
}

QList<MediaInfo*> DataManager::GetMediaList() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_media;
}

QList<MarkInfo*> DataManager::GetMarkList() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_vMarkInfo;
}

// ---- folders ----

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
    if (!info.exists() && !info.isSymLink())
        return true;
    // The text may stay inside while a linked folder on the way leads
    // elsewhere: the real place is judged, a link itself by its folder.
    const QString root = QFileInfo(AppPaths::DataFolder()).canonicalFilePath();
    const QString real = info.isSymLink()
        ? QFileInfo(info.absolutePath()).canonicalFilePath() + QLatin1Char('/') + info.fileName()
        : info.canonicalFilePath();
    if (root.isEmpty() || !AppPaths::IsInside(root, real)) {
        qWarning() << "[ERROR] DelDir refused, leads outside the data folder:" << path << "->" << real;
        return false;
    }
    if (info.isSymLink())
        return QFile::remove(info.filePath());
    return RemoveTree(real);
}

QStringList DataManager::CacheFolders()
{
    const QString data = AppPaths::DataFolder();
    return { data + QStringLiteral("courlist/"), data + QStringLiteral("chatImage/") };
}

bool DataManager::RemoveCacheFolders()
{
    bool ok = true;
    for (const QString& folder : CacheFolders())
        ok = DelDir(folder) && ok;
    return ok;
}
