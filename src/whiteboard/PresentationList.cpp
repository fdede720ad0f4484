#include "PresentationList.h"

#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/QtAvPlayerList.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QDebug>

PresentationList::PresentationList(QWidget* parent)
    : RowList(parent)
{
    connect(this, &PresentationList::RemoteTrunPage, this, &PresentationList::OnRemoteTrunPage);
    connect(this, &PresentationList::AddNewPage, this, &PresentationList::OnAddNewPage);
    connect(this, &PresentationList::DelCoursePage, this, &PresentationList::OnDelCoursePage);
    connect(this, &PresentationList::uploadProgress, this, &PresentationList::OnUploadProgress);
    connect(this, &PresentationList::CleanUp, this, &PresentationList::OnCleanUp);
}

void PresentationList::AddItem(PresentationItem* item)
{
    if (item == nullptr)
        return;
    item->SetOwnerList(this);
    const int rowWidth = width() - 30;
    m_items.append(item);
    AppendRow(item, QSize(rowWidth, static_cast<int>(rowWidth * 0.75)));
}

void PresentationList::ClearItems()
{
    m_items.clear();
    m_focusedItem = nullptr;
    clear(); // deletes the rows and their item widgets
}

void PresentationList::ClearFocusedItemIf(const QString& presentationId)
{
    if (m_focusedItem != nullptr && m_focusedItem->GetPresentationId() == presentationId)
        m_focusedItem = nullptr;
}

void PresentationList::SetupLayout(int top, QWidget* anchor)
{
    m_top = top;
    m_anchor = anchor;
    if (anchor == nullptr)
        return;
    // The media rows sit above the pages under the same top offset.
    QtAvPlayerList* media = Nexus::GetQtAvPlayerList();
    const int y = top + (media != nullptr ? media->GetUsedHeight() : 0);
    const int rowHeight = static_cast<int>((anchor->width() - 30) * 0.75) + 8;
    const int room = anchor->height() - y;
    const int height = count() * rowHeight <= room ? count() * rowHeight : room;
    setGeometry(0, y, anchor->width() - 1, qMax(0, height));
    if (m_focusedItem != nullptr)
        m_focusedItem->ShowCurrentPageBadge();
    show();
}

void PresentationList::RefreshLayout()
{
    if (m_anchor != nullptr)
        SetupLayout(m_top, m_anchor);
}

void PresentationList::OnRemoteTrunPage(CourseWareInfo* page)
{
    if (page == nullptr)
        return;
    PresentationItem* item = FindItem(page->GetPresentationId());
    if (item == nullptr)
        return;
    if (m_focusedItem != nullptr && m_focusedItem != item)
        m_focusedItem->HideCurrentPageBadge();
    item->ShowCurrentPageBadge();
    if (WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget())
        board->SetCurrWhiteboardId(page->GetWhiteboardId());
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->PresentationSizeAdapte(item->GetImagePath());
}

void PresentationList::OnAddNewPage(CourseWareInfo* page)
{
    if (page == nullptr)
        return;
    PresentationItem* item = FindItem(page->GetPresentationId());
    if (item == nullptr) {
        // An unknown page: the hub builds the list again from the room's pages.
        ClearItems();
        if (Nexus* hub = Nexus::Instance())
            hub->OnCourseWareGet();
        RefreshLayout();
        return;
    }
    qDebug() << "PresentationList::OnAddNewPage, and enter find phase";
    item->SetImagePath(page->GetHeadPath());
    item->SetOwnerList(this);
    if (item == m_focusedItem)
        item->ShowCurrentPageBadge();
}

int PresentationList::OnDelCoursePage(QString presentationId)
{
    qDebug() << "into OnDelCoursePage,and id:" << presentationId;
    PresentationItem* item = FindItem(presentationId);
    if (item == nullptr)
        return 0;
    const int index = m_items.indexOf(item);
    m_items.removeAt(index);
    if (item == m_focusedItem)
        m_focusedItem = nullptr;
    RemoveRow(index);
    Renumber();
    RefreshLayout();
    return 0;
}

void PresentationList::OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id)
{
    qDebug() << "bytesSent: " << bytesSent << "  bytesTotal: " << bytesTotal << id;
}

void PresentationList::OnCleanUp()
{
    ClearItems();
    m_anchor = nullptr;
}

void PresentationList::OnDownloadFinished(QString presentationId)
{
    qDebug() << "into OnDownloadFinished, and presentId:" << presentationId;
    PresentationItem* item = FindItem(presentationId);
    if (item == nullptr || item != m_focusedItem)
        return;
    item->ShowCurrentPageBadge();
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->PresentationSizeAdapte(item->GetImagePath());
}

void PresentationList::OnDownloadFailed(QString presentationId)
{
    qDebug() << "into OnDownloadFinished, and presentId:" << presentationId;
}

PresentationItem* PresentationList::FindItem(const QString& presentationId) const
{
    for (PresentationItem* item : m_items) {
        if (item->GetPresentationId() == presentationId)
            return item;
    }
    return nullptr;
}

void PresentationList::Renumber()
{
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->SetNumber(i + 1);
}
