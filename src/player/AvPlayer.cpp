#include "AvPlayer.h"

#include "Config.h"
#include "PlayerMessage.h"
#include "QWidgetFullSrc.h"
#include "Slider.h"
#include "av/AVPlayer.h"
#include "av/AudioOutput.h"
#include "av/LibAVFilter.h"
#include "av/OpenGLRenderer.h"
#include "av/SubtitleFilter.h"
#include "av/VideoCapture.h"
#include "av/VideoDecoder.h"
#include "av/VideoRenderer.h"

#include <QAction>
#include <QDebug>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char kVideoBarStyle[] = "#PLAYER_CONTROL{background:rgb(22,22,22);border:0px solid white;"
                              "color:rgb(255,255,255);font: 12px Microsoft YaHei;}";
const char kAudioBarStyle[] = "#PLAYER_CONTROL{background:rgb(235,235,237);border:0px solid white;"
                              "color:rgb(159,159,160);font: 12px Microsoft YaHei;}";
// %1: the add-page colour, lighter on the audio bar.
const char kSliderStyle[]
    = "QSlider::groove:horizontal {border: 0px solid rgba(92,86,82,0);background: rgb(69,69,71);height: 4px;"
      "border-radius: 2px;}QSlider::sub-page:horizontal {background:rgb(250,99,78);border: 2px solid "
      "rgb(250,99,78);height: 4px;border-radius: 2px;}QSlider::add-page:horizontal {background: %1;border: 0px "
      "solid rgb(69,69,71);height: 2px;border-radius: 1px;}QSlider::handle:horizontal {background:rgb(250,99,78);"
      "         border: 1px solid rgb(250,99,78);width: 10px;margin : -4px 0px -4px 0px;border-radius: 6px;}";
const char kVideoLabelStyle[] = "color:rgb(255,255,255);font: 12px Microsoft YaHei;";
const char kAudioLabelStyle[] = "color:rgb(138,138,139);font: 12px Microsoft YaHei;";

} // namespace

AvPlayer::AvPlayer(QWidget* parent, int mediaType)
    : QWidget(parent)
    , mediaType(mediaType)
    , parentPanel(parent)
{
    subtitleFilter = new plxav::SubtitleFilter(this);
    setMouseTracking(true);
    connect(this, &AvPlayer::ready, this, &AvPlayer::processPendingActions);
    setupUi();
}

AvPlayer::~AvPlayer()
{
    // A full-screen window left behind would cover the screen with nothing
    // in it, and Escape there would reach nobody.
    leaveFullScreen();
}

QString AvPlayer::ButtonStyle(const QString& image, bool withHover)
{
    QString style = QStringLiteral("QPushButton{image: url(") + image
        + QStringLiteral(");background:rgba(212,212,212,0%);border:0px;}");
    if (withHover)
        style += QStringLiteral("QPushButton::hover{image: url(") + image
            + QStringLiteral(");background:rgba(244,244,244,0);border:0px;}");
    return style;
}

QString AvPlayer::BarStyle(bool video)
{
    return QLatin1String(video ? kVideoBarStyle : kAudioBarStyle);
}

QString AvPlayer::LabelStyle(bool video)
{
    return QLatin1String(video ? kVideoLabelStyle : kAudioLabelStyle);
}

QString AvPlayer::SliderStyle(bool video)
{
    return QString::fromLatin1(kSliderStyle)
        .arg(video ? QStringLiteral("rgb(69,69,71)") : QStringLiteral("rgb(195,195,195)"));
}

void AvPlayer::setPlayButtonImage(bool playing)
{
    if (playButton == nullptr)
        return;
    const QString folder = mediaType == 2 ? QStringLiteral(":/resource/qtAvPlayer/x1/")
                                          : QStringLiteral(":/resource/audioQtAvPlayer/x1/");
    playButton->setStyleSheet(ButtonStyle(folder + (playing ? "play.png" : "pause.png")));
}

