#pragma once

#include <QString>
#include <QTime>
#include <QtGlobal>

// The debug log: with "enableDebug" = "1" every message of every thread goes
// into one file per run, a whole line at a time.
namespace DebugLog {

// Truncates the log file of the previous run and installs the handler.
// Returns false (and logs why) when the file cannot be opened; the program
// then runs on without a log file.
bool Setup();

// The handler installed in the toolkit.
void LogMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// One file line (without its line feed): prefix, "hh:mm:ss", two blanks, text.
QByteArray FormatLine(QtMsgType type, const QTime& time, const QString& message);

// Path of the open log file, or empty when none is open.
QString FilePath();

// Closes the file and removes the handler (tests, and the end of the process).
void Shutdown();

} // namespace DebugLog
