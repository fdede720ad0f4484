#include "LogCapture.h"

namespace {
// Guards the pointer: a worker thread logging while the capture goes away
// must never reach the destroyed object.
QBasicMutex s_captureLock;
LogCapture* s_capture = nullptr;
} // namespace

void LogCaptureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker captureLock(&s_captureLock);
        if (!s_capture)
            return;
        QMutexLocker lock(&s_capture->m_mutex);
        s_capture->m_lines << message;
        previous = s_capture->m_previous;
    }
    if (previous)
        previous(type, context, message);
}

LogCapture::LogCapture()
{
    QMutexLocker captureLock(&s_captureLock);
    s_capture = this;
    m_previous = qInstallMessageHandler(LogCaptureHandler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    QMutexLocker captureLock(&s_captureLock);
    s_capture = nullptr;
}

QStringList LogCapture::Lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

int LogCapture::Count(const QString& text) const
{
    QMutexLocker lock(&m_mutex);
    int count = 0;
    for (const QString& line : m_lines)
        count += line.contains(text) ? 1 : 0;
    return count;
}

void LogCapture::Clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}
