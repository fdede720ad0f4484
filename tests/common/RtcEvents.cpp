#include "RtcEvents.h"

#include "platform/rtc/RtcMedia.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

QJsonObject Event(const char* name, rtc::uid_t uid = 0)
{
    QJsonObject line { { "event", QString::fromLatin1(name) } };
    if (uid)
        line.insert(QStringLiteral("uid"), qint64(uid));
    return line;
}

QJsonObject Coded(const char* name, int code, const char* msg)
{
    QJsonObject line = Event(name);
    line.insert(QStringLiteral("code"), code);
    line.insert(QStringLiteral("message"), QString::fromUtf8(msg ? msg : ""));
    return line;
}

QJsonObject Sized(const char* name, rtc::uid_t uid, int width, int height, int elapsed)
{
    QJsonObject line = Event(name, uid);
    line.insert(QStringLiteral("width"), width);
    line.insert(QStringLiteral("height"), height);
    line.insert(QStringLiteral("elapsed"), elapsed);
    return line;
}

QJsonObject Joined(const char* name, const char* channel, rtc::uid_t uid, int elapsed)
{
    QJsonObject line = Event(name, uid);
    line.insert(QStringLiteral("channel"), QString::fromUtf8(channel ? channel : ""));
    line.insert(QStringLiteral("elapsed"), elapsed);
    return line;
}

QJsonObject Flagged(const char* name, rtc::uid_t uid, const char* key, bool value)
{
    QJsonObject line = Event(name, uid);
    line.insert(QString::fromLatin1(key), value);
    return line;
}

} // namespace

RtcEventRecorder::RtcEventRecorder(Sink sink)
    : m_sink(std::move(sink))
{ }

void RtcEventRecorder::onJoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed)
{
    m_sink(Joined("onJoinChannelSuccess", channel, uid, elapsed));
}

void RtcEventRecorder::onRejoinChannelSuccess(const char* channel, rtc::uid_t uid, int elapsed)
{
    m_sink(Joined("onRejoinChannelSuccess", channel, uid, elapsed));
}

void RtcEventRecorder::onError(int err, const char* msg)
{
    m_sink(Coded("onError", err, msg));
}

void RtcEventRecorder::onWarning(int warn, const char* msg)
{
    m_sink(Coded("onWarning", warn, msg));
}

void RtcEventRecorder::onLeaveChannel(const rtc::RtcStats& /*stats*/)
{
    m_sink(Event("onLeaveChannel"));
}

void RtcEventRecorder::onUserJoined(rtc::uid_t uid, int /*elapsed*/)
{
    m_sink(Event("onUserJoined", uid));
}

void RtcEventRecorder::onUserOffline(rtc::uid_t uid, int reason)
{
    QJsonObject line = Event("onUserOffline", uid);
    line.insert(QStringLiteral("reason"), reason);
    m_sink(line);
}

void RtcEventRecorder::onUserMuteAudio(rtc::uid_t uid, bool muted)
{
    m_sink(Flagged("onUserMuteAudio", uid, "muted", muted));
}

void RtcEventRecorder::onUserMuteVideo(rtc::uid_t uid, bool muted)
{
    m_sink(Flagged("onUserMuteVideo", uid, "muted", muted));
}

void RtcEventRecorder::onFirstRemoteVideoDecoded(rtc::uid_t uid, int width, int height, int elapsed)
{
    m_sink(Sized("onFirstRemoteVideoDecoded", uid, width, height, elapsed));
}

void RtcEventRecorder::onFirstRemoteVideoFrame(rtc::uid_t uid, int width, int height, int elapsed)
{
    m_sink(Sized("onFirstRemoteVideoFrame", uid, width, height, elapsed));
}

void RtcEventRecorder::onAudioVolumeIndication(int speakerCount, int totalVolume)
{
    QJsonObject line = Event("onAudioVolumeIndication");
    line.insert(QStringLiteral("speakers"), speakerCount);
    line.insert(QStringLiteral("volume"), totalVolume);
    m_sink(line);
}

void RtcEventRecorder::onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality)
{
    QJsonObject line = Event("onNetworkQuality", uid);
    line.insert(QStringLiteral("tx"), txQuality);
    line.insert(QStringLiteral("rx"), rxQuality);
    m_sink(line);
}

