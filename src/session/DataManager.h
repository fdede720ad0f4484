#pragma once

#include "MarkInfo.h"
#include "RoomData.h"
#include "app/SignallingDispatch.h"
#include "app/WebSockClient.h"
#include "whiteboard/BoardModel.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>
#include <atomic>
#include <functional>

class IniFile;
class QJsonArray;
class Profile;
class QHostInfo;
class QNetworkAccessManager;
class QThread;
class QTimer;
class SchoolInfo;

// Worker of the "Profile Manager" thread: the state of one user's work with
// the service and every request and message of the class room. It never
// touches a widget: screens ask by emitting its signals, and it answers
// through the hub or a signal of a screen fetched from the hub.
//
// Locking rule for everything the "Profile Manager" and GUI threads share:
// 1. m_roomLock guards the room-data record and every container in it. The
//    containers change only in the "Profile Manager" thread, always under the
//    lock; other threads read them only through the accessors below, which
//    take the lock and return copies (values, or lists of pointers). No lock
//    is held while emitting a signal, sending, or calling into another object.
// 2. Model objects (UserInfo, SchoolInfo, SchoolListInfo, CourseWareInfo,
//    MediaInfo, MarkInfo) guard their own fields: getters and setters take
//    the object's own lock, and a setter emits after releasing it.
// 3. An object removed from a container goes through ModelObject::Release:
//    moved to the GUI thread and deleted there later, after every signal
//    already queued with its pointer (a long list at once: ReleaseBatch).
//    Screens that keep such a pointer beyond a slot keep it as a QPointer.
// 4. The shape and redo stacks live in the board model and are reached only
//    through its guard (the board lock), never taken while m_roomLock is
//    held.
// 5. Hub slots called from this thread re-queue themselves into the GUI
//    thread; the hub's history page and data-preparation mask are atomic;
//    ClassServerProperty and AppNativeProperty copy under their own locks.
class DataManager : public QObject, public SignallingPeer
{
    Q_OBJECT
    Q_PROPERTY(int m_dwPermission READ GetPermission WRITE SetPermission NOTIFY PermissionChanged)
    Q_PROPERTY(int m_dwActionStatus READ GetActionStatus WRITE SetActionStatus NOTIFY ActionStatusChanged)

public:
    DataManager(QThread* thread, Profile* profile);
    ~DataManager() override;

    // The local user's UserPermission bits and camera/microphone state;
    // each setter stores and emits.
    int GetPermission() const { return m_dwPermission; }
    void SetPermission(int permission);
    int GetActionStatus() const { return m_dwActionStatus; }
    void SetActionStatus(int status);

    // ---- room data; any thread (rule 1)

    // A consistent copy of every scalar of the record.
    RoomFields GetRoomFields() const;
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
    int GetLastLogoutType() const;
    int GetTeacherLikeTotal() const;
    QStringList GetPraisePhrases() const;
    // Whether the end-of-class feedback dialog is due; called in the GUI
    // thread while the user leaves the room or closes the window.
    bool CheckIfNeedUserFeedback();

    // ---- end-of-class feedback gate (DataManagerFeedback.cpp)
    // Asks the web service once, for at most 3000 ms; true only when it
    // answers that this user has not commented on the session yet.
    bool CheckCourseCommentExitOrNotByUid();

    // ---- containers; copies taken under the room lock (rules 1 and 3)

    // The member with that decimal user id, or null.
    UserInfo* GetUserInfoByUid(const QString& uid);
    // The member map, keyed by user id.
    QMap<int, UserInfo*> GetUserMap() const;
    QMap<QString, SchoolListInfo*> GetSchoolMap() const;
    QList<SchoolInfo*> GetCurrentSessions() const;
    QList<SchoolInfo*> GetHistorySessions() const;
    QList<CourseWareInfo*> GetCourseWareList() const;
    QList<MediaInfo*> GetMediaList() const;
    // The mark records themselves, for this thread; the screens read
    // copies (GetMarkItemById, GetMarkRecords).
    QList<MarkInfo*> GetMarkList() const;

    // ---- container changes; "Profile Manager" thread only (rule 1)

    // Takes the member over; a member with the same id is released.
    void AddMember(UserInfo* user);
    // Releases the member; false when there is none.
    bool RemoveMember(int uid);
    // Empties the room's shapes, courseware, media, marks and members.
    // Schools, sessions, identity and the other fields stay.
    void ResetRoomData();

