#include "NotifyUIV2.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/TitleBar.h"
#include "platform/Shell.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QUrlQuery>

namespace {
// The outside web chat of the support desk. PLOVIX_SUPPORT_CHAT_URL
// replaces it (test desks, other sites).
const char kSupportChat[] = "https://webchat.dravona.cn/chat?v=1&uin=800000000&site=plovix&menu=yes";

struct ModeShape {
    int mode;
    QSize size;
    QRect label;
    int buttonsY;
    const char* left;
    const char* right;
    const char* text;
};
const ModeShape kShapes[] = {
    { NotifyUIV2::ModeRemoved, { 360, 197 }, { 45, 40, 300, 44 }, 123, "联系客服", "确定",
        "您已被请出教室,请保持课堂秩序哦~" },
    { NotifyUIV2::ModeTrialOver, { 360, 172 }, { 60, 30, 269, 50 }, 98, "联系客服", "确定",
        "您好,体验时间已到,后续课程<br>可咨询您的专属顾问,谢谢~" },
    { NotifyUIV2::ModeDeviceCheck, { 360, 197 }, { 60, 40, 269, 50 }, 123, "不需要", "开始",
        "终于等到您,为了保证上课正常<br>咱们一起做个设备检测呗~" },
};
} // namespace

NotifyUIV2::NotifyUIV2(QWidget* parent)
    : QFrame(parent)
    , m_text(new QLabel(this))
    , m_left(new QPushButton(this))
    , m_right(new QPushButton(this))
{
    setObjectName(QStringLiteral("NotifyUIV2"));
    // A white card with a soft border, so the dialog stands out from the
    // class room behind it.
    setStyleSheet(QStringLiteral("#NotifyUIV2{background-color:#ffffff;border:1px solid #d4d4d4;border-radius:6px;}"));
    m_text->setTextFormat(Qt::RichText);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setStyleSheet(QStringLiteral("color: #333333;font:18px Microsoft YaHei UI;border:0px;"));
    m_left->setCursor(Qt::PointingHandCursor);
    m_left->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: #ffffff;border: 1px solid #d4d4d4;border-radius: 4px;color: #666666;font:18px "
        "Microsoft YaHei;}QPushButton::hover{background-color: #f74945;border: 1px solid #f74945;border-radius: "
        "4px;color: #ffffff;font:18px Microsoft YaHei;}"));
    m_right->setCursor(Qt::PointingHandCursor);
    m_right->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: #f74945;border: 1px solid #f74945;border-radius: 4px;color: #ffffff;font:18px "
        "Microsoft YaHei;}QPushButton::hover{background-color: #ff9999;border: 1px solid #ff9999;border-radius: "
        "4px;color: #ffffff;font:18px Microsoft YaHei;}"));
    hide();
}

QString NotifyUIV2::GetText() const
{
    return m_text->text();
}

void NotifyUIV2::SetMode(int mode)
{
    const ModeShape* shape = nullptr;
    for (const ModeShape& candidate : kShapes) {
        if (candidate.mode == mode)
            shape = &candidate;
    }
    if (shape == nullptr) {
        qDebug() << "into NotifyUIV2::SetMode, unknown mode:" << mode;
        return;
    }
    m_mode = mode;
    m_left->disconnect();
    m_right->disconnect();
    setFixedSize(shape->size);
    m_text->setGeometry(shape->label);
    m_text->setText(QString::fromUtf8(shape->text));
    m_left->setText(QString::fromUtf8(shape->left));
    m_right->setText(QString::fromUtf8(shape->right));
    m_left->setGeometry(60, shape->buttonsY, 106, 40);
    m_right->setGeometry(194, shape->buttonsY, 106, 40);
    if (mode == ModeDeviceCheck) {
        connect(m_left, &QPushButton::clicked, this, &NotifyUIV2::hide);
        connect(m_right, &QPushButton::clicked, this, [this] {
            OpenDeviceTest();
            hide();
        });
    } else {
        connect(m_left, &QPushButton::clicked, this, &NotifyUIV2::OnContactSupportLinkJump);
        connect(m_right, &QPushButton::clicked, this, &NotifyUIV2::hide);
    }
}

void NotifyUIV2::OpenDeviceTest()
{
    MainWindow* window = Nexus::GetMainWindow();
    TitleBar* bar = window != nullptr ? window->GetTitleBar() : nullptr;
    if (bar == nullptr) {
        qDebug() << "into NotifyUIV2::OpenDeviceTest, no title bar";
        return;
    }
    emit bar->ShowAVTestDialog();
}

QUrl NotifyUIV2::SupportChatUrl()
{
    const QString configured = qEnvironmentVariable("PLOVIX_SUPPORT_CHAT_URL");
    return QUrl(configured.isEmpty() ? QString::fromLatin1(kSupportChat) : configured);
}

void NotifyUIV2::OnContactSupportLinkJump()
{
    const QUrl url = SupportChatUrl();
    qDebug() << "into NotifyUIV2::OnContactSupportLinkJump, url:" << url.toString();
    const bool opened = Shell::OpenUrl(url);
    if (!opened)
        qDebug() << "into NotifyUIV2::OnContactSupportLinkJump, the desktop did not open it";
}
