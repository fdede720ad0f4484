// The school road: the user's schools, identity, information and roles in
// the chosen school, and the requests of the session lists by school role.
// "Profile Manager" thread; every request waits in a nested event loop.
#include "DataManager.h"

#include "SchoolInfo.h"
#include "SchoolListInfo.h"
#include "UserRole.h"
#include "WebRequest.h"
#include "app/AppPaths.h"
#include "app/DownloadElem.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/SchoolEntryWidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QThread>
#include <cmath>

namespace {

const double kMaxLikeCount = 1e8;
// Above this a double no longer holds every whole number.
const double kMaxWholeNumber = 9007199254740992.0;

// A user id of the web service: a whole decimal number above 0. Anything
// else is not an id and must never replace the one the user has.
bool UserIdOf(const QString& text, int* uid)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value <= 0)
        return false;
    *uid = value;
    return true;
}

// "userRoleId" as text: a string as is, a whole number in decimal; false
// when missing or of another type.
bool RoleIdOf(const QJsonObject& element, QString* id)
{
    const QJsonValue value = element.value(QLatin1String("userRoleId"));
    if (value.isString()) {
        *id = value.toString();
        return true;
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::abs(number) < kMaxWholeNumber && number == std::trunc(number)) {
            *id = QString::number(qint64(number));
            return true;
        }
    }
    return false;
}

} // namespace

// ---- one road at a time ----

void DataManager::RunSerialised(const char* name, std::function<void()> road)
{
    if (m_roadBusy) {
        // Run inside the wait of the running road it would interleave
        // with its requests and write the same lists and identity.
        qDebug() << "into DataManager, a school road is waiting for a reply, held back:" << name;
        m_heldRoad = std::move(road);
        return;
    }
    m_roadBusy = true;
    road();
    while (m_heldRoad) {
        std::function<void()> next = std::move(m_heldRoad);
        m_heldRoad = nullptr;
        next();
    }
    m_roadBusy = false;
    ModelObject::ReleaseBatch(m_emptiedSessions);
}

void DataManager::OnParallelShoolInfoRequest(QString schoolId)
{
    RunSerialised("OnParallelShoolInfoRequest", [this, schoolId] { SchoolRoad(schoolId); });
}

void DataManager::OnSchoolChanged(QString schoolId)
{
    RunSerialised("OnSchoolChanged", [this, schoolId] { SchoolChangedRoad(schoolId, false); });
}

void DataManager::OnSchoolChanged4His(QString schoolId)
{
    SchoolChangedRoad(schoolId, true);
}

void DataManager::NotifyCourseHome(bool begin)
{
    // Emitted from this thread; the page receives them queued.
    if (SchoolEntryWidget* page = Nexus::GetSchoolEntryWidget()) {
        if (begin)
            emit page->RequestBegin();
        else
            emit page->RequestFinished();
    }
}

void DataManager::SchoolRoad(const QString& schoolId)
{
    // Every end of the road, early ones included, clears the refresh flag:
    // one unusable reply must not leave the course home page unable to
    // refresh for the rest of the run.
    const QString current = GetSchoolId();
    if (schoolId.isEmpty() && !current.isEmpty()) {
        qDebug() << "into OnParallelShoolInfoRequest, no need requst, schoolId:" << current;
        if (m_profile)
            m_profile->SetCourseListRefreshFlag(0);
        return;
    }
    if (GetSchoolMap().isEmpty())
        GetSchoolList();
    SetSchoolId(schoolId);
    ClearSessions(false);
    ClearSessions(true);
    NotifyCourseHome(true);

    if (RequestIdentity() == WebRequest::Done) {
        const RoomFields identity = GetRoomFields();
        if (identity.m_dwSchoolRole == RoleTeacher) {
            GetSchoolSessionByTeaIdV2(identity.m_strTeacherRoleId, schoolId);
            OnSchoolChanged4His(schoolId);
        } else if (identity.m_dwSchoolRole == RoleStudent) {
            if (m_profile && !m_profile->GetUrl(ClassServerProperty::StuCurrent).isEmpty()) {
                OnSchoolChanged4His(schoolId);
                GetSchoolSessionByStuIdV2(GetRoomFields().m_strStudentId, schoolId);
            }
        } else {
            GetSchoolSessionByUidV2(QString::number(identity.m_dwUserId), schoolId);
            OnSchoolChanged4His(schoolId);
        }
    }
    if (m_profile)
        m_profile->SetCourseListRefreshFlag(0);
    NotifyCourseHome(false);
}

