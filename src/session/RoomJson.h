#pragma once

#include "app/AppPaths.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrl>
#include <climits>
#include <cmath>

// Reading the keys of a received room message. A key is used only when its
// JSON type is the expected one; otherwise the caller's fallback stands.
// Numbers from the network are range-checked before any conversion.
namespace RoomJson {

inline QString Text(const QJsonObject& object, const char* key, const QString& fallback = QString())
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : fallback;
}

// A whole number in the range of int; fallback for anything else.
inline int Int(const QJsonObject& object, const char* key, int fallback = 0)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return fallback;
    const double number = value.toDouble();
    if (!(number >= double(INT_MIN) && number <= double(INT_MAX)) || number != std::trunc(number))
        return fallback;
    return int(number);
}

inline bool Bool(const QJsonObject& object, const char* key, bool fallback = false)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isBool() ? value.toBool() : fallback;
}

// Milliseconds since 1970 as whole seconds, the fraction dropped and the
// result kept within [0, INT_MAX]; 0 for anything but a number.
inline int Seconds(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return 0;
    const double seconds = std::trunc(value.toDouble() / 1000.0);
    if (!(seconds > 0))
        return 0;
    return seconds >= double(INT_MAX) ? INT_MAX : int(seconds);
}

// A user id, sent as decimal text or as a number; 0 when there is none.
inline int Uid(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    bool ok = false;
    int uid = 0;
    if (value.isString())
        uid = value.toString().trimmed().toInt(&ok);
    else
        uid = Int(object, key, 0);
    return (ok || value.isDouble()) && uid > 0 ? uid : 0;
}

// The safe file name the transfer worker stores a download of url under,
// or empty when the address names no file ("", "." or ".." as its last
// section): such a picture is never fetched.
inline QString FileNameOf(const QString& url)
{
    const QString last = QUrl(url).fileName(QUrl::FullyDecoded);
    if (last.isEmpty() || last == QLatin1String(".") || last == QLatin1String(".."))
        return QString();
    return AppPaths::UrlFileName(url);
}

} // namespace RoomJson
