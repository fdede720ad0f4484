// Likes and lesson marks of the local student, and the identity the chat
// compares senders with. Requests and answers run in the "Profile Manager"
// thread; the mark list and its records change only under the room lock,
// and the chat panel reads copies of them.
#include "DataManager.h"

#include "CourseWareInfo.h"
#include "MarkInfo.h"
#include "MsgType.h"
#include "RoomJson.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "rtc/Player.h"
#include "ui/chatArea/ChatWidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QMutexLocker>
#include <QUuid>
#include <climits>
#include <cmath>

namespace {

// A mark list longer than this is cut: a student makes at most a few
// dozen marks a lesson, and each one costs a record and a row.
const int kMaxMarkRecords = 1000;
// Like counts beyond this are not believed.
const double kMaxLikeCount = 1e8;

void Notify(int code)
{
    if (MiddleArea* area = Nexus::GetMiddleArea())
        emit area->ShowMsgNotifyWidget(code);
}

int ClampSeconds(qint64 seconds)
{
    return int(qBound<qint64>(0, seconds, INT_MAX));
}

// Whole seconds since 1970 of a time in milliseconds from the network; 0
// for anything but a positive number, and never beyond what 64 bits hold.
qint64 SecondsOfMs(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double seconds = std::trunc(value.toDouble() / 1000.0);
    if (!(seconds > 0))
        return 0;
    return seconds >= 9.0e15 ? qint64(9.0e15) : qint64(seconds);
}

} // namespace

QString DataManager::GetFullName() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strFullName;
}

void DataManager::SetFullName(const QString& name)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strFullName = name;
}

// ---- the mark list; any thread

MarkInfo* DataManager::FindMarkLocked(const QString& uuid) const
{
    if (uuid.isEmpty())
        return nullptr;
    for (MarkInfo* mark : m_room.m_vMarkInfo) {
        if (mark->GetUuid() == uuid)
            return mark;
    }
    return nullptr;
}

MarkRecord DataManager::GetMarkItemById(const QString& uuid) const
{
    QMutexLocker lock(&m_roomLock);
    const MarkInfo* mark = FindMarkLocked(uuid);
    return mark ? mark->Record() : MarkRecord();
}

QVector<MarkRecord> DataManager::GetMarkRecords() const
{
    QMutexLocker lock(&m_roomLock);
    QVector<MarkRecord> records;
    records.reserve(m_room.m_vMarkInfo.size());
    for (const MarkInfo* mark : m_room.m_vMarkInfo)
        records.append(mark->Record());
    return records;
}

bool DataManager::SetMarkDescription(const QString& uuid, const QString& text)
{
    QMutexLocker lock(&m_roomLock);
    MarkInfo* mark = FindMarkLocked(uuid);
    if (mark)
        mark->SetDescription(text);
    return mark != nullptr;
}

bool DataManager::RemoveMark(const QString& uuid)
{
    MarkInfo* mark = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        mark = FindMarkLocked(uuid);
        m_room.m_vMarkInfo.removeOne(mark);
    }
    if (mark)
        ModelObject::Release(mark);
    return mark != nullptr;
}

QJsonObject DataManager::MarkKeys(const QString& uuid) const
{
    QMutexLocker lock(&m_roomLock);
    const MarkInfo* mark = FindMarkLocked(uuid);
    if (!mark)
        return QJsonObject();
    const MarkRecord record = mark->Record();
    // A mark made here carries the moment it was made, which a mark made
    // before the session's start does not keep in its lesson second.
    const qint64 madeAt = mark->GetMadeAt();
    const qint64 seconds = madeAt > 0 ? madeAt : record.time + m_room.m_startTime;
    return QJsonObject { { QStringLiteral("markMessage"), record.description },
        { QStringLiteral("markTimestamp"), double(seconds * 1000) },
        { QStringLiteral("presentationUrl"), record.presentationUrl }, { QStringLiteral("uuid"), uuid } };
}

// ---- requests

void DataManager::OnUserMakeLike()
{
    if (GetRoomRole() <= 4) {
        qDebug() << "into OnUserMakeLike, only student can make like";
        Notify(NotifyLikeStudentsOnly);
        return;
    }
    if (m_likedFlag) {
        qDebug() << "into OnUserMakeLike, has made like before";
        Notify(NotifyLikeOncePerLesson);
        return;
    }
    WebSocketRequestById(MsgUserMakeLike, true);
}

void DataManager::OnRequest4GetLikeCount()
{
    if (WebSocketRequestById(MsgGetLikeCount, true) > 0)
        ++m_likeCountAsked;
}

