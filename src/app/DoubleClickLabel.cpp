#include "DoubleClickLabel.h"

#include <QMouseEvent>

DoubleClickLabel::DoubleClickLabel(QWidget* parent)
    : QLabel(parent)
{ }

void DoubleClickLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    // Taken here, so the bar below does not act on the same double click.
    event->accept();
    emit doubleClicked();
}
