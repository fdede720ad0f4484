#pragma once

#include "AVTypes.h"
#include "MpvCore.h"
#include "VideoDecoder.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantHash>
#include <QVector>
#include <QWidget>
#include <atomic>

namespace plxav {

class AudioOutput;
class LibAVFilter;
class VideoRenderer;

// Plays one media file or address at a time on its own libmpv core:
// opening, play and pause, seeking, position and length, speed, volume,
// status and errors, and the renderer that shows the pictures. Times are
// in milliseconds. Lives in the GUI thread; libmpv decodes in its own
// threads and its events reach this object queued.
class AVPlayer : public QObject
{
    Q_OBJECT

public:
    explicit AVPlayer(QObject* parent = nullptr);
    ~AVPlayer() override;

    // ---- the file
    // Stops what plays, then opens name (a local path or an address) with
    // the settings made so far; started() follows, or error().
    void play(const QString& name);
    // Stops; stopped() follows when a file was open.
    void stop();
    // From play() until the file ends or stops, paused or not.
    bool isPlaying() const { return m_state != Idle; }
    bool isLoaded() const { return m_state == Loaded; }
    // The file or address of the open file; empty when none.
    QString file() const { return m_file; }
    MediaStatus mediaStatus() const { return m_status; }

    // ---- playing
    bool isPaused() const;
    void pause(bool paused);
    void togglePause() { pause(!isPaused()); }
    // The current position; while a file opens, the position it will start
    // at.
    qint64 position() const;
    // Seeks to ms (clamped to 0 and the length). A seek made while the file
    // opens, or before any file, is kept and made once it is open.
    void seek(qint64 ms);
    void setSeekType(SeekType type) { m_seekType = type; }
    SeekType seekType() const { return m_seekType; }
    bool isSeekable() const;
    qint64 duration() const;
    qint64 mediaStartPosition() const { return 0; }
    qint64 mediaStopPosition() const { return duration(); }
    qreal speed() const;
    void setSpeed(qreal speed);

    // ---- settings applied when the next file opens
    // Frames per second for files that carry no timing; 0 or less: the
    // file's own.
    void setFrameRate(double fps);
    // How often a file plays in a row after the first time: 0 once, -1 for
    // ever.
    void setRepeat(int count);
    int repeat() const { return m_repeat; }
    // The repeats still to come; -1 when the player repeats for ever.
    int currentRepeat() const;
    // Plays only from start to stop; 0 and the largest value play it whole.
    void setStartPosition(qint64 ms);
    void setStopPosition(qint64 ms);
    void setTimeRange(qint64 startMs, qint64 stopMs);
    qint64 startPosition() const { return m_startPosition; }
    qint64 stopPosition() const { return m_stopPosition; }
    // Gives up on a network source that sends nothing for the time-out.
    void setInterruptOnTimeout(bool interrupt);
    void setInterruptTimeout(qint64 ms);
    // libmpv sizes its own read-ahead; both values are only recorded.
    void setBufferMode(BufferMode mode) { m_bufferMode = mode; }
    void setBufferValue(int value) { m_bufferValue = value; }
    int bufferValue() const { return m_bufferValue; }
    void setPriority(const QVector<VideoDecoderId>& decoders);
    QVector<VideoDecoderId> priority() const { return m_priority; }
    // Decoder and demuxer options: name to value.
    void setOptionsForVideoCodec(const QVariantHash& options);
    void setOptionsForAudioCodec(const QVariantHash& options);
    void setOptionsForFormat(const QVariantHash& options);

    // ---- output
    // The renderer that shows the pictures (null: none). The player does
    // not own it; it detaches itself when either goes.
    void setRenderer(VideoRenderer* renderer);
    VideoRenderer* renderer() const;
    // The sound output; lives as long as the player.
    AudioOutput* audio() const { return m_audio; }
    // Adds a filter to the chain it belongs to; priority is only recorded.
    bool installFilter(LibAVFilter* filter, int priority = 0);
    bool uninstallFilter(LibAVFilter* filter);

    // ---- buffering
    // Bytes per second the source delivers while it buffers.
    qint64 bufferSpeed() const;

    // "libmpv x / FFmpeg y"
    QString versionString() const;
    // The core, for the layer's filters, renderers and facades.
    MpvCore* core() { return &m_core; }

signals:
    void started();
    void stopped();
    void paused(bool paused);
    void positionChanged(qint64 position);
    // A seek made through seek() landed there.
    void seekFinished(qint64 position);
    void speedChanged(qreal speed);
    void mediaStatusChanged(plxav::MediaStatus status);
    // 0.0 to 1.0 while waiting for data.
    void bufferProgressChanged(qreal progress);
    void error(const plxav::AVError& error);

private:
    enum State { Idle, Loading, Loaded };

    static void wakeUp(void* self);
    // Takes every event the core has ready.
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void onStartFile(const mpv_event& event);
    void onFileLoaded();
    void onEndFile(const mpv_event& event);
    void onPlaybackRestart();
    void onPropertyChange(const mpv_event_property& property);
    void setStatus(MediaStatus status);
    void applyLoadOptions();
    // Opens the file in the core now.
    void loadFile(const QString& name);
    // The renderer can draw (or is gone): a file that waited for it opens.
    void onRendererReady();
    void applyTimeRange();
    void seekNow(qint64 ms);

    MpvCore m_core;
    AudioOutput* m_audio = nullptr;
    QPointer<QWidget> m_rendererWidget;
    VideoRenderer* m_renderer = nullptr;
    std::atomic<bool> m_wakePending { false };

    State m_state = Idle;
    MediaStatus m_status = NoMedia;
    QString m_file;
    // A file asked for before the renderer could draw; empty when none.
    QString m_deferredFile;
    // Entry ids of the file asked for last, of the last file the core
    // started (a file-loaded event is about it) and of the file loaded.
    qint64 m_entry = -1;
    qint64 m_startedEntry = -1;
    qint64 m_loadedEntry = -1;
    // A seek kept for the file that opens; -1 when none.
    qint64 m_pendingSeek = -1;
    // A seek was asked for and has not landed; the core began one.
    bool m_seeking = false;
    bool m_seekStarted = false;
    qint64 m_seekTarget = 0;
    // A seek landed; its position is reported once the events in hand are
    // taken.
    bool m_landed = false;
    bool m_cacheWaiting = false;
    // What the core last reported (or was last asked for).
    qint64 m_position = 0;
    bool m_paused = false;
    // The core's pause flag as it last reported it; its default at first.
    bool m_reportedPaused = false;
    bool m_seekable = false;
    qint64 m_durationMs = 0;
    qreal m_speed = 1.0;
    int m_cacheState = 0;
    qint64 m_cacheSpeed = 0;
    QString m_remainingLoops;
    SeekType m_seekType = AccurateSeek;

    double m_frameRate = 0.0;
    int m_repeat = 0;
    qint64 m_startPosition = 0;
    qint64 m_stopPosition = 0;
    bool m_interruptOnTimeout = true;
    qint64 m_interruptTimeout = 30000;
    BufferMode m_bufferMode = BufferPackets;
    int m_bufferValue = -1;
    QVector<VideoDecoderId> m_priority;
    QVariantHash m_videoCodecOptions;
    QVariantHash m_audioCodecOptions;
    QVariantHash m_formatOptions;
};

} // namespace plxav
