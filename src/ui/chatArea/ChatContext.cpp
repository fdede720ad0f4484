#include "ChatContext.h"

#include "app/AppPaths.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatWidget.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QApplication>
#include <QDebug>
#include <QImageReader>
#include <QPixmapCache>
#include <QUrl>

namespace ChatContext {

double PanelWidth(double fallback)
{
    if (ChatWidget* chat = Nexus::GetChatWidget())
        return chat->width();
    return fallback;
}

QFont ItemFont()
{
    if (WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget())
        return board->font();
    return QApplication::font();
}

QString DataFolder()
{
    QString folder;
    if (Profile* profile = Nexus::GetProfile())
        folder = profile->GetDataFolder();
    if (folder.isEmpty())
        folder = AppPaths::DataFolder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

int LocalUid()
{
    DataManager* data = Nexus::GetDataManager();
    return data ? data->GetUserId() : 0;
}

// The size the reader's header gives; invalid when the picture is
// unreadable or larger than kMaxPicturePixels.
static QSize CheckedSize(const QImageReader& reader, const QString& path)
{
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels) {
        qDebug() << "into ChatContext::PictureSize, picture unreadable or too large, path:" << path << ",size:" << size;
        return QSize();
    }
    return size;
}

QSize PictureSize(const QString& path)
{
    if (path.isEmpty())
        return QSize();
    return CheckedSize(QImageReader(path), path);
}

QPixmap LoadPixmap(const QString& path, const QSize& size)
{
    if (path.isEmpty())
        return QPixmap();
    // One reader: its header is checked, then the same reader decodes.
    QImageReader reader(path);
    const QSize full = CheckedSize(reader, path);
    if (full.isEmpty())
        return QPixmap();
    // Only ever smaller: a small picture is kept at its own size.
    if (size.isValid() && !size.isEmpty() && size.width() < full.width() && size.height() < full.height())
        reader.setScaledSize(size);
    return QPixmap::fromImage(reader.read());
}

QPixmap CachedPixmap(const QString& path, const QSize& size)
{
    QPixmap pixmap;
    const QString key
        = size.isValid() ? QStringLiteral("%1@%2x%3").arg(path).arg(size.width()).arg(size.height()) : path;
    if (path.isEmpty() || QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = LoadPixmap(path, size);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QSize HundredPixelRule(qint64 w, qint64 h)
{
    if (w < 100)
        return QSize(int(w), int(h));
    if (h == 0)
        return QSize(0, 0);
    const qint64 shownHeight = h * 100 / w;
    const qint64 shownWidth = h == 0 ? 0 : w * shownHeight / h;
    return QSize(int(shownWidth), int(shownHeight));
}

QString PictureFileName(const QString& url)
{
    const QString name = QUrl(url).fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return QString();
    // The transfer worker stores the file under this same name.
    return AppPaths::UrlFileName(url);
}

} // namespace ChatContext
