#include "ShapeCodec.h"

#include "Shape.h"

#include <QColor>
#include <QDebug>
#include <QJsonArray>
#include <cmath>
#include <limits>

namespace ShapeCodec {

int Coordinate(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return 0;
    return static_cast<int>(qBound(double(-kCoordinateLimit), std::trunc(number), double(kCoordinateLimit)));
}

int WholeNumber(const QJsonValue& value, int missing)
{
    if (!value.isDouble())
        return missing;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::trunc(number))
        return 0;
    return static_cast<int>(
        qBound(double(std::numeric_limits<int>::min()), number, double(std::numeric_limits<int>::max())));
}

namespace {

QString StringOf(const QJsonObject& entry, const char* key)
{
    return entry.value(QLatin1String(key)).toString();
}

template <typename T> T* Made(const QString& board, const QString& shapeId, QWidget* canvas)
{
    T* shape = new T();
    shape->m_whiteboardId = board;
    shape->m_shapeId = shapeId;
    shape->m_fillColor = Qt::transparent;
    shape->m_canvas = canvas;
    return shape;
}

void Style(Shape* shape, const QString& colorName, int thickness)
{
    shape->m_colorName = colorName;
    shape->m_penColor = QColor(colorName);
    if (!shape->m_penColor.isValid()) {
        qDebug() << "into ShapeCodec, unknown colour name, the shape is drawn black, shapeId:" << shape->m_shapeId
                 << ",color:" << colorName.left(32);
        shape->m_penColor = Qt::black;
    }
    shape->m_thickness = thickness;
}

} // namespace

QVector<Shape*> FromJson(const QJsonObject& entry, const QString& board, QWidget* canvas)
{
    const QString kind = StringOf(entry, "type");
    const QString shapeId = StringOf(entry, "shapeId");
    const QString color = StringOf(entry, "color");
    const int thickness = WholeNumber(entry.value(QLatin1String("thickness")), 0);
    QVector<Shape*> entries;
    if (kind == QLatin1String("line")) {
        Shape* line = Made<Line>(board, shapeId, canvas);
        Style(line, color, thickness);
        line->SetPoints(Coordinate(entry.value(QLatin1String("startX"))),
            Coordinate(entry.value(QLatin1String("startY"))), Coordinate(entry.value(QLatin1String("endX"))),
            Coordinate(entry.value(QLatin1String("endY"))), false);
        entries << line;
    } else if (kind == QLatin1String("rectangle")) {
        Shape* rect = Made<Rectangel>(board, shapeId, canvas);
        Style(rect, color, thickness);
        const int x = Coordinate(entry.value(QLatin1String("startX")));
        const int y = Coordinate(entry.value(QLatin1String("startY")));
        rect->SetPoints(x, y, x + Coordinate(entry.value(QLatin1String("width"))),
            y + Coordinate(entry.value(QLatin1String("height"))), false);
        entries << rect;
    } else if (kind == QLatin1String("text")) {
        Shape* text = Made<Text>(board, shapeId, canvas);
        Style(text, StringOf(entry, "textColor"), thickness);
        text->m_fontSize = WholeNumber(entry.value(QLatin1String("fontSize")), 18);
        text->SetText(StringOf(entry, "text"));
        const int x = Coordinate(entry.value(QLatin1String("x")));
        const int y = Coordinate(entry.value(QLatin1String("y")));
        text->SetPoints(x, y, x, y, false);
        entries << text;
    } else if (kind == QLatin1String("pencil")) {
        const QJsonArray points = entry.value(QLatin1String("points")).toArray();
        if (points.size() > kMaxStrokePoints) {
            qWarning() << "pencil shape with too many points dropped, shapeId:" << shapeId
                       << ",points:" << points.size();
            return entries;
        }
        entries.reserve(points.size() + 2);
        entries << Made<Pen>(board, shapeId, canvas);
        QPoint previous;
        for (int i = 0; i < points.size(); ++i) {
            const QJsonObject point = points.at(i).toObject();
            const QPoint at(Coordinate(point.value(QLatin1String("x"))), Coordinate(point.value(QLatin1String("y"))));
            Shape* segment = Made<Line>(board, shapeId, canvas);
            Style(segment, color, thickness);
            // Each point closes the segment from its predecessor; the first
            // stands alone.
            const QPoint end = i == 0 ? at : previous;
            segment->SetPoints(at.x(), at.y(), end.x(), end.y(), false);
            entries << segment;
            previous = at;
        }
        entries << Made<Pen>(board, shapeId, canvas);
    } else {
        qDebug() << "into ShapeCodec, unknown shape type and nothing built:" << kind;
    }
    return entries;
}