void RtcEventRecorder::onAudioQuality(rtc::uid_t uid, int quality, unsigned short delay, unsigned short lost)
{
    QJsonObject line = Event("onAudioQuality", uid);
    line.insert(QStringLiteral("quality"), quality);
    line.insert(QStringLiteral("delay"), delay);
    line.insert(QStringLiteral("lost"), lost);
    m_sink(line);
}

void RtcEventRecorder::onRtcStats(const rtc::RtcStats& stats)
{
    QJsonObject line = Event("onRtcStats");
    line.insert(QStringLiteral("duration"), qint64(stats.duration));
    line.insert(QStringLiteral("txBytes"), qint64(stats.txBytes));
    line.insert(QStringLiteral("rxBytes"), qint64(stats.rxBytes));
    line.insert(QStringLiteral("users"), qint64(stats.users));
    m_sink(line);
}

void RtcEventRecorder::onConnectionInterrupted()
{
    m_sink(Event("onConnectionInterrupted"));
}

void RtcEventRecorder::onConnectionLost()
{
    m_sink(Event("onConnectionLost"));
}

bool RtcEventRecorder::onCaptureVideoFrame(rtc::VideoFrame& frame)
{
    ++m_captured;
    if (captured)
        captured(frame);
    return true;
}

bool RtcEventRecorder::onRenderVideoFrame(rtc::uid_t uid, rtc::VideoFrame& frame)
{
    bool first = false;
    const rtcmedia::PictureCode code = rtcmedia::ReadPictureCode(frame);
    {
        QMutexLocker lock(&m_lock);
        first = !m_rendered.contains(uid);
        ++m_rendered[uid];
        if (code.valid && code.uid == uid)
            ++m_readable[uid];
    }
    if (first)
        m_sink(Sized("frame", uid, frame.width, frame.height, 0));
    if (rendered)
        rendered(uid, frame);
    return true;
}

QJsonObject RtcEventRecorder::Stats()
{
    QJsonObject rendered;
    QJsonObject readable;
    {
        QMutexLocker lock(&m_lock);
        for (auto it = m_rendered.cbegin(); it != m_rendered.cend(); ++it)
            rendered.insert(QString::number(it.key()), it.value());
        for (auto it = m_readable.cbegin(); it != m_readable.cend(); ++it)
            readable.insert(QString::number(it.key()), it.value());
    }
    QJsonObject line = Event("stats");
    line.insert(QStringLiteral("rendered"), rendered);
    line.insert(QStringLiteral("readable"), readable);
    line.insert(QStringLiteral("captured"), m_captured.load());
    return line;
}

qint64 RtcEventRecorder::RenderedFrames(rtc::uid_t uid)
{
    QMutexLocker lock(&m_lock);
    return m_rendered.value(uid);
}

QJsonObject RtcEventLog::WaitFor(
    const QString& name, const std::function<bool(const QJsonObject&)>& matching, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    int seen = 0;
    for (;;) {
        Collect();
        for (; seen < m_events.size(); ++seen) {
            const QJsonObject& event = m_events.at(seen);
            if (event.value(QLatin1String("event")).toString() == name && (!matching || matching(event)))
                return event;
        }
        if (clock.elapsed() >= timeoutMs || !Alive())
            return QJsonObject();
        Idle(20);
    }
}

QJsonObject RtcEventLog::WaitFor(const QString& name, unsigned uid, int timeoutMs)
{
    return WaitFor(
        name, [uid](const QJsonObject& event) { return event.value(QLatin1String("uid")).toInt() == int(uid); },
        timeoutMs);
}

QList<QJsonObject> RtcEventLog::Events(const QString& name)
{
    Collect();
    if (name.isEmpty())
        return m_events;
    QList<QJsonObject> named;
    for (const QJsonObject& event : m_events)
        if (event.value(QLatin1String("event")).toString() == name)
            named << event;
    return named;
}

void RtcEventLog::ClearEvents()
{
    Collect();
    m_events.clear();
}

void RtcEventLog::Idle(int ms)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    QThread::msleep(5);
}
