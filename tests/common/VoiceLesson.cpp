#include "VoiceLesson.h"

#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"

#include "platform/rtc/RtcMedia.h"

#include <QFile>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <unistd.h>

namespace {

constexpr unsigned kTeacher = 71;
constexpr unsigned kStudent = 72;
// Long enough for the echo canceller to find the path, and the noise
// suppressor the noise.
constexpr int kSettleMs = 4000;
constexpr int kMeasureMs = 4000;

using rtcmedia::GeneratedVoice;

double Db(double power)
{
    return 10 * std::log10(std::max(power, 1e-12));
}

// The student's 10 ms powers heard from now on for ms.
QVector<float> Listen(int ms)
{
    rtcmedia::TakePlayedPowers();
    QTest::qWait(ms);
    return rtcmedia::TakePlayedPowers().value(kStudent);
}

double Mean(const QVector<float>& frames, double from = 0, double to = 1)
{
    QVector<float> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    const int begin = int(sorted.size() * from);
    const int end = std::max(begin + 1, int(sorted.size() * to));
    if (sorted.isEmpty() || end > sorted.size())
        return 0;
    return std::accumulate(sorted.begin() + begin, sorted.begin() + end, 0.0) / (end - begin);
}

// CPU seconds the process spent so far.
double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime: the 14th and 15th fields, here after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace

QString MeasureVoice(const ServiceFixture& service, const QString& room, bool processed, VoiceFigures* figures)
{
    rtcmedia::SetGeneratedVoice(GeneratedVoice::Silence);
    LocalPeer teacher(room, kTeacher);
    RemotePeer::Options options;
    options.echo = true;
    options.raw = !processed;
    RemotePeer student(service, room, kStudent, options);
    if (!teacher.Start(service, false))
        return teacher.ErrorText();
    if (!student.Start())
        return student.ErrorText();
    if (teacher.WaitFor("onUserJoined", kStudent).isEmpty() || student.WaitFor("onUserJoined", kTeacher).isEmpty())
        return QStringLiteral("the two did not meet");
    const auto say = [&](GeneratedVoice own, GeneratedVoice other) {
        rtcmedia::SetGeneratedVoice(own);
        student.Send(QStringLiteral("voice %1").arg(int(other)));
    };
    rtcmedia::MeterPlayed(true);
    // The student's sound reaches the teacher's speaker.
    bool heard = false;
    for (int tries = 0; tries < 40 && !heard; ++tries)
        heard = !Listen(500).isEmpty();
    if (!heard) {
        rtcmedia::MeterPlayed(false);
        return QStringLiteral("nothing of the student is played");
    }

    // The canceller finds the echo path's delay by itself: it needs a few
    // seconds of the far voice first.
    say(GeneratedVoice::Speech, GeneratedVoice::Silence);
    QTest::qWait(2 * kSettleMs);
    const double cpuBefore = CpuSeconds(student.ProcessId());
    figures->echo = Db(Mean(Listen(kMeasureMs)));
    figures->studentCpu = (CpuSeconds(student.ProcessId()) - cpuBefore) * 1000 / kMeasureMs;

    say(GeneratedVoice::Speech, GeneratedVoice::OtherSpeech);
    QTest::qWait(kSettleMs / 4);
    figures->doubleTalk = Db(Mean(Listen(kMeasureMs)));

    say(GeneratedVoice::Silence, GeneratedVoice::OtherSpeech);
    QTest::qWait(kSettleMs / 4);
    figures->voice = Db(Mean(Listen(kMeasureMs)));

    say(GeneratedVoice::Silence, GeneratedVoice::NoisySpeech);
    QTest::qWait(kSettleMs);
    const QVector<float> noisy = Listen(kMeasureMs);
    // The words fill a quarter of the time, in sentences with a second of
    // pause between: the noise is taken from the pauses' quietest part,
    // once the suppressor let go of the words, as a listener hears the hum
    // under a lesson.
    figures->noise = Db(Mean(noisy, 0.02, 0.15));
    figures->speech = Db(Mean(noisy, 0.8, 0.97));

    rtcmedia::MeterPlayed(false);
    rtcmedia::SetGeneratedVoice(GeneratedVoice::Tone);
    student.Stop();
    teacher.Stop();
    return QString();
}
