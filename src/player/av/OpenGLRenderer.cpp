#include "OpenGLRenderer.h"

#include "MpvCore.h"
#include "platform/OpenGLBackend.h"

#include <QDebug>
#include <QDir>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <mpv/render_gl.h>

namespace plxav {

namespace {
void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(QByteArray(name))) : nullptr;
}
} // namespace

OpenGLRenderer::OpenGLRenderer(VideoRendererId kind, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_id(kind)
{
    OpenGLBackend::MakeSharedContext();
    setMinimumSize(1, 1);
}

OpenGLRenderer::~OpenGLRenderer()
{
    attachCore(nullptr);
    // The widget's base deletes the context after this object is gone.
    if (context() != nullptr)
        disconnect(context(), nullptr, this, nullptr);
}

void OpenGLRenderer::attachCore(MpvCore* core)
{
    if (m_context != nullptr) {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    }
    m_core = core;
    // Without an OpenGL context yet, initializeGL makes the render context.
    if (core != nullptr && context() != nullptr && context()->isValid()) {
        makeCurrent();
        makeRenderContext();
        doneCurrent();
    }
}

void OpenGLRenderer::initializeGL()
{
    // Should the widget get a new OpenGL context (a new top-level window
    // where contexts are not shared), the render context goes with the old.
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            makeCurrent();
            freeRenderContext();
            doneCurrent();
        },
        Qt::DirectConnection);
    makeRenderContext();
}

void OpenGLRenderer::makeRenderContext()
{
    if (m_context != nullptr || m_core == nullptr || !m_core->isValid())
        return;
    mpv_opengl_init_params init { &procAddress, nullptr };
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, apiType },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    const int error = mpv_render_context_create(&m_context, m_core->handle(), params);
    if (error < 0) {
        qWarning() << "[player] no OpenGL render context:" << MpvCore::errorText(error);
        m_context = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_context, &OpenGLRenderer::onUpdate, this);
    notifyReady();
}

void OpenGLRenderer::freeRenderContext()
{
    if (m_context == nullptr)
        return;
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
    m_context = nullptr;
}

void OpenGLRenderer::onUpdate(void* self)
{
    auto* renderer = static_cast<OpenGLRenderer*>(self);
    QMetaObject::invokeMethod(renderer, QOverload<>::of(&QWidget::update), Qt::QueuedConnection);
}

bool OpenGLRenderer::setUserShader(const QString& header, const QString& sample, const QString& postProcess)
{
    if (m_core == nullptr)
        return false;
    m_previousShaderFile = std::move(m_shaderFile);
    if (sample.trimmed().isEmpty()) {
        return m_core->commandAsync(
                   { QStringLiteral("change-list"), QStringLiteral("glsl-shaders"), QStringLiteral("clr"), QString() })
            >= 0;
    }
    // A hook on the main picture: the sample function reads the frame, the
    // post-process code works on the colour as gl_FragColor.
    const QString source = QStringLiteral("//!HOOK MAIN\n//!BIND HOOKED\n") + header + QLatin1Char('\n') + sample
        + QStringLiteral("\nvec4 hook() {\n    vec4 c = sample2d(HOOKED_raw, HOOKED_pos, 0) * HOOKED_mul;\n"
                         "#define gl_FragColor c\n")
        + postProcess + QStringLiteral("\n#undef gl_FragColor\n    return c;\n}\n");
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/plovix-shader-XXXXXX.glsl"));
    if (!file->open() || file->write(source.toUtf8()) < 0 || !file->flush())
        return false;
    m_shaderFile = std::move(file);
    return m_core->commandAsync({ QStringLiteral("change-list"), QStringLiteral("glsl-shaders"), QStringLiteral("set"),
               m_shaderFile->fileName() })
        >= 0;
}

void OpenGLRenderer::paintGL()
{
    if (m_context == nullptr) {
        QOpenGLContext::currentContext()->functions()->glClearColor(0, 0, 0, 1);
        QOpenGLContext::currentContext()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo { static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
        static_cast<int>(height() * ratio), 0 };
    int flipY = 1;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &fbo },
        { MPV_RENDER_PARAM_FLIP_Y, &flipY },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_context, params);
}

} // namespace plxav
