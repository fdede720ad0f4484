#include "QtMaterialTheme.h"

#include <QDebug>

namespace {
QColor Black(double alpha)
{
    QColor color(Qt::black);
    color.setAlphaF(alpha);
    return color;
}
} // namespace

QtMaterialTheme::QtMaterialTheme(QObject* parent)
    : QObject(parent)
{
    m_colors = {
        { QStringLiteral("primary1"), QColor(QStringLiteral("#00bcd4")) },
        { QStringLiteral("primary2"), QColor(QStringLiteral("#0097a7")) },
        { QStringLiteral("primary3"), Black(0.54) },
        { QStringLiteral("accent1"), QColor(QStringLiteral("#ff4081")) },
        { QStringLiteral("accent2"), QColor(QStringLiteral("#f5f5f5")) },
        { QStringLiteral("accent3"), QColor(QStringLiteral("#9e9e9e")) },
        { QStringLiteral("text"), Black(0.87) },
        { QStringLiteral("alternateText"), QColor(QStringLiteral("#ffffff")) },
        { QStringLiteral("canvas"), QColor(QStringLiteral("#ffffff")) },
        { QStringLiteral("border"), QColor(QStringLiteral("#e0e0e0")) },
        { QStringLiteral("disabled"), Black(0.26) },
        { QStringLiteral("disabled2"), Black(0.12) },
        { QStringLiteral("disabled3"), QColor(QStringLiteral("#e0e0e0")) },
    };
}

QColor QtMaterialTheme::lookupColor(const QString& key) const
{
    const auto it = m_colors.constFind(key);
    if (it == m_colors.constEnd()) {
        qWarning().noquote() << "A theme color matching the key '" + key + "' could not be found.";
        return QColor();
    }
    return it.value();
}

void QtMaterialTheme::putColor(const QString& key, const QColor& color)
{
    m_colors.insert(key, color);
}
