#include "RoundProgressBar.h"

#include <QConicalGradient>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {
enum FormatFlag { HasValue = 1, HasPercent = 2, HasMaximum = 4 };
} // namespace

RoundProgressBar::RoundProgressBar(QWidget* parent)
    : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void RoundProgressBar::setRange(double min, double max)
{
    m_min = min;
    m_max = max;
    boundsChanged();
}

void RoundProgressBar::setMinimum(double min)
{
    m_min = min;
    boundsChanged();
}

void RoundProgressBar::setMaximum(double max)
{
    m_max = max;
    boundsChanged();
}

void RoundProgressBar::boundsChanged()
{
    if (m_max < m_min)
        qSwap(m_max, m_min);
    m_value = qBound(m_min, m_value, m_max);
    if (!m_gradientData.isEmpty())
        m_rebuildBrush = true;
    update();
}

void RoundProgressBar::setValue(double val)
{
    if (m_value == val)
        return;
    m_value = qBound(m_min, val, m_max);
    update();
}

void RoundProgressBar::setValue(int val)
{
    setValue(double(val));
}

void RoundProgressBar::setStyleMode(int style)
{
    if (style != m_barStyle) {
        m_barStyle = style;
        update();
    }
}

void RoundProgressBar::setOutlineWidth(double width)
{
    if (width != m_outlinePenWidth) {
        m_outlinePenWidth = width;
        update();
    }
}

void RoundProgressBar::setArcWidth(double width)
{
    if (width != m_dataPenWidth) {
        m_dataPenWidth = width;
        update();
    }
}

void RoundProgressBar::setDecimalPlaces(int decimals)
{
    if (decimals < 0 || decimals == m_decimals)
        return;
    m_decimals = decimals;
    valueFormatChanged();
}

void RoundProgressBar::setFormat(const QString& format)
{
    if (format == m_format)
        return;
    m_format = format;
    valueFormatChanged();
}

void RoundProgressBar::valueFormatChanged()
{
    m_updateFlags = 0;
    if (m_format.contains(QLatin1String("%v")))
        m_updateFlags |= HasValue;
    if (m_format.contains(QLatin1String("%p")))
        m_updateFlags |= HasPercent;
    if (m_format.contains(QLatin1String("%m")))
        m_updateFlags |= HasMaximum;
    update();
}

QString RoundProgressBar::valueToText(double val) const
{
    QString text = m_format;
    if (m_updateFlags & HasValue)
        text.replace(QLatin1String("%v"), QString::number(val, 'f', m_decimals));
    if (m_updateFlags & HasPercent) {
        // An empty range is full as soon as it exists.
        const double span = m_max - m_min;
        const double percent = span > 0 ? (val - m_min) / span * 100.0 : 100.0;
        text.replace(QLatin1String("%p"), QString::number(percent, 'f', m_decimals));
    }
    if (m_updateFlags & HasMaximum)
        text.replace(QLatin1String("%m"), QString::number(m_max - m_min + 1, 'f', m_decimals));
    return text;
}

void RoundProgressBar::paintEvent(QPaintEvent*)
{
    const double outerRadius = qMin(width(), height());
    if (outerRadius < 3)
        return;
    const QRectF baseRect(1, 1, outerRadius - 2, outerRadius - 2);
    const qreal ratio = devicePixelRatioF();
    const int side = int(outerRadius);
    QImage buffer(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(Qt::transparent);

    QPainter p(&buffer);
    p.setRenderHint(QPainter::Antialiasing);
    rebuildDataBrushIfNeeded();
    drawBackground(p, buffer.rect());
    drawBase(p, baseRect);
    drawValue(p, baseRect, m_value, m_max - m_min);
    QRectF innerRect;
    double innerRadius = 0;
    calculateInnerRect(baseRect, outerRadius, innerRect, innerRadius);
    drawInnerBackground(p, innerRect);
    drawText(p, innerRect, innerRadius, m_value);
    p.end();

    QPainter painter(this);
    painter.fillRect(baseRect, palette().window());
    painter.drawImage(0, 0, buffer);
}

void RoundProgressBar::drawBackground(QPainter& p, const QRectF& baseRect)
{
    p.fillRect(baseRect, palette().window());
}

namespace {
QRectF Shrunk(const QRectF& rect, double by)
{
    return rect.adjusted(by, by, -by, -by);
}
} // namespace

void RoundProgressBar::drawBase(QPainter& p, const QRectF& baseRect)
{
    switch (m_barStyle) {
    case StyleDonut:
        p.setPen(QPen(palette().shadow().color(), m_outlinePenWidth));
        p.setBrush(palette().base());
        p.drawEllipse(baseRect);
        break;
    case StylePie:
        p.setPen(QPen(palette().base().color(), m_outlinePenWidth));
        p.setBrush(palette().base());
        p.drawEllipse(baseRect);
        break;
    case StyleLine:
        p.setPen(QPen(QColor(QStringLiteral("#ffd0d1")), m_outlinePenWidth));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(Shrunk(baseRect, m_outlinePenWidth / 2));
        break;
    default:
        break;
    }
}

void RoundProgressBar::drawValue(QPainter& p, const QRectF& baseRect, double value, double delta)
{
    if (value == m_min || delta <= 0)
        return;
    const double arcLength = 360.0 * (value - m_min) / delta;
    if (m_barStyle == StyleLine) {
        p.setPen(QPen(QColor(QStringLiteral("#ff6267")), m_dataPenWidth));
        p.setBrush(Qt::NoBrush);
        const QRectF ring = Shrunk(baseRect, m_outlinePenWidth / 2);
        p.drawArc(ring, int(m_startAngle * 16), int(-arcLength * 16));
        return;
    }
    QPainterPath dataPath;
    dataPath.setFillRule(Qt::WindingFill);
    dataPath.moveTo(baseRect.center());
    dataPath.arcTo(baseRect, m_startAngle, -arcLength);
    dataPath.lineTo(baseRect.center());
    p.setBrush(palette().highlight());
    p.setPen(QPen(palette().shadow().color(), m_dataPenWidth));
    p.drawPath(dataPath);
}

void RoundProgressBar::calculateInnerRect(const QRectF&, double outerRadius, QRectF& innerRect, double& innerRadius)
{
    innerRadius = m_barStyle == StyleLine ? outerRadius : outerRadius * 0.75;
    const double delta = (outerRadius - innerRadius) / 2;
    innerRect = QRectF(delta, delta, innerRadius, innerRadius);
}

void RoundProgressBar::drawInnerBackground(QPainter& p, const QRectF& innerRect)
{
    if (m_barStyle != StyleDonut)
        return;
    p.setBrush(palette().alternateBase());
    p.drawEllipse(innerRect);
}

void RoundProgressBar::drawText(QPainter& p, const QRectF& innerRect, double, double value)
{
    if (m_format.isEmpty())
        return;
    p.setFont(font());
    p.setPen(palette().text().color());
    p.drawText(innerRect, Qt::AlignCenter, valueToText(value));
}

void RoundProgressBar::rebuildDataBrushIfNeeded()
{
    if (!m_rebuildBrush)
        return;
    m_rebuildBrush = false;
    QConicalGradient gradient(0.5, 0.5, m_startAngle);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    for (const QGradientStop& stop : qAsConst(m_gradientData))
        gradient.setColorAt(1.0 - stop.first, stop.second);
    QPalette pal = palette();
    pal.setBrush(QPalette::Highlight, gradient);
    setPalette(pal);
}
