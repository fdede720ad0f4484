#include "WebRequest.h"

#include "app/HttpClient.h"
#include "app/SharedFunctions.h"

#include <QDebug>
#include <QJsonParseError>
#include <QUrl>

WebRequest::WebRequest(const Lines& lines, Shape shape, bool envelope, int timeOutMs)
    : m_lines(lines)
    , m_shape(shape)
    , m_envelope(envelope)
    , m_timeOut(timeOutMs)
{ }

QString WebRequest::GetCompactText() const
{
    return LoggableJson(m_document);
}

int WebRequest::Get(const QString& url, QNetworkAccessManager* manager)
{
    m_usable = false;
    m_document = QJsonDocument();
    QByteArray body;
    {
        // Default tries (3); the client goes with the call.
        HttpClient client(0, m_timeOut);
        client.SetReplyMode(HttpClient::ReplyBody);
        if (manager)
            client.SetNetworkAccessManager(manager);
        if (!client.SendRequest(QUrl(url, QUrl::TolerantMode), HttpClient::MethodGet, nullptr)) {
            if (m_lines.netError)
                qDebug() << m_lines.netError << client.GetErrorText();
            else
                qDebug() << client.GetErrorText();
            return Done;
        }
        body = client.GetBody();
    }

    QJsonParseError error;
    m_document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << m_lines.parseError << error.errorString();
        return Unusable;
    }
    if ((m_shape == Object && !m_document.isObject()) || (m_shape == Array && !m_document.isArray())) {
        qDebug() << m_lines.wrongShape;
        return Unusable;
    }
    if (!m_envelope) {
        m_usable = true;
        return Done;
    }

    const QJsonObject envelope = m_document.object();
    const QJsonValue code = envelope.value(QLatin1String("returncode"));
    if (!code.isUndefined() && m_lines.content)
        qDebug() << m_lines.content << GetCompactText();
    // Only a string counts; anything else is an empty code.
    const QString text = code.isString() ? code.toString() : QString();
    if (text != QLatin1String("SUCCESS")) {
        if (m_lines.codeMismatch)
            qDebug() << m_lines.codeMismatch << text << ",json:" << GetCompactText();
        return Unusable;
    }
    m_usable = true;
    return Done;
}

QString WebRequest::Fill(QString urlTemplate, std::initializer_list<std::pair<const char*, QString>> values)
{
    for (const auto& value : values) {
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(value.second));
        urlTemplate.replace(QLatin1String(value.first), encoded, Qt::CaseSensitive);
    }
    return urlTemplate;
}
