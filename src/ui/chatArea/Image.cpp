#include "Image.h"

#include "ChatContext.h"
#include "platform/Shell.h"

#include <QCursor>
#include <QDebug>
#include <QFileInfo>
#include <QGraphicsSceneMouseEvent>
#include <QImageReader>
#include <QPainter>
#include <QUrl>

Image::Image(int width, int height, const QString& path)
    : m_shownPath(path)
    , m_width(qMax(0, width))
    , m_height(qMax(0, height))
{
    setCursor(QCursor(Qt::PointingHandCursor));
    m_pixmap = Load(m_shownPath);
}

QPixmap Image::Load(const QString& path) const
{
    // Twice the display size stays sharp on every display scale the
    // client supports.
    return ChatContext::CachedPixmap(path, QSize(m_width, m_height) * 2);
}

QRectF Image::boundingRect() const
{
    return QRectF(0, 0, m_width, m_height);
}

void Image::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_pixmap.isNull())
        return;
    painter->save();
    painter->setClipRect(boundingRect());
    // Scaled once per display scale rather than at every paint.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize target = (QSizeF(m_width, m_height) * ratio).toSize();
    if (m_scaled.size() != target && !target.isEmpty()) {
        m_scaled = m_pixmap.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(QRect(0, 0, m_width, m_height), m_scaled);
    painter->restore();
}

bool Image::showDownloaded()
{
    const QPixmap downloaded = Load(m_downloadedPath);
    if (downloaded.isNull()) {
        qDebug() << "into Image::showDownloaded, picture cannot be decoded, path:" << m_downloadedPath;
        return false;
    }
    m_shownPath = m_downloadedPath;
    m_pixmap = downloaded;
    m_scaled = QPixmap();
    update();
    return true;
}

QString Image::fileToOpen() const
{
    const QString path = m_sentBySelf ? m_shownPath : m_fullPath;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return QString();
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    if (!formats.contains(info.suffix().toLower().toLatin1()))
        return QString();
    if (!QImageReader(path).canRead())
        return QString();
    return path;
}

void Image::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    qDebug() << "into Image::mousePressEvent,  slidePath:" << m_shownPath << ",normalSizePath:" << m_fullPath
             << ",isSelfSend:" << m_sentBySelf;
    event->accept();
    const QString path = fileToOpen();
    if (path.isEmpty()) {
        qDebug() << "into Image::mousePressEvent, not a readable picture file, and ignore it";
        return;
    }
    Shell::Execute(QStringLiteral("open"), path, QString(), QString());
}
