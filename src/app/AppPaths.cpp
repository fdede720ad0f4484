#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {

void ApplyIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Dravona"));
    QCoreApplication::setApplicationName(QStringLiteral("plovix"));
}

static QString Base()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share/Dravona/plovix");
    return base;
}

QString LogFolder()
{
    return Base() + QStringLiteral("/Plovix");
}

QString DataFolder()
{
    return Base() + QStringLiteral("/Plovix/");
}

bool IsInside(const QString& folder, const QString& path)
{
    if (folder.isEmpty() || path.isEmpty() || QDir::isRelativePath(folder) || QDir::isRelativePath(path))
        return false;
    const QString root = QDir::cleanPath(folder);
    const QString target = QDir::cleanPath(path);
    return target.size() > root.size() + 1 && target.startsWith(root + QLatin1Char('/'));
}

QString SafeName(const QString& part)
{
    QString name;
    name.reserve(part.size());
    for (const QChar c : part) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            name += QLatin1Char('_');
        else
            name += c;
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("_");
    return name;
}

QString UrlFileName(const QUrl& url)
{
    const QString name = url.fileName(QUrl::FullyDecoded);
    return name.isEmpty() ? QString() : SafeName(name);
}

QString UrlFileName(const QString& url)
{
    return UrlFileName(QUrl(url));
}

} // namespace AppPaths
