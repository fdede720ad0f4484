#include "Slider.h"

#include <QDebug>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

Slider::Slider(QWidget* parent)
    : QSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setMouseTracking(true);
}

void Slider::enterEvent(QEvent* event)
{
    emit onEnter();
    QSlider::enterEvent(event);
}

void Slider::leaveEvent(QEvent* event)
{
    emit onLeave();
    QSlider::leaveEvent(event);
}

void Slider::mouseMoveEvent(QMouseEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const int handleLength = style()->pixelMetric(QStyle::PM_SliderLength, &option, this);
    const int value = QStyle::sliderValueFromPosition(
        minimum(), maximum(), event->x() - (handleLength - 1) / 2, width() - handleLength + 1, false);
    emit onHover(event->x(), value);
    QSlider::mouseMoveEvent(event);
}

void Slider::mousePressEvent(QMouseEvent* event)
{
    qDebug("pressed (%d, %d)", event->x(), event->y());
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (handle.contains(event->pos())) {
        QSlider::mousePressEvent(event);
        return;
    }
    qDebug("accept");
    event->accept();
    // The handle's centre goes to the click.
    const QPoint centre = handle.center() - handle.topLeft();
    const QPoint at = event->pos() - centre;
    const int value = pixelPosToRangeValue(orientation() == Qt::Horizontal ? at.x() : at.y());
    setSliderPosition(value);
    triggerAction(SliderMove);
    setRepeatAction(SliderNoAction, 500, 50);
    emit sliderMoved(value);
    emit sliderPressed();
}

int Slider::pixelPosToRangeValue(int pos) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    int sliderMin = 0;
    int sliderMax = 0;
    if (orientation() == Qt::Horizontal) {
        sliderMin = groove.x();
        sliderMax = groove.right() - handle.width() + 1;
    } else {
        sliderMin = groove.y();
        sliderMax = groove.bottom() - handle.height() + 1;
    }
    return QStyle::sliderValueFromPosition(
        minimum(), maximum(), pos - sliderMin, sliderMax - sliderMin, option.upsideDown);
}
