#include "QtAvPlayerList.h"

#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"

#include <QDebug>

namespace {
// Row height factor of the media rows, kept in single precision on purpose.
constexpr float kRowFactor = 0.88f;
} // namespace

QtAvPlayerList::QtAvPlayerList(QWidget* parent)
    : RowList(parent)
{
    connect(this, &QtAvPlayerList::AddNewPage, this, &QtAvPlayerList::OnAddNewPage);
    connect(this, &QtAvPlayerList::RemoteSwitchMedia, this, &QtAvPlayerList::OnRemoteSwitchMedia);
    connect(this, &QtAvPlayerList::MediaSeek, this, &QtAvPlayerList::OnMediaSeek);
    connect(this, &QtAvPlayerList::DelMediaPage, this, &QtAvPlayerList::OnDelMediaPage);
    connect(this, &QtAvPlayerList::TransFailed, this, &QtAvPlayerList::OnTransFailed);
    connect(this, &QtAvPlayerList::uploadProgress, this, &QtAvPlayerList::OnUploadProgress);
    connect(this, &QtAvPlayerList::CleanUp, this, &QtAvPlayerList::OnCleanUp);
}

void QtAvPlayerList::AppendItemWidget(QtAvPlayerItem* item)
{
    if (item == nullptr)
        return;
    item->SetOwnerList(this);
    const int rowWidth = width() - 30;
    m_items.append(item);
    AppendRow(item, QSize(rowWidth, static_cast<int>(rowWidth * 0.75)));
}

void QtAvPlayerList::ClearItems()
{
    SetLastFocusBuddy(nullptr);
    m_items.clear();
    clear(); // deletes the rows and their item widgets
}

void QtAvPlayerList::SetLastFocusBuddy(QtAvPlayerItem* item)
{
    if (item != nullptr)
        qDebug() << "into QtAvPlayerList::SetLastFocusBuddy, and mediaId:" << item->GetMediaId();
    QtAvPlayerItem* previous = m_focusedItem;
    m_focusedItem = nullptr;
    m_focusedStatus.storeRelease(0);
    if (previous != nullptr && previous != item)
        previous->SetPlayStatus(QtAvPlayerItem::StatusIdle);
    m_focusedItem = item;
    if (item != nullptr)
        m_focusedStatus.storeRelease(item->GetPlayStatus());
}

void QtAvPlayerList::OnRowStatusChanged(QtAvPlayerItem* item)
{
    if (item != nullptr && item == m_focusedItem)
        m_focusedStatus.storeRelease(item->GetPlayStatus());
}

int QtAvPlayerList::GetUsedHeight() const
{
    if (m_anchor == nullptr)
        return 0;
    const int rowHeight = static_cast<int>((m_anchor->width() - 30) * kRowFactor) + 8;
    const int room = m_anchor->height() - m_top;
    return room >= count() * rowHeight ? count() * rowHeight : room;
}

void QtAvPlayerList::SetupLayout(int top, QWidget* anchor)
{
    m_top = top;
    m_anchor = anchor;
    if (anchor == nullptr)
        return;
    setGeometry(0, top, anchor->width() - 1, qMax(0, GetUsedHeight()));
    show();
}

void QtAvPlayerList::OnAddNewPage(MediaInfo* media)
{
    if (media == nullptr)
        return;
    QtAvPlayerItem* item = FindItem(media->GetMediaId());
    if (item != nullptr) {
        item->SetImagePath(QStringLiteral("blank.png"));
        item->SetOwnerList(this);
    } else {
        // An unknown media: the hub builds the list again from the room's media.
        ClearItems();
        if (Nexus* hub = Nexus::Instance())
            hub->OnMeidaListGet();
    }
    if (m_anchor != nullptr)
        SetupLayout(m_top, m_anchor);
    if (PresentationList* pages = Nexus::GetPresentationList())
        pages->RefreshLayout();
}

void QtAvPlayerList::OnRemoteSwitchMedia(MediaInfo* media)
{
    if (media == nullptr)
        return;
    QtAvPlayerItem* item = FindItem(media->GetMediaId());
    if (item == nullptr)
        return;
    // The focus stays until the player changes, so the same media is not
    // started again.
    if (m_focusedItem != nullptr)
        m_focusedItem->SetPlayStatus(QtAvPlayerItem::StatusIdle);
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->PlayerAdapte(media, false);
    SetLastFocusBuddy(item);
}

void QtAvPlayerList::OnMediaSeek(QString mediaId, int seconds, bool play)
{
    qDebug() << "into OnMediaSeek, and mediaId:" << mediaId;
    if (m_focusedItem == nullptr || m_focusedItem->GetMediaId() != mediaId)
        return;
    // The centre panel seeks its player and sets the row's status.
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->OnSeekPos(seconds, play);
    else
        m_focusedItem->SetPlayStatus(play ? QtAvPlayerItem::StatusPlaying : QtAvPlayerItem::StatusPaused);
}

int QtAvPlayerList::OnDelMediaPage(QString mediaId)
{
    qDebug() << "into OnDelMediaPage,and mediaId:" << mediaId;
    QtAvPlayerItem* item = FindItem(mediaId);
    if (item == nullptr)
        return 0;
    if (item == m_focusedItem) {
        SetLastFocusBuddy(nullptr);
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->OnDestroyAvPlayer();
    }
    const int index = m_items.indexOf(item);
    m_items.removeAt(index);
    RemoveRow(index);
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->SetNumber(i + 1);
    if (m_anchor != nullptr)
        SetupLayout(m_top, m_anchor);
    return 0;
}

void QtAvPlayerList::OnTransFailed(QString mediaId)
{
    QtAvPlayerItem* item = FindItem(mediaId);
    if (item != nullptr)
        item->MarkTransFailed();
}

void QtAvPlayerList::OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id)
{
    qDebug() << "bytesSent: " << bytesSent << "  bytesTotal: " << bytesTotal << " mediaId:" << id;
}

void QtAvPlayerList::OnCleanUp()
{
    ClearItems();
    m_anchor = nullptr;
}

QtAvPlayerItem* QtAvPlayerList::FindItem(const QString& mediaId) const
{
    for (QtAvPlayerItem* item : m_items) {
        if (item->GetMediaId() == mediaId)
            return item;
    }
    return nullptr;
}
