#include "QtMaterialBadge.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kDefaultSide = 14;
// The theme's "canvas" and "accent1" colours.
const QColor kThemeText(QStringLiteral("#ffffff"));
const QColor kThemeBackground(QStringLiteral("#ff4081"));
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
    m_textSize = fontMetrics().size(Qt::TextShowMnemonic, text);
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
    return (!m_followTheme && m_textColor.isValid()) ? m_textColor : kThemeText;
}

void QtMaterialBadge::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    m_followTheme = false;
    update();
}

QColor QtMaterialBadge::backgroundColor() const
{
    return (!m_followTheme && m_backgroundColor.isValid()) ? m_backgroundColor : kThemeBackground;
}

void QtMaterialBadge::setRelativePosition(const QPointF& pos)
{
    m_relativePosition = pos;
    update();
}

void QtMaterialBadge::setWidthHint(int width)
{
    m_widthHint = width;
    update();
}

void QtMaterialBadge::setHeightHint(int height)
{
    m_heightHint = height;
    update();
}

QSize QtMaterialBadge::sizeHint() const
{
    const int side = m_widthHint != 0 ? m_widthHint : kDefaultSide;
    return QSize(side, side);
}

void QtMaterialBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(m_relativePosition);
    const int w = m_widthHint != 0 ? m_widthHint : kDefaultSide;
    const int h = m_heightHint != 0 ? m_heightHint : kDefaultSide;
    const QRectF badge((width() - w) * 0.5, (height() - h) * 0.5, w, h);
    if (m_icon.isNull()) {
        painter.setPen(textColor());
        painter.setBrush(Qt::NoBrush);
        painter.drawText(badge.translated(0, -0.5), Qt::AlignCenter, m_text);
    } else {
        painter.drawPixmap(badge.toRect(), m_icon.pixmap(w, h, QIcon::Normal, QIcon::Off));
    }
}
