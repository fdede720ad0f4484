#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QFile;
class QHttpMultiPart;
class QNetworkAccessManager;

// One HTTP transfer at a time (GET, multipart POST, JSON POST, or a download
// into a file) with a time-out per attempt and automatic re-issue.
//
// Used in the thread that made it, never shared. Two ways to use it:
// - synchronous (the default): the request call returns once the final
//   outcome is known; read the result with the getters below. The wait runs
//   a nested event loop without user input, so the calling thread's other
//   events are delivered meanwhile.
// - asynchronous (SetAsync(true) or downloadFile(..., true)): the call
//   returns at once and Finished(bool) is emitted exactly once later.
//
// Time-outs: a download into a file may take as long as it needs while
// bytes keep arriving; its attempt ends after the time-out passes without
// a byte. Every other request has the time-out for its whole attempt.
//
// Re-issue rules: a network error (HTTP errors included) re-issues GETs,
// downloads and multipart POSTs until the retry limit; a JSON POST is never
// re-sent. A time-out re-issues only keyed transfers (the transfer worker's);
// any other request ends with IsTimedOut(). After the last attempt a keyed
// transfer emits Nexus::DownloadFailed(type, key) once.
//
// Downloads go to "<name>.part" beside the target, re-opened and truncated
// by every attempt, and are renamed into place only when complete, so a
// failed or cut-short transfer never leaves a file that looks finished.
// Targets must lie inside the data folder.
//
// TLS uses the default configuration, which verifies the peer.
class HttpClient : public QObject
{
    Q_OBJECT

public:
    // Place in the transfer worker's queue.
    enum State { StateWaiting = 0, StateRunning = 1, StateFinished = 2, StateStopped = 3, StateFailed = 4 };
    enum Method { MethodGet = 1, MethodJson = 2, MethodMultipart = 3 };
    // 2: a download streams into its file; 1: the body is kept for GetBody().
    // A request without a target file keeps its body either way.
    enum ReplyMode { ReplyBody = 1, ReplyStream = 2 };

    // 0 for either argument gives 3 attempts and 20000 ms per attempt.
    explicit HttpClient(int retryLimit = 0, int timeOutMs = 0, QObject* parent = nullptr);
    ~HttpClient() override;

    // ---- requests; each returns false when nothing could be sent (then
    // the outcome is already a failure). In synchronous mode the return
    // value is the final success.

    // A GET (method 1) or a POST of the multipart (any other method). The
    // client takes ownership of the multipart; a null multipart sends
    // nothing.
    bool SendRequest(const QUrl& url, int method, QHttpMultiPart* multipart);
    // A POST of the text as UTF-8 with content type "application/json".
    bool PostJson(const QUrl& url, const QString& text);
    // Downloads url into relatePath + "/" + the URL's file name. syncFlag
    // true returns at once (asynchronous), false waits.
    bool downloadFile(const QString& url, const QString& relatePath, bool syncFlag);
    // Re-issues the current request as a new attempt.
    void MakeNewRequest();
    // Ends a transfer without any signal, also one whose failure is still
    // to be announced; the partial file goes.
    void Stop();
    // Drops the current attempt: its reply is aborted and deleted, its
    // partial file removed, the timer stopped.
    void CloseTransfer();

    // ---- settings, before a request
    // true: the request calls return at once and Finished() tells the end.
    void SetAsync(bool async) { m_syncFlag = async; }
    bool IsAsync() const { return m_syncFlag; }
    void SetReplyMode(int mode) { m_replyMode = mode; }
    void SetKey(const QString& key) { m_key = key; }
    QString GetKey() const { return m_key; }
    void SetDownloadType(int type) { m_downloadType = type; }
    int GetDownloadType() const { return m_downloadType; }
    void SetRetryLimit(int limit) { m_httpRetryTimesThreshold = limit > 0 ? limit : 3; }
    int GetRetryLimit() const { return m_httpRetryTimesThreshold; }
    int GetTimeOut() const { return m_timeOut; }
    // Largest body kept in memory; a longer reply fails (default 16 MiB).
    void SetMaxBodySize(qint64 bytes) { m_maxBodySize = bytes; }
    // Largest file a download may write; 0: no limit. A longer announced
    // length or body ends the transfer as a failure at once, without a
    // re-issue, and leaves no file.
    void SetMaxFileSize(qint64 bytes) { m_maxFileSize = bytes; }
    // Uses a manager owned by someone else (same thread) instead of its own.
    // Multipart posts need a NetworkAccessManager (which re-sends a form
    // whole); with any other manager they use one of their own.
    void SetNetworkAccessManager(QNetworkAccessManager* manager);
    int GetState() const { return m_state; }
    void SetState(int state) { m_state = state; }
    // The name the server's certificate must carry when the URL names the
    // server by another name or address; empty: the URL's host.
    void SetPeerVerifyName(const QString& name) { m_peerVerifyName = name; }

