#pragma once

class QWidget;

// How a screen area settles into the window it is laid out in.
namespace Placement {

// Moves widget into host unless it is there already. A null host is logged
// with nullHostLog and refused (false).
bool MoveInto(QWidget* widget, QWidget* host, const char* nullHostLog);

} // namespace Placement
