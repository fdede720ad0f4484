#include "QtMaterialStyle.h"

#include "QtMaterialTheme.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPointer>

QtMaterialStyle& QtMaterialStyle::instance()
{
    static QPointer<QtMaterialStyle> style;
    if (!style) {
        style = new QtMaterialStyle();
        // Lives as long as the application, not beyond it.
        style->setParent(QCoreApplication::instance());
    }
    return *style;
}

QtMaterialStyle::QtMaterialStyle()
    : m_theme(new QtMaterialTheme(this))
{
    // Fonts that are not embedded are simply not registered.
    for (const char* font : { ":/fonts/roboto_regular", ":/fonts/roboto_medium", ":/fonts/roboto_bold" })
        QFontDatabase::addApplicationFont(QString::fromLatin1(font));
}

QColor QtMaterialStyle::colorFor(const QString& key) const
{
    return m_theme->lookupColor(key);
}
