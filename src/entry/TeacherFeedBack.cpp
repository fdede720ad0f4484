#include "TeacherFeedBack.h"

#include "CourseCards.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "platform/Shell.h"
#include "widgets/Placement.h"

#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

const int kCardWidth = 200;
const int kCardHeight = 192;
const char* const kSurveyPaths[] = { "/survey/student", "/survey/software", "/survey/teaching" };

QLabel* CentredLabel(QWidget* parent, const char* text, const QString& style, const QRect& geometry)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setStyleSheet(style);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TeacherFeedBack::TeacherFeedBack(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TeacherFeedBack"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(693, 451);
    setStyleSheet(QStringLiteral("#TeacherFeedBack{background:#ffffff;border:1px solid #e5e5e5;}"));

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("topFrame"));
    top->setGeometry(1, 1, 691, 54);
    top->setStyleSheet(QStringLiteral("#topFrame{background:#f2f2f2;border:0px;}"));
    CentredLabel(top, "退出前反馈", QStringLiteral("color:#333333;font:18px Microsoft YaHei;"), QRect(0, 0, 691, 54));
    CentredLabel(this, "老师上课辛苦了,您的反馈对我们十分重要",
        QStringLiteral("color:#333333;font:18px Microsoft YaHei;"), QRect(0, 76, 693, 30));

    BuildCard(1, QPoint(32, 140), "学员问题反馈及建议", "学员的学习情况和上课情况,方便教务跟进服务哈");
    BuildCard(2, QPoint(246, 140), "软件问题反馈及建议", "软件异常情况及新功能建议,方便我们提供更好的产品体验哦");
    BuildCard(3, QPoint(459, 140), "教学问题反馈及建议", "课程课件是否合理或有误,方便咱们提供更好的教学质量哦");

    m_btnContinue = new QPushButton(QStringLiteral("继续退出"), this);
    m_btnContinue->setObjectName(QStringLiteral("btnContinue"));
    m_btnContinue->setGeometry(267, 369, 160, 48);
    m_btnContinue->setCursor(Qt::PointingHandCursor);
    m_btnContinue->setStyleSheet(QStringLiteral(
        "QPushButton{background-color:#f74945;border:0px;border-radius:5px;color:#ffffff;font:18px Microsoft "
        "YaHei;}QPushButton::hover{background-color:#ff9999;}"));
    connect(m_btnContinue, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_links.at(0), &QPushButton::clicked, this, &TeacherFeedBack::OnLinkeJump4Stu);
    connect(m_links.at(1), &QPushButton::clicked, this, &TeacherFeedBack::OnLinkeJump4Software);
    connect(m_links.at(2), &QPushButton::clicked, this, &TeacherFeedBack::OnLinkeJump4Teach);
    DrawPictures();
}

void TeacherFeedBack::BuildCard(int card, const QPoint& at, const char* link, const char* description)
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("card%1").arg(card));
    frame->setGeometry(QRect(at, QSize(kCardWidth, kCardHeight)));
    frame->setStyleSheet(
        QStringLiteral("#%1{background:#ffffff;border:1px solid #e5e5e5;border-radius:4px;color:#aaaaaa;"
                       "font:16px Microsoft YaHei;}#%1:hover{border:1px solid #f74945;}")
            .arg(frame->objectName()));
    // The whole card leads to its form, not only its link.
    frame->setCursor(Qt::PointingHandCursor);
    frame->installEventFilter(this);

    auto* picture = new QPushButton(frame);
    picture->setObjectName(QStringLiteral("picture%1").arg(card));
    picture->setGeometry((kCardWidth - 68) / 2, 12, 68, 68);
    picture->setFocusPolicy(Qt::NoFocus);
    picture->setCursor(Qt::PointingHandCursor);
    connect(picture, &QPushButton::clicked, this, [this, card] { OpenSurvey(card); });

    auto* button = new QPushButton(QString::fromUtf8(link), frame);
    button->setObjectName(QStringLiteral("link%1").arg(card));
    button->setGeometry(8, 88, kCardWidth - 16, 22);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton{border:0px;background:transparent;color:#333333;font:16px Microsoft "
                       "YaHei;}QPushButton::hover{color:#006eff;}"));

    auto* text = new QLabel(QString::fromUtf8(description), frame);
    text->setGeometry(16, 116, kCardWidth - 32, 70);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setStyleSheet(QStringLiteral("border:0px;background:transparent;color:#999999;font:14px Microsoft YaHei;"));

    m_cards << frame;
    m_pictures << picture;
    m_links << button;
}

void TeacherFeedBack::DrawPictures()
{
    const QString folder = Nexus::GetScaleFolder();
    for (int i = 0; i < m_pictures.size(); ++i) {
        m_pictures.at(i)->setStyleSheet(QStringLiteral(
            "QPushButton{image: url(:resource/close/%1/feedback%2.png);border:0px;background-color:#ffffff;}")
                                            .arg(folder)
                                            .arg(i + 1));
    }
}

QUrl TeacherFeedBack::SurveyPage(int card)
{
    if (card < 1 || card > 3)
        return QUrl();
    return QUrl(CourseCards::SiteHost() + QLatin1String(kSurveyPaths[card - 1]));
}

void TeacherFeedBack::OpenSurvey(int card)
{
    const QUrl url = SurveyPage(card);
    qDebug() << "into TeacherFeedBack::OpenSurvey, url:" << url.toString();
    if (!Shell::OpenUrl(url))
        qDebug() << "into TeacherFeedBack::OpenSurvey, the desktop did not open it";
}

void TeacherFeedBack::OnLinkeJump4Stu()
{
    OpenSurvey(1);
}

void TeacherFeedBack::OnLinkeJump4Software()
{
    OpenSurvey(2);
}

void TeacherFeedBack::OnLinkeJump4Teach()
{
    OpenSurvey(3);
}

bool TeacherFeedBack::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const int card = m_cards.indexOf(qobject_cast<QFrame*>(watched)) + 1;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (card > 0 && mouse->button() == Qt::LeftButton && m_cards.at(card - 1)->rect().contains(mouse->pos()))
            OpenSurvey(card);
    }
    return QDialog::eventFilter(watched, event);
}

void TeacherFeedBack::OnShowDialog()
{
    if (isVisible()) {
        lower();
        hide();
        return;
    }
    Placement::CentreDialogOver(this, Nexus::GetMainWindow());
    DrawPictures();
    raise();
    show();
    activateWindow();
}

void TeacherFeedBack::OnHideDialog()
{
    hide();
}
