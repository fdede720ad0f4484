#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace plxav {

// The core's log level ("no", "fatal", "error", "warn", "debug", "trace")
// for a player log level as QTAV_LOG holds it ("off", "fatal", "critical",
// "warning", "debug", "all", any case); "warn" for anything else.
const char* coreLogLevel(const QByteArray& level);

// The level of FFmpeg's messages in the players made from now on: "quiet",
// "panic", "fatal", "error", "warn", "info", "verbose" or "debug". Empty
// takes QTAV_FFMPEG_LOG, and without it the core's default. GUI thread.
void setFFmpegLogLevel(const QByteArray& level);
// The core's "msg-level" value for that level; empty for the default.
QString ffmpegMessageLevel();

// The text for a log line, with the secrets in the query of every address
// it quotes hidden as LoggableUrl hides them: the core's own messages and
// the commands sent to it name the files and addresses that play.
QString loggableText(const QString& text);
QStringList loggableText(const QStringList& texts);

} // namespace plxav
