// Room entry: from a chosen session to the joined room with its RTC key,
// its signalling connection and the first requests; the keep-alive and the
// logout message. "Profile Manager" thread, except OnRoomEntry.
#include "DataManager.h"

#include "MsgType.h"
#include "SchoolInfo.h"
#include "app/HttpClient.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/SharedFunctions.h"
#include "app/UserSettings.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {

const int kJoinFailed = 0x4001;

QString Encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// base with the items appended to its query, every value percent-encoded,
// so "&", "#", "+", "=" or "%" in a name or password stay inside their value.
// Written as text: QUrlQuery would decode "%25" back into "%".
QString WithQuery(const QString& base, const QList<QPair<QString, QString>>& items)
{
    QStringList pairs;
    for (const auto& item : items)
        pairs << item.first + QLatin1Char('=') + Encoded(item.second);
    const QChar joiner = base.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return base + joiner + pairs.join(QLatin1Char('&'));
}

QString LogoutKind(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("normalLogout");
    case 2:
        return QStringLiteral("roomEndLogout");
    case 4:
        return QStringLiteral("kickedLogout");
    case 8:
        return QStringLiteral("abnormalLogout");
    default:
        return QString();
    }
}

// The reply body as a JSON object; false (logged with the caller's texts)
// otherwise.
bool ReplyObject(const QByteArray& body, QJsonObject& object, const char* notJson, const char* notObject)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << notJson << error.errorString();
        return false;
    }
    if (!document.isObject()) {
        qDebug() << notObject;
        return false;
    }
    object = document.object();
    return true;
}

} // namespace

void DataManager::AddCurrentSession(SchoolInfo* session)
{
    if (!session)
        return;
    QMutexLocker lock(&m_roomLock);
    m_room.m_currentSessions.append(session);
}

QString DataManager::GetAppId() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strAppId;
}

QJsonArray DataManager::GetRelays() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_relays;
}

QString DataManager::GetChannelKey() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strChannelKey;
}

// GUI thread (a course card) or this thread (the RoomEntry signal).
void DataManager::OnRoomEntry(QString sessionId)
{
    {
        QMutexLocker lock(&m_roomLock);
        SchoolInfo* session = nullptr;
        for (SchoolInfo* item : qAsConst(m_room.m_currentSessions)) {
            if (item->GetSessionId() == sessionId) {
                session = item;
                break;
            }
        }
        if (!session)
            return;
        qDebug() << "sessionId in OnRoomEntry:" << sessionId;
        m_room.m_startTime = session->GetStartTm();
        m_room.m_endTime = session->GetEndTm();
        m_room.m_strRoomId = session->GetRoomNo();
        m_room.m_strSessionId = session->GetSessionId();
        m_room.m_strSessionName = session->GetSessionName();
        m_room.m_strTeacherId = session->GetTeacherId();
        m_room.m_strRoomPwd = session->GetRoomPwd();
        m_room.m_dwRoomRole = 5;
        // A class of the school's timetable asks its teacher for feedback
        // at its end.
        m_room.m_teacherFeedback = true;
    }
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateLoginProgress(8);
}

