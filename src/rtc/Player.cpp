#include "Player.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "room/RightArea.h"
#include "room/RightMiddleArea.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/CAgoraObject.h"
#include "rtc/PlayerItem.h"
#include "rtc/RtcClock.h"
#include "session/DataManager.h"

#include <QDebug>

namespace {

int OwnUid()
{
    DataManager* data = Nexus::GetDataManager();
    return data ? data->GetUserId() : -1;
}

// Tiles waiting for their first picture are looked at this often, so a
// picture shows as soon as it comes rather than at the next second.
constexpr int kWaitingCheckMs = 200;
constexpr int kFrameAgeCheckMs = 1000;

int RoleOf(int uid)
{
    DataManager* data = Nexus::GetDataManager();
    UserInfo* user = data ? data->GetUserInfoByUid(QString::number(uid)) : nullptr;
    return user ? user->GetRole() : -1;
}

} // namespace

Player::Player(QWidget* parent)
    : QLabel(parent)
    , m_teacherInfo(this)
{
    setObjectName(QStringLiteral("_VK_PLAYER_"));
    m_mediaPlayer.SetOwner(this);
    m_frameAgeTimer.setInterval(kFrameAgeCheckMs);
    connect(&m_frameAgeTimer, &QTimer::timeout, this, &Player::OnAgoraObserverCalc);
    m_mediaDownTimer.setSingleShot(true);
    m_mediaDownTimer.setInterval(kMediaDownNoticeMs);
    connect(&m_mediaDownTimer, &QTimer::timeout, this, [this] { ShowMediaDown(true); });
    connect(this, &Player::MediaLinkChanged, this, &Player::OnMediaLinkChanged);
    connect(this, &Player::CameraStatusChanged, this, &Player::OnCameraStatusChanged);
    connect(this, &Player::JoinChannelSuccess, this, &Player::OnJoinAgoraSuccessed);
    connect(this, &Player::StreamPlayerNumChanged, this, &Player::UpdateLayout);
    connect(this, &Player::CamaraClosed, this, &Player::OnCamaraClosed);
    connect(this, &Player::CamaraHide, this, &Player::OnCamaraHide);
    connect(this, &Player::MuteLocalAudio, this, &Player::OnMuteLocalAudio);
    connect(this, &Player::PlayerSizeAdjust, this, &Player::OnPlayerSizeAdjust);
    connect(this, &Player::UpdateLikeCnt, this, &Player::OnUpdateLikeCnt);
    connect(this, &Player::CleanUp, this, &Player::OnCleanUp);
    connect(this, &Player::ShowTeacherInfo, &m_teacherInfo, &TeacherInfo::OnShowTeacherInfo);
    connect(this, &Player::HideTeacherInfo, &m_teacherInfo, &TeacherInfo::OnHideTeacherInfo);
}

Player::~Player()
{
    ReleaseEngine();
    DeleteAllTiles();
    m_videoStatus.clear();
    AgoraVideoFrameObserver::ClearFrameTimes();
    m_teacherInfo.OnCleanUp();
}

QList<PlayerItem*> Player::Tiles() const
{
    QList<PlayerItem*> tiles;
    for (const QPointer<PlayerItem>& tile : m_vWidgetMap) {
        if (tile)
            tiles << tile;
    }
    return tiles;
}

void Player::DeleteAllTiles()
{
    qDeleteAll(Tiles());
    m_vWidgetMap.clear();
}

int Player::InitPlayer()
{
    qDebug() << "into Player::InitPlayer";
    // Whatever keeps the media out (no engine, no key, a server that cannot
    // be reached or refuses the join), the room shows it in time.
    m_mediaDownTimer.start();
    return m_mediaPlayer.InitPlayer();
}

void Player::OnMediaLinkChanged(int link)
{
    qDebug() << "into Player::OnMediaLinkChanged, link:" << link;
    switch (link) {
    case MediaUp:
        m_mediaDownTimer.stop();
        ShowMediaDown(false);
        break;
    case MediaInterrupted:
        if (!m_mediaDownShown && !m_mediaDownTimer.isActive())
            m_mediaDownTimer.start();
        break;
    case MediaLost:
        m_mediaDownTimer.stop();
        ShowMediaDown(true);
        break;
    default:
        break;
    }
}

void Player::ShowMediaDown(bool down)
{
    if (down == m_mediaDownShown)
        return;
    m_mediaDownShown = down;
    MiddleArea* area = Nexus::GetMiddleArea();
    if (!area)
        return;
    if (down)
        area->GetMsgNotifyWindow()->HoldNotice(NotifyNetworkLost);
    else
        area->GetMsgNotifyWindow()->WithdrawNotice(NotifyNetworkLost);
}

bool Player::GetAgoraVideoStatusById(int uid)
{
    const bool result = m_videoStatus.value(uid, true);
    qDebug() << "into GetAgoraVideoStatusById,uid:" << uid << ",result:" << result;
    return result;
}

void Player::SetShownCount(int count)
{
    if (count == m_dwCurStreamPlayerNum)
        return;
    m_dwCurStreamPlayerNum = count;
    emit StreamPlayerNumChanged();
}

