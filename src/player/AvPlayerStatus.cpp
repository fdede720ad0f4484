// The player window's state shown to the user: start and stop of play,
// position and time label, status and buffering in the title, volume, the
// control bar and cursor, and full screen.
#include "AvPlayer.h"

#include "PlayerMessage.h"
#include "QWidgetFullSrc.h"
#include "Slider.h"
#include "av/AVPlayer.h"
#include "av/AudioOutput.h"
#include "av/VideoRenderer.h"

#include <QAction>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <limits>

namespace {
constexpr qint64 kHourMs = 3600 * 1000;
constexpr double kVolumeStep = 0.04;
constexpr int kControlBarHideMs = 3000;
} // namespace

QString AvPlayer::FormatTime(qint64 ms, bool withHours)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(withHours ? (seconds / 60) % 60 : seconds / 60, 2, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return withHours ? QString::number(seconds / 3600) + QLatin1Char(':') + minutesSeconds : minutesSeconds;
}

qint64 AvPlayer::LengthMs() const
{
    const qint64 reported = player != nullptr ? player->mediaStopPosition() : 0;
    return reported > 0 ? reported : qMax(0, durationSeconds) * 1000LL;
}

void AvPlayer::resetTimeLabel()
{
    const qint64 length = qMax(0, durationSeconds) * 1000LL;
    const bool hours = length >= kHourMs;
    timeLabel->setText(FormatTime(0, hours) + QLatin1Char('/') + FormatTime(length, hours));
}

void AvPlayer::setDuration(int seconds)
{
    durationSeconds = seconds;
    if (timeLabel != nullptr)
        resetTimeLabel();
}

void AvPlayer::onStartPlay()
{
    if (mediaType == 2) {
        if (plxav::VideoRenderer* shown = GetRenderer())
            shown->setRegionOfInterest(QRectF());
    }
    filePath = player->file();
    title = TitleOf(filePath);
    setWindowTitle(title);
    setPlayButtonImage(true);
    timeSlider->setMinimum(static_cast<int>(player->mediaStartPosition()));
    timeSlider->setMaximum(static_cast<int>(qMin<qint64>(LengthMs(), std::numeric_limits<int>::max())));
    timeSlider->setValue(0);
    if (CanControlMedia())
        timeSlider->setEnabled(player->isSeekable());
    setVolume();
    showControl = 0;
    QTimer::singleShot(kControlBarHideMs, this, &AvPlayer::tryHideControlBar);
    initAudioTrackMenu();
    updateRepeatEditors();
    if (cursorTimer != 0)
        killTimer(cursorTimer);
    cursorTimer = startTimer(kControlBarHideMs, Qt::CoarseTimer);
    updateChannelMenu();
}

void AvPlayer::onStopPlay()
{
    applyDecoderPriority();
    const int repeated = player->currentRepeat();
    if (repeated >= 0 && repeated < player->repeat())
        return;
    applyPlayConfig();
    setPlayButtonImage(false);
    timeSlider->setValue(0);
    qDebug() << ">>>>>>>>>>>>>>disable slider";
    timeSlider->setDisabled(true);
    timeSlider->setRange(0, 0);
    resetTimeLabel();
    unsetCursor();
    tryShowControlBar();
    {
        // Only the check and the editors: the player is reset just below.
        const QSignalBlocker quiet(repeatEnableAction);
        repeatEnableAction->setChecked(false);
    }
    repeatWidgetAction->defaultWidget()->setEnabled(false);
    repeatMax = 0;
    player->setRepeat(0);
    player->setTimeRange(0, std::numeric_limits<qint64>::max());
    if (cursorTimer != 0) {
        killTimer(cursorTimer);
        cursorTimer = 0;
    }
}

void AvPlayer::onPaused(bool p)
{
    if (p)
        qDebug("start pausing...");
    else
        qDebug("stop pausing...");
    setPlayButtonImage(!p);
}

void AvPlayer::onPositionChange(qlonglong pos)
{
    if (player->isSeekable() && !timeSlider->isSliderDown())
        timeSlider->setValue(static_cast<int>(pos));
    const qint64 length = LengthMs();
    const bool hours = length >= kHourMs;
    timeLabel->setText(FormatTime(pos, hours) + QLatin1Char('/') + FormatTime(length, hours));
}

void AvPlayer::onSpeedChange(double speed)
{
    speedLabel->setText(QStringLiteral("%1").arg(speed, 4, 'f', 2, QLatin1Char('0')));
}

void AvPlayer::onMediaStatusChanged()
{
    if (sender() != player) {
        qWarning() << "invalid sender() " << sender();
        return;
    }
    QString status;
    switch (player->mediaStatus()) {
    case plxav::NoMedia:
        status = QStringLiteral("No media");
        break;
    case plxav::LoadingMedia:
        status = QStringLiteral("Loading...");
        break;
    case plxav::LoadedMedia:
        status = QStringLiteral("Loaded");
        break;
    case plxav::StalledMedia:
        status = QStringLiteral("Stalled");
        break;
    case plxav::BufferingMedia:
        status = QStringLiteral("Buffering...");
        break;
    case plxav::BufferedMedia:
        status = QStringLiteral("Buffered");
        break;
    case plxav::InvalidMedia:
        status = QStringLiteral("Invalid meida");
        break;
    default:
        onStopPlay();
        break;
    }
    qDebug() << "status changed " << status;
    setWindowTitle(status + QLatin1Char(' ') + title);
}

