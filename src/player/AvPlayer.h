#pragma once

#include "av/AVTypes.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUrl>
#include <QWidget>
#include <functional>

class DecoderConfigPage;
class QAction;
class QActionGroup;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QTimer;
class QToolButton;
class QVBoxLayout;
class QWidgetAction;
class QWidgetFullSrc;
class Slider;
class VideoEQConfigPage;

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

    // A room's media: the menu then offers nothing that takes this player
    // off the room's file or timing.
    void setMediaId(const QString& id);
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
    // The player's menu (the bar does not offer it) and its hidden tool
    // buttons.
    QMenu* GetMenu() const { return menu; }
    QToolButton* GetCaptureButton() const { return captureButton; }
    VideoEQConfigPage* GetEqualiserPage() const { return equaliserPage; }

    // "mm:ss", or "h:mm:ss" with hours (for media of an hour or more).
    static QString FormatTime(qint64 ms, bool withHours);
    // The styles of the bars, their time labels and their sliders: the dark
    // video bar, or the light sound bar (the accompaniment's too).
    static QString BarStyle(bool video);
    static QString LabelStyle(bool video);
    static QString SliderStyle(bool video);

signals:
    void ready();

public slots:
    void play(QString name);
    void play(QUrl url);
    void openFile();
    void togglePlayPause();
    void toggleClose();
    void showNextOSD();
    void OnPlay();
    void OnPaused();
    void stopUnload();
    void about();
    void help();
    void openUrl();
    void initAudioTrackMenu();
    void updateChannelMenu();
    void switchAspectRatio(QAction* action);
    void toggleRepeat(bool enable);
    void setRepeateMax(int max);
    void changeVO(QAction* action);
    void changeChannel(QAction* action);
    void changeAudioTrack(QAction* action);
    void playOnlineVideo(QAction* action);
    void onPlayListClick(QString key, QString value);
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
    void repeatAChanged(QTime t);
    void repeatBChanged(QTime t);
    void playFullScreen();
    void onTimeSliderHover(int pos, int value);
    void onTimeSliderLeave();
    void handleError(const plxav::AVError& e);
    void onMediaStatusChanged();
    void onBufferProgress(double percent);
    void OnSeekMsgSend();
    void onVideoEQEngineChanged();
    void onBrightnessChanged(int b);
    void onContrastChanged(int c);
    void onHueChanged(int h);
    void onSaturationChanged(int s);
    void onSeekFinished(qlonglong pos);
    void onCaptureConfigChanged();
    void onAVFilterVideoConfigChanged();
    void onAVFilterAudioConfigChanged();
    void onBufferValueChanged();
    void onAbortOnTimeoutChanged();
    void onUserShaderChanged();
    void donate();
    void setup();
    void handleFullscreenChange();
    void toggoleSubtitleEnabled(bool value);
    void toggleSubtitleAutoLoad(bool value);
    void openSubtitle();
    void setSubtitleCharset(QString charSet);
    void setSubtitleEngine(QString value);
    void changeClockType(QAction* action);
    void syncVolumeUi(double value);

protected:
    void timerEvent(QTimerEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Puts the renderer's widget into the window and the player; false for
    // a missing renderer or one without a widget.
    bool installRenderer(plxav::VideoRenderer* r);
    // The decoder priority of the settings, by the registered decoders.
    void applyDecoderPriority();
    // The other settings that apply to every file: frame rate, codec and
    // demuxer options.
    void applyPlayConfig();
    // The window's title for a file: a local file's name, else the whole
    // address.
    static QString TitleOf(const QString& file);
    // "QPushButton{image: ...}" for a button image, with or without the
    // hover rule.
    static QString ButtonStyle(const QString& image, bool withHover = true);
    void setPlayButtonImage(bool playing);
    // The zero time, "/" and the list's length.
    void resetTimeLabel();
    // The length the media reports, else the list's.
    qint64 LengthMs() const;
    void leaveFullScreen();
    // The menu, its sub-menus and the hidden tool buttons it hangs on.
    void setupMenu();
    QMenu* addSubMenu(const QString& title);
    // A checkable entry of an exclusive choice, carrying data.
    static QAction* addChoice(QMenu* menu, QActionGroup* group, const QString& text, const QVariant& data);
    // Rows of "label [widget]" as one entry of a menu, indent pixels from its
    // left; the widgets go into the entry's panel.
    static QWidgetAction* addWidgetEntry(QMenu* menu, const QList<QPair<QString, QWidget*>>& rows, int indent);
    void setupRepeatMenu(QMenu* repeatMenu);
    // Enables the entries that play another file, another sound or at
    // another speed or range only while no room media is shown: the
    // room's play, pause and seek name its media and its time.
    void updateRoomEntries();
    void setupSubtitleMenu(QMenu* subtitleMenu);
    // Asks for a file or a text in a dialog that does not block: the room's
    // messages keep arriving while it is open. chosen runs with the answer,
    // cancelled when the dialog is closed without one.
    void askForFile(const QString& title, const QString& start, const std::function<void(const QString&)>& chosen,
        const std::function<void()>& cancelled = {});
    void askForText(const QString& title, const QString& label, const std::function<void(const QString&)>& chosen);
    // The audio and video decoder options of the decoder page.
    void applyCodecOptions();
    // Brightness (0), contrast, hue or saturation (3) of the equaliser's
    // value, -100 to 100, by the renderer or in the player.
    void adjustPicture(int adjustment, int value);
    // The equaliser engines a renderer of that kind offers, the best chosen.
    void offerEqualiserEngines(plxav::VideoRenderer* r);
    // Sets the repeat editors from the player's range (at each start).
    void updateRepeatEditors();

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
    VideoEQConfigPage* equaliserPage = nullptr;
    DecoderConfigPage* decoderPage = nullptr;
    QToolButton* menuButton = nullptr;
    QToolButton* infoButton = nullptr;
    QToolButton* captureButton = nullptr;
    QMenu* menu = nullptr;
    QAction* rendererAction = nullptr;
    QAction* aspectAction = nullptr;
    QAction* channelAction = nullptr;
    QAction* audioTrackAction = nullptr;
    QList<QAction*> rendererActions;
    QAction* repeatEnableAction = nullptr;
    QWidgetAction* repeatWidgetAction = nullptr;
    QSpinBox* repeatBox = nullptr;
    QTimeEdit* repeatA = nullptr;
    QTimeEdit* repeatB = nullptr;
    QMenu* audioTrackMenu = nullptr;
    QMenu* channelMenu = nullptr;
    QList<QAction*> ownMediaEntries;
    QActionGroup* audioTrackGroup = nullptr;
};
