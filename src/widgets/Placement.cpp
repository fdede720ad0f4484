#include "Placement.h"

#include <QDebug>
#include <QWidget>

namespace Placement {

bool MoveInto(QWidget* widget, QWidget* host, const char* nullHostLog)
{
    if (host == nullptr) {
        qDebug() << nullHostLog;
        return false;
    }
    if (widget->parentWidget() != host)
        widget->setParent(host);
    return true;
}

void CentreDialogOver(QWidget* dialog, QWidget* host)
{
    if (host == nullptr)
        return;
    if (dialog->parentWidget() != host)
        dialog->setParent(host, dialog->windowFlags());
    // A window is placed in screen coordinates, not in its parent's.
    const QPoint offset((host->width() - dialog->width()) / 2, (host->height() - dialog->height()) / 2);
    dialog->move(host->mapToGlobal(offset));
}

} // namespace Placement
