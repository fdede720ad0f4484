// The upcoming and past sessions of the chosen school, and the pictures of
// the course home page and the class room. The requests run in the
// "Profile Manager" thread; the picture requests also in the GUI thread
// (the history page buttons), so they read the lists only through copies.
#include "DataManager.h"

#include "CourseWareInfo.h"
#include "MediaInfo.h"
#include "SchoolInfo.h"
#include "UserInfo.h"
#include "WebRequest.h"
#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QThread>
#include <QUrl>
#include <QVector>
#include <climits>
#include <cmath>
#include <future>
#include <system_error>
#include <vector>

namespace {

const char kDefaultPicturePath[] = "/upload/school/3/course/307/8980a601-ceba-4435-b1d9-316b2a810783/lesson.jpg";
// A list longer than this is cut: it would only fill memory with cards
// nobody can page through.
const int kMaxSessions = 20000;

// Milliseconds since 1970 as whole seconds, truncated; false when the value
// is not a number or not a time the card can show.
bool Seconds(const QJsonValue& value, int* seconds)
{
    if (!value.isDouble())
        return false;
    const double whole = std::trunc(value.toDouble() / 1000.0);
    if (!std::isfinite(whole) || whole < double(INT_MIN) || whole > double(INT_MAX))
        return false;
    *seconds = int(whole);
    return true;
}

// "value" of a nested {"value": number} as a flag; false when absent.
bool Flag(const QJsonValue& nested)
{
    const QJsonValue value = nested.toObject().value(QLatin1String("value"));
    return value.isDouble() && value.toDouble() != 0;
}

// The folder of a session's picture: one per session, named safely.
QString SessionPictureFolder(const QString& sessionId, const QString& cache = DataManager::CourseCacheFolder())
{
    return cache + QStringLiteral("avatar/") + AppPaths::SafeName(sessionId);
}

// File names of picture addresses, as AppPaths::UrlFileName gives them, for
// the elements of one list: their addresses share a folder, whose reading
// is checked once, and a plain name after it is taken as it stands. Parsing
// each whole address cost a quarter of filling the list. One per thread.
class PictureNames
{
public:
    QString Of(const QString& url)
    {
        const int slash = url.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || !IsPlain(url.midRef(slash + 1)) || !IsPlainFolder(url.leftRef(slash + 1)))
            return AppPaths::UrlFileName(url);
        return AppPaths::SafeName(url.mid(slash + 1));
    }

private:
    // Characters that no address reading changes.
    static bool IsPlain(const QStringRef& name)
    {
        for (const QChar c : name) {
            const ushort u = c.unicode();
            if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.' || u == '-'
                    || u == '_' || u == '~'))
                return false;
        }
        return !name.isEmpty();
    }
    // The folder ends the path of a valid address, before any query or
    // fragment: a name put after it is the address's file name.
    bool IsPlainFolder(const QStringRef& folder)
    {
        if (folder != m_folder) {
            m_folder = folder.toString();
            const QString probe = m_folder + QLatin1String("a");
            m_plainFolder = !m_folder.contains(QLatin1Char('?')) && !m_folder.contains(QLatin1Char('#'))
                && QUrl(probe).isValid() && AppPaths::UrlFileName(probe) == QLatin1String("a");
        }
        return m_plainFolder;
    }

    QString m_folder;
    bool m_plainFolder = false;
};

// What every element of one reply shares.
struct ListContext {
    bool history;
    QString cache; // the course cache folder
    QString defaultPicture;
    // Its file name, worked out once: most sessions show the default
    // picture, and reading a URL apart costs, thousands of times over.
    QString defaultFile;
};

enum Field {
    CourseName,
    SessionId,
    SessionName,
    TeacherName,
    TeacherId,
    RoomNo,
    RoomPwd,
    RoomName,
    RoomType,
    SessionGroup,
    StartTime,
    EndTime,
    RecordingUrl,
    RecordingStatus,
    IsLeave,
    SnapshotUrl,
};

