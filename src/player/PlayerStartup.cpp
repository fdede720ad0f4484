#include "PlayerStartup.h"

#include "av/VideoRenderer.h"

#include <QDebug>
#include <QFileInfo>
#include <mpv/client.h>

namespace PlayerStartup {

QString RendererNameFromProgram(const QString& program)
{
    const QString name = QFileInfo(program).fileName();
    const int dash = name.lastIndexOf(QLatin1Char('-'));
    if (dash <= 0)
        return QString();
    const int dot = name.indexOf(QLatin1Char('.'), dash + 1);
    return name.mid(dash + 1, dot < 0 ? -1 : dot - dash - 1);
}

plxav::VideoRendererId RendererIdForName(const QString& name)
{
    static const struct {
        const char* name;
        plxav::VideoRendererId id;
    } table[] = {
        { "opengl", plxav::VideoRendererId_OpenGLWidget },
        { "gl", plxav::VideoRendererId_GLWidget2 },
        { "d2d", plxav::VideoRendererId_Direct2D },
        { "gdi", plxav::VideoRendererId_GDI },
        { "xv", plxav::VideoRendererId_XV },
        { "x11", plxav::VideoRendererId_X11 },
        { "qt", plxav::VideoRendererId_Widget },
    };
    const QString lower = name.toLower();
    for (const auto& entry : table) {
        if (lower == QLatin1String(entry.name))
            return entry.id;
    }
    return plxav::VideoRendererId_GLWidget2;
}

plxav::VideoRendererId UsableRendererId(plxav::VideoRendererId id)
{
    if (plxav::VideoRenderer::isAvailable(id))
        return id;
    qDebug() << "[player] renderer" << id << "cannot draw here, the software renderer draws instead";
    return plxav::VideoRendererId_Widget;
}

QString LibraryVersion()
{
    const unsigned long api = mpv_client_api_version();
    return QStringLiteral("libmpv client API %1.%2").arg(api >> 16).arg(api & 0xffff);
}

} // namespace PlayerStartup