void AvPlayer::setupUi()
{
    const bool video = mediaType == 2;
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setSpacing(0);
    windowLayout->setContentsMargins(2, 0, 2, 0);
    playerLayout = new QVBoxLayout();

    controlBar = new QWidget(this);
    controlBar->setObjectName(QStringLiteral("PLAYER_CONTROL"));
    controlBar->setAttribute(Qt::WA_StyledBackground);
    controlBar->setMaximumHeight(45);
    controlBar->setStyleSheet(BarStyle(mediaType != 1));

    const QString sliderStyle = SliderStyle(video);
    timeSlider = new Slider(controlBar);
    timeSlider->setDisabled(true);
    timeSlider->setTracking(true);
    timeSlider->setOrientation(Qt::Horizontal);
    timeSlider->setMinimum(0);
    timeSlider->setStyleSheet(sliderStyle);

    seekMsgTimer = new QTimer(this);
    connect(seekMsgTimer, &QTimer::timeout, this, &AvPlayer::OnSeekMsgSend);

    timeLabel = new QLabel(controlBar);
    timeLabel->setStyleSheet(LabelStyle(video));
    timeLabel->setContentsMargins(4, 2, 4, 2);
    resetTimeLabel();

    // Kept for the speed choice; the bar does not show it.
    speedLabel = new QLabel(QStringLiteral("1.00"), this);
    speedLabel->setContentsMargins(1, 1, 1, 1);
    speedLabel->hide();

    const bool control = CanControlMedia();
    if (control) {
        playButton = new QPushButton(controlBar);
        playButton->setFocusPolicy(Qt::NoFocus);
        setPlayButtonImage(false);
        if (mediaType == 1) {
            closeButton = new QPushButton(controlBar);
            closeButton->setFixedSize(15, 15);
            closeButton->setFocusPolicy(Qt::NoFocus);
            closeButton->setStyleSheet(ButtonStyle(QStringLiteral(":/resource/audioQtAvPlayer/x1/close.png")));
        }
    }
    if (video) {
        fullScreenButton = new QPushButton(controlBar);
        fullScreenButton->setFocusPolicy(Qt::NoFocus);
        fullScreenButton->setStyleSheet(ButtonStyle(QStringLiteral(":/resource/qtAvPlayer/x1/fullscree.png")));
    }
    volumeButton = new QPushButton(controlBar);
    volumeButton->setFocusPolicy(Qt::NoFocus);
    volumeButton->setStyleSheet(ButtonStyle(video ? QStringLiteral(":resource/menubar/x1/footer_icon_audio_normal-.png")
                                                  : QStringLiteral(":resource/audioQtAvPlayer/x1/volum.png"),
        false));
    volumeSlider = new Slider(controlBar);
    volumeSlider->setOrientation(Qt::Horizontal);
    volumeSlider->setRange(0, 100);
    volumeSlider->setMaximumWidth(88);
    volumeSlider->setValue(25);
    volumeSlider->setStyleSheet(sliderStyle);
    setVolume();

    setupMenu();

    windowLayout->addLayout(playerLayout);
    windowLayout->addWidget(controlBar);
    auto* barLayout = new QHBoxLayout(controlBar);
    barLayout->setSpacing(2);
    barLayout->setContentsMargins(2, 2, 2, 2);
    if (playButton != nullptr)
        barLayout->addWidget(playButton);
    barLayout->addWidget(timeSlider);
    barLayout->addWidget(timeLabel);
    barLayout->addWidget(volumeButton);
    barLayout->addWidget(volumeSlider);
    if (fullScreenButton != nullptr)
        barLayout->addWidget(fullScreenButton);
    if (closeButton != nullptr) {
        connect(closeButton, &QPushButton::clicked, this, &AvPlayer::toggleClose);
        auto* closeLayout = new QVBoxLayout();
        closeLayout->setContentsMargins(20, 2, 2, qMax(0, controlBar->height() - closeButton->height()));
        closeLayout->addWidget(closeButton);
        barLayout->addLayout(closeLayout);
    }

    if (control) {
        connect(playButton, &QPushButton::clicked, this, &AvPlayer::togglePlayPause);
        connect(timeSlider, &QSlider::sliderPressed, this, QOverload<>::of(&AvPlayer::seek));
        connect(timeSlider, &QSlider::sliderMoved, this, QOverload<int>::of(&AvPlayer::seek));
    }
    Config& config = Config::instance();
    for (auto signal : { &Config::userShaderEnabledChanged, &Config::intermediateFBOChanged, &Config::fragHeaderChanged,
             &Config::fragSampleChanged, &Config::fragPostProcessChanged })
        connect(&config, signal, this, &AvPlayer::onUserShaderChanged);
    if (fullScreenButton != nullptr)
        connect(fullScreenButton, &QPushButton::clicked, this, &AvPlayer::playFullScreen);
    QTimer::singleShot(0, this, &AvPlayer::initPlayer);
}

