#include "DebugLog.h"

#include "AppPaths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <cstdio>
#include <cstdlib>

namespace DebugLog {

namespace {

const char kLogFileName[] = "PlovixDebug.log";

// One mutex holds a whole line (prefix, text, line feed, flush) together, so
// lines from several threads never interleave. QBasicMutex has a trivial
// destructor, so it outlives every static that might still log at exit.
QBasicMutex s_mutex;
QFile* s_file = nullptr;

struct FileRelease {
    ~FileRelease() { Shutdown(); }
} s_release;

const char* FilePrefix(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "INFO: ";
    case QtWarningMsg:
        return "WARN: ";
    case QtCriticalMsg:
    case QtFatalMsg:
        return "ERR: ";
    default:
        return "";
    }
}

} // namespace

QByteArray FormatLine(QtMsgType type, const QTime& time, const QString& message)
{
    const QByteArray text = QStringLiteral("%1  %2").arg(time.toString(QStringLiteral("hh:mm:ss")), message).toUtf8();
    return QByteArray(FilePrefix(type)) + text;
}

void LogMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    Q_UNUSED(context)
    const QByteArray line = FormatLine(type, QTime::currentTime(), message);
    const char* text = line.constData() + qstrlen(FilePrefix(type));

    QMutexLocker lock(&s_mutex);
    switch (type) {
    case QtDebugMsg:
        std::fprintf(stdout, "Debug: %s\n", text);
        break;
    case QtWarningMsg:
        std::fprintf(stdout, "Warning: %s\n", text);
        break;
    case QtCriticalMsg:
        std::fprintf(stderr, "Critical: %s\n", text);
        break;
    case QtFatalMsg:
        std::fprintf(stderr, "Fatal: %s\n", text);
        break;
    default:
        break;
    }
    if (s_file) {
        s_file->write(line);
        s_file->write("\n", 1);
    }
    std::fflush(nullptr);
    if (s_file)
        s_file->flush();
    if (type == QtFatalMsg)
        std::abort();
}

bool Setup()
{
    const QString folder = AppPaths::LogFolder();
    // A fresh machine has no such folder yet; without it no log is possible.
    if (!QDir().mkpath(folder))
        qWarning() << "[ERROR] cannot create log folder:" << folder;
    const QString path = QStringLiteral("%1/%2").arg(folder, QLatin1String(kLogFileName));

    QFile trial(path);
    if (trial.open(QIODevice::WriteOnly))
        trial.close();
    else
        qDebug() << "executable dir is not writable. log to " << path;
    qDebug() << "set log file: " << path;

    auto* file = new QFile(path);
    if (!file->open(QIODevice::WriteOnly)) {
        qWarning() << (QStringLiteral("Failed to open log file '") + QLatin1String(kLogFileName) + QStringLiteral("': ")
            + file->errorString());
        delete file;
        return false;
    }
    {
        QMutexLocker lock(&s_mutex);
        delete s_file;
        s_file = file;
    }
    qInstallMessageHandler(LogMessageHandler);
    return true;
}

QString FilePath()
{
    QMutexLocker lock(&s_mutex);
    return s_file ? s_file->fileName() : QString();
}

void Shutdown()
{
    qInstallMessageHandler(nullptr);
    QMutexLocker lock(&s_mutex);
    delete s_file;
    s_file = nullptr;
}

} // namespace DebugLog
