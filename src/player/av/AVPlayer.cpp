#include "AVPlayer.h"

#include "AVClock.h"
#include "AudioOutput.h"
#include "LibAVFilter.h"
#include "LogLevel.h"
#include "VideoCapture.h"
#include "VideoRenderer.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>
#include <limits>

namespace plxav {

namespace {
// Events that are no change of ours: replies we never ask for, ticks.
constexpr quint64 kObserved = 1;
// A restart this close to the last seek target is that seek's landing.
constexpr qint64 kSeekLandingMs = 1000;

QString seconds(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 3);
}

// A value of the core's key-value lists ("a=1,b=2"); values holding a
// separator are given with their length, which the core reads literally.
QString keyValueList(const QVariantHash& options)
{
    QStringList pairs;
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        const QString value = it.value().toString();
        const bool plain = !value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('='))
            && !value.contains(QLatin1Char('%')) && !value.startsWith(QLatin1Char('['));
        pairs << it.key() + QLatin1Char('=')
                + (plain ? value : QStringLiteral("%%1%%2").arg(value.toUtf8().size()).arg(value));
    }
    pairs.sort();
    return pairs.join(QLatin1Char(','));
}
} // namespace

AVPlayer::AVPlayer(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<plxav::MediaStatus>();
    qRegisterMetaType<plxav::AVError>();
    // No picture until a renderer attaches, and never a window of its own.
    m_core.setOption("vo", QStringLiteral("null"));
    m_core.initialize();
    m_audio = new AudioOutput(&m_core, this);
    m_capture = new VideoCapture(this);
    m_clock = new AVClock(&m_core, this);
    m_pictureFilter = new PictureFilter(this);
    m_pictureTimer = new QTimer(this);
    m_pictureTimer->setSingleShot(true);
    m_pictureTimer->setInterval(0);
    connect(m_pictureTimer, &QTimer::timeout, this, &AVPlayer::applyPicture);
    installFilter(m_pictureFilter);
    if (!m_core.isValid())
        return;
    // Everything the owner asks while a file plays is kept from these
    // reports: a synchronous read could wait for the core, and the core for
    // the GUI thread to draw its frame.
    static const struct {
        const char* name;
        mpv_format format;
    } observed[] = {
        { "pause", MPV_FORMAT_FLAG },
        { "time-pos", MPV_FORMAT_DOUBLE },
        { "speed", MPV_FORMAT_DOUBLE },
        { "paused-for-cache", MPV_FORMAT_FLAG },
        { "cache-buffering-state", MPV_FORMAT_INT64 },
        { "cache-speed", MPV_FORMAT_INT64 },
        { "seekable", MPV_FORMAT_FLAG },
        { "duration", MPV_FORMAT_DOUBLE },
        { "volume", MPV_FORMAT_DOUBLE },
        { "current-ao", MPV_FORMAT_STRING },
        { "remaining-file-loops", MPV_FORMAT_STRING },
        { "track-list", MPV_FORMAT_NODE },
        { "audio-out-params/channels", MPV_FORMAT_STRING },
    };
    // Read now: later a file may play, and the GUI thread never waits for
    // the core then.
    m_version = QStringLiteral("libmpv %1, FFmpeg %2")
                    .arg(m_core.textProperty("mpv-version").remove(QStringLiteral("mpv ")),
                        m_core.textProperty("ffmpeg-version"));
    m_defaultReadahead = m_core.property("demuxer-readahead-secs");
    m_defaultCacheSecs = m_core.property("cache-secs");
    m_defaultMaxBytes = m_core.property("demuxer-max-bytes");
    for (const auto& property : observed)
        m_core.observe(property.name, property.format, kObserved);
    // The level the player's start-up put into the environment.
    mpv_request_log_messages(m_core.handle(), coreLogLevel(qgetenv("QTAV_LOG")));
    mpv_set_wakeup_callback(m_core.handle(), &AVPlayer::wakeUp, this);
}

AVPlayer::~AVPlayer()
{
    // No wake-up runs once this returns: libmpv calls it under the lock
    // this takes. Queued drains die with the object.
    if (m_core.isValid())
        mpv_set_wakeup_callback(m_core.handle(), nullptr, nullptr);
    // A render context must go before its core.
    setRenderer(nullptr);
}

