#include "PresentationList.h"

#include "app/DownldManager.h"
#include "app/NetworkAccessManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "session/DataManager.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/CourseUpload.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/QtAvPlayerList.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/RoundProgressBar.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMovie>
#include <QPointer>
#include <QScrollBar>

namespace {

const QString kUploadShow = QStringLiteral("uploadShow.png");

int RowHeightFor(int width)
{
    return int((width - 30) * 0.75);
}

} // namespace

PresentationList::PresentationList(QWidget* parent)
    : RowList(parent)
{
    qDebug() << "into PresentationList, and current dir:" << QDir::currentPath();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QStringLiteral("QListWidget{border:0px;background:#f2f2f2;}QListWidget::Item{background:#f2f2f2;}"
                                 "QListWidget::item:selected:!active{border-width:0px;}"));
    verticalScrollBar()->setStyleSheet(CourseRow::ScrollBarStyle());
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSpacing(4);
    connect(this, &PresentationList::RemoteTrunPage, this, &PresentationList::OnRemoteTrunPage);
    connect(this, &PresentationList::DelCoursePage, this, &PresentationList::OnDelCoursePage);
    connect(this, &PresentationList::AddNewPage, this, &PresentationList::OnAddNewPage);
    connect(this, qOverload<qlonglong, qlonglong, QString>(&PresentationList::uploadProgress), this,
        qOverload<qlonglong, qlonglong, QString>(&PresentationList::OnUploadProgress));
    connect(this, &PresentationList::CleanUp, this, &PresentationList::OnCleanUp);
    connect(this, &PresentationList::DownloadFinished, this, &PresentationList::OnDownloadFinished);
    connect(this, &PresentationList::DownloadFailed, this, &PresentationList::OnDownloadFailed);
}

// ---- rows ----

QMovie* PresentationList::LoadingMovie(const QSize& size)
{
    // One animation for every row: hundreds of pages may wait for their
    // pictures at once, and each movie would run a timer of its own.
    if (m_loadingMovie == nullptr)
        m_loadingMovie = new QMovie(QStringLiteral(":/resource/courselist/small_loading.gif"), QByteArray(), this);
    if (m_loadingMovie->scaledSize() != size)
        m_loadingMovie->setScaledSize(size);
    if (m_loadingMovie->state() != QMovie::Running)
        m_loadingMovie->start();
    return m_loadingMovie;
}

void PresentationList::AddItem(PresentationItem* item)
{
    if (item == nullptr)
        return;
    item->SetOwnerList(this);
    item->LoadThumbnail();
    if (m_failedIds.contains(item->GetPresentationId()))
        item->ShowFailImage();
    m_items.append(item);
    AppendRow(item, QSize(width() - 30, RowHeightFor(width())));
}

void PresentationList::ClearItems()
{
    // Forgotten before the rows go: nothing may reach a deleted row.
    m_focusedItem = nullptr;
    m_items.clear();
    clear(); // the rows' widgets are released with them
}

void PresentationList::MarkFailed(const QString& presentationId, bool failed)
{
    if (failed)
        m_failedIds.insert(presentationId);
    else
        m_failedIds.remove(presentationId);
}

void PresentationList::ClearFocusedItemIf(const QString& presentationId)
{
    if (m_focusedItem != nullptr && m_focusedItem->GetPresentationId() == presentationId)
        m_focusedItem = nullptr;
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

void PresentationList::SetRowHints()
{
    const QSize hint(width(), RowHeightFor(width()));
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (entry->sizeHint() != hint)
            entry->setSizeHint(hint);
    }
}

// ---- layout ----

void PresentationList::SetupLayout(int top, QWidget* anchor)
{
    m_top = top;
    m_anchor = anchor;
    if (anchor == nullptr)
        return;
    // The media rows sit above the pages under the same top offset.
    QtAvPlayerList* media = Nexus::GetQtAvPlayerList();
    const int y = top + (media != nullptr ? media->GetUsedHeight() : 0);
    const int rowHeight = RowHeightFor(anchor->width()) + 8;
    const int room = anchor->height() - y;
    const int height = count() * rowHeight <= room ? count() * rowHeight : room;
    setGeometry(0, y, anchor->width() - 1, qMax(0, height));
    SetRowHints();
    for (int i = 0; i < m_items.size(); ++i) {
        m_items.at(i)->SetNumber(i + 1);
        m_items.at(i)->UpdateUI(this);
    }
    if (m_focusedItem != nullptr)
        m_focusedItem->ShowCurrentPageBadge();
    show();
}

void PresentationList::RefreshLayout()
{
    if (m_anchor != nullptr)
        SetupLayout(m_top, m_anchor);
}