void AvPlayer::initPlayer()
{
    if (isReady)
        return;
    player = new plxav::AVPlayer(this);
    isReady = true;
    if (mediaType == 2) {
        const int id = property("rendererId").toInt();
        plxav::VideoRenderer* made = plxav::VideoRenderer::create(id);
        if (made == nullptr || !made->isAvailable() || made->widget() == nullptr)
            PlayerMessage::Show(this, QMessageBox::Critical, QStringLiteral("QtAV"),
                tr("Video renderer is ") + tr("not availabe on your platform!"));
        installRenderer(made);
    }
    subtitleFilter->setPlayer(player);
    onCaptureConfigChanged();
    onAVFilterVideoConfigChanged();
    onAVFilterAudioConfigChanged();

    Config& config = Config::instance();
    connect(&config, &Config::forceFrameRateChanged, this, &AvPlayer::setFrameRate);
    connect(&config, &Config::captureDirChanged, this, &AvPlayer::onCaptureConfigChanged);
    connect(&config, &Config::captureFormatChanged, this, &AvPlayer::onCaptureConfigChanged);
    connect(&config, &Config::captureQualityChanged, this, &AvPlayer::onCaptureConfigChanged);
    connect(&config, &Config::avfilterVideoChanged, this, &AvPlayer::onAVFilterVideoConfigChanged);
    connect(&config, &Config::avfilterAudioChanged, this, &AvPlayer::onAVFilterAudioConfigChanged);
    connect(&config, &Config::bufferValueChanged, this, &AvPlayer::onBufferValueChanged);
    connect(&config, &Config::abortOnTimeoutChanged, this, &AvPlayer::onAbortOnTimeoutChanged);
    connect(volumeSlider, &QSlider::sliderPressed, this, &AvPlayer::setVolume);
    connect(volumeSlider, &QSlider::valueChanged, this, &AvPlayer::setVolume);

    connect(player, &plxav::AVPlayer::seekFinished, this, &AvPlayer::onSeekFinished);
    connect(player, &plxav::AVPlayer::mediaStatusChanged, this, &AvPlayer::onMediaStatusChanged);
    connect(player, &plxav::AVPlayer::bufferProgressChanged, this, &AvPlayer::onBufferProgress);
    connect(player, &plxav::AVPlayer::error, this, &AvPlayer::handleError);
    connect(player, &plxav::AVPlayer::started, this, &AvPlayer::onStartPlay);
    connect(player, &plxav::AVPlayer::stopped, this, &AvPlayer::onStopPlay);
    connect(player, &plxav::AVPlayer::paused, this, &AvPlayer::onPaused);
    connect(player, &plxav::AVPlayer::speedChanged, this, &AvPlayer::onSpeedChange);
    connect(player, &plxav::AVPlayer::positionChanged, this, &AvPlayer::onPositionChange);
    connect(captureButton, &QToolButton::clicked, player->videoCapture(), &plxav::VideoCapture::capture);
    emit ready();
}

bool AvPlayer::installRenderer(plxav::VideoRenderer* r)
{
    if (r == nullptr)
        return false;
    if (r->widget() == nullptr) {
        PlayerMessage::Show(this, QMessageBox::Warning, QStringLiteral("QtAV"), tr("Can not use this renderer"));
        return false;
    }
    subtitleFilter->uninstall();
    r->widget()->setMouseTracking(true);
    // Placed first: a renderer the core draws into natively is given its
    // window as it will stay, inside this one.
    playerLayout->addWidget(r->widget());
    player->setRenderer(r);
    if (QWidget* old = rendererWidget.data()) {
        playerLayout->removeWidget(old);
        old->close();
        if (!old->testAttribute(Qt::WA_DeleteOnClose))
            delete old;
    }
    renderer = r;
    rendererWidget = r->widget();
    rendererAction = nullptr;
    for (QAction* entry : qAsConst(rendererActions)) {
        if (entry->data().toInt() == r->id())
            rendererAction = entry;
    }
    offerEqualiserEngines(r);
    onVideoEQEngineChanged();
    subtitleFilter->installTo(r);
    onUserShaderChanged();
    return true;
}

void AvPlayer::onUserShaderChanged()
{
    // Only the OpenGL renderers run shaders; the core renders through its
    // own frame buffers, so the intermediate one needs nothing here.
    auto* gl = dynamic_cast<plxav::OpenGLRenderer*>(GetRenderer());
    if (gl == nullptr)
        return;
    const Config& config = Config::instance();
    if (config.userShaderEnabled())
        gl->setUserShader(config.fragHeader(), config.fragSample(), config.fragPostProcess());
    else
        gl->setUserShader(QString(), QString(), QString());
}

