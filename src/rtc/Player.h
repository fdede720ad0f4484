#pragma once

#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QTimer>

#include "room/TeacherInfo.h"
#include "rtc/MediaPlayer.h"
#include "session/UserInfo.h"

class PlayerItem;

// The video panel of the right column: one tile per participant whose
// camera is on, shown while that user's frames arrive and laid out for
// one, two, or three and more tiles. Owns the engine start-up. Lives in the
// GUI thread; the hub, the session thread and the engine's callback thread
// drive it by emitting its signals (queued).
class Player : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int m_dwCurStreamPlayerNum READ GetCurStreamPlayerNum)

public:
    // What the engine tells of its link to the media server.
    enum MediaLink { MediaUp, MediaInterrupted, MediaLost };
    Q_ENUM(MediaLink)
    // How long the media may be down before the room shows it.
    static constexpr int kMediaDownNoticeMs = 10000;

    explicit Player(QWidget* parent = nullptr);
    ~Player() override;

    // Starts the RTC engine and joins the room's channel (see
    // MediaPlayer::InitPlayer for the result).
    int InitPlayer();
    MediaPlayer* GetMediaPlayer() { return &m_mediaPlayer; }
    TeacherInfo* GetTeacherInfo() { return &m_teacherInfo; }
    // Number of video tiles shown.
    int GetCurStreamPlayerNum() const { return m_dwCurStreamPlayerNum; }
    // The tiles by uid, shown or not. A tile placed in the strip above the
    // centre panel is its child there, hence the guarded pointers.
    const QMap<int, QPointer<PlayerItem>>& GetTiles() const { return m_vWidgetMap; }
    // False while the local user has switched uid's video off.
    bool GetAgoraVideoStatusById(int uid);
    // Selects the devices stored in the settings again, in order, up to
    // the first that fails.
    void DevRecoeryAftAgoraJoin();
    void SetCurStreamPlayerNum(int count) { m_dwCurStreamPlayerNum = count; }
    // Finishes a running class recording and leaves the channel; the
    // engine keeps running.
    void LeaveChannel();
    // Leaves the channel and releases the engine, whose callback thread
    // then has ended: run before the hub and the session go.
    void ReleaseEngine();

signals:
    void CameraStatusChanged(UserInfo* user);
    void JoinChannelSuccess();
    void MediaLinkChanged(int link);
    void MuteLocalAudio(int mute);
    void CamaraClosed(int uid);
    void CamaraHide(int uid);
    void CleanUp();
    void ShowTeacherInfo();
    void HideTeacherInfo();
    void StreamPlayerNumChanged();
    void PlayerSizeAdjust();
    void UpdateLikeCnt();

public slots:
    void OnCameraStatusChanged(UserInfo* user);
    void OnCamaraClosed(int uid);
    void OnCamaraHide(int uid);
    void OnCameraStatusClosed(int uid);
    void OnJoinAgoraSuccessed();
    void OnMediaLinkChanged(int link);
    void OnAgoraObserverCalc();
    void OnMuteLocalAudio(int mute);
    void OnPlayerSizeAdjust();
    void UpdateLayout();
    void OnUpdateLikeCnt();
    void OnCleanUp();
    void SetPlayerOutVolume(int volume);
    void SetPlayerInVolume(int volume);

private:
    // The network notice, held while the media is down.
    void ShowMediaDown(bool down);
    // Hides (counting it off) and deletes uid's tile.
    void CloseTile(int uid);
    void OpenTile(UserInfo* user);
    void SetShownCount(int count);
    void DeleteAllTiles();
    // The tiles still alive, in uid order.
    QList<PlayerItem*> Tiles() const;
    // Tiles not hidden, teacher side first, then the others (roles above
    // 4); members that cannot be found are left out once there are two.
    QList<PlayerItem*> PlacedTiles(bool byRole) const;

    int m_dwCurStreamPlayerNum = 0;
    QMap<int, QPointer<PlayerItem>> m_vWidgetMap;
    QMap<int, bool> m_videoStatus; // uid -> switched back on
    QTimer m_frameAgeTimer;
    // Runs while the media is not up: from the start of the engine and
    // from an interruption, until the channel is joined.
    QTimer m_mediaDownTimer;
    bool m_mediaDownShown = false;
    MediaPlayer m_mediaPlayer;
    TeacherInfo m_teacherInfo;
};
