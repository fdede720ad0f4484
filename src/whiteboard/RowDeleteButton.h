#pragma once

#include <QPushButton>

// The small delete button at the top right of a course-page or media row:
// shown only while the pointer is over the row and the local user is a
// teacher holding the whiteboard right. Only then is its click wired to
// DeleteRequested, once however often the pointer enters. GUI thread.
class RowDeleteButton : public QPushButton
{
    Q_OBJECT

public:
    // Watches row for the pointer entering and leaving.
    explicit RowDeleteButton(QWidget* row);

signals:
    void DeleteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
