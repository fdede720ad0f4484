// The board's tools that point rather than draw: the text editor, picking
// up and moving texts, the eraser's highlight and the laser pointer, with
// the board's event filter that routes the mouse to them. GUI thread.
#include "WhiteBoardWidget.h"

#include "BoardHitTest.h"
#include "BoardModel.h"
#include "Shape.h"
#include "TextEdit.h"
#include "app/Nexus.h"
#include "app/SharedFunctions.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace {
const QColor kHighlight(255, 9, 255);
constexpr int kLaserIntervalMs = 100;
constexpr int kLaserShownMs = 1000;
} // namespace

// ---- the event filter

bool WhiteBoardWidget::FiltersInput(QObject* watched) const
{
    if (watched != this || !Session())
        return false;
    if (PaletteZooms() || !HasWhiteboardRight())
        return false;
    return true;
}

bool WhiteBoardWidget::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool input = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        || type == QEvent::MouseMove || type == QEvent::Leave;
    if (!input || !FiltersInput(watched))
        return QWidget::eventFilter(watched, event);
    switch (type) {
    case QEvent::MouseButtonPress: {
        m_textMovePending = !m_grabbedId.isEmpty();
        if (m_vShapeType != 4 && m_textEdit->isHidden())
            return false;
        if (!m_grabbedId.isEmpty())
            return false;
        ActiveTextEdit(static_cast<QMouseEvent*>(event));
        return true;
    }
    case QEvent::MouseButtonDblClick:
        if (m_vShapeType == 5 || m_vShapeType == 7 || m_vShapeType == 8 || !m_grabbedId.isEmpty())
            return false;
        ActiveTextEdit(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseMove: {
        if (m_vShapeType == 5 || m_vShapeType == 6 || m_pressed)
            return false;
        const QPoint at = static_cast<QMouseEvent*>(event)->pos();
        if (!m_textMovePending) {
            OnShapeHighlight4Text(MapToBoard(at.x(), at.y(), 1.0));
            return false;
        }
        if (m_grabbedId.isEmpty())
            return false;
        OnShapeMovement4Text(MapToBoard(at.x(), at.y(), 1.0));
        return true;
    }
    case QEvent::Leave:
        if (UnShapeHighlight4Text())
            update();
        // The eraser lets go too: a shape left highlighted while the mouse
        // is elsewhere would look about to go.
        UnShapeHighlight(m_highlightedId);
        return false;
    default:
        return false;
    }
}

// ---- the text editor

void WhiteBoardWidget::StyleTextEdit()
{
    const int pixels = static_cast<int>(height() * m_zoom * m_textEdit->GetFontSize() / 600);
    m_textEdit->ApplyStyle(qMax(1, pixels), m_colorName);
}

void WhiteBoardWidget::ActiveTextEdit(QMouseEvent* event)
{
    // A text needs a board to go on: none before a page is shown.
    if (GetCurrWhiteboardId().isEmpty()) {
        qDebug() << "into ActiveTextEdit, no whiteboard shown and no text";
        return;
    }
    if (m_textEdit->isVisible()) {
        CommitText();
        return;
    }
    m_textAnchor = MapToBoard(event->pos().x(), event->pos().y(), m_zoom);
    const QPoint related = mapFromGlobal(event->globalPos());
    qDebug() << "into ActiveTextEdit, _cursorPoint:" << event->globalPos() << ",_relatePoint:" << related;
    m_textEdit->move(related);
    m_textEdit->SetMaximumArea(width() - related.x(), height() - related.y());
    StyleTextEdit();
    m_textEdit->setFocus(Qt::OtherFocusReason);
    m_textEdit->show();
    m_textEdit->raise();
}

