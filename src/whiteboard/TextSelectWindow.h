#pragma once

#include "PickerGrid.h"

#include <QMap>
#include <QString>

class QTableWidget;

// The text-size pop-up over the palette's text button: small, middle and
// large. Picking one takes up the text tool with that size; the choice
// stays marked. GUI thread; the centre panel shows and hides it.
class TextSelectWidget : public PickerGrid
{
    Q_OBJECT

public:
    explicit TextSelectWidget(QWidget* parent = nullptr)
        : PickerGrid(1, 3, 40, 40, parent)
    { }
};

// One size: its label drawn at that size.
class TextSelectItem : public PickerCell
{
    Q_OBJECT

public:
    TextSelectItem(const QString& label, int size, QWidget* parent = nullptr);

    int GetSize() const { return m_size; }
    QString GetSizeDesc() const { return m_strSizeDesc; }
    // The grid the cell sits in, whose other cells a choice unmarks.
    void SetGrid(QTableWidget* grid) { m_grid = grid; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_size;
    QTableWidget* m_grid = nullptr;
    QLabel* m_label = nullptr;
    QString m_strSizeDesc;
};

class TextSelectWindow : public PickerWindow
{
    Q_OBJECT

public:
    explicit TextSelectWindow(QWidget* parent = nullptr);

    // Size to label, by size.
    static const QMap<int, QString>& Sizes();

    void InitTextSelectBox();
    // Sizes the window to its grid (the arguments are not used).
    void showTextSelectBox(int x, int y);
    TextSelectWidget* GetGrid() const { return m_TextSelectWidget; }

private:
    TextSelectWidget* m_TextSelectWidget = nullptr;
};
