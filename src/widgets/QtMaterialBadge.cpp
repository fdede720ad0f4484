#include "QtMaterialBadge.h"

#include "widgets/QtMaterialStyle.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kDefaultSize = 14;
} // namespace

QtMaterialBadge::QtMaterialBadge(QWidget* parent)
    : QtMaterialOverlayWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont badgeFont(font());
    badgeFont.setPointSizeF(10);
    badgeFont.setStyleName(QStringLiteral("Bold"));
    setFont(badgeFont);
    setText(QStringLiteral("+1"));
}

void QtMaterialBadge::setText(const QString& text)
{
    m_text = text;
    if (!m_icon.isNull())
        m_icon = QIcon();
    m_textSize = QFontMetrics(font()).size(Qt::TextShowMnemonic, text);
    update();
}

void QtMaterialBadge::setIcon(const QIcon& icon)
{
    m_icon = icon;
    update();
}

void QtMaterialBadge::setTextColor(const QColor& color)
{
    m_textColor = color;
    m_followTheme = false;
    update();
}

QColor QtMaterialBadge::textColor() const
{
    if (!m_followTheme && m_textColor.isValid())
        return m_textColor;
    return QtMaterialStyle::instance().colorFor(QStringLiteral("canvas"));
}

void QtMaterialBadge::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    m_followTheme = false;
    update();
}

QColor QtMaterialBadge::backgroundColor() const
{
    if (!m_followTheme && m_backgroundColor.isValid())
        return m_backgroundColor;
    return QtMaterialStyle::instance().colorFor(QStringLiteral("accent1"));
}

void QtMaterialBadge::setRelativePosition(const QPointF& pos)
{
    m_relativePosition = pos;
    update();
}

void QtMaterialBadge::setRelativePosition(qreal x, qreal y)
{
    setRelativePosition(QPointF(x, y));
}

void QtMaterialBadge::setWidthHint(int hint)
{
    m_widthHint = hint;
    update();
}

void QtMaterialBadge::setHeightHint(int hint)
{
    m_heightHint = hint;
    update();
}

QSize QtMaterialBadge::sizeHint() const
{
    const int side = m_widthHint != 0 ? m_widthHint : kDefaultSize;
    return QSize(side, side);
}

void QtMaterialBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(m_relativePosition);
    const int w = m_widthHint != 0 ? m_widthHint : kDefaultSize;
    const int h = m_heightHint != 0 ? m_heightHint : kDefaultSize;
    const QRectF badge((width() - w) * 0.5, (height() - h) * 0.5, w, h);
    // The badge draws no disc of its own: only its text or icon shows.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::transparent);
    painter.drawEllipse(badge);
    if (m_icon.isNull()) {
        painter.setPen(textColor());
        painter.setBrush(Qt::NoBrush);
        painter.drawText(badge.translated(0, -0.5), Qt::AlignCenter, m_text);
    } else {
        painter.drawPixmap(badge.toRect(), m_icon.pixmap(QSize(w, h), QIcon::Normal, QIcon::Off));
    }
}
