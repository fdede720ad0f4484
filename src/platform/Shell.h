#pragma once

#include <QString>
#include <functional>

// Hands a file to the desktop, as the system shell's "open" does. The
// result follows the shell's convention: above 32 is success, 5 means
// access denied (the caller may try again with the verb "runas"), 32 or
// less any other failure. Never executes a downloaded file itself.
namespace Shell {

// verb "open" (or "runas"), the file (surrounding quotation marks are
// dropped), parameters and working folder as the shell takes them.
int Execute(const QString& verb, const QString& file, const QString& parameters, const QString& directory);

// Replaces what opening a local file does; tests see the file that would
// be opened. The opener returns whether the desktop took the file. An
// empty function restores the desktop.
using Opener = std::function<bool(const QString& path)>;
void SetOpener(Opener opener);

// Shows a file in the desktop's file manager: selected where the file
// manager offers that, else its folder opened. False when the file's folder
// does not exist or the desktop took neither.
bool RevealInFileManager(const QString& path);
// Replaces the desktop's file manager (tests); the revealer gets the file's
// absolute path. An empty function restores the desktop.
using Revealer = std::function<bool(const QString& path)>;
void SetRevealer(Revealer revealer);

} // namespace Shell
