#include "ClickableMenu.h"

#include <QAction>
#include <QMouseEvent>

ClickableMenu::ClickableMenu(const QString& title, QWidget* parent)
    : QMenu(title, parent)
{ }

ClickableMenu::ClickableMenu(QWidget* parent)
    : QMenu(parent)
{ }

void ClickableMenu::mouseReleaseEvent(QMouseEvent* event)
{
    QAction* action = actionAt(event->pos());
    if (action == nullptr) {
        QMenu::mouseReleaseEvent(event);
        return;
    }
    // A separator or a disabled entry does nothing; the menu stays open
    // either way. Sub-menus open as in any menu.
    if (action->menu() != nullptr) {
        QMenu::mouseReleaseEvent(event);
        return;
    }
    if (!action->isSeparator() && action->isEnabled())
        action->activate(QAction::Trigger);
}
