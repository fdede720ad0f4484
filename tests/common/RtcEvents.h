#pragma once

#include "platform/RtcEngine.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>

// The events of one engine as JSON objects, {"event": "onUserJoined",
// "uid": 58, ...}, handed to a sink on the engine's threads; the same
// shape whether the engine runs in this process or in rtc_peer. The first
// rendered frame of each uid gives {"event": "frame", "uid", "width",
// "height"}; frames are counted per uid.
class RtcEventRecorder : public rtc::IRtcEngineEventHandler, public rtc::IVideoFrameObserver
{
public:
    using Sink = std::function<void(const QJsonObject&)>;
    explicit RtcEventRecorder(Sink sink);

    // Called for every frame too, on the engine's render thread (set them
    // before the engine gets the recorder).
    std::function<void(rtc::VideoFrame&)> captured;
    std::function<void(rtc::uid_t, rtc::VideoFrame&)> rendered;

    // {"event": "stats", "rendered": {"58": frames, ...}, "readable": {"58":
    // frames whose picture code names that uid}, "captured": frames}
    QJsonObject Stats();
    qint64 RenderedFrames(rtc::uid_t uid);

    void onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
    void onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed) override;
    void onError(int err, const char* msg) override;
    void onWarning(int warn, const char* msg) override;
    void onLeaveChannel(const rtc::RtcStats& stats) override;
    void onUserJoined(rtc::uid_t uid, int elapsed) override;
    void onUserOffline(rtc::uid_t uid, int reason) override;
    void onUserMuteAudio(rtc::uid_t uid, bool muted) override;
    void onUserMuteVideo(rtc::uid_t uid, bool muted) override;
    void onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int elapsed) override;
    void onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height, int elapsed) override;
    void onAudioVolumeIndication(int speakerCount, int totalVolume) override;
    void onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality) override;
    void onAudioQuality(rtc::uid_t uid, int quality, unsigned short delay, unsigned short lost) override;
    void onRtcStats(const rtc::RtcStats& stats) override;
    void onConnectionInterrupted() override;
    void onConnectionLost() override;

    bool onCaptureVideoFrame(rtc::VideoFrame& frame) override;
    bool onRenderVideoFrame(rtc::uid_t uid, rtc::VideoFrame& frame) override;

private:
    Sink m_sink;
    QMutex m_lock;
    QHash<rtc::uid_t, qint64> m_rendered;
    QHash<rtc::uid_t, qint64> m_readable;
    std::atomic<qint64> m_captured { 0 };
};

// Waiting for the events of a participant.
class RtcEventLog
{
public:
    virtual ~RtcEventLog() = default;

    // Waits until an event named name (and matching, when given) has come,
    // counting the ones seen before too; runs the event loop meanwhile.
    // The event, or an empty object on time-out.
    QJsonObject WaitFor(
        const QString& name, const std::function<bool(const QJsonObject&)>& matching = {}, int timeoutMs = 20000);
    // The same for an event of that name about uid.
    QJsonObject WaitFor(const QString& name, unsigned uid, int timeoutMs = 20000);
    // Every event so far, oldest first (only those named name when given).
    QList<QJsonObject> Events(const QString& name = QString());
    // Forgets the events so far.
    void ClearEvents();

protected:
    // Moves the events come since the last call into m_events.
    virtual void Collect() = 0;
    // False once no more events can come.
    virtual bool Alive() const { return true; }
    // Waits up to ms for more events.
    virtual void Idle(int ms);

    QList<QJsonObject> m_events;
};
