#pragma once

#include <QString>
#include <QUrl>

// The program's own folders and the one gate for paths built from data that
// came over the network.
namespace AppPaths {

// Organisation and application names; every standard location below them.
void ApplyIdentity();

// Folder of the debug log: the per-user application data location + "/Plovix".
QString LogFolder();

// Folder of the downloaded properties, course pages, avatars and chat
// pictures, with a trailing "/". Lies beside the log, never in the
// desktop-launchers folder.
QString DataFolder();

// True when the cleaned absolute form of path lies strictly inside folder.
bool IsInside(const QString& folder, const QString& path);

// A file or folder name made from text that came from outside: "/" and "\\"
// and control characters are replaced, and "", "." and ".." become "_". The
// result never leaves the folder it is joined to.
QString SafeName(const QString& part);

// The local file name a download of url is stored under: the last section
// of the URL's path, fully decoded, then made safe. Empty when the path ends
// in "/" or has no section.
QString UrlFileName(const QUrl& url);
QString UrlFileName(const QString& url);

} // namespace AppPaths
