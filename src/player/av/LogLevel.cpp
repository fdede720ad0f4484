#include "LogLevel.h"

#include "app/SharedFunctions.h"

#include <QDebug>
#include <QRegularExpression>
#include <iterator>

namespace plxav {

namespace {

struct Level {
    const char* given;
    const char* core;
};

const char* Lookup(const Level* table, int size, const QByteArray& level)
{
    const QByteArray lower = level.trimmed().toLower();
    for (int i = 0; i < size; ++i) {
        if (lower == table[i].given)
            return table[i].core;
    }
    return nullptr;
}

QString& FFmpegLevel()
{
    static QString level;
    return level;
}

} // namespace

const char* coreLogLevel(const QByteArray& level)
{
    static const Level table[] = { { "off", "no" }, { "fatal", "fatal" }, { "critical", "error" },
        { "warning", "warn" }, { "debug", "debug" }, { "all", "trace" } };
    const char* core = Lookup(table, int(std::size(table)), level);
    return core != nullptr ? core : "warn";
}

void setFFmpegLogLevel(const QByteArray& level)
{
    static const Level table[] = { { "quiet", "no" }, { "panic", "fatal" }, { "fatal", "fatal" }, { "error", "error" },
        { "warn", "warn" }, { "info", "info" }, { "verbose", "v" }, { "debug", "debug" } };
    const QByteArray given = level.isEmpty() ? qgetenv("QTAV_FFMPEG_LOG") : level;
    const char* core = Lookup(table, int(std::size(table)), given);
    if (core == nullptr && !given.isEmpty())
        qWarning() << "[player] unknown FFmpeg log level" << given;
    FFmpegLevel() = core != nullptr ? QStringLiteral("ffmpeg=") + QLatin1String(core) : QString();
}

QString ffmpegMessageLevel()
{
    return FFmpegLevel();
}

QString loggableText(const QString& text)
{
    if (!text.contains(QLatin1String("://")))
        return text;
    static const QRegularExpression address(QStringLiteral("[A-Za-z][A-Za-z0-9+.-]*://[^\\s\"']+"));
    QString result;
    int from = 0;
    QRegularExpressionMatchIterator matches = address.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString found = match.captured();
        // A sentence may end right after the address.
        int end = found.size();
        while (end > 0 && QStringLiteral(".,;:)").contains(found.at(end - 1)))
            --end;
        result += text.midRef(from, match.capturedStart() - from);
        result += LoggableUrl(found.left(end)) + found.midRef(end);
        from = match.capturedEnd();
    }
    result += text.midRef(from);
    return result;
}

QStringList loggableText(const QStringList& texts)
{
    QStringList result;
    for (const QString& text : texts)
        result << loggableText(text);
    return result;
}

} // namespace plxav
