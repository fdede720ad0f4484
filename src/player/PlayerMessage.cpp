#include "PlayerMessage.h"

#include <QDebug>

namespace PlayerMessage {

QMessageBox* Show(
    QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text, Qt::TextFormat format)
{
    qDebug() << "[player] message box:" << title << text;
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setTextFormat(format);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

} // namespace PlayerMessage
