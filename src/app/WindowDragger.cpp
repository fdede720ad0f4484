#include "WindowDragger.h"

#include "platform/FramelessWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

WindowDragger::WindowDragger(QWidget* parent)
    : QWidget(parent)
{ }

QWidget* WindowDragger::DragTarget() const
{
    QWidget* parent = parentWidget();
    if (!parent)
        return nullptr;
    return parent->parentWidget() ? parent->parentWidget() : parent;
}

void WindowDragger::mousePressEvent(QMouseEvent* event)
{
    QWidget* target = DragTarget();
    if (event->button() != Qt::LeftButton || !target) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_systemMoveTried = false;
    m_pressGlobal = event->globalPos();
    m_windowPos = target->pos();
    event->accept();
}

void WindowDragger::mouseMoveEvent(QMouseEvent* event)
{
    QWidget* target = DragTarget();
    if (!m_pressed || !target) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint travel = event->globalPos() - m_pressGlobal;
    if (travel.isNull())
        return;
    // Not at the press itself: a double click must still reach us, and the
    // window system keeps the pointer once it has taken a move over.
    if (!m_systemMoveTried) {
        m_systemMoveTried = true;
        if (FramelessWindow::startSystemMove(target)) {
            m_pressed = false;
            return;
        }
    }
    target->move(m_windowPos + travel);
    event->accept();
}

void WindowDragger::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}

void WindowDragger::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    event->accept();
}

void WindowDragger::paintEvent(QPaintEvent*)
{
    // Lets style sheets paint the bar's background and border.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
