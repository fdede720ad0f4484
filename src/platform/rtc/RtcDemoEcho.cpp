// The generated microphone's extras: the speech-like voices that tests and
// benchmarks put in place of its tone, and the demo's echo path, which
// feeds what the speaker plays back into it as a laptop's speaker does
// into its microphone.
#include "RtcMediaInner.h"

#include <QDebug>
#include <atomic>
#include <cmath>
#include <iterator>
#include <memory>
#include <random>

namespace rtcmedia {

using namespace inner;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr size_t kEchoDelay = kSampleRate * 80 / 1000;
constexpr double kEchoGain = 0.5; // -6 dB
constexpr int kEchoNoise = 24; // peak, about -62 dBFS
constexpr int kRamp = kSampleRate / 100; // 10 ms fades at a burst's edges

std::atomic<GeneratedVoice> s_voice { GeneratedVoice::Tone };

bool EchoFromEnvironment()
{
    return qgetenv("PLOVIX_MEDIA_DEMO") == "1" && qgetenv("PLOVIX_MEDIA_DEMO_ECHO") == "1";
}

std::atomic<bool>& EchoOn()
{
    static std::atomic<bool> on { EchoFromEnvironment() };
    return on;
}

// One generated microphone's state; its streaming thread alone uses it.
struct Generated {
    bool silentSource = false; // the silence of a missing microphone
    double syllablesHz = 0; // the tone spoken in syllables at this pitch, if any
    quint64 sample = 0;
    double phase = 0;
    double lowPass = 0;
    std::minstd_rand random { 46 };
    std::unique_ptr<PlayedReader> echo;

    double Noise() { return std::uniform_real_distribution<double>(-1.0, 1.0)(random); }

    // Gain of a burst of length on within a cycle, at position t.
    static double Envelope(quint64 t, quint64 on)
    {
        if (t >= on)
            return 0;
        const quint64 edge = std::min(t, on - 1 - t);
        return edge >= quint64(kRamp) ? 1.0 : double(edge) / kRamp;
    }

    // Noise bursts: 300 ms of low-passed noise, 200 ms of quiet.
    double Speech()
    {
        const quint64 cycle = kSampleRate / 2;
        lowPass = 0.6 * lowPass + 0.4 * Noise();
        return 0.5 * lowPass * Envelope(sample % cycle, kSampleRate * 3 / 10);
    }

    // Tone sweeps from 300 to 1200 Hz in 250 ms, 250 ms of quiet between.
    double Sweep()
    {
        const quint64 cycle = kSampleRate / 2;
        const quint64 on = kSampleRate / 4;
        const quint64 t = sample % cycle;
        const double hz = 300.0 + 900.0 * double(std::min(t, on)) / double(on);
        phase = std::fmod(phase + 2 * kPi * hz / kSampleRate, 2 * kPi);
        return 0.2 * std::sin(phase) * Envelope(t, on);
    }

    // The tone in syllables of 180 to 300 ms with pauses of 120 to 300 ms
    // between, each gliding up a little and back, with an overtone: a voice
    // the voice processing keeps, still at the user's own pitch.
    double Syllable()
    {
        static constexpr int kOnMs[] = { 220, 300, 180, 260 };
        static constexpr int kOffMs[] = { 120, 200, 150, 300 };
        constexpr quint64 kCycle = kSampleRate * (220 + 300 + 180 + 260 + 120 + 200 + 150 + 300) / 1000;
        quint64 t = sample % kCycle;
        for (size_t i = 0; i < std::size(kOnMs); ++i) {
            const quint64 on = quint64(kSampleRate) * kOnMs[i] / 1000;
            const quint64 off = quint64(kSampleRate) * kOffMs[i] / 1000;
            if (t < on) {
                const double x = double(t) / double(on);
                const double hz = syllablesHz * (1.0 + 0.15 * (1.0 - std::abs(2.0 * x - 1.0)));
                phase = std::fmod(phase + 2 * kPi * hz / kSampleRate, 2 * kPi);
                return 0.3 * (std::sin(phase) + 0.25 * std::sin(2 * phase)) / 1.25 * Envelope(t, on);
            }
            if (t < on + off)
                return 0;
            t -= on + off;
        }
        return 0;
    }

    void Say(gint16* samples, size_t count, GeneratedVoice voice)
    {
        for (size_t i = 0; i < count; ++i, ++sample) {
            double value = 0;
            switch (voice) {
            case GeneratedVoice::Tone: // spoken only in syllables
                value = Syllable();
                break;
            case GeneratedVoice::Silence:
                break;
            case GeneratedVoice::Speech:
                value = Speech();
                break;
            case GeneratedVoice::OtherSpeech:
                value = Sweep();
                break;
            case GeneratedVoice::NoisySpeech:
                // Sentences of two words, 1 s of pause between them.
                value = Sweep() * (sample % (2 * kSampleRate) < quint64(kSampleRate) ? 1 : 0) + 0.02 * Noise();
                break;
            }
            samples[i] = gint16(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
        }
    }

    void AddEcho(gint16* samples, size_t count)
    {
        if (!echo)
            echo = std::make_unique<PlayedReader>(kEchoDelay);
        std::vector<qint16> played(count);
        echo->Take(played.data(), count);
        for (size_t i = 0; i < count; ++i) {
            const int noise = int(std::lround(Noise() * kEchoNoise));
            const int value = samples[i] + int(std::lround(played[i] * kEchoGain)) + noise;
            samples[i] = gint16(std::clamp(value, -32768, 32767));
        }
    }
};

GstPadProbeReturn OnGenerated(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* generated = static_cast<Generated*>(data);
    const GeneratedVoice voice = s_voice.load(std::memory_order_relaxed);
    const bool echo = EchoOn().load(std::memory_order_relaxed);
    if (!echo)
        generated->echo.reset();
    const bool spoken = voice != GeneratedVoice::Tone || generated->syllablesHz > 0;
    if (generated->silentSource || (!spoken && !echo))
        return GST_PAD_PROBE_OK;
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE))
        return GST_PAD_PROBE_OK;
    auto* samples = reinterpret_cast<gint16*>(map.data);
    const size_t count = map.size / sizeof(gint16);
    if (spoken)
        generated->Say(samples, count, voice);
    if (echo)
        generated->AddEcho(samples, count);
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

} // namespace

void SetGeneratedVoice(GeneratedVoice voice)
{
    s_voice = voice;
}

void SetDemoEcho(bool on)
{
    EchoOn() = on;
}

namespace inner {

GstElement* DemoMicrophone(GstElement* generated, bool syllables)
{
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* caps = Make("capsfilter");
    if (!caps) {
        gst_object_unref(bin);
        return generated;
    }
    SetCaps(caps, PcmCaps(1));
    auto state = std::make_unique<Generated>();
    int wave = 0;
    g_object_get(generated, "wave", &wave, nullptr);
    state->silentSource = wave == 4; // silence
    if (syllables && !state->silentSource)
        g_object_get(generated, "freq", &state->syllablesHz, nullptr);
    // Buffers of 10 ms, the voice processing's frame: the echo comes back
    // as evenly as the microphone's pace allows.
    g_object_set(generated, "samplesperbuffer", kSampleRate / 100, nullptr);
    gst_bin_add_many(GST_BIN(bin), generated, caps, nullptr);
    gst_element_link(generated, caps);
    Ghost(bin, caps, "src");
    GstPad* pad = gst_element_get_static_pad(caps, "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnGenerated, state.release(),
        [](gpointer data) { delete static_cast<Generated*>(data); });
    gst_object_unref(pad);
    return bin;
}

} // namespace inner

} // namespace rtcmedia
