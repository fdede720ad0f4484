#pragma once

#include "av/AVTypes.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;
class QWidgetFullSrc;
class Slider;

namespace plxav {
class AVPlayer;
class LibAVFilterAudio;
class LibAVFilterVideo;
class SubtitleFilter;
class VideoRenderer;
} // namespace plxav

// The media player window of the centre panel: plays one shared media file
// of the room (video, or audio in a 45-pixel bar) with its control bar. A
// user who may control media (the whiteboard right on the teacher side)
// plays, pauses and seeks for the whole room: each action is announced
// through DataManager::LocalMediaSeek. Everyone else is driven by the
// room's messages through the remote entry points (OnPlay, OnPaused,
// seek(ms, true)), which announce nothing, so a message never echoes.
// GUI thread.
class AvPlayer : public QWidget
{
    Q_OBJECT

public:
    // mediaType: 2 video, anything else audio.
    explicit AvPlayer(QWidget* parent = nullptr, int mediaType = 0);
    ~AvPlayer() override;

    void setMediaId(const QString& id) { mediaId = id; }
    void setMediaFile(const QString& file) { filePath = file; }
    void setDuration(int seconds);
    void setAudioBackends(const QStringList& backends);
    // Keeps the registered video decoders named (any case), in their own
    // order, as the settings' decoder priority.
    void setVideoDecoderNames(const QStringList& names);

    int GetMediaType() const { return mediaType; }
    QString GetMediaId() const { return mediaId; }
    int GetDuration() const { return durationSeconds; }
    QString GetFile() const { return filePath; }
    // Whether the local user may play, pause and seek for the room: the
    // whiteboard right and a teacher-side role (asked afresh each time).
    static bool CanControlMedia();
    // Whether an address from the room may be played: web and streaming
    // addresses only, never local files or devices.
    static bool IsRoomMediaUrl(const QString& url);

    // The parts a caller (and a test) looks at.
    plxav::AVPlayer* GetLibPlayer() const { return player; }
    plxav::VideoRenderer* GetRenderer() const;
    Slider* GetTimeSlider() const { return timeSlider; }
    Slider* GetVolumeSlider() const { return volumeSlider; }
    QLabel* GetTimeLabel() const { return timeLabel; }
    QPushButton* GetPlayButton() const { return playButton; }
    QPushButton* GetFullScreenButton() const { return fullScreenButton; }
    QPushButton* GetCloseButton() const { return closeButton; }
    QWidget* GetFullScreenWindow() const;
    bool IsReady() const { return isReady; }

    // "mm:ss", or "h:mm:ss" with hours (for media of an hour or more).
    static QString FormatTime(qint64 ms, bool withHours);
    // The style of the bars' sliders: on the dark video bar, or on the light
    // sound bar.
    static QString SliderStyle(bool video);

signals:
    void ready();

public slots:
    void play(QString name);
    void play(QUrl url);
    void togglePlayPause();
    void toggleClose();
    void showNextOSD();
    void OnPlay();
    void OnPaused();
    void stopUnload();
    void processPendingActions();
    void initPlayer();
    void setupUi();
    void onSpinBoxChanged(double v);
    void onStartPlay();
    void onStopPlay();
    void onPaused(bool p);
    void onSpeedChange(double speed);
    void setFrameRate();
    void seek();
    void seek(int value, bool isRemoot);
    void seek(int value);
    void showHideVolumeBar();
    void setVolume();
    void tryHideControlBar();
    void tryShowControlBar();
    void showInfo();
    void onPositionChange(qlonglong pos);
    void playFullScreen();
    void onTimeSliderHover(int pos, int value);
    void onTimeSliderLeave();
    void handleError(const plxav::AVError& e);
    void onMediaStatusChanged();
    void onBufferProgress(double percent);
    void OnSeekMsgSend();
    void onSeekFinished(qlonglong pos);
    void onUserShaderChanged();
    void onAVFilterVideoConfigChanged();
    void onAVFilterAudioConfigChanged();
    void onBufferValueChanged();
    void onAbortOnTimeoutChanged();
    void handleFullscreenChange();
    void syncVolumeUi(double value);

protected:
    void timerEvent(QTimerEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Puts the renderer's widget into the window and the player; false for
    // a missing renderer or one without a widget.
    bool installRenderer(plxav::VideoRenderer* r);
    // The settings that apply to every file: frame rate, decoders,
    // demuxer options.
    void applyPlayConfig();
    // "QPushButton{image: ...}" for a button image, with or without the
    // hover rule.
    static QString ButtonStyle(const QString& image, bool withHover = true);
    void setPlayButtonImage(bool playing);
    // The zero time, "/" and the list's length.
    void resetTimeLabel();
    // The length the media reports, else the list's.
    qint64 LengthMs() const;
    void leaveFullScreen();

    int mediaType = 0;
    QString mediaId;
    int durationSeconds = 0;
    bool isReady = false;
    bool hasPendingPlay = false;
    bool _playFlag = false;
    QWidgetFullSrc* fullScreenWindow = nullptr;
    QTimer* seekMsgTimer = nullptr;
    int cursorTimer = 0;
    int showControl = 2;
    int repeatMax = 0;
    int mLastSeekValue = 0;
    // A seek that came before the library player was made; -1 when none.
    int pendingSeek = -1;
    QStringList audioBackends;
    QPointer<QWidget> parentPanel;
    QVBoxLayout* playerLayout = nullptr;
    QWidget* controlBar = nullptr;
    Slider* timeSlider = nullptr;
    Slider* volumeSlider = nullptr;
    QLabel* timeLabel = nullptr;
    QLabel* speedLabel = nullptr;
    QPushButton* playButton = nullptr;
    QPushButton* volumeButton = nullptr;
    QPushButton* fullScreenButton = nullptr;
    QPushButton* closeButton = nullptr;
    QString filePath;
    QString title;
    plxav::AVPlayer* player = nullptr;
    plxav::VideoRenderer* renderer = nullptr;
    QPointer<QWidget> rendererWidget;
    plxav::SubtitleFilter* subtitleFilter = nullptr;
    plxav::LibAVFilterVideo* videoFilter = nullptr;
    plxav::LibAVFilterAudio* audioFilter = nullptr;
};
