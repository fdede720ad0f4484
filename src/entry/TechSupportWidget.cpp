#include "TechSupportWidget.h"

#include <QPushButton>

TechSupportWidget::TechSupportWidget(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("_HELP_WIDGET_"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void TechSupportWidget::InitUI()
{
    resize(359, 451);
    if (m_title == nullptr) {
        m_title = new QLabel(QStringLiteral("联系技术支持"), this);
        m_title->setAlignment(Qt::AlignCenter);
        m_btnClose = new QPushButton(this);
        m_btnClose->setCursor(Qt::PointingHandCursor);
        connect(m_btnClose, &QPushButton::clicked, this, &QWidget::hide);
    }
    m_title->setGeometry((width() - 144) / 2, 160, 144, 24);
    m_btnClose->setGeometry(width() - 40, 12, 24, 24);
}