    // ---- files

    // Removes a folder and everything in it; true when nothing failed, and
    // true for a missing folder. Refuses (false) any folder that is not
    // strictly inside the data folder, so an empty or relative path never
    // removes the working folder. Symbolic links are removed, never followed.
    static bool DelDir(const QString& path);
    // The cache folders of the data folder that leaving a room or quitting
    // empties ("courlist/", "chatImage/"); the properties and their backup
    // beside them always stay.
    static QStringList CacheFolders();
    static bool RemoveCacheFolders();
    // Copies source to target (backslashes in target become slashes). A
    // target equal to the source is true untouched; a missing source false;
    // an existing target is kept unless replace is set. The copy is written
    // beside the target and renamed over it, so a failed copy never loses
    // the old target.
    static bool CopyFileTo(const QString& source, const QString& target, bool replace);

    // ---- server properties and update check; GUI thread, direct calls

    void DownloadServConfig();
    void OnDownloadServConfigSuccess();
    void ReadServConfigBackup();
    bool VersionCheck();
    // The comparison of the update check: true when offered is newer than
    // current, comparing the first three dot-separated parts as numbers in
    // order (a part that is not a number counts as 0). Fewer than three
    // parts is never newer.
    static bool IsNewerVersion(const QString& offered, const QString& current);
    // The built-in version, "v1.5.0.2".
    static QString CurrentVersion();

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
    int OnGetUsrInfo();
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
    int OnCreateWebSocket(QString url);
    void OnDownloadSchoolListAvatar();
    void OnLocalUsrPermChange(int type, int op, int permission, int uid);

private slots:
    // Senders of the request signals that check something first.
    void OnRequest4CloseMedia(QString mediaId);
    void OnLocalSwitchMedia(QString mediaId);
    void OnUserMakeLike();
    void OnRequest4GetCourseWare(bool bWithTimer);
    void OnLocalTrunPage(QString presentationId);
    void OnUserMarkListRequest();
    void OnUserMakeMark();
    void OnUserDelMark(QString uuid);
    void OnUserEditMark(QString uuid);
    void OnAddWhiteBoard();

private:
    // One probe-table entry of the server choice.
    struct ProbeEntry {
        int delay = 0; // ms
        int answers = 0;
    };

    void ConnectSelf();
    void ConnectMessageSenders();
    // Builds one signalling message of the type and sends it to the room or
    // (toSelf) back to the local user; text and number are the type's two
    // arguments. Returns the bytes handed to the socket, 0 when dropped.
    int WebSocketRequestById(int type, bool toSelf, const QString& text = QString(), int number = 0);
    // Closes the room's signalling client, if any, and forgets it.
    void DropWebSocket();
    // Empties the shape and redo stacks under the whiteboard's stack mutex.
    void ResetShapeStacks();
    void ServConfigRead(const IniFile& settings);

    Profile* m_profile;
    QPointer<QThread> m_thread;
    // Written in the "Profile Manager" thread, read by the screens too.
    std::atomic<int> m_dwPermission { 0 };
    std::atomic<int> m_dwActionStatus { 0 };

    mutable QMutex m_roomLock;
    RoomData m_room;

    // The room's signalling client, owned; null while no room connection
    // exists.
    QPointer<WebSockClient> m_webSocket;
    // The server choice's probe table, one entry per candidate server.
    QVector<ProbeEntry> m_probeTable { 10 };
    // Made on first use, without parent; live in this worker's thread.
    QTimer* m_probeTimer = nullptr;
    QTimer* m_keepAliveTimer = nullptr;

    // ==== signalling, room entry and server choice ====
    // (DataManagerMessages.cpp, DataManagerHandlers.cpp, DataManagerRoom.cpp,
    // DataManagerProbe.cpp). Everything below runs in the "Profile Manager"
    // thread unless it says otherwise.
public:
    // SignallingPeer; any thread.
    int GetLogoutStatus() const override;
    bool IsProbeDone() const override;
    const SignallingDispatch* GetDispatch() const override { return &m_dispatch; }

