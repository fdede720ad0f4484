#include "SchoolWebService.h"

#include "app/HttpClient.h"
#include "app/SharedFunctions.h"
#include "session/WebRequest.h"

#include <QDebug>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QRegularExpression>

namespace SchoolWebService {

namespace {

const char kPasswordMark[] = "{password}";

QHttpPart FormPart(const char* disposition, const QString& value)
{
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader, QString::fromLatin1(disposition));
    part.setBody(Stripped(value).toUtf8());
    return part;
}

Reply Read(HttpClient& client, const QString& logUrl, const Lines& lines)
{
    Reply reply;
    if (!client.IsSuccess() && !client.IsTimedOut()) {
        qDebug() << lines.netError << client.GetErrorText();
        return reply;
    }
    // A time-out leaves an empty body, which fails to parse below.
    const QByteArray body = client.GetBody();
    qDebug() << lines.reply << LoggableBody(body) << ", and url:" << logUrl;
    reply.outcome = Reply::Unusable;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << lines.parseError << error.errorString() << ", and url:" << logUrl;
        return reply;
    }
    if (!document.isObject()) {
        qDebug() << lines.notObject;
        return reply;
    }
    const QJsonObject object = document.object();
    const QJsonValue code = object.value(QLatin1String("returncode"));
    if (!code.isString()) {
        qDebug() << "reply without a text returncode, ignored, and url:" << logUrl;
        return reply;
    }
    if (code.toString() != QLatin1String("SUCCESS")) {
        reply.outcome = Reply::Refused;
        reply.message = object.value(QLatin1String("message")).toString();
        return reply;
    }
    reply.outcome = Reply::Accepted;
    reply.data = object.value(QLatin1String("data"));
    return reply;
}

} // namespace

QString Stripped(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s"));
    return QString(text).remove(space);
}

Reply Login(const QString& url, const QString& userName, const QString& password, int timeOutMs)
{
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(FormPart("form-data; name=\"username\" ", userName));
    form->append(FormPart("form-data; name=\"password\"", password));
    HttpClient client(0, timeOutMs);
    client.SendRequest(QUrl(url), HttpClient::MethodMultipart, form);
    return Read(client, url, { "OnUserLogin error:", " replay msg:", "OnUserJoin error:", "error, shoud json object" });
}

QString RoomInfoUrl(const QString& urlTemplate, const QString& password)
{
    return WebRequest::Fill(urlTemplate, { { kPasswordMark, Stripped(password) } });
}

QString RoomInfoLogUrl(const QString& urlTemplate)
{
    return QString(urlTemplate).replace(QLatin1String(kPasswordMark), QLatin1String("***"));
}

Reply RoomInfo(const QString& url, const QString& logUrl, int timeOutMs)
{
    HttpClient client(0, timeOutMs);
    // The body is wanted here, not a file.
    client.SetReplyMode(HttpClient::ReplyBody);
    client.SendRequest(QUrl(url), HttpClient::MethodGet, nullptr);
    return Read(client, logUrl,
        { "RoomEntryWidget::OnUsrLogin error:", " RoomEntryWidget::OnUsrLogin replay msg:",
            "RoomEntryWidget::OnUsrLogin error:", "RoomEntryWidget::OnUsrLogin error, shoud json object" });
}

} // namespace SchoolWebService
