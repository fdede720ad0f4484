#include "HttpClient.h"

#include "AppPaths.h"
#include "NetworkAccessManager.h"
#include "Nexus.h"
#include "SharedFunctions.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <cstdio>

namespace {

const int kMaxRedirects = 10;

bool IsWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The announced length of the body, or -1 when it cannot be compared with
// the bytes read (none given, or a compressed body that Qt inflated).
qint64 ExpectedLength(const QNetworkReply* reply)
{
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (!encoding.isEmpty() && encoding != "identity")
        return -1;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

} // namespace

HttpClient::HttpClient(int retryLimit, int timeOutMs, QObject* parent)
    : QObject(parent)
    , m_httpRetryTimesThreshold(retryLimit > 0 ? retryLimit : 3)
    , m_timeOut(timeOutMs > 0 ? timeOutMs : 20000)
    , m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpClient::handleTimeOut);
}

HttpClient::~HttpClient()
{
    m_timer.stop();
    CloseTransfer();
    if (m_loop.isRunning())
        m_loop.quit();
    if (m_ownManager)
        delete m_manager;
}

void HttpClient::SetNetworkAccessManager(QNetworkAccessManager* manager)
{
    if (m_ownManager)
        delete m_manager;
    m_manager = manager;
    m_ownManager = false;
}

QNetworkAccessManager* HttpClient::Manager()
{
    // Only a rewinding manager sends a multipart form whole a second time.
    const bool rewinds = qobject_cast<NetworkAccessManager*>(m_manager) != nullptr;
    if (!m_manager || (m_method == MethodMultipart && !rewinds)) {
        if (m_ownManager)
            delete m_manager;
        m_manager = new NetworkAccessManager();
        m_ownManager = true;
    }
    return m_manager;
}

void HttpClient::Begin(const QUrl& url, int method)
{
    // A failure of the previous request may still wait to be announced.
    Announce();
    m_url = url;
    m_method = method;
    m_target.clear();
    m_httpCurRetryTimes = 0;
    m_redirects = 0;
    m_done = false;
    m_success = false;
    m_announced = false;
    m_timedOut = false;
    m_body.clear();
    m_error = QNetworkReply::NoError;
    m_errorText.clear();
    m_httpStatus = 0;
    m_filePath.clear();
}

bool HttpClient::SendRequest(const QUrl& url, int method, QHttpMultiPart* multipart)
{
    if (!m_done) {
        qWarning() << "HttpClient::SendRequest while a request runs, url:" << LoggableUrl(url);
        if (multipart && multipart != m_multipart)
            delete multipart;
        return false;
    }
    Begin(url, method == MethodGet ? MethodGet : MethodMultipart);
    if (multipart && multipart != m_multipart) {
        delete m_multipart;
        m_multipart = multipart;
        m_multipart->setParent(this);
    }
    m_starting = true;
    bool started = false;
    if (m_method == MethodMultipart && !multipart) {
        qWarning() << "HttpClient::SendRequest, no multipart body, url:" << LoggableUrl(url);
        Fail(QNetworkReply::ProtocolInvalidOperationError, QStringLiteral("no multipart body"));
    } else {
        started = StartAttempt();
    }
    m_starting = false;
    return started && Wait();
}

bool HttpClient::PostJson(const QUrl& url, const QString& text)
{
    if (!m_done) {
        qWarning() << "HttpClient::PostJson while a request runs, url:" << LoggableUrl(url);
        return false;
    }
    Begin(url, MethodJson);
    m_json = text.toUtf8();
    m_starting = true;
    const bool started = StartAttempt();
    m_starting = false;
    return started && Wait();
}

