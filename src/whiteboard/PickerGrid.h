#pragma once

#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

// What the palette's two pop-ups (colours and text sizes) share: a one-row
// grid of square cells, each cell a white square with a small picture and a
// red mark under it, and a window sized to its grid. GUI thread.

// The grid: fixed cells, no scroll bars, headers, focus or editing.
class PickerGrid : public QTableWidget
{
    Q_OBJECT

public:
    PickerGrid(int rows, int columns, int cellWidth, int cellHeight, QWidget* parent = nullptr);

    // Puts cell at the index (rows filled left to right) under key.
    void AddCell(int index, const QString& key, QWidget* cell);
    // The cells' keys in the order they were added.
    QStringList GetKeys() const { return m_keys; }

protected:
    int m_rowCount;
    int m_columnCount;
    int m_columnWidth;
    int m_rowHeight;
    QStringList m_keys;
};

// One cell: its mark shows while the mouse is over it, and always while
// the cell is the one chosen.
class PickerCell : public QLabel
{
    Q_OBJECT

public:
    explicit PickerCell(QWidget* parent = nullptr);

    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected);
    bool IsMarked() const;

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

    QLabel* m_mark = nullptr;
    bool m_selected = false;
};

// The pop-up: one grid filling it, built on its first showing.
class PickerWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PickerWindow(QWidget* parent = nullptr);

    // Whether the grid was built.
    bool HasGrid() const { return m_grid != nullptr; }

protected:
    // Takes grid as the window's content.
    void SetGrid(PickerGrid* grid);
    // Fixes the window to the grid's size and logs both, each line
    // starting with logPrefix and naming the grid as gridName.
    void FitToGrid(const char* logPrefix, const char* gridName);

    PickerGrid* m_grid = nullptr;
};
