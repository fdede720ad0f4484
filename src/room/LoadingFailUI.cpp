#include "LoadingFailUI.h"

#include "app/Nexus.h"
#include "widgets/Placement.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kReasonMinWidth = 400;
constexpr int kSideMargin = 40;
} // namespace

LoadingFailUI::LoadingFailUI(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("LoadingFailUI"));
    setStyleSheet(QStringLiteral("#LoadingFailUI{\nbackground-color: rgb(255, 255, 255);border:0px;\n}"));
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("label4Image"));
    m_picture->setFixedSize(285, 194);
    m_picture->setStyleSheet(QStringLiteral("image: url(:/resource/loadingui/loadingErr.png);"));
    m_title = new QLabel(QStringLiteral("咦，小维好像迷路了"), this);
    m_title->setObjectName(QStringLiteral("label4Desc"));
    m_title->setMinimumSize(300, 30);
    m_title->setStyleSheet(QStringLiteral("color:#333333;\nfont:14px Microsoft YaHei;\n"));
    m_title->setAlignment(Qt::AlignCenter);
    m_reason = new QLabel(QStringLiteral("错误代码:"), this);
    m_reason->setObjectName(QStringLiteral("label4Error"));
    m_reason->setMinimumSize(kReasonMinWidth, 30);
    m_reason->setStyleSheet(QStringLiteral("color:#898989;\nfont:13px Microsoft YaHei;"));
    m_reason->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The reason is the service's text: shown as it is, wrapped when long.
    m_reason->setTextFormat(Qt::PlainText);
    m_reason->setWordWrap(true);
    auto* refresh = new QPushButton(QStringLiteral("重新加载"), this);
    refresh->setObjectName(QStringLiteral("btnRefresh"));
    refresh->setStyleSheet(QStringLiteral("border:0px;\ncolor: rgb(255, 0, 0);"));
    refresh->hide();
    m_btnReturn = new QPushButton(this);
    m_btnReturn->setObjectName(QStringLiteral("btnReturn"));
    m_btnReturn->setFixedSize(80, 30);
    m_btnReturn->move(20, 33);
    m_btnReturn->setCursor(Qt::PointingHandCursor);
    m_btnReturn->setStyleSheet(QStringLiteral("border:0px;\nimage: url(:/resource/schoollist/x1.75/return.png);\n"));
    connect(this, &LoadingFailUI::ValueChanged, this, &LoadingFailUI::OnValueChanged);
    connect(m_btnReturn, &QPushButton::clicked, this, &LoadingFailUI::OnUserReturn);
}

int LoadingFailUI::SetupLayout(QWidget* window, int top)
{
    if (!Placement::MoveInto(this, window, "[Error], in LoadingFailUI::SetupLayout, _widget is NULL"))
        return -1;
    m_window = window;
    const int height = window->height() - top;
    setGeometry(0, top, window->width(), height);

    const int pictureY = height / 2 - m_picture->height();
    m_picture->move((width() - m_picture->width()) / 2, pictureY);
    const int titleY = pictureY + m_picture->height() + 40;
    m_title->setGeometry((width() - m_title->minimumWidth()) / 2, titleY, m_title->minimumWidth(), 30);
    PlaceReason();
    m_picture->show();
    m_title->show();
    m_reason->show();
    m_btnReturn->show();
    show();
    return 0;
}

void LoadingFailUI::PlaceReason()
{
    m_reason->ensurePolished();
    const int room = qMax(kReasonMinWidth, width() - 2 * kSideMargin);
    const int textWidth = m_reason->fontMetrics().horizontalAdvance(m_reason->text()) + 20;
    const int reasonWidth = qBound(kReasonMinWidth, textWidth, room);
    const int reasonHeight = qMax(30, m_reason->heightForWidth(reasonWidth));
    m_reason->setGeometry(
        (width() - reasonWidth) / 2, m_title->y() + m_title->height() + 15, reasonWidth, reasonHeight);
}

QString LoadingFailUI::GetReasonText() const
{
    return m_reason->text();
}

void LoadingFailUI::OnValueChanged(QString reason)
{
    qDebug() << "into LoadingFailUI::OnValueChanged, and value:" << reason;
    m_reason->setText(QStringLiteral("错误原因:") + reason);
    if (m_window != nullptr)
        PlaceReason();
}

void LoadingFailUI::OnUserReturn()
{
    // The hub relays the phase to the main window.
    if (Nexus* hub = Nexus::Instance())
        emit hub->UpdateLoginProgress(256);
}
