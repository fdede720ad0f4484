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

// A painter on the widget with smooth scaling; round clips it to the ellipse
// inscribed in the widget.
void Prepare(QPainter& painter, const QWidget* widget, bool round);

// Draws the whole picture scaled into the widget's whole rectangle.
void Draw(QPainter& painter, const QWidget* widget, const QPixmap& picture);

} // namespace DpiPixmap
