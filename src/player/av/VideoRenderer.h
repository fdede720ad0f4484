#pragma once

#include "AVTypes.h"

#include <QRectF>
#include <QString>
#include <functional>

class QWidget;

namespace plxav {

class MpvCore;

// Where the player draws its pictures: a widget that takes the frames of
// the core it is attached to. The widget is the renderer (each renderer is
// a QWidget subclass), so deleting it deletes the renderer; until then the
// owner places it in its layout.
class VideoRenderer
{
public:
    // How the picture fills the renderer: stretched to it, at the video's
    // own ratio, or at a ratio of the owner's choice (each with black bands
    // where the ratio differs).
    enum OutAspectRatioMode { RendererAspectRatio = 0, VideoAspectRatio = 1, CustomAspectRation = 2 };

    virtual ~VideoRenderer() = default;

    // A new renderer of that kind without parent, or null for a kind this
    // platform never has (Direct2D, GDI, unknown ids). A renderer is made
    // even when it cannot draw here; ask isAvailable().
    static VideoRenderer* create(VideoRendererId id);
    // Whether a renderer of that kind can draw on this machine now:
    // OpenGL ones when an OpenGL context can be made, XV and X11 on an X11
    // display (XV with an adaptor of the server), the software one always.
    static bool isAvailable(VideoRendererId id);

    virtual VideoRendererId id() const = 0;
    // Whether it has its render context, so the core can show video now.
    virtual bool isReadyToDraw() const = 0;
    bool isAvailable() const { return isAvailable(id()); }
    virtual QWidget* widget() = 0;

    // The whole frame is always shown; kept for the player's reset of the
    // region at each start.
    void setRegionOfInterest(const QRectF& region) { m_regionOfInterest = region; }
    QRectF regionOfInterest() const { return m_regionOfInterest; }

    // The pixel format frames are converted to before drawing. The core
    // picks the format itself; the choice is only kept.
    void setPreferredPixelFormat(int format) { m_preferredPixelFormat = format; }
    int preferredPixelFormat() const { return m_preferredPixelFormat; }
    void forcePreferredPixelFormat(bool force) { m_forcePixelFormat = force; }
    bool isPreferredPixelFormatForced() const { return m_forcePixelFormat; }

    void setOutAspectRatioMode(OutAspectRatioMode mode);
    OutAspectRatioMode outAspectRatioMode() const { return m_aspectMode; }
    // Width by height for the custom mode; false (nothing changed) for a
    // ratio the core cannot show: 0 or less, or above 10.
    bool setOutAspectRatio(qreal ratio);
    qreal outAspectRatio() const { return m_aspectRatio; }

    // Colour adjustments done while drawing, -1.0 to 1.0 (0: as decoded).
    // False when this renderer draws without them (then nothing changed and
    // the player adjusts the frames itself).
    bool setBrightness(qreal value) { return setAdjustment(0, value); }
    bool setContrast(qreal value) { return setAdjustment(1, value); }
    bool setHue(qreal value) { return setAdjustment(2, value); }
    bool setSaturation(qreal value) { return setAdjustment(3, value); }
    qreal brightness() const { return m_adjustment[0]; }
    qreal contrast() const { return m_adjustment[1]; }
    qreal hue() const { return m_adjustment[2]; }
    qreal saturation() const { return m_adjustment[3]; }

protected:
    friend class AVPlayer;
    // The player attaches its core while the renderer is installed and
    // detaches it (null) before either of them goes; the renderer makes
    // and frees its render context here.
    virtual void attachCore(MpvCore* core) = 0;
    // The value of the core's "vo" option this renderer draws through.
    virtual QString videoOutput() const { return QStringLiteral("libmpv"); }
    // The native window the core draws into itself (its "wid"); -1 for a
    // renderer that takes the frames through the render API.
    virtual qint64 windowId() const { return -1; }
    // Whether the core adjusts colours while drawing through this renderer
    // (its OpenGL drawing does, the software one does not).
    virtual bool adjustsPicture() const { return false; }
    // Says to the attached player that the render context exists.
    void notifyReady()
    {
        if (m_onReady)
            m_onReady();
    }

private:
    bool setAdjustment(int index, qreal value);
    // Sends the ratio and the adjustments to the core the renderer draws for
    // (without waiting for it).
    void applyAspectRatio();
    void applyAdjustments();

    QRectF m_regionOfInterest;
    std::function<void()> m_onReady;
    // The core of the player that shows its pictures here; set by it.
    MpvCore* m_outputCore = nullptr;
    OutAspectRatioMode m_aspectMode = VideoAspectRatio;
    qreal m_aspectRatio = 0.0;
    qreal m_adjustment[4] = { 0.0, 0.0, 0.0, 0.0 };
    int m_preferredPixelFormat = 0;
    bool m_forcePixelFormat = false;
};

} // namespace plxav
