#pragma once

#include <QGradientStops>
#include <QString>
#include <QWidget>

class QPainter;

// A small round gauge: a value between a minimum and a maximum drawn as a
// donut, a pie slice or a thin ring, with a text in its middle. The course
// page and media lists put one on each row being transferred. GUI thread.
class RoundProgressBar : public QWidget
{
    Q_OBJECT

public:
    enum BarStyle { StyleDonut = 0, StylePie = 1, StyleLine = 2 };

    explicit RoundProgressBar(QWidget* parent = nullptr);

    double minimum() const { return m_min; }
    double maximum() const { return m_max; }
    double value() const { return m_value; }

    void setStyleMode(int style);
    void setOutlineWidth(double width);
    // Width of the pen that draws the value.
    void setArcWidth(double width);
    // Ignored when negative or unchanged.
    void setDecimalPlaces(int decimals);
    // The text shown: "%v" value, "%p" percent, "%m" range size.
    void setFormat(const QString& format);
    QString format() const { return m_format; }
    // The text shown for value val.
    QString valueToText(double val) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return w; }
    QSize minimumSizeHint() const override { return QSize(32, 32); }

public slots:
    // Swaps the bounds when min > max; the value is clamped into them.
    void setRange(double min, double max);
    void setMinimum(double min);
    void setMaximum(double max);
    void setValue(double val);
    void setValue(int val);

protected:
    void paintEvent(QPaintEvent* event) override;

    // The drawing steps, in order.
    virtual void drawBackground(QPainter& p, const QRectF& baseRect);
    virtual void drawBase(QPainter& p, const QRectF& baseRect);
    virtual void drawValue(QPainter& p, const QRectF& baseRect, double value, double delta);
    virtual void calculateInnerRect(const QRectF& baseRect, double outerRadius, QRectF& innerRect, double& innerRadius);
    virtual void drawInnerBackground(QPainter& p, const QRectF& innerRect);
    virtual void drawText(QPainter& p, const QRectF& innerRect, double innerRadius, double value);
    void valueFormatChanged();

private:
    void boundsChanged();
    void rebuildDataBrushIfNeeded();

    double m_min = 0;
    double m_max = 100;
    double m_value = 0;
    double m_startAngle = 90;
    int m_barStyle = StyleDonut;
    double m_outlinePenWidth = 1;
    double m_dataPenWidth = 1;
    QGradientStops m_gradientData;
    bool m_rebuildBrush = false;
    QString m_format = QStringLiteral("%p%");
    int m_decimals = 1;
    int m_updateFlags = 2;
};
