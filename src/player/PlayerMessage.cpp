#include "PlayerMessage.h"

#include <QDebug>

namespace PlayerMessage {

QMessageBox* Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    qDebug() << "[player] message box:" << title << text;
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

} // namespace PlayerMessage
