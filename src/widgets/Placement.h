#pragma once

class QWidget;

// How a screen area settles into the window it is laid out in.
namespace Placement {

// Moves widget into host unless it is there already. A null host is logged
// with nullHostLog and refused (false).
bool MoveInto(QWidget* widget, QWidget* host, const char* nullHostLog);

// Makes dialog a window of host (kept above it) and centres it over host,
// wherever host stands on the screen. Nothing without a host.
void CentreDialogOver(QWidget* dialog, QWidget* host);

} // namespace Placement
