#include "DisplayScale.h"

namespace DisplayScale {

QString ChooseText(int dpi)
{
    if (dpi <= 96)
        return QStringLiteral("1.0");
    if (dpi <= 120)
        return QStringLiteral("1.25");
    if (dpi <= 144)
        return QStringLiteral("1.5");
    if (dpi >= 168)
        return QStringLiteral("1.70");
    return QStringLiteral("1.0");
}

QString StepDown(const QString& text, const QSize& primary)
{
    const double f = text.toDouble();
    if (primary.width() >= int(f * 1000) && primary.height() >= int(f * 640))
        return text;
    if (text == QLatin1String("1.70"))
        return QStringLiteral("1.5");
    if (text == QLatin1String("1.5"))
        return QStringLiteral("1.25");
    if (text == QLatin1String("1.25"))
        return QStringLiteral("1.0");
    return text;
}

Scale FromText(const QString& text)
{
    if (text == QLatin1String("1.25"))
        return { 1.25, QStringLiteral("x1.25"), QStringLiteral("1.25") };
    if (text == QLatin1String("1.5"))
        return { 1.5, QStringLiteral("x1.5"), QStringLiteral("1.5") };
    if (text == QLatin1String("1.70"))
        return { 1.75, QStringLiteral("x1.75"), QStringLiteral("1.75") };
    return { 1.0, QStringLiteral("x1"), QStringLiteral("1.0") };
}

} // namespace DisplayScale