void AvPlayer::onBufferProgress(double percent)
{
    const double speed = static_cast<double>(player->bufferSpeed());
    QString text;
    if (speed > 1024.0 * 1024.0 * 1024.0)
        text = QStringLiteral("%1G/s").arg(speed / (1024.0 * 1024.0 * 1024.0), 6, 'f', 1);
    else if (speed > 1024.0 * 1024.0)
        text = QStringLiteral("%1M/s").arg(speed / (1024.0 * 1024.0), 6, 'f', 1);
    else if (speed > 1024.0)
        text = QStringLiteral("%1K/s").arg(speed / 1024.0, 6, 'f', 1);
    else
        text = QStringLiteral("%1B/s").arg(speed, 6, 'f', 1);
    setWindowTitle(QStringLiteral("Buffering... %1% @%2 ").arg(percent * 100.0, 5, 'f', 1).arg(text) + title);
}

void AvPlayer::handleError(const plxav::AVError& e)
{
    PlayerMessage::Show(this, QMessageBox::Warning, tr("Player error"), e.string());
}

// ---- volume

void AvPlayer::setVolume()
{
    plxav::AudioOutput* output = player != nullptr ? player->audio() : nullptr;
    if (output == nullptr)
        return;
    const int value = volumeSlider->value();
    if (qAbs(static_cast<int>(output->volume() / kVolumeStep) - value) > 1)
        output->setVolume(value * kVolumeStep);
}

void AvPlayer::syncVolumeUi(double value)
{
    const int position = static_cast<int>(value / kVolumeStep);
    if (position != volumeSlider->value())
        volumeSlider->setValue(position);
}

void AvPlayer::showHideVolumeBar()
{
    volumeSlider->setVisible(volumeSlider->isHidden());
}

// ---- control bar and cursor

void AvPlayer::mouseMoveEvent(QMouseEvent* event)
{
    unsetCursor();
    if (event->y() > height() - controlBar->height() - timeSlider->height()) {
        if (showControl == 0) {
            showControl = 1;
            tryShowControlBar();
        }
    } else if (showControl == 1) {
        showControl = 0;
        QTimer::singleShot(kControlBarHideMs, this, &AvPlayer::tryHideControlBar);
    }
    QWidget::mouseMoveEvent(event);
}

void AvPlayer::tryShowControlBar()
{
    unsetCursor();
    if (timeSlider->isHidden())
        timeSlider->show();
    if (controlBar->isHidden())
        controlBar->show();
}

void AvPlayer::tryHideControlBar()
{ }
void AvPlayer::showNextOSD()
{ }
void AvPlayer::showInfo()
{ }
void AvPlayer::onTimeSliderHover(int, int)
{ }
void AvPlayer::onTimeSliderLeave()
{ }

void AvPlayer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == cursorTimer && controlBar->isHidden())
        setCursor(Qt::BlankCursor);
}

void AvPlayer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}

// ---- full screen

QWidget* AvPlayer::GetFullScreenWindow() const
{
    return fullScreenWindow;
}

void AvPlayer::playFullScreen()
{
    if (fullScreenWindow == nullptr) {
        const QRect screenRect = screen() != nullptr ? screen()->geometry() : QRect();
        qDebug() << "screenRect" << screenRect.width() << screenRect.height();
        fullScreenWindow = new QWidgetFullSrc();
        fullScreenWindow->setWindowTitle(QStringLiteral("Player"));
        connect(fullScreenWindow, &QWidgetFullSrc::pressEsc, this, &AvPlayer::playFullScreen);
        fullScreenWindow->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        // The window's layout keeps the player filling it whatever size the
        // screen gives it. The player goes in first: a window resized for
        // its new content after going full screen would leave full screen.
        auto* layout = new QVBoxLayout(fullScreenWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        setParent(fullScreenWindow);
        layout->addWidget(this);
        // The screen's size also where no window manager makes the window
        // full screen.
        if (!screenRect.isEmpty())
            fullScreenWindow->setGeometry(screenRect);
        fullScreenWindow->showFullScreen();
        resize(fullScreenWindow->size());
        move(0, 0);
        if (fullScreenButton != nullptr)
            fullScreenButton->setStyleSheet(ButtonStyle(QStringLiteral(":/resource/qtAvPlayer/x1/restore.png")));
        show();
        fullScreenWindow->activateWindow();
        fullScreenWindow->setFocus();
        return;
    }
    leaveFullScreen();
    if (!parentPanel.isNull()) {
        resize(parentPanel->size());
        move(0, 0);
    }
    if (fullScreenButton != nullptr)
        fullScreenButton->setStyleSheet(ButtonStyle(QStringLiteral(":/resource/qtAvPlayer/x1/fullscree.png")));
    show();
}

void AvPlayer::leaveFullScreen()
{
    if (fullScreenWindow == nullptr)
        return;
    if (parentWidget() == fullScreenWindow)
        setParent(parentPanel.data());
    delete fullScreenWindow;
    fullScreenWindow = nullptr;
}

void AvPlayer::handleFullscreenChange()
{
    if (QWidget* shown = rendererWidget.data()) {
        shown->resize(size() + QSize(1, 1));
        shown->resize(size());
    }
    tryShowControlBar();
    QTimer::singleShot(kControlBarHideMs, this, &AvPlayer::tryHideControlBar);
}
