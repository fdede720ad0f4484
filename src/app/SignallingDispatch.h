#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QString>
#include <functional>
#include <initializer_list>

// The log lines of the signalling dispatch (one per dispatched message).
Q_DECLARE_LOGGING_CATEGORY(lcSignalling)

// One received signalling message, valid during the handler's call.
struct SignallingMessage {
    int type = 0;
    const QJsonObject& json;
    // The piece of the frame as it arrived (UTF-8).
    const QByteArray& piece;

    QString Text() const { return QString::fromUtf8(piece); }
    // The payload; most room messages carry an object there.
    QJsonObject Data() const { return json.value(QLatin1String("data")).toObject(); }
    bool HasObjectData() const { return json.value(QLatin1String("data")).isObject(); }
};

// Frames of the signalling socket and the table that routes their messages.
//
// A frame may carry several messages separated by CR LF. Each piece is
// parsed as a JSON object and handed, by its numeric "type", to the handler
// registered for that type. Pieces that cannot be used are dropped with a
// log line; nothing read from the network ever reaches a handler unparsed.
// Used in one thread (the socket's); the table is filled before use.
class SignallingDispatch
{
public:
    using Handler = std::function<void(const SignallingMessage&)>;

    // A frame or piece above this many bytes is dropped unread.
    static constexpr int kDefaultMaxBytes = 8 * 1024 * 1024;

    // Routes type to handler. label is logged before each call, after
    // "======Websocket type : " and the type; null logs nothing.
    void Route(int type, const char* label, Handler handler);
    void Route(std::initializer_list<int> types, const char* label, const Handler& handler);
    bool Handles(int type) const { return m_routes.contains(type); }

    void SetMaxBytes(int bytes) { m_maxBytes = bytes > 0 ? bytes : kDefaultMaxBytes; }
    int GetMaxBytes() const { return m_maxBytes; }

    // Splits the frame at every CR LF, keeping empty pieces, and handles
    // the pieces in order. keepGoing (when given) is asked before each
    // piece; false stops the frame there (the receiver went away inside a
    // handler). Returns the number of messages that reached a handler.
    int HandleFrame(const QByteArray& frame, const std::function<bool()>& keepGoing = {}) const;
    // One piece; true when a handler ran.
    bool HandlePiece(const QByteArray& piece) const;

    // Calls f(piece) for every CR LF separated piece of frame, empty ones
    // included, until f returns false.
    template <typename F> static void ForEachPiece(const QByteArray& frame, F&& f)
    {
        int start = 0;
        for (;;) {
            const int end = frame.indexOf("\r\n", start);
            const int stop = end < 0 ? frame.size() : end;
            if (!f(QByteArray::fromRawData(frame.constData() + start, stop - start)))
                return;
            if (end < 0)
                return;
            start = end + 2;
        }
    }

private:
    struct Entry {
        const char* label = nullptr;
        Handler handler;
    };
    QHash<int, Entry> m_routes;
    int m_maxBytes = kDefaultMaxBytes;
};
