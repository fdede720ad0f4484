// The server properties and the update check: direct calls in the GUI
// thread (start-up, the hub's end of the properties transfer, the login).
#include "DataManager.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/HttpClient.h"
#include "app/IniFile.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

namespace {

const char kServerProperties[] = "vesk-servers.properties";
const char kBackupSuffix[] = ".backup";
const char kUpdateProperties[] = "vesk-win.properties";
const char kRegServerKey[] = "reg.server.join.url";

// Keys read into ClassServerProperty, beside the three read twice.
const QPair<ClassServerProperty::Url, const char*> kUrlKeys[] = {
    { ClassServerProperty::LoginStatistics, "reg.login.statistics" },
    { ClassServerProperty::Presentation, "presentation.upload.url" },
    { ClassServerProperty::PresentationMultiUpload, "presentation.multi.upload.url" },
    { ClassServerProperty::AudioMultiUpload, "audio.multi.upload.url" },
    { ClassServerProperty::VideoMultiUpload, "video.multi.upload.url" },
    { ClassServerProperty::ChatMultiUpload, "chat.multi.upload.url" },
    { ClassServerProperty::UserLogin, "user.login" },
    { ClassServerProperty::UserInfoUrl, "user.info" },
    { ClassServerProperty::TeacherInfo, "session.teacher.info" },
    { ClassServerProperty::RoomInfo, "user.room.info" },
    { ClassServerProperty::Schools, "schools" },
    { ClassServerProperty::DefaultSchool, "user.default.school" },
    { ClassServerProperty::SchoolUserId, "school.user.id" },
    { ClassServerProperty::StuHistory, "course.stu.history" },
    { ClassServerProperty::UserHistory, "course.user.history" },
    { ClassServerProperty::TeacherHistory, "course.teacher.history" },
    { ClassServerProperty::StudentSessions, "student.sessions" },
    { ClassServerProperty::StuCurrent, "course.stu.current" },
    { ClassServerProperty::UserSessions, "users.sessions" },
    { ClassServerProperty::UserCurrent, "course.user.current" },
    { ClassServerProperty::UserRoles, "user.roles" },
    { ClassServerProperty::TeacherSessions, "teacher.sessions" },
    { ClassServerProperty::TeacherCurrent, "course.teacher.current" },
    { ClassServerProperty::EchoHost, "echo.server.host" },
    { ClassServerProperty::FileHost, "file.classroom.host" },
    { ClassServerProperty::CommentCheck, "course.comment.check.existed" },
    { ClassServerProperty::CommentAdd, "course.comment.add" },
};

// The servers of every listed node, "|"-joined: the value of prefix + name
// for each "|"-separated name, in order. An empty list still names one
// empty node (the bare prefix key). Empty servers are left out, so a
// missing node or a stray "|" never adds a blank candidate.
QString ServersOfNodes(const IniFile& settings, const QString& nodeList, const char* prefix)
{
    QStringList servers;
    for (const QString& node : nodeList.split(QLatin1Char('|'))) {
        const QString value = settings.Text(QLatin1String(prefix) + node);
        for (const QString& server : value.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            servers << server;
    }
    return servers.join(QLatin1Char('|'));
}

// The first three dot-separated parts as numbers (0 where not a number);
// false with fewer than three parts.
bool VersionParts(const QString& version, int parts[3])
{
    const QStringList pieces = version.split(QLatin1Char('.'));
    if (pieces.size() < 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        parts[i] = pieces.at(i).toInt(&ok);
        if (!ok)
            parts[i] = 0;
    }
    return true;
}

} // namespace

void DataManager::DownloadServConfig()
{
    DownldManager* downloads = m_profile ? m_profile->GetDownldManager() : nullptr;
    if (!downloads) {
        qWarning() << "[ERROR] DownloadServConfig, no transfer worker";
        return;
    }
    DownloadElem elem(DownloadServerProperties, m_profile->GetServerPropertiesAddress(),
        AppNativeProperty::GetWritableDir(), QStringLiteral("1"), 0);
    emit downloads->download(elem);
}

void DataManager::OnDownloadServConfigSuccess()
{
    const QString path = AppNativeProperty::GetWritableDir() + QLatin1String(kServerProperties);
    const IniFile settings(path);
    const QString regUrl = settings.Text(QLatin1String(kRegServerKey));
    if (regUrl.isEmpty()) {
        qDebug() << "OnDownloadServConfigSuccess file is empty ?, and strRegUrl:" << regUrl;
        return;
    }
    if (!CopyFileTo(path, path + QLatin1String(kBackupSuffix), true))
        qWarning() << "[ERROR] OnDownloadServConfigSuccess, backup not written:" << path;
    ServConfigRead(settings);
    if (Nexus* hub = Nexus::Instance())
        emit hub->DownloadCfgFinished();
}

void DataManager::ReadServConfigBackup()
{
    const IniFile settings(
        AppNativeProperty::GetWritableDir() + QLatin1String(kServerProperties) + QLatin1String(kBackupSuffix));
    if (settings.Text(QLatin1String(kRegServerKey)).isEmpty()) {
        qDebug() << "read service config backup file, still is empty?";
        return;
    }
    ServConfigRead(settings);
}

void DataManager::ServConfigRead(const IniFile& settings)
{
    if (!m_profile)
        return;
    // Every URL is set at once, so no reader sees half a set; a value
    // dropped for its size keeps the one read before.
    QHash<ClassServerProperty::Url, QString> urls;
    auto take = [&](ClassServerProperty::Url which, const char* key) {
        if (!settings.Rejected().contains(QLatin1String(key)))
            urls.insert(which, settings.Text(QLatin1String(key)));
    };
    take(ClassServerProperty::RegServer, kRegServerKey);
    take(ClassServerProperty::RegServerConfigured, kRegServerKey);
    take(ClassServerProperty::AgoraDynamicKey, "agora.dynamic.key.url");
    take(ClassServerProperty::AgoraDynamicKeyConfigured, "agora.dynamic.key.url");
    take(ClassServerProperty::AppServer, "app.user.server.host");
    take(ClassServerProperty::AppServerConfigured, "app.user.server.host");
    for (const auto& entry : kUrlKeys)
        take(entry.first, entry.second);
    m_profile->SetUrls(urls);

    // The lists are built anew by each reading, never appended to.
    const QString nodes = settings.Text(QStringLiteral("node.ispList"));
    const QString regNodes = settings.Text(QStringLiteral("reg.servers.ispList"));
    m_profile->SetNodeList(nodes);
    m_profile->SetClassroomServers(ServersOfNodes(settings, nodes, "classroom.servers."));
    QMap<QString, QString> nodeServers;
    for (const QString& node : nodes.split(QLatin1Char('|')))
        nodeServers.insert(node, settings.Text(QStringLiteral("classroom.servers.") + node));
    m_profile->SetNodeServers(nodeServers);
    m_profile->SetRegNodeList(regNodes);
    m_profile->SetRegServers(ServersOfNodes(settings, regNodes, "reg.servers."));

    // Always the program's own folder, whatever the file says.
    const QString data = AppNativeProperty::GetWritableDir();
    qDebug() << "writableLocation path:" << data;
    m_profile->SetDataFolder(data);
    m_profile->SetCourseCacheFolder(data + QStringLiteral("courlist/"));

    qDebug() << "finish ServConfigRead, and m_strRegServerUrl:" << m_profile->GetUrl(ClassServerProperty::RegServer);
    qDebug() << "m_strPresentationURL:" << m_profile->GetUrl(ClassServerProperty::Presentation);
    qDebug() << "m_strAgoraDynamicKeyURL" << m_profile->GetUrl(ClassServerProperty::AgoraDynamicKey);
    qDebug() << "m_strAppServerUrl" << m_profile->GetUrl(ClassServerProperty::AppServer);
}

bool DataManager::CopyFileTo(const QString& source, const QString& target, bool replace)
{
    const QString to = QString(target).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo from(source);
    if (QFileInfo(to).absoluteFilePath() == from.absoluteFilePath())
        return true;
    if (!from.isFile())
        return false;
    if (QFileInfo::exists(to) && !replace)
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // Written beside the target and renamed over it when complete.
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (qint64 read = 0; (read = in.read(buffer, sizeof buffer)) > 0;) {
        if (out.write(buffer, read) != read) {
            out.cancelWriting();
            break;
        }
    }
    if (in.error() != QFileDevice::NoError)
        out.cancelWriting();
    return out.commit();
}

QString DataManager::CurrentVersion()
{
    return QStringLiteral(PLOVIX_VERSION);
}

bool DataManager::IsNewerVersion(const QString& offered, const QString& current)
{
    int mine[3] = { 0, 0, 0 };
    int theirs[3] = { 0, 0, 0 };
    // The built-in version carries a leading "v" that is not part of it.
    QString own = current;
    if (own.startsWith(QLatin1Char('v')))
        own.remove(0, 1);
    if (!VersionParts(offered, theirs) || !VersionParts(own, mine))
        return false;
    return std::lexicographical_compare(mine, mine + 3, theirs, theirs + 3);
}

bool DataManager::VersionCheck()
{
    if (!m_profile)
        return false;
    const QString folder = AppNativeProperty::GetWritableDir();
    {
        HttpClient client;
        // A failed download leaves the file of an earlier run in place.
        if (!client.downloadFile(m_profile->GetUpdatePropertiesAddress(), folder, false))
            qDebug() << "VersionCheck, update properties not downloaded:" << client.GetErrorText();
    }
    const IniFile settings(folder + QLatin1String(kUpdateProperties));
    const QString version = settings.Text(QStringLiteral("update.version"));
    const QString url = settings.Text(QStringLiteral("update.server.url"));
    m_profile->SetUrl(ClassServerProperty::UpdateDownload, url);
    m_profile->SetUpdateMessage(settings.Text(QStringLiteral("update.message")));
    if (settings.Text(QStringLiteral("update.force")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        m_profile->SetUpdateForce(true);
    qDebug() << "_strAvailabelVersion" << version << ",_strAvailabelDownURL: " << url;

    int offered[3] = { 0, 0, 0 };
    if (!VersionParts(version, offered))
        return false;
    qDebug() << "VersionCheck, _AvaiVersionNum:"
             << QStringLiteral("%1.%2.%3").arg(offered[0]).arg(offered[1]).arg(offered[2])
             << ", _CuurVersionNum:" << CurrentVersion();
    if (!IsNewerVersion(version, CurrentVersion())) {
        qDebug() << "no need update, current version:" << CurrentVersion() << ", availabel version:" << version;
        return false;
    }
    return true;
}
