#include "QtAvPlayerList.h"

#include "app/NetworkAccessManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "player/AvPlayer.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "session/DataManager.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/CourseUpload.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "widgets/RoundProgressBar.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QScrollBar>

namespace {

const QString kUploadShow = QStringLiteral("uploadShow.png");
const QString kListed = QStringLiteral("blank.png");
// Row height factor of the media rows, kept in single precision on purpose.
constexpr float kRowFactor = 0.88f;

} // namespace

QtAvPlayerList::QtAvPlayerList(QWidget* parent)
    : RowList(parent)
{
    qDebug() << "into QtAvPlayerList, and current dir:" << QDir::currentPath();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QStringLiteral("QListWidget{border:0px;}QListWidget::Item:hover{background:rgb(255,255,255);  }"
                                 "QListWidget::item:selected:!active{border-width:0px;background:rgb(255,255,255); }"));
    verticalScrollBar()->setStyleSheet(CourseRow::ScrollBarStyle());
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSpacing(4);
    connect(this, &QtAvPlayerList::RemoteSwitchMedia, this, &QtAvPlayerList::OnRemoteSwitchMedia);
    connect(this, &QtAvPlayerList::TransFailed, this, &QtAvPlayerList::OnTransFailed);
    connect(this, &QtAvPlayerList::AddNewPage, this, &QtAvPlayerList::OnAddNewPage);
    connect(this, qOverload<qlonglong, qlonglong, QString>(&QtAvPlayerList::uploadProgress), this,
        qOverload<qlonglong, qlonglong, QString>(&QtAvPlayerList::OnUploadProgress));
    connect(this, &QtAvPlayerList::CleanUp, this, &QtAvPlayerList::OnCleanUp);
    connect(this, &QtAvPlayerList::MediaSeek, this, &QtAvPlayerList::OnMediaSeek);
    connect(this, &QtAvPlayerList::DownloadFinished, this, &QtAvPlayerList::OnDownloadFinished);
    connect(this, &QtAvPlayerList::DelMediaPage, this, &QtAvPlayerList::OnDelMediaPage);
}

// ---- rows ----

void QtAvPlayerList::AppendItemWidget(QtAvPlayerItem* item)
{
    if (item == nullptr)
        return;
    item->SetOwnerList(this);
    const int rowWidth = width() - 30;
    m_items.append(item);
    AppendRow(item, QSize(rowWidth, int(rowWidth * 0.75)));
}

void QtAvPlayerList::ClearItems()
{
    SetLastFocusBuddy(nullptr);
    m_items.clear();
    clear(); // the rows' widgets are released with them
}

QtAvPlayerItem* QtAvPlayerList::FindItem(const QString& mediaId) const
{
    for (QtAvPlayerItem* item : m_items) {
        if (item->GetMediaId() == mediaId)
            return item;
    }
    return nullptr;
}

QtAvPlayerItem* QtAvPlayerList::AddRow(const QString& mediaId, const QString& imagePath, int mediaType)
{
    auto* item = new QtAvPlayerItem(this);
    item->SetImagePath(imagePath);
    item->SetMediaId(mediaId);
    item->SetNumber(m_items.size() + 1);
    item->SetMediaType(mediaType);
    AppendItemWidget(item);
    item->UpdateUI(this);
    return item;
}

void QtAvPlayerList::AddUploadedRows(const QStringList& mediaIds, int mediaType)
{
    for (const QString& id : mediaIds) {
        if (FindItem(id) == nullptr)
            AddRow(id, kUploadShow, mediaType)->MakeGauge();
    }
}

void QtAvPlayerList::Renumber()
{
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->SetNumber(i + 1);
}

// ---- focus ----

void QtAvPlayerList::SetLastFocusBuddy(QtAvPlayerItem* item)
{
    if (item != nullptr)
        qDebug() << "into QtAvPlayerList::SetLastFocusBuddy, and mediaId:" << item->GetMediaId();
    QtAvPlayerItem* previous = m_focusedItem;
    m_focusedItem = nullptr;
    m_focusedStatus.storeRelease(0);
    if (previous != nullptr && previous != item) {
        previous->SetPlayStatus(QtAvPlayerItem::StatusIdle);
        previous->SetFocusedLook(false);
    }
    m_focusedItem = item;
    if (item != nullptr) {
        item->SetFocusedLook(true);
        m_focusedStatus.storeRelease(item->GetPlayStatus());
    }
}

