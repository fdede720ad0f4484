#pragma once

#include "BoardModel.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVector>

class QWidget;

// Shapes as the room's whiteboard messages carry them. Everything read here
// came from the network: numbers are bounded before they become ints, and a
// malformed entry builds nothing.
namespace ShapeCodec {
// Largest magnitude of a board coordinate or size taken from a message; far
// outside the 800 x 600 board, and small enough that no later arithmetic on
// it can overflow.
constexpr int kCoordinateLimit = 100000;
// Most points of one received pen stroke.
constexpr int kMaxStrokePoints = 10000;

// A coordinate: a number truncated toward zero and clamped; anything else 0.
int Coordinate(const QJsonValue& value);
// A whole number: missing (or not a number) gives missing, a fraction 0.
int WholeNumber(const QJsonValue& value, int missing);

// The entries (bottom first) of one shape entry of a 321 message or of a
// history list, on board; empty for an unknown kind or an oversized stroke.
// The caller owns them.
QVector<Shape*> FromJson(const QJsonObject& entry, const QString& board, QWidget* canvas);

// The shape's keys of a 321 message's "data" (without "roomId" and
// "operatorId").
QJsonObject ToJson(const ShapeSnapshot& shape);
// The one element of a 327 message's "shapes" (without "roomId" and
// "operatorId").
QJsonObject MoveJson(const ShapeSnapshot& text);
// A value copy of one shape's entries (a whole stroke, bottom first).
ShapeSnapshot Snapshot(const QVector<const Shape*>& entries, const QString& colorName, int fontSize);
} // namespace ShapeCodec