// Keys by name: one walk over an element's keys is much cheaper than a
// look-up of each key, which counts with thousands of sessions.
const QHash<QString, Field>& Fields()
{
    static const QHash<QString, Field> fields {
        { QStringLiteral("courseName"), CourseName },
        { QStringLiteral("sessionId"), SessionId },
        { QStringLiteral("sessionName"), SessionName },
        { QStringLiteral("teacherName"), TeacherName },
        { QStringLiteral("teacherId"), TeacherId },
        { QStringLiteral("roomNo"), RoomNo },
        { QStringLiteral("roomPwd"), RoomPwd },
        { QStringLiteral("roomName"), RoomName },
        { QStringLiteral("roomType"), RoomType },
        { QStringLiteral("sessionGroup"), SessionGroup },
        { QStringLiteral("startTime"), StartTime },
        { QStringLiteral("endTime"), EndTime },
        { QStringLiteral("recordingUrl"), RecordingUrl },
        { QStringLiteral("recordingStatus"), RecordingStatus },
        { QStringLiteral("isLeave"), IsLeave },
        { QStringLiteral("snapshotUrl"), SnapshotUrl },
    };
    return fields;
}

// A text field, set only when the value is a string.
void SetText(SchoolInfo* session, void (SchoolInfo::*setter)(const QString&), const QJsonValue& value)
{
    if (value.isString())
        (session->*setter)(value.toString());
}

void FillSession(SchoolInfo* session, const QJsonObject& element, const ListContext& list, PictureNames& names)
{
    bool snapshotNamed = false;
    QString snapshot;
    int seconds = 0;
    const QHash<QString, Field>& fields = Fields();
    for (auto it = element.constBegin(); it != element.constEnd(); ++it) {
        const auto field = fields.constFind(it.key());
        if (field == fields.constEnd())
            continue;
        const QJsonValue value = it.value();
        switch (*field) {
        case CourseName:
            SetText(session, &SchoolInfo::SetCourseName, value);
            break;
        case SessionId:
            SetText(session, &SchoolInfo::SetSessionId, value);
            break;
        case SessionName:
            SetText(session, &SchoolInfo::SetSessionName, value);
            break;
        case TeacherName:
            SetText(session, &SchoolInfo::SetTeacherName, value);
            break;
        case TeacherId:
            SetText(session, &SchoolInfo::SetTeacherId, value);
            break;
        case RoomNo:
            SetText(session, &SchoolInfo::SetRoomNo, value);
            break;
        case RoomPwd:
            SetText(session, &SchoolInfo::SetRoomPwd, value);
            break;
        case RoomName:
            SetText(session, &SchoolInfo::SetRoomName, value);
            break;
        case RoomType:
            // Decimal text; anything else is 0.
            session->SetRoomType(value.toString().toInt());
            break;
        case SessionGroup:
            SetText(session, &SchoolInfo::SetCourseTypeDesc, value.toObject().value(QLatin1String("name")));
            break;
        case StartTime:
            if (Seconds(value, &seconds))
                session->SetStartTm(seconds);
            break;
        case EndTime:
            if (Seconds(value, &seconds))
                session->SetEndTm(seconds);
            break;
        case RecordingUrl:
            if (list.history)
                SetText(session, &SchoolInfo::SetRecordUrl, value);
            break;
        case RecordingStatus:
            if (list.history)
                session->SetRecordStatus(Flag(value));
            break;
        case IsLeave:
            if (!list.history)
                session->SetLeaveStatus(Flag(value));
            break;
        case SnapshotUrl:
            snapshotNamed = true;
            // Named but not text: no picture at all.
            snapshot = value.toString();
            break;
        }
    }
    const QString url = snapshotNamed ? snapshot : list.defaultPicture;
    session->SetSnapShotUrl(url);
    // Where the picture is stored; none without a session or a file name,
    // which could only name a folder.
    const QString id = session->GetSessionId();
    const QString file = snapshotNamed ? names.Of(url) : list.defaultFile;
    if (!id.isEmpty() && !file.isEmpty())
        session->SetHeadPath(SessionPictureFolder(id, list.cache) + QLatin1Char('/') + file);
}

// Lists this long are filled on a few threads at once: each session guards
// its own fields, and the reply is only read.
const int kParallelFrom = 256;
const int kMaxFillThreads = 4;

// The sessions of the reply's object elements, filled from the elements at
// the given positions.
QList<SchoolInfo*> SessionsOf(const QJsonArray& array, const QVector<int>& positions, const ListContext& list)
{
    // Made here, so this thread owns them from the start: moving thousands
    // of objects over from the filling threads cost more than making them.
    const int count = positions.size();
    QList<SchoolInfo*> made;
    made.reserve(count);
    for (int i = 0; i < count; ++i)
        made.append(new SchoolInfo());
    auto fill = [&](int from, int to) {
        PictureNames names;
        for (int i = from; i < to; ++i)
            FillSession(made.at(i), array.at(positions.at(i)).toObject(), list, names);
    };
    const int threads = count < kParallelFrom ? 1 : qBound(1, QThread::idealThreadCount(), kMaxFillThreads);
    const int chunk = (count + threads - 1) / threads;
    std::vector<std::future<void>> others;
    for (int t = 1; t < threads; ++t) {
        const int from = t * chunk;
        const int to = qMin(count, from + chunk);
        try {
            others.push_back(std::async(std::launch::async, fill, from, to));
        } catch (const std::system_error&) {
            // No thread to be had: this one does that part too.
            fill(from, to);
        }
    }
    fill(0, qMin(count, chunk));
    for (std::future<void>& other : others)
        other.get();
    return made;
}

} // namespace