bool HttpClient::downloadFile(const QString& url, const QString& relatePath, bool syncFlag)
{
    if (!m_done) {
        qWarning() << "HttpClient::downloadFile while a request runs, url:" << LoggableUrl(url);
        return false;
    }
    m_syncFlag = syncFlag;
    m_relatePath = relatePath;
    Begin(QUrl(url), MethodGet);
    qDebug() << "downloadFile url:" << LoggableUrl(url) << "relatePath:" << relatePath << ",syncFlag:" << syncFlag;
    m_starting = true;
    const bool started = [&] {
        if (url.isEmpty()) {
            qDebug() << "HttpClient::downloadFile url is empty";
            Fail(QNetworkReply::ProtocolInvalidOperationError, QStringLiteral("empty url"));
            return false;
        }
        // Only web addresses: a file or resource URL from the network must
        // never copy local files around.
        if (!m_url.isValid() || !IsWebScheme(m_url)) {
            qDebug() << "HttpClient::downloadFile url is not a web address:" << url;
            Fail(QNetworkReply::ProtocolUnknownError, QStringLiteral("not a web address"));
            return false;
        }
        const QString name = AppPaths::UrlFileName(m_url);
        if (name.isEmpty()) {
            qDebug() << "HttpClient::downloadFile fileName is empty";
            Fail(QNetworkReply::ProtocolInvalidOperationError, QStringLiteral("no file name in the url"));
            return false;
        }
        const QString folder = QDir(relatePath).absolutePath();
        const QString target = QDir::cleanPath(folder + QLatin1Char('/') + name);
        if (!AppPaths::IsInside(AppPaths::DataFolder(), target)) {
            qWarning() << "HttpClient::downloadFile target outside the data folder:" << target;
            Fail(QNetworkReply::ContentAccessDenied, QStringLiteral("target outside the data folder"));
            return false;
        }
        if (!QFileInfo::exists(folder)) {
            const bool made = QDir().mkpath(folder);
            qDebug() << "mkpath result:" << made << "relatePath:" << relatePath;
        }
        m_target = target;
        return StartAttempt();
    }();
    m_starting = false;
    return started && Wait();
}

bool HttpClient::StartAttempt()
{
    ++m_httpCurRetryTimes;
    m_written = 0;
    m_body.clear();
    m_timedOut = false;
    if (!m_target.isEmpty() && !OpenPartFile()) {
        Fail(QNetworkReply::ContentAccessDenied, QStringLiteral("cannot open the target file"));
        return false;
    }
    QNetworkRequest request(m_url);
    // Redirections are followed here, counted, and never to a less safe
    // scheme.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!m_peerVerifyName.isEmpty())
        request.setPeerVerifyName(m_peerVerifyName);
    QNetworkAccessManager* manager = Manager();
    if (m_method == MethodGet) {
        m_reply = manager->get(request);
    } else if (m_method == MethodJson) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        m_reply = manager->post(request, m_json);
    } else {
        m_reply = manager->post(request, m_multipart);
    }
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpClient::httpReadyRead);
    // The headers alone may already announce a file that is too large.
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpClient::httpReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpClient::httpFinished);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &HttpClient::slotError);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            qWarning() << "HttpClient TLS error:" << error.errorString() << ",url:" << LoggableUrl(m_url);
    });
    m_timer.start(m_timeOut);
    return true;
}

bool HttpClient::OpenPartFile()
{
    DiscardPartFile();
    m_file = new QFile(m_target + QStringLiteral(".part"));
    // Unbuffered: the reply hands over whole chunks already.
    if (m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return true;
    qWarning() << "HttpClient cannot open" << m_file->fileName() << ":" << m_file->errorString();
    delete m_file;
    m_file = nullptr;
    return false;
}

void HttpClient::DiscardPartFile()
{
    if (!m_file)
        return;
    m_file->close();
    m_file->remove();
    delete m_file;
    m_file = nullptr;
}

bool HttpClient::CompleteFile()
{
    const bool written = m_file->flush() && m_file->error() == QFileDevice::NoError;
    m_file->close();
    const QByteArray part = QFile::encodeName(m_file->fileName());
    const QByteArray target = QFile::encodeName(m_target);
    // rename() replaces an earlier file in one step: a reader sees the old
    // file or the new one, never a part.
    if (!written || std::rename(part.constData(), target.constData()) != 0) {
        qWarning() << "HttpClient cannot complete" << m_target;
        DiscardPartFile();
        return false;
    }
    delete m_file;
    m_file = nullptr;
    m_filePath = m_target;
    return true;
}

void HttpClient::CloseTransfer()
{
    m_timer.stop();
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        // Disconnected first, so the abort's own signals never reach us.
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    DiscardPartFile();
}

void HttpClient::Stop()
{
    qDebug() << "into HttpClient Stop";
    // Also silences a failure whose announcement is queued.
    m_state = StateStopped;
    if (m_done)
        return;
    m_error = QNetworkReply::OperationCanceledError;
    m_errorText = QStringLiteral("stopped");
    CloseTransfer();
    Finish(false);
}

void HttpClient::MakeNewRequest()
{
    qDebug() << "HttpClient::MakeNewRequest, into MakeNewRequest, and url:" << LoggableUrl(m_url);
    if (m_done)
        return;
    CloseTransfer();
    if (m_method == MethodJson) {
        // A JSON POST is never sent twice.
        Finish(false);
        return;
    }
    if (m_method == MethodGet)
        qDebug() << "HttpClient::MakeNewRequest,download type:" << m_downloadType << ", and url:" << LoggableUrl(m_url);
    StartAttempt();
}

void HttpClient::httpReadyRead()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    if (IsOverFileCap(reply)) {
        qWarning() << "HttpClient download larger than" << m_maxFileSize << "bytes, url:" << LoggableUrl(m_url);
        Fail(QNetworkReply::UnknownContentError, QStringLiteral("file exceeds %1 bytes").arg(m_maxFileSize));
        return;
    }
    if (m_file) {
        const QByteArray data = reply->readAll();
        m_written += data.size();
        // Bytes keep a download alive: its time-out counts from the last.
        if (!data.isEmpty() && m_timer.isActive())
            m_timer.start(m_timeOut);
        if (m_file->write(data) != data.size())
            Fail(QNetworkReply::UnknownContentError, QStringLiteral("cannot write ") + m_file->fileName());
        return;
    }
    // A body stays in the reply until it is complete and is then taken in
    // one piece: reading it chunk by chunk, as it arrives, copied a large
    // list's megabyte many times over.
    if (m_written + reply->bytesAvailable() > m_maxBodySize) {
        qWarning() << "HttpClient reply body too large, url:" << LoggableUrl(m_url);
        Fail(QNetworkReply::UnknownContentError, QStringLiteral("reply body exceeds %1 bytes").arg(m_maxBodySize));
    }
}

