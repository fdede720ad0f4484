#include "AutoTimeOutEventLoop.h"

#include <QDebug>
#include <QNetworkRequest>

AutoTimeOutEventLoop::AutoTimeOutEventLoop(QNetworkReply* reply, QObject* parent)
    : QEventLoop(parent)
    , m_reply(reply)
    , m_checkTimer(this)
{
    if (!reply)
        return;
    m_url = reply->request().url();
    connect(reply, &QNetworkReply::finished, this, &AutoTimeOutEventLoop::on_replyFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &AutoTimeOutEventLoop::on_replyError);
    connect(reply, &QNetworkReply::downloadProgress, this, &AutoTimeOutEventLoop::on_downloadProgress);
    connect(reply, &QNetworkReply::uploadProgress, this, &AutoTimeOutEventLoop::on_uploadProgress);
    connect(&m_checkTimer, &QTimer::timeout, this, &AutoTimeOutEventLoop::on_timeOut);
}

AutoTimeOutEventLoop::~AutoTimeOutEventLoop()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

int AutoTimeOutEventLoop::Exec(QEventLoop::ProcessEventsFlags flags)
{
    if (!m_reply) {
        SetNetworkError(QNetworkReply::OperationCanceledError);
        m_errorText = QStringLiteral("no reply to wait for");
        return -1;
    }
    if (m_reply->isFinished()) {
        HandleReplyFinished(m_reply);
        return 0;
    }
    m_checkTimer.start(m_checkInterval);
    const int result = exec(flags);
    m_checkTimer.stop();
    return result;
}

int AutoTimeOutEventLoop::GetNetworkError() const
{
    if (m_networkError != 0)
        return m_networkError;
    return m_finished ? 0 : QNetworkReply::OperationCanceledError;
}

void AutoTimeOutEventLoop::on_replyFinished()
{
    m_checkTimer.stop();
    HandleReplyFinished(m_reply);
    quit();
}

void AutoTimeOutEventLoop::HandleReplyFinished(QNetworkReply* reply)
{
    m_finished = true;
    if (m_networkError != 0 || !reply)
        return;
    m_httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_networkError = reply->error();
    if (m_networkError != 0)
        m_errorText = reply->errorString();
    else
        m_body = reply->readAll();
}

void AutoTimeOutEventLoop::on_replyError(QNetworkReply::NetworkError code)
{
    m_checkTimer.stop();
    SetNetworkError(code);
    if (m_reply)
        m_errorText = m_reply->errorString();
    quit();
}

void AutoTimeOutEventLoop::SetNetworkError(int code)
{
    // A stall already decided the outcome; the abort's cancellation that
    // follows must not hide it.
    if (m_timedOut)
        return;
    m_networkError = code;
}

void AutoTimeOutEventLoop::on_downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    m_bytesReceived = bytesReceived;
    emit downloadProgress(m_url, bytesReceived, bytesTotal);
    if (bytesReceived > m_maxBodySize)
        Abandon(QNetworkReply::UnknownContentError, QStringLiteral("reply body exceeds %1 bytes").arg(m_maxBodySize));
}

void AutoTimeOutEventLoop::on_uploadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    Q_UNUSED(bytesTotal)
    m_bytesSent = bytesSent;
}

void AutoTimeOutEventLoop::on_timeOut()
{
    qDebug() << "network status check, "
             << "downloaded bytes : " << m_bytesReceived << "  last time : " << m_lastReceived
             << " uploaded bytes : " << m_bytesSent << " last time : " << m_lastSent;
    if (m_bytesReceived != m_lastReceived) {
        m_lastReceived = m_bytesReceived;
        return;
    }
    if (m_bytesSent != m_lastSent) {
        m_lastSent = m_bytesSent;
        return;
    }
    qWarning() << "[sync]Xml rpc event loop time out";
    m_timedOut = true;
    Abandon(
        QNetworkReply::TimeoutError, QStringLiteral("Event loop time out, can not get response from network reply"));
}

void AutoTimeOutEventLoop::Abandon(int code, const QString& text)
{
    m_checkTimer.stop();
    m_networkError = code;
    m_errorText = text;
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
        m_reply = nullptr;
    }
    quit();
}
