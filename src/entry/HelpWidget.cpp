#include "HelpWidget.h"

#include "TechSupportWidget.h"
#include "widgets/Placement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kHeight = 24;
constexpr int kBottomMargin = 36;
} // namespace

HelpWidget::HelpWidget(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("HelpWidget"));
    setStyleSheet(QStringLiteral("#HelpWidget{background:transparent;border:0px;}"));
    m_question = new QLabel(QStringLiteral("遇到问题?"), this);
    m_question->setStyleSheet(QStringLiteral("color:#898989;font:13px Microsoft YaHei;border:0px;"));
    m_link = new QPushButton(QStringLiteral("查看在线帮助"), this);
    m_link->setObjectName(QStringLiteral("btnHelpLink"));
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setFocusPolicy(Qt::NoFocus);
    m_link->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background:transparent;color:#4092ff;font:13px Microsoft YaHei;}"
                       "QPushButton::hover{color:#006eff;}"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_question);
    layout->addWidget(m_link);
    connect(m_link, &QPushButton::clicked, this, &HelpWidget::OnLinkJump);
}

int HelpWidget::SetupLayout(QWidget* host)
{
    if (!Placement::MoveInto(this, host, "[Error], in HelpWidget::SetupLayout, _widget is NULL"))
        return -1;
    ensurePolished();
    const int width = sizeHint().width();
    setGeometry((host->width() - width) / 2, host->height() - kBottomMargin - kHeight, width, kHeight);
    show();
    raise();
    return 0;
}

void HelpWidget::OnLinkJump()
{
    TechSupportWidget::OpenHelpPage("HelpWidget::OnLinkJump");
}