    // The room's signalling client; null while there is none.
    WebSockClient* GetWebSocket() const { return m_webSocket; }
    // The clock of the messages, the keep-alive and the socket's storm
    // guard, in milliseconds since 1970 (the system clock when empty).
    void SetClock(std::function<qint64()> msSinceEpoch);
    // Takes a session over into the current-session list (the session
    // lists fill it; the classroom-password road and tests add one).
    void AddCurrentSession(SchoolInfo* session);
    // The application id and channel key of the room's RTC channel; any
    // thread.
    QString GetAppId() const;
    QString GetChannelKey() const;
    // The relays the key road named with the key (may be empty).
    QJsonArray GetRelays() const;

public slots:
    void OnSendLoginReq();
    void OnKeepAliveResponse();
    // The keep-alive timer's tick.
    void OnKeepAliveCheck();
    void GetDefaultAppIp(const QHostInfo& info);
    void OnSendDfRequest();
    void OnDfCalTimeout();

private:
    // One message as compact JSON: type, the local user as "source", dest
    // and data.
    QString Envelope(int type, const QJsonValue& dest, const QJsonObject& data) const;
    // Hands the text to the signalling client; the characters it took, 0
    // when there is no client or it refused.
    int SendText(int type, const QString& text);
    // Type 168 from the mark record with that uuid; empty when none.
    QJsonObject MarkKeys(const QString& uuid) const;
    qint64 NowMs() const;
    void BuildDispatch();
    int UserJoin(const QString& url, QString& errorText);
    int GetAlgoraTokenByRoomId(const QString& url);
    // Every value put into a URL's query is percent-encoded.
    QString JoinUrl(const RoomFields& room) const;
    QString SignallingUrl(const RoomFields& room) const;
    // The name the classroom host's certificate carries when url points at
    // a chosen candidate instead; empty otherwise.
    QString PeerVerifyNameFor(const QString& url) const;
    void StartKeepAliveTimer();

    // The room's client (reopening) or the probe's (single-shot).
    int MakeWebSocket(const QString& url, bool singleShot);
    void ProbeSocketTo(const QString& candidate);
    void OnProbeClosed();
    // Moves the probe to the next candidate (queued).
    void NextProbe();
    // Where the running probe's answer goes: a candidate's position, or
    // kProbeDefault for the classroom host's own address.
    int ProbeTarget() const;
    void OnSocketDfCalRes(const SignallingMessage& message);
    void ChooseBestNetwork();
    void EndServerChoice();
    // Stops a running server choice, its look-up and its timer; the next
    // entry measures again. The probe's connection is the caller's to drop.
    void CancelServerChoice();
    // Forgets every delay measured and the classroom host's address, so
    // the next choice looks the host up and probes it again.
    void ResetServerChoice();
    QStringList Candidates() const;
    void SendCourseWareRequest();

    // Handlers of received messages (dispatch table of BuildDispatch).
    void OnMakeLikeSuccess(const SignallingMessage& message);
    void OnResponse4GetLikeCount(const SignallingMessage& message);
    void OnNewUserLogin(const SignallingMessage& message);
    void OnNewUserLogOut(const SignallingMessage& message);
    void OnUserStateChangeRes(const SignallingMessage& message);
    void UpdateUserPermission(const SignallingMessage& message);
    void GetUserList(const SignallingMessage& message);
    void OnDeviceInfoGetByUid(const SignallingMessage& message);
    void OnDeviceInfoGetByRoomId(const SignallingMessage& message);
    void OnUserMarkListResponse(const SignallingMessage& message);
    void OnUserMakeMarkResponse(const SignallingMessage& message);
    void OnUserDelMarkResponse(const SignallingMessage& message);
    void UpdateUserState(const SignallingMessage& message);
    void onPushToTalkMsgRecv(const SignallingMessage& message);
    void OnRemoteDelPage(const SignallingMessage& message);
    // Takes the page out of the courseware list and the screen.
    void DropPage(const QString& presentationId);
    void OnRemoteTrunPage(const SignallingMessage& message);
    void GetWhiteboardMsg(const SignallingMessage& message);
    void GetCourseWare(const SignallingMessage& message);
    void GetCourseTransProgress(const SignallingMessage& message);
    void OnRecvWhiteboardEraserMsg(const SignallingMessage& message);
    void OnRecvWhiteboardMoveMsg(const SignallingMessage& message);
    void GetWhiteBoardHistoryMsg(const SignallingMessage& message);
    void OnChatMsgRecv(const SignallingMessage& message);
    void OnChatImageSend(const SignallingMessage& message);
    void OnChatLikeSend(const SignallingMessage& message);
    void OnChatHistoryMsgRecv(const SignallingMessage& message);
    void OnChatImageTransResultRecv(const SignallingMessage& message);
    void OnRemoteMediaSeek(const SignallingMessage& message);
    void OnRemoteDelMedia(const SignallingMessage& message);
    void OnRemoteSwitchMedia(const SignallingMessage& message);
    void OnMediaClose(const SignallingMessage& message);
    // The room no longer shares the media: the current media id is
    // cleared when it is this one.
    void EndSharedMedia(const QString& mediaId);
    void GetMediaTransProgress(const SignallingMessage& message);
    void GetMediaTransResult(const SignallingMessage& message);
    void GetMediaList(const SignallingMessage& message);

