#include "BoardHitTest.h"

#include "Shape.h"

#include <QDebug>
#include <QFontMetrics>
#include <QHash>
#include <QPolygon>
#include <QRect>
#include <QStringList>
#include <cmath>
#include <memory>

namespace BoardHitTest {

namespace {

// The stroke's padding where it is flat: a stroke is hit within 20 board
// units above and below it, or beside it.
constexpr int kFlat = 20;

// A text's measures in board units.
struct TextBox {
    int width = 0; // the widest line
    int ascent = 0;
    int line = 0; // ascent plus descent
};

// Measures texts of one canvas; a font size is measured once per pass.
class TextMeasure
{
public:
    explicit TextMeasure(const QSize& canvas)
        : m_canvas(canvas)
    { }

    bool CanMeasure() const { return m_canvas.width() > 0 && m_canvas.height() > 0; }

    TextBox Box(const Shape& text)
    {
        const QFontMetrics& metrics = MetricsFor(text.m_fontSize);
        int widest = 0;
        for (const QString& line : text.GetText().split(QLatin1Char('\n')))
            widest = qMax(widest, metrics.boundingRect(line).width());
        TextBox box;
        box.width = int(qint64(widest) * 800 / m_canvas.width());
        box.ascent = int(qint64(metrics.ascent()) * 600 / m_canvas.height());
        box.line = int(qint64(metrics.ascent() + metrics.descent()) * 600 / m_canvas.height());
        return box;
    }

private:
    const QFontMetrics& MetricsFor(int fontSize)
    {
        auto it = m_metrics.find(fontSize);
        if (it == m_metrics.end())
            it = m_metrics.insert(fontSize, std::make_shared<QFontMetrics>(TextFont(fontSize, m_canvas.height())));
        return **it;
    }

    QSize m_canvas;
    QHash<int, std::shared_ptr<QFontMetrics>> m_metrics;
};

bool Within(const QPoint& point, int left, int top, int right, int bottom)
{
    return point.x() >= left && point.x() <= right && point.y() >= top && point.y() <= bottom;
}

int Distance(const QPoint& from, const QPoint& to)
{
    const double dx = double(from.x()) - to.x();
    const double dy = double(from.y()) - to.y();
    return int(std::sqrt(dx * dx + dy * dy));
}

// The area a stroke's points enclose; a flat or narrow stroke is widened
// so the eraser still finds it.
QPolygon StrokeArea(const QVector<QPoint>& points)
{
    QPolygon area(points);
    QRect box = area.boundingRect();
    if (box.height() <= kFlat) {
        area << QPoint(box.x(), box.y() - kFlat) << QPoint(box.x() + box.width(), box.y() - kFlat)
             << QPoint(box.x(), box.y() + box.height() + kFlat)
             << QPoint(box.x() + box.width(), box.y() + box.height() + kFlat);
    }
    box = area.boundingRect();
    if (box.width() <= kFlat) {
        area << QPoint(box.x() - kFlat, box.y()) << QPoint(box.x() - kFlat, box.y() + box.height())
             << QPoint(box.x() + box.width() + kFlat, box.y())
             << QPoint(box.x() + box.width() + kFlat, box.y() + box.height());
    }
    return area;
}

} // namespace

QFont TextFont(int fontSize, int canvasHeight)
{
    const int size = Shape::DrawnFontSize(fontSize);
    QFont font(QStringLiteral("Microsoft YaHei"), size, QFont::Normal);
    font.setPixelSize(qMax(1, int(qint64(size) * canvasHeight / 600)));
    return font;
}

QString EraserHit(const QVector<const Shape*>& entries, const QPoint& point, const QSize& canvas)
{
    TextMeasure measure(canvas);
    bool inStroke = false;
    QVector<QPoint> stroke;
    for (const Shape* shape : entries) {
        const QPoint start = shape->GetStartPoint();
        const QPoint end = shape->GetEndPoint();
        switch (shape->GetType()) {
        case Shape::TypeRectangle: {
            const QRect area = QRect(start, end).normalized();
            if (Within(point, area.left(), area.top(), area.right(), area.bottom()))
                return shape->m_shapeId;
            break;
        }
        case Shape::TypeLine:
            if (inStroke)
                stroke << start << end;
            else if (Distance(start, point) + Distance(end, point) <= Distance(start, end) + 2)
                return shape->m_shapeId;
            break;
        case Shape::TypePen: {
            if (!inStroke) {
                inStroke = true;
                stroke.clear();
                break;
            }
            inStroke = false;
            const QPolygon area = StrokeArea(stroke);
            if (area.containsPoint(point, Qt::OddEvenFill)) {
                qDebug() << "OnShapeHighlight , polygon height:" << QPolygon(stroke).boundingRect().height();
                return shape->m_shapeId;
            }
            stroke.clear();
            break;
        }
        case Shape::TypeText: {
            if (!measure.CanMeasure())
                break;
            // From an ascent above the text down as many lines as it has
            // parts: generous, so a click near a text takes it.
            const TextBox box = measure.Box(*shape);
            const int lines = shape->GetText().count(QLatin1Char('\n')) + 1;
            if (Within(point, end.x(), end.y() - box.ascent, end.x() + box.width, end.y() + lines * box.line))
                return shape->m_shapeId;
            break;
        }
        default:
            break;
        }
    }
    return QString();
}

const Shape* TextHit(const QVector<const Shape*>& entries, const QPoint& point, const QSize& canvas)
{
    TextMeasure measure(canvas);
    if (!measure.CanMeasure())
        return nullptr;
    for (const Shape* shape : entries) {
        if (shape->GetType() != Shape::TypeText)
            continue;
        const TextBox box = measure.Box(*shape);
        // The lines drawn: a final line feed opens none.
        const QString text = shape->GetText();
        const int lines = qMax(1, text.count(QLatin1Char('\n')) + (text.endsWith(QLatin1Char('\n')) ? 0 : 1));
        const QPoint start = shape->GetStartPoint();
        if (Within(point, start.x(), start.y() + box.ascent / 4, start.x() + box.width, start.y() + lines * box.line))
            return shape;
    }
    return nullptr;
}

} // namespace BoardHitTest