void DataManager::OnEnterRoom()
{
    OnCleanUp();
    // The requests below wait in a local event loop: a clean-up that runs
    // meanwhile (the user left or refreshed) ends this entry.
    const quint64 entry = m_cleanUps;
    const auto left = [this, entry] {
        if (entry == m_cleanUps)
            return false;
        qDebug() << "DataManager::Start, the room was left during the entry, stopped.";
        return true;
    };
    if (UserSettings::Text(UserSettings::WssOptimize) == QLatin1String("0")) {
        UserSettings::SetValue(UserSettings::WssOptimize, QStringLiteral("0"));
        qDebug() << "DataManager::Start, begin wssOptimize ";
        if (!IsProbeDone()) {
            if (Nexus* hub = Nexus::Instance())
                emit hub->RendLoadingMsg(QStringLiteral("提示:网络测试中"));
            qDebug() << "DataManager::Start network testing.";
            OnSocketDfCalReq();
            return;
        }
        qDebug() << "DataManager::Start network tested in last time.";
    } else {
        qDebug() << "DataManager::Start, cancel wssOptimize ";
    }
    qDebug() << "DataManager::Start thread" << QThread::currentThread();

    RoomFields room = GetRoomFields();
    if (room.m_strNickName.isEmpty()) {
        OnGetUsrInfo();
        room = GetRoomFields();
        qDebug() << "into DataManager::Start, UsrNickName is empty and retry value:" << room.m_strNickName;
    }
    QString errorText;
    const int joined = UserJoin(JoinUrl(room), errorText);
    if (left())
        return;
    Nexus* hub = Nexus::Instance();
    if (hub)
        hub->UpdateLoadingValue(10);
    if (joined != 0) {
        qDebug() << "[ERROR] UserJoin error, and exit.";
        // The failure screen always says something.
        if (errorText.isEmpty())
            errorText = QStringLiteral("进入教室失败，请检查网络后重试");
        if (hub)
            hub->UpdateLoadingFailValue(errorText);
        return;
    }
    qDebug() << "UserJoin success.";
    room = GetRoomFields();
    const QString keyUrl = m_profile->GetUrl(ClassServerProperty::AgoraDynamicKey)
        + QStringLiteral("/room/%1/%2/token").arg(Encoded(room.m_strRoomId), QString::number(room.m_dwUserId));
    GetAlgoraTokenByRoomId(keyUrl);
    if (left())
        return;
    if (hub)
        hub->UpdateLoadingValue(20);

    const QString wsUrl = SignallingUrl(room);
    if (OnCreateWebSocket(wsUrl) != 0) {
        qDebug() << "[ERROR] CreateWebSocket error, and exit.\n";
        return;
    }
    qDebug() << "CreateWebSocket success, _wsUrl:" << LoggableUrl(wsUrl);
    connect(m_webSocket, &WebSockClient::connected, this, &DataManager::OnSendLoginReq);
    StartKeepAliveTimer();
}

QString DataManager::JoinUrl(const RoomFields& room) const
{
    return WithQuery(m_profile->GetUrl(ClassServerProperty::RegServer),
        { { QStringLiteral("userId"), QString::number(room.m_dwUserId) },
            { QStringLiteral("fullName"), room.m_strNickName }, { QStringLiteral("password"), room.m_strRoomPwd },
            { QStringLiteral("roomId"), room.m_strRoomId }, { QStringLiteral("avatarURL"), room.m_strAvatarUrl },
            { QStringLiteral("checksum"), QStringLiteral("checksum") } });
}

QString DataManager::SignallingUrl(const RoomFields& room) const
{
    return WithQuery(m_profile->GetUrl(ClassServerProperty::AppServer),
        { { QStringLiteral("username"), room.m_strFullName },
            { QStringLiteral("userid"), QString::number(room.m_dwUserId) },
            { QStringLiteral("roomid"), room.m_strRoomId } });
}