void DataManager::PrepareCourseCards(bool history)
{
    SchoolEntryWidget* page = Nexus::GetSchoolEntryWidget();
    if (!page)
        return;
    const int stored = m_profile ? m_profile->GetCoursesPerHistoryPage() : 0;
    const int count = stored > 0 ? stored : 15;
    QMetaObject::invokeMethod(
        page,
        [page, count, history] {
            // Only the list shown gets cards now; the other one is built
            // when the user turns to it.
            const bool historyShown = page->GetSchoolListType() == SchoolEntryWidget::ListHistory;
            if (history && historyShown)
                page->GetHisSchoolList()->PrepareCards(count);
            else if (!history && !historyShown)
                page->GetSchoolList()->PrepareCards(count);
        },
        Qt::QueuedConnection);
}

// The three identity requests; the first unusable reply ends them.
int DataManager::RequestIdentity()
{
    int result = GetNewUidBySchoolId();
    if (result == WebRequest::Done)
        result = OnGetUsrInfo();
    if (result == WebRequest::Done)
        result = GetUserRoles();
    return result;
}

void DataManager::SchoolChangedRoad(const QString& schoolId, bool history)
{
    qDebug() << (history ? "into OnSchoolChanged4His, and schoolId:" : "into OnSchoolChanged, and schoolId:")
             << schoolId;
    ClearSessions(history);
    // The widget belongs to the GUI thread; it is emptied there.
    if (history) {
        if (HisSchoolList* list = Nexus::GetHisSchoolList())
            QMetaObject::invokeMethod(
                list, [list] { list->ClearItems(); }, Qt::QueuedConnection);
    } else if (SchoolList* list = Nexus::GetSchoolList()) {
        QMetaObject::invokeMethod(
            list, [list] { list->ClearItems(); }, Qt::QueuedConnection);
    }
    SetSchoolId(schoolId);
    if (GetNewUidBySchoolId() != WebRequest::Done)
        return;
    OnGetUsrInfo();
    GetUserRoles();
    const RoomFields identity = GetRoomFields();
    switch (identity.m_dwSchoolRole) {
    case RoleStudent:
        history ? GetHistorySessionByStuId(identity.m_strStudentId, schoolId)
                : GetSchoolSessionByStuIdV2(identity.m_strStudentId, schoolId);
        break;
    case RoleTeacher:
        history ? GetHistorySessionByTeaId(identity.m_strTeacherRoleId, schoolId)
                : GetSchoolSessionByTeaIdV2(identity.m_strTeacherRoleId, schoolId);
        break;
    default:
        history ? GetHistorySessionByUid(QString::number(identity.m_dwUserId), schoolId)
                : GetSchoolSessionByUidV2(QString::number(identity.m_dwUserId), schoolId);
        break;
    }
}

// ---- the requests ----

QNetworkAccessManager* DataManager::WebManager()
{
    // One for every request of this thread, so connections are kept;
    // another thread's request makes its own.
    if (QThread::currentThread() != thread())
        return nullptr;
    if (!m_webManager)
        m_webManager = new QNetworkAccessManager(this);
    return m_webManager;
}

int DataManager::GetSchoolList()
{
    qDebug() << "into DataManager::GetSchoolList";
    const QString url = m_profile ? m_profile->GetUrl(ClassServerProperty::Schools) : QString();
    WebRequest request({ nullptr, "error:", "error, shoud json object", "GetSchoolList content",
                           "DataManager::GetSchoolList error,code:" },
        WebRequest::Object, true, m_webTimeOut);
    const int result = request.Get(url, WebManager());
    if (result != WebRequest::Done)
        return result;

    const QJsonValue data = request.GetData();
    if (request.IsUsable() && data.isArray()) {
        QMap<QString, SchoolListInfo*> schools;
        for (const QJsonValue& value : data.toArray()) {
            const QJsonObject element = value.toObject();
            const QJsonValue id = element.value(QLatin1String("schoolId"));
            const QJsonValue name = element.value(QLatin1String("schoolName"));
            if (!id.isString() || !name.isString()) {
                qDebug() << "DataManager::GetSchoolList, skipped an element without school id and name";
                continue;
            }
            auto* school = new SchoolListInfo();
            school->SetSchoolId(id.toString());
            school->SetSchoolName(name.toString());
            school->SetSchoolProfile(element.value(QLatin1String("profile")).toString());
            // A later element with the same id replaces the earlier one.
            ModelObject::Release(schools.value(school->GetSchoolId(), nullptr));
            schools.insert(school->GetSchoolId(), school);
        }
        QList<SchoolListInfo*> replaced;
        {
            QMutexLocker lock(&m_roomLock);
            for (auto it = schools.cbegin(); it != schools.cend(); ++it) {
                if (SchoolListInfo* old = m_room.m_schools.value(it.key(), nullptr))
                    replaced << old;
                m_room.m_schools.insert(it.key(), it.value());
            }
        }
        ModelObject::ReleaseAll(replaced);
    }
    if (Nexus* hub = Nexus::Instance())
        hub->OnSchoolsGet();
    qDebug() << "exit DataManager::GetSchoolList";
    return WebRequest::Done;
}

