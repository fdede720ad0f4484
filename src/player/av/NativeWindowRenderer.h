#pragma once

#include "VideoRenderer.h"

#include <QWidget>

namespace plxav {

// Lets the core draw with X11's own means into a native window of ours (the
// core's "wid"): through the X video extension (XV, which scales and
// converts colours in the server and adjusts them) or as plain X11 images.
// Only on an X11 display; XV also needs an adaptor of the server. GUI thread.
class NativeWindowRenderer : public QWidget, public VideoRenderer
{
    Q_OBJECT

public:
    // kind: VideoRendererId_XV or VideoRendererId_X11.
    explicit NativeWindowRenderer(VideoRendererId kind, QWidget* parent = nullptr);
    ~NativeWindowRenderer() override;

    VideoRendererId id() const override { return m_id; }
    QWidget* widget() override { return this; }
    // The window is there whenever the core is.
    bool isReadyToDraw() const override { return m_core != nullptr; }
    // Whether the display can have a renderer of that kind: an X11 one, and
    // for XV a server with an adaptor that takes images.
    static bool displaySupports(VideoRendererId kind);

    // The core draws over the window; Qt paints nothing there.
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void attachCore(MpvCore* core) override;
    QString videoOutput() const override;
    qint64 windowId() const override;
    bool adjustsPicture() const override { return m_id == VideoRendererId_XV; }
    bool event(QEvent* event) override;

private:
    // The core stops drawing here (the window may go next).
    void releaseWindow();

    VideoRendererId m_id;
    MpvCore* m_core = nullptr;
};

} // namespace plxav