    SignallingDispatch m_dispatch;
    std::function<qint64()> m_clock;
    // The courseware refetch timer; made on first use, without parent.
    QTimer* m_courseWareTimer = nullptr;
    // Whether the probe index was already sent back to the start once: a
    // default address that answers slowly restarts the probe only once.
    bool m_probeRestarted = false;
    // The server choice runs: only now is a type 97 an answer.
    bool m_probing = false;
    // The probe of the classroom host's own address is running (not one of
    // a candidate); its answer goes to m_defaultProbe unless a candidate is
    // that very address.
    bool m_probingDefault = false;
    ProbeEntry m_defaultProbe;
    // The teacher card was asked for in this room entry.
    bool m_teacherCardAsked = false;
    // The running look-up of the classroom host; -1 for none.
    int m_lookupId = -1;
    // Counts clean-ups: what a probe or an entry started before the last
    // one belongs to a room the user has left, and enters nothing.
    quint64 m_cleanUps = 0;
    // ==== end of signalling, room entry and server choice ====

    // ==== entry screens: the login and the classroom password ====
    // (DataManagerEntry.cpp). Each write takes the room lock once, so no
    // reader sees half a record.
public:
    // What a classroom password opened (times in seconds since 1970).
    struct PasswordRoom {
        QString roomNo;
        QString sessionId;
        QString sessionName;
        QString teacherId;
        QString roomPwd;
        qint64 startTime = 0;
        qint64 endTime = 0;
    };
    // The identity a login answered with; loginName is the name as typed.
    void SetLoginIdentity(const QString& loginName, int uid, const QString& schoolId);
    QString GetLoginName() const;
    // Any thread: hands the room behind a classroom password to this
    // worker's thread, which makes it the chosen session (in order with the
    // course-list roads that write the same record) and then moves the
    // window on to the room entry (phase 16).
    void EnterPasswordRoom(const PasswordRoom& room);
    // The server-choice flag: true skips the best-server probe at the next
    // room entry (a node was chosen by hand); false makes that entry
    // measure every candidate again, from the first one.
    void SetServerChoiceDone(bool done);
    // ==== end of entry screens block ====

    // ==== whiteboard stacks and messages (DataManagerWhiteboard.cpp) ====
    // Remote changes are applied to the board model here, in message order,
    // under the board lock; the widget is then told to repaint.
public:
    // The stacks of every whiteboard and the local changes waiting to be
    // sent; lives as long as this object, any thread may use it.
    BoardModel* GetBoardModel() { return &m_boardModel; }

public slots:
    // Destroys every shape of the whiteboard (both stacks).
    void ClearShapesById(const QString& whiteboardId);

private slots:
    void OnLocalShapeEraser(QString shapeId);
    // Sends 352 (the history of every board) and notes the request, so
    // local changes sent after it are made again on its answer.
    void OnRequest4GetWhiteBdHistory();

private:
    // Moves the shape (a whole stroke) to the redo stack and repaints; the
    // number of entries moved.
    int EraserShapeById(const QString& whiteboardId, const QString& shapeId);
    // Whether the message's "source" is the local user.
    bool IsOwnMessage(const QJsonObject& json) const;
    // The non-empty array under key in the "data" of an erase or move
    // message from someone else; false (malformed ones logged) otherwise.
    bool BoardListOf(const SignallingMessage& message, const char* key, const char* handler, QJsonObject& data,
        QJsonArray& list) const;
    // Sends a whiteboard message to the room: "roomId" and "operatorId"
    // join data, no timestamp. line is logged with the text.
    void SendBoardMessage(const BoardAction& action, QJsonObject data, const char* line);
    // Hands a local change's text to the connection and remembers it when
    // the room got it.
    void SendBoardChange(const BoardAction& action, const QString& json);
    void ApplyRemoteShape(const QJsonObject& data);
    void ApplyRemoteStackAction(int type, const QJsonObject& data);
    // The stacks of one board of a history (bottom first) and the shape id
    // its shape stack ends at, empty for none.
    struct HistoryBoard {
        QString board;
        QString current;
        bool listed = false;
        QVector<Shape*> entries;
    };
    HistoryBoard ReadHistoryBoard(const QJsonObject& entry) const;