// ---- the room's pages ----

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
    DataManager* data = Nexus::GetDataManager();
    WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget();
    if (board != nullptr && data != nullptr)
        board->SetCurrWhiteboardId(data->GetWhiteboardIdByPresentationId(page->GetPresentationId()));
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->PresentationSizeAdapte(item->GetImagePath());
}

QList<PresentationList::Placeholder> PresentationList::PendingUploads() const
{
    QList<Placeholder> pending;
    const DataManager* data = Nexus::GetDataManager();
    for (const PresentationItem* item : m_items) {
        if (!item->IsUploadPlaceholder() || (data != nullptr && data->GetCourseWareById(item->GetPresentationId())))
            continue;
        pending.append({ item->GetPresentationId(), item->GetGauge() ? item->GetGauge()->value() : 0.0 });
    }
    return pending;
}

void PresentationList::OnAddNewPage(CourseWareInfo* page)
{
    if (page == nullptr)
        return;
    bool placeholder = false;
    for (const PresentationItem* item : qAsConst(m_items))
        placeholder = placeholder || item->IsUploadPlaceholder();
    PresentationItem* item = FindItem(page->GetPresentationId());
    if (item != nullptr && !placeholder) {
        qDebug() << "PresentationList::OnAddNewPage, and enter find phase";
        item->SetImagePath(page->GetHeadPath());
        item->SetOwnerList(this);
        if (item == m_focusedItem)
            item->ShowCurrentPageBadge();
        return;
    }
    // Uploads whose pages are still converting keep their rows and gauges.
    const QList<Placeholder> pending = PendingUploads();
    ClearItems();
    if (Nexus* hub = Nexus::Instance())
        hub->OnCourseWareGet();
    for (const Placeholder& upload : pending)
        AddUploadPlaceholder(upload.id, upload.progress);
    RefreshLayout();
}

int PresentationList::OnDelCoursePage(QString presentationId)
{
    qDebug() << "into OnDelCoursePage,and id:" << presentationId;
    PresentationItem* item = FindItem(presentationId);
    // Our own deletion comes back from the room: the row is gone already.
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
    if (bytesSent == 0 && bytesTotal == 0)
        return;
    PresentationItem* item = FindItem(id);
    RoundProgressBar* gauge = item != nullptr ? item->GetGauge() : nullptr;
    if (gauge == nullptr || m_uploadPhase != 2)
        return;
    // The room reports per cent of 100; anything else is made a share.
    const qlonglong percent = bytesTotal > 0 ? qBound(0LL, bytesSent * 100 / bytesTotal, 100LL) : 0;
    gauge->setValue(double(qMax(30LL, percent)));
    if (bytesSent == bytesTotal)
        gauge->hide();
}

void PresentationList::OnUploadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    OnUploadProgress(bytesSent, bytesTotal, QString());
}

void PresentationList::OnCleanUp()
{
    ClearItems();
    m_failedIds.clear();
    m_anchor = nullptr;
    m_uploadPhase = 0;
    ++m_cleanUps;
}

// ---- page pictures ----

void PresentationList::OnDownloadFinished(QString presentationId)
{
    qDebug() << "into OnDownloadFinished, and presentId:" << presentationId;
    PresentationItem* item = FindItem(presentationId);
    if (item == nullptr)
        return;
    const QString path = item->GetImagePath();
    // The row decodes the file at its thumbnail's size: that one decode
    // also tells whether the file is a picture at all.
    item->LoadThumbnail();
    item->UpdateUI(this);
    if (!item->GetThumbnail()->HasPicture()) {
        qDebug() << "into PresentationList::OnDownloadFinish, and pixmap is null, and will make retry download, "
                    "and head path:"
                 << path;
        if (DownldManager* transfers = Nexus::GetDownldManager())
            emit transfers->retryDownload(2, presentationId);
        return;
    }
    MarkFailed(presentationId, false);
    if (item == m_focusedItem) {
        item->ShowCurrentPageBadge();
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->PresentationSizeAdapte(path);
    }
}

void PresentationList::OnDownloadFailed(QString presentationId)
{
    qDebug() << "into OnDownloadFinished, and presentId:" << presentationId;
    SetRowHints();
    MarkFailed(presentationId, true);
    if (PresentationItem* item = FindItem(presentationId)) {
        item->ShowFailImage();
        item->UpdateUI(this);
        if (item == m_focusedItem)
            item->ShowCurrentPageBadge();
    }
}

// ---- upload ----

