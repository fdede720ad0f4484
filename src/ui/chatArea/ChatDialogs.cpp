#include "ChatDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
ChatDialogs Defaults()
{
    ChatDialogs dialogs;
    dialogs.getSaveFileName
        = [](QWidget* parent, const QString& caption, const QString& folder, const QString& filter) {
              return QFileDialog::getSaveFileName(parent, caption, folder, filter);
          };
    dialogs.getOpenFileNames
        = [](QWidget* parent, const QString& caption, const QString& folder, const QString& filter) {
              return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
          };
    dialogs.warning = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text, QMessageBox::Ok);
    };
    return dialogs;
}
} // namespace

ChatDialogs& ChatDialogs::Instance()
{
    static ChatDialogs dialogs = Defaults();
    return dialogs;
}

void ChatDialogs::Reset()
{
    Instance() = Defaults();
}