void DataManager::OnUserMakeMark()
{
    const qint64 now = NowMs() / 1000;
    const int maxMarks = m_profile ? m_profile->GetMaxMarkCount() : 50;
    const int minInterval = m_profile ? m_profile->GetMinMarkInterval() : 3;
    int count = 0;
    {
        QMutexLocker lock(&m_roomLock);
        count = m_room.m_vMarkInfo.size();
    }
    if (count >= maxMarks) {
        qDebug() << "mark num has reach to the threshold: m_vMarkInfo.count()" << count;
        Notify(NotifyMarkLimitReached);
        return;
    }
    if (count > 0 && now - m_dwLastMarkTime <= minInterval) {
        qDebug() << "mark time has reach to the threshold: _currentTime" << now
                 << ",m_dwLastMarkTime:" << m_dwLastMarkTime;
        Notify(NotifyMarkTooSoon);
        return;
    }
    if (GetRoomRole() <= 4) {
        qDebug() << "into OnUserMakeMarkRequest, only student can make like";
        return;
    }
    // The page the course-page view shows: the one of the current board.
    const QString board = m_boardModel.GetCurrentBoard();
    QString url;
    bool shown = false;
    for (const CourseWareInfo* page : GetCourseWareList()) {
        if (!board.isEmpty() && page->GetWhiteboardId() == board) {
            url = page->GetUrlPath();
            shown = true;
            break;
        }
    }
    if (!shown)
        return;

    const qint64 lastMarkTime = m_dwLastMarkTime;
    m_dwLastMarkTime = now;
    auto* mark = new MarkInfo();
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QMutexLocker lock(&m_roomLock);
        const int second = ClampSeconds(now - m_room.m_startTime);
        mark->SetTime(second);
        mark->SetDescription(QString::asprintf("标记 %02d:%02d", second / 60, second % 60));
        mark->SetUuid(uuid);
        mark->SetPresentationUrl(url);
        mark->SetCreatePending(true);
        mark->SetMadeAt(now);
        m_room.m_vMarkInfo.append(mark);
    }
    if (WebSocketRequestById(MsgUserMakeMark, true, uuid) > 0)
        return;
    // Never sent: the room will not answer, so the mark must not stay to
    // count toward the limits.
    qDebug() << "into OnUserMakeMarkRequest, send refused and mark dropped, uuid:" << uuid;
    RemoveMark(uuid);
    m_dwLastMarkTime = lastMarkTime;
}

void DataManager::OnUserEditMark(QString uuid)
{
    qDebug() << "into DataManager UserEditMark , uuid:" << uuid;
    if (GetRoomRole() <= 4) {
        qDebug() << "into OnUserEditMarkRequest, only student can make like";
        return;
    }
    if (GetMarkItemById(uuid).IsNull()) {
        qDebug() << "into OnUserEditMarkRequest, GetMarkItemById is null, and uid:" << uuid;
        return;
    }
    WebSocketRequestById(MsgUserMakeMark, true, uuid);
}

void DataManager::OnUserDelMark(QString uuid)
{
    qDebug() << "into DataManager userDelMark , uuid:" << uuid;
    if (GetRoomRole() <= 4) {
        qDebug() << "into OnUserDelMarkRequest, only student can make like";
        return;
    }
    WebSocketRequestById(MsgUserDelMark, true, uuid);
}

// ---- answers

void DataManager::ShowLikeState()
{
    if (Player* player = Nexus::GetPlayer())
        emit player->UpdateLikeCnt();
    // The like button shows whether this user has liked; it is redrawn in
    // its own thread, and not at all once the panel is gone.
    if (ChatWidget* chat = Nexus::GetChatWidget())
        QMetaObject::invokeMethod(
            chat, [chat] { chat->UpdateCSS4BtnLike(); }, Qt::QueuedConnection);
}

void DataManager::OnResponse4GetLikeCount(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnResponse4GetLikeCount, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    if (m_likeCountAsked <= 0) {
        qDebug() << "into OnResponse4GetLikeCount, no request waits, answer dropped";
        return;
    }
    --m_likeCountAsked;
    const QJsonObject data = message.Data();
    const QJsonValue count = data.value(QLatin1String("likedCount"));
    const QJsonValue liked = data.value(QLatin1String("liked"));
    const double number = count.toDouble(-1);
    if (!count.isDouble() || !(number >= 0 && number <= kMaxLikeCount) || !liked.isBool()) {
        qDebug() << "into OnResponse4GetLikeCount, malformed answer dropped";
        return;
    }
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwTeacherLikeTotal += int(number);
    }
    m_likedFlag = liked.toBool();
    qDebug() << "into OnResponse4GetLikeCount, likedCount:" << int(number) << ",liked:" << liked.toBool();
    ShowLikeState();
}

