#pragma once

#include <QAtomicInt>
#include <QList>
#include <QString>
#include <QStringList>

#include "session/MediaInfo.h"
#include "widgets/RowList.h"

class QtAvPlayerItem;

// The media rows above the course pages in the centre panel. Lives in the
// GUI thread; the session thread emits its signals, which are connected to
// its slots and so arrive queued. It drives the centre panel's player only
// through MiddleArea::PlayerAdapte, OnSeekPos and OnDestroyAvPlayer.
class QtAvPlayerList : public RowList
{
    Q_OBJECT

public:
    explicit QtAvPlayerList(QWidget* parent = nullptr);

    // Appends a row holding the row widget; row height from the list width.
    void AppendItemWidget(QtAvPlayerItem* item);
    QList<QtAvPlayerItem*> GetItems() const { return m_items; }
    void ClearItems();
    QtAvPlayerItem* FindItem(const QString& mediaId) const;
    // Rows for media this client uploaded, converting until the room lists
    // them (type 1 audio, 2 video); an id already listed is left alone.
    void AddUploadedRows(const QStringList& mediaIds, int mediaType);

    // The row playing in the media player, or null. GUI thread.
    QtAvPlayerItem* GetLastFocusBuddy() const { return m_focusedItem; }
    // Makes the row the focused one; the previous one goes back to idle.
    // Null leaves no row focused.
    void SetLastFocusBuddy(QtAvPlayerItem* item);
    // Play status of the focused row (2 playing, 4 paused), 0 without one.
    // Any thread: the session reads it on a remote page turn.
    int GetFocusedPlayStatus() const { return m_focusedStatus.loadAcquire(); }
    // Called by a row whose status changed.
    void OnRowStatusChanged(QtAvPlayerItem* item);

    void SetupLayout(int top, QWidget* anchor);
    // Height the rows take below the top offset.
    int GetUsedHeight() const;

signals:
    void AddNewPage(MediaInfo* media);
    void RemoteSwitchMedia(MediaInfo* media);
    void MediaSeek(QString mediaId, int seconds, bool play);
    void DelMediaPage(QString mediaId);
    void TransFailed(QString mediaId);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    void CleanUp();
    void DownloadFinished(QString mediaId);

public slots:
    void OnAddNewPage(MediaInfo* media);
    void OnRemoteSwitchMedia(MediaInfo* media);
    void OnMediaSeek(QString mediaId, int seconds, bool play);
    int OnDelMediaPage(QString mediaId);
    void OnTransFailed(QString mediaId);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    // Uploads pictures to the page converter; no control of the class room
    // leads here.
    void UploadMedia();
    void OnCleanUp();
    void OnDownloadFinished(QString mediaId);

private:
    struct Pending {
        QString id;
        int type;
        double progress;
    };

    void Renumber();
    // The media list and then the page list lay themselves out again.
    void RefreshLayouts();
    QtAvPlayerItem* AddRow(const QString& mediaId, const QString& imagePath, int mediaType);

    int m_top = 0;
    QWidget* m_anchor = nullptr;
    QList<QtAvPlayerItem*> m_items;
    QtAvPlayerItem* m_focusedItem = nullptr;
    QAtomicInt m_focusedStatus { 0 };
    bool m_uploadBusy = false;
    int m_cleanUps = 0;
};