void Player::OnCameraStatusChanged(UserInfo* user)
{
    if (!user)
        return;
    if (Nexus::GetDataPrepPhase() != 3) {
        qDebug() << "into Player::OnCameraStatusChanged,has out of class";
        return;
    }
    const int uid = user->GetUid();
    qDebug() << "into Player::OnCameraStatusChanged, uid:" << uid;
    // A camera shows only while the member may use it and has it on: the
    // camera-off notice keeps the right, and must still end the picture.
    if (!(user->GetPermission() & 4) || !(user->GetActionStatus() & 4)) {
        m_videoStatus.remove(uid);
        CloseTile(uid);
        return;
    }
    if (!m_frameAgeTimer.isActive())
        m_frameAgeTimer.start();
    if (m_vWidgetMap.contains(uid)) {
        qDebug() << "into Player: OnCameraStatusChanged, m_vWidgetMap has alrady has this widget";
        return;
    }
    OpenTile(user);
}

void Player::OpenTile(UserInfo* user)
{
    const int uid = user->GetUid();
    auto* tile = new PlayerItem(this, uid);
    tile->SetUserName(user->GetUserName());
    m_vWidgetMap.insert(uid, tile);
    CAgoraObject* agora = m_mediaPlayer.GetAgoraObject();
    rtc::IRtcEngine* engine = agora ? agora->GetRtcEngine() : nullptr;
    rtc::VideoCanvas canvas { tile->GetVideoSurface(), 1, rtc::uid_t(uid), nullptr };
    if (uid == OwnUid()) {
        const bool enabled = agora && agora->EnableLocalVideo(true);
        qDebug() << (enabled ? "[DEBUG] enableLocalVideo success" : "[ERROR] enableLocalVideo failed");
        if (engine) {
            engine->setupLocalVideo(canvas);
            engine->setVideoProfile(37, false);
            engine->startPreview();
        }
        tile->GetVideoSurface()->show();
        tile->show();
        SetShownCount(m_dwCurStreamPlayerNum + 1);
        return;
    }
    if (!engine)
        return;
    qDebug() << (engine->setupRemoteVideo(canvas) == 0 ? "[DEBUG] setupRemoteVideo success"
                                                       : "[ERROR] setupRemoteVideo failed");
    const int selector = m_mediaPlayer.GetRemoteProfileSelector();
    const int profile = selector >= 0 && selector <= 2 ? 30 : (selector == 3 ? 20 : 0);
    qDebug() << (engine->setVideoProfile(profile, false) == 0 ? "[DEBUG] setVideoProfile success"
                                                              : "[ERROR] setVideoProfile failed");
    m_frameAgeTimer.start(kWaitingCheckMs);
}

void Player::CloseTile(int uid)
{
    PlayerItem* tile = m_vWidgetMap.take(uid);
    if (!tile)
        return;
    if (uid == OwnUid()) {
        if (CAgoraObject* agora = m_mediaPlayer.GetAgoraObject())
            agora->EnableLocalVideo(false);
    }
    AgoraVideoFrameObserver::RemoveFrameTime(uid);
    const bool shown = !tile->isHidden();
    tile->hide();
    delete tile;
    if (shown)
        SetShownCount(m_dwCurStreamPlayerNum - 1);
}

void Player::OnCamaraClosed(int uid)
{
    m_videoStatus.remove(uid);
    if (!m_vWidgetMap.contains(uid))
        return;
    qDebug() << "into OnCamaraClosed, and uid:" << uid;
    OnCameraStatusClosed(uid);
}

void Player::OnCameraStatusClosed(int uid)
{
    if (!Nexus::GetDataManager() || !m_vWidgetMap.contains(uid))
        return;
    CloseTile(uid);
    qDebug() << "into OnCameraStatusClosed, and uid:" << uid;
}

void Player::OnCamaraHide(int uid)
{
    bool mute = true;
    auto status = m_videoStatus.find(uid);
    if (status == m_videoStatus.end()) {
        m_videoStatus.insert(uid, false);
    } else {
        const bool old = status.value();
        qDebug() << "into OnCamaraHide, and uid:" << uid << ",and status:" << old;
        status.value() = !old;
        mute = old;
    }
    if (CAgoraObject* agora = m_mediaPlayer.GetAgoraObject())
        agora->MuteRemoteVideoStream(unsigned(uid), mute);
}

void Player::OnAgoraObserverCalc()
{
    if (!Nexus::GetDataManager())
        return;
    const qint64 now = RtcClock::NowSeconds();
    const int own = OwnUid();
    int shown = 0;
    for (PlayerItem* tile : Tiles()) {
        const int uid = tile->GetUid();
        qint64 stamp = 0;
        if (uid != own && !m_videoStatus.contains(uid) && AgoraVideoFrameObserver::FrameTime(unsigned(uid), &stamp)) {
            if (tile->isHidden() && now - stamp < 2)
                tile->show();
            else if (!tile->isHidden() && now - stamp > 10)
                tile->hide();
        }
        shown += tile->isHidden() ? 0 : 1;
    }
    if (shown == Tiles().size() && m_frameAgeTimer.interval() != kFrameAgeCheckMs)
        m_frameAgeTimer.setInterval(kFrameAgeCheckMs);
    SetShownCount(shown);
}

