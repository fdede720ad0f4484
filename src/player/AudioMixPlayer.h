#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class CAgoraObject;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;
class Slider;

// The accompaniment bar at the bottom of the course area: a local audio file
// mixed into the local user's outgoing audio. The RTC engine decodes and
// plays the file; the bar only drives it (start, pause, resume, stop, seek,
// volume) and reads its length and position once a second. Nothing of it
// is announced to the room: the others hear it in the user's live audio.
// Every engine call is skipped while there is no engine. The centre panel
// makes the bar and deletes it (stopping it first); the bar places itself
// in its parent whenever that changes size or a media window comes or
// goes. GUI thread.
class AudioMixPlayer : public QWidget
{
    Q_OBJECT

public:
    enum BarMode { Expanded = 1, Shrunk = 2 };

    // Starts mixing path at once; a file that cannot be mixed is reported
    // to the user and the bar asks the centre panel to remove it.
    explicit AudioMixPlayer(const QString& path = QString(), QWidget* parent = nullptr);

    QString GetPath() const { return filePath; }
    int GetBarMode() const { return barMode; }
    bool IsPlaying() const { return isPlaying; }
    // The file's length as the engine reports it; 0 or less while unknown.
    int GetDurationMs() const { return durationMs; }

    // The parts a caller (and a test) looks at.
    QLabel* GetTimeLabel() const { return timeLabel; }
    Slider* GetTimeSlider() const { return timeSlider; }
    Slider* GetVolumeSlider() const { return volumeSlider; }
    QPushButton* GetPlayButton() const { return playButton; }
    QPushButton* GetCloseButton() const { return closeButton; }
    QPushButton* GetExpandButton() const { return expandButton; }

    // Puts the bar in its parent: expanded along the whole bottom edge,
    // shrunk into the bottom-right corner; above the control bar of a media
    // window that reaches that edge. The bar goes back there whenever it is
    // moved or resized.
    void PlaceInPanel();
    // The length in milliseconds: shown in the label and as the range of
    // the position slider (a length of 0 or less is unknown).
    void setDuration(int ms);

public slots:
    // The room's media messages do not drive the accompaniment.
    void OnPlay();
    void OnPaused();
    void setupUi();
    void seek(int seconds);
    void seek();
    void togglePlayPause();
    void setVolume(int value);
    void initPlayer();
    void getPos();
    void stop();
    // Folds the bar into a small box at the corner, or opens it again.
    void toggleBarMode();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Failure { MissingFile, NotPlayable, EngineNotReady };

    // The RTC engine wrapper when the video panel has one, else null.
    static CAgoraObject* Engine();
    // Starts the engine's mixing of the file; false (reported) when the
    // engine refuses it.
    // Paused: the file waits at its start for the play button.
    bool startMixing(CAgoraObject* engine, bool paused);
    void fail(Failure failure);
    // Has the centre panel stop and delete the bar, after the current
    // event: never from inside one of the bar's own handlers.
    void requestClose();
    void setPlaySkin(bool playing);
    void showTime(int positionMs);
    void expandBar();
    void shrinkBar();
    // The folded box: 120 pixels, or what its time needs.
    int ShrunkWidth() const;
    QRect PlacedGeometry() const;
    // Empties the bar's rows and column; the widgets stay.
    void clearRows();

    bool isPlaying = false;
    int durationMs = 0;
    int lastSeekSeconds = 0;
    int barMode = Expanded;
    bool failed = false;
    QString filePath;
    QTimer* positionTimer = nullptr;
    QPointer<QWidget> parentPanel;
    QWidget* controlBar = nullptr;
    QLabel* timeLabel = nullptr;
    Slider* timeSlider = nullptr;
    Slider* volumeSlider = nullptr;
    QPushButton* volumeButton = nullptr;
    QPushButton* playButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* expandButton = nullptr;
    QVBoxLayout* windowLayout = nullptr;
    QHBoxLayout* mainRow = nullptr;
    QHBoxLayout* rightRow = nullptr;
    QVBoxLayout* rightColumn = nullptr;
};
