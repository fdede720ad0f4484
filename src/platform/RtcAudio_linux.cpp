// Sound of the engine: accompaniment files played with a clock that answers
// length and position truthfully.
#include "RtcEngine.h"
#include "RtcSim.h"
#include "SystemDevices.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace rtcsim {

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

// --- Mixer: its own clock; the audible copy plays in the GUI thread.

struct Mixer::Inner {
    mutable QMutex mutex;
    bool active = false;
    bool paused = false;
    QString path;
    qint64 lengthMs = -1; // known from the start of each file
    int cycle = 1;
    qint64 baseMs = 0;
    QElapsedTimer running;
    int volume = 100;
    int playbackVolume = 200;
    int generation = 0;
    QPointer<QMediaPlayer> player; // GUI thread only, not under the mutex

    qint64 ElapsedLocked() const { return baseMs + (paused ? 0 : running.elapsed()); }
    // Position in the file; stops the clock at the end of the last cycle.
    qint64 PositionLocked()
    {
        const qint64 elapsed = ElapsedLocked();
        if (lengthMs <= 0)
            return elapsed;
        if (cycle > 0 && elapsed >= lengthMs * cycle) {
            baseMs = lengthMs * cycle;
            paused = true;
            return lengthMs;
        }
        return elapsed % lengthMs;
    }
    int AudibleVolume() const { return volume * playbackVolume / 255; }
};

Mixer::Mixer()
    : m_inner(std::make_shared<Inner>())
{ }

Mixer::~Mixer() = default;

int Mixer::Start(const QString& path, bool loopback, bool replace, int cycle, int playbackVolume)
{
    Q_UNUSED(loopback)
    Q_UNUSED(replace)
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || cycle == 0)
        return rtc::ERR_INVALID_ARGUMENT;
    // A file without sound (not audio at all, or of no length) is refused
    // as the engine refuses a file it cannot open.
    const qint64 length = SoundLengthMs(path);
    if (length <= 0)
        return rtc::ERR_INVALID_ARGUMENT;
    Stop();
    auto inner = m_inner;
    int generation = 0;
    {
        QMutexLocker lock(&inner->mutex);
        inner->active = true;
        inner->paused = false;
        inner->path = path;
        inner->lengthMs = length;
        inner->cycle = cycle;
        inner->baseMs = 0;
        inner->running.start();
        inner->playbackVolume = playbackVolume;
        generation = ++inner->generation;
    }
    if (AudioDisabled())
        return rtc::ERR_OK;
    InGuiThread([inner, path, generation] {
        int volume = 0;
        {
            QMutexLocker lock(&inner->mutex);
            if (inner->generation != generation || !inner->active)
                return;
            volume = inner->AudibleVolume();
        }
        auto* player = new QMediaPlayer();
        player->setVolume(volume);
        player->setMedia(QUrl::fromLocalFile(path));
        player->play();
        inner->player = player;
    });
    return rtc::ERR_OK;
}

int Mixer::Stop()
{
    auto inner = m_inner;
    {
        QMutexLocker lock(&inner->mutex);
        if (!inner->active)
            return rtc::ERR_NOT_READY;
        inner->active = false;
        ++inner->generation;
    }
    InGuiThread([inner] {
        if (inner->player)
            inner->player->deleteLater();
        inner->player.clear();
    });
    return rtc::ERR_OK;
}

int Mixer::Pause(bool paused)
{
    auto inner = m_inner;
    {
        QMutexLocker lock(&inner->mutex);
        if (!inner->active)
            return rtc::ERR_NOT_READY;
        if (paused && !inner->paused) {
            inner->baseMs = inner->ElapsedLocked();
            inner->paused = true;
        } else if (!paused && inner->paused) {
            inner->running.restart();
            inner->paused = false;
        }
    }
    InGuiThread([inner, paused] {
        if (inner->player)
            paused ? inner->player->pause() : inner->player->play();
    });
    return rtc::ERR_OK;
}

int Mixer::SetVolume(int volume, int playbackVolume)
{
    if (volume < 0 || volume > 100)
        return rtc::ERR_INVALID_ARGUMENT;
    auto inner = m_inner;
    int audible = 0;
    {
        QMutexLocker lock(&inner->mutex);
        inner->volume = volume;
        inner->playbackVolume = playbackVolume;
        audible = inner->AudibleVolume();
    }
    InGuiThread([inner, audible] {
        if (inner->player)
            inner->player->setVolume(audible);
    });
    return rtc::ERR_OK;
}

int Mixer::Seek(int ms)
{
    auto inner = m_inner;
    qint64 target = 0;
    {
        QMutexLocker lock(&inner->mutex);
        if (!inner->active)
            return rtc::ERR_NOT_READY;
        if (ms < 0)
            return rtc::ERR_INVALID_ARGUMENT;
        target = inner->lengthMs > 0 ? qMin<qint64>(ms, inner->lengthMs) : ms;
        inner->baseMs = target;
        inner->running.restart();
    }
    InGuiThread([inner, target] {
        if (inner->player)
            inner->player->setPosition(target);
    });
    return rtc::ERR_OK;
}

int Mixer::Length(int& ms) const
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->active || m_inner->lengthMs < 0)
        return rtc::ERR_NOT_READY;
    ms = int(m_inner->lengthMs);
    return rtc::ERR_OK;
}

int Mixer::Played(int& ms) const
{
    QMutexLocker lock(&m_inner->mutex);
    if (!m_inner->active)
        return rtc::ERR_NOT_READY;
    ms = int(m_inner->PositionLocked());
    return rtc::ERR_OK;
}

bool Mixer::IsMixing() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->active;
}

QString Mixer::Path() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->path;
}

} // namespace rtcsim
