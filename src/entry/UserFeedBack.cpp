#include "UserFeedBack.h"

#include <QDebug>

UserFeedBack::UserFeedBack(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UserFeedBack"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

void UserFeedBack::OnFeedbackAndDirectExt()
{
    if (m_score == 0) {
        qDebug() << "into OnFeedbackAndDirectExt score is 0";
        return;
    }
    qDebug() << "into UserFeedBack::OnFeedbackAndDirectExt, score:" << m_score;
}

void UserFeedBack::OnShowDialog()
{
    if (isVisible()) {
        lower();
        hide();
        return;
    }
    m_score = 0;
    if (QWidget* host = parentWidget())
        move((host->width() - width()) / 2, (host->height() - height()) / 2);
    raise();
    show();
}

void UserFeedBack::OnHideDialog()
{
    hide();
}

void UserFeedBack::OnScoreBtnPressed(int index)
{
    if (index < 1 || index > 5)
        return;
    m_score = index;
}
