#include "LogCapture.h"

#include <atomic>

namespace {
std::atomic<LogCapture*> s_capture { nullptr };
} // namespace

void LogCaptureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogCapture* capture = s_capture.load();
    if (!capture)
        return;
    {
        QMutexLocker lock(&capture->m_mutex);
        capture->m_lines << message;
    }
    if (capture->m_previous)
        capture->m_previous(type, context, message);
}

LogCapture::LogCapture()
{
    s_capture.store(this);
    m_previous = qInstallMessageHandler(LogCaptureHandler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    s_capture.store(nullptr);
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
