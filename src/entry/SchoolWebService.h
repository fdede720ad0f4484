#pragma once

#include <QJsonValue>
#include <QString>

// The two requests the entry screens make to the school's web service: the
// login (a multipart POST of "username" and "password") and the room behind
// a classroom password (a GET of "user.room.info"). Both wait synchronously
// in the calling (GUI) thread and read the envelope {"returncode",
// "message", "data"}. Every failure is logged with the caller's own texts.
namespace SchoolWebService {

struct Reply {
    enum Outcome {
        NoReply, // the network failed on every attempt
        Unusable, // time-out, not JSON, not an object or no text code
        Refused, // a code other than "SUCCESS"
        Accepted, // "SUCCESS"
    };
    Outcome outcome = NoReply;
    QJsonValue data; // "data" of an accepted reply
    QString message; // "message" of a refused reply when it is text
};

// The caller's log texts.
struct Lines {
    const char* netError; // followed by the client's error text
    const char* reply; // followed by the body, ", and url:" and the URL
    const char* parseError; // followed by the parser's text, ", and url:" and the URL
    const char* notObject;
};

// The text without any white-space character.
QString Stripped(const QString& text);

// The login: the names and passwords are sent stripped, in UTF-8.
Reply Login(const QString& url, const QString& userName, const QString& password, int timeOutMs);

// "user.room.info" with every "{password}" replaced by the stripped
// password, percent-encoded, so no password can add a path section, a query
// item or a fragment.
QString RoomInfoUrl(const QString& urlTemplate, const QString& password);
// The same address with the password hidden, for the log.
QString RoomInfoLogUrl(const QString& urlTemplate);
Reply RoomInfo(const QString& url, const QString& logUrl, int timeOutMs);

} // namespace SchoolWebService
