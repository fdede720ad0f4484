// Prints the screens as read from the X server and then as a
// QGuiApplication reports them on the same display, one line each:
// "logical-dpi primary-width primary-height screen-count physical-size". An argument is
// first stored as the root window's resources, as xrdb would.
#include "platform/ScreenMeasure.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

static void Print(double dpi, const QSize& size, int count, const QSizeF& millimetres)
{
    std::printf(
        "%g %d %d %d %gx%g\n", dpi, size.width(), size.height(), count, millimetres.width(), millimetres.height());
}

int main(int argc, char* argv[])
{
    // Held open to the end: the server forgets the resources when its last
    // client leaves.
    Display* display = argc > 1 ? XOpenDisplay(nullptr) : nullptr;
    if (display) {
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(argv[1]), int(std::strlen(argv[1])));
        XSync(display, False);
    }
    Platform::ScreenMeasure m;
    if (!Platform::MeasureX11Screens(&m))
        std::printf("none\n");
    else
        Print(m.logicalDpi, m.screens.at(m.primary).size(), int(m.screens.size()), m.physicalSize);
    int one = 1;
    QGuiApplication app(one, argv);
    const QScreen* primary = QGuiApplication::primaryScreen();
    Print(primary->logicalDotsPerInch(), primary->geometry().size(), int(QGuiApplication::screens().size()),
        primary->physicalSize());
    if (display)
        XCloseDisplay(display);
    return 0;
}
