#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPoint>
#include <QString>

class Profile;
class QThread;
class UserInfo;

// Worker of the "Profile Manager" thread: the state of one user's work with
// the service and every request and message of the class room.
class DataManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int m_dwPermission READ GetPermission WRITE SetPermission NOTIFY PermissionChanged)
    Q_PROPERTY(int m_dwActionStatus READ GetActionStatus WRITE SetActionStatus NOTIFY ActionStatusChanged)

public:
    DataManager(QThread* thread, Profile* profile);
    ~DataManager() override;

    int GetPermission() const { return m_dwPermission; }
    void SetPermission(int permission);
    int GetActionStatus() const { return m_dwActionStatus; }
    void SetActionStatus(int status);

    // The local user's id.
    int GetUserId() const;
    void SetUserId(int uid);
    // The current room's id; empty outside a room.
    QString GetRoomId() const;
    void SetRoomId(const QString& roomId);
    // Whether the local microphone is on.
    bool IsMicrophoneOn() const;
    void SetMicrophoneOn(bool on);
    // The local user's role in the room (UserRole number; 0 before a room).
    int GetRoomRole() const;
    void SetRoomRole(int role);
    // The school chosen on the course home page.
    QString GetSchoolId() const;
    void SetSchoolId(const QString& schoolId);
    // Whether the room asks its teacher for feedback at the end of class.
    bool GetTeacherFeedbackFlag() const;
    void SetTeacherFeedbackFlag(bool on);
    // Whether the end-of-class feedback dialog is due; called in the GUI
    // thread while the user leaves the room or closes the window.
    bool CheckIfNeedUserFeedback();

    // The member with that decimal user id, or null.
    UserInfo* GetUserInfoByUid(const QString& uid);
    // A copy of the member map, keyed by user id, taken under the room lock.
    QMap<int, UserInfo*> GetUserMap() const;

    // Removes a folder and everything in it; true when nothing failed, and
    // true for a missing folder. Refuses (false) any folder that is not
    // strictly inside the data folder, so an empty or relative path never
    // removes the working folder. Symbolic links are removed, never followed.
    static bool DelDir(const QString& path);

    // Server properties and update check; called directly in the GUI thread.
    void DownloadServConfig();
    void OnDownloadServConfigSuccess();
    void ReadServConfigBackup();
    bool VersionCheck();

signals:
    void PermissionChanged(int value);
    void ActionStatusChanged(int value);

    void OpenVideo();
    void DownloadAllCourseWare();
    void DownloadAllAvatar();
    void LocalDelPage(QString presentationId);
    void LocalDelMedia(QString mediaId, int mediaType);
    void LocalMediaSeek(QString mediaId, int seconds, bool play);
    void LocalNewShape(int shapeType);
    void SendUserLogoutMsg(int type);
    void GetUsrInfo();
    void EnterRoom();
    void ParallelShoolInfoRequest(QString schoolId);
    void CleanUp();
    void DestroyWebSocket();
    void RoomEntry(QString sessionId);
    void LocalRedoUndoAction(int action);
    void HistoryCourseDownloadById(int page);
    void LocalShapeMove(QString shapeId);
    void LocalMicropStatusNofity(int status);
    void LocalCameraStatusNofity(int status);
    void SchoolChanged(QString schoolId);
    void SocketDfCalRequest();
    void CreateWebSocket(QString url);
    void DownloadSchoolListAvatar();
    void LocalUsrPermChange(int type, int op, int permission, int uid);

    void AgeroQosReport(int rxAvg, int txAvg);
    void DeviceInfoRequestByRoomId();
    void DeviceInfoRequestByUid(QString uid);
    void Request4GetMediaList();
    void Request4CloseMedia(QString mediaId);
    void LocalSwitchMedia(QString mediaId);
    void Request4GetChatHistoryMsg();
    void SendChatMsg(QString text);
    void Request4GetLikeCount();
    void UserMakeLike();
    void SendUserLoginMsg();
    void Request4GetUserList();
    void UserStateChangeReq(int state);
    void Request4GetCourseWare(bool bWithTimer);
    void LocalTrunPage(QString presentationId);
    void Request4GetWhiteBdHistory();
    void LocalShapeEraser(QString shapeId);
    void NotifyLaserPointPos(QPoint point);
    void UserMarkListRequest();
    void UserMakeMark();
    void UserDelMark(QString uuid);
    void UserEditMark(QString uuid);
    void AddWhiteBoard();

public slots:
    void OnOpenVideo();
    void OnDownloadAllCourseWare();
    void OnDownloadAllAvatar();
    void OnLocalDelPage(QString presentationId);
    void OnLocalDelMedia(QString mediaId, int mediaType);
    void OnLocalMediaSeek(QString mediaId, int seconds, bool play);
    void OnLocalNewShape(int shapeType);
    void OnSendUserLogoutMsg(int type);
    void OnGetUsrInfo();
    void OnEnterRoom();
    void OnParallelShoolInfoRequest(QString schoolId);
    void OnCleanUp();
    void OnDestroyWebSocket();
    void OnRoomEntry(QString sessionId);
    void OnLocalRedoUndoAction(int action);
    void OnHistoryCourseDownloadById(int page);
    void OnLocalShapeMove(QString shapeId);
    void OnLocalMicropStatusNofity(int status);
    void OnLocalCameraStatusNofity(int status);
    void OnSchoolChanged(QString schoolId);
    void OnSocketDfCalReq();
    void OnCreateWebSocket(QString url);
    void OnDownloadSchoolListAvatar();
    void OnLocalUsrPermChange(int type, int op, int permission, int uid);

private:
    Profile* m_profile;
    int m_dwPermission = 0;
    int m_dwActionStatus = 0;

    // Guards the room's containers and identity; see the locking rule in
    // DataManager.cpp.
    mutable QMutex m_roomLock;
    int m_userId = 0;
    QString m_roomId;
    bool m_microphoneOn = false;
    int m_roomRole = 0;
    QString m_schoolId;
    bool m_teacherFeedback = false;
    QMap<int, UserInfo*> m_users;
};
