#pragma once

#include <QLabel>

// The band across the top of the centre and right that takes the video
// tiles while three or more are shown.
class RightMiddleArea : public QLabel
{
    Q_OBJECT

public:
    explicit RightMiddleArea(QWidget* parent = nullptr);
    ~RightMiddleArea() override;

    void SetupLayout(QWidget* window);
};
