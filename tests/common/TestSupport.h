#pragma once

#include <QString>

namespace TestSupport {
// Points HOME and the XDG folders at a temporary home, so no test touches
// the real user's settings, data or log.
void UseHome(const QString& home);
// The same font substitutions as the client, so screenshots show Chinese.
void InstallFonts();
} // namespace TestSupport
