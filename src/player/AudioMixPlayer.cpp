#include "AudioMixPlayer.h"

#include "AvPlayer.h"
#include "PlayerMessage.h"
#include "Slider.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "rtc/CAgoraObject.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"

#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kBarHeight = 45;
constexpr int kShrunkWidth = 120;
constexpr int kTickMs = 1000;
// The accompaniment plays once into the outgoing audio, beside the voice.
constexpr bool kLoopback = false;
constexpr bool kReplace = false;
constexpr int kCycle = 1;

const char kImages[] = ":/resource/audioQtAvPlayer/x1.5/";

QString Skin(const char* normal, const char* hover)
{
    const QString folder = QLatin1String(kImages);
    return QStringLiteral("QPushButton{image: url(") + folder + QLatin1String(normal)
        + QStringLiteral(");background:rgba(212,212,212,0%);border:0px;}QPushButton::hover{image: url(") + folder
        + QLatin1String(hover) + QStringLiteral(");background:rgba(244,244,244,0);border:0px;}");
}

QPushButton* NewButton(QWidget* parent, int width, int height)
{
    auto* button = new QPushButton(parent);
    button->setFixedSize(width, height);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// "mm:ss", with hours for a length of an hour or more; "--:--" while the
// length is unknown.
QString TimeText(int ms, int lengthMs)
{
    if (ms < 0)
        return QStringLiteral("--:--");
    return AvPlayer::FormatTime(ms, lengthMs >= 3600 * 1000);
}

} // namespace

AudioMixPlayer::AudioMixPlayer(const QString& path, QWidget* parent)
    : QWidget(parent)
    , filePath(path)
    , parentPanel(parent)
{
    setupUi();
    if (parent != nullptr)
        parent->installEventFilter(this);
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        fail(Failure::MissingFile);
        return;
    }
    // Nothing is heard, here or by the class, before the play button.
    if (CAgoraObject* engine = Engine())
        startMixing(engine, true);
}

CAgoraObject* AudioMixPlayer::Engine()
{
    Player* panel = Nexus::GetPlayer();
    return panel != nullptr ? panel->GetMediaPlayer()->GetAgoraObject() : nullptr;
}

bool AudioMixPlayer::startMixing(CAgoraObject* engine, bool paused)
{
    if (engine->StartAudioMixing(filePath, kLoopback, kReplace, kCycle, paused))
        return true;
    const int code = engine->GetLastResult();
    qWarning() << "[accompaniment] the engine refused the file:" << filePath << ", code:" << code;
    fail(code == rtc::ERR_INVALID_ARGUMENT ? Failure::NotPlayable : Failure::EngineNotReady);
    return false;
}

void AudioMixPlayer::fail(Failure failure)
{
    failed = true;
    positionTimer->stop();
    isPlaying = false;
    setPlaySkin(false);
    const QString name = QFileInfo(filePath).fileName();
    QString text;
    switch (failure) {
    case Failure::MissingFile:
        text = QStringLiteral("找不到伴奏文件“%1”。\n它可能已被移动、删除或无法读取。").arg(name);
        break;
    case Failure::NotPlayable:
        text = QStringLiteral("无法播放伴奏文件“%1”。\n它不是音频文件，或其中没有声音。").arg(name);
        break;
    case Failure::EngineNotReady:
        text = QStringLiteral("伴奏现在无法开始：课堂音频还没有连接好，请稍后再试。");
        break;
    }
    qWarning() << "[accompaniment]" << text;
    // The box stays when the bar goes: it belongs to the window.
    QWidget* window = parentPanel ? parentPanel->window() : nullptr;
    QMessageBox* box = PlayerMessage::Show(window, QMessageBox::Warning, QStringLiteral("音频伴奏"), text);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    requestClose();
}

void AudioMixPlayer::requestClose()
{
    MiddleArea* middle = Nexus::GetMiddleArea();
    if (middle != nullptr && middle->isAncestorOf(this)) {
        QMetaObject::invokeMethod(middle, &MiddleArea::OnDestroyAudioMixPlayer, Qt::QueuedConnection);
        return;
    }
    stop();
    hide();
}

void AudioMixPlayer::OnPlay()
{ }

void AudioMixPlayer::OnPaused()
{ }

