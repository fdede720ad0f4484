#include "Spinner.h"

#include "ChatContext.h"

#include <QCursor>
#include <QDebug>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QTime>
#include <limits>

Spinner::Spinner(const QString& path, QSize size, double speed)
    : m_width(size.width())
    , m_height(size.height())
    , m_pixmap(ChatContext::CachedPixmap(path))
    , m_speed(speed)
{
    setCursor(QCursor(Qt::ArrowCursor));
    // Told when the row moves it, so the failure's words can follow.
    setFlag(ItemSendsGeometryChanges);
    m_timer.setInterval(33);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (scene())
            scene()->invalidate(sceneBoundingRect(), QGraphicsScene::AllLayers);
    });
}

void Spinner::setOnScreen(bool onScreen)
{
    // Only a spinner still waiting turns.
    if (onScreen && m_state == Loading)
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
        // A failure is said in words too, beside the retry mark.
        if (!m_failure) {
            QFont font = ChatContext::ItemFont();
            font.setPixelSize(12);
            m_failure = new QGraphicsSimpleTextItem(m_failureWords, this);
            m_failure->setFont(font);
            m_failure->setBrush(QColor("#f74945"));
        }
        PlaceFailureWords();
        m_failure->show();
        m_timer.stop();
    } else if (state == Finished) {
        Finish();
    }
    m_state = state;
    update();
}

void Spinner::Finish()
{
    // A hidden spinner has nothing to turn.
    m_finished = true;
    m_timer.stop();
    if (m_failure)
        m_failure->hide();
}

QVariant Spinner::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemPositionHasChanged)
        PlaceFailureWords();
    return ChatLineContent::itemChange(change, value);
}

void Spinner::PlaceFailureWords()
{
    if (!m_failure)
        return;
    const QRectF text = m_failure->boundingRect();
    const double beside = m_failureOnLeft ? -m_width / 2.0 - text.width() - 2 : m_width / 2.0 + 2;
    // Rows span the panel less the log's margin; where that leaves no room
    // beside the mark (the narrowest window), the words go under it, flush
    // with its side away from the picture.
    const double right = ChatContext::PanelWidth(std::numeric_limits<double>::max()) - 12;
    const double left = pos().x() + beside;
    if (left >= 0 && left + text.width() <= right) {
        m_failure->setPos(beside, -text.height() / 2.0);
        return;
    }
    const double under = m_failureOnLeft ? m_width / 2.0 - text.width() : -m_width / 2.0;
    m_failure->setPos(qBound(-pos().x(), under, right - pos().x() - text.width()), m_height / 2.0 + 2);
}

void Spinner::setFailureWords(const QString& words, bool onLeft)
{
    m_failureWords = words;
    m_failureOnLeft = onLeft;
}

QString Spinner::failureText() const
{
    return m_failure && m_failure->isVisible() ? m_failure->text() : QString();
}

void Spinner::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    qDebug() << "into Spinner::mousePressEvent, and filename:" << m_tag;
    event->accept();
    Finish();
    m_state = Finished;
    update();
}
