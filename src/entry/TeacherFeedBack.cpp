#include "TeacherFeedBack.h"

TeacherFeedBack::TeacherFeedBack(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TeacherFeedBack"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

void TeacherFeedBack::OnShowDialog()
{
    if (isVisible()) {
        lower();
        hide();
        return;
    }
    if (QWidget* host = parentWidget())
        move((host->width() - width()) / 2, (host->height() - height()) / 2);
    raise();
    show();
}

void TeacherFeedBack::OnHideDialog()
{
    hide();
}
