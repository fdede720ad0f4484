#include "OpenGLBackend.h"

#include <QDebug>

namespace OpenGLBackend {

bool Apply(const Choice& choice)
{
    // Qt here takes the system's OpenGL; an attribute set once the
    // application exists would only draw a warning.
    if (choice.kind != Choice::Unchanged)
        qDebug() << "[player] OpenGL back end" << choice.kind << choice.anglePlatform << "is for Windows, not applied";
    return false;
}

} // namespace OpenGLBackend
