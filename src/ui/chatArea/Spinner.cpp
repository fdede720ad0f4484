#include "Spinner.h"

#include "ChatContext.h"

#include <QCursor>
#include <QDebug>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QTime>

Spinner::Spinner(const QString& path, QSize size, double speed)
    : m_width(size.width())
    , m_height(size.height())
    , m_pixmap(ChatContext::CachedPixmap(path))
    , m_speed(speed)
{
    setCursor(QCursor(Qt::ArrowCursor));
    m_timer.setInterval(33);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (scene())
            scene()->invalidate(sceneBoundingRect(), QGraphicsScene::AllLayers);
    });
}

void Spinner::setOnScreen(bool onScreen)
{
    if (onScreen)
        m_timer.start();
    else
        m_timer.stop();
}

QRectF Spinner::boundingRect() const
{
    return QRectF(-m_width / 2.0, -m_height / 2.0, m_width, m_height);
}

void Spinner::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_finished)
        return;
    painter->save();
    painter->setClipRect(boundingRect());
    painter->setOpacity(m_opacity);
    const double angle = QTime::currentTime().msecsSinceStartOfDay() / 1000.0 * m_speed;
    painter->rotate(m_state == Failed ? 0 : angle);
    painter->translate(-m_width / 2.0, -m_height / 2.0);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(0, 0, m_pixmap);
    painter->restore();
}

void Spinner::setState(int state)
{
    if (state == Failed) {
        m_finished = false;
        m_pixmap = ChatContext::CachedPixmap(QStringLiteral(":/resource/chat/x1/refresh.png"));
    } else if (state == Finished) {
        m_finished = true;
    }
    m_state = state;
    update();
}

void Spinner::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    qDebug() << "into Spinner::mousePressEvent, and filename:" << m_tag;
    event->accept();
    m_finished = true;
    m_state = Finished;
    update();
}
