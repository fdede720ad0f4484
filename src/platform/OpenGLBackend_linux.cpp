#include "OpenGLBackend.h"

#include <QDebug>
#include <QSurfaceFormat>

namespace OpenGLBackend {

bool Apply(const Choice& choice)
{
    // Here the choice is the kind of OpenGL asked of the system's driver for
    // the contexts made from now on; ANGLE's Direct3D is Windows' alone.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    switch (choice.kind) {
    case Choice::OpenGLES:
        format.setRenderableType(QSurfaceFormat::OpenGLES);
        if (!choice.anglePlatform.isEmpty())
            qDebug() << "[player] ANGLE platform" << choice.anglePlatform << "is for Windows, not applied";
        break;
    case Choice::Desktop:
        format.setRenderableType(QSurfaceFormat::OpenGL);
        break;
    case Choice::Software:
        // Mesa draws on the processor; read when the driver is loaded, so
        // it holds from the next start where OpenGL was used already.
        qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
        format.setRenderableType(QSurfaceFormat::OpenGL);
        break;
    case Choice::Unchanged:
        format.setRenderableType(QSurfaceFormat::DefaultRenderableType);
        break;
    }
    QSurfaceFormat::setDefaultFormat(format);
    return choice.kind != Choice::Unchanged;
}

} // namespace OpenGLBackend
