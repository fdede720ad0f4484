#include "QtTranslations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace QtTranslations {

bool Install(const QString& folder)
{
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    const QString from = folder.isEmpty() ? QLibraryInfo::location(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qt_zh_CN" names Qt's catalogues per module (qtbase and the others).
    if (!translator->load(QStringLiteral("qt_zh_CN"), from)) {
        qWarning() << "[ERROR] Qt's Chinese translations not found in" << from
                   << ", stock dialogs stay in English (Debian: qttranslations5-l10n)";
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace QtTranslations
