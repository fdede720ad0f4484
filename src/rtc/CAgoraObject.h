#pragma once

#include <QJsonArray>
#include <QString>
#include <functional>
#include <memory>

#include "platform/RtcEngine.h"

class AudioInManager;
class AudioOutManager;
class CameraManager;

// The one way to the RTC engine: makes it, hands it the event handler and
// the frame observer, and turns every engine feature the program uses into
// a method. A truth-valued method is true exactly when the engine answered
// 0; GetLastResult tells the raw answer (-7: no engine or no parameter
// interface). GUI thread only; worker threads ask the GUI thread.
class CAgoraObject
{
public:
    // The process-wide wrapper, made on first use with its engine. With a
    // non-empty application id the engine is (re)initialised with it and
    // the frame observer registered. Null only when it cannot be made.
    static CAgoraObject* GetAgoraObject(const QString& appId = QString());
    // The wrapper when it exists; never makes one.
    static CAgoraObject* Instance();
    // Closes the device wrappers, releases the engine and deletes the
    // wrapper.
    static void ReleaseEngine();

    // The engine, made by the factory when missing.
    rtc::IRtcEngine* GetRtcEngine();
    QString GetSDKVersion();
    int GetLastResult() const { return m_lastResult; }

    // Channel and media.
    bool JoinChannel(const QString& channelName, unsigned uid, const QString& key);
    // The relays of the key road ("relays"), for the next join.
    bool SetRelays(const QJsonArray& relays);
    bool LeaveChannel();
    bool EnableVideo(bool enable);
    bool EnableVideo2(bool enable);
    bool SetClientRole(int role, const char* reserved = nullptr);
    bool SetAudioProfile(int profile, int scenario);

    // Parameters.
    bool EnableWebSdkInteroperability(bool enable);
    bool setVideoQualityParameters(bool preferFrameRate);
    bool MuteLocalAudio(bool muted);
    bool EnableLocalVideo(bool enable);
    bool MuteRemoteVideoStream(unsigned uid, bool mute);
    // Started paused, the file waits at its start, unheard, for
    // ResumeAudioMixing.
    bool StartAudioMixing(const QString& filePath, bool loopback, bool replace, int cycle, bool paused = false);
    bool StopAudioMixing();
    bool PauseAudioMixing();
    bool ResumeAudioMixing();
    bool SetAudioMixingVolume(int volume);
    // The engine's raw answer.
    int SetAudioMixingPosition(int milliseconds);
    // The value, or the engine's non-zero answer.
    int GetAudioMixingDuration();
    int GetAudioMixingCurrentPosition();
    bool StartAudioRecording(const QString& filePath, int quality);
    bool StopAudioRecording();
    // A path that names nothing on disk means "AgoraSDK.log" in the data
    // folder, beside the debug log: an installed program's folder is not
    // the user's to write.
    bool SetLogFilePath(const QString& path);

    // Device wrappers: made on first use, the device list read afresh by
    // every Create call; true when a list is held. Get… never makes one.
    bool CreateAudioInManager();
    bool CreateAudioOutManager();
    bool CreateCameraManager();
    AudioInManager* GetAudioInManager() const { return m_audioIn.get(); }
    AudioOutManager* GetAudioOutManager() const { return m_audioOut.get(); }
    CameraManager* GetCameraManager() const { return m_camera.get(); }

    QString GetAppId() const { return m_appId; }
    QString GetChannelName() const { return m_channelName; }
    bool IsVideoEnabled() const { return m_videoEnabled; }
    bool IsVideo2Enabled() const { return m_video2Enabled; }
    bool IsLocalAudioMuted() const { return m_localAudioMuted; }
    bool IsLocalVideoEnabled() const { return m_localVideoEnabled; }
    int GetClientRole() const { return m_clientRole; }

private:
    CAgoraObject();
    ~CAgoraObject();
    CAgoraObject(const CAgoraObject&) = delete;
    CAgoraObject& operator=(const CAgoraObject&) = delete;

    // Runs call with a freshly queried parameter interface; -7 without.
    int WithParameters(const std::function<int(rtc::IRtcEngineParameter*)>& call);
    int SetParameters(const QString& json);
    // The path as the engine names it, then set(converted); -2 when the
    // engine cannot name it.
    int WithConvertedPath(
        const QString& path, const std::function<int(rtc::IRtcEngineParameter*, const QString&)>& set);
    bool Result(int result);

    rtc::IRtcEngine* m_engine = nullptr;
    QString m_appId;
    QString m_channelName;
    bool m_videoEnabled = false;
    bool m_video2Enabled = true;
    bool m_localAudioMuted = false;
    bool m_localVideoEnabled = false;
    int m_clientRole = 0;
    int m_lastResult = 0;
    std::unique_ptr<AudioInManager> m_audioIn;
    std::unique_ptr<AudioOutManager> m_audioOut;
    std::unique_ptr<CameraManager> m_camera;
};
