#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <initializer_list>
#include <utility>

class QNetworkAccessManager;

// One request to the school's web service, made the one way every request
// of the session worker is made: a GET through a synchronous HttpClient
// (the calling thread's events keep being delivered while it waits), the
// body parsed as JSON, the document's shape checked, and, for the envelope
// {"returncode", "message", "data"}, "returncode" compared exactly with
// "SUCCESS". Each failure is logged with the request's own text.
//
// Used once, in the thread that made it.
class WebRequest
{
public:
    // Results of the session worker's requests.
    enum Result { Done = 0, Unusable = 0x4001 };
    enum Shape { Object, Array };

    // The log texts of one request; a null text is not logged.
    struct Lines {
        const char* netError; // followed by the client's error text; null: the text alone
        const char* parseError; // followed by the parser's error text
        const char* wrongShape;
        const char* content = nullptr; // followed by the whole document
        const char* codeMismatch = nullptr; // followed by the code and the document
    };

    // An envelope reply is an object with "returncode"; a bare reply (the
    // session lists) is a plain object or array.
    WebRequest(const Lines& lines, Shape shape, bool envelope, int timeOutMs = 0);

    // Sends the GET and reads the reply. Done when the reply was usable or
    // when no reply arrived (network failure, HTTP error, time-out);
    // Unusable when a reply arrived that is not JSON, not of the shape, or
    // whose code is not "SUCCESS".
    // manager, when given, is used instead of one of the client's own (it
    // must live in the calling thread).
    int Get(const QString& url, QNetworkAccessManager* manager = nullptr);

    // True once a usable reply was read.
    bool IsUsable() const { return m_usable; }
    QJsonObject GetObject() const { return m_document.object(); }
    QJsonArray GetArray() const { return m_document.array(); }
    // "data" of an envelope (undefined when missing).
    QJsonValue GetData() const { return m_document.object().value(QLatin1String("data")); }
    // The reply for a log line, secret values hidden.
    QString GetCompactText() const;

    // A URL template with its place holders filled: every occurrence of
    // each name, matched case-sensitively, is replaced by the value
    // percent-encoded, so a value can never add a path section, a query
    // item or a fragment. A template without a place holder stays as is.
    static QString Fill(QString urlTemplate, std::initializer_list<std::pair<const char*, QString>> values);

private:
    Lines m_lines;
    Shape m_shape;
    bool m_envelope;
    int m_timeOut;
    bool m_usable = false;
    QJsonDocument m_document;
};
