// Sound of the engine: accompaniment files, played and mixed into the
// published sound by the media layer.
#include "EngineState.h"
#include "platform/RtcEngine.h"
#include "platform/SystemDevices.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace rtcengine {

qint64 WavLengthMs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return -1;
    quint32 byteRate = 0;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return -1;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = file.read(qMin<quint32>(size, 16));
            if (fmt.size() < 16)
                return -1;
            byteRate = qFromLittleEndian<quint32>(fmt.constData() + 8);
            file.skip(qint64(size) - fmt.size() + (size & 1));
        } else if (chunk.startsWith("data")) {
            if (byteRate == 0)
                return -1;
            // A header still being written says 0; the file's size tells.
            const qint64 bytes = size ? qint64(size) : file.size() - file.pos();
            return bytes * 1000 / byteRate;
        } else if (!file.skip(qint64(size) + (size & 1))) {
            return -1;
        }
    }
    return -1;
}

// --- Mixer: the file's sound is the media layer's accompaniment; the
// length is learnt before, the position read from its pipeline.

struct Mixer::Inner {
    mutable QMutex mutex;
    QString path;
    qint64 lengthMs = -1; // known from the start of each file
    int volume = 100;
    std::unique_ptr<rtcmedia::Accompaniment> playing; // null while stopped
};

Mixer::Mixer()
    : m_inner(std::make_shared<Inner>())
{ }

Mixer::~Mixer() = default;

int Mixer::Start(const QString& path, bool loopback, bool replace, int cycle, bool paused)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || cycle == 0)
        return rtc::ERR_INVALID_ARGUMENT;
    // A file without sound (not audio at all, or of no length) is refused
    // as the engine refuses a file it cannot open.
    const qint64 length = SoundLengthMs(path);
    if (length <= 0)
        return rtc::ERR_INVALID_ARGUMENT;
    Stop();
    std::unique_ptr<rtcmedia::Accompaniment> playing
        = rtcmedia::Accompaniment::Start(path, loopback, replace, cycle, paused);
    if (!playing)
        return rtc::ERR_INVALID_ARGUMENT;
    QMutexLocker lock(&m_inner->mutex);
    playing->SetVolume(m_inner->volume);
    m_inner->playing = std::move(playing);
    m_inner->path = path;
    m_inner->lengthMs = length;
    return rtc::ERR_OK;
}

int Mixer::Stop()
{
    std::unique_ptr<rtcmedia::Accompaniment> playing;
    {
        QMutexLocker lock(&m_inner->mutex);
        playing = std::move(m_inner->playing);
    }
    return playing ? rtc::ERR_OK : rtc::ERR_NOT_READY;
}

int Mixer::Pause(bool paused)
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->playing)
        return rtc::ERR_NOT_READY;
    // Over already: nothing left to pause or resume.
    m_inner->playing->Pause(paused);
    return rtc::ERR_OK;
}

int Mixer::SetVolume(int volume)
{
    if (volume < 0 || volume > 100)
        return rtc::ERR_INVALID_ARGUMENT;
    QMutexLocker lock(&m_inner->mutex);
    m_inner->volume = volume;
    if (m_inner->playing)
        m_inner->playing->SetVolume(volume);
    return rtc::ERR_OK;
}

int Mixer::Seek(int ms)
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->playing)
        return rtc::ERR_NOT_READY;
    if (ms < 0)
        return rtc::ERR_INVALID_ARGUMENT;
    return m_inner->playing->Seek(qMin<qint64>(ms, m_inner->lengthMs)) ? rtc::ERR_OK : rtc::ERR_NOT_READY;
}

int Mixer::Length(int& ms) const
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->playing || m_inner->lengthMs < 0)
        return rtc::ERR_NOT_READY;
    ms = int(m_inner->lengthMs);
    return rtc::ERR_OK;
}

int Mixer::Played(int& ms) const
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->playing)
        return rtc::ERR_NOT_READY;
    // Played to the end, it stays there until stopped: that is how the
    // accompaniment bar learns the end.
    const qint64 position = m_inner->playing->Ended() ? m_inner->lengthMs : m_inner->playing->Position();
    ms = int(qBound<qint64>(0, position, m_inner->lengthMs));
    return rtc::ERR_OK;
}

bool Mixer::IsMixing() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->playing != nullptr;
}

QString Mixer::Path() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->path;
}

} // namespace rtcengine
