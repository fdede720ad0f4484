#pragma once

#include <QColor>
#include <QObject>
#include <QProgressBar>

class QtMaterialProgress;

// The sliding block's offset (0 to 1) of a linear progress; writing it
// repaints.
class QtMaterialProgressDelegate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qreal offset WRITE setOffset READ offset)

public:
    explicit QtMaterialProgressDelegate(QtMaterialProgress* parent);

    void setOffset(qreal offset);
    qreal offset() const { return m_offset; }

private:
    QtMaterialProgress* m_bar;
    qreal m_offset = 0;
};

// A thin progress bar with a block that slides across it once a second,
// endlessly (the course home page's busy bar).
class QtMaterialProgress : public QProgressBar
{
    Q_OBJECT
    Q_PROPERTY(QColor progressColor WRITE setProgressColor READ progressColor)
    Q_PROPERTY(QColor backgroundColor WRITE setBackgroundColor READ backgroundColor)

public:
    // 1: the block slides without end; any other: the value is drawn.
    enum ProgressType { Determinate = 0, Indeterminate = 1 };

    explicit QtMaterialProgress(QWidget* parent = nullptr);

    void setProgressColor(const QColor& color);
    QColor progressColor() const;
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QtMaterialProgressDelegate* m_delegate;
    int m_progressType = Indeterminate;
    QColor m_progressColor;
    QColor m_backgroundColor;
    bool m_followTheme = true;
};
