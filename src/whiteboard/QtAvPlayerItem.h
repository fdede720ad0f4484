#pragma once

#include <QString>
#include <QWidget>

class QtAvPlayerList;
class QLabel;

// One media row of the media list, created with the list as parent and
// filled by the hub.
class QtAvPlayerItem : public QWidget
{
    Q_OBJECT

public:
    enum PlayStatus { StatusIdle = 1, StatusPlaying = 2, StatusPaused = 4 };

    explicit QtAvPlayerItem(QWidget* parent = nullptr);

    int GetNumber() const { return m_number; }
    void SetNumber(int number) { m_number = number; }
    QString GetMediaId() const { return m_mediaId; }
    void SetMediaId(const QString& mediaId) { m_mediaId = mediaId; }
    QString GetImagePath() const { return m_imagePath; }
    void SetImagePath(const QString& path) { m_imagePath = path; }
    int GetMediaType() const { return m_mediaType; }
    void SetMediaType(int type) { m_mediaType = type; }
    QtAvPlayerList* GetOwnerList() const { return m_ownerList; }
    void SetOwnerList(QtAvPlayerList* list) { m_ownerList = list; }

    // 1 idle, 2 playing, 4 paused; the status line shows the matching text.
    int GetPlayStatus() const { return m_playStatus; }
    void SetPlayStatus(int status);
    // Transcoding of this media failed on the server.
    void MarkTransFailed();

private:
    QLabel* m_statusLabel = nullptr;
    int m_number = 0;
    int m_mediaType = 0;
    int m_playStatus = StatusIdle;
    QString m_mediaId;
    QString m_imagePath;
    QtAvPlayerList* m_ownerList = nullptr;
};
