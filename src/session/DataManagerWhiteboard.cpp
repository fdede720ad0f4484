// The whiteboard's room messages: the local changes the widget queued in the
// board model leave as 321 and 323 to 327, and the changes of the others and
// the room's history are applied to the model. "Profile Manager" thread.
#include "DataManager.h"

#include "MsgType.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/Shape.h"
#include "whiteboard/ShapeCodec.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace {

const char kBlank[] = "_blank";

// The page view remote shapes scale with; null before the class room is
// built (the widget then gives them its own).
QWidget* RemoteCanvas()
{
    MiddleArea* middle = Nexus::GetMiddleArea();
    return middle ? middle->GetCanvas() : nullptr;
}

// Queued into the GUI thread: the widget repaints the board.
template <typename Signal, typename... Args> void TellBoard(Signal signal, Args... args)
{
    if (WhiteBoardWidget* board = Nexus::GetWhiteBoardWidget())
        emit(board->*signal)(args...);
}

// The entries of the top shape of a stack (a whole stroke), bottom first.
QVector<const Shape*> TopShape(const ShapeStack& stack)
{
    QVector<const Shape*> entries;
    const QString shapeId = stack.last()->m_shapeId;
    for (int i = stack.size() - 1; i >= 0 && stack.at(i)->m_shapeId == shapeId; --i)
        entries.prepend(stack.at(i));
    return entries;
}

} // namespace

// ---- local changes

void DataManager::SendBoardMessage(const BoardAction& action, QJsonObject data, const char* line)
{
    const RoomFields room = GetRoomFields();
    data.insert(QStringLiteral("roomId"), room.m_strRoomId);
    data.insert(QStringLiteral("operatorId"), QString::number(room.m_dwUserId));
    const QString json = Envelope(action.type, room.m_strRoomId, data);
    qDebug() << line << json;
    SendBoardChange(action, json);
}

void DataManager::SendBoardChange(const BoardAction& action, const QString& json)
{
    // A change lost with the connection never reached the room: the
    // history after the reconnection shows the board without it.
    if (SendText(action.type, json) > 0)
        m_boardModel.ChangeSent(action);
}

void DataManager::OnRequest4GetWhiteBdHistory()
{
    if (WebSocketRequestById(MsgWhiteBdHistory, true) > 0)
        m_boardModel.HistoryAsked();
}

void DataManager::OnLocalNewShape(int shapeType)
{
    BoardAction action;
    if (!m_boardModel.TakeOutgoing(MsgNewShape, action)) {
        // A request nobody queued a shape for: the top shape of the current
        // board as it is now.
        action = { MsgNewShape, m_boardModel.GetCurrentBoard(), {} };
        BoardModel::Guard guard = m_boardModel.Lock();
        const ShapeStack* stack = guard.Stack(action.whiteboardId);
        if (!stack) {
            qDebug() << "in OnLocalNewShape and _pStack is null";
            return;
        }
        if (stack->isEmpty())
            return;
        action.shape = ShapeCodec::Snapshot(TopShape(*stack), m_boardModel.GetColorName(), m_boardModel.GetFontSize());
    } else if (action.shape.kind != shapeType) {
        qDebug() << "in OnLocalNewShape, queued shape kind" << action.shape.kind << "sent for request" << shapeType;
        shapeType = action.shape.kind;
    }
    const bool known = shapeType >= Shape::TypeRectangle && shapeType <= Shape::TypeText;
    SendBoardMessage(action, known ? ShapeCodec::ToJson(action.shape) : QJsonObject(), "in palettePainter, json data:");
}

void DataManager::OnLocalRedoUndoAction(int action)
{
    if (action < 1 || action > 3)
        return;
    const int type = MsgUndo + action - 1;
    BoardAction queued;
    if (!m_boardModel.TakeOutgoing(type, queued))
        queued = { type, m_boardModel.GetCurrentBoard(), {} };
    SendBoardMessage(queued, QJsonObject { { QStringLiteral("whiteboardId"), queued.whiteboardId } },
        "into DataManager::OnLocalRedoUndoAction, json data:");
}

