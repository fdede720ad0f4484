#pragma once

#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include "session/CourseWareInfo.h"
#include "widgets/RowList.h"

class PresentationItem;
class QMovie;
class QNetworkAccessManager;

// The column of course-page thumbnails in the centre panel, with the upload
// of course files (pages, audio and video). Lives in the GUI thread; the
// session and transfer threads reach it through its own signals, which are
// connected to its slots and so arrive queued.
class PresentationList : public RowList
{
    Q_OBJECT

public:
    explicit PresentationList(QWidget* parent = nullptr);

    // Appends a row holding the item; the item keeps this list as owner
    // and its thumbnail is to show the item's image path.
    void AddItem(PresentationItem* item);
    QList<PresentationItem*> GetItems() const { return m_items; }
    // Drops every row and item widget; no page is focused afterwards.
    void ClearItems();

    // The teacher's current page, or null.
    PresentationItem* GetFocusedItem() const { return m_focusedItem; }
    void SetFocusedItem(PresentationItem* item) { m_focusedItem = item; }
    // Forgets the focused page when it shows presentationId. Invokable so the
    // session thread can queue it into the GUI thread.
    Q_INVOKABLE void ClearFocusedItemIf(const QString& presentationId);

    void SetupLayout(int top, QWidget* anchor);
    // SetupLayout again with the stored top offset and anchor.
    void RefreshLayout();
    int GetTop() const { return m_top; }
    QWidget* GetAnchor() const { return m_anchor; }

    // Remembers which pages' pictures failed, so a rebuilt list shows
    // them failed (with their refresh button) rather than loading.
    void MarkFailed(const QString& presentationId, bool failed);

    // 0 at start and after a clean-up, 2 once an upload was posted.
    int GetUploadPhase() const { return m_uploadPhase; }
    // Whether an upload waits for its answer.
    bool IsUploading() const { return m_uploadBusy; }

    // The one loading animation every thumbnail without a picture shows,
    // scaled to the thumbnails' size and running.
    QMovie* LoadingMovie(const QSize& size);

signals:
    void RemoteTrunPage(CourseWareInfo* page);
    void AddNewPage(CourseWareInfo* page);
    void DelCoursePage(QString presentationId);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    void CleanUp();
    void DownloadFinished(QString presentationId);
    void DownloadFailed(QString presentationId);

public slots:
    void OnRemoteTrunPage(CourseWareInfo* page);
    void OnAddNewPage(CourseWareInfo* page);
    int OnDelCoursePage(QString presentationId);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    // Asks for course files and uploads them, each kind to its converter.
    void UploadCourse();
    void OnCleanUp();
    void OnDownloadFinished(QString presentationId);
    void OnDownloadFailed(QString presentationId);

private:
    struct Placeholder {
        QString id;
        double progress;
    };

    PresentationItem* FindItem(const QString& presentationId) const;
    void Renumber();
    // One request for the files of one kind, of the room cleanUps names;
    // false once that room was left (or the list is gone): no other kind
    // may follow.
    bool UploadKind(int kind, const QStringList& files, int cleanUps);
    void AddUploadedPages(const QStringList& ids);
    void AddUploadPlaceholder(const QString& id, double progress);
    // Uploads still converting whose pages the room does not list yet.
    QList<Placeholder> PendingUploads() const;
    void SetRowHints();

    int m_top = 0;
    QWidget* m_anchor = nullptr;
    QList<PresentationItem*> m_items;
    PresentationItem* m_focusedItem = nullptr;
    int m_uploadPhase = 0;
    bool m_uploadBusy = false;
    // Counts clean-ups, so an answer that comes after one is dropped.
    int m_cleanUps = 0;
    QNetworkAccessManager* m_network = nullptr; // child, made on first use
    QMovie* m_loadingMovie = nullptr; // child, made on first use
    QSet<QString> m_failedIds;
};
