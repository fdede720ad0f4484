#pragma once

#include "platform/RtcEngine.h"

#include <QMap>

// Stamps, per remote user, the time of the latest frame the engine rendered
// (the frame-time table). The engine calls it on its render thread many
// times a second; the video panel reads the table once a second in the GUI
// thread. One mutex guards the table; the observer does nothing else.
class AgoraVideoFrameObserver : public rtc::IVideoFrameObserver
{
public:
    // The one observer of the process.
    static AgoraVideoFrameObserver* Instance();

    bool onCaptureVideoFrame(rtc::VideoFrame& frame) override;
    bool onRenderVideoFrame(rtc::uid_t uid, rtc::VideoFrame& frame) override;

    // The frame-time table: whole seconds since 1970 per uid.
    static bool FrameTime(unsigned uid, qint64* seconds);
    static QMap<unsigned, qint64> FrameTimes();
    static void RemoveFrameTime(unsigned uid);
    static void ClearFrameTimes();
};