void HttpClient::TakeBody(QNetworkReply* reply)
{
    if (m_file)
        return;
    m_body = reply->readAll();
    m_written = m_body.size();
}

bool HttpClient::IsOverFileCap(const QNetworkReply* reply) const
{
    if (!m_file || m_maxFileSize <= 0)
        return false;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return (length.isValid() && length.toLongLong() > m_maxFileSize)
        || m_written + reply->bytesAvailable() > m_maxFileSize;
}

bool HttpClient::CanRetryAfterError() const
{
    return m_method != MethodJson && m_httpCurRetryTimes < m_httpRetryTimesThreshold;
}

void HttpClient::httpFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    qDebug() << "HttpClient::httpFinished url:" << LoggableUrl(m_url);
    m_timer.stop();
    httpReadyRead();
    if (m_done)
        return;
    TakeBody(reply);
    m_httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QNetworkReply::NetworkError error = reply->error();
    // Qt's text names the whole address, secrets included.
    QString errorText = reply->errorString();
    for (const QUrl::FormattingOptions format :
        { QUrl::FormattingOptions(QUrl::PrettyDecoded), QUrl::FormattingOptions(QUrl::FullyEncoded) })
        errorText.replace(reply->url().toString(format), LoggableUrl(reply->url()));
    const qint64 expected = ExpectedLength(reply);
    if (error == QNetworkReply::NoError && expected >= 0 && m_written != expected) {
        error = QNetworkReply::RemoteHostClosedError;
        errorText = QStringLiteral("body cut short: %1 of %2 bytes").arg(m_written).arg(expected);
    }
    if (error == QNetworkReply::NoError && m_method == MethodGet && IsRedirect(m_httpStatus)) {
        const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (target.isValid()) {
            FollowRedirect(target);
            return;
        }
    }
    if (error == QNetworkReply::NoError) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->deleteLater();
        if (m_file && !CompleteFile()) {
            Fail(QNetworkReply::UnknownContentError, QStringLiteral("cannot complete ") + m_target);
            return;
        }
        Finish(true);
        return;
    }
    m_error = error;
    m_errorText = errorText;
    qDebug() << "HttpClient::httpFinished error:" << error << errorText << ",status:" << m_httpStatus;
    CloseTransfer();
    if (CanRetryAfterError()) {
        qDebug() << " HttpClient::slotError, current retry time is:" << m_httpCurRetryTimes + 1;
        MakeNewRequest();
    } else {
        Finish(false);
    }
}

