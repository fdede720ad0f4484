#pragma once

#include <QLabel>

#include "room/TeacherInfo.h"
#include "rtc/MediaPlayer.h"
#include "session/UserInfo.h"

// The video panel of the right column. Lives in the GUI thread; the hub and
// the session thread drive it by emitting its signals.
class Player : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int m_dwCurStreamPlayerNum READ GetCurStreamPlayerNum)

public:
    explicit Player(QWidget* parent = nullptr);
    ~Player() override;

    // Starts the RTC engine and joins the room's channel.
    void InitPlayer();
    MediaPlayer* GetMediaPlayer() { return &m_mediaPlayer; }
    TeacherInfo* GetTeacherInfo() { return &m_teacherInfo; }
    // Number of video tiles shown.
    int GetCurStreamPlayerNum() const { return m_dwCurStreamPlayerNum; }
    void SetCurStreamPlayerNum(int count) { m_dwCurStreamPlayerNum = count; }

signals:
    void CameraStatusChanged(UserInfo* user);
    void MuteLocalAudio(int mute);
    void CamaraClosed(int uid);
    void CleanUp();
    void ShowTeacherInfo();
    void HideTeacherInfo();
    void PlayerSizeAdjust();
    void UpdateLikeCnt();

public slots:
    void OnCameraStatusChanged(UserInfo* user);
    void OnCamaraClosed(int uid);
    void OnMuteLocalAudio(int mute);
    void OnPlayerSizeAdjust();
    void OnUpdateLikeCnt();
    void OnCleanUp();
    void SetPlayerOutVolume(int volume);
    void SetPlayerInVolume(int volume);

private:
    int m_dwCurStreamPlayerNum = 0;
    MediaPlayer m_mediaPlayer;
    TeacherInfo m_teacherInfo;
};