    BoardModel m_boardModel;
    // ==== end of whiteboard block ====

    // ==== Web service, school road, session lists and list pictures ====
    // "Profile Manager" thread unless a line says otherwise. Results: 0
    // done (also after a network failure), 0x4001 the reply was unusable.
public:
    // Time-out of each web-service try in ms; 0 keeps 20000. Any thread.
    void SetWebTimeOut(int ms) { m_webTimeOut = ms > 0 ? ms : 0; }
    // The course cache folder: the data folder + "courlist/".
    static QString CourseCacheFolder();
    // The course picture of a session that names none: PLOVIX_PICTURE_HOST
    // when set, else the build's picture host, and the fixed path.
    static QString DefaultPictureAddress();

    int GetSchoolList();
    int GetNewUidBySchoolId();
    int GetUserRoles();
    void OnSchoolChanged4His(QString schoolId);
    int GetSchoolSessionByStuIdV2(QString stuId, QString schoolId);
    int GetSchoolSessionByTeaIdV2(QString teaId, QString schoolId);
    int GetSchoolSessionByUidV2(QString uid, QString schoolId);
    int GetHistorySessionByStuId(QString stuId, QString schoolId);
    int GetHistorySessionByTeaId(QString teaId, QString schoolId);
    int GetHistorySessionByUid(QString uid, QString schoolId);
    // The teacher card of the room; url is the filled "session.teacher.info".
    int GetTeacherInfo(const QString& url);
    int DownloadSelfAvatar();

    // Replace the room's courseware or media list; the old objects are
    // released (rule 3).
    void ReplaceCourseWareList(const QList<CourseWareInfo*>& pages);
    void ReplaceMediaList(const QList<MediaInfo*>& media);
    void SetCurrentPresentationId(const QString& presentationId);
    void SetCurrentMediaId(const QString& mediaId);

private:
    struct SessionRequest;
    enum SessionList { StudentCurrent, TeacherCurrent, UserCurrent, StudentHistory, TeacherHistory, UserHistory };
    static const SessionRequest& SessionRequestOf(SessionList which);
    // Runs road now, or, while another road waits for a reply, right after
    // that one: one road at a time, and of the roads held back only the
    // latest runs.
    void RunSerialised(const char* name, std::function<void()> road);
    void SchoolRoad(const QString& schoolId);
    void SchoolChangedRoad(const QString& schoolId, bool history);
    int RequestIdentity();
    int RequestSessions(const SessionRequest& request, const QString& identity, const QString& schoolId);
    // Empties one session list; its objects are released (rule 3).
    void ClearSessions(bool history);
    void RequestListPicture(SchoolInfo* session, int type, const char* line);
    // One picture into folder, named by its address. A present file is
    // reported finished, through the transfer worker when throughWorker is
    // set; line is logged before a transfer is asked for.
    struct PictureRequest {
        int type;
        QString url;
        QString folder;
        QString key;
        bool throughWorker = false;
        const char* line = nullptr;
    };
    void RequestPicture(const PictureRequest& picture);
    // Emits RequestBegin or RequestFinished on the course home page.
    static void NotifyCourseHome(bool begin);
    // Has the course home page make a page of cards ahead for the history
    // or the upcoming list when it shows that list, in the GUI thread while
    // this one waits for the sessions.
    void PrepareCourseCards(bool history);
    // The web-service requests' manager of this thread; null elsewhere.
    QNetworkAccessManager* WebManager();

    std::atomic<int> m_webTimeOut { 0 };
    QNetworkAccessManager* m_webManager = nullptr; // child, made on first use
    bool m_roadBusy = false;
    std::function<void()> m_heldRoad;
    // Sessions of the lists the running road emptied, released while the
    // history is on its way or when the road ends.
    QList<SchoolInfo*> m_emptiedSessions;
    // ==== end of web service block ====

