#pragma once

#include <QByteArray>

// Which of Qt's window-system platforms the client starts on.
namespace QtPlatform {

// What the environment said before the client chose.
struct Choice {
    bool chosen = false;
    bool wasSet = false;
    QByteArray previous;
    // Gives QT_QPA_PLATFORM back its earlier value, for the programs the
    // client starts (the desktop's installer, a browser).
    void Restore() const;
};

// On a Wayland session with XWayland at hand, chooses Qt's X11 platform
// ("xcb") where Qt would run on Wayland itself (nothing chosen, or a
// QT_QPA_PLATFORM naming Wayland, as some sessions set for every program):
// the live-media engine draws its pictures into native X11 windows, so on
// Wayland proper the tiles would stay empty. "-platform" on the command line
// still chooses, and so does any other QT_QPA_PLATFORM (offscreen, ...).
Choice PreferX11OnWayland(int argc, char* argv[]);

} // namespace QtPlatform
