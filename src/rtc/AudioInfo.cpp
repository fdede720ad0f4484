#include "AudioInfo.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {

quint32 MaxAmplitude(const QAudioFormat& format)
{
    const QAudioFormat::SampleType type = format.sampleType();
    switch (format.sampleSize()) {
    case 8:
        return type == QAudioFormat::SignedInt ? 127 : type == QAudioFormat::UnSignedInt ? 255 : 0;
    case 16:
        return type == QAudioFormat::SignedInt ? 32767 : type == QAudioFormat::UnSignedInt ? 65535 : 0;
    case 32:
        return type == QAudioFormat::UnSignedInt                               ? 0xffffffffu
            : (type == QAudioFormat::SignedInt || type == QAudioFormat::Float) ? 0x7fffffffu
                                                                               : 0;
    default:
        return 0;
    }
}

template <typename T> T Read(const uchar* p, bool little)
{
    return little ? qFromLittleEndian<T>(p) : qFromBigEndian<T>(p);
}

// One sample as an unsigned magnitude; the most negative signed value wraps
// to a large number and is clamped to full scale by the caller.
quint32 Sample(const uchar* p, int bits, QAudioFormat::SampleType type, bool little)
{
    if (bits == 8)
        return type == QAudioFormat::UnSignedInt ? *p : static_cast<quint32>(std::abs(static_cast<int>(qint8(*p))));
    if (bits == 16) {
        if (type == QAudioFormat::UnSignedInt)
            return Read<quint16>(p, little);
        return static_cast<quint32>(std::abs(static_cast<int>(Read<qint16>(p, little))));
    }
    if (type == QAudioFormat::UnSignedInt)
        return Read<quint32>(p, little);
    if (type == QAudioFormat::SignedInt) {
        const qint32 v = Read<qint32>(p, little);
        return v < 0 ? 0u - static_cast<quint32>(v) : static_cast<quint32>(v);
    }
    const quint32 raw = Read<quint32>(p, little);
    float f = 0;
    std::memcpy(&f, &raw, sizeof f);
    const double scaled = std::fabs(static_cast<double>(f)) * 2147483648.0;
    // Out-of-range values (and NaN) are full scale, never undefined.
    return (scaled >= 4294967295.0 || std::isnan(scaled)) ? 0xffffffffu : static_cast<quint32>(scaled);
}

} // namespace

AudioInfo::AudioInfo(const QAudioFormat& format, QObject* parent)
    : QIODevice(parent)
    , m_format(format)
    , m_maxAmplitude(MaxAmplitude(format))
{ }

void AudioInfo::start()
{
    open(QIODevice::WriteOnly);
}

void AudioInfo::stop()
{
    close();
}

qint64 AudioInfo::readData(char* data, qint64 maxlen)
{
    Q_UNUSED(data)
    Q_UNUSED(maxlen)
    return 0;
}

qint64 AudioInfo::writeData(const char* data, qint64 len)
{
    if (m_maxAmplitude != 0 && m_format.channelCount() > 0) {
        const int channelBytes = m_format.sampleSize() / 8;
        const int frameBytes = m_format.channelCount() * channelBytes;
        const qint64 frames = len / frameBytes;
        const bool little = m_format.byteOrder() == QAudioFormat::LittleEndian;
        const auto* p = reinterpret_cast<const uchar*>(data);
        quint32 peak = 0;
        for (qint64 i = 0; i < frames * m_format.channelCount(); ++i, p += channelBytes)
            peak = qMax(peak, Sample(p, m_format.sampleSize(), m_format.sampleType(), little));
        peak = qMin(peak, m_maxAmplitude);
        m_level = static_cast<double>(peak) / m_maxAmplitude;
    }
    emit update();
    return len;
}
