#pragma once

#include <QString>
#include <QWidget>

// The media player window of the centre panel; plays the room's shared
// media in step with the teacher.
class AvPlayer : public QWidget
{
    Q_OBJECT

public:
    // mediaType: 1 audio, 2 video.
    explicit AvPlayer(QWidget* parent = nullptr, int mediaType = 0);

    int GetMediaType() const { return m_mediaType; }
    QString GetMediaId() const { return m_mediaId; }
    void SetMediaId(const QString& mediaId) { m_mediaId = mediaId; }
    void setDuration(int seconds) { m_duration = seconds; }
    int GetDuration() const { return m_duration; }
    void SetFile(const QString& url) { m_file = url; }
    QString GetFile() const { return m_file; }

public slots:
    void OnPlay();
    void OnPaused();
    // remote: the seek came from the room and is not announced again.
    void seek(qint64 milliseconds, bool remote);

private:
    int m_mediaType = 0;
    int m_duration = 0;
    QString m_mediaId;
    QString m_file;
};
