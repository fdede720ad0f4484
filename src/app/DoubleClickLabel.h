#pragma once

#include <QLabel>

// A label that reports a double click with the left button.
class DoubleClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit DoubleClickLabel(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
