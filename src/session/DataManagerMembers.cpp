// The room's members and rights: the member list, logins and logouts, user
// states, rights changes and removals, camera and microphone notices,
// push-to-talk, and the local user's own rights and device switches sent
// to the room. "Profile Manager" thread; results reach the screens as
// queued signals of the objects the hub returns.
#include "DataManager.h"

#include "MsgType.h"
#include "RoomJson.h"
#include "UserInfo.h"
#include "UserRole.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "room/UserList.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/Player.h"
#include "whiteboard/PaletteWidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <climits>

namespace {

// Cleared by every withdrawal, whichever right it names.
const int kWithdrawClears = 0x10000000;

// Action status bits of a member and of the local user.
enum Action { MicOn = 1, MicOff = 2, CameraOn = 4, CameraOff = 8, FromRoom = 16 };
// A login notice starts a record with microphone and camera off.
const int kLoginActionStatus = MicOff | CameraOff | FromRoom;

// A member list longer than this is cut: no class room holds more, and
// each member costs a record and a row.
const int kMaxMembers = 20000;

struct RightName {
    const char* wire;
    int bit;
    int grantNotice;
    int withdrawNotice;
};
// Tested in this order.
const RightName kRights[] = {
    { "whiteboard", PermWhiteboard, NotifyWhiteboardGranted, NotifyWhiteboardWithdrawn },
    { "camera", PermCamera, NotifyCameraGranted, NotifyCameraWithdrawn },
    { "microphone", PermMicrophone, NotifyMicrophoneGranted, NotifyMicrophoneWithdrawn },
    { "chat", PermChat, NotifyChatGranted, NotifyChatWithdrawn },
};

const RightName* RightByName(const QString& name)
{
    for (const RightName& right : kRights) {
        if (name == QLatin1String(right.wire))
            return &right;
    }
    return nullptr;
}

const RightName* RightByBit(int bit)
{
    for (const RightName& right : kRights) {
        if (right.bit == bit)
            return &right;
    }
    return nullptr;
}

int TypeOf(const SignallingMessage& message)
{
    return RoomJson::Int(message.json, "type", -1);
}

} // namespace

// What the member list and a login notice say about one member.
struct DataManager::MemberFields {
    int uid = 0;
    QString idText;
    QString userName;
    QString avatarUrl;
    QString roleName;
    int privilege = 0;
    int alterablePrivilege = 0;
    int userStatus = 0;

    explicit MemberFields(const QJsonObject& member)
        : idText(RoomJson::Text(member, "userId"))
        , userName(RoomJson::Text(member, "userName"))
        , avatarUrl(RoomJson::Text(member, "avatarUrl"))
        , roleName(RoomJson::Text(member, "role"))
        , privilege(RoomJson::Int(member, "privilege"))
        , alterablePrivilege(RoomJson::Int(member, "alterablePrivilege"))
        , userStatus(RoomJson::Int(member, "userStatus"))
    {
        bool ok = false;
        const int id = idText.trimmed().toInt(&ok);
        uid = ok && id > 0 ? id : 0;
    }
};

bool DataManager::ClaimSelfLogin()
{
    return !m_selfLoginClaimed.exchange(true);
}

void DataManager::ResetRoomFlags()
{
    m_selfLoginClaimed = false;
    m_isTeacher = false;
    m_chatHistoryShown = false;
    m_sentChatImages.clear();
    m_likedFlag = false;
    m_likeCountAsked = 0;
    m_dwLastMarkTime = 0;
}

UserInfo* DataManager::UpsertMember(const MemberFields& fields, int actionStatus, bool* created)
{
    UserInfo* user = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        user = m_room.m_users.value(fields.uid, nullptr);
    }
    *created = user == nullptr;
    if (*created)
        user = new UserInfo();
    // The avatar's folder is the member's own; its file name is the last
    // section of the address, made safe, or none at all.
    const QString file = RoomJson::FileNameOf(fields.avatarUrl);
    const QString headPath = file.isEmpty() ? QString()
                                            : CourseCacheFolder() + GetRoomFields().m_strUserAvatarPrefix
            + QString::number(fields.uid) + QLatin1Char('/') + file;
    user->SetUid(fields.uid);
    user->SetPermission(fields.privilege);
    user->SetPermissionAlterable(fields.alterablePrivilege);
    user->SetUserStatus(fields.userStatus);
    user->SetActionStatus(actionStatus);
    user->SetUserName(fields.userName);
    user->SetHeadUrl(fields.avatarUrl);
    user->SetHeadPath(headPath);
    user->SetRole(GetRoleByName(fields.roleName));
    if (*created) {
        QMutexLocker lock(&m_roomLock);
        m_room.m_users.insert(fields.uid, user);
    }
    return user;
}

