#include "Shape.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStringList>
#include <QWidget>

#include <cstdlib>
#include <limits>

void Shape::SetText(const QString& text)
{
    Q_UNUSED(text)
}

QString Shape::GetText() const
{
    return QString();
}

QWidget* Shape::GetCanvas() const
{
    return m_canvas;
}

void Shape::SetCanvas(QWidget* canvas)
{
    m_canvas = canvas;
}

void Shape::SetPoints(int x1, int y1, int x2, int y2, bool square)
{
    m_startX = x1;
    m_startY = y1;
    if (!square) {
        m_endX = x2;
        m_endY = y2;
        return;
    }
    const int d = qMin(std::abs(x1 - x2), std::abs(y1 - y2));
    m_endX = x1 <= x2 ? x1 + d : x1 - d;
    m_endY = y1 <= y2 ? y1 + d : y1 - d;
}

void Shape::SetStyle(const ShapeStyle& style)
{
    m_penColor = style.pen;
    m_fillColor = style.fill;
    m_thickness = style.thickness;
}

namespace {
// Drawing bounds for values that came from the room: a huge width or font
// would cost memory and time on every paint. The stored values stay.
constexpr int kMaxPenWidth = 100;
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 200;

int ScaledCoordinate(int value, int size, int board)
{
    const qint64 scaled = qint64(value) * size / board;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), scaled, std::numeric_limits<int>::max()));
}
} // namespace

int Shape::DrawnFontSize(int fontSize)
{
    return qBound(kMinFontSize, fontSize, kMaxFontSize);
}

int Shape::PenWidth() const
{
    return qBound(0, m_thickness, kMaxPenWidth);
}

QPoint Shape::MapToWidget(int x, int y, QWidget* canvas, double zoom)
{
    Q_UNUSED(zoom) // the painter carries zoom and pan
    // A canvas not laid out yet has no size to convert with.
    if ((x == 0 && y == 0) || canvas == nullptr || canvas->width() <= 0 || canvas->height() <= 0)
        return QPoint(x, y);
    return QPoint(ScaledCoordinate(x, canvas->width(), 800), ScaledCoordinate(y, canvas->height(), 600));
}

void Shape::PreparePainter(QPainter* painter) const
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    // A fully transparent fill paints nothing: no brush spares filling it.
    if (m_fillColor.isValid() && m_fillColor.alpha() == 0)
        painter->setBrush(Qt::NoBrush);
    else
        painter->setBrush(QBrush(m_fillColor, Qt::SolidPattern));
}

void Rectangel::Draw(QPainter* painter, double zoom)
{
    if (painter == nullptr)
        return;
    PreparePainter(painter);
    painter->setPen(QPen(QBrush(m_penColor), PenWidth(), Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const QPoint from = MapToWidget(m_startX, m_startY, m_canvas, zoom);
    const QPoint to = MapToWidget(m_endX, m_endY, m_canvas, zoom);
    const QRect rect(from, to);
    painter->drawRects(&rect, 1);
}

void Line::Draw(QPainter* painter, double zoom)
{
    if (painter == nullptr)
        return;
    PreparePainter(painter);
    painter->setPen(QPen(QBrush(m_penColor), PenWidth(), Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    const QLine line(MapToWidget(m_startX, m_startY, m_canvas, zoom), MapToWidget(m_endX, m_endY, m_canvas, zoom));
    painter->drawLines(&line, 1);
}

void Pen::Draw(QPainter* painter, double zoom)
{
    if (painter == nullptr || (m_startX == 0 && m_startY == 0 && m_endX == 0 && m_endY == 0))
        return;
    PreparePainter(painter);
    painter->setPen(QPen(QBrush(m_penColor), PenWidth(), Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->drawLine(MapToWidget(m_startX, m_startY, m_canvas, zoom), MapToWidget(m_endX, m_endY, m_canvas, zoom));
}

void Text::Draw(QPainter* painter, double zoom)
{
    if (painter == nullptr)
        return;
    PreparePainter(painter);
    painter->setPen(QPen(QBrush(m_penColor), 5 * zoom, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));

    const int canvasHeight = m_canvas != nullptr ? m_canvas->height() : 600;
    QFont font = QGuiApplication::font();
    const int fontSize = DrawnFontSize(m_fontSize);
    font.setPixelSize(qMax(1, static_cast<int>(canvasHeight * zoom * fontSize / 600)));
    painter->setFont(font);
    const QFontMetrics metrics(font);

    const QPoint at = MapToWidget(m_startX, m_startY, m_canvas, zoom);
    const QStringList lines = m_text.split(QLatin1Char('\n'));
    int baseline = at.y() + metrics.ascent();
    for (int i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines.at(i).isEmpty() && i > 0)
            break; // a trailing line feed opens no line of its own
        painter->drawText(at.x(), baseline, lines.at(i));
        baseline += metrics.ascent() + metrics.descent();
    }
}
