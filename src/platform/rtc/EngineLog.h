#pragma once

#include <QByteArray>
#include <QString>

// The engine's own log file ("enableDebug"): the lines of the engine's call
// journal, with the values of secrets hidden, readable by its owner only.
namespace rtclog {

// The line as the file shows it: values named as secrets ("key=...",
// "setString rtc.token ...", secret members of JSON) become "***".
QString Hidden(const QString& line);

// Takes path as the log file: the first time in this process that path is
// named, an earlier run's file there is replaced by an empty one.
void Begin(const QString& path);

// Appends text to path, creating it readable and writable by its owner only.
bool Append(const QString& path, const QByteArray& text);

} // namespace rtclog