void DataManager::OnMakeLikeSuccess(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnMakeLikeSuccess, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    const QJsonValue likedUid = data.value(QLatin1String("likedUserId"));
    // The room tells the liker and the teacher. Only a student likes, once
    // a lesson: a second notice to a student who has liked is a repeat.
    const bool student = GetRoomRole() > 4;
    if (student && m_likedFlag) {
        qDebug() << "into OnMakeLikeSuccess, like already counted, notice dropped";
        return;
    }
    int total = 0;
    {
        QMutexLocker lock(&m_roomLock);
        total = ++m_room.m_dwTeacherLikeTotal;
    }
    if (student)
        m_likedFlag = true;
    qDebug() << "into OnMakeLikeSuccess, likedCount:" << total << ",likedUid:" << likedUid;
    ShowLikeState();
}

void DataManager::OnUserMarkListResponse(const SignallingMessage& message)
{
    qDebug() << "OnUserMarkListResponse get json data :" << message.Text();
    const QJsonValue list = message.Data().value(QLatin1String("markList"));
    if (!list.isArray()) {
        qDebug() << "OnUserMarkListResponse, no mark list";
        return;
    }
    const QJsonArray entries = list.toArray();
    if (entries.isEmpty())
        return;
    int added = 0;
    int dropped = 0;
    int count = 0;
    {
        QMutexLocker lock(&m_roomLock);
        const qint64 start = m_room.m_startTime;
        for (const QJsonValue& value : entries) {
            const QJsonObject entry = value.toObject();
            const QString uuid = RoomJson::Text(entry, "uuid");
            // A mark already held (a repeated answer, or one made before the
            // list came) stays as it is.
            if (!value.isObject() || uuid.isEmpty() || FindMarkLocked(uuid)) {
                ++dropped;
                continue;
            }
            if (m_room.m_vMarkInfo.size() >= kMaxMarkRecords) {
                qDebug() << "OnUserMarkListResponse, list too long, cut at" << kMaxMarkRecords;
                break;
            }
            auto* mark = new MarkInfo();
            const qint64 stamp = SecondsOfMs(entry.value(QLatin1String("markTimestamp")));
            mark->SetTime(stamp > 0 ? ClampSeconds(stamp - start) : 0);
            mark->SetDescription(RoomJson::Text(entry, "markMessage"));
            mark->SetStatus(MarkInfo::New);
            mark->SetUuid(uuid);
            mark->SetPresentationUrl(RoomJson::Text(entry, "presentationUrl"));
            m_room.m_vMarkInfo.append(mark);
            ++added;
        }
        count = m_room.m_vMarkInfo.size();
    }
    if (dropped > 0)
        qDebug() << "OnUserMarkListResponse, entries skipped (no uuid, not an object or already held):" << dropped;
    qDebug() << "OnUserMarkListResponse, list count:" << count;
    Nexus* hub = Nexus::Instance();
    if (added > 0 && hub)
        emit hub->RendMarkList();
}

void DataManager::OnUserMakeMarkResponse(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnUserMakeMarkResponse, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    const QString uuid = RoomJson::Text(data, "uuid");
    const QJsonValue result = data.value(QLatin1String("result"));
    if (!result.isBool()) {
        qDebug() << "into OnUserMakeMarkResponse, no result, answer dropped, uid:" << uuid;
        return;
    }
    bool found = false;
    bool create = false;
    {
        QMutexLocker lock(&m_roomLock);
        MarkInfo* mark = FindMarkLocked(uuid);
        found = mark != nullptr;
        create = found && mark->IsCreatePending();
        // Only the first answer to a new mark is about its creation.
        if (create && result.toBool())
            mark->SetCreatePending(false);
    }
    if (!found) {
        qDebug() << "into OnUserMakeMarkResponse, GetMarkItemById is null, and uid:" << uuid;
        return;
    }
    if (!create) {
        qDebug() << "into OnUserMakeMarkResponse, its update mark, and no need insert";
        return;
    }
    qDebug() << "into OnUserMakeMarkResponse, its create mark";
    if (!result.toBool()) {
        RemoveMark(uuid);
        return;
    }
    if (Nexus* hub = Nexus::Instance())
        emit hub->AddNewMarkItem(uuid);
    Notify(NotifyMarkSaved);
}

void DataManager::OnUserDelMarkResponse(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnUserDelMarkResponse, Message received:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    if (!RoomJson::Bool(data, "result"))
        return;
    const QString uuid = RoomJson::Text(data, "uuid");
    if (GetMarkItemById(uuid).IsNull()) {
        qDebug() << "into OnUserDelMarkResponse, GetMarkItemById is null, and uid:" << uuid;
        return;
    }
    if (Nexus* hub = Nexus::Instance())
        emit hub->DeleteMarkItem(uuid);
    RemoveMark(uuid);
}
