#pragma once

#include <QPixmap>
#include <QString>

class QPainter;
class QWidget;

// What the picture labels share: a backing picture prepared at the display's
// pixel ratio, and drawing it over the whole label. GUI thread.
namespace DpiPixmap {

// A picture of the widget's size at its device pixel ratio, filled
// transparent, then replaced by the file; null when the file is no picture.
QPixmap Load(const QWidget* widget, const QString& path);
// The file decoded straight at the widget's size in device pixels (the
// whole file while the widget has no size yet); null when it is no picture.
QPixmap LoadAtShownSize(const QWidget* widget, const QString& path);
// The size in device pixels a picture of the widget is decoded at.
QSize ShownSize(const QWidget* widget);

// A painter on the widget with smooth scaling; round clips it to the ellipse
// inscribed in the widget.
void Prepare(QPainter& painter, const QWidget* widget, bool round);

// Draws the whole picture scaled into the widget's whole rectangle.
void Draw(QPainter& painter, const QWidget* widget, const QPixmap& picture);

} // namespace DpiPixmap