void AVPlayer::wakeUp(void* self)
{
    auto* player = static_cast<AVPlayer*>(self);
    if (!player->m_wakePending.exchange(true))
        QMetaObject::invokeMethod(
            player, [player] { player->drainEvents(); }, Qt::QueuedConnection);
}

void AVPlayer::drainEvents()
{
    m_wakePending = false;
    if (!m_core.isValid())
        return;
    while (true) {
        const mpv_event* event = mpv_wait_event(m_core.handle(), 0);
        if (event == nullptr || event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    // The position that came with the restart is in by now. A seek past
    // the end may have ended the file among the same events: no position
    // then, it would overwrite the stopped window's time.
    if (m_landed) {
        m_landed = false;
        if (m_state != Loaded)
            return;
        emit positionChanged(m_position);
        emit seekFinished(m_position);
    }
}

void AVPlayer::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        onStartFile(event);
        break;
    case MPV_EVENT_FILE_LOADED:
        onFileLoaded();
        break;
    case MPV_EVENT_END_FILE:
        onEndFile(event);
        break;
    case MPV_EVENT_SEEK:
        // The restart that follows ends a seek; the first one after a load
        // only starts the file.
        m_seekStarted = m_seeking;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        onPlaybackRestart();
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        onPropertyChange(*static_cast<const mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        qDebug().noquote() << "[mpv]" << message->prefix << message->level
                           << loggableText(QString::fromUtf8(message->text).trimmed());
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        onCommandReply(event);
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.error < 0)
            qDebug() << "[player] request refused:" << MpvCore::errorText(event.error);
        break;
    case MPV_EVENT_IDLE:
        if (m_state == Idle && m_status != EndOfMedia && m_status != InvalidMedia)
            setStatus(NoMedia);
        break;
    default:
        break;
    }
}

// ---- the file

void AVPlayer::play(const QString& name)
{
    if (m_state != Idle)
        m_core.command({ QStringLiteral("stop") });
    m_state = Loading;
    m_file = name;
    m_seeking = false;
    m_seekStarted = false;
    m_landed = false;
    m_cacheWaiting = false;
    m_paused = false;
    m_entry = -1;
    setStatus(LoadingMedia);
    // The core turns the video off for good when it finds no render
    // context; a renderer still making its own waits to be ready.
    VideoRenderer* shown = renderer();
    if (shown != nullptr && !shown->isReadyToDraw()) {
        m_deferredFile = name;
        return;
    }
    loadFile(name);
}

void AVPlayer::loadFile(const QString& name)
{
    m_deferredFile.clear();
    applyLoadOptions();
    // A pause asked for while the file waited is kept.
    m_core.setProperty("pause", m_paused);
    int code = 0;
    const QVariant result
        = m_core.commandResult({ QStringLiteral("loadfile"), name, QStringLiteral("replace") }, &code);
    if (code < 0) {
        m_state = Idle;
        setStatus(InvalidMedia);
        emit error(AVError(code, tr("Can not open %1: %2").arg(name, MpvCore::errorText(code))));
        return;
    }
    m_entry = result.toMap().value(QStringLiteral("playlist_entry_id"), -1).toLongLong();
}

void AVPlayer::onRendererReady()
{
    const QString waiting = m_deferredFile;
    if (!waiting.isEmpty() && m_state == Loading)
        loadFile(waiting);
    m_videoRestorable = true;
    restoreVideo();
}

void AVPlayer::restoreVideo()
{
    // The core turns the video of the open file off for good when its render
    // context goes (a renderer replaced, an OpenGL context remade); once a
    // renderer can draw again, it is turned on again, once per renderer
    // that became ready, so that a video the core cannot show is not
    // retried for ever.
    VideoRenderer* shown = renderer();
    if (!m_videoLost || !m_videoRestorable || m_state != Loaded || shown == nullptr || !shown->isReadyToDraw())
        return;
    for (const QVariant& track : tracksOf(QStringLiteral("video"), false)) {
        const QVariantMap fields = track.toMap();
        if (fields.value(QStringLiteral("albumart")).toBool())
            continue;
        m_videoLost = false;
        m_videoRestorable = false;
        m_core.setPropertyAsync("vid", fields.value(QStringLiteral("id")).toLongLong());
        return;
    }
}