void HttpClient::FollowRedirect(const QUrl& target)
{
    const QUrl resolved = m_url.resolved(target);
    qDebug() << "HttpClient::httpFinished redirect to:" << LoggableUrl(resolved);
    CloseTransfer();
    if (++m_redirects > kMaxRedirects) {
        Fail(QNetworkReply::TooManyRedirectsError, QStringLiteral("too many redirections"));
        return;
    }
    if (!IsWebScheme(resolved)
        || (m_url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
            && resolved.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)) {
        Fail(QNetworkReply::InsecureRedirectError, QStringLiteral("redirection to a less safe address refused"));
        return;
    }
    m_url = resolved;
    // Following a redirection is part of the same attempt.
    --m_httpCurRetryTimes;
    StartAttempt();
}

void HttpClient::handleTimeOut()
{
    qDebug() << "HttpClient handleTimeOut";
    if (m_done)
        return;
    CloseTransfer();
    m_timedOut = true;
    m_error = QNetworkReply::TimeoutError;
    m_errorText = QStringLiteral("no complete answer within %1 ms").arg(m_timeOut);
    if (m_key.isEmpty()) {
        Finish(false);
        return;
    }
    qDebug() << " HttpClient::handleTimeOut, current retry time is:" << m_httpCurRetryTimes
             << "url:" << LoggableUrl(m_url) << "httpCurRetryTimes:" << m_httpCurRetryTimes;
    if (CanRetryAfterError()) {
        MakeNewRequest();
        return;
    }
    Finish(false);
}

void HttpClient::slotError(QNetworkReply::NetworkError code)
{
    // The reply's finished signal follows and decides on a re-issue.
    qDebug() << "HttpClient::slotError err:" << code << ",url:" << LoggableUrl(m_url);
}

void HttpClient::quit()
{
    if (m_loop.isRunning())
        m_loop.quit();
}

void HttpClient::Fail(QNetworkReply::NetworkError code, const QString& text)
{
    m_error = code;
    m_errorText = text;
    qDebug() << "HttpClient failed:" << text << ",url:" << LoggableUrl(m_url);
    CloseTransfer();
    Finish(false);
}

void HttpClient::Finish(bool success)
{
    if (m_done)
        return;
    m_timer.stop();
    m_done = true;
    m_success = success;
    if (success) {
        m_error = QNetworkReply::NoError;
        m_errorText.clear();
        m_timedOut = false;
    }
    // An asynchronous caller hears of a failure only after its call
    // returned, never from inside it.
    if (m_starting && m_syncFlag)
        QMetaObject::invokeMethod(this, &HttpClient::Announce, Qt::QueuedConnection);
    else
        Announce();
    quit();
}

void HttpClient::Announce()
{
    if (m_announced || !m_done)
        return;
    m_announced = true;
    if (!m_success && !m_key.isEmpty() && m_state != StateStopped) {
        qDebug() << "HttpClient transfer failed, type:" << m_downloadType << ",key:" << m_key
                 << ",url:" << LoggableUrl(m_url);
        if (Nexus* hub = Nexus::Instance())
            emit hub->DownloadFailed(m_downloadType, m_key);
    }
    emit Finished(m_success);
}

bool HttpClient::Wait()
{
    if (m_syncFlag)
        return true;
    while (!m_done) {
        m_loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!m_done) {
            // Only the thread or the application quitting ends the loop
            // early; the transfer cannot finish any more.
            Fail(QNetworkReply::OperationCanceledError, QStringLiteral("the wait was interrupted"));
        }
    }
    return m_success;
}

int HttpClient::TrustExtraCaFile(const QString& pemPath)
{
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(pemPath, QSsl::Pem);
    if (extra.isEmpty()) {
        qWarning() << "HttpClient no certificate in" << pemPath;
        return 0;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    // Naming CAs switches off the on-demand loading of the system's, so
    // they are named as well.
    QList<QSslCertificate> trusted = config.caCertificates();
    if (trusted.isEmpty())
        trusted = QSslConfiguration::systemCaCertificates();
    trusted += extra;
    config.setCaCertificates(trusted);
    QSslConfiguration::setDefaultConfiguration(config);
    qDebug() << "HttpClient trusts" << extra.size() << "extra certificate(s) from" << pemPath;
    return extra.size();
}

int HttpClient::TrustExtraCaFromEnvironment()
{
    const QString path = qEnvironmentVariable("PLOVIX_EXTRA_CA_FILE");
    return path.isEmpty() ? 0 : TrustExtraCaFile(path);
}
