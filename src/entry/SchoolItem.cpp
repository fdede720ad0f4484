#include "SchoolItem.h"

#include "app/Nexus.h"
#include "entry/CourseCards.h"
#include "entry/SchoolEntryWidget.h"
#include "platform/Shell.h"
#include "session/DataManager.h"

#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

SchoolItem::SchoolItem(QWidget* parent)
    : CourseItem(QRect(270, 103, 400, 20), QStringLiteral("SchoolItem"), parent)
{
    m_hint = new QLabel(QStringLiteral("课前1小时才能进入哦~"), this);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setStyleSheet(QStringLiteral(
        "color: #ffffff;border-radius: 4px;background-color:rgba(0,0,0,0.7);font:16px Microsoft YaHei;"));
    m_hint->hide();
    m_action->installEventFilter(this);
    connect(m_action, &QPushButton::clicked, this, &SchoolItem::OnRoomEntry);
    connect(m_details, &QPushButton::clicked, this, &SchoolItem::OnRoomDetails);
}

void SchoolItem::SetEnterText(const QString& text)
{
    m_action->setText(text);
}

void SchoolItem::SetEnterStyle(const QString& styleSheet)
{
    m_action->setStyleSheet(styleSheet);
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
    CourseItem::LayoutIn(list);
    // Centred over the enter button, whatever the card's width.
    m_hint->setGeometry(m_action->geometry().center().x() - 92, 15, 184, 32);
    m_hint->raise();
}

void SchoolItem::OnRoomEntry()
{
    if (m_onLeave)
        return;
    // The session is copied over in the session thread, in order with a
    // course-list refresh that may rewrite the same room fields.
    if (DataManager* data = Nexus::GetDataManager()) {
        const QString id = GetSessionId();
        QMetaObject::invokeMethod(
            data, [data, id] { data->OnRoomEntry(id); }, Qt::QueuedConnection);
    }
}

void SchoolItem::OnRoomDetails()
{
    SchoolEntryWidget* home = Nexus::GetSchoolEntryWidget();
    const QUrl url = CourseCards::SiteUrl(m_detailsTemplate, home ? home->GetSchoolLabel() : QString(), GetSessionId());
    if (url.isValid())
        Shell::OpenUrl(url);
}

bool SchoolItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_action) {
        if (event->type() == QEvent::Leave) {
            if (m_hint->isVisible())
                m_hint->hide();
        } else if (event->type() == QEvent::Enter) {
            if (CourseCards::IsEarly(m_startTime, QDateTime::currentSecsSinceEpoch())) {
                m_hint->show();
                m_hint->raise();
            } else {
                // The hour has come: red for good, and no more checks.
                m_action->setStyleSheet(QString());
                m_action->removeEventFilter(this);
            }
        }
    }
    return CourseItem::eventFilter(watched, event);
}