void AVPlayer::stop()
{
    m_pendingSeek = -1;
    m_deferredFile.clear();
    if (m_state == Idle)
        return;
    m_state = Idle;
    m_seeking = false;
    m_core.command({ QStringLiteral("stop") });
}

void AVPlayer::onStartFile(const mpv_event& event)
{
    const auto* start = static_cast<const mpv_event_start_file*>(event.data);
    // Without an id from loadfile, the next file that starts is ours; one
    // that starts while ours waits for its renderer is the file before.
    if (m_entry < 0 && m_state == Loading && m_deferredFile.isEmpty())
        m_entry = start->playlist_entry_id;
    m_startedEntry = start->playlist_entry_id;
}

void AVPlayer::onFileLoaded()
{
    // The core loads one file at a time, the one it started last; a file
    // replaced before it opened is not ours any more.
    if (m_state != Loading || m_startedEntry != m_entry)
        return;
    m_state = Loaded;
    m_loadedEntry = m_entry;
    m_position = 0;
    // Read once: the owner sets its slider from them when it hears of the
    // start, and no frame waits to be drawn before the file is open.
    m_durationMs = qMax<qint64>(0, qRound64(m_core.doubleProperty("duration", 0.0) * 1000.0));
    m_seekable = m_core.flagProperty("seekable");
    m_fileFrameRate = m_core.doubleProperty("container-fps", 0.0);
    if (m_bufferMode == BufferPackets && m_bufferValue >= 0)
        applyBuffer();
    setTracks(m_core.property("track-list"));
    applyWaitingFilters();
    if (m_repeat != 0)
        applyRepeat();
    if (!m_externalAudio.isEmpty())
        setExternalAudio(m_externalAudio);
    if (m_pendingSeek >= 0) {
        const qint64 target = m_pendingSeek;
        m_pendingSeek = -1;
        seekNow(target);
    }
    setStatus(LoadedMedia);
    emit started();
}

void AVPlayer::onEndFile(const mpv_event& event)
{
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    const bool wasLoaded = end->playlist_entry_id == m_loadedEntry;
    if (wasLoaded)
        m_loadedEntry = -1;
    if (end->playlist_entry_id == m_entry && m_state != Idle) {
        m_state = Idle;
        m_seeking = false;
    }
    if (end->playlist_entry_id == m_entry) {
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            const QString name = QFileInfo(m_file).fileName().isEmpty() ? m_file : QFileInfo(m_file).fileName();
            setStatus(InvalidMedia);
            emit error(AVError(end->error, tr("%1: %2").arg(MpvCore::errorText(end->error), name)));
        } else if (end->reason == MPV_END_FILE_REASON_EOF) {
            setStatus(EndOfMedia);
        } else {
            setStatus(NoMedia);
        }
    }
    if (wasLoaded)
        emit stopped();
}

void AVPlayer::onPlaybackRestart()
{
    if (!m_seekStarted)
        return;
    m_seekStarted = false;
    m_landed = true;
    // A later seek may still be on its way; the one landing near the last
    // target ends the wait.
    if (qAbs(m_position - m_seekTarget) <= kSeekLandingMs)
        m_seeking = false;
}