void AudioMixPlayer::setupUi()
{
    windowLayout = new QVBoxLayout(this);
    windowLayout->setSpacing(0);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    controlBar = new QWidget(this);
    controlBar->setObjectName(QStringLiteral("PLAYER_CONTROL"));
    controlBar->setAttribute(Qt::WA_StyledBackground);
    controlBar->setStyleSheet(AvPlayer::BarStyle(false));
    controlBar->setMaximumHeight(kBarHeight);
    windowLayout->addWidget(controlBar);
    mainRow = new QHBoxLayout(controlBar);
    rightRow = new QHBoxLayout();
    rightColumn = new QVBoxLayout();

    const QString sliderStyle = AvPlayer::SliderStyle(false);
    timeSlider = new Slider(controlBar);
    timeSlider->setStyleSheet(sliderStyle);
    timeSlider->setDisabled(true);
    timeSlider->setTracking(true);
    timeSlider->setOrientation(Qt::Horizontal);
    timeSlider->setMinimum(0);

    timeLabel = new QLabel(controlBar);
    timeLabel->setStyleSheet(AvPlayer::LabelStyle(false));
    timeLabel->setContentsMargins(4, 2, 4, 2);
    showTime(0);

    playButton = NewButton(controlBar, 20, 20);
    setPlaySkin(false);
    closeButton = NewButton(controlBar, 12, 12);
    closeButton->setStyleSheet(Skin("close.png", "close_hover.png"));
    closeButton->setToolTip(QStringLiteral("关闭伴奏"));
    expandButton = NewButton(controlBar, 12, 12);
    expandButton->setStyleSheet(Skin("shrink.png", "shrink_hover.png"));
    volumeButton = NewButton(controlBar, 20, 15);
    volumeButton->setStyleSheet(QStringLiteral("QPushButton{image: url(%1volum.png);background:rgba(212,212,212,0%);"
                                               "border:0px;}")
                                    .arg(QLatin1String(kImages)));
    // Only a picture beside the volume slider: it takes no click.
    volumeButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    volumeButton->setCursor(Qt::ArrowCursor);

    volumeSlider = new Slider(controlBar);
    volumeSlider->setStyleSheet(sliderStyle);
    volumeSlider->setOrientation(Qt::Horizontal);
    volumeSlider->setRange(0, 100);
    volumeSlider->setMaximumWidth(88);
    volumeSlider->setValue(100);

    positionTimer = new QTimer(this);
    connect(positionTimer, &QTimer::timeout, this, &AudioMixPlayer::getPos);
    positionTimer->start(kTickMs);

    connect(closeButton, &QPushButton::clicked, this, &AudioMixPlayer::requestClose);
    connect(expandButton, &QPushButton::clicked, this, &AudioMixPlayer::toggleBarMode);
    connect(volumeSlider, &QSlider::valueChanged, this, &AudioMixPlayer::setVolume);
    connect(playButton, &QPushButton::clicked, this, &AudioMixPlayer::togglePlayPause);
    connect(timeSlider, &QSlider::sliderPressed, this, QOverload<>::of(&AudioMixPlayer::seek));
    connect(timeSlider, &QSlider::sliderMoved, this, QOverload<int>::of(&AudioMixPlayer::seek));

    QTimer::singleShot(500, this, &AudioMixPlayer::initPlayer);
    expandBar();
}

void AudioMixPlayer::setPlaySkin(bool playing)
{
    // The playing skin shows the pause sign, the paused one the play sign.
    playButton->setStyleSheet(playing ? Skin("play.png", "play.png") : Skin("pause.png", "pause.png"));
    playButton->setToolTip(playing ? QStringLiteral("暂停伴奏") : QStringLiteral("播放伴奏"));
}

void AudioMixPlayer::showTime(int positionMs)
{
    const int length = durationMs > 0 ? durationMs : -1;
    timeLabel->setText(TimeText(positionMs, length) + QLatin1Char('/') + TimeText(length, length));
    // Room for the widest digits, and for text drawn wider at another
    // display scale: the label never jumps nor cuts its last digit.
    static const QRegularExpression digits(QStringLiteral("[0-9-]"));
    const QString widest = QString(timeLabel->text()).replace(digits, QStringLiteral("0"));
    const QMargins margins = timeLabel->contentsMargins();
    timeLabel->ensurePolished();
    timeLabel->setMinimumWidth(
        timeLabel->fontMetrics().horizontalAdvance(widest) * 11 / 10 + margins.left() + margins.right());
}

