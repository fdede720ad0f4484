#include "FramelessWindow.h"

#include <QWidget>
#include <QWindow>

// X11 and Wayland: the toolkit's frameless hint removes the decoration, and
// the window manager takes edge drags and moves through QWindow. There is no
// compositor call for a shadow and no extra frame around a maximised window.
namespace FramelessWindow {

void makeFrameless(QWidget* window)
{
    if (window)
        window->setWindowFlags(window->windowFlags() | Qt::Window | Qt::FramelessWindowHint);
}

void setResizable(QWidget* window, bool resizable)
{
    if (!window)
        return;
    const bool visible = window->isVisible();
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowMaximizeButtonHint, resizable);
    if (flags != window->windowFlags())
        window->setWindowFlags(flags);
    // Changing the flags hides a top-level window.
    if (visible && !window->isVisible())
        window->show();
}

void extendFrameIntoClientArea(QWidget*)
{ }

QMargins nativeMaximizedFrame(QWidget*)
{
    return QMargins();
}

bool startSystemResize(QWidget* window, Qt::Edges edges)
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle && edges && handle->startSystemResize(edges);
}

bool startSystemMove(QWidget* window)
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle && handle->startSystemMove();
}

} // namespace FramelessWindow
