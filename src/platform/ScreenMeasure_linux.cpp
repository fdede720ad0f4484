#include "ScreenMeasure.h"

#include <QByteArray>
#include <QtGlobal>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace Platform {

namespace {

// Any of these makes Qt scale or choose its screens otherwise.
bool EnvironmentChangesQt()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "xcb")
        return true;
    for (const char* name : { "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
             "QT_ENABLE_HIGHDPI_SCALING", "QT_DEVICE_PIXEL_RATIO", "QT_XCB_NO_XRANDR" }) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return qEnvironmentVariableIsEmpty("DISPLAY");
}

// "Xft.dpi" of the root window's resources, rounded as Qt does; 0 when
// unset or not a number.
int ResourceDpi(Display* display, Window root)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(
            display, root, XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING, &type, &format, &count, &after, &data)
            != Success
        || !data)
        return 0;
    const QByteArray resources(reinterpret_cast<const char*>(data), int(count));
    XFree(data);
    int dpi = 0;
    const QByteArray key("Xft.dpi:\t");
    for (const QByteArray& line : resources.split('\n')) {
        bool ok = false;
        const int value = line.startsWith(key) ? qRound(line.mid(key.size()).toDouble(&ok)) : 0;
        if (ok)
            dpi = value; // the last one counts
    }
    return dpi;
}

// The size of the monitor's first output, turned with it, as Qt takes it;
// without one the root window's DPI gives it, rounded to whole millimetres.
QSizeF MonitorMillimetres(Display* display, Window root, const XRRMonitorInfo& monitor, double dpiX, double dpiY)
{
    QSizeF size;
    XRRScreenResources* resources = monitor.noutput > 0 ? XRRGetScreenResourcesCurrent(display, root) : nullptr;
    XRROutputInfo* output = resources ? XRRGetOutputInfo(display, resources, monitor.outputs[0]) : nullptr;
    if (output) {
        size = QSizeF(output->mm_width, output->mm_height);
        XRRCrtcInfo* crtc = output->crtc ? XRRGetCrtcInfo(display, resources, output->crtc) : nullptr;
        if (crtc && (crtc->rotation & (RR_Rotate_90 | RR_Rotate_270)))
            size.transpose();
        if (crtc)
            XRRFreeCrtcInfo(crtc);
        XRRFreeOutputInfo(output);
    }
    if (resources)
        XRRFreeScreenResources(resources);
    if (size.toSize().isEmpty())
        size = QSizeF(qRound(25.4 * monitor.width / dpiX), qRound(25.4 * monitor.height / dpiY));
    return size;
}

int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

bool MeasureX11Screens(ScreenMeasure* out)
{
    if (EnvironmentChangesQt())
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // Xlib's own handler ends the process on an error, such as an output
    // gone between two requests; a failed request leaves a zero size here.
    const XErrorHandler previousHandler = XSetErrorHandler(IgnoreError);
    bool ok = false;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const double pixelsW = DisplayWidth(display, screen), pixelsH = DisplayHeight(display, screen);
    const double mmW = DisplayWidthMM(display, screen), mmH = DisplayHeightMM(display, screen);
    // Qt's X platform takes QT_FONT_DPI over the resources.
    const int fontDpi = qEnvironmentVariableIntValue("QT_FONT_DPI");
    const int forced = fontDpi ? fontDpi : ResourceDpi(display, root);
    const double dpiX = forced > 0 ? forced : 25.4 * pixelsW / mmW;
    const double dpiY = forced > 0 ? forced : 25.4 * pixelsH / mmH;
    out->logicalDpi = (dpiX + dpiY) * 0.5;
    out->screens.clear();
    out->primary = 0;
    int opcode = 0, eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (ScreenCount(display) != 1 || mmW <= 0 || mmH <= 0 || fontDpi < 0) {
        // Left to Qt.
    } else if (!XQueryExtension(display, "RANDR", &opcode, &eventBase, &errorBase)) {
        // Without RandR Qt makes one screen of the root window. (Asked of
        // the server: libXrandr leaks a record when the extension is missing.)
        out->screens << QRect(0, 0, int(pixelsW), int(pixelsH));
        out->physicalSize = QSizeF(mmW, mmH);
        ok = true;
    } else if (XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
        // From RandR 1.5 on Qt makes one screen of every active monitor;
        // older servers take other paths, left to Qt.
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
        if (monitors && count > 0) {
            for (int i = 0; i < count; ++i) {
                const XRRMonitorInfo& m = monitors[i];
                out->screens << QRect(m.x, m.y, m.width, m.height);
                if (m.primary)
                    out->primary = i;
            }
            out->physicalSize
                = MonitorMillimetres(display, root, monitors[out->primary], 25.4 * pixelsW / mmW, 25.4 * pixelsH / mmH);
            ok = true;
        }
        if (monitors)
            XRRFreeMonitors(monitors);
    }
    XCloseDisplay(display);
    XSetErrorHandler(previousHandler);
    return ok;
}

} // namespace Platform
