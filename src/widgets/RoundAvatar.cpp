#include "RoundAvatar.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kEmptyDisc(0xdf, 0xe3, 0xe8);
const QColor kVeil(0, 0, 0, 150);
} // namespace

RoundAvatar::RoundAvatar(QWidget* parent)
    : QLabel(parent)
{ }

void RoundAvatar::SetPixmapPath(const QString& path)
{
    m_path = path;
    Load();
    update();
}

void RoundAvatar::setBlur(bool veiled)
{
    if (veiled == m_veiled)
        return;
    m_veiled = veiled;
    update();
}

void RoundAvatar::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Load();
}

void RoundAvatar::Load()
{
    m_picture = QPixmap();
    if (m_path.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize target(qRound(width() * ratio), qRound(height() * ratio));
    QImageReader reader(m_path);
    // Large files are decoded straight at the size shown.
    const QSize native = reader.size();
    if (native.isValid() && (native.width() > 2 * target.width() || native.height() > 2 * target.height()))
        reader.setScaledSize(native.scaled(target, Qt::KeepAspectRatioByExpanding));
    const QImage image = reader.read();
    if (image.isNull())
        return;
    m_picture = QPixmap::fromImage(image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_picture.setDevicePixelRatio(ratio);
}

void RoundAvatar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addEllipse(QRectF(rect()));
    painter.setClipPath(clip);
    if (m_picture.isNull())
        painter.fillRect(rect(), kEmptyDisc);
    else
        painter.drawPixmap(rect(), m_picture);
    if (m_veiled)
        painter.fillRect(rect(), kVeil);
}
