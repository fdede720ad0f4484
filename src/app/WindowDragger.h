#pragma once

#include <QPoint>
#include <QWidget>

// A bar that moves its window when dragged: the parent's parent when there
// is one, else the parent. A double click is reported, not acted on.
class WindowDragger : public QWidget
{
    Q_OBJECT

public:
    explicit WindowDragger(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // The window that a drag moves.
    QWidget* DragTarget() const;

private:
    bool m_pressed = false;
    // The window system is asked once per press to take the move over.
    bool m_systemMoveTried = false;
    QPoint m_pressGlobal;
    QPoint m_windowPos;
};
