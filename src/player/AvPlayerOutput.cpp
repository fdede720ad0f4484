// What the player window makes of the picture: the renderer chosen from the
// menu, the equaliser, frame capture and the decoder page's options.
#include "AvPlayer.h"

#include "Config.h"
#include "PlayerMessage.h"
#include "av/AVPlayer.h"
#include "av/VideoCapture.h"
#include "av/VideoRenderer.h"
#include "settings/DecoderConfigPage.h"
#include "settings/VideoEQConfigPage.h"

#include <QAction>
#include <QDebug>
#include <QToolButton>

namespace {
// The engines of the equaliser page: in the decoded frames, while drawing
// with OpenGL, in the X video extension.
constexpr int kSoftwareEngine = 0;
constexpr int kOpenGLEngine = 1;
constexpr int kXVideoEngine = 2;
// The pixel format frames go to for the software equaliser.
constexpr int kEqualiserPixelFormat = 4;
} // namespace

void AvPlayer::changeVO(QAction* action)
{
    if (action == nullptr || action == rendererAction)
        return;
    const plxav::VideoRendererId id = action->data().toInt();
    plxav::VideoRenderer* made = plxav::VideoRenderer::create(id);
    if (made == nullptr || !made->isAvailable()) {
        PlayerMessage::Show(this, QMessageBox::Critical, QStringLiteral("QtAV"), tr("not availabe on your platform!"));
        if (made != nullptr)
            delete made->widget();
        action->setChecked(false);
        if (rendererAction != nullptr)
            rendererAction->setChecked(true);
        return;
    }
    if (!installRenderer(made)) {
        delete made->widget();
        action->setChecked(false);
        return;
    }
    rendererAction = action;
    action->setChecked(true);
}

void AvPlayer::onVideoEQEngineChanged()
{
    plxav::VideoRenderer* shown = GetRenderer();
    if (shown != nullptr) {
        const bool software = equaliserPage->engine() == kSoftwareEngine && shown->id() != plxav::VideoRendererId_X11;
        if (software)
            shown->setPreferredPixelFormat(kEqualiserPixelFormat);
        shown->forcePreferredPixelFormat(software);
    }
    onBrightnessChanged(qRound(equaliserPage->brightness() * 100.0));
    onContrastChanged(qRound(equaliserPage->contrast() * 100.0));
    onHueChanged(qRound(equaliserPage->hue() * 100.0));
    onSaturationChanged(qRound(equaliserPage->saturation() * 100.0));
}

void AvPlayer::onBrightnessChanged(int b)
{
    adjustPicture(0, b);
}

void AvPlayer::onContrastChanged(int c)
{
    adjustPicture(1, c);
}

void AvPlayer::onHueChanged(int h)
{
    adjustPicture(2, h);
}

void AvPlayer::onSaturationChanged(int s)
{
    adjustPicture(3, s);
}

// Each adjustment takes one road: the renderer's own when the engine is one
// of its kind and it takes the value, else the player's (the decoded
// frames), with the other side back at 0.
void AvPlayer::adjustPicture(int adjustment, int value)
{
    static const struct {
        bool (plxav::VideoRenderer::*renderer)(qreal);
        void (plxav::AVPlayer::*player)(int);
        qreal (VideoEQConfigPage::*page)() const;
    } roads[] = {
        { &plxav::VideoRenderer::setBrightness, &plxav::AVPlayer::setBrightness, &VideoEQConfigPage::brightness },
        { &plxav::VideoRenderer::setContrast, &plxav::AVPlayer::setContrast, &VideoEQConfigPage::contrast },
        { &plxav::VideoRenderer::setHue, &plxav::AVPlayer::setHue, &VideoEQConfigPage::hue },
        { &plxav::VideoRenderer::setSaturation, &plxav::AVPlayer::setSaturation, &VideoEQConfigPage::saturation },
    };
    if (player == nullptr)
        return;
    const auto& road = roads[adjustment];
    plxav::VideoRenderer* shown = GetRenderer();
    if (equaliserPage->engine() != kSoftwareEngine && shown != nullptr
        && (shown->*road.renderer)((equaliserPage->*road.page)())) {
        (player->*road.player)(0);
        return;
    }
    if (shown != nullptr)
        (shown->*road.renderer)(0.0);
    (player->*road.player)(value);
}

void AvPlayer::offerEqualiserEngines(plxav::VideoRenderer* r)
{
    switch (r->id()) {
    case plxav::VideoRendererId_GLWidget:
    case plxav::VideoRendererId_GLWidget2:
    case plxav::VideoRendererId_OpenGLWidget:
        equaliserPage->setEngines({ kSoftwareEngine, kOpenGLEngine });
        equaliserPage->setEngine(kOpenGLEngine);
        r->forcePreferredPixelFormat(true);
        break;
    case plxav::VideoRendererId_XV:
        equaliserPage->setEngines({ kXVideoEngine });
        equaliserPage->setEngine(kXVideoEngine);
        r->forcePreferredPixelFormat(true);
        break;
    default:
        equaliserPage->setEngines({ kSoftwareEngine });
        equaliserPage->setEngine(kSoftwareEngine);
        r->forcePreferredPixelFormat(false);
        break;
    }
}

void AvPlayer::onCaptureConfigChanged()
{
    const Config& config = Config::instance();
    if (player != nullptr) {
        plxav::VideoCapture* capture = player->videoCapture();
        capture->setCaptureDir(config.captureDir());
        capture->setQuality(config.captureQuality());
        const bool original = config.captureFormat().toLower() == QLatin1String("original");
        capture->setOriginalFormat(original);
        if (!original)
            capture->setSaveFormat(config.captureFormat());
    }
    captureButton->setToolTip(
        QStringLiteral("%1\n%2: %3\n%4: %5")
            .arg(tr("Capture video frame"), tr("Save to"), config.captureDir(), tr("Format"), config.captureFormat()));
}

void AvPlayer::applyCodecOptions()
{
    player->setOptionsForAudioCodec(decoderPage->audioDecoderOptions());
    player->setOptionsForVideoCodec(decoderPage->videoDecoderOptions());
}
