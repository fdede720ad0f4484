#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkReply>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

// An event loop bound to one running reply: Exec() returns when the reply
// finishes, fails, or moves no byte in either direction for a whole check
// interval. Used for one wait, in the thread of the reply; it takes the
// reply over and deletes it.
//
// After a stall GetNetworkError() is 4 (time-out) and IsTimedOut() is true;
// the cancellation that the abort itself causes is not reported over it.
class AutoTimeOutEventLoop : public QEventLoop
{
    Q_OBJECT

public:
    explicit AutoTimeOutEventLoop(QNetworkReply* reply, QObject* parent = nullptr);
    ~AutoTimeOutEventLoop() override;

    // Waits as described above; the flags are those of QEventLoop::exec.
    int Exec(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // The stored error if any; else 0 when the reply finished; else 5
    // (cancelled: the wait ended without an outcome).
    int GetNetworkError() const;
    QByteArray GetBody() const { return m_body; }
    QString GetErrorText() const { return m_errorText; }
    bool IsTimedOut() const { return m_timedOut; }
    int GetHttpStatus() const { return m_httpStatus; }

    // The check interval, 30000 ms by default.
    void SetCheckInterval(int ms) { m_checkInterval = ms > 0 ? ms : 30000; }
    // Largest body kept; a longer answer is abandoned (default 16 MiB).
    void SetMaxBodySize(qint64 bytes) { m_maxBodySize = bytes; }

signals:
    void downloadProgress(QUrl url, qlonglong bytesReceived, qlonglong bytesTotal);

public slots:
    void on_replyFinished();
    void on_replyError(QNetworkReply::NetworkError code);
    void on_timeOut();
    void on_downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void on_uploadProgress(qlonglong bytesSent, qlonglong bytesTotal);

private:
    void HandleReplyFinished(QNetworkReply* reply);
    void SetNetworkError(int code);
    void Abandon(int code, const QString& text);

    QByteArray m_body;
    QPointer<QNetworkReply> m_reply;
    int m_networkError = 0;
    QUrl m_url;
    QString m_errorText;
    bool m_timedOut = false;
    int m_checkInterval = 30000;
    qint64 m_bytesReceived = 0;
    qint64 m_lastReceived = -1;
    qint64 m_bytesSent = 0;
    qint64 m_lastSent = -1;
    QTimer m_checkTimer;
    bool m_finished = false;
    int m_httpStatus = 0;
    qint64 m_maxBodySize = 16 * 1024 * 1024;
};