void QtAvPlayerList::OnRowStatusChanged(QtAvPlayerItem* item)
{
    if (item != nullptr && item == m_focusedItem)
        m_focusedStatus.storeRelease(item->GetPlayStatus());
}

// ---- layout ----

int QtAvPlayerList::GetUsedHeight() const
{
    if (m_anchor == nullptr)
        return 0;
    const int rowHeight = int((m_anchor->width() - 30) * kRowFactor) + 8;
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
    const QSize hint(width(), int((width() - 30) * kRowFactor));
    for (int row = 0; row < count(); ++row) {
        item(row)->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        item(row)->setSizeHint(hint);
    }
    for (QtAvPlayerItem* row : qAsConst(m_items))
        row->UpdateUI(this);
    show();
}

void QtAvPlayerList::RefreshLayouts()
{
    if (m_anchor != nullptr)
        SetupLayout(m_top, m_anchor);
    if (PresentationList* pages = Nexus::GetPresentationList())
        pages->RefreshLayout();
}

// ---- the room's media ----

void QtAvPlayerList::OnAddNewPage(MediaInfo* media)
{
    if (media == nullptr)
        return;
    QtAvPlayerItem* item = FindItem(media->GetMediaId());
    // A list of many media announces each one; the first rebuild listed
    // them all, so the others find their rows done and lay nothing out.
    if (item != nullptr && !item->IsUploadPlaceholder() && item->GetMediaType() == media->GetMediaType())
        return;
    if (item != nullptr) {
        // The upload's placeholder becomes the media; the room's type
        // decides which message deletes it.
        item->SetImagePath(kListed);
        item->SetOwnerList(this);
        item->SetMediaType(media->GetMediaType());
        if (item->GetGauge() != nullptr)
            item->GetGauge()->hide();
        RefreshLayouts();
        return;
    }
    // Rebuilt from the room's list; the playing row and the uploads still
    // converting are carried over.
    const QString playingId = m_focusedItem != nullptr ? m_focusedItem->GetMediaId() : QString();
    const int playingStatus = m_focusedItem != nullptr ? m_focusedItem->GetPlayStatus() : 0;
    QList<Pending> pending;
    DataManager* data = Nexus::GetDataManager();
    for (const QtAvPlayerItem* row : qAsConst(m_items)) {
        if (row->IsUploadPlaceholder() && (data == nullptr || !data->GetMediaInfoById(row->GetMediaId())))
            pending.append({ row->GetMediaId(), row->GetMediaType(),
                row->GetGauge() != nullptr ? row->GetGauge()->value() : 0.0 });
    }
    ClearItems();
    if (Nexus* hub = Nexus::Instance())
        hub->OnMeidaListGet();
    MiddleArea* middle = Nexus::GetMiddleArea();
    const AvPlayer* player = middle != nullptr ? middle->GetAvPlayer() : nullptr;
    if (m_focusedItem == nullptr && player != nullptr && player->GetMediaId() == playingId) {
        if (QtAvPlayerItem* row = FindItem(playingId)) {
            SetLastFocusBuddy(row);
            row->SetPlayStatus(playingStatus);
        }
    }
    for (const Pending& upload : qAsConst(pending)) {
        QtAvPlayerItem* row = AddRow(upload.id, kUploadShow, upload.type);
        row->MakeGauge();
        row->GetGauge()->setValue(upload.progress);
    }
    RefreshLayouts();
}

void QtAvPlayerList::OnRemoteSwitchMedia(MediaInfo* media)
{
    if (media == nullptr)
        return;
    QtAvPlayerItem* item = FindItem(media->GetMediaId());
    if (item == nullptr)
        return;
    if (m_focusedItem != nullptr) {
        m_focusedItem->HideInnerLabel();
        m_focusedItem->SetPlayStatus(QtAvPlayerItem::StatusIdle);
    }
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || data->GetMediaInfoById(media->GetMediaId()) == nullptr)
        return;
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
}

