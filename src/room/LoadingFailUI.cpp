#include "LoadingFailUI.h"

#include "app/Nexus.h"
#include "widgets/Placement.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>

LoadingFailUI::LoadingFailUI(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("LoadingFailUI"));
    setStyleSheet(QStringLiteral("#LoadingFailUI{background-color: rgb(255, 255, 255);border:0px;}"));
    m_picture = new QLabel(this);
    m_picture->setFixedSize(285, 194);
    m_title = new QLabel(QStringLiteral("咦，小维好像迷路了"), this);
    m_title->setAlignment(Qt::AlignCenter);
    m_reason = new QLabel(QStringLiteral("错误代码:"), this);
    m_reason->setAlignment(Qt::AlignCenter);
    m_btnReturn = new QPushButton(this);
    m_btnReturn->setFixedSize(80, 30);
    m_btnReturn->move(20, 33);
    m_btnReturn->setCursor(Qt::PointingHandCursor);
    connect(this, &LoadingFailUI::ValueChanged, this, &LoadingFailUI::OnValueChanged);
    connect(m_btnReturn, &QPushButton::clicked, this, &LoadingFailUI::OnUserReturn);
}

int LoadingFailUI::SetupLayout(QWidget* window, int top)
{
    if (!Placement::MoveInto(this, window, "[Error], in LoadingFailUI::SetupLayout, _widget is NULL"))
        return -1;
    m_window = window;
    const int height = window->height() - top;
    setGeometry(0, top, window->width(), height);

    const int pictureY = height / 2 - m_picture->height();
    m_picture->move((width() - m_picture->width()) / 2, pictureY);
    const int titleY = pictureY + m_picture->height() + 40;
    m_title->setGeometry((width() - 300) / 2, titleY, 300, 30);
    m_reason->setGeometry((width() - 400) / 2, titleY + 30 + 15, 400, 30);
    m_picture->show();
    m_title->show();
    m_reason->show();
    show();
    return 0;
}

QString LoadingFailUI::GetReasonText() const
{
    return m_reason->text();
}

void LoadingFailUI::OnValueChanged(QString reason)
{
    qDebug() << "into LoadingFailUI::OnValueChanged, and value:" << reason;
    m_reason->setText(QStringLiteral("错误原因:") + reason);
}

void LoadingFailUI::OnUserReturn()
{
    // The hub relays the phase to the main window.
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateLoginProgress(256);
}