void DataManager::OnLocalShapeEraser(QString shapeId)
{
    BoardAction queued;
    if (!m_boardModel.TakeOutgoing(MsgShapeEraser, queued))
        queued = { MsgShapeEraser, m_boardModel.GetCurrentBoard(), {} };
    queued.shape.shapeId = shapeId;
    const RoomFields room = GetRoomFields();
    const QJsonObject data { { QStringLiteral("roomId"), room.m_strRoomId },
        { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("timestamp"), NowMs() / 1000 * 1000 }, { QStringLiteral("whiteboardId"), queued.whiteboardId },
        { QStringLiteral("shapesId"), QJsonArray { shapeId } } };
    const QString json = Envelope(MsgShapeEraser, room.m_strRoomId, data);
    qDebug() << "into DataManager::WebSocketRequestById,type:" << MsgShapeEraser << ",json data:" << json;
    SendBoardChange(queued, json);
}

void DataManager::OnLocalShapeMove(QString shapeId)
{
    BoardAction action;
    if (!m_boardModel.TakeOutgoing(MsgShapeMove, action)) {
        action = { MsgShapeMove, m_boardModel.GetCurrentBoard(), {} };
        BoardModel::Guard guard = m_boardModel.Lock();
        const ShapeStack* stack = guard.Stack(action.whiteboardId);
        if (!stack || stack->isEmpty())
            return;
        for (const Shape* shape : *stack) {
            if (shape->m_shapeId == shapeId) {
                action.shape = ShapeCodec::Snapshot({ shape }, shape->m_colorName, shape->m_fontSize);
                break;
            }
        }
    }
    QJsonObject moved = ShapeCodec::MoveJson(action.shape);
    if (!moved.isEmpty()) {
        const RoomFields room = GetRoomFields();
        moved.insert(QStringLiteral("roomId"), room.m_strRoomId);
        moved.insert(QStringLiteral("operatorId"), QString::number(room.m_dwUserId));
    }
    SendBoardMessage(action,
        QJsonObject { { QStringLiteral("whiteboardId"), action.whiteboardId },
            { QStringLiteral("shapes"), QJsonArray { moved } } },
        "into DataManager::OnLocalShapeMove ,strJson:");
}

void DataManager::OnAddWhiteBoard()
{
    // Not a change of a board's stacks: nothing to make again on a history.
    SendBoardMessage(
        { MsgAddWhiteBoard, QString(), {} }, QJsonObject(), "into DataManager::OnAddWhiteBoard, json data:");
}

void DataManager::ClearShapesById(const QString& whiteboardId)
{
    m_boardModel.Lock().ClearBoard(whiteboardId);
    TellBoard(&WhiteBoardWidget::RemoteUpdate);
}

int DataManager::EraserShapeById(const QString& whiteboardId, const QString& shapeId)
{
    const int moved = m_boardModel.Lock().Erase(whiteboardId, shapeId);
    if (moved > 0)
        TellBoard(&WhiteBoardWidget::RemoteUpdate);
    return moved;
}

// ---- the room's changes

bool DataManager::IsOwnMessage(const QJsonObject& json) const
{
    const QJsonValue source = json.value(QLatin1String("source"));
    const QString sender = source.isDouble() ? QString::number(qint64(source.toDouble())) : source.toString();
    return !sender.isEmpty() && sender == QString::number(GetUserId());
}

