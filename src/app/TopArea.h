#pragma once

#include <QWidget>

// The band across the top of the main window that hosts the title bar.
class TopArea : public QWidget
{
    Q_OBJECT

public:
    explicit TopArea(QWidget* parent = nullptr);

    void SetupLayout(QWidget* window);
};
