#pragma once

#include <QAtomicInt>
#include <QList>
#include <QString>

#include "session/MediaInfo.h"
#include "widgets/RowList.h"

class QtAvPlayerItem;

// The media rows above the course pages in the centre panel. Lives in the
// GUI thread; the session thread emits its signals, which are connected to
// its slots and so arrive queued.
class QtAvPlayerList : public RowList
{
    Q_OBJECT

public:
    explicit QtAvPlayerList(QWidget* parent = nullptr);

    // Appends a row holding the row widget; row height from the list width.
    void AppendItemWidget(QtAvPlayerItem* item);
    QList<QtAvPlayerItem*> GetItems() const { return m_items; }
    void ClearItems();

    // The row playing in the media player, or null. GUI thread.
    QtAvPlayerItem* GetLastFocusBuddy() const { return m_focusedItem; }
    // Makes the row the focused one; null resets the previous one.
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
    void CleanUp();

public slots:
    void OnAddNewPage(MediaInfo* media);
    void OnRemoteSwitchMedia(MediaInfo* media);
    void OnMediaSeek(QString mediaId, int seconds, bool play);
    int OnDelMediaPage(QString mediaId);
    void OnTransFailed(QString mediaId);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void OnCleanUp();

private:
    QtAvPlayerItem* FindItem(const QString& mediaId) const;

    int m_top = 0;
    QWidget* m_anchor = nullptr;
    QList<QtAvPlayerItem*> m_items;
    QtAvPlayerItem* m_focusedItem = nullptr;
    QAtomicInt m_focusedStatus { 0 };
};
