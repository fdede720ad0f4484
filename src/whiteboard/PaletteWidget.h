#pragma once

#include <QColor>
#include <QLabel>
#include <QTimer>

class QPushButton;

// The whiteboard's tool bar at the bottom of the course area: laser
// pointer, pencil, text, line, rectangle, eraser, undo, redo and colour for
// a user who holds the whiteboard right, nothing for anybody else. It marks
// the board's tool, shows the colour in use, and opens the colour box and
// the text-size picker while the mouse is on their buttons. GUI thread; the
// session thread emits ShowPalette() after the local user's whiteboard
// right changed, and the centre panel wires the buttons to the board.
class PaletteWidget : public QLabel
{
    Q_OBJECT

public:
    enum Button { Laser, Pencil, Text, Line, Rect, Eraser, Clear, Undo, Redo, Color, ZoomIn, ZoomOut, ButtonCount };

    explicit PaletteWidget(QWidget* parent = nullptr);

    // Widget the palette is laid out in (the course area).
    void SetAnchor(QWidget* anchor) { m_anchor = anchor; }
    QWidget* GetAnchor() const { return m_anchor; }
    // Current tool (1 rectangle ... 6 laser, 7 and 8 zoom), 0 for none.
    int GetCurrentShape() const { return m_currentShape; }
    QPushButton* GetButton(Button button) const { return m_buttons[button]; }

signals:
    void ShapeBarChanged(int type);
    void ShowPalette();
    void ColorChanged(QColor color);

public slots:
    void OnShapeBarChanged(int type);
    void OnShowPalette();
    void OnColorChanged(QColor color);

protected:
    // Enter and leave on the colour and text buttons and their pop-ups:
    // a pop-up shows while the mouse is on either, and closes a second
    // after it left both.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The button's style: normal, or marked as the current tool.
    QString ButtonStyle(int button, bool marked) const;
    // The button of a tool code, -1 for none.
    static int ButtonOfTool(int tool);

    QWidget* m_anchor = nullptr;
    QPushButton* m_buttons[ButtonCount] = {};
    QTimer m_colorHideTimer;
    QTimer m_textHideTimer;
    int m_currentShape = 0;
    // After its first use the eraser's normal picture is "eraser".
    bool m_eraserUsed = false;
};
