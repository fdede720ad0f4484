#include "DataManager.h"

#include "WebRequest.h"

#include "app/HttpClient.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>

namespace {
// The user waits for the answer while leaving: one short try only.
constexpr int kCommentCheckTimeOutMs = 3000;
// Listeners and auditors are asked only after this long in the class.
constexpr qint64 kMinSecondsInClass = 1200;
} // namespace

bool DataManager::CheckIfNeedUserFeedback()
{
    const qint64 now = NowMs() / 1000;
    const RoomFields room = GetRoomFields();
    const int role = room.m_dwRoomRole;
    if (role < 4 || role > 8)
        return false;
    if (role == 4)
        return now > room.m_endTime;
    bool timeMatch = false;
    if (role == 5)
        timeMatch = now > room.m_endTime;
    else if (role == 6 || role == 7)
        timeMatch = room.m_startTime < now && now < room.m_endTime && now - room.m_startTime > kMinSecondsInClass;
    qDebug() << "into CheckIfNeedUserFeedback,secondsLocal:" << now << ",startTime:" << room.m_startTime
             << ",endTime:" << room.m_endTime;
    qDebug() << "isTimeConditionMatch:" << timeMatch;
    return timeMatch && CheckCourseCommentExitOrNotByUid();
}

bool DataManager::CheckCourseCommentExitOrNotByUid()
{
    const RoomFields room = GetRoomFields();
    Profile* profile = Nexus::GetProfile();
    const QString urlTemplate = profile ? profile->GetUrl(ClassServerProperty::CommentCheck) : QString();
    const QString url = WebRequest::Fill(urlTemplate,
        { { "{userId}", QString::number(room.m_dwUserId) }, { "{schoolId}", room.m_strSchoolId },
            { "{sessionId}", room.m_strSessionId } });
    qDebug() << "into CheckCourseCommentExitOrNotByUid, and url:" << url;
    bool result = false;
    QByteArray body;
    bool received = false;
    if (!urlTemplate.isEmpty()) {
        HttpClient client(1, kCommentCheckTimeOutMs);
        client.SetReplyMode(HttpClient::ReplyBody);
        received = client.SendRequest(QUrl(url, QUrl::TolerantMode), HttpClient::MethodGet, nullptr);
        if (received)
            body = client.GetBody();
        else
            qDebug() << "[DataManager]CheckCourseCommentExitOrNotByUid error:" << client.GetErrorText();
    } else {
        qDebug() << "[DataManager]CheckCourseCommentExitOrNotByUid error:"
                 << "no comment check address in the server properties";
    }
    if (received) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(body, &error);
        if (error.error != QJsonParseError::NoError) {
            qDebug() << "CheckCourseCommentExitOrNotByUid error:" << error.errorString();
        } else if (!document.isObject()) {
            qDebug() << "CheckCourseCommentExitOrNotByUid error, shoud json object";
        } else {
            const QJsonValue message = document.object().value(QLatin1String("message"));
            if (message.isObject()) {
                const QJsonObject fields = message.toObject();
                const QJsonValue keyValue = fields.value(QLatin1String("key"));
                // Only a whole number counts; "-1" as a string does not.
                const int key = keyValue.isDouble() && keyValue.toDouble() == keyValue.toInt() ? keyValue.toInt() : 0;
                qDebug() << "into CheckCourseCommentExitOrNotByUid,key :" << key
                         << ",value:" << fields.value(QLatin1String("value")).toString();
                result = key == -1;
            }
        }
    }
    qDebug() << "exit DataManager::CheckCourseCommentExitOrNotByUid _ret:" << result;
    return result;
}
