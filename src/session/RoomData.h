#pragma once

#include <QJsonArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class CourseWareInfo;
class MarkInfo;
class MediaInfo;
class SchoolInfo;
class SchoolListInfo;
class UserInfo;

// The scalar part of the room-data record: who the user is, which session
// and room were chosen, and the values of the room's connection. Copyable,
// so other threads get a consistent copy (DataManager::GetRoomFields).
struct RoomFields {
    RoomFields();

    // The twenty short cheers for the teacher, in their fixed order.
    static const QStringList& PraisePhrases();

    int m_dwUserId = 0; // uid, from the login, the school road and the room join
    int m_dwRoomRole = 0; // UserRole number in the room; 5 once a session is chosen
    int m_dwLastLogoutType = 0; // 1, 2, 4 or 8: the last logout message sent
    int m_dwSchoolRole = 0; // 4 teacher, 5 student, 7 otherwise
    int m_dwProbeDone = 0; // 1 once the server choice ran in this run
    qint64 m_startTime = 0; // chosen session, seconds
    qint64 m_endTime = 0;
    int m_dwLastKeepAliveTime = 0; // seconds since 1970 of the last keep-alive answered
    int m_dwProbeIndex = 0; // candidate server being probed
    int m_dwTeacherLikeTotal = 0; // reset to the card's likes whenever the member list is requested
    int m_dwTeacherCardLikes = 0; // the teacher card's count, fetched once per entry
    QString m_strLoginName; // the user name as typed at the login
    QString m_strFullName; // from the room join; the signalling "username"
    QString m_strNickName; // from the user information request
    QString m_strAvatarUrl;
    QString m_strSessionName;
    QString m_strRoomId; // the session's room number, then the join's room id
    QString m_strSessionId;
    QString m_strRoomPwd;
    QString m_strAppId; // RTC application id
    QString m_strChannelKey; // RTC channel key
    QJsonArray m_relays; // the media's TURN relays, as the key road names them
    QString m_strTeacherId; // the chosen session's teacher: the teacher card and the likes
    QString m_strSchoolId;
    QString m_strStudentId;
    QString m_strTeacherName; // from the teacher card
    QString m_strTeacherAvatarPath;
    QString m_strCurrPresentationId; // the teacher's current course page
    QString m_strCurrMediaId; // the shared media file while it plays or pauses
    QString m_strStudentRoleId;
    // The user's own teacher identity from the roles request; picks a
    // teacher's session lists, never the room's teacher.
    QString m_strTeacherRoleId;
    QString m_strProbeHost; // candidate server currently probed
    QString m_strUserAvatarPrefix;
    QString m_strTeacherAvatarPrefix;
    QStringList m_praisePhrases;
    bool m_microphoneOn = false; // the local microphone is on
    bool m_teacherFeedback = false; // the room asks its teacher for feedback
};

// The whole record: the scalars and the owned containers. Lives inside
// DataManager under its room lock.
struct RoomData : RoomFields {
    QMap<int, UserInfo*> m_users; // members by user id
    QMap<QString, SchoolListInfo*> m_schools; // by school id
    QList<MediaInfo*> m_media;
    QList<SchoolInfo*> m_currentSessions; // upcoming sessions of the chosen school
    QList<MarkInfo*> m_vMarkInfo;
    QList<SchoolInfo*> m_historySessions;
    QList<CourseWareInfo*> m_courseWare;
};
