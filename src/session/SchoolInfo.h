#pragma once

#include <QObject>
#include <QString>

// One scheduled class session of the chosen school.
class SchoolInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString courseName MEMBER m_courseName)
    Q_PROPERTY(QString sessionName MEMBER m_sessionName)
    Q_PROPERTY(QString roomName MEMBER m_roomName)
    Q_PROPERTY(QString roomNo MEMBER m_roomNo)
    Q_PROPERTY(int roomType MEMBER m_roomType)
    Q_PROPERTY(QString roomPwd MEMBER m_roomPwd)
    Q_PROPERTY(QString teacherId MEMBER m_teacherId)
    Q_PROPERTY(QString teacherName MEMBER m_teacherName)
    Q_PROPERTY(QString courseTypeDesc MEMBER m_courseTypeDesc)
    Q_PROPERTY(QString className MEMBER m_className)
    Q_PROPERTY(QString snapShotUrl MEMBER m_snapShotUrl)
    Q_PROPERTY(QString headPath MEMBER m_headPath)
    Q_PROPERTY(QString recordUrl MEMBER m_recordUrl)
    Q_PROPERTY(int startTm MEMBER m_startTm)
    Q_PROPERTY(int endTm MEMBER m_endTm)
    Q_PROPERTY(int courseType MEMBER m_courseType)
    Q_PROPERTY(bool leaveStatus MEMBER m_leaveStatus)
    Q_PROPERTY(bool recordStatus MEMBER m_recordStatus)

public:
    explicit SchoolInfo(QObject* parent = nullptr)
        : QObject(nullptr)
    {
        Q_UNUSED(parent)
    }

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
