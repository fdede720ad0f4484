#include "QtMaterialOverlayWidget.h"

#include <QEvent>

QtMaterialOverlayWidget::QtMaterialOverlayWidget(QWidget* parent)
    : QPushButton(parent)
{
    if (parent)
        parent->installEventFilter(this);
}

bool QtMaterialOverlayWidget::event(QEvent* event)
{
    if (!parent())
        return QPushButton::event(event);
    switch (event->type()) {
    case QEvent::ParentChange:
        parent()->installEventFilter(this);
        setGeometry(coverRect());
        break;
    case QEvent::ParentAboutToChange:
        parent()->removeEventFilter(this);
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}

bool QtMaterialOverlayWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent()) {
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
    }
    return QPushButton::eventFilter(watched, event);
}

QRect QtMaterialOverlayWidget::coverRect() const
{
    return parentWidget() ? parentWidget()->rect() : QRect();
}