void WhiteBoardWidget::CommitText()
{
    const QString board = GetCurrWhiteboardId();
    BoardModel* model = Model();
    if (!m_textEdit->toPlainText().isEmpty() && model) {
        const QString text = m_textEdit->GetAmendText();
        qDebug() << "in whiteboard eventFilter, plain text:" << text;
        auto* shape = new Text();
        shape->m_shapeId = CreateUuidString();
        shape->m_whiteboardId = board;
        shape->m_canvas = m_canvas;
        shape->SetText(text);
        shape->SetStyle({ m_penColor, m_fillColor, m_thickness });
        shape->m_colorName = m_colorName;
        shape->m_fontSize = m_textEdit->GetFontSize();
        shape->SetPoints(m_textAnchor.x(), m_textAnchor.y(), m_textAnchor.x(), m_textAnchor.y(), false);
        // On the stack and queued for the room in one locked step; the
        // request follows once the lock is gone.
        model->LocalAppend(board, { shape }, m_colorName, shape->m_fontSize);
        m_textAnchor = QPoint();
        update();
        emit Session()->LocalNewShape(Shape::TypeText);
    }
    m_textEdit->hide();
    if (!m_textEdit->toPlainText().isEmpty())
        m_textEdit->clear();
}

// ---- picking up and moving texts

void WhiteBoardWidget::OnShapeHighlight4Text(QPoint point)
{
    const QString before = m_textHighlighted ? m_grabbedId : QString();
    m_grabbedId.clear();
    m_textHighlighted = false;
    const QSize canvas = m_canvas ? m_canvas->size() : QSize();
    if (const Shape* text = BoardHitTest::TextHit(ShownShapes(), point, canvas)) {
        m_grabbedId = text->m_shapeId;
        m_grabOffset = point - text->GetStartPoint();
        m_textHighlighted = true;
    }
    if (before != (m_textHighlighted ? m_grabbedId : QString()))
        update();
    if (m_textHighlighted)
        setCursor(Qt::SizeAllCursor);
    else if (cursor().shape() == Qt::SizeAllCursor)
        EnterShapeMode(m_vShapeType);
}

bool WhiteBoardWidget::UnShapeHighlight4Text()
{
    // A text being dragged keeps its highlight.
    if (!m_textHighlighted || m_textMovePending)
        return false;
    m_textHighlighted = false;
    m_grabbedId.clear();
    return true;
}

void WhiteBoardWidget::OnShapeMovement4Text(QPoint point)
{
    m_dragging = true;
    // Dragged past the page's edge, a text stays on it.
    const QPoint at = point - m_grabOffset;
    m_dragAt = QPoint(qBound(0, at.x(), 800), qBound(0, at.y(), 600));
    update();
}

void WhiteBoardWidget::FinishTextMove()
{
    const QString shapeId = m_grabbedId;
    const QString board = GetCurrWhiteboardId();
    const bool dragged = m_dragging;
    const QPoint at = m_dragAt;
    m_textMovePending = false;
    m_dragging = false;
    m_grabbedId.clear();
    m_textHighlighted = false;
    update();
    BoardModel* model = Model();
    if (!model || board.isEmpty())
        return;
    bool found = false;
    for (const Shape* shape : ShownShapes()) {
        if (shape->m_shapeId == shapeId && shape->GetType() == Shape::TypeText) {
            found = true;
            // A press and release in place announces the text where it is.
            if (dragged && at != shape->GetStartPoint())
                found = model->LocalMoveText(board, shapeId, at);
            else
                found = model->LocalTextInPlace(board, shapeId);
            break;
        }
    }
    if (!found) {
        qDebug() << "into mouseReleaseEvent, the text moved is gone, shapeId:" << shapeId;
        return;
    }
    emit Session()->LocalShapeMove(shapeId);
}

// ---- the eraser

void WhiteBoardWidget::OnShapeHighlight(QPoint point)
{
    const QSize canvas = m_canvas ? m_canvas->size() : QSize();
    const QString hit = BoardHitTest::EraserHit(ShownShapes(), point, canvas);
    if (hit == m_highlightedId)
        return;
    UnShapeHighlight(m_highlightedId);
    ShapeHighlightById(hit);
}

void WhiteBoardWidget::ShapeHighlightById(const QString& shapeId)
{
    if (shapeId.isEmpty() || shapeId == m_highlightedId)
        return;
    m_highlightedId = shapeId;
    update();
}

void WhiteBoardWidget::UnShapeHighlight(const QString& shapeId)
{
    if (shapeId.isEmpty() || shapeId != m_highlightedId)
        return;
    m_highlightedId.clear();
    update();
}

