#include "VideoRenderer.h"

#include "MpvCore.h"
#include "OpenGLRenderer.h"
#include "SoftwareRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace plxav {

namespace {
// Whether an OpenGL context can be made and used here; asked once.
bool openGLWorks()
{
    static const bool works = [] {
        if (QGuiApplication::instance() == nullptr)
            return false;
        QOpenGLContext context;
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        const bool current = surface.isValid() && context.makeCurrent(&surface);
        if (current)
            context.doneCurrent();
        return current;
    }();
    return works;
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
    default:
        return false;
    }
}

void VideoRenderer::restoreVideo(MpvCore* core)
{
    if (core == nullptr || core->textProperty("path").isEmpty() || core->property("current-tracks/video").isValid())
        return;
    for (const QVariant& track : core->property("track-list").toList()) {
        const QVariantMap fields = track.toMap();
        if (fields.value(QStringLiteral("type")).toString() == QLatin1String("video")) {
            core->setProperty("vid", fields.value(QStringLiteral("id")).toLongLong());
            return;
        }
    }
}

} // namespace plxav
