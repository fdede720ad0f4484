// The room's course pages: the courseware list, the page images in the
// course cache folder, page turns and deletions, and the conversion
// progress of uploaded pages. "Profile Manager" thread; the lookups run in
// any thread. The page list's own state (its focused row, the media list's
// playing row) is only looked at in the GUI thread.
#include "DataManager.h"

#include "CourseWareInfo.h"
#include "MsgType.h"
#include "RoomJson.h"
#include "app/DownloadElem.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

namespace {

const QString kBlankSlide = QStringLiteral("blank.jpg");
const QString kBlankPage = QStringLiteral("blank.png");
// A list longer than this is cut: nobody teaches from more pages, and each
// one is a row and a download.
const int kMaxPages = 5000;

// The first page whose field equals value; the caller holds the room lock.
CourseWareInfo* FindPage(
    const QList<CourseWareInfo*>& pages, QString (CourseWareInfo::*field)() const, const QString& value)
{
    for (CourseWareInfo* page : pages) {
        if ((page->*field)() == value)
            return page;
    }
    return nullptr;
}

} // namespace

QString DataManager::CourseFolderName(const QString& presentationId)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]{1,128}$"));
    if (presentationId != QLatin1String(".") && presentationId != QLatin1String("..")
        && plain.match(presentationId).hasMatch())
        return presentationId;
    // "~" never appears in a plain name, so a hashed name meets no id.
    return QLatin1Char('~')
        + QString::fromLatin1(
            QCryptographicHash::hash(presentationId.toUtf8(), QCryptographicHash::Sha1).toHex().left(32));
}

CourseWareInfo* DataManager::GetCourseWareById(const QString& presentationId) const
{
    QMutexLocker lock(&m_roomLock);
    return FindPage(m_room.m_courseWare, &CourseWareInfo::GetPresentationId, presentationId);
}

QString DataManager::GetPresentationIdByWhiteboardId(const QString& whiteboardId) const
{
    QMutexLocker lock(&m_roomLock);
    const CourseWareInfo* page = FindPage(m_room.m_courseWare, &CourseWareInfo::GetWhiteboardId, whiteboardId);
    return page ? page->GetPresentationId() : QString();
}

QString DataManager::GetWhiteboardIdByPresentationId(const QString& presentationId) const
{
    QMutexLocker lock(&m_roomLock);
    const CourseWareInfo* page = FindPage(m_room.m_courseWare, &CourseWareInfo::GetPresentationId, presentationId);
    return page ? page->GetWhiteboardId() : QString();
}

// ---- the list (288) ----

void DataManager::GetCourseWare(const SignallingMessage& message)
{
    qDebug() << "GetCourseWare thread:" << QThread::currentThreadId() << "DataManager::GetCourseWare enter";
    const QString folder = CourseCacheFolder();
    if (!QDir(folder).exists()) {
        const bool made = QDir().mkpath(folder);
        qDebug() << "GetCourseWare mkpath result:" << made << "relatePath:" << folder;
    }
    Nexus* hub = Nexus::Instance();
    const QJsonValue data = message.json.value(QLatin1String("data"));
    const QJsonArray pages = data.toObject().value(QLatin1String("presentations")).toArray();
    if (data.isObject() && pages.isEmpty())
        qDebug() << "downloadCourse, pages is empty and no presentations need donwload";
    if (pages.size() > kMaxPages)
        qWarning() << "[ERROR] GetCourseWare, only the first" << kMaxPages << "of" << pages.size() << "pages kept";
    const bool roomShown = Nexus::GetDataPrepPhase() == 3;
    CourseWareInfo* newest = nullptr;
    QSet<QString> known;
    for (const CourseWareInfo* page : GetCourseWareList())
        known.insert(page->GetPresentationId());
    for (int i = 0; i < pages.size() && i < kMaxPages; ++i) {
        if (!pages.at(i).isObject())
            continue;
        // Each element stands alone: a key it lacks is empty, never the
        // value of the element before.
        const QJsonObject element = pages.at(i).toObject();
        const QString type = RoomJson::Text(element, "type");
        const QString id = RoomJson::Text(element, "presentationId");
        const QString whiteboardId = RoomJson::Text(element, "whiteboardId");
        const QString slide = RoomJson::Text(element, "slide");
        qDebug() << "index:" << i << ",_type" << type << ",presentationId:" << id << ",whiteboardId:" << whiteboardId
                 << ",slide:" << slide;
        if (id.isEmpty()) {
            qDebug() << "GetCourseWare, page without presentationId dropped, index:" << i;
            continue;
        }
        if (known.contains(id))
            continue;
        known.insert(id);
        const QString file = RoomJson::FileNameOf(slide);
        const bool blank = QUrl(slide).fileName() == kBlankSlide;
        auto* page = new CourseWareInfo();
        if (blank) {
            page->SetHeadPath(folder + kBlankPage);
            page->SetDownloadPath(folder);
        } else {
            const QString pageFolder = folder + CourseFolderName(id);
            // An address without a file name is listed but never fetched.
            page->SetHeadPath(file.isEmpty() ? QString() : pageFolder + QLatin1Char('/') + file);
            page->SetDownloadPath(pageFolder);
        }
        page->SetUrlPath(slide);
        page->SetPresentationId(id);
        page->SetWhiteboardId(whiteboardId);
        qDebug() << "buddy headPath:" << page->GetHeadPath() << "buddy downloadPath:" << page->GetDownloadPath()
                 << "urlPath:" << slide << "strPage" << (blank ? kBlankPage : id);
        {
            QMutexLocker lock(&m_roomLock);
            m_room.m_courseWare.insert(qMin(i, m_room.m_courseWare.size()), page);
        }
        if (roomShown)
            newest = page;
    }
    // Pages deleted while the connection was lost are gone from the list:
    // they leave the screen as at their deletion.
    if (roomShown && data.toObject().value(QLatin1String("presentations")).isArray()) {
        QSet<QString> listed;
        for (const QJsonValue& element : pages)
            listed.insert(RoomJson::Text(element.toObject(), "presentationId"));
        listed.remove(QString());
        // A list without one usable page tells nothing.
        for (const CourseWareInfo* page : listed.isEmpty() ? QList<CourseWareInfo*>() : GetCourseWareList()) {
            const QString id = page->GetPresentationId();
            if (!listed.contains(id)) {
                qDebug() << "GetCourseWare, page no longer in the room:" << id;
                DropPage(id);
            }
        }
    }
    PresentationList* screen = Nexus::GetPresentationList();
    const QString share = RoomJson::Text(data.toObject(), "presentationShare");
    CourseWareInfo* shared = share.isEmpty() ? nullptr : GetCourseWareById(share);
    if (shared && share != GetRoomFields().m_strCurrPresentationId) {
        if (screen)
            emit screen->RemoteTrunPage(shared);
        SetCurrentPresentationId(share);
    }
    if (newest) {
        if (screen)
            emit screen->AddNewPage(newest);
        emit DownloadAllCourseWare();
    }
    if (hub)
        emit hub->UpdateDataPrepPhase(2);
}

