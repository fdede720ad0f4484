#pragma once

#include "ChatLineContent.h"

#include <QPixmap>
#include <QTimer>

class QGraphicsSimpleTextItem;

// The turning loading mark beside a picture that is still on its way; a
// failed upload shows the retry picture instead. It turns only on screen.
class Spinner : public ChatLineContent
{
    Q_OBJECT

public:
    enum State { Loading = 1, Failed = 2, Finished = 4 };

    Spinner(const QString& path, QSize size, double speed);

    void fitToWidth(double) override { }
    void setOnScreen(bool onScreen) override;
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    int type() const override { return 4; }

    void setState(int state);
    int state() const { return m_state; }
    bool isTurning() const { return m_timer.isActive(); }
    // The words a failure shows and on which side of the spinner: away
    // from the picture.
    void setFailureWords(const QString& words, bool onLeft);
    // The words beside a failed spinner; empty unless it failed.
    QString failureText() const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void Finish();
    void PlaceFailureWords();

    int m_width = 0;
    int m_height = 0;
    QPixmap m_pixmap;
    double m_speed = 0;
    QTimer m_timer;
    int m_state = Loading;
    double m_opacity = 1.0;
    QGraphicsSimpleTextItem* m_failure = nullptr;
    QString m_failureWords = QStringLiteral("发送失败");
    bool m_failureOnLeft = true;
};