    // ---- the current or last request
    QUrl GetUrl() const { return m_url; }
    QString GetRelatePath() const { return m_relatePath; }
    // Attempts made so far for the current request.
    int GetCurRetryTimes() const { return m_httpCurRetryTimes; }

    // ---- the outcome, valid once IsDone()
    bool IsDone() const { return m_done; }
    bool IsSuccess() const { return m_done && m_success; }
    // The body of the last attempt (not for downloads).
    QByteArray GetBody() const { return m_body; }
    // QNetworkReply::NoError on success; TimeoutError after a time-out;
    // OperationCanceledError when stopped or when the wait was interrupted.
    QNetworkReply::NetworkError GetNetworkError() const { return m_error; }
    QString GetErrorText() const { return m_errorText; }
    // HTTP status of the last answer, 0 when none arrived.
    int GetHttpStatus() const { return m_httpStatus; }
    bool IsTimedOut() const { return m_timedOut; }
    // The finished file of a successful download.
    QString GetFilePath() const { return m_filePath; }

    // Adds the certificates of a PEM file to the trusted CAs of the default
    // TLS configuration, keeping the system's; returns how many were added.
    static int TrustExtraCaFile(const QString& pemPath);
    // The same for the file named by PLOVIX_EXTRA_CA_FILE, when set. Used
    // at start-up for test deployments; verification always stays on.
    static int TrustExtraCaFromEnvironment();

signals:
    // Emitted once per request, after the final attempt, asynchronous or not.
    void Finished(bool success);

private slots:
    void httpFinished();
    void httpReadyRead();
    void handleTimeOut();
    void slotError(QNetworkReply::NetworkError code);
    void quit();

private:
    void Begin(const QUrl& url, int method);
    bool StartAttempt();
    bool OpenPartFile();
    void DiscardPartFile();
    bool CompleteFile();
    bool CanRetryAfterError() const;
    bool IsOverFileCap(const QNetworkReply* reply) const;
    void TakeBody(QNetworkReply* reply);
    void FollowRedirect(const QUrl& target);
    void Fail(QNetworkReply::NetworkError code, const QString& text);
    void Finish(bool success);
    void Announce();
    bool Wait();
    QNetworkAccessManager* Manager();

    int m_state = StateWaiting;
    int m_downloadType = 0;
    QUrl m_url;
    QString m_relatePath;
    QString m_key;
    bool m_syncFlag = false;
    int m_method = MethodGet;
    int m_replyMode = ReplyStream;
    int m_httpCurRetryTimes = 0;
    int m_httpRetryTimesThreshold = 3;
    int m_timeOut = 20000;
    QTimer m_timer;
    QFile* m_file = nullptr;
    QString m_target; // download target, empty for other requests
    QNetworkAccessManager* m_manager = nullptr;
    bool m_ownManager = false;
    QNetworkReply* m_reply = nullptr;
    QHttpMultiPart* m_multipart = nullptr;
    QByteArray m_json;
    QEventLoop m_loop;

    qint64 m_maxBodySize = 16 * 1024 * 1024;
    qint64 m_maxFileSize = 0;
    qint64 m_written = 0;
    int m_redirects = 0;
    bool m_starting = false;
    bool m_done = true;
    bool m_success = false;
    bool m_announced = true;
    bool m_timedOut = false;
    QByteArray m_body;
    QNetworkReply::NetworkError m_error = QNetworkReply::NoError;
    QString m_errorText;
    int m_httpStatus = 0;
    QString m_filePath;
    QString m_peerVerifyName;
};