void DataManager::ApplyOwnRecord(const MemberFields& fields, int actionStatus)
{
    SetPermission(fields.privilege);
    SetActionStatus(actionStatus);
    m_isTeacher = fields.roleName == QLatin1String("TEACHER");
}

// ---- member list (161) ----

void DataManager::GetUserList(const SignallingMessage& message)
{
    qDebug() << "into DataManager::GetUserList";
    qDebug() << "GetUserList get json data :" << QJsonDocument(message.json).toJson(QJsonDocument::Compact);
    const QJsonValue list = message.Data().value(QLatin1String("userList"));
    if (!list.isArray()) {
        qDebug() << "exit DataManager::GetUserListV2";
        return;
    }
    const QJsonArray entries = list.toArray();
    if (entries.size() > kMaxMembers)
        qWarning() << "[ERROR] GetUserList, only the first" << kMaxMembers << "of" << entries.size() << "members kept";
    const int selfId = GetUserId();
    // After the room data is complete (a new list after a reconnection),
    // members the screens have not seen yet are announced like logins.
    const bool roomShown = Nexus::GetDataPrepPhase() == 3;
    Nexus* hub = Nexus::Instance();
    UserList* screen = Nexus::GetUserList();
    QSet<int> listed;
    for (int i = 0; i < entries.size() && i < kMaxMembers; ++i) {
        if (!entries.at(i).isObject()) {
            qDebug() << "GetUserList, entry is not an object and dropped, index:" << i;
            continue;
        }
        const QJsonObject member = entries.at(i).toObject();
        const MemberFields fields(member);
        if (fields.uid == 0) {
            qWarning() << "[ERROR] GetUserList, member without a usable userId dropped:" << fields.idText;
            continue;
        }
        int actionStatus = FromRoom;
        const QJsonValue camera = member.value(QLatin1String("camera"));
        if (camera.isBool())
            actionStatus |= camera.toBool() ? CameraOn : CameraOff;
        if (member.contains(QLatin1String("microphone")))
            actionStatus |= MicOff;
        int before = 0;
        if (roomShown) {
            QMutexLocker lock(&m_roomLock);
            if (UserInfo* known = m_room.m_users.value(fields.uid, nullptr))
                before = known->GetActionStatus();
        }
        bool created = false;
        UserInfo* user = UpsertMember(fields, actionStatus, &created);
        listed.insert(fields.uid);
        qDebug() << "userId :" << fields.uid << ",userName :" << fields.userName << "avatar :" << fields.avatarUrl
                 << "role :" << fields.roleName << "permission :" << fields.privilege
                 << "permissionAlterable :" << fields.alterablePrivilege << ",ActionStatus" << actionStatus;
        if (fields.uid == selfId)
            ApplyOwnRecord(fields, actionStatus);
        if (!roomShown)
            continue;
        if (created && fields.uid != selfId && hub)
            emit hub->NewUserLogin(user);
        else if (!created && screen)
            emit screen->AuthStateChanged(user);
        // A camera switched while the connection was lost shows or goes
        // now, not at its next switch. The local camera follows this
        // client's own switches.
        const bool cameraOn = actionStatus & CameraOn;
        if (camera.isBool() && fields.uid != selfId && cameraOn != bool(before & CameraOn)) {
            if (Player* player = Nexus::GetPlayer())
                emit player->CameraStatusChanged(user);
        }
    }
    // Members who left while the connection was lost are gone from the
    // room's list (the one that names the local user): they leave the
    // screens as at their logout.
    if (roomShown && listed.contains(selfId) && entries.size() <= kMaxMembers) {
        QList<int> known;
        {
            QMutexLocker lock(&m_roomLock);
            known = m_room.m_users.keys();
        }
        for (int uid : qAsConst(known)) {
            if (!listed.contains(uid) && uid != selfId) {
                qDebug() << "GetUserList, member no longer in the room:" << uid;
                ForgetMember(uid);
            }
        }
    }
    if (hub)
        emit hub->UpdateDataPrepPhase(1);
    qDebug() << "exit DataManager::GetUserListV2";
}

