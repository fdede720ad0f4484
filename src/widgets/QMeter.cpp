#include "QMeter.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr int kBarPitch = 6;
} // namespace

QMeter::QMeter(QWidget* parent)
    : QWidget(parent)
{ }

void QMeter::setMinValue(double min)
{
    m_min = min;
    update();
}

void QMeter::setMaxValue(double max)
{
    m_max = max;
    update();
}

QSize QMeter::minimumSizeHint() const
{
    return QSize(50, 10);
}

void QMeter::setValue(double value)
{
    m_value = qBound(qMin(m_min, m_max), value, qMax(m_min, m_max));
    update();
}

void QMeter::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor background(QStringLiteral("#f7f7f7"));
    painter.setPen(background);
    painter.setBrush(background);
    painter.drawRect(rect());

    const int w = width();
    const int h = height();
    const double span = m_max - m_min;
    const double filled = span != 0 ? std::fabs((m_min - m_value) * w / span) : 0;
    const int firstGrey = static_cast<int>(filled / kBarPitch);

    painter.setPen(QPen(QColor(55, 215, 145), 3));
    for (int n = 0; n < firstGrey; ++n)
        painter.drawLine(3 + kBarPitch * n, 0, 3 + kBarPitch * n, h);
    painter.setPen(QPen(QColor(QStringLiteral("#dcdcdc")), 3));
    for (int n = firstGrey; n <= w / kBarPitch; ++n)
        painter.drawLine(3 + kBarPitch * n, 0, 3 + kBarPitch * n, h);
}
