#pragma once

#include <QSize>
#include <QString>

// The display scale is chosen from the primary screen before the real
// application object exists; the rest of the program reads the factor and
// the image folder from the profile.
namespace DisplayScale {

// "1.0", "1.25", "1.5" or "1.70" for a logical DPI (truncated to an integer).
// 145 to 167 keeps "1.0".
QString ChooseText(int logicalDpi);

// One step down when the primary screen is smaller than 1000 x 640 at the
// chosen scale; never more than one step.
QString StepDown(const QString& text, const QSize& primary);

struct Scale {
    double factor;
    QString folder;
    QString label; // "1.0", "1.25", "1.5" or "1.75", for the log
};
// "1.0" -> 1.0/"x1", "1.25" -> 1.25/"x1.25", "1.5" -> 1.5/"x1.5", "1.70" -> 1.75/"x1.75".
Scale FromText(const QString& text);

} // namespace DisplayScale
