#pragma once

#include <QColor>
#include <QLabel>

// The whiteboard's tool bar at the bottom of the course area. The session
// thread emits ShowPalette() after the local user's whiteboard right changed.
class PaletteWidget : public QLabel
{
    Q_OBJECT

public:
    explicit PaletteWidget(QWidget* parent = nullptr);

    // Widget the palette is laid out in (the course area).
    void SetAnchor(QWidget* anchor) { m_anchor = anchor; }
    QWidget* GetAnchor() const { return m_anchor; }
    // Current tool (1 rectangle ... 6 laser, 7 and 8 zoom), 0 for none.
    int GetCurrentShape() const { return m_currentShape; }

signals:
    void ShapeBarChanged(int type);
    void ShowPalette();
    void ColorChanged(QColor color);

public slots:
    void OnShapeBarChanged(int type);
    void OnShowPalette();
    void OnColorChanged(QColor color);

private:
    QWidget* m_anchor = nullptr;
    int m_currentShape = 0;
};
