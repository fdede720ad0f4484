#pragma once

#include "VideoRenderer.h"

#include <QImage>
#include <QWidget>
#include <atomic>

struct mpv_render_context;

namespace plxav {

// Draws the frames on the CPU into a picture and paints it: works on any
// platform, the offscreen one included. GUI thread.
class SoftwareRenderer : public QWidget, public VideoRenderer
{
    Q_OBJECT

public:
    explicit SoftwareRenderer(QWidget* parent = nullptr);
    ~SoftwareRenderer() override;

    VideoRendererId id() const override { return VideoRendererId_Widget; }
    QWidget* widget() override { return this; }
    bool isReadyToDraw() const override { return m_context != nullptr; }
    // The last frame drawn, at the widget's size; null before the first.
    QImage currentFrame() const { return m_frame; }

protected:
    void attachCore(MpvCore* core) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The core has a new frame (any thread).
    static void onUpdate(void* self);
    // Draws the core's current frame into m_frame.
    void renderFrame();

    MpvCore* m_core = nullptr;
    mpv_render_context* m_context = nullptr;
    QImage m_frame;
    std::atomic<bool> m_updatePending { false };
};

} // namespace plxav
