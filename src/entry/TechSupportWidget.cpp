#include "TechSupportWidget.h"

#include "CourseCards.h"
#include "NewLoginWidget.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "platform/Shell.h"
#include "room/NotifyUIV2.h"
#include "widgets/ShadowedFrame.h"

#include <QDate>
#include <QDebug>
#include <QLocale>
#include <QPushButton>

namespace {

const int kContentWidth = 334;

int CentredX(int width)
{
    return ShadowedFrame::kMargin + (kContentWidth - width) / 2;
}

void Open(const char* what, const QUrl& url)
{
    qDebug() << "into TechSupportWidget," << what << "url:" << url.toString();
    if (!Shell::OpenUrl(url))
        qDebug() << "into TechSupportWidget, the desktop did not open it";
}

} // namespace

TechSupportWidget::TechSupportWidget(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("_HELP_WIDGET_"));
    setAttribute(Qt::WA_TranslucentBackground);
}

void TechSupportWidget::Build()
{
    setStyleSheet(
        QStringLiteral("#_HELP_WIDGET_{background:rgba(255,255,255,0);border: 0px solid  rgb(220,220,220);}"));
    m_icon = new QPushButton(this);
    m_icon->setGeometry(CentredX(94), 44, 94, 103);
    m_icon->setFocusPolicy(Qt::NoFocus);

    m_title = new QLabel(QStringLiteral("联系技术支持"), this);
    m_title->setGeometry(CentredX(200), 160, 200, 32);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setStyleSheet(QStringLiteral("font:24px;color:rgb(58,58,58);"));

    m_btnQQ = new QPushButton(QStringLiteral("QQ 在线客服"), this);
    m_btnQQ->setGeometry(CentredX(227), 212, 227, 40);
    m_btnQQ->setStyleSheet(QStringLiteral(
        "QPushButton{border:1px solid #f74945;background-color: #f74945;color:#ffffff;font:16px  Microsoft "
        "YaHei;border-radius:4px;}QPushButton::hover{border:1px solid #ff9999;background-color: "
        "#ff9999;color:#ffffff;font:16px  Microsoft YaHei;border-radius:4px;}"));
    m_btnHelp = new QPushButton(QStringLiteral("普罗维课堂在线帮助"), this);
    m_btnHelp->setGeometry(CentredX(227), 212 + 40 + 16, 227, 40);
    m_btnHelp->setStyleSheet(QStringLiteral(
        "QPushButton{border:1px solid #f74945;background-color: #ffffff;color:#f74945;font:16px  Microsoft "
        "YaHei;border-radius:4px;}QPushButton::hover{border:1px solid #f74945;background-color: "
        "#f74945;color:#ffffff;font:16px  Microsoft YaHei;border-radius:4px;}"));
    m_btnFeedback = new QPushButton(QStringLiteral("意见反馈"), this);
    m_btnFeedback->setGeometry(CentredX(64), m_btnHelp->geometry().bottom() + 1 + 20, 64, 22);
    m_btnFeedback->setStyleSheet(
        QStringLiteral("QPushButton{border:0px solid #dddddd;color:#4092ff;font:14px Microsoft "
                       "YaHei;}QPushButton::hover{border:0px solid #dddddd;color:#006eff;font:14px Microsoft YaHei;}"));

    m_btnClose = new QPushButton(this);
    m_btnClose->setToolTip(QStringLiteral("关闭"));

    m_panel = new QLabel(this);
    m_panel->setStyleSheet(QStringLiteral("background:#f2f3f5;border:0px;color:#333333;font:13px Microsoft YaHei;"));
    m_details = new QLabel(m_panel);
    m_details->setTextFormat(Qt::PlainText);
    m_details->setAlignment(Qt::AlignCenter);
    m_details->setStyleSheet(
        QStringLiteral("background:#f2f3f5;border:0px;color:#999999;font:13px Microsoft YaHei;border:0px;"));
    m_version = new QLabel(m_panel);
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setStyleSheet(
        QStringLiteral("background:#f2f3f5;border:0px;color:#666666;font:14px Microsoft YaHei;border:0px;"));

    for (QPushButton* button : { m_btnQQ, m_btnHelp, m_btnFeedback, m_btnClose }) {
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_btnQQ, &QPushButton::clicked, this, &TechSupportWidget::OnQQTalk);
    connect(m_btnHelp, &QPushButton::clicked, this, &TechSupportWidget::OnLinkJump);
    connect(m_btnFeedback, &QPushButton::clicked, this, &TechSupportWidget::OnFeedbackLinkJump);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::hide);
}

