#include "CourseItem.h"

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

CourseItem::CourseItem(const QRect& timeGeometry, QWidget* parent)
    : QWidget(parent)
    , m_timeGeometry(timeGeometry)
{
    m_picture = new QLabel(this);
    m_picture->setScaledContents(true);
    m_title = new QLabel(this);
    m_time = new QLabel(this);
    m_teacher = new QLabel(this);
    m_courseType = new QPushButton(this);
    m_action = new QPushButton(this);
    m_action->setCursor(Qt::PointingHandCursor);
}

void CourseItem::SetTitle(const QString& text)
{
    m_title->setText(text);
}

void CourseItem::SetCourseType(const QString& text)
{
    m_courseType->setText(text);
}

void CourseItem::SetTimeText(const QString& text, const QString& styleSheet)
{
    m_time->setText(text);
    if (!styleSheet.isEmpty())
        m_time->setStyleSheet(styleSheet);
}

void CourseItem::SetTeacherText(const QString& text)
{
    m_teacher->setText(text);
}

QString CourseItem::GetTitle() const
{
    return m_title->text();
}

QString CourseItem::GetCourseType() const
{
    return m_courseType->text();
}

QString CourseItem::GetTimeText() const
{
    return m_time->text();
}

QString CourseItem::GetTimeStyle() const
{
    return m_time->styleSheet();
}

QString CourseItem::GetTeacherText() const
{
    return m_teacher->text();
}

bool CourseItem::HasPicture() const
{
    return !m_picture->pixmap(Qt::ReturnByValue).isNull();
}

void CourseItem::LayoutIn(QListWidget* list)
{
    if (list == nullptr)
        return;
    const int cardWidth = list->width();
    setGeometry(0, 0, cardWidth, 180);
    m_picture->setGeometry(10, 12, 199, 150);
    m_title->setGeometry(227, 22, 600, 22);
    m_courseType->setGeometry(227, 55, 60, 25);
    m_time->setGeometry(m_timeGeometry);
    m_teacher->setGeometry(227, 133, 200, 20);
    m_action->setGeometry(cardWidth - 147, 54, 120, 38);
    m_action->setVisible(!m_action->text().isEmpty());
    show();
}

void CourseItem::OnDownloadFinished()
{
    m_picture->setPixmap(QPixmap(m_picturePath));
    m_picture->show();
}