int QtAvPlayerList::OnDelMediaPage(QString mediaId)
{
    qDebug() << "into OnDelMediaPage,and mediaId:" << mediaId;
    QtAvPlayerItem* item = FindItem(mediaId);
    // Our own deletion comes back from the room: the row is gone already.
    if (item == nullptr)
        return 0;
    const int index = m_items.indexOf(item);
    m_items.removeAt(index);
    if (item == m_focusedItem) {
        SetLastFocusBuddy(nullptr);
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->OnDestroyAvPlayer();
    }
    RemoveRow(index);
    Renumber();
    RefreshLayouts();
    return 0;
}

void QtAvPlayerList::OnTransFailed(QString mediaId)
{
    QtAvPlayerItem* item = FindItem(mediaId);
    if (item == nullptr)
        return;
    if (item->GetGauge() != nullptr)
        item->GetGauge()->hide();
    if (!item->IsUploadPlaceholder())
        return;
    // An upload that will never play leaves no row behind, and says so.
    qDebug() << "into OnTransFailed, the upload's row is taken out, mediaId:" << mediaId;
    const int index = m_items.indexOf(item);
    m_items.removeAt(index);
    RemoveRow(index);
    Renumber();
    RefreshLayouts();
    CourseRow::Notify(NotifyUploadFailed);
}

void QtAvPlayerList::OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal, QString id)
{
    qDebug() << "bytesSent: " << bytesSent << "  bytesTotal: " << bytesTotal << " mediaId:" << id;
    if (bytesSent == 0 && bytesTotal == 0)
        return;
    QtAvPlayerItem* item = FindItem(id);
    RoundProgressBar* gauge = item != nullptr ? item->GetGauge() : nullptr;
    if (gauge == nullptr)
        return;
    const qlonglong percent = bytesTotal > 0 ? qBound(0LL, bytesSent * 100 / bytesTotal, 100LL) : 0;
    gauge->setValue(double(percent));
    if (bytesSent == bytesTotal)
        gauge->hide();
}

void QtAvPlayerList::OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    OnUploadProgress(bytesSent, bytesTotal, QString());
}

void QtAvPlayerList::OnCleanUp()
{
    ClearItems();
    m_anchor = nullptr;
    ++m_cleanUps;
}

void QtAvPlayerList::OnDownloadFinished(QString)
{ }

void QtAvPlayerList::UploadMedia()
{
    if (m_uploadBusy)
        return;
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("请选择上传文件"), QString(), QStringLiteral("图形文件(*.jpg *.png)"));
    DataManager* data = Nexus::GetDataManager();
    const Profile* profile = Nexus::GetProfile();
    if (files.isEmpty() || data == nullptr || profile == nullptr)
        return;
    CourseUpload::Request request;
    request.url = QUrl(profile->GetUrl(ClassServerProperty::PresentationMultiUpload));
    request.files = files;
    request.contentType = CourseUpload::PictureContentType;
    request.idKey = QStringLiteral("presentationId");
    request.roomId = data->GetRoomId();
    request.userId = data->GetUserId();
    request.failureLine = QStringLiteral("[DataManager]UploadCourse failed!");
    auto* network = findChild<NetworkAccessManager*>();
    if (network == nullptr)
        network = new NetworkAccessManager(this);
    m_uploadBusy = true;
    const int cleanUps = m_cleanUps;
    QPointer<QtAvPlayerList> self(this);
    const CourseUpload::Result result = CourseUpload::Post(network, request);
    if (!self)
        return;
    m_uploadBusy = false;
    if (result.outcome != CourseUpload::Accepted || cleanUps != m_cleanUps)
        return;
    for (const QString& id : result.ids) {
        if (FindItem(id) == nullptr)
            AddRow(id, kUploadShow, 0);
    }
    RefreshLayouts();
}
