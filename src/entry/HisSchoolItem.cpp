#include "HisSchoolItem.h"

#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

HisSchoolItem::HisSchoolItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("HisSchoolItem"));
    m_picture = new QLabel(this);
    m_picture->setScaledContents(true);
    m_title = new QLabel(this);
    m_time = new QLabel(this);
    m_teacher = new QLabel(this);
    m_courseType = new QPushButton(this);
    m_replay = new QPushButton(QStringLiteral("查看回放"), this);
    m_replay->setCursor(Qt::PointingHandCursor);
    connect(m_replay, &QPushButton::clicked, this, &HisSchoolItem::OnRoomEntry);
}

void HisSchoolItem::SetTitle(const QString& text)
{
    m_title->setText(text);
}

void HisSchoolItem::SetCourseType(const QString& text)
{
    m_courseType->setText(text);
}

void HisSchoolItem::SetTimeText(const QString& text, const QString& styleSheet)
{
    m_time->setText(text);
    if (!styleSheet.isEmpty())
        m_time->setStyleSheet(styleSheet);
}

void HisSchoolItem::SetTeacherText(const QString& text)
{
    m_teacher->setText(text);
}

void HisSchoolItem::SetReplayText(const QString& text)
{
    m_replay->setText(text);
}

void HisSchoolItem::SetReplayStyle(const QString& styleSheet)
{
    m_replay->setStyleSheet(styleSheet);
}

QString HisSchoolItem::GetTitle() const
{
    return m_title->text();
}

QString HisSchoolItem::GetCourseType() const
{
    return m_courseType->text();
}

QString HisSchoolItem::GetTimeText() const
{
    return m_time->text();
}

QString HisSchoolItem::GetTimeStyle() const
{
    return m_time->styleSheet();
}

QString HisSchoolItem::GetTeacherText() const
{
    return m_teacher->text();
}

QString HisSchoolItem::GetReplayText() const
{
    return m_replay->text();
}

QString HisSchoolItem::GetReplayStyle() const
{
    return m_replay->styleSheet();
}

bool HisSchoolItem::HasPicture() const
{
    return !m_picture->pixmap(Qt::ReturnByValue).isNull();
}

void HisSchoolItem::LayoutIn(QListWidget* list)
{
    if (list == nullptr)
        return;
    const int cardWidth = list->width();
    setGeometry(0, 0, cardWidth, 180);
    m_picture->setGeometry(10, 12, 199, 150);
    m_title->setGeometry(227, 22, 600, 22);
    m_courseType->setGeometry(227, 55, 60, 25);
    m_time->setGeometry(261, 103, 480, 20);
    m_teacher->setGeometry(227, 133, 200, 20);
    m_replay->setGeometry(cardWidth - 147, 54, 120, 38);
    m_replay->setVisible(!m_replay->text().isEmpty());
    show();
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

void HisSchoolItem::OnDownloadFinished()
{
    m_picture->setPixmap(QPixmap(m_picturePath));
    m_picture->show();
}
