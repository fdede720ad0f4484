#include "AppFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace AppFonts {

void Install()
{
    const QStringList candidates { QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK"),
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans") };
    const QStringList families = QFontDatabase().families();
    QStringList substitutes;
    for (const QString& family : candidates) {
        if (families.contains(family))
            substitutes << family;
    }
    if (substitutes.isEmpty())
        substitutes = candidates;
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei UI"), substitutes);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), substitutes);
}

} // namespace AppFonts