// The six session requests share one body; this is how they differ.
struct DataManager::SessionRequest {
    bool history;
    ClassServerProperty::Url url;
    const char* placeHolder;
    const char* entry;
    const char* urlLine;
    const char* parseError;
    const char* notArray;
    const char* size;
    const char* exit;
};

const DataManager::SessionRequest& DataManager::SessionRequestOf(SessionList which)
{
    using Url = ClassServerProperty;
    static const SessionRequest requests[] = {
        { false, Url::StuCurrent, "{studentId}", "into DataManager::GetSchoolSessionByStuIdV2, stuId:",
            "into DataManager::GetSchoolSessionByStuIdV2, _url:", "GetSchoolSessionByStuIdV2 error:",
            "GetSchoolSessionByStuIdV2 error, shoud json object", "into GetSchoolSessionByStuIdV2, and array size:",
            "exit DataManager::GetSchoolSessionByStuId,current schoolId:" },
        { false, Url::TeacherCurrent, "{teacherId}", "into DataManager::GetSchoolSessionByTeaIdV2, stuId:",
            "into DataManager::GetSchoolSessionByTeaIdV2, _url:", "GetSchoolSessionByTeaIdV2 error:",
            "GetSchoolSessionByTeaIdV2 error, shoud json object", "into GetSchoolSessionByTeaIdV2, and array size:",
            "exit DataManager::GetSchoolSessionByTeaIdV2,current schoolId:" },
        { false, Url::UserCurrent, "{userId}", "into DataManager::GetSchoolSessionByUidV2, stuId:",
            "into DataManager::GetSchoolSessionByUidV2, _url:", "GetSchoolSessionByUidV2 error:",
            "GetSchoolSessionByUidV2 error, shoud json object", "into GetSchoolSessionByUidV2, and array size:",
            "exit DataManager::GetSchoolSessionByUidV2,current schoolId:" },
        { true, Url::StuHistory, "{studentId}", "into DataManager::GetHistorySessionByStuId, stuId:",
            "into DataManager::GetHistorySessionByStuId, _url:", "GetSchoolHisSessionBookURL error:",
            "GetSchoolHisSessionBookURL error, shoud json object", "into GetSchoolHisSessionBookURL, and array size:",
            "exit DataManager::GetHistorySessionByStuId,current schoolId:" },
        { true, Url::TeacherHistory, "{teacherId}", "into DataManager::GetHistorySessionByTeaId, stuId:",
            "into DataManager::GetHistorySessionByTeaId, _url:", "GetHistorySessionByTeaId error:",
            "GetHistorySessionByTeaId error, shoud json object", "into GetHistorySessionByTeaId, and array size:",
            "exit DataManager::GetHistorySessionByTeaId,current schoolId:" },
        { true, Url::UserHistory, "{userId}", "into DataManager::GetHistorySessionByUid, stuId:",
            "into DataManager::GetHistorySessionByUid, _url:", "GetHistorySessionByUid error:",
            "GetHistorySessionByUid error, shoud json object", "into GetHistorySessionByUid, and array size:",
            "exit DataManager::GetHistorySessionByUid,current schoolId:" },
    };
    return requests[which];
}

int DataManager::GetSchoolSessionByStuIdV2(QString stuId, QString schoolId)
{
    return RequestSessions(SessionRequestOf(StudentCurrent), stuId, schoolId);
}

int DataManager::GetSchoolSessionByTeaIdV2(QString teaId, QString schoolId)
{
    return RequestSessions(SessionRequestOf(TeacherCurrent), teaId, schoolId);
}

int DataManager::GetSchoolSessionByUidV2(QString uid, QString schoolId)
{
    return RequestSessions(SessionRequestOf(UserCurrent), uid, schoolId);
}

int DataManager::GetHistorySessionByStuId(QString stuId, QString schoolId)
{
    return RequestSessions(SessionRequestOf(StudentHistory), stuId, schoolId);
}

