#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

class QtAvPlayerList;
class QLabel;
class QPushButton;
class RowDeleteButton;
class RoundProgressBar;

// One media row of the media list: the kind's picture and a status line
// that says whether the media plays. Created with the list as parent and
// filled by the hub or by an upload. GUI thread.
class QtAvPlayerItem : public QWidget
{
    Q_OBJECT

public:
    // The row's status; not MediaInfo's play state (1 playing, 2 paused).
    enum PlayStatus { StatusIdle = 1, StatusPlaying = 2, StatusPaused = 4 };

    explicit QtAvPlayerItem(QWidget* parent = nullptr);

    int GetNumber() const { return m_number; }
    void SetNumber(int number) { m_number = number; }
    QString GetMediaId() const { return m_mediaId; }
    void SetMediaId(const QString& mediaId) { m_mediaId = mediaId; }
    // "blank.png" for a listed media, "uploadShow.png" while converting.
    QString GetImagePath() const { return m_imagePath; }
    void SetImagePath(const QString& path) { m_imagePath = path; }
    bool IsUploadPlaceholder() const;
    // 1 audio, 2 video, 0 other.
    int GetMediaType() const { return m_mediaType; }
    void SetMediaType(int type) { m_mediaType = type; }
    QtAvPlayerList* GetOwnerList() const { return m_ownerList; }
    void SetOwnerList(QtAvPlayerList* list) { m_ownerList = list; }

    // 1 idle, 2 playing, 4 paused; the status line shows the matching text.
    int GetPlayStatus() const { return m_playStatus; }
    void SetPlayStatus(int status);
    QString GetStatusText() const;

    // The progress gauge of a media uploaded by this client, or null.
    RoundProgressBar* GetGauge() const { return m_gauge; }
    void MakeGauge();
    // The thumbnail's frame: green for the focused row, else grey with a
    // green hover for a teacher holding the whiteboard right.
    void SetFocusedLook(bool focused);
    void HideInnerLabel();
    QLabel* GetThumbnail() const { return m_thumbnail; }

    // Lays the row out for the list's width.
    void UpdateUI(QtAvPlayerList* list);

public slots:
    void OnDeleteItem();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnThumbnailPressed();

    RowDeleteButton* m_deleteButton = nullptr;
    QLabel* m_innerLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_thumbnail = nullptr;
    RoundProgressBar* m_gauge = nullptr;
    QString m_imagePath;
    // The kind picture the thumbnail shows and the size it was scaled to.
    QString m_shownPicture;
    QSize m_shownSize;
    int m_number = 0;
    int m_mediaType = 0;
    int m_playStatus = StatusIdle;
    QString m_mediaId;
    QtAvPlayerList* m_ownerList = nullptr;
};
