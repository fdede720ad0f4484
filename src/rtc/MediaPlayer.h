#pragma once

#include <QObject>
#include <QString>

#include "platform/RtcEngine.h"

class AudioInManager;
class AudioOutManager;
class CAgoraObject;
class Player;

// The engine-facing half of the video panel: starts the RTC engine once the
// room data is complete, joins the room's channel, restores the volumes
// after the join and serves the tool bar, the device dialog and the device
// test with volumes and device ids. GUI thread; callers test
// GetAgoraObject() before every engine operation: it stays null until the
// engine has been made.
class MediaPlayer : public QObject
{
    Q_OBJECT

public:
    // Results of InitPlayer besides 0 and 1 (the truth of the last step).
    static constexpr int kWrapperFailed = 12291;
    static constexpr int kNoEngine = 12290;

    explicit MediaPlayer(QObject* parent = nullptr);

    void SetOwner(Player* owner) { m_owner = owner; }
    CAgoraObject* GetAgoraObject() const { return m_agoraObject; }
    // Hands over an engine made elsewhere (not owned).
    void SetAgoraObject(CAgoraObject* engine) { m_agoraObject = engine; }
    rtc::IRtcEngine* GetRtcEngine() const { return m_engine; }

    // Starts the engine with the room's application id and joins the
    // channel: kWrapperFailed, kNoEngine, or whether the last setting held.
    int InitPlayer();
    void JoinChannel();

    void OnMuteLocalAudio(bool muted);
    void SetAudioInputVolume(int volume);
    void SetAudioOutputVolume(int volume);
    int GetAudioInVolume();
    int GetAudioOutVolume();
    // The input's or output's volume now, withoutEngine before the engine
    // is made.
    int GetDeviceVolume(bool input, int withoutEngine);
    // The engine id of the device with exactly that name; empty when none.
    QString GetAudioInDeviceId(const QString& name);
    QString GetAudioOutDeviceId(const QString& name);
    bool CreateAudioInManager();
    bool CreateAudioOutManager();
    bool CreateCameraManager();
    // Sets the stored volumes again after a join.
    void VolumRecoeryAftAgoraJoin();
    // The device wrappers, made when missing; null without an engine.
    AudioInManager* InManager();
    AudioOutManager* OutManager();

    // Used by the panel's layout.
    int GetLastLayoutCount() const { return m_lastLayoutCount; }
    void SetLastLayoutCount(int count) { m_lastLayoutCount = count; }
    int GetRemoteProfileSelector() const { return m_remoteProfileSelector; }
    void SetRemoteProfileSelector(int selector) { m_remoteProfileSelector = selector; }

private:
    Player* m_owner = nullptr;
    rtc::IRtcEngine* m_engine = nullptr;
    CAgoraObject* m_agoraObject = nullptr; // the process-wide wrapper
    int m_lastLayoutCount = 0;
    int m_remoteProfileSelector = 0;
};