void AVPlayer::onPropertyChange(const mpv_event_property& property)
{
    const QLatin1String name(property.name);
    if (name == QLatin1String("volume") || name == QLatin1String("current-ao")
        || name == QLatin1String("audio-out-params/channels")) {
        m_audio->onCoreReport(name, property);
        return;
    }
    if (property.format == MPV_FORMAT_NONE || property.data == nullptr)
        return;
    if (name == QLatin1String("pause")) {
        // The core also reports the flag once when it is observed, before
        // any file: only a change pauses or resumes what plays.
        const bool reported = *static_cast<int*>(property.data) != 0;
        if (reported == m_reportedPaused)
            return;
        m_reportedPaused = reported;
        m_paused = reported;
        emit paused(m_paused);
    } else if (name == QLatin1String("seekable")) {
        m_seekable = *static_cast<int*>(property.data) != 0;
    } else if (name == QLatin1String("duration")) {
        m_durationMs = qMax<qint64>(0, qRound64(*static_cast<double*>(property.data) * 1000.0));
    } else if (name == QLatin1String("cache-speed")) {
        m_cacheSpeed = *static_cast<int64_t*>(property.data);
    } else if (name == QLatin1String("remaining-file-loops")) {
        m_remainingLoops = QString::fromUtf8(*static_cast<char**>(property.data));
    } else if (name == QLatin1String("track-list")) {
        setTracks(MpvCore::toVariant(*static_cast<mpv_node*>(property.data)));
    } else if (name == QLatin1String("time-pos")) {
        if (m_state != Loaded)
            return;
        m_position = qRound64(*static_cast<double*>(property.data) * 1000.0);
        emit positionChanged(m_position);
    } else if (name == QLatin1String("speed")) {
        m_speed = *static_cast<double*>(property.data);
        emit speedChanged(m_speed);
    } else if (name == QLatin1String("paused-for-cache")) {
        const bool waiting = *static_cast<int*>(property.data) != 0;
        if (waiting == m_cacheWaiting || m_state != Loaded)
            return;
        m_cacheWaiting = waiting;
        if (waiting)
            setStatus(m_cacheState == 0 ? StalledMedia : BufferingMedia);
        else
            setStatus(BufferedMedia);
    } else if (name == QLatin1String("cache-buffering-state")) {
        m_cacheState = static_cast<int>(*static_cast<int64_t*>(property.data));
        if (m_cacheWaiting)
            emit bufferProgressChanged(static_cast<qreal>(*static_cast<int64_t*>(property.data)) / 100.0);
    }
}

void AVPlayer::setStatus(MediaStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit mediaStatusChanged(status);
}

// ---- playing

bool AVPlayer::isPaused() const
{
    return m_paused;
}

void AVPlayer::pause(bool paused)
{
    if (m_state == Idle)
        return;
    m_paused = paused;
    m_core.setPropertyAsync("pause", paused);
}

qint64 AVPlayer::position() const
{
    if (m_state != Loaded)
        return m_pendingSeek >= 0 ? m_pendingSeek : 0;
    return m_position;
}

void AVPlayer::seek(qint64 ms)
{
    ms = qMax<qint64>(0, ms);
    if (m_state == Loaded)
        seekNow(ms);
    else
        m_pendingSeek = ms;
}

void AVPlayer::seekNow(qint64 ms)
{
    const QString flags
        = m_seekType == AccurateSeek ? QStringLiteral("absolute+exact") : QStringLiteral("absolute+keyframes");
    if (m_core.commandAsync({ QStringLiteral("seek"), seconds(ms), flags }) < 0)
        return;
    m_seeking = true;
    m_seekTarget = ms;
    m_position = ms;
}

bool AVPlayer::isSeekable() const
{
    return m_state == Loaded && m_seekable;
}

qint64 AVPlayer::duration() const
{
    return m_state == Loaded ? m_durationMs : 0;
}

qreal AVPlayer::speed() const
{
    return m_speed;
}

void AVPlayer::setSpeed(qreal speed)
{
    m_speed = qBound<qreal>(0.01, speed, 100.0);
    m_core.setPropertyAsync("speed", m_speed);
}

// ---- settings

void AVPlayer::setFrameRate(double fps)
{
    m_frameRate = fps;
}

void AVPlayer::setRepeat(int count)
{
    m_repeat = count;
    applyRepeat();
}

int AVPlayer::currentRepeat() const
{
    // The core repeats without closing the file: once it has stopped, every
    // repeat is behind it.
    if (m_state == Idle || m_repeat <= 0)
        return m_repeat;
    if (m_remainingLoops == QLatin1String("inf"))
        return -1;
    return qMax(0, m_repeat - m_remainingLoops.toInt());
}

void AVPlayer::setStartPosition(qint64 ms)
{
    m_startPosition = qMax<qint64>(0, ms);
    applyRepeat();
}

void AVPlayer::setStopPosition(qint64 ms)
{
    m_stopPosition = qMax<qint64>(0, ms);
    applyRepeat();
}

void AVPlayer::setTimeRange(qint64 startMs, qint64 stopMs)
{
    m_startPosition = qMax<qint64>(0, startMs);
    m_stopPosition = qMax<qint64>(0, stopMs);
    applyRepeat();
}