int DataManager::GetHistorySessionByTeaId(QString teaId, QString schoolId)
{
    return RequestSessions(SessionRequestOf(TeacherHistory), teaId, schoolId);
}

int DataManager::GetHistorySessionByUid(QString uid, QString schoolId)
{
    return RequestSessions(SessionRequestOf(UserHistory), uid, schoolId);
}

namespace {
const char kNetError[] = "netrequest error:";
} // namespace

int DataManager::RequestSessions(const SessionRequest& kind, const QString& identity, const QString& schoolId)
{
    qDebug() << kind.entry << identity << ",schoolId:" << schoolId;
    const QString url = WebRequest::Fill(m_profile ? m_profile->GetUrl(kind.url) : QString(),
        { { kind.placeHolder, identity }, { "{schoolId}", schoolId } });
    qDebug() << kind.urlLine << url;
    WebRequest request({ kNetError, kind.parseError, kind.notArray }, WebRequest::Array, false, m_webTimeOut);
    // While the list is on its way, the GUI thread makes the cards for it
    // and, during the long wait for the history, deletes the lists the road
    // emptied.
    PrepareCourseCards(kind.history);
    if (kind.history)
        ModelObject::ReleaseBatch(m_emptiedSessions);
    const int result = request.Get(url, WebManager());
    if (result == WebRequest::Done && request.IsUsable()) {
        const QJsonArray array = request.GetArray();
        qDebug() << kind.size << array.size();
        const QString defaultPicture = DefaultPictureAddress();
        const ListContext list { kind.history, CourseCacheFolder(), defaultPicture,
            AppPaths::UrlFileName(defaultPicture) };
        QVector<int> positions;
        positions.reserve(qMin(array.size(), kMaxSessions));
        for (int i = 0; i < array.size(); ++i) {
            if (positions.size() >= kMaxSessions) {
                qWarning() << "DataManager, session list cut at" << kMaxSessions << "of" << array.size();
                break;
            }
            if (array.at(i).isObject())
                positions << i;
            else
                qDebug() << "DataManager, dropped a session element that is not an object";
        }
        const QList<SchoolInfo*> sessions = SessionsOf(array, positions, list);
        const int perPage = m_profile ? m_profile->GetCoursesPerHistoryPage() : 15;
        if (kind.history && !sessions.isEmpty()) {
            Nexus::SetHistoryCoursePage(1);
            if (perPage > 0) {
                const int pages = (sessions.size() + perPage - 1) / perPage;
                Nexus::SetHistoryCoursePageCount(pages);
                qDebug() << "history cousrse listy, totalpage:" << pages << ", array size:" << sessions.size()
                         << ", course num per page:" << perPage;
            }
        }
        QMutexLocker lock(&m_roomLock);
        (kind.history ? m_room.m_historySessions : m_room.m_currentSessions) << sessions;
    }
    if (result == WebRequest::Done) {
        Nexus* hub = Nexus::Instance();
        if (kind.history) {
            if (hub)
                emit hub->HistorySchoolListGet();
            OnHistoryCourseDownloadById(Nexus::GetHistoryCoursePage());
        } else {
            if (hub)
                emit hub->SchoolListGet();
            OnDownloadSchoolListAvatar();
        }
    }
    qDebug() << kind.exit << GetSchoolId() << ",UserRole:" << GetRoomRole();
    return result;
}

void DataManager::ClearSessions(bool history)
{
    QList<SchoolInfo*> sessions;
    {
        QMutexLocker lock(&m_roomLock);
        sessions.swap(history ? m_room.m_historySessions : m_room.m_currentSessions);
    }
    // Released later in the road, when the GUI thread has time for the
    // deletion, or at its end.
    if (m_roadBusy)
        m_emptiedSessions << sessions;
    else
        ModelObject::ReleaseBatch(sessions);
}

QString DataManager::CourseCacheFolder()
{
    // Always below the program's own data folder, whatever was read.
    return AppPaths::DataFolder() + QStringLiteral("courlist/");
}

QString DataManager::DefaultPictureAddress()
{
    QString host = qEnvironmentVariable("PLOVIX_PICTURE_HOST");
    if (host.isEmpty())
        host = QStringLiteral(PLOVIX_PICTURE_HOST);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host + QLatin1String(kDefaultPicturePath);
}

// ---- pictures ----

