#pragma once

#include "platform/RtcEngine.h"

#include <QtGlobal>
#include <array>
#include <utility>

// Receives the RTC engine's events on the engine's callback thread, one at a
// time. What leaves it is queued: the local user's join and the state of
// the media link reach the video panel, the link-quality alarm reaches the
// session. Most others only write a log line; the rest keep the empty
// defaults.
class CAGEngineEventHandler : public rtc::IRtcEngineEventHandler
{
public:
    // The one handler of the process.
    static CAGEngineEventHandler* Instance();

    void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
    void onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
    void onWarning(int warn, const char* msg) override;
    void onError(int err, const char* msg) override;
    void onLeaveChannel(const rtc::RtcStats& stats) override;
    void onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality) override;
    void onLastmileQuality(int quality) override;
    void onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int elapsed) override;
    void onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height, int elapsed) override;
    void onUserJoined(rtc::uid_t uid, int elapsed) override;
    void onUserOffline(rtc::uid_t uid, int reason) override;
    void onUserMuteAudio(rtc::uid_t uid, bool muted) override;
    void onUserMuteVideo(rtc::uid_t uid, bool muted) override;
    void onUserEnableVideo(rtc::uid_t uid, bool enabled) override;
    void onVideoStopped() override;
    void onConnectionInterrupted() override;
    void onConnectionLost() override;
    void onStreamMessageError(rtc::uid_t uid, int streamId, int code, int missed, int cached) override;

    // The ring of link reports, for tests: forgets every report.
    void ResetQualityRing();

private:
    // The last 60 reports of the local link (transmit, receive), 0 = empty;
    // touched by the callback thread only.
    std::array<std::pair<int, int>, 60> m_ring {};
    int m_ringIndex = 0;
    qint64 m_windowStart = 0; // seconds; 0 until the first report
};
