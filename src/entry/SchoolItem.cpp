#include "SchoolItem.h"

#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QListWidget>
#include <QPushButton>

SchoolItem::SchoolItem(QWidget* parent)
    : CourseItem(QRect(270, 103, 400, 20), parent)
{
    setObjectName(QStringLiteral("SchoolItem"));
    m_details = new QPushButton(this);
    m_details->setCursor(Qt::PointingHandCursor);
    connect(m_action, &QPushButton::clicked, this, &SchoolItem::OnRoomEntry);
}

void SchoolItem::SetDetailsText(const QString& text)
{
    m_details->setText(text);
}

void SchoolItem::SetEnterText(const QString& text)
{
    m_action->setText(text);
}

void SchoolItem::SetEnterStyle(const QString& styleSheet)
{
    m_action->setStyleSheet(styleSheet);
}

QString SchoolItem::GetDetailsText() const
{
    return m_details->text();
}

QString SchoolItem::GetEnterText() const
{
    return m_action->text();
}

QString SchoolItem::GetEnterStyle() const
{
    return m_action->styleSheet();
}

void SchoolItem::LayoutIn(QListWidget* list)
{
    if (list != nullptr)
        m_details->setGeometry(list->width() - 129, 103, 84, 16);
    CourseItem::LayoutIn(list);
}

void SchoolItem::OnRoomEntry()
{
    if (m_onLeave)
        return;
    // Runs in the GUI thread by design: it only copies the session over.
    if (DataManager* data = Nexus::GetDataManager())
        data->OnRoomEntry(GetSessionId());
}