void AudioMixPlayer::initPlayer()
{
    CAgoraObject* engine = Engine();
    if (failed || engine == nullptr)
        return;
    setDuration(engine->GetAudioMixingDuration());
}

void AudioMixPlayer::setDuration(int ms)
{
    qDebug() << "into AudioMixPlayer::setDuration, and time:" << ms;
    // An engine error comes as a negative length: the length stays unknown
    // and is asked again at the next ticks.
    durationMs = ms;
    showTime(0);
    if (ms <= 0)
        return;
    timeSlider->setMaximum(ms / 1000);
    timeSlider->setEnabled(true);
}

void AudioMixPlayer::togglePlayPause()
{
    CAgoraObject* engine = Engine();
    if (isPlaying) {
        qDebug() << "togglePlayPause is playing now";
        if (engine != nullptr)
            engine->PauseAudioMixing();
        setPlaySkin(false);
        isPlaying = false;
        return;
    }
    qDebug() << "togglePlayPause is pause now";
    if (failed)
        return;
    if (positionTimer->isActive()) {
        if (engine != nullptr)
            engine->ResumeAudioMixing();
    } else {
        qDebug() << "togglePlayPause is pause now, and begin second play";
        positionTimer->start(kTickMs);
        if (engine != nullptr && !startMixing(engine, false))
            return;
    }
    setPlaySkin(true);
    isPlaying = true;
}

void AudioMixPlayer::getPos()
{
    CAgoraObject* engine = Engine();
    if (!positionTimer->isActive() || engine == nullptr)
        return;
    if (durationMs <= 0) {
        const int length = engine->GetAudioMixingDuration();
        if (length > 0)
            setDuration(length);
    }
    const int position = engine->GetAudioMixingCurrentPosition();
    // A negative answer is an engine error, not a position.
    if (position < 0)
        return;
    showTime(position);
    // A drag in progress keeps its handle.
    if (!timeSlider->isSliderDown())
        timeSlider->setValue(position / 1000);
    if (durationMs > 0 && position >= durationMs - 500) {
        qDebug() << "has goto the end";
        stop();
    }
}

void AudioMixPlayer::stop()
{
    qDebug() << "into AudioMixPlayer::stop";
    CAgoraObject* engine = Engine();
    if (engine != nullptr && positionTimer->isActive())
        engine->StopAudioMixing();
    setPlaySkin(false);
    isPlaying = false;
    showTime(0);
    timeSlider->setValue(0);
    positionTimer->stop();
}

void AudioMixPlayer::seek(int seconds)
{
    qDebug() << "into  AudioMixPlayer::seek v2, and value" << seconds;
    CAgoraObject* engine = Engine();
    if (engine == nullptr)
        return;
    engine->SetAudioMixingPosition(seconds * 1000);
    lastSeekSeconds = seconds;
    showTime(seconds * 1000);
}

void AudioMixPlayer::seek()
{
    qDebug() << "into  AudioMixPlayer::seek v1";
    if (timeSlider->value() == lastSeekSeconds) {
        qDebug() << "into  AudioMixPlayer::seek v1, has seek by other signal and no need seek";
        return;
    }
    seek(timeSlider->value());
}

void AudioMixPlayer::setVolume(int value)
{
    qDebug() << "into AudioMixPlayer::setVolume, and value:" << value;
    if (CAgoraObject* engine = Engine())
        engine->SetAudioMixingVolume(value);
}

void AudioMixPlayer::toggleBarMode()
{
    if (barMode == Expanded) {
        shrinkBar();
        barMode = Shrunk;
        expandButton->setStyleSheet(Skin("expan.png", "expan_hover.png"));
        expandButton->setToolTip(QStringLiteral("展开"));
    } else {
        expandBar();
        barMode = Expanded;
        expandButton->setStyleSheet(Skin("shrink.png", "shrink_hover.png"));
        expandButton->setToolTip(QStringLiteral("收起"));
    }
}

