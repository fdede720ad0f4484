#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;

// The multipart upload of course files to the school's web service: one
// "file" part per file, then "roomId" and "userId"; the answer carries a
// "returncode" and a "data" array of objects naming the new ids. Used by
// the course page and media lists in the GUI thread: Post waits for the
// answer in a local event loop that keeps handling every other event, user
// input included, so callers guard against re-entry and against a clean-up
// meanwhile.
namespace CourseUpload {

enum Kind { KindPages = 1, KindAudio = 2, KindVideo = 4 };

// The kind a file goes up as, by its suffix compared without case; any
// suffix not named (a PDF too) goes to the page converter.
int KindOfSuffix(const QString& suffix);
// The content type of a course file part, by suffix compared without case.
QString CourseContentType(const QString& suffix);
// The content type of a picture part of the media list's upload, by suffix
// compared as it is.
QString PictureContentType(const QString& suffix);
// The file name as it may stand between the quotes of a part header:
// quotes and backslashes escaped, line breaks replaced.
QString QuotedFileName(const QString& name);

// The files that can go up: readable and not empty.
QStringList Sendable(const QStringList& files);

struct Request {
    QUrl url;
    QStringList files;
    std::function<QString(const QString& suffix)> contentType;
    // The key of the new ids in the answer: "presentationId" or "mediaId".
    QString idKey;
    QString roomId;
    int userId = 0;
    // The stall check of the wait, 30000 ms unless set.
    int checkIntervalMs = 0;
    // The failure log line ("[DataManager]UploadCourse failed!" and the like).
    QString failureLine = QStringLiteral("[DataManager]UploadCourse failed! err:");
};

enum Outcome {
    NothingToSend, // no file could be read, or every one was empty
    Failed, // no usable answer: network error, empty, not JSON, not "SUCCESS"
    Accepted,
};

struct Result {
    Outcome outcome = NothingToSend;
    // Accepted: the new ids in answer order, each once.
    QStringList ids;
    // Files left out because they could not be read or were empty.
    QStringList skipped;
};

Result Post(QNetworkAccessManager* manager, const Request& request);

} // namespace CourseUpload