void DataManager::GetWhiteboardMsg(const SignallingMessage& message)
{
    qDebug() << "into DataManager::GetWhiteboardMsg, msg received:" << message.Text();
    const QJsonObject& json = message.json;
    for (const char* key : { "type", "timestamp", "source", "dest", "authtoken" }) {
        if (json.contains(QLatin1String(key)))
            qDebug() << key << ":" << json.value(QLatin1String(key));
    }
    const QJsonValue dataValue = json.value(QLatin1String("data"));
    if (!dataValue.isObject())
        return;
    const QJsonObject data = dataValue.toObject();
    const bool own = IsOwnMessage(json);
    if (message.type == MsgLaserPointPos) {
        if (own) {
            qDebug() << "这是一个自己的激光笔消息，忽略. ";
            return;
        }
        const QPoint point(ShapeCodec::Coordinate(data.value(QLatin1String("cursorX"))),
            ShapeCodec::Coordinate(data.value(QLatin1String("cursorY"))));
        TellBoard(&WhiteBoardWidget::RemoteLaserPoint, point, data.value(QLatin1String("presentationId")).toString());
        return;
    }
    if (own) {
        qDebug() << "这是一个自己的白板消息，忽略. ";
        return;
    }
    if (message.type == MsgNewShape)
        ApplyRemoteShape(data);
    else
        ApplyRemoteStackAction(message.type, data);
}

void DataManager::ApplyRemoteShape(const QJsonObject& data)
{
    const QString board = data.value(QLatin1String("whiteboardId")).toString();
    if (board.isEmpty() || board == QLatin1String(kBlank)) {
        qDebug() << "into DataManager::GetWhiteboardMsg, shape without a whiteboard dropped";
        return;
    }
    const QVector<Shape*> entries = ShapeCodec::FromJson(data, board, RemoteCanvas());
    if (entries.isEmpty())
        return;
    m_boardModel.Lock().Append(board, entries);
    TellBoard(&WhiteBoardWidget::RemoteUpdate);
}

// Undo, redo and clear act on the board the message names: a participant
// may be looking at another page than the one changed.
void DataManager::ApplyRemoteStackAction(int type, const QJsonObject& data)
{
    const QString shapeId = data.value(QLatin1String("shapeId")).toString();
    QString board = data.value(QLatin1String("whiteboardId")).toString();
    if (shapeId == QLatin1String(kBlank) || board == QLatin1String(kBlank)) {
        qDebug() << "recv shape id is _blank page, and ignore it.";
        return;
    }
    if (board.isEmpty())
        board = m_boardModel.GetCurrentBoard();
    int moved = 0;
    {
        BoardModel::Guard guard = m_boardModel.Lock();
        if (type == MsgUndo)
            moved = guard.Undo(board);
        else if (type == MsgRedo)
            moved = guard.Redo(board);
        else if (type == MsgReset)
            moved = guard.Reset(board);
    }
    if (moved == 0)
        return;
    if (type == MsgUndo)
        TellBoard(&WhiteBoardWidget::RemoteUndo, board);
    else if (type == MsgRedo)
        TellBoard(&WhiteBoardWidget::RemoteRedo, board);
    else
        TellBoard(&WhiteBoardWidget::RemoteReset, board);
}

bool DataManager::BoardListOf(
    const SignallingMessage& message, const char* key, const char* handler, QJsonObject& data, QJsonArray& list) const
{
    const QString name = QStringLiteral("into DataManager::") + QLatin1String(handler);
    qDebug().noquote() << name + QStringLiteral(", msg received:") << message.Text();
    if (IsOwnMessage(message.json)) {
        qDebug() << "这是一个自己的白板消息，忽略. ";
        return false;
    }
    if (!message.json.contains(QLatin1String("data")))
        return false;
    const QJsonValue value = message.json.value(QLatin1String("data"));
    const QJsonValue array = value.toObject().value(QLatin1String(key));
    if (!value.isObject() || !array.isArray()) {
        qDebug().noquote() << name + QStringLiteral(" and data is invalid");
        return false;
    }
    data = value.toObject();
    list = array.toArray();
    return !list.isEmpty();
}

