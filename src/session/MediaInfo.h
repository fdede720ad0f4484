#pragma once

#include "ModelObject.h"

#include <QString>

// One media file shared in the class room. Fields under the object's own
// lock.
class MediaInfo : public ModelObject
{
    Q_OBJECT
    Q_PROPERTY(QString urlPath READ GetUrlPath WRITE SetUrlPath)
    Q_PROPERTY(QString mediaId READ GetMediaId WRITE SetMediaId)

public:
    enum Type { Other = 0, Audio = 1, Video = 2 };
    enum PlayState { Playing = 1, Paused = 2 };

    explicit MediaInfo(QObject* parent = nullptr)
        : ModelObject(parent)
    { }

    // Length in seconds, from the list's "duration".
    int GetDuration() const { return Read(m_duration); }
    void SetDuration(int seconds) { Write(m_duration, seconds); }
    // A Type value.
    int GetMediaType() const { return Read(m_mediaType); }
    void SetMediaType(int type) { Write(m_mediaType, type); }
    // A PlayState value, 0 before the first play.
    int GetPlayState() const { return Read(m_playState); }
    void SetPlayState(int state) { Write(m_playState, state); }
    // Seconds.
    int GetSeekPos() const { return Read(m_seekPos); }
    void SetSeekPos(int seconds) { Write(m_seekPos, seconds); }
    QString GetSlidePath() const { return Read(m_slidePath); }
    void SetSlidePath(const QString& path) { Write(m_slidePath, path); }
    QString GetUrlPath() const { return Read(m_urlPath); }
    void SetUrlPath(const QString& url) { Write(m_urlPath, url); }
    QString GetMediaId() const { return Read(m_mediaId); }
    void SetMediaId(const QString& id) { Write(m_mediaId, id); }

private:
    int m_duration = 0;
    int m_mediaType = 0;
    int m_playState = 0;
    int m_seekPos = 0;
    // Empty, not null: the screens compare and concatenate them.
    QString m_slidePath { QLatin1String("") };
    QString m_urlPath { QLatin1String("") };
    QString m_mediaId { QLatin1String("") };
};

Q_DECLARE_METATYPE(MediaInfo*)
