// The lesson's voice processing, on this machine, in one run (inside
// tools/netns.sh):
// - a lesson of two through the local service's media server, the
//   student's speaker coming back into its microphone through the demo's
//   echo path, once without processing and once with it: echo return loss
//   enhancement (what the teacher hears of the own voice, target at least
//   25 dB), the loss of the student's voice while both speak (target under
//   6 dB), the noise taken from a noisy microphone and the change of the
//   words over it (targets at least 10 dB and within 3 dB), and the CPU
//   share of the student's whole process (sending video too);
// - the processing alone: 60 s of microphone sound (with as much played
//   sound for the canceller) through the processor as fast as it goes, and
//   the same without it: CPU share of one core per sent stream (target
//   under 5 %).
//
//   tools/netns.sh build/bench/bench_voice
#include "ServiceFixture.h"
#include "TestSupport.h"
#include "VoiceLesson.h"

#include "platform/rtc/RtcMediaInner.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <tuple>

namespace {

constexpr int kSeconds = 60;

double ProcessCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The speaker plays what the microphone takes: the canceller has work.
GstPadProbeReturn OnSpoken(GstPad*, GstPadProbeInfo* info, gpointer)
{
    rtcmedia::inner::Played(99, GST_PAD_PROBE_INFO_BUFFER(info), 1);
    return GST_PAD_PROBE_OK;
}

// CPU seconds per second of sound through the microphone's chain, with or
// without the processor; -1 when it cannot run.
double ChainCost(bool processed)
{
    using namespace rtcmedia::inner;
    GstElement* pipeline = gst_pipeline_new("voice-bench");
    GstElement* source = Make("audiotestsrc");
    GstElement* caps = Make("capsfilter");
    GstElement* sink = Make("fakesink");
    GstElement* voice = processed ? MakeVoiceProcessor() : nullptr;
    if (!source || !caps || !sink || (processed && !voice))
        return -1;
    g_object_set(source, "wave", 5 /* white noise */, "volume", 0.2, "samplesperbuffer", rtcmedia::kSampleRate / 100,
        "num-buffers", kSeconds * 100, nullptr);
    SetCaps(caps, PcmCaps(1));
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), source, caps, sink, nullptr);
    if (voice) {
        gst_bin_add(GST_BIN(pipeline), voice);
        gst_element_link_many(source, caps, voice, sink, nullptr);
    } else {
        gst_element_link_many(source, caps, sink, nullptr);
    }
    GstPad* pad = gst_element_get_static_pad(caps, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnSpoken, nullptr, nullptr);
    gst_object_unref(pad);
    const double before = ProcessCpuSeconds();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end
        = gst_bus_timed_pop_filtered(bus, 600 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    const double cost = (ProcessCpuSeconds() - before) / kSeconds;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return done ? cost : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX"));
    TestSupport::UseHome(home.path());
    qputenv("PLOVIX_MEDIA_DEMO", "1");
    qputenv("PLOVIX_RTC_NO_AUDIO", "1");
    QApplication app(argc, argv);
    rtcmedia::Init();
    const double plain = ChainCost(false);
    const double processed = ChainCost(true);
    std::printf("bench_voice: CPU per sent stream, one core = 100 %%: %.2f %% without processing, %.2f %% with it"
                " (the processing %.2f %%, target under 5 %%)\n",
        plain * 100, processed * 100, (processed - plain) * 100);
    if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR")) {
        std::fprintf(stderr, "bench_voice: the lesson needs tools/netns.sh\n");
        return 2;
    }
    ServiceFixture service;
    if (!service.Start(false, { QStringLiteral("--media-server") }) || service.MediaUrl().isEmpty()) {
        std::fprintf(stderr, "bench_voice: no media server: %s\n", qPrintable(service.ErrorText()));
        return 1;
    }
    VoiceFigures raw;
    VoiceFigures voice;
    for (const auto& [room, figures, processing] : { std::make_tuple(QStringLiteral("R101"), &raw, false),
             std::make_tuple(QStringLiteral("R102"), &voice, true) }) {
        const QString failed = MeasureVoice(service, room, processing, figures);
        if (!failed.isEmpty()) {
            std::fprintf(stderr, "bench_voice: %s\n", qPrintable(failed));
            return 1;
        }
    }
    std::printf("bench_voice: echo heard back %.1f dB without processing, %.1f dB with it:"
                " echo return loss enhancement %.1f dB (target at least 25)\n",
        raw.echo, voice.echo, raw.echo - voice.echo);
    std::printf("bench_voice: the student's voice %.1f dB alone without processing, %.1f dB in double talk with it:"
                " loss %.1f dB (target under 6)\n",
        raw.voice, voice.doubleTalk, raw.voice - voice.doubleTalk);
    std::printf("bench_voice: noise between the words %.1f dB without processing, %.1f dB with it: reduction %.1f dB"
                " (target at least 10); the words %.1f dB and %.1f dB: change %+.1f dB (target within 3)\n",
        raw.noise, voice.noise, raw.noise - voice.noise, raw.speech, voice.speech, voice.speech - raw.speech);
    std::printf("bench_voice: the student's whole process (video too) %.1f %% of a core without processing,"
                " %.1f %% with it\n",
        raw.studentCpu * 100, voice.studentCpu * 100);
    service.Stop();
    return 0;
}