void Player::UpdateLayout()
{
    const int n = m_dwCurStreamPlayerNum;
    const int p = m_mediaPlayer.GetLastLayoutCount();
    MainWindow* window = Nexus::GetMainWindow();
    if (window && ((n >= 3 && p < 3) || (n <= 2 && p >= 3))) {
        if (RightMiddleArea* strip = Nexus::GetRightMiddleArea())
            strip->SetupLayout(window);
        if (RightArea* right = Nexus::GetRightArea())
            right->SetupLayout(window);
        if (MiddleArea* middle = Nexus::GetMiddleArea())
            middle->SetupLayout(window);
    } else if (window && n <= 2) {
        if (RightArea* right = Nexus::GetRightArea())
            right->SetupLayout(window);
    }
    m_mediaPlayer.SetLastLayoutCount(n);
    OnPlayerSizeAdjust();
    if (n == 0)
        emit ShowTeacherInfo();
    else if (m_teacherInfo.isVisible())
        emit HideTeacherInfo();
}

QList<PlayerItem*> Player::PlacedTiles(bool byRole) const
{
    QList<PlayerItem*> tiles;
    for (PlayerItem* tile : Tiles()) {
        if (!tile->isHidden())
            tiles << tile;
    }
    if (!byRole)
        return tiles;
    QList<PlayerItem*> ordered;
    for (PlayerItem* tile : tiles) {
        if (RoleOf(tile->GetUid()) == 4)
            ordered << tile;
    }
    for (PlayerItem* tile : tiles) {
        if (RoleOf(tile->GetUid()) > 4)
            ordered << tile;
    }
    return ordered;
}

void Player::OnPlayerSizeAdjust()
{
    if (m_teacherInfo.isVisible())
        m_teacherInfo.OnShowTeacherInfo();
    const int n = m_dwCurStreamPlayerNum;
    if (n <= 0)
        return;
    QList<PlayerItem*> placed;
    if (n == 1) {
        placed = PlacedTiles(false).mid(0, 1);
        for (PlayerItem* tile : placed) {
            tile->setParent(this);
            tile->setGeometry(0, 0, width(), height());
        }
    } else if (n == 2) {
        placed = PlacedTiles(true);
        int y = 0;
        for (PlayerItem* tile : placed) {
            tile->setParent(this);
            tile->setGeometry(0, y, width(), height() / 2);
            y += tile->height();
        }
    } else {
        RightMiddleArea* strip = Nexus::GetRightMiddleArea();
        if (!strip)
            return;
        placed = PlacedTiles(true);
        // The strip keeps the 8 px margin below the tiles as well as above,
        // so their name rows are not cut off.
        const int h = strip->height() - 16;
        int x = 0;
        for (PlayerItem* tile : placed) {
            tile->setParent(strip);
            tile->setGeometry(x + 8, 8, int(h / 0.75), h);
            x += tile->width() + 4;
        }
    }
    for (PlayerItem* tile : placed)
        tile->Arrange();
}

void Player::OnUpdateLikeCnt()
{
    if (m_teacherInfo.isVisible())
        m_teacherInfo.RefreshLikeCount();
    for (PlayerItem* tile : Tiles()) {
        if (tile->IsTeacher())
            tile->UpdateLikeCount();
    }
}

void Player::LeaveChannel()
{
    CAgoraObject* agora = m_mediaPlayer.GetAgoraObject();
    if (!agora)
        return;
    Profile* profile = Nexus::GetProfile();
    // A running class recording is finished before the channel is left;
    // its room id stays, so entering the room again restarts it.
    if (profile && profile->GetClassRecordingFlag()) {
        agora->StopAudioRecording();
        profile->SetClassRecordingFlag(false);
    }
    agora->LeaveChannel();
}

void Player::ReleaseEngine()
{
    m_mediaDownTimer.stop();
    ShowMediaDown(false);
    LeaveChannel();
    if (CAgoraObject::Instance())
        CAgoraObject::ReleaseEngine();
    m_mediaPlayer.SetAgoraObject(nullptr);
}

void Player::OnCleanUp()
{
    // The room is entered again, and the media joined again, from here.
    m_mediaDownTimer.stop();
    ShowMediaDown(false);
    LeaveChannel();
    DataManager* data = Nexus::GetDataManager();
    if (data && m_vWidgetMap.contains(data->GetUserId()))
        emit data->LocalCameraStatusNofity(2);
    DeleteAllTiles();
    m_videoStatus.clear();
    AgoraVideoFrameObserver::ClearFrameTimes();
    m_dwCurStreamPlayerNum = 0;
    m_teacherInfo.OnCleanUp();
}

void Player::OnMuteLocalAudio(int mute)
{
    m_mediaPlayer.OnMuteLocalAudio(mute != 0);
}

void Player::SetPlayerOutVolume(int volume)
{
    m_mediaPlayer.SetAudioOutputVolume(volume);
}

void Player::SetPlayerInVolume(int volume)
{
    m_mediaPlayer.SetAudioInputVolume(volume);
}
