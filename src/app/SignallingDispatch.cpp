#include "SignallingDispatch.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

Q_LOGGING_CATEGORY(lcSignalling, "plovix.signalling")

namespace {

// A piece of fewer than five characters can hold no message. Up to four
// characters take at most 16 bytes of UTF-8, so longer pieces need no count.
bool IsShortPiece(const QByteArray& piece)
{
    if (piece.size() < 5)
        return true;
    return piece.size() < 17 && QString::fromUtf8(piece).size() < 5;
}

} // namespace

void SignallingDispatch::Route(int type, const char* label, Handler handler)
{
    m_routes.insert(type, Entry { label, std::move(handler) });
}

void SignallingDispatch::Route(std::initializer_list<int> types, const char* label, const Handler& handler)
{
    for (int type : types)
        Route(type, label, handler);
}

int SignallingDispatch::HandleFrame(const QByteArray& frame, const std::function<bool()>& keepGoing) const
{
    if (frame.size() > m_maxBytes) {
        qWarning() << "onTextMessageReceived, frame too large and dropped, bytes:" << frame.size();
        return 0;
    }
    int handled = 0;
    ForEachPiece(frame, [&](const QByteArray& piece) {
        if (keepGoing && !keepGoing())
            return false;
        handled += HandlePiece(piece) ? 1 : 0;
        return true;
    });
    return handled;
}

bool SignallingDispatch::HandlePiece(const QByteArray& piece) const
{
    if (piece.isEmpty())
        return false;
    if (IsShortPiece(piece)) {
        qCDebug(lcSignalling) << "onTextMessageReceived, short piece skipped:" << piece;
        return false;
    }
    if (piece.size() > m_maxBytes) {
        qWarning() << "onTextMessageReceived, message too large and dropped, bytes:" << piece.size();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(piece, &error);
    if (document.isNull() || error.error != QJsonParseError::NoError) {
        qDebug() << "onTextMessageReceived, doucment state:" << document.isNull() << ", jsonError:" << error.error
                 << ",message:" << QString::fromUtf8(piece);
        return false;
    }
    if (!document.isObject()) {
        qDebug() << "onTextMessageReceived, doucment is not object, and message:" << QString::fromUtf8(piece);
        return false;
    }
    const QJsonObject json = document.object();
    const QJsonValue typeValue = json.value(QLatin1String("type"));
    if (!typeValue.isDouble()) {
        qCDebug(lcSignalling) << "onTextMessageReceived, no numeric type, skipped:" << QString::fromUtf8(piece);
        return false;
    }
    const int type = typeValue.toInt();
    const auto route = m_routes.constFind(type);
    if (route == m_routes.constEnd()) {
        qDebug() << "======Websocket type : " << type << ",  message:" << QString::fromUtf8(piece);
        return false;
    }
    if (route->label)
        qCDebug(lcSignalling) << "======Websocket type : " << type << route->label;
    route->handler(SignallingMessage { type, json, piece });
    return true;
}
