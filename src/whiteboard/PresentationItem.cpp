#include "PresentationItem.h"

#include "whiteboard/PresentationList.h"

#include <QLabel>

PresentationItem::PresentationItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PresentationItem"));
    m_numberLabel = new QLabel(this);
    m_badge = new QLabel(QStringLiteral("老师当前页"), this);
    m_badge->setAlignment(Qt::AlignCenter);
    m_badge->hide();
}

void PresentationItem::SetNumber(int number)
{
    m_number = number;
    m_numberLabel->setText(QString::number(number));
}

void PresentationItem::ShowCurrentPageBadge()
{
    m_badge->show();
    if (m_ownerList != nullptr)
        m_ownerList->SetFocusedItem(this);
}

void PresentationItem::HideCurrentPageBadge()
{
    m_badge->hide();
}

bool PresentationItem::IsBadgeShown() const
{
    return !m_badge->isHidden();
}
