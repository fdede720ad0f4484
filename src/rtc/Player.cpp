#include "Player.h"

#include <QDebug>

Player::Player(QWidget* parent)
    : QLabel(parent)
    , m_teacherInfo(this)
{
    setObjectName(QStringLiteral("_VK_PLAYER_"));
    connect(this, &Player::CameraStatusChanged, this, &Player::OnCameraStatusChanged);
    connect(this, &Player::CamaraClosed, this, &Player::OnCamaraClosed);
    connect(this, &Player::MuteLocalAudio, this, &Player::OnMuteLocalAudio);
    connect(this, &Player::PlayerSizeAdjust, this, &Player::OnPlayerSizeAdjust);
    connect(this, &Player::UpdateLikeCnt, this, &Player::OnUpdateLikeCnt);
    connect(this, &Player::CleanUp, this, &Player::OnCleanUp);
    connect(this, &Player::ShowTeacherInfo, &m_teacherInfo, &TeacherInfo::OnShowTeacherInfo);
    connect(this, &Player::HideTeacherInfo, &m_teacherInfo, &TeacherInfo::OnHideTeacherInfo);
}

Player::~Player()
{
    m_teacherInfo.OnCleanUp();
}

void Player::InitPlayer()
{
    qDebug() << "into Player::InitPlayer";
    m_mediaPlayer.InitPlayer();
}

void Player::OnCameraStatusChanged(UserInfo* user)
{
    if (user == nullptr)
        return;
    qDebug() << "into Player::OnCameraStatusChanged, uid:" << user->GetUid();
}

void Player::OnCamaraClosed(int uid)
{
    qDebug() << "into OnCamaraClosed, and uid:" << uid;
}

void Player::OnMuteLocalAudio(int mute)
{
    qDebug() << "into Player::OnMuteLocalAudio, mute:" << mute;
}

void Player::OnPlayerSizeAdjust()
{
    if (m_teacherInfo.isVisible())
        m_teacherInfo.OnShowTeacherInfo();
}

void Player::OnUpdateLikeCnt()
{
    if (m_teacherInfo.isVisible())
        m_teacherInfo.RefreshLikeCount();
}

void Player::OnCleanUp()
{
    m_dwCurStreamPlayerNum = 0;
    m_teacherInfo.OnCleanUp();
}

void Player::SetPlayerOutVolume(int volume)
{
    qDebug() << "into Player::SetPlayerOutVolume, volume:" << volume;
}

void Player::SetPlayerInVolume(int volume)
{
    qDebug() << "into Player::SetPlayerInVolume, volume:" << volume;
}
