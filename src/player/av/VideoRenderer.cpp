#include "VideoRenderer.h"

#include "MpvCore.h"
#include "NativeWindowRenderer.h"
#include "OpenGLRenderer.h"
#include "SoftwareRenderer.h"

#include <QGuiApplication>
#include <QHash>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace plxav {

namespace {
// Whether an OpenGL context of the kind asked for by default (desktop or
// ES, as the player's start-up chose) can be made and used here; asked once
// per kind.
bool openGLWorks()
{
    if (QGuiApplication::instance() == nullptr)
        return false;
    static QHash<int, bool> works;
    const QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    const auto known = works.constFind(format.renderableType());
    if (known != works.cend())
        return known.value();
    QOpenGLContext context;
    context.setFormat(format);
    bool current = false;
    if (context.create()) {
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        current = surface.isValid() && context.makeCurrent(&surface);
        if (current)
            context.doneCurrent();
    }
    works.insert(format.renderableType(), current);
    return current;
}
} // namespace

VideoRenderer* VideoRenderer::create(VideoRendererId id)
{
    switch (id) {
    case VideoRendererId_Widget:
        return new SoftwareRenderer();
    case VideoRendererId_OpenGLWidget:
    case VideoRendererId_GLWidget:
    case VideoRendererId_GLWidget2:
        return new OpenGLRenderer(id);
    case VideoRendererId_XV:
    case VideoRendererId_X11:
        return new NativeWindowRenderer(id);
    default:
        return nullptr;
    }
}

bool VideoRenderer::isAvailable(VideoRendererId id)
{
    switch (id) {
    case VideoRendererId_Widget:
        return true;
    case VideoRendererId_OpenGLWidget:
    case VideoRendererId_GLWidget:
    case VideoRendererId_GLWidget2:
        return openGLWorks();
    case VideoRendererId_XV:
    case VideoRendererId_X11:
        return NativeWindowRenderer::displaySupports(id);
    default:
        return false;
    }
}

void VideoRenderer::setOutAspectRatioMode(OutAspectRatioMode mode)
{
    m_aspectMode = mode;
    applyAspectRatio();
}

bool VideoRenderer::setOutAspectRatio(qreal ratio)
{
    if (!(ratio > 0.0 && ratio <= 10.0))
        return false;
    m_aspectRatio = ratio;
    applyAspectRatio();
    return true;
}

void VideoRenderer::applyAspectRatio()
{
    if (m_outputCore == nullptr)
        return;
    m_outputCore->setPropertyAsync("keepaspect", m_aspectMode != RendererAspectRatio);
    const bool custom = m_aspectMode == CustomAspectRation && m_aspectRatio > 0.0;
    m_outputCore->setPropertyAsync(
        "video-aspect-override", custom ? QString::number(m_aspectRatio, 'f', 6) : QStringLiteral("-1"));
}

bool VideoRenderer::setAdjustment(int index, qreal value)
{
    if (!adjustsPicture())
        return false;
    m_adjustment[index] = qBound<qreal>(-1.0, value, 1.0);
    applyAdjustments();
    return true;
}

void VideoRenderer::applyAdjustments()
{
    if (m_outputCore == nullptr || !adjustsPicture())
        return;
    static const char* const names[] = { "brightness", "contrast", "hue", "saturation" };
    for (int i = 0; i < 4; ++i)
        m_outputCore->setPropertyAsync(names[i], qRound(m_adjustment[i] * 100.0));
}

} // namespace plxav