int DataManager::UserJoin(const QString& url, QString& errorText)
{
    // The address carries the room password: only its path is logged.
    qDebug() << "into DataManager::UserJoin, url:" << QUrl(url).toString(QUrl::RemoveQuery);
    int result = kJoinFailed;
    HttpClient client;
    client.SetReplyMode(HttpClient::ReplyBody);
    client.SetPeerVerifyName(PeerVerifyNameFor(url));
    QJsonObject reply;
    if (!client.SendRequest(QUrl(url, QUrl::StrictMode), HttpClient::MethodGet, nullptr)) {
        qDebug() << "DataManager::UserJoin error:" << client.GetErrorText();
    } else if (ReplyObject(client.GetBody(), reply, "User join error:", "User join error, shoud json object")) {
        const QString code = reply.value(QLatin1String("returncode")).toString();
        if (code != QLatin1String("SUCCESS")) {
            qDebug() << "DataManager::UserJoin error,code:" << code << ",json:" << LoggableJson(QJsonDocument(reply));
            const QJsonValue message = reply.value(QLatin1String("message"));
            if (message.isString())
                errorText = message.toString();
        } else {
            const QJsonObject data = reply.value(QLatin1String("data")).toObject();
            QMutexLocker lock(&m_roomLock);
            const QJsonValue fullName = data.value(QLatin1String("fullName"));
            if (fullName.isString()) {
                m_room.m_strFullName = fullName.toString();
                qDebug() << "DataManager::UserJoin, fullName:" << m_room.m_strFullName;
            }
            const QJsonValue roomType = data.value(QLatin1String("roomType"));
            if (roomType.toString() == QLatin1String("live"))
                m_profile->SetRoomType(1);
            else if (roomType.toString() == QLatin1String("communication"))
                m_profile->SetRoomType(2);
            const QJsonValue userId = data.value(QLatin1String("userId"));
            bool ok = false;
            const int uid = userId.toString().toInt(&ok);
            if (userId.isString() && ok) {
                m_room.m_dwUserId = uid;
                qDebug() << "DataManager::UserJoin, userId:" << uid;
            }
            const QJsonValue roomId = data.value(QLatin1String("roomId"));
            if (roomId.isString()) {
                m_room.m_strRoomId = roomId.toString();
                qDebug() << "DataManager::UserJoin, roomId:" << m_room.m_strRoomId;
            }
            result = 0;
        }
    }
    qDebug() << "exit DataManager::UserJoin";
    return result;
}

// A failed request leaves no key at all: the last room's key and id would
// join the wrong channel.
int DataManager::GetAlgoraTokenByRoomId(const QString& url)
{
    qDebug() << "into DataManager::GetAlgoraTokenByRoomId, and url:" << LoggableUrl(url);
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_strChannelKey.clear();
        m_room.m_strAppId.clear();
        m_room.m_relays = QJsonArray();
    }
    int result = 1;
    HttpClient client;
    client.SetReplyMode(HttpClient::ReplyBody);
    client.SetPeerVerifyName(PeerVerifyNameFor(url));
    QJsonObject reply;
    if (!client.SendRequest(QUrl(url, QUrl::StrictMode), HttpClient::MethodGet, nullptr)) {
        qDebug() << "[DataManager]GetAlgoraTokenByRoomId error:" << client.GetErrorText();
    } else if (ReplyObject(client.GetBody(), reply, "[DataManager]GetAlgoraTokenByRoomId error:",
                   "[DataManager]GetAlgoraTokenByRoomId error, shoud json object")) {
        qDebug() << "GetAlgoraTokenByRoomId get json data :" << LoggableJson(QJsonDocument(reply));
        const QJsonValue key = reply.value(QLatin1String("channelKey"));
        const QJsonValue appId = reply.value(QLatin1String("appId"));
        QMutexLocker lock(&m_roomLock);
        if (key.isString())
            m_room.m_strChannelKey = key.toString();
        if (appId.isString())
            m_room.m_strAppId = appId.toString();
        // The engine checks each relay; anything but a list is none.
        m_room.m_relays = reply.value(QLatin1String("relays")).toArray();
        result = key.isString() && appId.isString() ? 0 : 1;
    }
    if (result != 0)
        qWarning() << "[ERROR] GetAlgoraTokenByRoomId failed, the room has no RTC key:" << LoggableUrl(url);
    qDebug() << "exit DataManager::GetAlgoraTokenByRoomId";
    return result;
}

int DataManager::OnCreateWebSocket(QString url)
{
    return MakeWebSocket(url, false);
}

