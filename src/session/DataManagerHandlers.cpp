// Handlers of received signalling messages whose work comes with the
// member, chat, like, mark, device, whiteboard, courseware and media
// messages. Until then each one only says that it was reached; the two the
// room entry needs mark the room data as complete.
#include "DataManager.h"

#include "app/Nexus.h"

#include <QDebug>
#include <QJsonArray>
#include <QThread>

#define PLOVIX_NOT_HANDLED_YET(Handler)                                                                                \
    void DataManager::Handler(const SignallingMessage& message)                                                        \
    {                                                                                                                  \
        qDebug() << "into " #Handler ", not handled yet, type:" << message.type;                                       \
    }

PLOVIX_NOT_HANDLED_YET(OnMakeLikeSuccess)
PLOVIX_NOT_HANDLED_YET(OnResponse4GetLikeCount)
PLOVIX_NOT_HANDLED_YET(OnNewUserLogin)
PLOVIX_NOT_HANDLED_YET(OnNewUserLogOut)
PLOVIX_NOT_HANDLED_YET(OnUserStateChangeRes)
PLOVIX_NOT_HANDLED_YET(UpdateUserPermission)
PLOVIX_NOT_HANDLED_YET(OnDeviceInfoGetByUid)
PLOVIX_NOT_HANDLED_YET(OnDeviceInfoGetByRoomId)
PLOVIX_NOT_HANDLED_YET(OnUserMarkListResponse)
PLOVIX_NOT_HANDLED_YET(OnUserMakeMarkResponse)
PLOVIX_NOT_HANDLED_YET(OnUserDelMarkResponse)
PLOVIX_NOT_HANDLED_YET(UpdateUserState)
PLOVIX_NOT_HANDLED_YET(onPushToTalkMsgRecv)
PLOVIX_NOT_HANDLED_YET(OnRemoteDelPage)
PLOVIX_NOT_HANDLED_YET(OnRemoteTrunPage)
PLOVIX_NOT_HANDLED_YET(GetCourseTransProgress)
PLOVIX_NOT_HANDLED_YET(OnChatMsgRecv)
PLOVIX_NOT_HANDLED_YET(OnChatImageSend)
PLOVIX_NOT_HANDLED_YET(OnChatLikeSend)
PLOVIX_NOT_HANDLED_YET(OnChatHistoryMsgRecv)
PLOVIX_NOT_HANDLED_YET(OnChatImageTransResultRecv)
PLOVIX_NOT_HANDLED_YET(OnRemoteMediaSeek)
PLOVIX_NOT_HANDLED_YET(OnRemoteDelMedia)
PLOVIX_NOT_HANDLED_YET(OnRemoteSwitchMedia)
PLOVIX_NOT_HANDLED_YET(OnMediaClose)
PLOVIX_NOT_HANDLED_YET(GetMediaTransProgress)
PLOVIX_NOT_HANDLED_YET(GetMediaTransResult)
PLOVIX_NOT_HANDLED_YET(GetMediaList)

#undef PLOVIX_NOT_HANDLED_YET

// The member list: its arrival sets the user-list bit of the room data.
void DataManager::GetUserList(const SignallingMessage& message)
{
    qDebug() << "into DataManager::GetUserList";
    const QJsonValue list = message.json.value(QLatin1String("data")).toObject().value(QLatin1String("userList"));
    if (!list.isArray()) {
        qDebug() << "exit DataManager::GetUserListV2";
        return;
    }
    qDebug() << "into GetUserList, members not handled yet, count:" << list.toArray().size();
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateDataPrepPhase(1);
    qDebug() << "exit DataManager::GetUserListV2";
}

// The courseware list: its arrival, whatever it holds, sets the courseware
// bit of the room data.
void DataManager::GetCourseWare(const SignallingMessage& message)
{
    Q_UNUSED(message)
    qDebug() << "GetCourseWare thread:" << QThread::currentThreadId() << "DataManager::GetCourseWare enter";
    qDebug() << "into GetCourseWare, pages not handled yet";
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateDataPrepPhase(2);
}
