#include "NativeWindowRenderer.h"

#include "MpvCore.h"

#include <QEvent>
#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/Xvlib.h>

namespace plxav {

namespace {
// Whether the X server has an XV adaptor that shows images; asked once, on
// a connection of its own.
bool serverHasXvAdaptor()
{
    static const bool found = [] {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return false;
        bool any = false;
        unsigned version = 0, release = 0, request = 0, event = 0, error = 0;
        unsigned count = 0;
        XvAdaptorInfo* adaptors = nullptr;
        if (XvQueryExtension(display, &version, &release, &request, &event, &error) == Success
            && XvQueryAdaptors(display, DefaultRootWindow(display), &count, &adaptors) == Success) {
            for (unsigned i = 0; i < count; ++i) {
                if ((adaptors[i].type & XvInputMask) != 0 && (adaptors[i].type & XvImageMask) != 0)
                    any = true;
            }
            if (adaptors != nullptr)
                XvFreeAdaptorInfo(adaptors);
        }
        XCloseDisplay(display);
        return any;
    }();
    return found;
}
} // namespace

NativeWindowRenderer::NativeWindowRenderer(VideoRendererId kind, QWidget* parent)
    : QWidget(parent)
    , m_id(kind)
{
    setMinimumSize(1, 1);
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

NativeWindowRenderer::~NativeWindowRenderer()
{
    releaseWindow();
}

bool NativeWindowRenderer::displaySupports(VideoRendererId kind)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    return kind == VideoRendererId_X11 || (kind == VideoRendererId_XV && serverHasXvAdaptor());
}

void NativeWindowRenderer::attachCore(MpvCore* core)
{
    releaseWindow();
    // The window exists before the core is told of it: its creation is no
    // change of window to act on.
    if (core != nullptr)
        winId();
    m_core = core;
    if (core != nullptr)
        notifyReady();
}

void NativeWindowRenderer::releaseWindow()
{
    // The core's output must let go of the window before it is destroyed;
    // it does not draw through the GUI thread, so waiting for it is safe.
    // Only one renderer is attached at a time: the output is ours.
    if (m_core != nullptr)
        m_core->setProperty("vo", QStringLiteral("null"));
    m_core = nullptr;
}

QString NativeWindowRenderer::videoOutput() const
{
    return m_id == VideoRendererId_XV ? QStringLiteral("xv") : QStringLiteral("x11");
}

qint64 NativeWindowRenderer::windowId() const
{
    return static_cast<qint64>(winId());
}

bool NativeWindowRenderer::event(QEvent* event)
{
    // A new native window (another top-level window above, as in full
    // screen): the core opens its output again in it.
    if (event->type() == QEvent::WinIdChange && m_core != nullptr) {
        m_core->setPropertyAsync("vo", QStringLiteral("null"));
        m_core->setPropertyAsync("wid", windowId());
        m_core->setPropertyAsync("vo", videoOutput());
    }
    return QWidget::event(event);
}

} // namespace plxav
