#include "OpenGLBackend.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>

// Qt's own hook for the context every widget context shares with; the
// application object makes one when the sharing attribute is set and none
// is there yet.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace OpenGLBackend {

namespace {
// Only the GUI thread makes, reads and releases it.
QOpenGLContext* s_reserved = nullptr;
} // namespace

void ReserveSharedContext()
{
    if (QCoreApplication::instance() != nullptr || s_reserved != nullptr)
        return;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    s_reserved = new QOpenGLContext();
    qt_gl_set_global_share_context(s_reserved);
}

void MakeSharedContext()
{
    if (s_reserved == nullptr || s_reserved->isValid() || qt_gl_global_share_context() != s_reserved)
        return;
    s_reserved->setScreen(QGuiApplication::primaryScreen());
    s_reserved->setFormat(QSurfaceFormat::defaultFormat());
    if (!s_reserved->create())
        qWarning() << "[player] no shared OpenGL context: a picture gets a new context when its window changes";
}

void ReleaseSharedContext()
{
    if (s_reserved == nullptr)
        return;
    if (qt_gl_global_share_context() == s_reserved)
        qt_gl_set_global_share_context(nullptr);
    delete s_reserved;
    s_reserved = nullptr;
}

} // namespace OpenGLBackend
