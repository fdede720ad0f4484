#pragma once

#include "VideoRenderer.h"

#include <QOpenGLWidget>
#include <QTemporaryFile>
#include <memory>

struct mpv_render_context;

namespace plxav {

// Draws the frames with OpenGL into the widget's frame buffer. Needs a
// platform that gives OpenGL contexts (not the offscreen one). GUI thread.
class OpenGLRenderer : public QOpenGLWidget, public VideoRenderer
{
    Q_OBJECT

public:
    // kind: one of the OpenGL renderer ids; they all draw alike here.
    explicit OpenGLRenderer(VideoRendererId kind, QWidget* parent = nullptr);
    ~OpenGLRenderer() override;

    VideoRendererId id() const override { return m_id; }
    QWidget* widget() override { return this; }
    bool isReadyToDraw() const override { return m_context != nullptr; }

    // Runs a fragment shader over every frame: header (declarations), the
    // sample function "vec4 sample2d(sampler2D tex, vec2 pos, int p)" and
    // code that changes gl_FragColor after sampling. An empty sample
    // function removes it. False when it could not be handed to the core (a
    // shader that does not compile is logged by the core).
    bool setUserShader(const QString& header, const QString& sample, const QString& postProcess);

protected:
    void attachCore(MpvCore* core) override;
    bool adjustsPicture() const override { return true; }
    void initializeGL() override;
    void paintGL() override;

private:
    static void onUpdate(void* self);
    // Makes the render context in the current OpenGL context.
    void makeRenderContext();
    // Frees it; the widget's OpenGL context must be current.
    void freeRenderContext();

    VideoRendererId m_id;
    MpvCore* m_core = nullptr;
    mpv_render_context* m_context = nullptr;
    std::unique_ptr<QTemporaryFile> m_shaderFile;
    // The file handed over before, kept until the core has surely taken
    // the new one (the request that names it runs later).
    std::unique_ptr<QTemporaryFile> m_previousShaderFile;
};

} // namespace plxav