QJsonObject ToJson(const ShapeSnapshot& shape)
{
    const QPoint start = shape.points.value(0);
    const QPoint end = shape.points.value(1);
    QJsonObject data { { QStringLiteral("whiteboardId"), shape.whiteboardId } };
    switch (shape.kind) {
    case Shape::TypeRectangle:
    case Shape::TypeLine: {
        const bool rectangle = shape.kind == Shape::TypeRectangle;
        data.insert(QStringLiteral("type"), rectangle ? QStringLiteral("rectangle") : QStringLiteral("line"));
        data.insert(QStringLiteral("shapeId"), shape.shapeId);
        data.insert(QStringLiteral("color"), shape.colorName);
        data.insert(QStringLiteral("thickness"), shape.thickness);
        data.insert(QStringLiteral("startX"), start.x());
        data.insert(QStringLiteral("startY"), start.y());
        data.insert(
            rectangle ? QStringLiteral("width") : QStringLiteral("endX"), rectangle ? end.x() - start.x() : end.x());
        data.insert(
            rectangle ? QStringLiteral("height") : QStringLiteral("endY"), rectangle ? end.y() - start.y() : end.y());
        break;
    }
    case Shape::TypePen: {
        data.insert(QStringLiteral("type"), QStringLiteral("pencil"));
        data.insert(QStringLiteral("color"), shape.colorName);
        if (shape.points.isEmpty())
            break;
        // Newest segment first, as the room expects.
        QJsonArray points;
        for (int i = shape.points.size() - 1; i >= 0; --i)
            points.append(QJsonObject {
                { QStringLiteral("x"), shape.points.at(i).x() }, { QStringLiteral("y"), shape.points.at(i).y() } });
        data.insert(QStringLiteral("points"), points);
        data.insert(QStringLiteral("shapeId"), shape.shapeId);
        data.insert(QStringLiteral("thickness"), shape.thickness);
        break;
    }
    case Shape::TypeText:
        data.insert(QStringLiteral("type"), QStringLiteral("text"));
        data.insert(QStringLiteral("shapeId"), shape.shapeId);
        data.insert(QStringLiteral("text"), shape.text);
        data.insert(QStringLiteral("textColor"), shape.colorName);
        data.insert(QStringLiteral("fontSize"), shape.fontSize);
        data.insert(QStringLiteral("x"), start.x());
        data.insert(QStringLiteral("y"), start.y());
        break;
    default:
        return QJsonObject();
    }
    return data;
}

QJsonObject MoveJson(const ShapeSnapshot& text)
{
    if (text.shapeId.isEmpty())
        return QJsonObject();
    const QPoint at = text.points.value(0);
    return QJsonObject { { QStringLiteral("type"), QStringLiteral("text") },
        { QStringLiteral("shapeId"), text.shapeId }, { QStringLiteral("text"), text.text },
        { QStringLiteral("textColor"), text.colorName }, { QStringLiteral("fontSize"), text.fontSize },
        { QStringLiteral("x"), at.x() }, { QStringLiteral("y"), at.y() },
        { QStringLiteral("whiteboardId"), text.whiteboardId } };
}

ShapeSnapshot Snapshot(const QVector<const Shape*>& entries, const QString& colorName, int fontSize)
{
    ShapeSnapshot shot;
    shot.colorName = colorName;
    shot.fontSize = fontSize;
    const Shape* first = nullptr;
    for (const Shape* entry : entries) {
        if (entry->GetType() != Shape::TypePen && !first)
            first = entry;
    }
    if (entries.isEmpty())
        return shot;
    shot.shapeId = entries.first()->m_shapeId;
    shot.whiteboardId = entries.first()->m_whiteboardId;
    shot.kind = entries.first()->GetType();
    if (shot.kind == Shape::TypePen) {
        for (const Shape* entry : entries) {
            if (entry->GetType() == Shape::TypeLine)
                shot.points << entry->GetStartPoint();
        }
        if (first)
            shot.thickness = first->m_thickness;
        return shot;
    }
    shot.thickness = entries.first()->m_thickness;
    shot.points << entries.first()->GetStartPoint() << entries.first()->GetEndPoint();
    if (shot.kind == Shape::TypeText) {
        shot.text = entries.first()->GetText();
        shot.fontSize = entries.first()->m_fontSize;
        shot.colorName = entries.first()->m_colorName.isEmpty() ? colorName : entries.first()->m_colorName;
        shot.points.resize(1);
    }
    return shot;
}

} // namespace ShapeCodec