void TechSupportWidget::InitUI()
{
    resize(359, 451);
    if (!m_icon)
        Build();
    const QString folder = Nexus::GetScaleFolder();
    m_icon->setStyleSheet(
        QStringLiteral("QPushButton{image: url(:resource/titlebar/%1/nav_support.png);border:0px;}").arg(folder));
    m_btnClose->setGeometry(width() - 33, 17, 20, 20);
    m_btnClose->setStyleSheet(
        QStringLiteral("QPushButton{image: url(:resource/menubar/%1/close.png);border:0px;background:transparent;}")
            .arg(folder));
    m_panel->setGeometry(13, height() - 13 - 54, width() - 25, 54);
    m_details->setGeometry(6, 4, m_panel->width() - 12, 20);
    m_version->setGeometry(6, 4 + 20 + 3, m_panel->width() - 12, 20);
    // The details come from the network: whatever they hold stays inside
    // its line.
    m_details->setText(m_details->fontMetrics().elidedText(ConnectionLine(), Qt::ElideRight, m_details->width()));
    m_version->setText(QStringLiteral(PLOVIX_VERSION) + QLatin1Char(' ') + BuildDate(QString::fromLatin1(__DATE__)));
}

QString TechSupportWidget::BuildDate(const QString& compilerDate)
{
    QString text = compilerDate;
    text.replace(QLatin1String("  "), QLatin1String(" 0"));
    const QDate date = QLocale(QLocale::English).toDate(text, QStringLiteral("MMM dd yyyy"));
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

QString TechSupportWidget::ConnectionLine()
{
    Profile* profile = Nexus::GetProfile();
    if (!profile)
        return QString();
    QStringList where;
    for (const QString& part : { profile->GetUserLocation(), profile->GetUserSupplier(), profile->GetUserIp() }) {
        if (!part.trimmed().isEmpty())
            where << part.trimmed();
    }
    // The node the user chose (or that the server choice measured) by its
    // name; an address that belongs to no node is shown as it is.
    const QString chosen = profile->GetChosenServer();
    QString server = chosen;
    const QMap<QString, QString> nodes = profile->GetNodeServers();
    for (auto node = nodes.cbegin(); node != nodes.cend() && !chosen.isEmpty(); ++node) {
        const QStringList hosts = node.value().split(QLatin1Char('|'), Qt::SkipEmptyParts);
        for (const QString& host : hosts) {
            if (host.trimmed() == chosen)
                server = node.key();
        }
    }
    QString line = where.join(QLatin1Char(' '));
    if (!server.isEmpty())
        line += (line.isEmpty() ? QString() : QStringLiteral(" ,")) + QStringLiteral("服务器:") + server;
    return line;
}

QUrl TechSupportWidget::FeedbackPage()
{
    return QUrl(CourseCards::SiteHost() + QStringLiteral("/feedback"));
}

void TechSupportWidget::OpenHelpPage(const char* what)
{
    Open(what, QUrl(NewLoginWidget::HelpPage()));
}

void TechSupportWidget::OnLinkJump()
{
    OpenHelpPage("OnLinkJump");
}

void TechSupportWidget::OnQQTalk()
{
    Open("OnQQTalk", NotifyUIV2::SupportChatUrl());
}

void TechSupportWidget::OnFeedbackLinkJump()
{
    Open("OnFeedbackLinkJump", FeedbackPage());
}

void TechSupportWidget::paintEvent(QPaintEvent*)
{
    ShadowedFrame::Paint(this);
}
