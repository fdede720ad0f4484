#pragma once

#include "widgets/QtMaterialOverlayWidget.h"

#include <QColor>
#include <QIcon>
#include <QPointF>
#include <QSize>

// A small mark over its parent showing a short text or an icon (the
// presence and camera marks of the user list). It draws no disc of its
// own and lets mouse presses through to the parent.
class QtMaterialBadge : public QtMaterialOverlayWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(QPointF relativePosition READ relativePosition WRITE setRelativePosition)

public:
    explicit QtMaterialBadge(QWidget* parent = nullptr);

    // A text clears the icon; an icon keeps the text but is drawn instead.
    void setText(const QString& text);
    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon; }
    void setTextColor(const QColor& color);
    QColor textColor() const;
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;
    void setRelativePosition(const QPointF& pos);
    void setRelativePosition(qreal x, qreal y) { setRelativePosition(QPointF(x, y)); }
    QPointF relativePosition() const { return m_relativePosition; }
    // 0 means the default 14.
    void setWidthHint(int width);
    int widthHint() const { return m_widthHint; }
    void setHeightHint(int height);
    int heightHint() const { return m_heightHint; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_textColor;
    QColor m_backgroundColor;
    QSize m_textSize { -1, -1 };
    QIcon m_icon;
    QPointF m_relativePosition;
    int m_widthHint = 0;
    int m_heightHint = 0;
    bool m_followTheme = true;
};
