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

} // namespace Placement
