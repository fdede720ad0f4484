#pragma once

#include <QListWidget>

// A list whose rows each show one widget (course cards, page thumbnails,
// media rows): no focus frame, no horizontal scroll bar. Clearing the list
// or removing a row deletes the row's widget with it.
class RowList : public QListWidget
{
    Q_OBJECT

protected:
    explicit RowList(QWidget* parent);

    // Appends a selectable row of the given size that shows widget.
    void AppendRow(QWidget* widget, const QSize& size);
    // Deletes the row at index together with its widget.
    void RemoveRow(int index);
};