void WhiteBoardWidget::EraseHighlighted()
{
    const QString shapeId = m_highlightedId;
    if (shapeId.isEmpty())
        return;
    UnShapeHighlight(shapeId);
    OnShapeEraserById(shapeId);
}

void WhiteBoardWidget::PaintOverlay(QPainter& painter)
{
    const QString text = m_textHighlighted || m_dragging ? m_grabbedId : QString();
    if (m_highlightedId.isEmpty() && text.isEmpty())
        return;
    for (const auto& shape : m_mirror.entries) {
        const bool erased = !m_highlightedId.isEmpty() && shape->m_shapeId == m_highlightedId;
        const bool picked = !text.isEmpty() && shape->m_shapeId == text && shape->GetType() == Shape::TypeText;
        if (!erased && !picked)
            continue;
        std::unique_ptr<Shape> shown(shape->Clone());
        shown->m_penColor = kHighlight;
        if (picked && m_dragging)
            shown->SetPoints(m_dragAt.x(), m_dragAt.y(), m_dragAt.x(), m_dragAt.y(), false);
        shown->Draw(&painter, m_zoom);
    }
}

// ---- the laser pointer

QWidget* WhiteBoardWidget::GetLaserImage() const
{
    return m_laserImage;
}

void WhiteBoardWidget::SetShape4LaserPointer()
{
    SelectTool(6);
    // Where the laser pointed before is no longer where the mouse is.
    m_vPoint4LasterPoint = QPoint();
    m_lastLaserPoint = QPoint();
    m_laserNotifyTimer->start(kLaserIntervalMs);
    const QPixmap pointer(QStringLiteral(":/resource/whiteboard/x1/lasterpoint.png"));
    setCursor(pointer.isNull() ? QCursor(Qt::CrossCursor) : QCursor(pointer));
}

void WhiteBoardWidget::NotifyLaserPointPos()
{
    const QPoint point = m_vPoint4LasterPoint;
    if (point.x() < 0 || point.y() < 0 || point == m_lastLaserPoint || !HasWhiteboardRight())
        return;
    if (m_laserImage->isVisible())
        m_laserImage->hide();
    qDebug() << "m_vPoint4LasterPoint:" << point;
    emit Session()->NotifyLaserPointPos(point);
    m_lastLaserPoint = point;
}

void WhiteBoardWidget::StopLasterPointTimer()
{
    if (m_laserNotifyTimer->isActive())
        m_laserNotifyTimer->stop();
    if (m_laserImage->isVisible())
        m_laserImage->hide();
    setCursor(Qt::ArrowCursor);
}

void WhiteBoardWidget::HideLaserPointPos()
{
    m_laserImage->hide();
}

void WhiteBoardWidget::OnRemoteLaserPoint(QPoint point, QString presentationId)
{
    m_laserHideTimer->start(kLaserShownMs);
    DataManager* session = Session();
    const QString shown = session ? session->GetPresentationIdByWhiteboardId(GetCurrWhiteboardId()) : QString();
    if (!presentationId.isEmpty() && presentationId != shown)
        return;
    if (point.x() < 0 || point.x() > 800 || point.y() < 0 || point.y() > 600) {
        qDebug() << "into OnRemoteLaserPoint, a point outside the board is not shown:" << point;
        m_laserImage->hide();
        return;
    }
    const int w = m_canvas ? m_canvas->width() : 0;
    const int h = m_canvas ? m_canvas->height() : 0;
    if (w <= 0 || h <= 0)
        return;
    // The image hangs right of and below the point, by its top left corner.
    if (m_zoom == 1.0)
        m_laserImage->move(int(qint64(w) * point.x() / 800), int(qint64(h) * point.y() / 600));
    else
        m_laserImage->move(int(w * point.x() * m_zoom / 800), int(h * point.y() * m_zoom) / 600);
    m_laserImage->show();
    m_laserImage->raise();
}

void WhiteBoardWidget::OnWhiteboardRightLost()
{
    if (m_textEdit->isVisible())
        m_textEdit->hide();
    DiscardLive();
    m_pressed = false;
    m_textMovePending = false;
    m_dragging = false;
    m_grabbedId.clear();
    m_textHighlighted = false;
    m_highlightedId.clear();
    StopLasterPointTimer();
    update();
}
