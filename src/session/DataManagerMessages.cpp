// The signalling envelope, the builder of the fixed-type messages, the
// table that routes received messages to their handlers, and the senders
// that check something first. "Profile Manager" thread.
#include "DataManager.h"

#include "CourseWareInfo.h"
#include "MarkInfo.h"
#include "MsgType.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace {
const int kCourseWareRetryMs = 2000;
const int kClassEndWarningMs = 30000;
} // namespace

int DataManager::GetLogoutStatus() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_dwLastLogoutType;
}

bool DataManager::IsProbeDone() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_dwProbeDone != 0;
}

void DataManager::SetClock(std::function<qint64()> msSinceEpoch)
{
    m_clock = std::move(msSinceEpoch);
}

qint64 DataManager::NowMs() const
{
    return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
}

QString DataManager::Envelope(int type, const QJsonValue& dest, const QJsonObject& data) const
{
    const QJsonObject message { { QStringLiteral("type"), type },
        { QStringLiteral("source"), QString::number(GetUserId()) }, { QStringLiteral("dest"), dest },
        { QStringLiteral("data"), data } };
    return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

int DataManager::SendText(int type, const QString& text)
{
    if (!m_webSocket) {
        qDebug() << "into DataManager, no signalling connection, dropped type:" << type;
        return 0;
    }
    return m_webSocket->onTextMessageSend(text);
}

int DataManager::WebSocketRequestById(int type, bool toSelf, const QString& text, int number)
{
    const RoomFields room = GetRoomFields();
    // Whole seconds: the fraction of the second is dropped before the
    // multiplication.
    const qint64 now = NowMs() / 1000;
    const QString uid = QString::number(room.m_dwUserId);
    QJsonValue dest = room.m_strRoomId;
    if (toSelf)
        dest = uid;
    else if (type == MsgAgeroQosReport)
        dest = -1;
    QJsonObject data { { QStringLiteral("roomId"), room.m_strRoomId }, { QStringLiteral("operatorId"), uid },
        { QStringLiteral("timestamp"), now * 1000 } };
    switch (type) {
    case MsgGetLikeCount:
        data.insert(QStringLiteral("likedUserId"), room.m_strTeacherId);
        break;
    case MsgUserMakeLike:
        data.insert(QStringLiteral("likedUserId"), room.m_strTeacherId);
        data.insert(QStringLiteral("message"),
            room.m_praisePhrases.isEmpty() ? QString()
                                           : room.m_praisePhrases.at(int(now % room.m_praisePhrases.size())));
        break;
    case MsgUserStateChange:
        data.insert(QStringLiteral("userStatus"), number);
        break;
    case MsgDeviceInfoByUid:
        data.insert(QStringLiteral("targetUserId"), text);
        break;
    case MsgAgeroQosReport:
        data.insert(QStringLiteral("agoraRx"), text.toInt());
        data.insert(QStringLiteral("agoraTx"), number);
        break;
    case MsgUserMarkList:
        data.insert(QStringLiteral("userId"), uid);
        break;
    case MsgUserMakeMark: {
        const QJsonObject mark = MarkKeys(text);
        if (mark.isEmpty()) {
            qDebug() << "into DataManager::WebSocketRequestById, no mark record and nothing sent, uuid:" << text;
            return 0;
        }
        for (auto it = mark.begin(); it != mark.end(); ++it)
            data.insert(it.key(), it.value());
        break;
    }
    case MsgUserDelMark:
        data.insert(QStringLiteral("uuid"), text);
        data.insert(QStringLiteral("userId"), uid);
        break;
    case MsgTrunPage:
        data.insert(QStringLiteral("presentationId"), text);
        break;
    case MsgLaserPointPos: {
        data.insert(QStringLiteral("cursorX"), text.toInt());
        data.insert(QStringLiteral("cursorY"), number);
        data.insert(QStringLiteral("diameter"), 5);
        // The page the pointer is over, which a participant with the right
        // may have turned away from the room's.
        const QString shown = GetPresentationIdByWhiteboardId(m_boardModel.GetCurrentBoard());
        data.insert(QStringLiteral("presentationId"), shown.isEmpty() ? room.m_strCurrPresentationId : shown);
        break;
    }
    case MsgShapeEraser: {
        const WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget();
        data.insert(QStringLiteral("whiteboardId"), board ? board->GetCurrWhiteboardId() : QString());
        data.insert(QStringLiteral("shapesId"), QJsonArray { text });
        break;
    }
    case MsgWhiteBdHistory:
        data.insert(QStringLiteral("whiteboardId"), QString());
        break;
    case MsgChat:
        data.insert(QStringLiteral("content"), text);
        data.insert(QStringLiteral("destId"), room.m_strRoomId);
        data.insert(QStringLiteral("operatorUserName"), room.m_strFullName);
        data.insert(QStringLiteral("type"), QStringLiteral("public"));
        data.insert(QStringLiteral("sourceId"), uid);
        break;
    case MsgChatHistory:
        data.insert(QStringLiteral("requesterId"), uid);
        break;
    case MsgSwitchMedia:
        data.insert(QStringLiteral("mediaId"), text);
        break;
    case MsgCloseMedia:
        data.insert(QStringLiteral("mediaId"), text);
        data.insert(QStringLiteral("mediaType"), number == 2 ? QStringLiteral("video") : QStringLiteral("audio"));
        break;
    default:
        break;
    }
    const QString json = Envelope(type, dest, data);
    qDebug() << "into DataManager::WebSocketRequestById,type:" << type << ",json data:" << json;
    return SendText(type, json);
}

// ---- senders that check first ----

void DataManager::SendCourseWareRequest()
{
    WebSocketRequestById(MsgGetCourseWare, true);
}

// A burst of courseware notices ends in one request 2000 ms after the last.
void DataManager::OnRequest4GetCourseWare(bool bWithTimer)
{
    if (!m_courseWareTimer) {
        m_courseWareTimer = new QTimer();
        m_courseWareTimer->setSingleShot(true);
        connect(m_courseWareTimer, &QTimer::timeout, this, [this] {
            qDebug() << "into Request4GetCourseWare slots, and requset courseware ";
            SendCourseWareRequest();
            m_courseWareTimer->stop();
        });
    }
    if (bWithTimer) {
        if (m_courseWareTimer->isActive())
            qDebug() << "in Request4GetCourseWare slots, timer is active and will retry with timer";
        else
            qDebug() << "in Request4GetCourseWare slots, timer is not active and will retry with timer";
        m_courseWareTimer->start(kCourseWareRetryMs);
        return;
    }
    m_courseWareTimer->stop();
    qDebug() << "into Request4GetCourseWare slots with no timer, and requset courseware ";
    SendCourseWareRequest();
}

void DataManager::OnLocalTrunPage(QString presentationId)
{
    if (!(GetPermission() & 128)) {
        qDebug() << "has none palette auth.";
        return;
    }
    WebSocketRequestById(MsgTrunPage, false, presentationId);
    QMutexLocker lock(&m_roomLock);
    m_room.m_strCurrPresentationId = presentationId;
}

void DataManager::OnUserMarkListRequest()
{
    if (GetRoomRole() <= 4) {
        qDebug() << "into OnUserMarkListRequest, only student can make like";
        return;
    }
    WebSocketRequestById(MsgUserMarkList, true);
}

// ---- the dispatch table ----

void DataManager::BuildDispatch()
{
    using Member = void (DataManager::*)(const SignallingMessage&);
    const auto to = [this](Member handler) {
        return [this, handler](const SignallingMessage& message) { (this->*handler)(message); };
    };
    SignallingDispatch& table = m_dispatch;
    table.Route(MsgMakeLikeSuccess, ",User like success msg.", to(&DataManager::OnMakeLikeSuccess));
    table.Route(MsgKeepAlive, nullptr, [this](const SignallingMessage&) { OnKeepAliveResponse(); });
    table.Route(MsgSocketDfCal, nullptr, to(&DataManager::OnSocketDfCalRes));
    table.Route(MsgGetLikeCount, nullptr, to(&DataManager::OnResponse4GetLikeCount));
    table.Route(MsgUserLogin, ",User Login msg.", to(&DataManager::OnNewUserLogin));
    table.Route(MsgUserLogout, ",User Logout msg.", to(&DataManager::OnNewUserLogOut));
    table.Route(MsgRoomNotice, nullptr, [](const SignallingMessage&) {
        MiddleArea* area = Nexus::GetMiddleArea();
        if (!area)
            return;
        emit area->ShowMsgNotifyWidget(NotifyClassTimeOver);
        // The second warning's timer belongs to the screen, in its thread.
        QMetaObject::invokeMethod(
            area,
            [area] {
                QTimer::singleShot(kClassEndWarningMs, Qt::CoarseTimer, area,
                    [area] { emit area->ShowMsgNotifyWidget(NotifyRoomClosing); });
            },
            Qt::QueuedConnection);
    });
    table.Route(MsgUserStateChange, ",User state change msg.", to(&DataManager::OnUserStateChangeRes));
    table.Route(MsgUserKickOut, ",User kick out msg.", to(&DataManager::UpdateUserPermission));
    table.Route(MsgGetUserList, ",User list msg.", to(&DataManager::GetUserList));
    table.Route(MsgDeviceInfoByUid, ",device info mono", to(&DataManager::OnDeviceInfoGetByUid));
    table.Route(MsgDeviceInfoByRoomId, ",device info all", to(&DataManager::OnDeviceInfoGetByRoomId));
    table.Route(MsgUserMarkList, ",User mark list msg.", to(&DataManager::OnUserMarkListResponse));
    table.Route(MsgUserMakeMark, ",User mark create/update msg.", to(&DataManager::OnUserMakeMarkResponse));
    table.Route(MsgUserDelMark, ",User mark delete msg.", to(&DataManager::OnUserDelMarkResponse));
    table.Route(MsgUserPrivilege, ",User micro auth change msg.", to(&DataManager::UpdateUserPermission));
    table.Route({ MsgCameraStatus, MsgMicropStatus }, ",User state change msg:", to(&DataManager::UpdateUserState));
    table.Route(MsgChatPrivilege, ",User chat auth change msg.", to(&DataManager::UpdateUserPermission));
    table.Route(MsgPushToTalk, ",audio alt change msg.", to(&DataManager::onPushToTalkMsgRecv));
    table.Route(MsgDelPage, ",presentation del page msg.", to(&DataManager::OnRemoteDelPage));
    table.Route(MsgTrunPage, ",presentation turn page msg.", to(&DataManager::OnRemoteTrunPage));
    table.Route(MsgCourseOperation, ",course operation msg",
        [this](const SignallingMessage&) { emit Request4GetCourseWare(true); });
    table.Route(MsgAddWhiteBoard, ",course operation msg",
        [this](const SignallingMessage&) { emit Request4GetCourseWare(false); });
    table.Route({ MsgLaserPointPos, MsgNewShape, MsgUndo, MsgRedo, MsgReset }, ",whiteboard operation msg.",
        to(&DataManager::GetWhiteboardMsg));
    table.Route(MsgGetCourseWare, ", courselist message:", to(&DataManager::GetCourseWare));
    table.Route(MsgCourseTransProgress, ",course upload process msg.", to(&DataManager::GetCourseTransProgress));
    table.Route(MsgShapeEraser, ",white board eraser msg.", to(&DataManager::OnRecvWhiteboardEraserMsg));
    table.Route(MsgShapeMove, ",white board text move msg.", to(&DataManager::OnRecvWhiteboardMoveMsg));
    table.Route(MsgWhiteBdHistory, ",white board history msg.", to(&DataManager::GetWhiteBoardHistoryMsg));
    table.Route(MsgChat, ",User chat msg.", to(&DataManager::OnChatMsgRecv));
    table.Route(MsgChatImage, ",chat image send msg.", to(&DataManager::OnChatImageSend));
    table.Route(MsgChatLike, ",chat like send msg.", to(&DataManager::OnChatLikeSend));
    table.Route(MsgChatHistory, nullptr, to(&DataManager::OnChatHistoryMsgRecv));
    table.Route(MsgChatImageTransResult, ",chat image trans result msg.", to(&DataManager::OnChatImageTransResultRecv));
    table.Route({ MsgMediaUpdate, MsgMediaUpdate2 }, ",media has update msg.",
        [this](const SignallingMessage&) { emit Request4GetMediaList(); });
    table.Route({ MsgVideoSeek, MsgAudioSeek }, ",media seek msg.", to(&DataManager::OnRemoteMediaSeek));
    table.Route({ MsgDelVideo, MsgDelAudio }, ",delete media msg.", to(&DataManager::OnRemoteDelMedia));
    table.Route(MsgSwitchMedia, ",video and audio switch msg.", to(&DataManager::OnRemoteSwitchMedia));
    table.Route(MsgCloseMedia, ",media close msg.", to(&DataManager::OnMediaClose));
    table.Route({ MsgMediaTransProgress, MsgMediaTransProgress2 }, ",media upload process msg.",
        to(&DataManager::GetMediaTransProgress));
    table.Route(
        { MsgMediaTransFail, MsgMediaTransFail2 }, ",media trans fail msg.", to(&DataManager::GetMediaTransResult));
    table.Route(MsgGetMediaList, ", medialist message:", to(&DataManager::GetMediaList));
}