int DataManager::MakeWebSocket(const QString& url, bool singleShot)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("ws") && scheme != QLatin1String("wss"))) {
        qWarning() << "[ERROR] OnCreateWebSocket, not a signalling address:" << address.toString(QUrl::RemoveQuery);
        return 1;
    }
    // A client already held is closed first: left open it would reconnect
    // and dispatch here forever.
    DropWebSocket();
    WebSockClient::Options options;
    options.clock = [this] { return NowMs() / 1000; };
    options.peerVerifyName = PeerVerifyNameFor(url);
    options.singleShot = singleShot;
    m_webSocket = new WebSockClient(address, this, options, this);
    qDebug() << "websocket state :" << m_webSocket->GetState();
    return 0;
}

void DataManager::OnSendLoginReq()
{
    qDebug() << "into DataManager::OnSendLoginReq";
    Nexus* hub = Nexus::Instance();
    if (hub)
        hub->UpdateLoadingValue(30);
    m_boardModel.ConnectionOpened();
    emit SendUserLoginMsg();
    emit Request4GetUserList();
    SendCourseWareRequest();
    emit Request4GetMediaList();
    emit Request4GetLikeCount();
    // Back after a lost connection inside the room: what the room drew,
    // undid or erased meanwhile comes only with the history. At the entry
    // the hub asks for it once the room data is complete.
    if (Nexus::GetDataPrepPhase() == 3)
        emit Request4GetWhiteBdHistory();
    if (hub)
        hub->UpdateLoadingValue(50);
    // Once per entry: a reconnection finds the same teacher.
    if (m_teacherCardAsked)
        return;
    m_teacherCardAsked = true;
    const QString teacherId = GetRoomFields().m_strTeacherId;
    GetTeacherInfo(
        m_profile->GetUrl(ClassServerProperty::TeacherInfo).replace(QLatin1String("{teacherId}"), Encoded(teacherId)));
}

void DataManager::OnSendUserLogoutMsg(int type)
{
    const RoomFields room = GetRoomFields();
    QJsonObject data { { QStringLiteral("roomId"), room.m_strRoomId },
        { QStringLiteral("userId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("timestamp"), NowMs() / 1000 * 1000 } };
    const QString kind = LogoutKind(type);
    if (!kind.isEmpty())
        data.insert(QStringLiteral("type"), kind);
    const QString json = Envelope(MsgUserLogout, room.m_strRoomId, data);
    if (m_webSocket) {
        const int sent = SendText(MsgUserLogout, json);
        qDebug() << "into OnSendUserLogoutMsg, has already send bytes:" << sent;
    }
    QMutexLocker lock(&m_roomLock);
    m_room.m_dwLastLogoutType = type;
}

void DataManager::OnKeepAliveResponse()
{
    const qint64 now = NowMs() / 1000;
    int uid = 0;
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwLastKeepAliveTime = int(now);
        uid = m_room.m_dwUserId;
    }
    const QJsonObject data { { QStringLiteral("userId"), QString::number(uid) },
        { QStringLiteral("timestamp"), now * 1000 } };
    if (m_webSocket)
        SendText(MsgKeepAlive, Envelope(MsgKeepAlive, QStringLiteral("-1"), data));
}

void DataManager::StartKeepAliveTimer()
{
    if (m_keepAliveTimer)
        return;
    m_keepAliveTimer = new QTimer();
    connect(m_keepAliveTimer, &QTimer::timeout, this, &DataManager::OnKeepAliveCheck);
    m_keepAliveTimer->start(m_profile->GetKeepAliveInterval());
}

void DataManager::OnKeepAliveCheck()
{
    // Once stopped here the timer stays stopped until the next entry.
    if (Nexus::GetDataPrepPhase() != 3 && m_keepAliveTimer)
        m_keepAliveTimer->stop();
    const qint64 now = NowMs() / 1000;
    int last = 0;
    {
        QMutexLocker lock(&m_roomLock);
        last = m_room.m_dwLastKeepAliveTime;
    }
    if (now - last > m_profile->GetKeepAliveInterval() / 1000) {
        qDebug() << "App recv keepalive timeout, and secondsLocal:" << now << ",m_dwLastKeepAliveTime" << last;
        OnKeepAliveResponse();
    }
}
