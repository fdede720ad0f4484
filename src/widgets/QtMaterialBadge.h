#pragma once

#include <QColor>
#include <QIcon>
#include <QPointF>
#include <QSize>
#include <QString>

#include "widgets/QtMaterialOverlayWidget.h"

// A small mark laid over its parent: a short text or an icon (the state mark
// of a user-list entry). Mouse events pass through it.
class QtMaterialBadge : public QtMaterialOverlayWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor textColor WRITE setTextColor READ textColor)
    Q_PROPERTY(QColor backgroundColor WRITE setBackgroundColor READ backgroundColor)
    Q_PROPERTY(QPointF relativePosition WRITE setRelativePosition READ relativePosition)
    Q_PROPERTY(int widthHint WRITE setWidthHint READ widthHint)
    Q_PROPERTY(int heightHint WRITE setHeightHint READ heightHint)

public:
    explicit QtMaterialBadge(QWidget* parent = nullptr);

    // A text replaces the icon.
    void setText(const QString& text);
    QString text() const { return m_text; }
    // The icon is drawn instead of the text.
    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon; }

    void setTextColor(const QColor& color);
    QColor textColor() const;
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;
    void setRelativePosition(const QPointF& pos);
    void setRelativePosition(qreal x, qreal y);
    QPointF relativePosition() const { return m_relativePosition; }
    void setWidthHint(int hint);
    int widthHint() const { return m_widthHint; }
    void setHeightHint(int hint);
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
