#include "QtMaterialOverlayWidget.h"

#include <QEvent>

QtMaterialOverlayWidget::QtMaterialOverlayWidget(QWidget* parent)
    : QPushButton(parent)
{
    if (parent != nullptr)
        parent->installEventFilter(this);
}

bool QtMaterialOverlayWidget::event(QEvent* event)
{
    if (parentWidget() != nullptr && event->type() == QEvent::ParentChange) {
        parentWidget()->installEventFilter(this);
        setGeometry(coverRect());
    } else if (parentWidget() != nullptr && event->type() == QEvent::ParentAboutToChange) {
        parentWidget()->removeEventFilter(this);
    }
    return QPushButton::event(event);
}

bool QtMaterialOverlayWidget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        click();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        setGeometry(coverRect());
        break;
    default:
        break;
    }
    return QPushButton::eventFilter(watched, event);
}

QRect QtMaterialOverlayWidget::coverRect() const
{
    return parentWidget() != nullptr ? parentWidget()->rect() : QRect();
}