void AVPlayer::setBufferMode(BufferMode mode)
{
    m_bufferMode = mode;
    applyBuffer();
}

void AVPlayer::setBufferValue(int value)
{
    m_bufferValue = value;
    applyBuffer();
}

void AVPlayer::applyBuffer()
{
    double seconds = -1.0;
    QVariant bytes = m_defaultMaxBytes;
    if (m_bufferValue >= 0) {
        if (m_bufferMode == BufferTime) {
            seconds = m_bufferValue / 1000.0;
        } else if (m_bufferMode == BufferBytes) {
            bytes = static_cast<qint64>(m_bufferValue);
        } else {
            const double rate = m_frameRate > 0.0 ? m_frameRate : (m_state == Loaded ? m_fileFrameRate : 0.0);
            // A count of frames means nothing without a frame rate: the
            // core's own time then.
            if (rate > 0.0)
                seconds = m_bufferValue / rate;
        }
    }
    // The demuxer reads ahead that long; a network source through the
    // cache keeps that much too.
    setCoreProperty("demuxer-readahead-secs", seconds >= 0.0 ? QVariant(seconds) : m_defaultReadahead);
    setCoreProperty("cache-secs", seconds >= 0.0 ? QVariant(seconds) : m_defaultCacheSecs);
    setCoreProperty("demuxer-max-bytes", bytes);
}

void AVPlayer::setInterruptOnTimeout(bool interrupt)
{
    m_interruptOnTimeout = interrupt;
}

void AVPlayer::setInterruptTimeout(qint64 ms)
{
    m_interruptTimeout = ms;
}

void AVPlayer::setPriority(const QVector<VideoDecoderId>& decoders)
{
    m_priority = decoders;
    setCoreProperty("hwdec", VideoDecoder::coreOptions(decoders, m_videoCodecOptions).value("hwdec"));
}

void AVPlayer::setOptionsForVideoCodec(const QVariantHash& options)
{
    m_videoCodecOptions = options;
    // The tables may change the hardware interface.
    setCoreProperty("hwdec", VideoDecoder::coreOptions(m_priority, options).value("hwdec"));
}

void AVPlayer::setOptionsForAudioCodec(const QVariantHash& options)
{
    m_audioCodecOptions = options;
}

void AVPlayer::setOptionsForFormat(const QVariantHash& options)
{
    m_formatOptions = options;
}

void AVPlayer::applyRepeat()
{
    // The core repeats a whole file (loop-file) or a part of it (the A-B
    // loop, after which the file plays on); never both. The end of the file
    // as the end of a part needs the length, known once the file is open.
    const qint64 length = m_state == Loaded ? m_durationMs : 0;
    const bool toTheEnd = m_stopPosition <= 0 || m_stopPosition == std::numeric_limits<qint64>::max()
        || (length > 0 && m_stopPosition >= length);
    const bool part = m_repeat != 0 && (m_startPosition > 0 || !toTheEnd) && (!toTheEnd || length > 0);
    const QString count = m_repeat < 0 ? QStringLiteral("inf") : QString::number(m_repeat);
    const struct {
        const char* name;
        QString value;
    } values[] = {
        { "loop-file", part || m_repeat == 0 ? QStringLiteral("no") : count },
        { "ab-loop-a", part ? seconds(m_startPosition) : QStringLiteral("no") },
        { "ab-loop-b", part ? seconds(toTheEnd ? length : m_stopPosition) : QStringLiteral("no") },
        { "ab-loop-count", part ? count : QStringLiteral("inf") },
    };
    for (const auto& value : values)
        setCoreProperty(value.name, value.value);
}

void AVPlayer::setCoreProperty(const char* name, const QVariant& value)
{
    // libmpv may run a request sent without waiting after a later
    // synchronous one: with no file open, the value is set at once, so that
    // an older one cannot land after the options the next file opens with.
    if (m_state == Idle)
        m_core.setProperty(name, value);
    else
        m_core.setPropertyAsync(name, value);
}

