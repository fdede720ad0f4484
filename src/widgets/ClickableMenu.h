#pragma once

#include <QMenu>

// A menu whose entries can be triggered one after another without the menu
// closing (the player's drop-down menus of switches).
class ClickableMenu : public QMenu
{
    Q_OBJECT

public:
    explicit ClickableMenu(const QString& title, QWidget* parent = nullptr);
    explicit ClickableMenu(QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
