// Plays a list of notes into a WAV file (16000 Hz, mono, 16-bit PCM):
//   plovix_soundgen <in.notes> <out.wav>
// Each line of the notes file is "<frequency in Hz> <length in ms>"; a
// frequency of 0 is a rest, '#' starts a comment. Notes sound like a small
// bell: a few harmonics dying away, with soft edges so nothing clicks.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QVector>
#include <QtEndian>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kRate = 16000;
constexpr double kPeak = 0.45 * 32767;
constexpr double kPi = 3.14159265358979323846;

void AppendNote(QVector<qint16>& samples, double frequency, int ms)
{
    const int count = kRate * ms / 1000;
    const int edge = kRate / 100; // 10 ms in and out
    for (int i = 0; i < count; ++i) {
        double value = 0;
        if (frequency > 0) {
            const double t = double(i) / kRate;
            const double tone = std::sin(2 * kPi * frequency * t) + 0.35 * std::sin(4 * kPi * frequency * t)
                + 0.12 * std::sin(6 * kPi * frequency * t);
            const double envelope = std::exp(-t * 3.2) * std::min({ 1.0, double(i) / edge, double(count - i) / edge });
            value = kPeak * envelope * tone / 1.47;
        }
        samples << qint16(std::lround(value));
    }
}

void Append(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <in.notes> <out.wav>\n", argv[0]);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    QVector<qint16> samples;
    QTextStream lines(&in);
    for (int number = 1; !lines.atEnd(); ++number) {
        const QString line = lines.readLine().section(QLatin1Char('#'), 0, 0).simplified();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char(' '));
        bool frequencyOk = false;
        bool lengthOk = false;
        const double frequency = fields.value(0).toDouble(&frequencyOk);
        const int ms = fields.value(1).toInt(&lengthOk);
        if (fields.size() != 2 || !frequencyOk || !lengthOk || frequency < 0 || ms <= 0) {
            std::fprintf(stderr, "%s:%d: expected \"<frequency> <ms>\"\n", argv[1], number);
            return 1;
        }
        AppendNote(samples, frequency, ms);
    }
    const quint32 dataBytes = quint32(samples.size()) * 2;
    QByteArray wav("RIFF");
    Append(wav, 36 + dataBytes, 4);
    wav.append("WAVEfmt ");
    Append(wav, 16, 4);
    Append(wav, 1, 2); // PCM
    Append(wav, 1, 2); // mono
    Append(wav, kRate, 4);
    Append(wav, kRate * 2, 4);
    Append(wav, 2, 2);
    Append(wav, 16, 2);
    wav.append("data");
    Append(wav, dataBytes, 4);
    for (qint16 sample : samples)
        Append(wav, quint16(sample), 2);
    const QString outPath = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(QFileInfo(outPath).absolutePath());
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(wav) != wav.size()) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
