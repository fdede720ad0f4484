#include "DPIWidget4RoundPixmapV2.h"

#include "DpiPixmap.h"
#include "GaussianBlur.h"

#include <QBitmap>
#include <QDebug>
#include <QPainter>

DPIWidget4RoundPixmapV2::DPIWidget4RoundPixmapV2(QWidget* parent)
    : QLabel(parent)
{ }

void DPIWidget4RoundPixmapV2::SetPixmapPath(const QString& path)
{
    qDebug() << "into DPIWidget4RoundPixmapV2 path is :" << path << ",isPixmapBlur:" << m_blur;
    m_path = path;
    Reload();
}

void DPIWidget4RoundPixmapV2::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (DpiPixmap::Outgrown(this, m_backing))
        Reload();
}

void DPIWidget4RoundPixmapV2::Reload()
{
    m_backing = DpiPixmap::Load(this, m_path);
    // A veil shown once follows the new picture, even with the blur off.
    if (!m_veiled.isNull()) {
        m_veiled = QPixmap();
        BuildVeil();
    } else if (m_blur) {
        BuildVeil();
    }
    update();
}

void DPIWidget4RoundPixmapV2::setBlur(bool blur)
{
    if (blur == m_blur)
        return;
    m_blur = blur;
    if (m_blur && m_veiled.isNull())
        BuildVeil();
    update();
}

void DPIWidget4RoundPixmapV2::BuildVeil()
{
    if (m_backing.isNull())
        return;
    const qreal ratio = devicePixelRatioF();
    QPixmap veil(int(width() * ratio), int(height() * ratio));
    veil.fill(QColor(0, 0, 0, 150));
    // Pure black stays uncovered; the mask follows the veil's size, which
    // may differ from the picture's.
    const QBitmap black = m_backing.createMaskFromColor(QColor(QRgb(0)), Qt::MaskInColor);
    if (!veil.isNull())
        veil.setMask(QBitmap::fromImage(black.toImage().scaled(veil.size())));

    QImage result = GaussianBlur(5, 2.0f).blur(m_backing.toImage());
    QPainter painter(&result);
    painter.drawPixmap(QRect(0, 0, result.width(), result.height()), veil);
    painter.end();
    m_veiled = QPixmap::fromImage(result);
    update();
}

void DPIWidget4RoundPixmapV2::paintEvent(QPaintEvent*)
{
    if (m_path.isEmpty())
        return;
    QPainter painter(this);
    DpiPixmap::Prepare(painter, this, true);
    DpiPixmap::Draw(painter, this, m_blur && !m_veiled.isNull() ? m_veiled : m_backing);
}
