#include "DpiPixmap.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace DpiPixmap {

namespace {
QSize PixelSize(const QWidget* widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    return QSize(qMax(1, qRound(widget->width() * ratio)), qMax(1, qRound(widget->height() * ratio)));
}
} // namespace

QPixmap Load(const QWidget* widget, const QString& path)
{
    if (path.isEmpty())
        return QPixmap();
    const QSize target = PixelSize(widget);
    QImageReader reader(path);
    const QSize native = reader.size();
    if (native.isValid() && (native.width() > target.width() || native.height() > target.height()))
        reader.setScaledSize(target);
    return QPixmap::fromImage(reader.read());
}

bool Outgrown(const QWidget* widget, const QPixmap& picture)
{
    if (picture.isNull())
        return false;
    const QSize target = PixelSize(widget);
    return picture.width() < target.width() || picture.height() < target.height();
}

QSize ShownSize(const QWidget* widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    return QSize(int(widget->width() * ratio), int(widget->height() * ratio));
}

QPixmap LoadAtShownSize(const QWidget* widget, const QString& path)
{
    QImageReader reader(path);
    const QSize shown = ShownSize(widget);
    if (!shown.isEmpty())
        reader.setScaledSize(shown);
    QPixmap picture = QPixmap::fromImage(reader.read());
    picture.setDevicePixelRatio(widget->devicePixelRatioF());
    return picture;
}

void Prepare(QPainter& painter, const QWidget* widget, bool round)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (round) {
        QPainterPath clip;
        clip.addEllipse(QRectF(0, 0, widget->width(), widget->height()));
        painter.setClipPath(clip);
    }
}

void Draw(QPainter& painter, const QWidget* widget, const QPixmap& picture)
{
    if (!picture.isNull())
        painter.drawPixmap(QRectF(widget->rect()), picture, QRectF(picture.rect()));
}

QString DefaultAvatar(const QString& scaleFolder)
{
    return QStringLiteral(":/resource/schoollist/%1/default_avatar.png").arg(scaleFolder);
}

} // namespace DpiPixmap
