#include "ShadowedFrame.h"

#include <QPainter>
#include <QWidget>

namespace ShadowedFrame {

void Paint(QWidget* widget)
{
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = widget->width();
    const int h = widget->height();
    painter.fillRect(kMargin, kMargin, w - 2 * kMargin, h - 2 * kMargin, Qt::white);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < kMargin; ++i) {
        const int grey = qMin(255, 200 + 4 * i);
        painter.setPen(QPen(QColor(grey, grey, grey, qMax(0, 100 - 10 * i)), 1));
        painter.drawRect(kMargin - i, kMargin - i, w - 2 * kMargin + 2 * i, h - 2 * kMargin + 2 * i);
    }
}

} // namespace ShadowedFrame
