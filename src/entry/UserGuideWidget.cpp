#include "UserGuideWidget.h"

#include <QDebug>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {
const char kGuideFolder[] = ":resource/userGuide/";
const char kStudentPages[] = "1|2|3|4|5|6|7";
const char kTeacherPages[] = "1|2|3|4|5|6|7|8";
} // namespace

UserGuideWidget::UserGuideWidget(QWidget* parent)
    : QWidget(parent)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_picture = new QLabel(this);
    m_picture->setScaledContents(true);
    m_btnLast = new QPushButton(this);
    m_btnLast->setFixedSize(48, 48);
    m_btnNext = new QPushButton(this);
    m_btnNext->setFixedSize(48, 48);
    m_btnExit = new QPushButton(QStringLiteral("退出引导"), this);
    m_btnExit->setFixedSize(88, 36);
    for (QPushButton* button : { m_btnLast, m_btnNext, m_btnExit })
        button->setCursor(Qt::PointingHandCursor);
    connect(m_btnNext, &QPushButton::clicked, this, &UserGuideWidget::OnClickedNextPage);
    connect(m_btnLast, &QPushButton::clicked, this, &UserGuideWidget::OnClickedLastPage);
    connect(m_btnExit, &QPushButton::clicked, this, &QWidget::hide);
    SetGuideRole(1);
}

void UserGuideWidget::SetGuideRole(int role)
{
    m_role = role;
    m_page = 0;
    m_pages.clear();
    const bool teacher = role == 2;
    const QString folder
        = QLatin1String(kGuideFolder) + (teacher ? QLatin1String("teacher/") : QLatin1String("student/"));
    const QStringList names = QString::fromLatin1(teacher ? kTeacherPages : kStudentPages).split(QLatin1Char('|'));
    for (const QString& name : names) {
        m_pages.append(folder + name + QLatin1String(".jpg"));
        if (teacher)
            qDebug() << "guide path for teacher:" << m_pages.last();
    }
    ShowPage();
}

void UserGuideWidget::SetupLayout(QWidget* window)
{
    if (window == nullptr) {
        qDebug() << "[Error], in UserGuideWidget::SetupLayout, _widget is NULL";
        return;
    }
    m_page = 0;
    if (parentWidget() != window)
        setParent(window, windowFlags());
    setGeometry(0, 0, window->width(), window->height());
    m_picture->setGeometry(rect());
    m_btnLast->move(35, (height() - m_btnLast->height()) / 2);
    m_btnLast->hide();
    m_btnNext->move(width() - 48 - m_btnNext->width(), (height() - m_btnNext->height()) / 2);
    m_btnNext->show();
    m_btnExit->move(width() - 36 - m_btnExit->width(), 61);
    m_btnExit->show();
    ShowPage();
    show();
}

void UserGuideWidget::OnClickedNextPage()
{
    qDebug() << "into OnClickedNextPage, and dwCurrentPage:" << m_page;
    if (m_page >= m_pages.size() - 1)
        return;
    ++m_page;
    qDebug() << "into OnClickedNextPage, and curr url:" << m_pages.at(m_page);
    ShowPage();
    m_btnLast->show();
    if (m_page == m_pages.size() - 1)
        m_btnNext->hide();
}

void UserGuideWidget::OnClickedLastPage()
{
    qDebug() << "into OnClickedLastPage, and dwCurrentPage:" << m_page;
    if (m_page <= 0)
        return;
    --m_page;
    qDebug() << "into OnClickedLastPage, and curr url:" << m_pages.at(m_page);
    ShowPage();
    if (m_page == 0)
        m_btnLast->hide();
    m_btnNext->show();
}

void UserGuideWidget::ShowPage()
{
    if (m_page >= 0 && m_page < m_pages.size())
        m_picture->setPixmap(QPixmap(m_pages.at(m_page)));
}
