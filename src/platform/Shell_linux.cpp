#include "Shell.h"

#include <QDebug>
#include <QDesktopServices>
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

} // namespace Shell
