// Sound of the engine: class recordings written as real audio files from the
// current microphone (silence when there is none), and accompaniment files
// played with a clock that answers length and position truthfully.
#include "RtcEngine.h"
#include "RtcSim.h"
#include "SystemDevices.h"

#include <QAudioInput>
#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace rtcsim {

namespace {

void AppendLe(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// A canonical header of 16-bit mono PCM.
QByteArray WavHeader(int rate, quint32 dataBytes)
{
    QByteArray header("RIFF");
    AppendLe(header, 36 + dataBytes, 4);
    header.append("WAVEfmt ");
    AppendLe(header, 16, 4); // format chunk size
    AppendLe(header, 1, 2); // PCM
    AppendLe(header, 1, 2); // mono
    AppendLe(header, quint32(rate), 4);
    AppendLe(header, quint32(rate * 2), 4); // bytes a second
    AppendLe(header, 2, 2); // bytes a sample
    AppendLe(header, 16, 2); // bits a sample
    header.append("data");
    AppendLe(header, dataBytes, 4);
    return header;
}

int RateOf(int quality)
{
    switch (quality) {
    case 0:
        return 16000;
    case 1:
        return 22050;
    case 2:
        return 32000;
    default:
        return 0;
    }
}

} // namespace

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

// --- Recorder: lives in the media thread.

struct Recorder::Inner {
    mutable QMutex mutex;
    bool recording = false;
    QString path;

    // Media thread only.
    QFile file;
    QAudioInput* input = nullptr;
    QIODevice* source = nullptr;
    QTimer* timer = nullptr;
    QElapsedTimer clock;
    qint64 samples = 0;
    int rate = 0;
    double gain = 1.0;

    void Write(QByteArray pcm)
    {
        if (gain != 1.0) {
            auto* s = reinterpret_cast<qint16*>(pcm.data());
            for (int i = 0; i < pcm.size() / 2; ++i)
                s[i] = qint16(qBound(-32768, int(s[i] * gain), 32767));
        }
        file.write(pcm.constData(), pcm.size() & ~1);
        samples += pcm.size() / 2;
    }
    void Pump()
    {
        if (input && input->error() != QAudio::NoError) {
            qWarning() << "RTC recorder: microphone failed, recording silence from here on";
            delete input;
            input = nullptr;
            source = nullptr;
            samples = clock.elapsed() * rate / 1000;
        }
        if (source) {
            Write(source->readAll());
            return;
        }
        // No microphone: silence, paced by the clock.
        const qint64 due = clock.elapsed() * rate / 1000 - samples;
        if (due > 0)
            Write(QByteArray(int(due * 2), '\0'));
    }
    int Start(QObject* worker, const QString& target, int quality, const QString& inputName, int volume)
    {
        if (recording)
            return rtc::ERR_NOT_READY;
        rate = RateOf(quality);
        if (rate == 0)
            return rtc::ERR_INVALID_ARGUMENT;
        file.setFileName(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return rtc::ERR_INVALID_ARGUMENT;
        file.write(WavHeader(rate, 0));
        samples = 0;
        gain = volume / 255.0;
        OpenInput(worker, inputName);
        clock.start();
        timer = new QTimer(worker);
        QObject::connect(timer, &QTimer::timeout, worker, [this] { Pump(); });
        timer->start(100);
        QMutexLocker lock(&mutex);
        recording = true;
        path = target;
        return rtc::ERR_OK;
    }
    void OpenInput(QObject* worker, const QString& inputName)
    {
        if (AudioDisabled() || inputName.isEmpty())
            return;
        // A generated device (no Qt Multimedia device) records silence.
        const QAudioDeviceInfo info = SystemDevices::QtAudioDevice(QAudio::AudioInput, inputName);
        const QAudioFormat format = SystemDevices::PcmFormat(rate);
        if (info.isNull() || !info.isFormatSupported(format))
            return; // silence rather than a file in a format its header does not state
        input = new QAudioInput(info, format, worker);
        source = input->start();
        if (!source) {
            delete input;
            input = nullptr;
        }
    }
    void Stop()
    {
        if (!recording)
            return;
        if (source)
            Write(source->readAll());
        delete input;
        input = nullptr;
        source = nullptr;
        const qint64 due = clock.elapsed() * rate / 1000 - samples;
        if (due > 0)
            Write(QByteArray(int(due * 2), '\0'));
        delete timer;
        timer = nullptr;
        file.seek(0);
        file.write(WavHeader(rate, quint32(samples * 2)));
        file.close();
        QMutexLocker lock(&mutex);
        recording = false;
    }
};

Recorder::Recorder(QObject* mediaWorker)
    : m_inner(std::make_shared<Inner>())
    , m_worker(mediaWorker)
{ }

Recorder::~Recorder() = default;

int Recorder::Start(const QString& path, int quality, const QString& inputName, int volume)
{
    int result = rtc::ERR_NOT_READY;
    auto inner = m_inner;
    QObject* worker = m_worker;
    if (QThread::currentThread() == worker->thread())
        return inner->Start(worker, path, quality, inputName, volume);
    QMetaObject::invokeMethod(
        worker, [&] { result = inner->Start(worker, path, quality, inputName, volume); }, Qt::BlockingQueuedConnection);
    return result;
}

void Recorder::Stop()
{
    if (!IsRecording())
        return;
    auto inner = m_inner;
    if (QThread::currentThread() == m_worker->thread())
        return inner->Stop();
    QMetaObject::invokeMethod(
        m_worker, [inner] { inner->Stop(); }, Qt::BlockingQueuedConnection);
}

bool Recorder::IsRecording() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->recording;
}

QString Recorder::Path() const
{
    QMutexLocker lock(&m_inner->mutex);
    return m_inner->path;
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