void AVPlayer::applyLoadOptions()
{
    VideoRenderer* shown = renderer();
    m_videoOutput = shown != nullptr ? shown->videoOutput() : QStringLiteral("null");
    m_core.setProperty("wid", shown != nullptr ? shown->windowId() : -1);
    m_core.setProperty("vo", m_videoOutput);
    m_core.setProperty("ao", m_audio->outputOption());
    const QString fps = m_frameRate > 0.0 ? QString::number(m_frameRate) : QStringLiteral("0");
    // Named "fps" up to libmpv 0.35, "container-fps-override" after.
    if (m_core.setProperty("fps", fps) < 0)
        m_core.setProperty("container-fps-override", fps);
    applyRepeat();
    applyBuffer();
    const qint64 timeout = m_interruptOnTimeout && m_interruptTimeout > 0 ? m_interruptTimeout : 0;
    m_core.setProperty("network-timeout", static_cast<double>(timeout) / 1000.0);
    const QVariantHash decoding = VideoDecoder::coreOptions(m_priority, m_videoCodecOptions);
    for (auto it = decoding.cbegin(); it != decoding.cend(); ++it)
        m_core.setProperty(it.key().toLatin1().constData(), it.value());
    m_core.setProperty("vd-lavc-o", keyValueList(VideoDecoder::rawCodecOptions(m_videoCodecOptions)));
    m_core.setProperty("ad-lavc-o", keyValueList(m_audioCodecOptions));
    m_core.setProperty("demuxer-lavf-o", keyValueList(m_formatOptions));
}

// ---- output

void AVPlayer::setRenderer(VideoRenderer* renderer)
{
    // Taking the render context away ends a file without sound (the core
    // is left with nothing to play): such a file opens again where it was.
    VideoRenderer* previous = this->renderer();
    bool silent = true;
    for (const QVariant& track : qAsConst(m_tracks)) {
        const QVariantMap fields = track.toMap();
        if (fields.value(QStringLiteral("type")) == QLatin1String("audio")
            && fields.value(QStringLiteral("selected")).toBool())
            silent = false;
    }
    const bool reopen = m_state == Loaded && silent && previous != nullptr && previous->isReadyToDraw();
    const QString file = m_file;
    const qint64 position = m_position;
    const bool wasPaused = m_paused;
    if (m_renderer != nullptr && !m_rendererWidget.isNull()) {
        m_renderer->m_onReady = nullptr;
        m_renderer->m_outputCore = nullptr;
        m_renderer->attachCore(nullptr);
    }
    m_renderer = renderer;
    m_rendererWidget = renderer != nullptr ? renderer->widget() : nullptr;
    if (renderer == nullptr) {
        onRendererReady();
        return;
    }
    renderer->m_onReady = [this] { onRendererReady(); };
    renderer->m_outputCore = &m_core;
    renderer->attachCore(&m_core);
    renderer->applyAspectRatio();
    renderer->applyAdjustments();
    // A renderer that goes first detaches itself; forget it then.
    connect(m_rendererWidget, &QObject::destroyed, this, [this, renderer] {
        if (m_renderer == renderer) {
            m_renderer = nullptr;
            onRendererReady();
        }
    });
    // A new value makes the core open its video output again; a native
    // window given up turned it off, and another needs it opened there.
    if (m_state != Idle && (renderer->videoOutput() != m_videoOutput || renderer->windowId() >= 0)) {
        m_videoOutput = renderer->videoOutput();
        m_core.setPropertyAsync("wid", renderer->windowId());
        m_core.setPropertyAsync("vo", m_videoOutput);
    }
    if (reopen) {
        play(file);
        pause(wasPaused);
        seek(position);
    }
}

VideoRenderer* AVPlayer::renderer() const
{
    return m_rendererWidget.isNull() ? nullptr : m_renderer;
}

bool AVPlayer::installFilter(LibAVFilter* filter, int)
{
    if (filter == nullptr || !filter->installTo(this))
        return false;
    m_filters.removeAll(nullptr);
    if (!m_filters.contains(filter))
        m_filters.append(filter);
    return true;
}

bool AVPlayer::uninstallFilter(LibAVFilter* filter)
{
    m_filters.removeAll(filter);
    return filter != nullptr && filter->uninstall();
}

qint64 AVPlayer::bufferSpeed() const
{
    return m_cacheSpeed;
}

QString AVPlayer::versionString() const
{
    return m_version;
}

} // namespace plxav
