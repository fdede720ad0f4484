#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QVector>

// Media files made by the tests themselves, never downloaded.
namespace TestMedia {

// A raw video (YUV4MPEG2) of that many seconds: every frame shows its own
// time in large digits over a colour that changes each second, and a bar
// that moves across, so a picture tells where the video stands. Zero
// seconds gives a file with a header and no frame.
bool WriteVideo(const QString& path, int seconds, int fps = 10, const QSize& size = QSize(160, 120));
// A 440 Hz tone (WAV, 16-bit mono) of that many seconds.
bool WriteSound(const QString& path, int seconds, int rate = 8000);
// An AAC file in ADTS frames decoded to mono 16-bit samples; no rate when
// it does not decode to its end.
struct Sound {
    QVector<qint16> samples;
    int rate = 0;
    qint64 LengthMs() const { return rate ? samples.size() * 1000LL / rate : 0; }
};
Sound DecodeAac(const QString& path);
// Amplitude (0 to 1 of full scale) of a tone of hz in the samples from
// first on, count of them (Goertzel).
double ToneLevel(const Sound& sound, int first, int count, double hz);
// The number of ADTS frames that fill bytes exactly, -1 when they do not
// end where the bytes end (a file cut short).
int AdtsFrames(const QByteArray& bytes);

// The time a frame of WriteVideo shows, as drawn: "ss.f" seconds.
QString FrameLabel(int frame, int fps);

} // namespace TestMedia
