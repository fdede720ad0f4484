#include "SchoolItem.h"

#include "app/Nexus.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

SchoolItem::SchoolItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SchoolItem"));
    m_picture = new QLabel(this);
    m_picture->setScaledContents(true);
    m_title = new QLabel(this);
    m_time = new QLabel(this);
    m_teacher = new QLabel(this);
    m_courseType = new QPushButton(this);
    m_enter = new QPushButton(this);
    m_enter->setCursor(Qt::PointingHandCursor);
    m_details = new QPushButton(this);
    m_details->setCursor(Qt::PointingHandCursor);
    connect(m_enter, &QPushButton::clicked, this, &SchoolItem::OnRoomEntry);
}

void SchoolItem::SetTitle(const QString& text)
{
    m_title->setText(text);
}

void SchoolItem::SetCourseType(const QString& text)
{
    m_courseType->setText(text);
}

void SchoolItem::SetTimeText(const QString& text, const QString& styleSheet)
{
    m_time->setText(text);
    if (!styleSheet.isEmpty())
        m_time->setStyleSheet(styleSheet);
}

void SchoolItem::SetTeacherText(const QString& text)
{
    m_teacher->setText(text);
}

void SchoolItem::SetDetailsText(const QString& text)
{
    m_details->setText(text);
}

void SchoolItem::SetEnterText(const QString& text)
{
    m_enter->setText(text);
}

void SchoolItem::SetEnterStyle(const QString& styleSheet)
{
    m_enter->setStyleSheet(styleSheet);
}

QString SchoolItem::GetTitle() const
{
    return m_title->text();
}

QString SchoolItem::GetCourseType() const
{
    return m_courseType->text();
}

QString SchoolItem::GetTimeText() const
{
    return m_time->text();
}

QString SchoolItem::GetTimeStyle() const
{
    return m_time->styleSheet();
}

QString SchoolItem::GetTeacherText() const
{
    return m_teacher->text();
}

QString SchoolItem::GetDetailsText() const
{
    return m_details->text();
}

QString SchoolItem::GetEnterText() const
{
    return m_enter->text();
}

QString SchoolItem::GetEnterStyle() const
{
    return m_enter->styleSheet();
}

bool SchoolItem::HasPicture() const
{
    return !m_picture->pixmap(Qt::ReturnByValue).isNull();
}

void SchoolItem::LayoutIn(QListWidget* list)
{
    if (list == nullptr)
        return;
    const int cardWidth = list->width();
    setGeometry(0, 0, cardWidth, 180);
    m_picture->setGeometry(10, 12, 199, 150);
    m_title->setGeometry(227, 22, 600, 22);
    m_courseType->setGeometry(227, 55, 60, 25);
    m_time->setGeometry(270, 103, 400, 20);
    m_teacher->setGeometry(227, 133, 200, 20);
    m_enter->setGeometry(cardWidth - 147, 54, 120, 38);
    m_enter->setVisible(!m_enter->text().isEmpty());
    m_details->setGeometry(cardWidth - 129, 103, 84, 16);
    show();
}

void SchoolItem::OnRoomEntry()
{
    if (m_onLeave)
        return;
    // Runs in the GUI thread by design: it only copies the session over.
    if (DataManager* data = Nexus::GetDataManager())
        data->OnRoomEntry(m_sessionId);
}

void SchoolItem::OnDownloadFinished()
{
    m_picture->setPixmap(QPixmap(m_picturePath));
    m_picture->show();
}
