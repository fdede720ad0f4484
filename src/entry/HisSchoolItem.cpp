#include "HisSchoolItem.h"

#include "entry/CourseCards.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

// The time line starts right after "时间: ": its green left border would
// otherwise cut through the caption.
HisSchoolItem::HisSchoolItem(QWidget* parent)
    : CourseItem(QRect(273, 103, 480, 20), QStringLiteral("HisSchoolItem"), parent)
{
    // Styled as filled from the start: a card made ahead is styled once.
    SetTimeText(QString(), QString::fromUtf8(CourseCards::kHistoryTimeStyle));
    m_action->setText(QStringLiteral("查看回放"));
    connect(m_action, &QPushButton::clicked, this, &HisSchoolItem::OnRoomEntry);
    connect(m_details, &QPushButton::clicked, this, &HisSchoolItem::OnRoomDetails);
}

void HisSchoolItem::SetReplayText(const QString& text)
{
    m_action->setText(text);
}

void HisSchoolItem::SetReplayStyle(const QString& styleSheet)
{
    m_action->setStyleSheet(styleSheet);
}

QString HisSchoolItem::GetReplayText() const
{
    return m_action->text();
}

QString HisSchoolItem::GetReplayStyle() const
{
    return m_action->styleSheet();
}

void HisSchoolItem::OnRoomEntry()
{
    if (m_hasRecord)
        OnRoomDetails();
}

void HisSchoolItem::OnRoomDetails()
{
    // The server's address unchanged ("xx" is ours, not the server's), and
    // only when it is a web page.
    const QUrl url = CourseCards::WebUrl(m_recordUrl);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}