// ---- login (129) and logout (130) ----

void DataManager::OnNewUserLogin(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnNewUserLogin, Message received:" << message.Text();
    if (message.HasObjectData() && TypeOf(message) == MsgUserLogin) {
        const MemberFields fields(message.Data());
        if (fields.uid == 0) {
            qWarning() << "[ERROR] OnNewUserLogin, member without a usable userId dropped:" << fields.idText;
        } else {
            bool created = false;
            UserInfo* user = UpsertMember(fields, kLoginActionStatus, &created);
            Nexus* hub = Nexus::Instance();
            if (fields.uid == GetUserId()) {
                ApplyOwnRecord(fields, kLoginActionStatus);
                SetRoomRole(user->GetRole());
                // The own login comes back after every reconnection; the
                // tool bar and the layout are set up once per room entry.
                if (hub && Nexus::GetDataPrepPhase() == 3 && ClaimSelfLogin())
                    emit hub->SelfLogin(user);
            } else if (hub) {
                emit hub->NewUserLogin(user);
            }
        }
    }
    OnDownloadAllAvatar();
}

void DataManager::OnNewUserLogOut(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnNewUserLogOut, Message received:" << message.Text();
    if (!message.HasObjectData() || TypeOf(message) != MsgUserLogout)
        return;
    const int uid = RoomJson::Uid(message.Data(), "userId");
    if (!ForgetMember(uid))
        qDebug() << "OnNewUserLogout , has no this user:" << uid;
}

bool DataManager::ForgetMember(int uid)
{
    UserInfo* user = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        user = uid > 0 ? m_room.m_users.take(uid) : nullptr;
    }
    if (!user)
        return false;
    // The user list takes the record over; without one it is let go here.
    if (UserList* screen = Nexus::GetUserList())
        emit screen->UserLogout(user);
    else
        ModelObject::Release(user);
    if (Player* player = Nexus::GetPlayer())
        emit player->CamaraClosed(uid);
    return true;
}

// ---- user state (132) ----

void DataManager::OnUserStateChangeRes(const SignallingMessage& message)
{
    qDebug() << "OnUserStateChangeRes, msg:" << message.Text();
    if (GetRoomRole() != 4)
        return;
    const QJsonObject data = message.Data();
    const QString operatorId = RoomJson::Text(data, "operatorId");
    const int status = RoomJson::Int(data, "userStatus");
    const int uid = RoomJson::Uid(data, "operatorId");
    if (uid == GetUserId()) {
        qDebug() << "OnUserStateChangeRes no need update state and _uuid:" << operatorId;
        return;
    }
    if (uid == 0) {
        qDebug() << "OnUserStateChangeRes, no usable operatorId:" << operatorId;
        return;
    }
    if (UserList* screen = Nexus::GetUserList())
        emit screen->UserStateChanged(uid, status);
}

// ---- rights (160, 193, 196) ----

void DataManager::UpdateUserPermission(const SignallingMessage& message)
{
    qDebug() << "into DataManager::UpdateUserPermission, Message received:" << message.Text();
    const int selfId = GetUserId();
    if (RoomJson::Uid(message.json, "source") == selfId)
        qDebug() << "这是一个自己发出的权限修改消息";
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    int target = RoomJson::Uid(data, "userId");
    bool removal = false;
    if (data.contains(QLatin1String("kickedUserId"))) {
        target = RoomJson::Uid(data, "kickedUserId");
        removal = true;
    }
    const RightName* right = RightByName(RoomJson::Text(data, "privilege"));
    if (right)
        removal = false;
    const bool enabled = RoomJson::Bool(data, "enabled");
    UserInfo* user = target > 0 ? GetUserInfoByUid(QString::number(target)) : nullptr;
    if (!user) {
        qDebug() << "UpdateUserPermission not find user in UserItem and break.";
        return;
    }
    const bool self = target == selfId;
    if (right) {
        int permission = user->GetPermission();
        if (enabled)
            permission |= right->bit;
        else
            permission &= ~(right->bit | kWithdrawClears);
        user->SetPermission(permission);
    } else if (removal) {
        user->SetPermission(0);
    }
    if (UserList* screen = Nexus::GetUserList())
        emit screen->AuthStateChanged(user);
    if (!self)
        return;
    // Only a change that names the local user touches the local rights,
    // the speaking mode or the room itself.
    SetPermission(user->GetPermission());
    if (right)
        NotifyOwnRightChange(right->bit, enabled);
    if (removal) {
        emit SendUserLogoutMsg(4);
        if (MainWindow* window = Nexus::GetMainWindow())
            emit window->Exit();
        if (MiddleArea* area = Nexus::GetMiddleArea())
            emit area->ShowMsgNotifyWidget(NotifyKickedOut);
    }
}