void DataManager::OnRecvWhiteboardEraserMsg(const SignallingMessage& message)
{
    QJsonObject data;
    QJsonArray ids;
    if (!BoardListOf(message, "shapesId", "OnRecvWhiteboardEraserMsg", data, ids))
        return;
    // An id that is no text would match every shape without an id.
    if (!ids.first().isString()) {
        qDebug() << "into DataManager::OnRecvWhiteboardEraserMsg, shape id is not a text and dropped:" << ids.first();
        return;
    }
    EraserShapeById(data.value(QLatin1String("whiteboardId")).toString(), ids.first().toString());
}

void DataManager::OnRecvWhiteboardMoveMsg(const SignallingMessage& message)
{
    QJsonObject data;
    QJsonArray shapes;
    if (!BoardListOf(message, "shapes", "OnRecvWhiteboardMoveMsg", data, shapes))
        return;
    const QJsonObject moved = shapes.first().toObject();
    const int limit = ShapeCodec::kCoordinateLimit;
    const int x = qBound(-limit, ShapeCodec::WholeNumber(moved.value(QLatin1String("x")), 0), limit);
    const int y = qBound(-limit, ShapeCodec::WholeNumber(moved.value(QLatin1String("y")), 0), limit);
    const QString board = moved.value(QLatin1String("whiteboardId")).toString();
    const QString shapeId = moved.value(QLatin1String("shapeId")).toString();
    if (m_boardModel.Lock().MoveText(board, shapeId, QPoint(x, y)))
        TellBoard(&WhiteBoardWidget::RemoteUpdate);
}

void DataManager::GetWhiteBoardHistoryMsg(const SignallingMessage& message)
{
    qDebug() << "GetWhiteBoardHistoryMsg msg:" << message.Text();
    const QJsonValue boards = message.json.value(QLatin1String("data")).toObject().value(QLatin1String("whiteboards"));
    // Whatever it holds, this is the answer to the oldest request.
    const QVector<BoardAction> missing = m_boardModel.HistoryAnswered();
    if (!boards.isArray() || boards.toArray().isEmpty())
        return;
    QVector<HistoryBoard> read;
    for (const QJsonValue& board : boards.toArray()) {
        if (board.isObject())
            read << ReadHistoryBoard(board.toObject());
    }
    int replayed = 0;
    {
        // One step: the widget never paints half a history.
        BoardModel::Guard guard = m_boardModel.Lock();
        QSet<QString> replaced;
        for (const HistoryBoard& board : qAsConst(read)) {
            // The room's history of a board replaces what the board held,
            // so a history sent again never piles up copies.
            if (board.listed) {
                guard.Replace(board.board, board.entries);
                replaced.insert(board.board);
            }
            if (!board.current.isEmpty())
                guard.RollBackTo(board.board, board.current);
        }
        // What this user changed after asking is not in the answer yet; a
        // board the answer left alone still holds those changes.
        QWidget* canvas = RemoteCanvas();
        for (const BoardAction& action : missing) {
            if (!replaced.contains(action.whiteboardId))
                continue;
            guard.Apply(action, canvas);
            ++replayed;
        }
    }
    if (replayed > 0)
        qDebug() << "GetWhiteBoardHistoryMsg, local changes made again on the history:" << replayed;
    // A late joiner sees the history at once, not at the next repaint.
    TellBoard(&WhiteBoardWidget::RemoteUpdate);
}

DataManager::HistoryBoard DataManager::ReadHistoryBoard(const QJsonObject& entry) const
{
    HistoryBoard read;
    read.board = entry.value(QLatin1String("whiteboardId")).toString();
    read.current = entry.value(QLatin1String("currentShapeId")).toString();
    const QJsonValue list = entry.value(QLatin1String("shapeList"));
    if (read.board.isEmpty() || (list.isArray() && list.toArray().isEmpty())) {
        read.current.clear();
        return read;
    }
    read.listed = list.isArray();
    QWidget* canvas = RemoteCanvas();
    for (const QJsonValue& shape : list.toArray()) {
        if (shape.isObject())
            read.entries += ShapeCodec::FromJson(shape.toObject(), read.board, canvas);
    }
    return read;
}
