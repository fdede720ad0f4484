#pragma once

#include <QString>

// Qt's own Chinese texts (file dialogs, message boxes, context menus of
// the text fields), so stock dialogs speak the interface's language.
namespace QtTranslations {
// Installs the translations from folder, by default the one Qt was built
// with. False when none could be read there (the program then shows
// Qt's English texts). GUI thread, after the application object exists;
// a second call keeps the first's translator.
bool Install(const QString& folder = QString());
} // namespace QtTranslations
