#include "WavSound.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

namespace {
// Larger files are no test sound; they are refused before being read.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

quint16 U16(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 U32(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
} // namespace

std::optional<WavSound> WavSound::Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        qDebug() << "the sound file cannot be read or is too large:" << path;
        return std::nullopt;
    }
    std::optional<WavSound> sound = Parse(file.readAll());
    if (!sound)
        qDebug() << "the sound file is no PCM WAVE file:" << path;
    return sound;
}

std::optional<WavSound> WavSound::Parse(const QByteArray& file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<QAudioFormat> format;
    qint64 at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const qint64 size = U32(file, at + 4);
        const qint64 body = at + 8;
        if (size > file.size() - body)
            return std::nullopt;
        if (id == "fmt ") {
            if (size < 16 || U16(file, body) != 1) // PCM only
                return std::nullopt;
            QAudioFormat f;
            f.setCodec(QStringLiteral("audio/pcm"));
            f.setChannelCount(U16(file, body + 2));
            f.setSampleRate(int(U32(file, body + 4)));
            f.setSampleSize(U16(file, body + 14));
            f.setByteOrder(QAudioFormat::LittleEndian);
            f.setSampleType(f.sampleSize() == 8 ? QAudioFormat::UnSignedInt : QAudioFormat::SignedInt);
            if (f.channelCount() < 1 || f.sampleRate() < 1 || f.sampleSize() % 8 != 0 || f.sampleSize() < 8)
                return std::nullopt;
            format = f;
        } else if (id == "data") {
            if (!format)
                return std::nullopt;
            const int frameBytes = format->bytesPerFrame();
            return WavSound { *format, file.mid(body, size - size % frameBytes) };
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}
