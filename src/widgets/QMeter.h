#pragma once

#include <QWidget>

// Horizontal level meter drawn as a row of thin bars.
class QMeter : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double min READ minValue WRITE setMinValue)
    Q_PROPERTY(double max READ maxValue WRITE setMaxValue)
    Q_PROPERTY(double value READ value WRITE setValue)

public:
    explicit QMeter(QWidget* parent = nullptr);

    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    double value() const { return m_value; }
    void setMinValue(double min);
    void setMaxValue(double max);

    QSize minimumSizeHint() const override;

public slots:
    // Clamps into [min, max], stores and repaints; emits nothing.
    void setValue(double value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_min = 0;
    double m_max = 100;
    double m_value = 0;
};
