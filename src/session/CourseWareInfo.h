#pragma once

#include <QObject>
#include <QString>

// One courseware page of the class room.
class CourseWareInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString downloadPath MEMBER m_downloadPath)
    Q_PROPERTY(QString headPath MEMBER m_headPath)
    Q_PROPERTY(QString urlPath MEMBER m_urlPath)
    Q_PROPERTY(QString presentationId MEMBER m_presentationId)
    Q_PROPERTY(QString whiteboardId MEMBER m_whiteboardId)

public:
    explicit CourseWareInfo(QObject* parent = nullptr)
        : QObject(nullptr)
    {
        Q_UNUSED(parent)
    }

    QString m_downloadPath;
    QString m_headPath;
    QString m_urlPath;
    QString m_presentationId;
    QString m_whiteboardId;
};

Q_DECLARE_METATYPE(CourseWareInfo*)
