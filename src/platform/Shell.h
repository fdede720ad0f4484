#pragma once

#include <QString>
#include <QUrl>
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

// Opens a web page in the desktop's browser. Only http and https addresses
// are handed over: anything else (a local file, a program's own scheme)
// is refused and logged. True when the desktop took the address.
bool OpenUrl(const QUrl& url);

// Replaces what opening a web page does; tests see the address instead of
// a browser starting. An empty function restores the desktop.
using UrlOpener = std::function<bool(const QUrl& url)>;
void SetUrlOpener(UrlOpener opener);

// Shows a file in the desktop's file manager: selected where the file
// manager offers that, else its folder opened. False when the file's folder
// does not exist or the desktop took neither.
bool RevealInFileManager(const QString& path);
// Replaces the desktop's file manager (tests); the revealer gets the file's
// absolute path. An empty function restores the desktop.
using Revealer = std::function<bool(const QString& path)>;
void SetRevealer(Revealer revealer);

} // namespace Shell
