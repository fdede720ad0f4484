#pragma once

#include "rtc/MediaDevices.h"

#include <functional>

typedef struct _GstElement GstElement;

// Sound devices and cameras that Qt Multimedia does not know (PipeWire
// nodes, ALSA hw: names, cameras only GStreamer's device monitor finds, the
// demo's generated camera), opened for real through GStreamer. GUI thread.
namespace GstMediaStreams {

// A stream of the sound device of that engine id in format. A device that
// does not open fails at its start (stopped, OpenError); one that breaks
// while in use stops with IOError.
std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& id, const QAudioFormat& format);
// The same on the source or sink element device makes at each start
// (floating; null when it does not open).
std::unique_ptr<AudioStream> OpenAudioOn(
    QAudio::Mode mode, std::function<GstElement*()> device, const QAudioFormat& format);
// The camera's pictures drawn over view; a generated camera shows the
// picture the engine sends for uid. Null when the camera is not there or
// does not open.
std::unique_ptr<CameraStream> OpenCamera(const QString& id, unsigned uid, QCameraViewfinder* view);

} // namespace GstMediaStreams