int DataManager::GetNewUidBySchoolId()
{
    QString url;
    {
        QMutexLocker lock(&m_roomLock);
        url = WebRequest::Fill(m_profile ? m_profile->GetUrl(ClassServerProperty::SchoolUserId) : QString(),
            { { "{oldUserId}", QString::number(m_room.m_dwUserId) }, { "{schoolId}", m_room.m_strSchoolId } });
    }
    qDebug() << "into DataManager::GetNewUidBySchoolId, and url:" << url;
    WebRequest request(
        { "[DataManager]GetNewUidBySchoolId error:", "GetNewUidBySchoolId error:",
            "GetNewUidBySchoolId error, shoud json object", nullptr, "DataManager::GetNewUidBySchoolId error,code:" },
        WebRequest::Object, true, m_webTimeOut);
    const int result = request.Get(url, WebManager());
    if (result != WebRequest::Done)
        return result;
    const QJsonValue userId = request.GetData().toObject().value(QLatin1String("userId"));
    if (userId.isString()) {
        qDebug() << "DataManager::GetNewUidBySchoolId, userId:" << userId.toString();
        int uid = 0;
        if (UserIdOf(userId.toString(), &uid))
            SetUserId(uid);
        else
            qWarning() << "DataManager::GetNewUidBySchoolId, not a user id, kept the old one";
    }
    qDebug() << "exit DataManager::GetNewUidBySchoolId";
    return WebRequest::Done;
}

int DataManager::OnGetUsrInfo()
{
    const QString urlTemplate = m_profile ? m_profile->GetUrl(ClassServerProperty::UserInfoUrl) : QString();
    qDebug() << "into DataManager::GetUserInfo, _url:" << urlTemplate;
    const QString url = WebRequest::Fill(urlTemplate, { { "{userId}", QString::number(GetUserId()) } });
    WebRequest request({ "[DataManager]OnGetUsrInfo error:", "DataManager::OnGetUsrInfo error:",
                           "error, shoud json object", nullptr, "DataManager::OnGetUserInfo error,code:" },
        WebRequest::Object, true, m_webTimeOut);
    const int result = request.Get(url, WebManager());
    if (result != WebRequest::Done)
        return result;
    const QJsonObject data = request.GetData().toObject();
    const QJsonValue nickName = data.value(QLatin1String("nickName"));
    const QJsonValue userId = data.value(QLatin1String("userId"));
    const QJsonValue avatarUrl = data.value(QLatin1String("avatarUrl"));
    if (nickName.isString()) {
        qDebug() << "DataManager::OnGetUserInfo, nickName:" << nickName.toString();
        QMutexLocker lock(&m_roomLock);
        m_room.m_strNickName = nickName.toString();
    } else if (userId.isString()) {
        QMutexLocker lock(&m_roomLock);
        m_room.m_strNickName = QStringLiteral("学员") + userId.toString();
    }
    if (avatarUrl.isString()) {
        qDebug() << "DataManager::OnGetUserInfo, avatarUrl:" << avatarUrl.toString();
        {
            QMutexLocker lock(&m_roomLock);
            m_room.m_strAvatarUrl = avatarUrl.toString();
        }
        DownloadSelfAvatar();
    }
    qDebug() << "exit DataManager::OnGetUserInfo";
    return WebRequest::Done;
}

