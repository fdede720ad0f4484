#include "CourseUpload.h"

#include "app/AutoTimeOutEventLoop.h"
#include "app/SharedFunctions.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSet>

namespace CourseUpload {

namespace {

// More new ids than any upload makes are not believed.
const int kMaxIds = 1000;

bool IsOneOf(const QString& value, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (value == QLatin1String(name))
            return true;
    }
    return false;
}

QString DefaultContentType(const QString& suffix)
{
    const QString header = QStringLiteral("application/%1").arg(suffix);
    qDebug() << "defaultHeader:" << header << ",_fileSuffix:" << suffix;
    qDebug() << "use default file part";
    return header;
}

QHttpPart FieldPart(const QByteArray& disposition, const QByteArray& body)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", disposition);
    part.setBody(body);
    return part;
}

// The ids of a "SUCCESS" answer; false when the answer is no such one.
bool ReadAnswer(const QByteArray& body, const QString& idKey, QStringList& ids)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << "UploadCourse error:" << error.errorString();
        return false;
    }
    if (!document.isObject()) {
        qDebug() << "UploadCourse error, shoud json object";
        return false;
    }
    const QJsonObject answer = document.object();
    const QJsonValue code = answer.value(QLatin1String("returncode"));
    if (!code.isString() || code.toString() != QLatin1String("SUCCESS")) {
        qDebug() << "UploadCourse error,code:" << code.toVariant().toString() << ",json:" << LoggableBody(body, 4096);
        return false;
    }
    QSet<QString> seen;
    const QJsonArray list = answer.value(QLatin1String("data")).toArray();
    for (const QJsonValue& element : list) {
        const QJsonValue id = element.toObject().value(idKey);
        if (!id.isString() || id.toString().isEmpty() || seen.contains(id.toString()))
            continue;
        if (ids.size() >= kMaxIds) {
            qWarning() << "[ERROR] UploadCourse, only the first" << kMaxIds << "new ids kept";
            break;
        }
        seen.insert(id.toString());
        ids << id.toString();
        qDebug() << "UploadCourse, presentationId:" << id.toString();
    }
    return true;
}

} // namespace

int KindOfSuffix(const QString& suffix)
{
    const QString lower = suffix.toLower();
    if (IsOneOf(lower, { "mp4", "avi", "wmv", "rm" }))
        return KindVideo;
    if (IsOneOf(lower, { "aac", "mp3", "m4a" }))
        return KindAudio;
    return KindPages;
}

QString CourseContentType(const QString& suffix)
{
    const QString lower = suffix.toLower();
    if (lower == QLatin1String("png"))
        return QStringLiteral("image/png");
    if (IsOneOf(lower, { "jpg", "jpeg" }))
        return QStringLiteral("image/jpeg");
    if (IsOneOf(lower, { "aac", "mp3", "m4a" }))
        return QStringLiteral("audio/m4a");
    if (IsOneOf(lower, { "mp4", "avi", "wav", "rm" }))
        return QStringLiteral("video/mp4");
    return DefaultContentType(suffix);
}

QString PictureContentType(const QString& suffix)
{
    if (suffix == QLatin1String("png"))
        return QStringLiteral("image/png");
    if (suffix == QLatin1String("pdf"))
        return QStringLiteral("application/pdf");
    if (suffix == QLatin1String("jpg"))
        return QStringLiteral("image/jpg");
    return DefaultContentType(suffix);
}

QString QuotedFileName(const QString& name)
{
    QString quoted;
    quoted.reserve(name.size());
    for (const QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += (c == QLatin1Char('\r') || c == QLatin1Char('\n')) ? QLatin1Char('_') : c;
    }
    return quoted;
}

QStringList Sendable(const QStringList& files)
{
    QStringList sendable;
    for (const QString& path : files) {
        const QFileInfo info(path);
        // An empty file is no course file; one that cannot be read would
        // make a part without a body.
        if (info.isFile() && info.isReadable() && info.size() > 0)
            sendable << path;
        else
            qDebug() << "in uploadCourse, file skipped, empty or unreadable:" << path;
    }
    return sendable;
}

Result Post(QNetworkAccessManager* manager, const Request& request)
{
    Result result;
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    const QStringList sendable = Sendable(request.files);
    int attached = 0;
    for (const QString& path : request.files) {
        auto* file = new QFile(path, form);
        if (!sendable.contains(path) || !file->open(QIODevice::ReadOnly)) {
            result.skipped << path;
            delete file;
            continue;
        }
        const QFileInfo info(path);
        QHttpPart part;
        part.setRawHeader("Content-Disposition",
            QStringLiteral(" form-data; name=\"file\"; filename=\"%1\" ")
                .arg(QuotedFileName(info.fileName()))
                .toUtf8());
        part.setHeader(QNetworkRequest::ContentTypeHeader, request.contentType(info.suffix()));
        part.setBodyDevice(file);
        form->append(part);
        ++attached;
    }
    if (attached == 0 || manager == nullptr) {
        delete form;
        return result;
    }
    form->append(FieldPart("form-data; name=\"roomId\" ", request.roomId.toUtf8()));
    form->append(FieldPart("form-data; name=\"userId\"", QByteArray::number(request.userId)));

    QNetworkReply* reply = manager->post(QNetworkRequest(request.url), form);
    // The form and its open files go with the reply, which the loop deletes.
    form->setParent(reply);
    AutoTimeOutEventLoop loop(reply);
    if (request.checkIntervalMs > 0)
        loop.SetCheckInterval(request.checkIntervalMs);
    loop.Exec(QEventLoop::AllEvents);
    result.outcome = Failed;
    const QByteArray body = loop.GetBody();
    if (loop.GetNetworkError() != 0 || body.isEmpty()) {
        qDebug() << request.failureLine << loop.GetNetworkError() << loop.GetErrorText();
        return result;
    }
    if (ReadAnswer(body, request.idKey, result.ids))
        result.outcome = Accepted;
    return result;
}

} // namespace CourseUpload
