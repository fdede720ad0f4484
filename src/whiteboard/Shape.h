#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

class QPainter;
class QWidget;

// Pen, fill and width handed to Shape::SetStyle in one go.
struct ShapeStyle {
    QColor pen;
    QColor fill;
    int thickness = 3;
};

// One element drawn on a whiteboard, in board units of 800 x 600. Shapes are
// plain records shared by the GUI thread and the session thread; whoever
// touches one that sits on a stack holds the whiteboard's stack mutex.
class Shape
{
public:
    enum Type { TypeRectangle = 1, TypeLine = 2, TypePen = 3, TypeText = 4 };

    Shape() = default;
    virtual ~Shape() = default;

    virtual void Draw(QPainter* painter, double zoom) = 0;
    virtual int GetType() const = 0;
    // A copy the caller owns: what a painter draws outside the board lock.
    virtual Shape* Clone() const = 0;
    virtual void SetText(const QString& text);
    virtual QString GetText() const;
    virtual QWidget* GetCanvas() const;
    virtual void SetCanvas(QWidget* canvas);

    void SetShapeId(const QString& shapeId) { m_shapeId = shapeId; }
    // With the square flag the end point is pulled onto the diagonal through
    // the start point.
    void SetPoints(int x1, int y1, int x2, int y2, bool square);
    void SetStyle(const ShapeStyle& style);
    QPoint GetStartPoint() const { return QPoint(m_startX, m_startY); }
    QPoint GetEndPoint() const { return QPoint(m_endX, m_endY); }

    // Board units to pixels of the canvas; (0, 0) and a null canvas pass
    // through unchanged.
    static QPoint MapToWidget(int x, int y, QWidget* canvas, double zoom);
    // A text's font size as drawn and measured: bounded, whatever a message
    // carried.
    static int DrawnFontSize(int fontSize);

    int m_startX = 0;
    int m_startY = 0;
    int m_endX = 0;
    int m_endY = 0;
    QString m_whiteboardId;
    QString m_shapeId;
    QString m_colorName;
    int m_thickness = 3;
    int m_fontSize = 18;
    QColor m_penColor;
    QColor m_savedColor { 3, 3, 3 }; // rgb(3,3,3): nothing saved
    QColor m_fillColor;
    QWidget* m_canvas = nullptr;

protected:
    // The thickness as drawn: bounded, whatever a message carried.
    int PenWidth() const;
    void PreparePainter(QPainter* painter) const;
};

class Rectangel : public Shape
{
public:
    Rectangel* Clone() const override { return new Rectangel(*this); }
    void Draw(QPainter* painter, double zoom) override;
    int GetType() const override { return TypeRectangle; }
};

class Line : public Shape
{
public:
    Line* Clone() const override { return new Line(*this); }
    void Draw(QPainter* painter, double zoom) override;
    int GetType() const override { return TypeLine; }
};

// Start and end marker of a pen stroke; a marker has all points 0 and draws
// nothing.
class Pen : public Shape
{
public:
    Pen* Clone() const override { return new Pen(*this); }
    void Draw(QPainter* painter, double zoom) override;
    int GetType() const override { return TypePen; }
};

class Text : public Shape
{
public:
    Text* Clone() const override { return new Text(*this); }
    void Draw(QPainter* painter, double zoom) override;
    int GetType() const override { return TypeText; }
    void SetText(const QString& text) override { m_text = text; }
    QString GetText() const override { return m_text; }

private:
    QString m_text;
};
