#pragma once

#include <QFrame>

// The classroom-password panel, shown outside a class room from the title
// bar's exit.
class RoomEntryWidget : public QFrame
{
    Q_OBJECT

public:
    explicit RoomEntryWidget(QWidget* parent = nullptr);

    // Shows the panel, or hides it when it is shown.
    void ShowRoomEntry();

public slots:
    // The password request: 0 when done, 16385 when it failed.
    int OnUsrLogin();
};
