#include "FrameShadow.h"

#include <QPainter>

namespace FrameShadow {

void Paint(QPainter& painter, const QSize& size)
{
    constexpr int kMargin = 12;
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = size.width() - 2 * kMargin;
    const int h = size.height() - 2 * kMargin;
    painter.fillRect(kMargin, kMargin, w, h, Qt::white);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < kMargin; ++i) {
        const int grey = qMin(200 + 4 * i, 255);
        painter.setPen(QPen(QColor(grey, grey, grey, qMax(100 - 10 * i, 0)), 1));
        painter.drawRect(kMargin - i, kMargin - i, w + 2 * i, h + 2 * i);
    }
}

} // namespace FrameShadow