void DataManager::RequestPicture(const PictureRequest& picture)
{
    const QString file = AppPaths::UrlFileName(picture.url);
    // No address or no file name: nothing to fetch, and a request for it
    // would only fail.
    if (file.isEmpty() || picture.key.isEmpty()) {
        qDebug() << "DataManager, no picture to fetch, type:" << picture.type << ",key:" << picture.key
                 << ",url:" << picture.url;
        return;
    }
    DownldManager* downloads = m_profile ? m_profile->GetDownldManager() : nullptr;
    DownloadElem elem(picture.type, picture.url, picture.folder, picture.key);
    const QString path = picture.folder + QLatin1Char('/') + file;
    if (QFileInfo(path).isFile()) {
        // Members and the teacher card go through the worker, so its queue
        // knows the file too; the others are told at once.
        if (picture.throughWorker && downloads)
            emit downloads->AddToFinishQueue(elem);
        else if (Nexus* hub = Nexus::Instance())
            emit hub->DownloadFinish(picture.type, picture.key);
        return;
    }
    if (picture.line)
        qDebug() << picture.line << path;
    if (!downloads) {
        qWarning() << "[ERROR] DataManager, no transfer worker for the picture of" << picture.key;
        return;
    }
    emit downloads->download(elem);
}

int DataManager::DownloadSelfAvatar()
{
    const QString url = GetRoomFields().m_strAvatarUrl;
    const QString folder = CourseCacheFolder() + QStringLiteral("avatar");
    // The key is the file itself: the course home page loads it from there.
    const QString file = AppPaths::UrlFileName(url);
    RequestPicture({ DownloadOwnAvatar, url, folder, file.isEmpty() ? file : folder + QLatin1Char('/') + file });
    return 0;
}

void DataManager::OnDownloadAllAvatar()
{
    const QString prefix = GetRoomFields().m_strUserAvatarPrefix;
    const QMap<int, UserInfo*> members = GetUserMap();
    for (UserInfo* member : members) {
        const QString uid = QString::number(member->GetUid());
        RequestPicture({ DownloadMemberAvatar, member->GetHeadUrl(), CourseCacheFolder() + prefix + uid, uid, true,
            "OnDownloadAllAvatar _strRelativePath:" });
    }
}

void DataManager::RequestListPicture(SchoolInfo* session, int type, const char* line)
{
    const QString id = session->GetSessionId();
    if (id.isEmpty() || session->GetHeadPath().isEmpty()) {
        qDebug() << "DataManager, session without id or picture file, type:" << type << ",id:" << id;
        return;
    }
    RequestPicture({ type, session->GetSnapShotUrl(), SessionPictureFolder(id), id, false, line });
}

void DataManager::OnDownloadSchoolListAvatar()
{
    qDebug() << "OnDownloadSchoolListAvatar thread:" << QThread::currentThreadId();
    const QList<SchoolInfo*> sessions = GetCurrentSessions();
    for (SchoolInfo* session : sessions)
        RequestListPicture(session, DownloadCourseListImage, "OnDownloadSchoolListAvatar _strHeadPath:");
}

void DataManager::OnHistoryCourseDownloadById(int page)
{
    qDebug() << "into OnDownloadHistorySchoolListAvatarByPageId and page:" << page;
    const int perPage = m_profile ? m_profile->GetCoursesPerHistoryPage() : 15;
    const QList<SchoolInfo*> sessions = GetHistorySessions();
    // Positions count from 1: the page shows perPage*(page-1) < i <= perPage*page.
    const qint64 first = qint64(perPage) * (page - 1);
    const qint64 last = qint64(perPage) * page;
    for (qint64 i = qMax<qint64>(first, 0); i < last && i < sessions.size(); ++i)
        RequestListPicture(
            sessions.at(int(i)), DownloadHistoryListImage, "DownloadHistorySchoolListAvatar _strHeadPath:");
}

// ---- room lists ----

void DataManager::ReplaceCourseWareList(const QList<CourseWareInfo*>& pages)
{
    QList<CourseWareInfo*> old = pages;
    {
        QMutexLocker lock(&m_roomLock);
        old.swap(m_room.m_courseWare);
    }
    ModelObject::ReleaseAll(old);
}

void DataManager::ReplaceMediaList(const QList<MediaInfo*>& media)
{
    QList<MediaInfo*> old = media;
    {
        QMutexLocker lock(&m_roomLock);
        old.swap(m_room.m_media);
    }
    ModelObject::ReleaseAll(old);
}

void DataManager::SetCurrentPresentationId(const QString& presentationId)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strCurrPresentationId = presentationId;
}

void DataManager::SetCurrentMediaId(const QString& mediaId)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strCurrMediaId = mediaId;
}
