#pragma once

#include <QWidget>

#include "room/MenuBar.h"

// Holder of the class room's bottom tool bar.
class BottomArea : public QWidget
{
    Q_OBJECT

public:
    explicit BottomArea(QWidget* parent = nullptr);

    MenuBar* GetMenuBar() { return &m_menuBar; }
    void SetupLayout(QWidget* window);

signals:
    void CleanUp();

public slots:
    void OnCleanUp();

private:
    MenuBar m_menuBar;
};
