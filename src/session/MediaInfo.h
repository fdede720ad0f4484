#pragma once

#include <QObject>
#include <QString>

// One media file shared in the class room.
class MediaInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString urlPath MEMBER m_urlPath)
    Q_PROPERTY(QString mediaId MEMBER m_mediaId)

public:
    enum Type { Other = 0, Audio = 1, Video = 2 };
    enum PlayState { Playing = 1, Paused = 2 };

    explicit MediaInfo(QObject* parent = nullptr)
        : QObject(nullptr)
    {
        Q_UNUSED(parent)
    }

    int m_duration = 0;
    int m_mediaType = 0;
    int m_playState = 0;
    int m_seekPos = 0;
    QString m_slidePath { QLatin1String("") };
    QString m_urlPath { QLatin1String("") };
    QString m_mediaId { QLatin1String("") };
};

Q_DECLARE_METATYPE(MediaInfo*)