void AudioMixPlayer::clearRows()
{
    for (QLayout* layout :
        { static_cast<QLayout*>(rightColumn), static_cast<QLayout*>(rightRow), static_cast<QLayout*>(mainRow) }) {
        while (QLayoutItem* item = layout->takeAt(0)) {
            // The nested layouts are kept for the next arrangement; a
            // widget's item goes, not the widget.
            if (item->layout() == nullptr)
                delete item;
        }
    }
}

void AudioMixPlayer::expandBar()
{
    barMode = Expanded;
    setMaximumSize(10000, kBarHeight);
    clearRows();
    timeSlider->show();
    volumeSlider->show();
    volumeButton->show();
    mainRow->setSpacing(10);
    mainRow->setContentsMargins(10, 10, 10, 5);
    mainRow->addWidget(playButton);
    mainRow->addSpacing(10);
    mainRow->addWidget(timeSlider);
    mainRow->addWidget(timeLabel);
    mainRow->addWidget(volumeButton);
    mainRow->addWidget(volumeSlider);
    rightRow->setContentsMargins(7, 5, 7, 30);
    rightRow->setSpacing(5);
    rightRow->addWidget(expandButton);
    rightRow->addSpacing(expandButton->width() + 3);
    rightRow->addWidget(closeButton);
    rightRow->addSpacing(5);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->setSpacing(0);
    rightColumn->addLayout(rightRow);
    mainRow->addLayout(rightColumn);
    PlaceInPanel();
}

void AudioMixPlayer::shrinkBar()
{
    barMode = Shrunk;
    clearRows();
    timeSlider->hide();
    volumeSlider->hide();
    volumeButton->hide();
    // The play button, and beside it the two small buttons over the time.
    mainRow->setSpacing(5);
    mainRow->setContentsMargins(8, 5, 4, 5);
    mainRow->addWidget(playButton);
    rightRow->setContentsMargins(0, 0, 4, 0);
    rightRow->setSpacing(6);
    rightRow->addStretch();
    rightRow->addWidget(expandButton);
    rightRow->addWidget(closeButton);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->setSpacing(0);
    rightColumn->addLayout(rightRow);
    rightColumn->addWidget(timeLabel, 0, Qt::AlignRight);
    mainRow->addLayout(rightColumn);
    setMaximumSize(ShrunkWidth(), kBarHeight);
    PlaceInPanel();
}

int AudioMixPlayer::ShrunkWidth() const
{
    // Wider than the usual box only for a time with hours.
    const QMargins margins = mainRow->contentsMargins();
    return qMax(kShrunkWidth,
        margins.left() + playButton->width() + mainRow->spacing() + timeLabel->minimumWidth() + margins.right());
}

QRect AudioMixPlayer::PlacedGeometry() const
{
    const QSize panel = parentPanel->size();
    // A media window along the bottom edge keeps its control bar in view:
    // the bar stands on it.
    int bottom = panel.height();
    for (AvPlayer* media : parentPanel->findChildren<AvPlayer*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (media->isVisibleTo(parentPanel) && media->geometry().bottom() == panel.height() - 1)
            bottom = panel.height() - qMin(media->height(), kBarHeight);
    }
    if (barMode == Expanded)
        return QRect(0, bottom - kBarHeight, panel.width(), kBarHeight);
    return QRect(panel.width() - ShrunkWidth(), bottom - kBarHeight, ShrunkWidth(), kBarHeight);
}

void AudioMixPlayer::PlaceInPanel()
{
    // Not once the centre panel has taken the bar out to delete it.
    if (parentPanel && parentWidget() == parentPanel)
        setGeometry(PlacedGeometry());
}

void AudioMixPlayer::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Whoever moves the bar, it keeps its place.
    PlaceInPanel();
}

void AudioMixPlayer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceInPanel();
}

bool AudioMixPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentPanel) {
        const QEvent::Type type = event->type();
        if (type == QEvent::Resize) {
            PlaceInPanel();
        } else if ((type == QEvent::ChildAdded || type == QEvent::ChildRemoved)
            && static_cast<QChildEvent*>(event)->child() != this) {
            // A media window opened or closed: once it is placed, the bar
            // finds its place again, above it.
            QTimer::singleShot(0, this, [this] {
                PlaceInPanel();
                raise();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}
