#pragma once

#include "ModelObject.h"

#include <QString>

// One courseware page of the class room. Fields under the object's own
// lock.
class CourseWareInfo : public ModelObject
{
    Q_OBJECT
    Q_PROPERTY(QString downloadPath READ GetDownloadPath WRITE SetDownloadPath)
    Q_PROPERTY(QString headPath READ GetHeadPath WRITE SetHeadPath)
    Q_PROPERTY(QString urlPath READ GetUrlPath WRITE SetUrlPath)
    Q_PROPERTY(QString presentationId READ GetPresentationId WRITE SetPresentationId)
    Q_PROPERTY(QString whiteboardId READ GetWhiteboardId WRITE SetWhiteboardId)

public:
    explicit CourseWareInfo(QObject* parent = nullptr)
        : ModelObject(parent)
    { }

    // Local file of the page.
    QString GetDownloadPath() const { return Read(m_downloadPath); }
    void SetDownloadPath(const QString& path) { Write(m_downloadPath, path); }
    QString GetHeadPath() const { return Read(m_headPath); }
    void SetHeadPath(const QString& path) { Write(m_headPath, path); }
    QString GetUrlPath() const { return Read(m_urlPath); }
    void SetUrlPath(const QString& url) { Write(m_urlPath, url); }
    QString GetPresentationId() const { return Read(m_presentationId); }
    void SetPresentationId(const QString& id) { Write(m_presentationId, id); }
    QString GetWhiteboardId() const { return Read(m_whiteboardId); }
    void SetWhiteboardId(const QString& id) { Write(m_whiteboardId, id); }

private:
    QString m_downloadPath;
    QString m_headPath;
    QString m_urlPath;
    QString m_presentationId;
    QString m_whiteboardId;
};

Q_DECLARE_METATYPE(CourseWareInfo*)
