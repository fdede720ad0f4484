#include "PlayerItem.h"

#include "app/Nexus.h"
#include "app/SharedFunctions.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "session/UserInfo.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* kSurfaceOn = "background-color:rgb(222,222,222);border:1px solid #e5e5e5;border-radius:4px;";
const char* kSurfaceOff = "background-color:#f2f2f2;border:1px solid #f2f2f2;border-radius:4px;";

QString SwitchStyle(const QString& icon)
{
    return QStringLiteral("QPushButton{image:url(:/resource/like/%1/%2.png);border:0px;"
                          "background-color:rgba(0,0,0,0);}"
                          "QPushButton:hover{image:url(:/resource/like/%1/%2_hover.png);}")
        .arg(Nexus::GetScaleFolder(), icon);
}

} // namespace

PlayerItem::PlayerItem(QWidget* panel, int uid)
    : QWidget(panel)
    , m_uid(uid)
{
    setObjectName(QStringLiteral("PLAYER_ITEM"));
    setAttribute(Qt::WA_StyledBackground);
    if (panel)
        resize(panel->size());
    if (DataManager* data = Nexus::GetDataManager()) {
        if (UserInfo* user = data->GetUserInfoByUid(QString::number(uid)))
            m_teacher = user->GetRole() == 4;
    }
    setStyleSheet(QStringLiteral("#PLAYER_ITEM{border:1px solid #e5e5e5;border-radius:4px;}"));
    m_surface = new QLabel(this);
    m_surface->setStyleSheet(QLatin1String(kSurfaceOn));
    m_name = new QLabel(this);
    m_name->setStyleSheet(QStringLiteral("color:#333333;font:14px \"Microsoft YaHei\";border:0px;"
                                         "background-color:rgba(222,222,222,0);"));
    m_name->setFocusPolicy(Qt::NoFocus);
    m_name->setEnabled(false);
    // The member's name comes from the room: never markup.
    m_name->setTextFormat(Qt::PlainText);
    m_like = new QPushButton(QStringLiteral("赞"), this);
    m_like->setStyleSheet(QStringLiteral("color:#666666;font:16px \"Microsoft YaHei UI\";border:0px;"
                                         "background-color:rgba(222,222,222,0);"));
    m_likeCount = new QLabel(this);
    m_likeCount->setStyleSheet(QStringLiteral("color:#666666;font:16px \"Microsoft YaHei UI\";border:0px;"
                                              "background-color:rgba(0,0,0,0);"));
    m_like->setObjectName(QStringLiteral("likeButton"));
    m_switch = new QPushButton(this);
    m_switch->setObjectName(QStringLiteral("videoSwitch"));
    m_switch->setToolTip(QStringLiteral("关闭该视频"));
    m_switch->setCursor(Qt::PointingHandCursor);
    m_switch->setStyleSheet(SwitchStyle(QStringLiteral("video_open")));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(0);
    column->addWidget(m_surface, 0, Qt::AlignCenter);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(5);
    row->addWidget(m_name);
    if (m_teacher) {
        row->addStretch(3);
        row->addWidget(m_switch);
        row->addWidget(m_like);
        row->addWidget(m_likeCount);
    } else if (!IsLocalUser()) {
        row->addStretch(1);
        row->addWidget(m_switch);
    }
    column->addLayout(row);
    connect(m_switch, &QPushButton::clicked, this, &PlayerItem::OnDisableVideoClicked);
    hide();
}

bool PlayerItem::IsLocalUser() const
{
    DataManager* data = Nexus::GetDataManager();
    return data && data->GetUserId() == m_uid;
}

void PlayerItem::Arrange()
{
    m_surface->setFixedSize(qMax(0, width() - 8), qMax(0, height() - 33));
    m_surface->show();
    m_name->setFixedHeight(24);
    const int limit = width() * 50 / 175;
    const QFontMetrics metrics(m_name->font());
    m_name->setText(metrics.horizontalAdvance(m_userName) >= limit
            ? metrics.elidedText(m_userName, Qt::ElideRight, limit)
            : m_userName);
    m_name->setToolTip(PlainToolTip(m_userName));
    m_name->setAlignment(Qt::AlignCenter);
    m_name->show();
    RefreshLikeCounter();
    m_switch->setFixedSize(24, 24);
    UpdateSwitchButton();
    m_switch->setVisible(!IsLocalUser());
    // Placed and sized just now: the children follow at once, not at the
    // next pass of the event loop.
    layout()->activate();
    show();
}

void PlayerItem::RefreshLikeCounter()
{
    if (!m_teacher) {
        m_likeCount->hide();
        m_like->hide();
        return;
    }
    if (DataManager* data = Nexus::GetDataManager())
        m_likeCount->setText(QString::number(data->GetTeacherLikeTotal()));
    m_likeCount->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_likeCount->setFixedHeight(24);
    m_like->setFixedSize(24, 24);
    m_likeCount->show();
    m_like->show();
}

void PlayerItem::UpdateLikeCount()
{
    if (Nexus::GetDataManager())
        RefreshLikeCounter();
}

void PlayerItem::UpdateSwitchButton()
{
    Player* player = Nexus::GetPlayer();
    const bool on = !player || player->GetAgoraVideoStatusById(m_uid);
    m_switch->setToolTip(on ? QStringLiteral("关闭该视频") : QStringLiteral("恢复该视频"));
    m_switch->setStyleSheet(SwitchStyle(on ? QStringLiteral("video_open") : QStringLiteral("video_close")));
    m_surface->setStyleSheet(QLatin1String(on ? kSurfaceOn : kSurfaceOff));
}

void PlayerItem::OnDisableVideoClicked()
{
    if (Player* player = Nexus::GetPlayer())
        player->OnCamaraHide(m_uid);
    UpdateSwitchButton();
}