void PresentationList::UploadCourse()
{
    // The wait for an answer handles user input, a second click too.
    if (m_uploadBusy) {
        qDebug() << "in uploadCourse, an upload is on its way already";
        return;
    }
    // The files belong to the room they are chosen in; the dialog waits
    // for the user, and the room may be left meanwhile.
    const int cleanUps = m_cleanUps;
    QFileDialog dialog(this, QStringLiteral("请选择上传文件"), QString(),
        QStringLiteral("文件(*.jpg *.jpeg *.png *.mp4 *.avi *.wmv *.rm *.aac *.mp3 *.m4a)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    qDebug() << "in uploadCourse, _pathList:" << files;
    if (files.isEmpty()) {
        qDebug() << "in uploadCourse not select any file.";
        return;
    }
    // Each kind goes to its own converter: pictures sent to the video
    // converter (or the other way round) would never become pages.
    QList<int> kinds;
    QHash<int, QStringList> byKind;
    for (const QString& file : files) {
        const int kind = CourseUpload::KindOfSuffix(QFileInfo(file).suffix());
        if (!kinds.contains(kind))
            kinds << kind;
        byKind[kind] << file;
    }
    if (kinds.size() > 1)
        qDebug() << "in uploadCourse, files of" << kinds.size() << "kinds, one request per kind";
    m_uploadBusy = true;
    QPointer<PresentationList> self(this);
    for (int kind : qAsConst(kinds)) {
        if (!UploadKind(kind, byKind.value(kind), cleanUps))
            break;
    }
    if (self)
        m_uploadBusy = false;
}

bool PresentationList::UploadKind(int kind, const QStringList& files, int cleanUps)
{
    // Once the room is left, the next kind would go to whatever room is
    // entered now.
    if (cleanUps != m_cleanUps) {
        qDebug() << "in uploadCourse, the class room was left before the files went up";
        return false;
    }
    DataManager* data = Nexus::GetDataManager();
    const Profile* profile = Nexus::GetProfile();
    CourseUpload::Request request;
    request.files = files;
    request.contentType = CourseUpload::CourseContentType;
    request.idKey = kind == CourseUpload::KindPages ? QStringLiteral("presentationId") : QStringLiteral("mediaId");
    const ClassServerProperty::Url url = kind == CourseUpload::KindPages ? ClassServerProperty::PresentationMultiUpload
        : kind == CourseUpload::KindAudio                                ? ClassServerProperty::AudioMultiUpload
                                                                         : ClassServerProperty::VideoMultiUpload;
    if (data == nullptr || profile == nullptr || CourseUpload::Sendable(files).isEmpty()) {
        qDebug() << "[DataManager]UploadCourse failed! err:"
                 << "nothing to send";
        CourseRow::Notify(NotifyUploadFailed);
        return true;
    }
    request.url = QUrl(profile->GetUrl(url));
    request.roomId = data->GetRoomId();
    request.userId = data->GetUserId();
    if (m_network == nullptr)
        m_network = new NetworkAccessManager(this);
    CourseRow::Notify(NotifyUploadRunning);
    m_uploadPhase = 2;
    QPointer<PresentationList> self(this);
    const CourseUpload::Result result = CourseUpload::Post(m_network, request);
    if (!self)
        return false;
    if (cleanUps != m_cleanUps) {
        qDebug() << "in uploadCourse, the class room was left while the upload was on its way";
        return false;
    }
    if (result.outcome != CourseUpload::Accepted) {
        CourseRow::Notify(NotifyUploadFailed);
        return true;
    }
    if (kind == CourseUpload::KindPages) {
        AddUploadedPages(result.ids);
    } else if (QtAvPlayerList* media = Nexus::GetQtAvPlayerList()) {
        media->AddUploadedRows(result.ids, kind == CourseUpload::KindAudio ? 1 : 2);
        media->SetupLayout(m_top, m_anchor);
        RefreshLayout();
    }
    // A file left out is an upload that failed, even if the rest went up.
    CourseRow::Notify(result.skipped.isEmpty() ? NotifyUploadDone : NotifyUploadFailed);
    return true;
}

void PresentationList::AddUploadPlaceholder(const QString& id, double progress)
{
    auto* item = new PresentationItem(this);
    item->SetImagePath(kUploadShow);
    item->SetPresentationId(id);
    item->SetNumber(m_items.size() + 1);
    AddItem(item);
    item->MakeGauge();
    item->GetGauge()->setValue(progress);
}

void PresentationList::AddUploadedPages(const QStringList& ids)
{
    for (const QString& id : ids) {
        // The room's list may have brought the page already.
        if (FindItem(id) == nullptr)
            AddUploadPlaceholder(id, 0);
    }
    RefreshLayout();
}