void DataManager::NotifyOwnRightChange(int bit, bool granted)
{
    const RightName* right = RightByBit(bit);
    if (!right)
        return;
    if (MiddleArea* area = Nexus::GetMiddleArea())
        emit area->ShowMsgNotifyWidget(granted ? right->grantNotice : right->withdrawNotice);
    if (bit == PermMicrophone && granted) {
        // The tool bar switches itself to hold-Alt-to-talk in its own thread.
        if (MenuBar* bar = Nexus::GetMenuBar())
            emit bar->ButtonWithCmdPress();
    } else if (bit == PermMicrophone) {
        if (Player* player = Nexus::GetPlayer())
            emit player->MuteLocalAudio(1);
    } else if (bit == PermWhiteboard) {
        if (PaletteWidget* palette = Nexus::GetPaletteWidget())
            emit palette->ShowPalette();
    }
}

// ---- camera and microphone notices (194, 195) ----

void DataManager::UpdateUserState(const SignallingMessage& message)
{
    qDebug() << "into DataManager::UpdateUserState, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    int uid = RoomJson::Uid(data, "operatorId");
    enum { Other, Microphone, Camera } kind = Other;
    bool on = false;
    if (data.contains(QLatin1String("speakerUserId"))) {
        kind = Microphone;
        uid = RoomJson::Uid(data, "speakerUserId");
        // Sent as the text "true" or "false"; a JSON boolean is read too.
        const QJsonValue alive = data.value(QLatin1String("alive"));
        if (alive.isBool()) {
            on = alive.toBool();
        } else if (alive.toString() == QLatin1String("true") || alive.toString() == QLatin1String("false")) {
            on = alive.toString() == QLatin1String("true");
        } else {
            qDebug() << "UpdateUserState, microphone notice without a usable alive, dropped";
            return;
        }
    } else if (RoomJson::Text(data, "name") == QLatin1String("camera")) {
        kind = Camera;
        on = RoomJson::Text(data, "value") == QLatin1String("open");
    }
    UserInfo* user = uid > 0 ? GetUserInfoByUid(QString::number(uid)) : nullptr;
    if (!user) {
        qDebug() << "UpdateUserState not find user in UserItem and break.";
        return;
    }
    const int before = user->GetActionStatus();
    int status = before;
    if (kind == Microphone && on && (status & MicOff))
        status = (status | MicOn) & ~MicOff;
    else if (kind == Microphone && !on && (status & MicOn))
        status = (status | MicOff) & ~MicOn;
    else if (kind == Camera && on && (status & CameraOff))
        status = (status | CameraOn) & ~CameraOff;
    else if (kind == Camera && !on && (status & CameraOn))
        status = (status | CameraOff) & ~CameraOn;
    if (status != before) {
        user->SetActionStatus(status & INT_MAX);
        if (kind == Camera) {
            if (Player* player = Nexus::GetPlayer())
                emit player->CameraStatusChanged(user);
        }
    }
    if (uid == GetUserId())
        SetActionStatus(user->GetActionStatus());
    if (UserList* screen = Nexus::GetUserList())
        emit screen->AuthStateChanged(user);
}

// ---- push-to-talk (224) ----

void DataManager::onPushToTalkMsgRecv(const SignallingMessage& message)
{
    qDebug() << "into DataManager::onPushToTalkMsgRecv, message:" << message.Text();
    if (RoomJson::Uid(message.Data(), "controlledUserId") != GetUserId())
        return;
    if (MenuBar* bar = Nexus::GetMenuBar())
        emit bar->ButtonWithCmdPress();
}

