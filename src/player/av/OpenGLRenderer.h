#pragma once

#include "VideoRenderer.h"

#include <QOpenGLWidget>

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

protected:
    void attachCore(MpvCore* core) override;
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
};

} // namespace plxav
