#pragma once

#include <QList>
#include <QString>

#include "session/CourseWareInfo.h"
#include "widgets/RowList.h"

class PresentationItem;

// The column of course-page thumbnails in the centre panel. Lives in the GUI
// thread; the session and transfer threads reach it through its own signals,
// which are connected to its slots and so arrive queued.
class PresentationList : public RowList
{
    Q_OBJECT

public:
    explicit PresentationList(QWidget* parent = nullptr);

    // Appends a row holding the item; the item keeps this list as owner.
    void AddItem(PresentationItem* item);
    QList<PresentationItem*> GetItems() const { return m_items; }
    // Drops every row and item widget.
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

signals:
    void RemoteTrunPage(CourseWareInfo* page);
    void AddNewPage(CourseWareInfo* page);
    void DelCoursePage(QString presentationId);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void CleanUp();

public slots:
    void OnRemoteTrunPage(CourseWareInfo* page);
    void OnAddNewPage(CourseWareInfo* page);
    int OnDelCoursePage(QString presentationId);
    void OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id);
    void OnCleanUp();
    void OnDownloadFinished(QString presentationId);
    void OnDownloadFailed(QString presentationId);

private:
    PresentationItem* FindItem(const QString& presentationId) const;
    void Renumber();

    int m_top = 0;
    QWidget* m_anchor = nullptr;
    QList<PresentationItem*> m_items;
    PresentationItem* m_focusedItem = nullptr;
};
