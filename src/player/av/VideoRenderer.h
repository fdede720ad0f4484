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
    virtual ~VideoRenderer() = default;

    // A new renderer of that kind without parent, or null for a kind this
    // platform never has (Direct2D, GDI, unknown ids). A renderer is made
    // even when it cannot draw here; ask isAvailable().
    static VideoRenderer* create(VideoRendererId id);
    // Whether a renderer of that kind can draw on this machine now:
    // OpenGL ones when an OpenGL context can be made, the software one
    // always.
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

protected:
    friend class AVPlayer;
    // The player attaches its core while the renderer is installed and
    // detaches it (null) before either of them goes; the renderer makes
    // and frees its render context here.
    virtual void attachCore(MpvCore* core) = 0;
    // The value of the core's "vo" option this renderer draws through.
    virtual QString videoOutput() const { return QStringLiteral("libmpv"); }
    // After a render context was made while a file plays: the core turned
    // its video off when it found no context, so it is turned on again.
    static void restoreVideo(MpvCore* core);
    // Says to the attached player that the render context exists.
    void notifyReady()
    {
        if (m_onReady)
            m_onReady();
    }

private:
    QRectF m_regionOfInterest;
    std::function<void()> m_onReady;
};

} // namespace plxav
