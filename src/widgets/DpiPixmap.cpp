#include "DpiPixmap.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace DpiPixmap {

QPixmap Load(const QWidget* widget, const QString& path)
{
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap picture(int(widget->width() * ratio), int(widget->height() * ratio));
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    if (!picture.load(path))
        return QPixmap();
    return picture;
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

} // namespace DpiPixmap
