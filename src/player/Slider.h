#pragma once

#include <QSlider>

// The horizontal slider of the player's bars: it reports the pointer
// entering, leaving and hovering (with the value under it), and a left
// click beside the handle moves the handle there at once instead of paging.
class Slider : public QSlider
{
    Q_OBJECT

public:
    explicit Slider(QWidget* parent = nullptr);

signals:
    void onEnter();
    void onLeave();
    void onHover(int pos, int value);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The value at a pixel along the groove.
    int pixelPosToRangeValue(int pos) const;
};
