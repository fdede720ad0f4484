#pragma once

#include <QMessageBox>
#include <QString>

// The player's message boxes. They never block: a box opens beside the
// playing media and the room's messages keep arriving meanwhile. The text
// is shown as plain text, since it may quote an address from the room.
namespace PlayerMessage {

// Opens the box as a child of parent (it goes with it) and returns it; it
// deletes itself when closed. Rich text only for the program's own pages.
QMessageBox* Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
    Qt::TextFormat format = Qt::PlainText);

} // namespace PlayerMessage
