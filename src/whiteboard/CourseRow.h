#pragma once

#include <QString>

class QEvent;
class QObject;
class QRect;
class QWidget;
class RoundProgressBar;

// What the course-page rows and the media rows share, and their two lists
// with them: who may act on a row, the row's picture buttons, its upload
// gauge and the lists' scroll bar. GUI thread.
namespace CourseRow {

// Whether the local user is a teacher holding the whiteboard right: who
// turns pages, switches media and deletes rows for the room.
bool IsBoardTeacher();
// Shows a notice of the class room on the centre panel.
void Notify(int notice);
// A row's picture button (the delete and refresh buttons) showing picture
// from the display scale's course-list folder.
QString IconButtonStyle(const QString& picture);
// The progress gauge of an upload, hidden until laid out.
RoundProgressBar* MakeGauge(QWidget* parent);
// Shows a gauge that has not reached 100 over the thumbnail's middle.
void PlaceGauge(RoundProgressBar* gauge, const QRect& thumbnail);
// Whether event is a left button press on target.
bool IsLeftPress(const QObject* watched, const QObject* target, const QEvent* event);
// The thin vertical scroll bar both lists wear.
QString ScrollBarStyle();

} // namespace CourseRow
