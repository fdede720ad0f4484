#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QString>
#include <optional>

// The PCM sound of a RIFF/WAVE file: its format and its sample bytes
// (whole frames only), without the header.
struct WavSound {
    QAudioFormat format;
    QByteArray data;

    // Nothing for a file that cannot be read, is not PCM WAVE or is
    // malformed (a chunk running past the end, no format before the data).
    static std::optional<WavSound> Read(const QString& path);
    static std::optional<WavSound> Parse(const QByteArray& file);
};
