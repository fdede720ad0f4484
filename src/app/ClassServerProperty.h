#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

// The service endpoints, read from the server properties file (and the
// update properties). Written by the GUI thread when a file arrives, read
// by every thread: each access copies a value under one lock.
class ClassServerProperty
{
public:
    enum Url {
        RegServer, // current room-join URL, rewritten by the server choice
        LoginStatistics, // "reg.login.statistics"
        RegServerConfigured, // room-join URL as read
        AppServer, // current signalling address
        AppServerConfigured, // signalling address as read
        Presentation, // "presentation.upload.url"
        PresentationMultiUpload, // "presentation.multi.upload.url"
        AudioMultiUpload, // "audio.multi.upload.url"
        VideoMultiUpload, // "video.multi.upload.url"
        ChatMultiUpload, // "chat.multi.upload.url"
        AgoraDynamicKey, // current RTC key URL
        AgoraDynamicKeyConfigured, // RTC key URL as read
        ServerProperties, // address of "vesk-servers.properties"
        UpdateDownload, // "update.server.url" of the update properties
        UpdateProperties, // address of "vesk-win.properties"
        UserLogin, // "user.login"
        UserInfoUrl, // "user.info"
        TeacherInfo, // "session.teacher.info"
        RoomInfo, // "user.room.info"
        Schools, // "schools"
        DefaultSchool, // "user.default.school"
        SchoolUserId, // "school.user.id"
        StuHistory, // "course.stu.history"
        UserHistory, // "course.user.history"
        TeacherHistory, // "course.teacher.history"
        StudentSessions, // "student.sessions"
        StuCurrent, // "course.stu.current"
        UserSessions, // "users.sessions"
        UserCurrent, // "course.user.current"
        UserRoles, // "user.roles"
        TeacherSessions, // "teacher.sessions"
        TeacherCurrent, // "course.teacher.current"
        EchoHost, // "echo.server.host"
        FileHost, // "file.classroom.host"
        CommentCheck, // "course.comment.check.existed"
        CommentAdd, // "course.comment.add"
        UrlCount
    };

    QString GetUrl(Url which) const;
    void SetUrl(Url which, const QString& value);
    // Sets several values at once, so no reader sees a half-updated set.
    void SetUrls(const QHash<Url, QString>& values);
    QHash<Url, QString> Snapshot() const;

private:
    mutable QMutex m_urlMutex;
    QString m_urls[UrlCount];
};
