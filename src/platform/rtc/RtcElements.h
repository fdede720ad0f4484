#pragma once

// The media elements the peer connections plug in: local sources with fixed
// caps and the receivers of remote sound.

typedef struct _GstElement GstElement;

namespace rtcelements {

// A bin with an always src pad "src" giving
// video/x-raw,format=I420,width=640,height=480,framerate=30/1.
GstElement* CameraSource(unsigned uid);
// A bin with an always src pad "src" giving
// audio/x-raw,format=S16LE,rate=48000,channels=1.
GstElement* MicrophoneSource();
// A bin with a sink pad "sink" taking Opus RTP and playing it.
GstElement* RemoteAudioBranch();

} // namespace rtcelements
