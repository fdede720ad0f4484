#pragma once

#include "ModelObject.h"

#include <QString>

// One scheduled class session of the chosen school. No change signals;
// fields are read and written under the object's own lock.
class SchoolInfo : public ModelObject
{
    Q_OBJECT
    Q_PROPERTY(QString courseName READ GetCourseName WRITE SetCourseName)
    Q_PROPERTY(QString sessionName READ GetSessionName WRITE SetSessionName)
    Q_PROPERTY(QString roomName READ GetRoomName WRITE SetRoomName)
    Q_PROPERTY(QString roomNo READ GetRoomNo WRITE SetRoomNo)
    Q_PROPERTY(int roomType READ GetRoomType WRITE SetRoomType)
    Q_PROPERTY(QString roomPwd READ GetRoomPwd WRITE SetRoomPwd)
    Q_PROPERTY(QString teacherId READ GetTeacherId WRITE SetTeacherId)
    Q_PROPERTY(QString teacherName READ GetTeacherName WRITE SetTeacherName)
    Q_PROPERTY(QString courseTypeDesc READ GetCourseTypeDesc WRITE SetCourseTypeDesc)
    Q_PROPERTY(QString className READ GetClassName WRITE SetClassName)
    Q_PROPERTY(QString snapShotUrl READ GetSnapShotUrl WRITE SetSnapShotUrl)
    Q_PROPERTY(QString headPath READ GetHeadPath WRITE SetHeadPath)
    Q_PROPERTY(QString recordUrl READ GetRecordUrl WRITE SetRecordUrl)
    Q_PROPERTY(int startTm READ GetStartTm WRITE SetStartTm)
    Q_PROPERTY(int endTm READ GetEndTm WRITE SetEndTm)
    Q_PROPERTY(int courseType READ GetCourseType WRITE SetCourseType)
    Q_PROPERTY(bool leaveStatus READ GetLeaveStatus WRITE SetLeaveStatus)
    Q_PROPERTY(bool recordStatus READ GetRecordStatus WRITE SetRecordStatus)

public:
    explicit SchoolInfo(QObject* parent = nullptr)
        : ModelObject(parent)
    { }

    // The user left the session (on leave).
    bool GetLeaveStatus() const { return Read(m_leaveStatus); }
    void SetLeaveStatus(bool on) { Write(m_leaveStatus, on); }
    // A recording of the session exists.
    bool GetRecordStatus() const { return Read(m_recordStatus); }
    void SetRecordStatus(bool on) { Write(m_recordStatus, on); }
    // Start and end, seconds since 1970.
    int GetStartTm() const { return Read(m_startTm); }
    void SetStartTm(int seconds) { Write(m_startTm, seconds); }
    int GetEndTm() const { return Read(m_endTm); }
    void SetEndTm(int seconds) { Write(m_endTm, seconds); }
    int GetCourseType() const { return Read(m_courseType); }
    void SetCourseType(int type) { Write(m_courseType, type); }
    QString GetCourseName() const { return Read(m_courseName); }
    void SetCourseName(const QString& name) { Write(m_courseName, name); }
    QString GetClassName() const { return Read(m_className); }
    void SetClassName(const QString& name) { Write(m_className, name); }
    QString GetSessionId() const { return Read(m_sessionId); }
    void SetSessionId(const QString& id) { Write(m_sessionId, id); }
    QString GetSessionName() const { return Read(m_sessionName); }
    void SetSessionName(const QString& name) { Write(m_sessionName, name); }
    QString GetRoomName() const { return Read(m_roomName); }
    void SetRoomName(const QString& name) { Write(m_roomName, name); }
    // The room number, which is the room id.
    QString GetRoomNo() const { return Read(m_roomNo); }
    void SetRoomNo(const QString& number) { Write(m_roomNo, number); }
    int GetRoomType() const { return Read(m_roomType); }
    void SetRoomType(int type) { Write(m_roomType, type); }
    QString GetRoomPwd() const { return Read(m_roomPwd); }
    void SetRoomPwd(const QString& password) { Write(m_roomPwd, password); }
    QString GetTeacherId() const { return Read(m_teacherId); }
    void SetTeacherId(const QString& id) { Write(m_teacherId, id); }
    QString GetTeacherName() const { return Read(m_teacherName); }
    void SetTeacherName(const QString& name) { Write(m_teacherName, name); }
    QString GetCourseTypeDesc() const { return Read(m_courseTypeDesc); }
    void SetCourseTypeDesc(const QString& text) { Write(m_courseTypeDesc, text); }
    QString GetSnapShotUrl() const { return Read(m_snapShotUrl); }
    void SetSnapShotUrl(const QString& url) { Write(m_snapShotUrl, url); }
    // Local file of the snapshot picture.
    QString GetHeadPath() const { return Read(m_headPath); }
    void SetHeadPath(const QString& path) { Write(m_headPath, path); }
    QString GetRecordUrl() const { return Read(m_recordUrl); }
    void SetRecordUrl(const QString& url) { Write(m_recordUrl, url); }

private:
    bool m_leaveStatus = false;
    bool m_recordStatus = false;
    int m_startTm = 0;
    int m_endTm = 0;
    int m_courseType = 0;
    QString m_courseName;
    QString m_className;
    QString m_sessionId;
    QString m_sessionName;
    QString m_roomName;
    QString m_roomNo;
    int m_roomType = 0;
    QString m_roomPwd;
    QString m_teacherId;
    QString m_teacherName;
    QString m_courseTypeDesc;
    QString m_snapShotUrl;
    QString m_headPath;
    QString m_recordUrl;
};

Q_DECLARE_METATYPE(SchoolInfo*)
