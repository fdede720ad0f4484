#include "CourseItem.h"

#include "widgets/DPIWidget4RectPixmap.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr int kCardHeight = 180;
const char kTimeStyle[] = "color: #666666;font:16px Microsoft YaHei;";
const char kActionStyle[]
    = "QPushButton#courseAction{ background-color: #f74945;border: 1px solid #f74945;border-radius: 2px;color: "
      "rgb(255, 255, 255);font:18px Microsoft YaHei;}QPushButton#courseAction::hover{ background-color: "
      "#ff9999;border: 1px solid #ff9999;border-radius: 2px;color: rgb(255, 255, 255);font:18px Microsoft YaHei;}";
} // namespace

CourseItem::CourseItem(const QRect& timeGeometry, const QString& objectName, QWidget* parent)
    : QWidget(parent)
    , m_timeGeometry(timeGeometry)
{
    setObjectName(objectName);
    // The action button's red look comes from the card, so a style set on
    // the button itself (grey, pale) takes its place.
    setStyleSheet(QStringLiteral("#%1{border:0px;}%2").arg(objectName, QLatin1String(kActionStyle)));
    m_picture = new DPIWidget4RectPixmap(this);
    m_picture->setStyleSheet(QStringLiteral("border:1px solid #e5e5e5; border-radius:2px;"));
    // The frame is drawn over the picture.
    m_picture->paintStyleOverlay = true;
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("courseTitle"));
    // Titles and names come from the school's service: never markup.
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setStyleSheet(QStringLiteral("color: #333333;font:20px Microsoft YaHei;"));
    m_timeCaption = new QLabel(QStringLiteral("时间: "), this);
    m_timeCaption->setStyleSheet(QString::fromLatin1(kTimeStyle));
    m_time = new QLabel(this);
    m_time->setStyleSheet(QString::fromLatin1(kTimeStyle));
    m_teacher = new QLabel(this);
    m_teacher->setObjectName(QStringLiteral("courseTeacher"));
    m_teacher->setTextFormat(Qt::PlainText);
    m_teacher->setStyleSheet(QStringLiteral("color: #666666;font:16px Microsoft YaHei;"));
    m_courseType = new QPushButton(this);
    m_courseType->setFocusPolicy(Qt::NoFocus);
    m_courseType->setStyleSheet(
        QStringLiteral("QPushButton{background-color:#f2f2f2; border:6px solid #f2f2f2;border-radius: "
                       "12px;color: #666666;font:13px Microsoft YaHei;}"));
    m_action = new QPushButton(this);
    m_action->setCursor(Qt::PointingHandCursor);
    m_action->setFocusPolicy(Qt::NoFocus);
    m_action->setObjectName(QStringLiteral("courseAction"));
    m_details = new QPushButton(this);
    m_details->setCursor(Qt::PointingHandCursor);
    m_details->setFocusPolicy(Qt::NoFocus);
    m_details->setStyleSheet(
        QStringLiteral("border: 0px;background-color:#ffffff;color: #666666;font:14px Microsoft YaHei;"));
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
    // Setting even the same sheet styles the label anew.
    if (!styleSheet.isEmpty() && styleSheet != m_time->styleSheet())
        m_time->setStyleSheet(styleSheet);
}

void CourseItem::SetTeacherText(const QString& text)
{
    m_teacher->setText(text);
}

void CourseItem::SetDetailsText(const QString& text)
{
    m_details->setText(text);
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

QString CourseItem::GetDetailsText() const
{
    return m_details->text();
}

bool CourseItem::HasPicture() const
{
    return m_picture->HasPicture();
}

void CourseItem::LayoutIn(QListWidget* list)
{
    if (list == nullptr)
        return;
    const int cardWidth = list->viewport()->width();
    // The view places the row; the card only takes its size.
    resize(cardWidth, kCardHeight);
    m_picture->setGeometry(10, 12, 199, 150);
    // Heights leave room for the font's descent; the rows keep their places.
    m_title->setGeometry(227, 18, qMax(0, qMin(600, cardWidth - 227 - 160)), 30);
    QFont tagFont = font();
    tagFont.setPixelSize(13);
    const int tagWidth = qMax(60, QFontMetrics(tagFont).horizontalAdvance(m_courseType->text()) + 26);
    m_courseType->setGeometry(227, 55, tagWidth, 25);
    m_timeCaption->setGeometry(227, 101, 44, 24);
    m_time->setGeometry(m_timeGeometry.x(), 101, m_timeGeometry.width(), 24);
    m_teacher->setGeometry(227, 131, 300, 24);
    m_action->setGeometry(cardWidth - 147, 54, 120, 38);
    m_action->setVisible(!m_action->text().isEmpty());
    m_details->setGeometry(cardWidth - 137, 101, 100, 24);
    for (QWidget* widget : { static_cast<QWidget*>(m_picture), static_cast<QWidget*>(m_title),
             static_cast<QWidget*>(m_timeCaption), static_cast<QWidget*>(m_time), static_cast<QWidget*>(m_teacher),
             static_cast<QWidget*>(m_courseType), static_cast<QWidget*>(m_details) })
        widget->show();
    show();
}

void CourseItem::OnDownloadFinished()
{
    // Read at the size of the card's picture, however large the file; a
    // file that is no picture leaves the empty frame.
    m_picture->SetPixmapPath(m_picturePath);
    m_picture->show();
}
