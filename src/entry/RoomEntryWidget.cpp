#include "RoomEntryWidget.h"

#include <QDebug>

RoomEntryWidget::RoomEntryWidget(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("RoomEntryWidget"));
    hide();
}

void RoomEntryWidget::ShowRoomEntry()
{
    if (isVisible()) {
        hide();
        return;
    }
    show();
    raise();
}

int RoomEntryWidget::OnUsrLogin()
{
    qDebug() << "into RoomEntryWidget::OnUsrLogin";
    return 0;
}
