#pragma once

#include "AVTypes.h"
#include "MpvCore.h"
#include "VideoDecoder.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantHash>
#include <QVariantList>
#include <QVector>
#include <QWidget>
#include <atomic>
#include <functional>

class QTimer;

namespace plxav {

class AVClock;
class AudioOutput;
class LibAVFilter;
class VideoCapture;
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
    // ever. With a range (start or stop position set) the range repeats,
    // and the file plays on after the last time; applied at once.
    void setRepeat(int count);
    int repeat() const { return m_repeat; }
    // The repeats made so far: all of them (repeat()) once the file has
    // stopped; -1 while it repeats for ever.
    int currentRepeat() const;
    // The range that repeats; 0 and the largest value (or the length) for
    // the whole file. Applied at once.
    void setStartPosition(qint64 ms);
    void setStopPosition(qint64 ms);
    void setTimeRange(qint64 startMs, qint64 stopMs);
    qint64 startPosition() const { return m_startPosition; }
    qint64 stopPosition() const { return m_stopPosition; }
    // Gives up on a network source that sends nothing for the time-out.
    void setInterruptOnTimeout(bool interrupt);
    void setInterruptTimeout(qint64 ms);
    // How far the demuxer reads ahead: milliseconds (BufferTime), frames
    // (BufferPackets, at the forced or the file's frame rate) or bytes;
    // a value below 0 leaves the core's own sizes. Applied at once.
    void setBufferMode(BufferMode mode);
    void setBufferValue(int value);
    BufferMode bufferMode() const { return m_bufferMode; }
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
    // Takes the current frames of the video; lives as long as the player.
    VideoCapture* videoCapture() const { return m_capture; }
    // The clock the player keeps audio and video to.
    AVClock* masterClock() const { return m_clock; }

    // ---- picture: colour adjustments done on the decoded frames in the
    // video filter chain, -100 to 100 (0: as decoded), whatever renderer
    // draws them.
    void setBrightness(int value) { setPicture(0, value); }
    void setContrast(int value) { setPicture(1, value); }
    void setHue(int value) { setPicture(2, value); }
    void setSaturation(int value) { setPicture(3, value); }
    int brightness() const { return m_picture[0]; }
    int contrast() const { return m_picture[1]; }
    int hue() const { return m_picture[2]; }
    int saturation() const { return m_picture[3]; }

    // ---- audio tracks of the open file (from the file's own reports)
    // The file's own audio streams, numbered from 0 in the file's order.
    int audioStreamCount() const;
    // The stream that plays; -1 for none or while another file's sound
    // plays.
    int currentAudioStream() const;
    // False for a number the file has no stream of.
    bool setAudioStream(int stream);
    // Plays the sound of another file with the picture, for this and the
    // next files; an empty name goes back to the file's own sound. A file
    // that cannot be opened is reported through error().
    void setExternalAudio(const QString& file);
    QString externalAudio() const { return m_externalAudio; }
    // The tracks as the core lists them (maps with "id", "type",
    // "external", "selected", ...).
    QVariantList tracks() const { return m_tracks; }

    // ---- requests that do not wait for the core
    // done gets the libmpv error code and the result once the core has
    // run the command; it is dropped with the player. The error of sending.
    using Reply = std::function<void(int error, const QVariant& result)>;
    int request(const QStringList& args, Reply done = Reply());

    // ---- buffering
    // Bytes per second the source delivers while it buffers.
    qint64 bufferSpeed() const;

    // "libmpv 0.35.1, FFmpeg 5.1.6"
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
    // The file's track list changed (a file opened, a track was added).
    void tracksChanged();

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
    // The read-ahead of bufferValue for the core; the frame count needs the
    // frame rate, known once the file is open.
    void applyBuffer();
    // Opens the file in the core now.
    void loadFile(const QString& name);
    // The renderer can draw (or is gone): a file that waited for it opens,
    // a video the core turned off comes back.
    void onRendererReady();
    void restoreVideo();
    // The repeat count and range for the core: now (asynchronously) while
    // a file is open, else as options of the next one.
    void applyRepeat();
    // Sets a property of the core: without waiting while a file is open or
    // opening, at once while none is.
    void setCoreProperty(const char* name, const QVariant& value);
    void seekNow(qint64 ms);
    void onCommandReply(const mpv_event& event);
    void setTracks(const QVariant& list);
    // The tracks of one type, the file's own or the added ones.
    QVariantList tracksOf(const QString& type, bool external) const;
    // A colour adjustment (brightness, contrast, hue, saturation) goes into
    // the chain with the others in force, once per turn of the event loop
    // however many changed.
    void setPicture(int index, int value);
    void applyPicture();
    // Filters whose graph waits for a file to open (the core can only try a
    // graph on an open file).
    void applyWaitingFilters();

    MpvCore m_core;
    AudioOutput* m_audio = nullptr;
    VideoCapture* m_capture = nullptr;
    AVClock* m_clock = nullptr;
    LibAVFilter* m_pictureFilter = nullptr;
    QTimer* m_pictureTimer = nullptr;
    int m_picture[4] = { 0, 0, 0, 0 };
    QList<QPointer<LibAVFilter>> m_filters;
    QHash<quint64, Reply> m_replies;
    quint64 m_nextReply = 1;
    QVariantList m_tracks;
    QString m_externalAudio;
    // The core turned the open file's video off; a renderer may turn it on
    // again (once after it became ready).
    bool m_videoLost = false;
    bool m_videoRestorable = false;
    QString m_version;
    // The core's "vo" as last set.
    QString m_videoOutput;
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
    // The core's own read-ahead sizes, for the automatic value.
    QVariant m_defaultReadahead;
    QVariant m_defaultCacheSecs;
    QVariant m_defaultMaxBytes;
    // The open file's frame rate; 0 when it has none (sound only).
    double m_fileFrameRate = 0.0;
    QVector<VideoDecoderId> m_priority;
    QVariantHash m_videoCodecOptions;
    QVariantHash m_audioCodecOptions;
    QVariantHash m_formatOptions;
};

} // namespace plxav
