#pragma once

class QPainter;
class QSize;

// The painting of the class room's dialogs whose form sits 12 px inside
// them: a white panel with a soft grey shadow fading out over the margin.
namespace FrameShadow {
void Paint(QPainter& painter, const QSize& size);
}
