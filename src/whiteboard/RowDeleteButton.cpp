#include "RowDeleteButton.h"

#include "whiteboard/CourseRow.h"

#include <QEvent>

RowDeleteButton::RowDeleteButton(QWidget* row)
    : QPushButton(row)
{
    setObjectName(QStringLiteral("deleteButton"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(16, 16);
    setStyleSheet(CourseRow::IconButtonStyle(QStringLiteral("courseware_icon_close.png")));
    hide();
    row->installEventFilter(this);
}

bool RowDeleteButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && CourseRow::IsBoardTeacher()) {
        connect(this, &QPushButton::clicked, this, &RowDeleteButton::DeleteRequested, Qt::UniqueConnection);
        show();
        raise();
    } else if (event->type() == QEvent::Leave) {
        disconnect(this, &QPushButton::clicked, this, &RowDeleteButton::DeleteRequested);
        hide();
    }
    return QPushButton::eventFilter(watched, event);
}
