#include "HisSchoolItem.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

HisSchoolItem::HisSchoolItem(QWidget* parent)
    : CourseItem(QRect(261, 103, 480, 20), parent)
{
    setObjectName(QStringLiteral("HisSchoolItem"));
    m_action->setText(QStringLiteral("查看回放"));
    connect(m_action, &QPushButton::clicked, this, &HisSchoolItem::OnRoomEntry);
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
    if (!m_hasRecord)
        return;
    // The address came from the web service: only web pages are opened.
    const QUrl url(m_recordUrl);
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        QDesktopServices::openUrl(url);
}