int DataManager::GetUserRoles()
{
    const QString url = WebRequest::Fill(m_profile ? m_profile->GetUrl(ClassServerProperty::UserRoles) : QString(),
        { { "{userId}", QString::number(GetUserId()) } });
    qDebug() << "into DataManager::GetUserRoles, _url:" << url;
    WebRequest request(
        { "GetUserRoles netrequest error:", "GetUserRoles error:", "GetUserRoles error, shoud json object",
            "GetUserRoles content", "DataManager::GetUserRoles error,code:" },
        WebRequest::Object, true, m_webTimeOut);
    const int result = request.Get(url, WebManager());
    if (result != WebRequest::Done)
        return result;
    const QJsonArray roles = request.GetData().toArray();
    if (roles.isEmpty())
        return WebRequest::Done;

    // One identifier per role: a teacher who is also a user keeps both, and
    // an element without a usable id never blanks the one held.
    int mask = 0;
    bool named = false;
    QString teacherId;
    QString studentId;
    QString userId;
    for (const QJsonValue& value : roles) {
        const QJsonObject element = value.toObject();
        const QJsonValue role = element.value(QLatin1String("role"));
        if (!role.isString())
            continue;
        named = true;
        QString* target = nullptr;
        if (role.toString() == QLatin1String("USER")) {
            mask |= 1;
            target = &userId;
        } else if (role.toString() == QLatin1String("STUDENT")) {
            mask |= 2;
            target = &studentId;
        } else if (role.toString() == QLatin1String("TEACHER")) {
            mask |= 4;
            target = &teacherId;
        }
        if (target && !RoleIdOf(element, target))
            qDebug() << "DataManager::GetUserRoles, no usable userRoleId for" << role.toString();
    }
    if (!named) {
        qWarning() << "DataManager::GetUserRoles, no element names a role, kept the roles held";
        return WebRequest::Done;
    }

    int schoolRole = RoleListener;
    {
        QMutexLocker lock(&m_roomLock);
        if (mask & 4)
            schoolRole = RoleTeacher;
        else if (mask & 2)
            schoolRole = RoleStudent;
        m_room.m_dwSchoolRole = schoolRole;
        if (!teacherId.isEmpty())
            m_room.m_strTeacherRoleId = teacherId;
        if (!studentId.isEmpty())
            m_room.m_strStudentId = studentId;
        int uid = 0;
        if (UserIdOf(userId, &uid))
            m_room.m_dwUserId = uid;
    }
    qDebug() << "exit DataManager::GetUserRoles ,UserRole:" << schoolRole;
    return WebRequest::Done;
}

int DataManager::GetTeacherInfo(const QString& url)
{
    qDebug() << "into DataManager::GetTeacherInfo, url:" << url;
    WebRequest request({ "[DataManager]GetTeacherInfo failed! error:", "GetTeacherInfo error:",
                           "error, shoud json object", nullptr, "DataManager::GetTeacherInfo error,code:" },
        WebRequest::Object, true, m_webTimeOut);
    const int result = request.Get(url, WebManager());
    if (result != WebRequest::Done)
        return result;
    const QJsonObject data = request.GetData().toObject();
    const QJsonValue name = data.value(QLatin1String("teacherName"));
    const QJsonValue likes = data.value(QLatin1String("likeCount"));
    const QJsonValue avatar = data.value(QLatin1String("avatarUrl"));
    QString teacherId;
    {
        QMutexLocker lock(&m_roomLock);
        teacherId = m_room.m_strTeacherId;
        if (name.isString())
            m_room.m_strTeacherName = name.toString();
        // A count, not any number: the total never overflows.
        if (likes.isDouble() && likes.toDouble() >= 0 && likes.toDouble() <= kMaxLikeCount) {
            m_room.m_dwTeacherCardLikes = likes.toInt();
            m_room.m_dwTeacherLikeTotal += m_room.m_dwTeacherCardLikes;
        }
    }
    if (name.isString())
        qDebug() << "DataManager::GetTeacherInfo, teacherName:" << name.toString();
    if (likes.isDouble())
        qDebug() << "DataManager::GetTeacherInfo, likeCount:" << likes.toInt();
    if (avatar.isString()) {
        const QString folder
            = CourseCacheFolder() + GetRoomFields().m_strTeacherAvatarPrefix + AppPaths::SafeName(teacherId);
        const QString file = AppPaths::UrlFileName(avatar.toString());
        if (!file.isEmpty()) {
            QMutexLocker lock(&m_roomLock);
            m_room.m_strTeacherAvatarPath = folder + QLatin1Char('/') + file;
        }
        RequestPicture({ DownloadTeacherAvatar, avatar.toString(), folder, teacherId, true,
            "OnGetTeacherInfo _strRelativePath:" });
    }
    qDebug() << "exit DataManager::GetTeacherInfo";
    return WebRequest::Done;
}
