#pragma once

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

class Shape;

// Which shape of a board lies under a board point: the eraser's and the
// text mover's tests. Pure functions over a board's entries (bottom first),
// run on copies, so they never hold the board lock. Texts are measured with
// the font they are drawn with on a canvas of the given pixel size, and
// their size is taken back into board units; without a canvas size no text
// is hit.
namespace BoardHitTest {

// The font a text of fontSize is measured with on a canvas canvasHeight
// pixels high.
QFont TextFont(int fontSize, int canvasHeight);

// The shape the eraser hovers: the lowest one under point (a rectangle's
// area, two board units beside a lone line, the area a pen stroke
// encloses, a text's box). Its id, empty when none.
QString EraserHit(const QVector<const Shape*>& entries, const QPoint& point, const QSize& canvas);

// The lowest text whose lines lie under point, or null.
const Shape* TextHit(const QVector<const Shape*>& entries, const QPoint& point, const QSize& canvas);

} // namespace BoardHitTest
