// Generated sources stand in for the capture devices here.
#include "RtcElements.h"

#include <gst/gst.h>

namespace rtcelements {

namespace {
GstElement* Bin(const char* description)
{
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(description, TRUE, &error);
    g_clear_error(&error);
    return bin;
}
} // namespace

GstElement* CameraSource(unsigned)
{
    return Bin("videotestsrc is-live=true pattern=ball ! "
               "capsfilter caps=\"video/x-raw,format=I420,width=640,height=480,framerate=30/1\"");
}

GstElement* MicrophoneSource()
{
    return Bin("audiotestsrc is-live=true wave=sine freq=440 volume=0.3 ! "
               "capsfilter caps=\"audio/x-raw,format=S16LE,rate=48000,channels=1\"");
}

GstElement* RemoteAudioBranch()
{
    return Bin("queue ! rtpopusdepay ! opusdec ! audioconvert ! fakesink sync=false async=false");
}

} // namespace rtcelements