// ---- page images ----

void DataManager::OnDownloadAllCourseWare()
{
    qDebug() << "OnDownloadAllCourseWare thread:" << QThread::currentThreadId();
    const QList<CourseWareInfo*> pages = GetCourseWareList();
    for (const CourseWareInfo* page : pages) {
        const QString headPath = page->GetHeadPath();
        if (headPath.isEmpty() || QFileInfo(headPath).fileName() == kBlankPage)
            continue;
        RequestPicture({ DownloadCoursePage, page->GetUrlPath(), page->GetDownloadPath(), page->GetPresentationId(),
            true, "DownloadAll _strRelativePath:" });
    }
}

// ---- turns (258), deletions (257), progress (289) ----

void DataManager::OnRemoteTrunPage(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteTrunPage, message:" << message.Text();
    if (RoomJson::Uid(message.json, "source") == GetUserId()) {
        qDebug() << "这是一个自己的消息，忽略. ";
        return;
    }
    const QString id = RoomJson::Text(message.Data(), "presentationId");
    if (CourseWareInfo* page = id.isEmpty() ? nullptr : GetCourseWareById(id)) {
        if (PresentationList* screen = Nexus::GetPresentationList())
            emit screen->RemoteTrunPage(page);
        SetCurrentPresentationId(id);
    }
    // A page turn closes a playing media player; whether one plays is the
    // media list's business, asked in its own thread. The media closed is
    // no longer the one to open again when the list is rebuilt.
    if (QtAvPlayerList* media = Nexus::GetQtAvPlayerList()) {
        QPointer<DataManager> self(this);
        QMetaObject::invokeMethod(
            media,
            [self, media] {
                const QtAvPlayerItem* row = media->GetLastFocusBuddy();
                if (!row || row->GetPlayStatus() != QtAvPlayerItem::StatusPlaying)
                    return;
                if (self)
                    self->EndSharedMedia(row->GetMediaId());
                if (MiddleArea* area = Nexus::GetMiddleArea())
                    emit area->DestroyAvPlayer();
            },
            Qt::QueuedConnection);
    }
}

void DataManager::OnRemoteDelPage(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteDelPage, message:" << message.Text();
    DropPage(RoomJson::Text(message.Data(), "presentationId"));
}

void DataManager::DropPage(const QString& id)
{
    CourseWareInfo* page = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        for (int i = 0; i < m_room.m_courseWare.size(); ++i) {
            if (m_room.m_courseWare.at(i)->GetPresentationId() == id) {
                page = m_room.m_courseWare.takeAt(i);
                break;
            }
        }
    }
    if (!page)
        return;
    PresentationList* screen = Nexus::GetPresentationList();
    if (screen) {
        emit screen->DelCoursePage(id);
        QMetaObject::invokeMethod(screen, "ClearFocusedItemIf", Qt::QueuedConnection, Q_ARG(QString, id));
    }
    // Deleted in the GUI thread after every signal already queued with it.
    ModelObject::Release(page);
}

void DataManager::GetCourseTransProgress(const SignallingMessage& message)
{
    qDebug() << "GetCourseTransProgress enter, and msg:" << message.Text();
    const QJsonValue data = message.json.value(QLatin1String("data"));
    if (!data.isObject())
        return;
    const QString id = RoomJson::Text(data.toObject(), "presentationId");
    if (!data.toObject().value(QLatin1String("progress")).isDouble())
        return;
    const int progress = RoomJson::Int(data.toObject(), "progress", 0);
    if (PresentationList* screen = Nexus::GetPresentationList())
        emit screen->uploadProgress(progress, 100, id);
}

void DataManager::OnLocalDelPage(QString presentationId)
{
    const RoomFields room = GetRoomFields();
    QJsonObject data { { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId } };
    if (!presentationId.isEmpty())
        data.insert(QStringLiteral("presentationId"), presentationId);
    const int sent = SendText(MsgDelPage, Envelope(MsgDelPage, room.m_strRoomId, data));
    qDebug() << "into CourseList::OnLocalDelPage, has already send bytes:" << sent;
}
