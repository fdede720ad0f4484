#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

class QWidget;

// What a window without the system's title bar and border needs from the
// window system: resizing from its edges, moving, and the frame it gets when
// the system maximises it. The rules are pure functions; the calls into the
// window system live in the platform's implementation.
namespace FramelessWindow {

// The resize edges under cursor (window coordinates) for a window frame,
// border width border and the window's minimum and maximum sizes. Left and
// right count only when the widths may change, top and bottom only when the
// heights may; a corner needs both. Right wins over left and top over bottom
// when the window is narrower than two borders. Outside the frame: none.
Qt::Edges edgesAt(const QRect& frame, const QPoint& cursor, int border, const QSize& minSize, const QSize& maxSize);

// The cursor shape shown over the edges; Qt::ArrowCursor for none.
Qt::CursorShape cursorFor(Qt::Edges edges);

// The geometry after dragging the edges of start by delta, kept within the
// minimum and maximum sizes; the opposite edges stay where they were.
QRect resizedGeometry(
    const QRect& start, Qt::Edges edges, const QPoint& delta, const QSize& minSize, const QSize& maxSize);

// The content margins of a window maximised by the system: stored plus the
// native frame (in device pixels) divided by the pixel ratio and rounded.
// The bottom thickness stands for the top as well, which keeps the content
// inside the screen whatever the caption height.
QMargins maximizedMargins(const QMargins& stored, const QMargins& nativeFrame, qreal devicePixelRatio);

// ---- window-system calls ----

// Turns the window into a frameless top-level window.
void makeFrameless(QWidget* window);
// Shows or drops the maximise button and the native resize frame; keeps the
// window's visibility.
void setResizable(QWidget* window, bool resizable);
// Lets the system draw its shadow around the frameless window; nothing where
// the system has no such call.
void extendFrameIntoClientArea(QWidget* window);
// The frame the system adds around a maximised window, in device pixels.
QMargins nativeMaximizedFrame(QWidget* window);
// Hands an edge drag to the window system. False when it cannot take it;
// the caller then resizes the window itself.
bool startSystemResize(QWidget* window, Qt::Edges edges);
// Hands a move to the window system. False when it cannot take it; the
// caller then moves the window itself.
bool startSystemMove(QWidget* window);

} // namespace FramelessWindow