plxav::VideoRenderer* AvPlayer::GetRenderer() const
{
    return rendererWidget.isNull() ? nullptr : renderer;
}

void AvPlayer::processPendingActions()
{
    if (hasPendingPlay) {
        hasPendingPlay = false;
        play(filePath);
    }
    if (pendingSeek >= 0 && player != nullptr) {
        player->seek(pendingSeek);
        pendingSeek = -1;
    }
}

void AvPlayer::applyDecoderPriority()
{
    QVector<plxav::VideoDecoderId> decoders;
    for (const QString& name : Config::instance().decoderPriorityNames()) {
        if (const plxav::VideoDecoderId id = plxav::VideoDecoder::id(name.toLatin1().constData()))
            decoders << id;
    }
    player->setPriority(decoders);
}

void AvPlayer::applyPlayConfig()
{
    const Config& config = Config::instance();
    player->setFrameRate(config.forceFrameRate());
    applyCodecOptions();
    const QVariantHash format = config.avformatOptionsEnabled() ? config.avformatOptions() : QVariantHash();
    player->setOptionsForFormat(format);
    qDebug() << "[player] demuxer options:" << format;
}

QString AvPlayer::TitleOf(const QString& file)
{
    if (!file.contains(QLatin1String("://")) || file.startsWith(QLatin1String("file://")))
        return QFileInfo(file).fileName();
    return file;
}

void AvPlayer::play(QString name)
{
    filePath = name;
    if (!isReady) {
        hasPendingPlay = true;
        return;
    }
    title = TitleOf(filePath);
    player->stop();
    const Config& config = Config::instance();
    if (!audioBackends.isEmpty())
        player->audio()->setBackends(audioBackends);
    if (!repeatEnableAction->isChecked())
        repeatMax = 0;
    player->setInterruptOnTimeout(config.abortOnTimeout());
    player->setInterruptTimeout(static_cast<qint64>(config.timeout() * 1000.0));
    player->setBufferMode(plxav::BufferPackets);
    player->setBufferValue(config.bufferValue());
    player->setRepeat(repeatMax);
    applyDecoderPriority();
    applyPlayConfig();
    player->play(name);
}

void AvPlayer::play(QUrl url)
{
    play(QUrl::fromPercentEncoding(url.toEncoded()));
}

void AvPlayer::setAudioBackends(const QStringList& backends)
{
    audioBackends = backends;
}

void AvPlayer::setVideoDecoderNames(const QStringList& names)
{
    QStringList wanted;
    for (const QString& name : names)
        wanted << name.toLower();
    QStringList kept;
    for (plxav::VideoDecoderId id : plxav::VideoDecoder::registered()) {
        const QString name = plxav::VideoDecoder::name(id);
        if (wanted.contains(name.toLower()))
            kept << name;
    }
    Config::instance().setDecoderPriorityNames(kept);
}

void AvPlayer::onSpinBoxChanged(double v)
{
    if (player != nullptr)
        player->setSpeed(v);
}

void AvPlayer::stopUnload()
{
    if (player != nullptr)
        player->stop();
}

void AvPlayer::setFrameRate()
{
    if (player != nullptr)
        player->setFrameRate(Config::instance().forceFrameRate());
}

void AvPlayer::onBufferValueChanged()
{
    if (player != nullptr)
        player->setBufferValue(Config::instance().bufferValue());
}

void AvPlayer::onAbortOnTimeoutChanged()
{
    if (player != nullptr)
        player->setInterruptOnTimeout(Config::instance().abortOnTimeout());
}

void AvPlayer::onAVFilterVideoConfigChanged()
{
    if (player == nullptr)
        return;
    delete videoFilter;
    videoFilter = new plxav::LibAVFilterVideo(this);
    videoFilter->setEnabled(Config::instance().avfilterVideoEnable());
    player->installFilter(videoFilter, 2147483647);
    videoFilter->setOptions(Config::instance().avfilterVideoOptions());
}

void AvPlayer::onAVFilterAudioConfigChanged()
{
    if (player == nullptr)
        return;
    delete audioFilter;
    audioFilter = new plxav::LibAVFilterAudio(this);
    audioFilter->setEnabled(Config::instance().avfilterAudioEnable());
    player->installFilter(audioFilter, 2147483647);
    audioFilter->setOptions(Config::instance().avfilterAudioOptions());
}