// ---- the local user's sends ----

void DataManager::OnLocalUsrPermChange(int type, int op, int permission, int uid)
{
    const RoomFields room = GetRoomFields();
    const QString self = QString::number(room.m_dwUserId);
    const QString target = QString::number(uid);
    QJsonObject data { { QStringLiteral("operatorId"), self }, { QStringLiteral("roomId"), room.m_strRoomId } };
    QJsonValue dest = room.m_strRoomId;
    if (type == MsgUserKickOut) {
        dest = target;
        data.insert(QStringLiteral("kickedUserId"), target);
    } else if (type == MsgUserPrivilege) {
        if (const RightName* right = RightByBit(permission))
            data.insert(QStringLiteral("privilege"), QLatin1String(right->wire));
        if (op == 10001 || op == 10002)
            data.insert(QStringLiteral("enabled"), op == 10002);
        data.insert(QStringLiteral("userId"), target);
    } else if (type == MsgPushToTalk) {
        data.insert(QStringLiteral("controlledUserId"), target);
        data.insert(QStringLiteral("type"), QStringLiteral("keydown"));
    } else {
        qWarning() << "[ERROR] OnLocalUsrPermChange, not a rights operation, type:" << type;
        return;
    }
    const QString json = Envelope(type, dest, data);
    const int sent = SendText(type, json);
    qDebug() << "into OnLocalUsrPermChange, has already send bytes:" << sent << json;
}

void DataManager::OnLocalCameraStatusNofity(int status)
{
    const RoomFields room = GetRoomFields();
    QJsonObject data { { QStringLiteral("name"), QStringLiteral("camera") },
        { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId } };
    if (status == 1 || status == 2)
        data.insert(QStringLiteral("value"), status == 1 ? QStringLiteral("open") : QStringLiteral("close"));
    SendText(MsgCameraStatus, Envelope(MsgCameraStatus, room.m_strRoomId, data));
}

void DataManager::OnLocalMicropStatusNofity(int status)
{
    const RoomFields room = GetRoomFields();
    QJsonObject data { { QStringLiteral("speakerUserId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId } };
    // Text, not a JSON boolean: the service relays it as it is.
    if (status == 1 || status == 2)
        data.insert(QStringLiteral("alive"), status == 1 ? QStringLiteral("true") : QStringLiteral("false"));
    const QString json = Envelope(MsgMicropStatus, room.m_strRoomId, data);
    const int sent = SendText(MsgMicropStatus, json);
    qDebug() << "into OnLocalMicropStatusNofity, has already send bytes:" << sent << ",json data:" << json;
}

void DataManager::OnOpenVideo()
{
    if (!(GetPermission() & PermCamera)) {
        qDebug() << "has none camara auth.";
        return;
    }
    // The engine belongs to the GUI thread: it is looked at there, and the
    // switch leaves from this worker's thread afterwards.
    Player* player = Nexus::GetPlayer();
    if (!player)
        return;
    QMetaObject::invokeMethod(
        player,
        [player] {
            CAgoraObject* engine = player->GetMediaPlayer()->GetAgoraObject();
            if (!engine)
                return;
            if (!engine->GetCameraManager())
                engine->CreateCameraManager();
            const CameraManager* camera = engine->GetCameraManager();
            if (!camera || camera->GetDeviceCount() <= 0) {
                qDebug() << "camera device is 0";
                return;
            }
            if (DataManager* data = Nexus::GetDataManager())
                QMetaObject::invokeMethod(data, &DataManager::SendCameraToggle, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void DataManager::SendCameraToggle()
{
    const RoomFields room = GetRoomFields();
    const bool cameraOn = GetActionStatus() & CameraOn;
    const QJsonObject data { { QStringLiteral("name"), QStringLiteral("camera") },
        { QStringLiteral("value"), cameraOn ? QStringLiteral("close") : QStringLiteral("open") },
        { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId } };
    const QString json = Envelope(MsgCameraStatus, room.m_strRoomId, data);
    const int sent = SendText(MsgCameraStatus, json);
    qDebug() << "into OpenVideo, has already send bytes:" << sent << ",json data:" << json;
}
