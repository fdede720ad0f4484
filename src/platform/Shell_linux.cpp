#include "Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QUrl>

namespace Shell {

namespace {

const int kSuccess = 33;
const int kFileNotFound = 2;

QMutex s_openerLock;
Opener s_opener;
UrlOpener s_urlOpener;
Revealer s_revealer;

// The freedesktop file-manager interface that file managers (Nautilus,
// Dolphin, Nemo, Thunar...) offer on the session bus.
bool ShowItem(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qDebug() << "Shell::RevealInFileManager, file manager refused:" << reply.errorName();
        return false;
    }
    return true;
}

QString Unquoted(QString file)
{
    if (file.size() >= 2 && file.startsWith(QLatin1Char('"')) && file.endsWith(QLatin1Char('"')))
        file = file.mid(1, file.size() - 2);
    return file;
}

} // namespace

void SetOpener(Opener opener)
{
    QMutexLocker lock(&s_openerLock);
    s_opener = std::move(opener);
}

int Execute(const QString& verb, const QString& file, const QString& parameters, const QString& directory)
{
    Q_UNUSED(parameters)
    Q_UNUSED(directory)
    const QString path = Unquoted(file);
    // There is no elevation here: "runas" is the same hand-over as "open".
    if (verb != QLatin1String("open") && verb != QLatin1String("runas")) {
        qDebug() << "Shell::Execute, unknown verb:" << verb;
        return kFileNotFound;
    }
    if (!QFileInfo(path).isFile())
        return kFileNotFound;
    Opener opener;
    {
        QMutexLocker lock(&s_openerLock);
        opener = s_opener;
    }
    // The desktop decides what opens the file (a package tool, an archive
    // viewer); a downloaded program is never started from here.
    const bool taken = opener ? opener(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return taken ? kSuccess : kFileNotFound;
}

void SetUrlOpener(UrlOpener opener)
{
    QMutexLocker lock(&s_openerLock);
    s_urlOpener = std::move(opener);
}

bool OpenUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        qDebug() << "Shell::OpenUrl, refused address:" << url.toString(QUrl::RemoveUserInfo);
        return false;
    }
    UrlOpener opener;
    {
        QMutexLocker lock(&s_openerLock);
        opener = s_urlOpener;
    }
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

void SetRevealer(Revealer revealer)
{
    QMutexLocker lock(&s_openerLock);
    s_revealer = std::move(revealer);
}

bool RevealInFileManager(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (path.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    Revealer revealer;
    {
        QMutexLocker lock(&s_openerLock);
        revealer = s_revealer;
    }
    if (revealer)
        return revealer(file.absoluteFilePath());
    if (file.exists() && ShowItem(file.absoluteFilePath()))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace Shell
