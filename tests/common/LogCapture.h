#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

// Collects every log line of the process (from any thread) while it lives,
// passing each on to the handler that was installed before. One at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList Lines() const;
    // Number of lines containing text.
    int Count(const QString& text) const;
    void Clear();

private:
    friend void LogCaptureHandler(QtMsgType, const QMessageLogContext&, const QString&);
    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};
