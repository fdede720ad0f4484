#pragma once

#include <QList>
#include <QRect>
#include <QSizeF>

namespace Platform {

// What the GUI platform reports for the screens, as the display scale needs
// it before any application object exists.
struct ScreenMeasure {
    double logicalDpi = 96; // of the primary screen, as QScreen::logicalDotsPerInch()
    QSizeF physicalSize; // of the primary screen, in millimetres
    double devicePixelRatio = 1; // of the primary screen
    int primary = 0; // index into screens
    QList<QRect> screens;
};

// Reads the screens straight from the X server, the way Qt's X platform
// does, so that no throw-away application object is needed. False whenever
// that platform would not be the one in use or its reading could differ
// (another platform, arguments that may choose one, high-DPI scaling asked
// for by the environment, several X screens, no RandR monitors); the
// caller then asks Qt itself.
bool MeasureX11Screens(ScreenMeasure* out);

} // namespace Platform
