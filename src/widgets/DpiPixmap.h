#pragma once

#include <QPixmap>
#include <QString>

class QPainter;
class QWidget;

// What the picture labels share: a backing picture prepared at the display's
// pixel ratio, and drawing it over the whole label. GUI thread.
namespace DpiPixmap {

// The file's picture; null when the file is no picture. A file larger
// than the widget is decoded straight at the widget's size (it is drawn
// into the whole widget anyway), so a huge picture never costs its full
// size in memory.
QPixmap Load(const QWidget* widget, const QString& path);
// The file decoded straight at the widget's size in device pixels (the
// whole file while the widget has no size yet); null when it is no picture.
QPixmap LoadAtShownSize(const QWidget* widget, const QString& path);
// The size in device pixels a picture of the widget is decoded at.
QSize ShownSize(const QWidget* widget);

// True when the widget has grown beyond a picture decoded for a smaller
// size, so it must be read again to stay sharp.
bool Outgrown(const QWidget* widget, const QPixmap& picture);

// A painter on the widget with smooth scaling; round clips it to the ellipse
// inscribed in the widget.
void Prepare(QPainter& painter, const QWidget* widget, bool round);

// Draws the whole picture scaled into the widget's whole rectangle.
void Draw(QPainter& painter, const QWidget* widget, const QPixmap& picture);

// The avatar shown for somebody without a readable picture, at a display
// scale folder ("x1", "x1.5", ...).
QString DefaultAvatar(const QString& scaleFolder);

} // namespace DpiPixmap
