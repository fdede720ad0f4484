#pragma once

#include "PickerGrid.h"

#include <QColor>
#include <QPair>
#include <QString>
#include <QVector>

// The colour pop-up over the palette's colour button: six colours in a
// row. Picking one sets the board's pen and text colour. GUI thread; the
// centre panel shows and hides it.
class ColorBoxWidget : public PickerGrid
{
    Q_OBJECT

public:
    explicit ColorBoxWidget(QWidget* parent = nullptr)
        : PickerGrid(1, 6, 40, 40, parent)
    { }
};

// One colour: a rounded swatch.
class ColorBoxItemWidget : public PickerCell
{
    Q_OBJECT

public:
    ColorBoxItemWidget(const QString& name, const QColor& color, QWidget* parent = nullptr);

    QString GetColorName() const { return m_strColorName; }
    QColor GetColor() const { return m_color; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* m_swatch = nullptr;
    QColor m_color;
    QString m_strColorName;
};

class ColorBoxWindow : public PickerWindow
{
    Q_OBJECT

public:
    explicit ColorBoxWindow(QWidget* parent = nullptr);

    // The colours offered, by name (#RRGGBB), in order; the palette's
    // colour button shows image color<n> for the n-th (from 1).
    static const QVector<QPair<QString, QColor>>& Colors();

    void InitColorBox();
    // Sizes the window to its grid (the arguments are not used).
    void showColorBox(int x, int y);
    ColorBoxWidget* GetGrid() const { return m_ColorBoxWidget; }

private:
    ColorBoxWidget* m_ColorBoxWidget = nullptr;
};
