#include "FramelessWindow.h"

#include <QtMath>

namespace FramelessWindow {

Qt::Edges edgesAt(const QRect& frame, const QPoint& cursor, int border, const QSize& minSize, const QSize& maxSize)
{
    Qt::Edges edges;
    if (border <= 0 || !frame.contains(cursor))
        return edges;
    const bool horizontal = minSize.width() != maxSize.width();
    const bool vertical = minSize.height() != maxSize.height();
    if (horizontal) {
        if (cursor.x() > frame.right() - border)
            edges |= Qt::RightEdge;
        else if (cursor.x() < frame.left() + border)
            edges |= Qt::LeftEdge;
    }
    if (vertical) {
        if (cursor.y() < frame.top() + border)
            edges |= Qt::TopEdge;
        else if (cursor.y() > frame.bottom() - border)
            edges |= Qt::BottomEdge;
    }
    return edges;
}

Qt::CursorShape cursorFor(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge;
    const bool right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge;
    const bool bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

QRect resizedGeometry(
    const QRect& start, Qt::Edges edges, const QPoint& delta, const QSize& minSize, const QSize& maxSize)
{
    QRect rect = start;
    if (edges & Qt::LeftEdge) {
        const int width = qBound(minSize.width(), start.width() - delta.x(), maxSize.width());
        rect.setLeft(start.right() - width + 1);
    } else if (edges & Qt::RightEdge) {
        rect.setWidth(qBound(minSize.width(), start.width() + delta.x(), maxSize.width()));
    }
    if (edges & Qt::TopEdge) {
        const int height = qBound(minSize.height(), start.height() - delta.y(), maxSize.height());
        rect.setTop(start.bottom() - height + 1);
    } else if (edges & Qt::BottomEdge) {
        rect.setHeight(qBound(minSize.height(), start.height() + delta.y(), maxSize.height()));
    }
    return rect;
}

QMargins maximizedMargins(const QMargins& stored, const QMargins& nativeFrame, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int left = qRound(nativeFrame.left() / ratio);
    const int right = qRound(nativeFrame.right() / ratio);
    const int bottom = qRound(nativeFrame.bottom() / ratio);
    return QMargins(stored.left() + left, stored.top() + bottom, stored.right() + right, stored.bottom() + bottom);
}

} // namespace FramelessWindow
