#pragma once

#include <QSize>
#include <QString>

// Media files made by the tests themselves, never downloaded.
namespace TestMedia {

// A raw video (YUV4MPEG2) of that many seconds: every frame shows its own
// time in large digits over a colour that changes each second, and a bar
// that moves across, so a picture tells where the video stands. Zero
// seconds gives a file with a header and no frame.
bool WriteVideo(const QString& path, int seconds, int fps = 10, const QSize& size = QSize(160, 120));
// A 440 Hz tone (WAV, 16-bit mono) of that many seconds.
bool WriteSound(const QString& path, int seconds, int rate = 8000);
// The time a frame of WriteVideo shows, as drawn: "ss.f" seconds.
QString FrameLabel(int frame, int fps);

} // namespace TestMedia
