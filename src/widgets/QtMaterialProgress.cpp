#include "QtMaterialProgress.h"

#include "widgets/QtMaterialStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

QtMaterialProgressDelegate::QtMaterialProgressDelegate(QtMaterialProgress* parent)
    : QObject(parent)
    , m_bar(parent)
{ }

void QtMaterialProgressDelegate::setOffset(qreal offset)
{
    m_offset = offset;
    m_bar->update();
}

QtMaterialProgress::QtMaterialProgress(QWidget* parent)
    : QProgressBar(parent)
    , m_delegate(new QtMaterialProgressDelegate(this))
{
    auto* slide = new QPropertyAnimation(this);
    slide->setPropertyName("offset");
    slide->setTargetObject(m_delegate);
    slide->setStartValue(0);
    slide->setEndValue(1);
    slide->setDuration(1000);
    slide->setLoopCount(-1);
    slide->start();
}

void QtMaterialProgress::setProgressColor(const QColor& color)
{
    m_progressColor = color;
    m_followTheme = false;
    update();
}

QColor QtMaterialProgress::progressColor() const
{
    if (!m_followTheme && m_progressColor.isValid())
        return m_progressColor;
    return QtMaterialStyle::instance().colorFor(QStringLiteral("primary1"));
}

void QtMaterialProgress::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    m_followTheme = false;
    update();
}

QColor QtMaterialProgress::backgroundColor() const
{
    if (!m_followTheme && m_backgroundColor.isValid())
        return m_backgroundColor;
    return QtMaterialStyle::instance().colorFor(QStringLiteral("border"));
}

void QtMaterialProgress::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool disabled = testAttribute(Qt::WA_Disabled);
    painter.setBrush(disabled ? QtMaterialStyle::instance().colorFor(QStringLiteral("disabled")) : backgroundColor());
    painter.setPen(Qt::NoPen);
    QPainterPath track;
    track.addRoundedRect(0, height() / 2 - 3, width(), 6, 3, 3);
    painter.setClipPath(track);
    painter.drawRect(rect());
    if (disabled)
        return;
    painter.setBrush(progressColor());
    if (m_progressType == Indeterminate) {
        painter.drawRect(int(width() * m_delegate->offset() * 2 - width()), 0, width(), height());
    } else if (maximum() > minimum()) {
        const qint64 filled = qint64(value() - minimum()) * width() / (maximum() - minimum());
        painter.drawRect(0, 0, int(filled), height());
    }
}