    // ==== members and rights, device details, courseware pages, chat ====
    // (DataManagerMembers.cpp, DataManagerDevices.cpp,
    // DataManagerCourseware.cpp, DataManagerChat.cpp). "Profile Manager"
    // thread unless a line says otherwise. Records already in a list are
    // updated in place: the screens hold them by pointer.
public:
    // True for exactly one caller per room entry: the one that announces
    // the local user's own record (Nexus::SelfLogin), whether the hub at
    // data completion or the own login notice; the room reset re-arms it.
    // Any thread.
    bool ClaimSelfLogin();
    // Whether the local user's role name is "TEACHER". Any thread.
    bool IsTeacher() const { return m_isTeacher.load(); }
    // Courseware lookups; any thread; exact match, first in list order.
    CourseWareInfo* GetCourseWareById(const QString& presentationId) const;
    QString GetPresentationIdByWhiteboardId(const QString& whiteboardId) const;
    QString GetWhiteboardIdByPresentationId(const QString& presentationId) const;
    // The first media with that id (exact match), or null; any thread.
    MediaInfo* GetMediaInfoById(const QString& mediaId) const;
    // The folder a page's image goes to inside the course cache folder: the
    // id itself when it is a plain name, else a hash of it. Ids come from
    // the network and must never become path sections.
    static QString CourseFolderName(const QString& presentationId);

private:
    struct MemberFields;
    // The member's record: the one in the map, updated in place, or a new
    // one put into the map (*created says which).
    UserInfo* UpsertMember(const MemberFields& fields, int actionStatus, bool* created);
    void ApplyOwnRecord(const MemberFields& fields, int actionStatus);
    // Takes the member out of the room and tells the screens; false when
    // there was none with the id.
    bool ForgetMember(int uid);
    void NotifyOwnRightChange(int right, bool granted);
    // Sends the camera switch once the GUI thread found an engine.
    void SendCameraToggle();
    QString ChatImageMessage(const QJsonObject& content) const;
    // Clears what lives for one room entry only.
    void ResetRoomFlags();

    std::atomic<bool> m_selfLoginClaimed { false };
    std::atomic<bool> m_isTeacher { false };
    std::atomic<bool> m_chatHistoryShown { false };
    // Chat pictures already announced to the room in this entry.
    QSet<QString> m_sentChatImages;
    // ==== end of members, devices, courseware and chat ====

    // ==== likes and lesson marks (DataManagerMarks.cpp) ====
    // The mark list and its records are read and changed only under the
    // room lock; the screens get copies (MarkRecord). Requests and answers
    // run in the "Profile Manager" thread.
public:
    // Whether the local user has liked the teacher in this lesson; any
    // thread (the chat panel's like button reads it).
    bool GetLikedFlag() const { return m_likedFlag; }
    void SetLikedFlag(bool liked) { m_likedFlag = liked; }
    // The local user's full name from the room join: the name the room's
    // chat messages carry, by which the chat tells own messages. Any thread.
    QString GetFullName() const;
    void SetFullName(const QString& name);
    // A copy of the first mark with that uuid (case-sensitive), or a null
    // record. Any thread; the copy stays valid after the mark is deleted.
    MarkRecord GetMarkItemById(const QString& uuid) const;
    // Copies of every mark, in list order. Any thread.
    QVector<MarkRecord> GetMarkRecords() const;
    // The chat panel's finished edit: stores the description of the mark
    // with that uuid; a mark whose description was not empty becomes an
    // edited one (status 2). False when there is no such mark. Any thread.
    bool SetMarkDescription(const QString& uuid, const QString& text);

private slots:
    void OnRequest4GetLikeCount();

private:
    // The mark with that uuid; the caller holds the room lock.
    MarkInfo* FindMarkLocked(const QString& uuid) const;
    // Takes the mark out of the list and releases it; false when none.
    bool RemoveMark(const QString& uuid);
    // Raises the like state on the video panel and the chat's like button.
    void ShowLikeState();

    std::atomic<bool> m_likedFlag { false };
    // Seconds since 1970 of the latest new-mark request.
    qint64 m_dwLastMarkTime = 0;
    // Like-count requests sent and not yet answered: a repeated answer
    // would count the likes twice.
    int m_likeCountAsked = 0;
    // ==== end of likes and lesson marks ====
};
