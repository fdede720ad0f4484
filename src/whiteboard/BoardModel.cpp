#include "BoardModel.h"

#include "Shape.h"
#include "ShapeCodec.h"

#include <QDebug>
#include <QThread>

BoardModel::Guard::Guard(BoardModel& model, bool reading)
    : m_model(&model)
    , m_reading(reading)
{
    model.m_lock.lock();
    model.m_holder.storeRelease(QThread::currentThread());
}

BoardModel::Guard::Guard(Guard&& other) noexcept
    : m_model(other.m_model)
    , m_reading(other.m_reading)
{
    other.m_model = nullptr;
}

BoardModel::Guard::~Guard()
{
    if (!m_model)
        return;
    if (!m_reading)
        ++m_model->m_revision;
    m_model->m_holder.storeRelease(nullptr);
    m_model->m_lock.unlock();
}

ShapeStack* BoardModel::Guard::Stack(const QString& board, bool create)
{
    auto it = m_model->m_shapes.find(board);
    if (it == m_model->m_shapes.end()) {
        if (!create)
            return nullptr;
        it = m_model->m_shapes.insert(board, ShapeStack());
    }
    return &it.value();
}

ShapeStack* BoardModel::Guard::RedoStack(const QString& board, bool create)
{
    auto it = m_model->m_redo.find(board);
    if (it == m_model->m_redo.end()) {
        if (!create)
            return nullptr;
        it = m_model->m_redo.insert(board, ShapeStack());
    }
    return &it.value();
}

QStringList BoardModel::Guard::Boards() const
{
    QStringList boards = m_model->m_shapes.keys();
    for (const QString& board : m_model->m_redo.keys()) {
        if (!m_model->m_shapes.contains(board))
            boards << board;
    }
    return boards;
}

void BoardModel::Guard::Append(const QString& board, const QVector<Shape*>& entries)
{
    ShapeStack* shapes = Stack(board, true);
    if (ShapeStack* redo = RedoStack(board, false)) {
        while (!redo->isEmpty()) {
            Shape* shape = redo->takeLast();
            qDebug() << "in mousePressEvent clear redo stack, shape id:" << shape->m_shapeId;
            delete shape;
        }
    }
    *shapes += entries;
}

int BoardModel::Guard::Undo(const QString& board)
{
    ShapeStack* shapes = Stack(board, false);
    if (!shapes || shapes->isEmpty())
        return 0;
    ShapeStack* redo = RedoStack(board, true);
    qDebug() << " \n enter WhiteBoardWidget::Undo() loop, and stack.size: " << shapes->size();
    // A stroke is every entry carrying the marker's id: a segment that
    // happens to lie at (0, 0) never cuts it short.
    if (shapes->last()->GetType() == Shape::TypePen)
        return MoveId(*shapes, *redo, shapes->last()->m_shapeId);
    return MoveTop(*shapes, *redo);
}

int BoardModel::Guard::Redo(const QString& board)
{
    ShapeStack* redo = RedoStack(board, false);
    if (!redo || redo->isEmpty())
        return 0;
    ShapeStack* shapes = Stack(board, true);
    qDebug() << " enter WhiteBoardWidget::Redo() loop, and stack.size: " << redo->size()
             << ",shape_id:" << redo->last()->m_shapeId;
    if (redo->last()->GetType() == Shape::TypePen)
        return MoveId(*redo, *shapes, redo->last()->m_shapeId);
    return MoveTop(*redo, *shapes);
}

int BoardModel::Guard::Reset(const QString& board)
{
    ShapeStack* shapes = Stack(board, false);
    if (!shapes || shapes->isEmpty())
        return 0;
    ShapeStack* redo = RedoStack(board, true);
    const int moved = shapes->size();
    while (!shapes->isEmpty())
        redo->append(shapes->takeLast());
    return moved;
}

int BoardModel::Guard::Erase(const QString& board, const QString& shapeId)
{
    ShapeStack* shapes = Stack(board, false);
    if (!shapes || shapes->isEmpty())
        return 0;
    return MoveId(*shapes, *RedoStack(board, true), shapeId);
}

Shape* BoardModel::Guard::Find(const QString& board, const QString& shapeId) const
{
    const auto it = m_model->m_shapes.constFind(board);
    if (it == m_model->m_shapes.constEnd())
        return nullptr;
    const ShapeStack* shapes = &it.value();
    for (int i = shapes->size() - 1; i >= 0; --i) {
        if (shapes->at(i)->m_shapeId == shapeId)
            return shapes->at(i);
    }
    return nullptr;
}

void BoardModel::Guard::Replace(const QString& board, const QVector<Shape*>& entries)
{
    ClearBoard(board);
    RedoStack(board, true);
    *Stack(board, true) = entries;
}

void BoardModel::Guard::RollBackTo(const QString& board, const QString& shapeId)
{
    ShapeStack* shapes = Stack(board, false);
    if (!shapes)
        return;
    while (!shapes->isEmpty() && shapes->last()->m_shapeId != shapeId) {
        if (Undo(board) == 0)
            break;
    }
}

void BoardModel::Guard::ClearBoard(const QString& board)
{
    for (ShapeStack* stack : { Stack(board, false), RedoStack(board, false) }) {
        if (!stack)
            continue;
        while (!stack->isEmpty())
            delete stack->takeLast();
    }
}

void BoardModel::Guard::PushOutgoing(const BoardAction& action)
{
    m_model->m_outgoing.enqueue(action);
}

int BoardModel::MoveId(ShapeStack& from, ShapeStack& to, const QString& shapeId)
{
    int moved = 0;
    for (int i = from.size() - 1; i >= 0; --i) {
        if (from.at(i)->m_shapeId == shapeId) {
            to.append(from.takeAt(i));
            ++moved;
        }
    }
    return moved;
}

int BoardModel::MoveTop(ShapeStack& from, ShapeStack& to)
{
    if (from.isEmpty())
        return 0;
    to.append(from.takeLast());
    return 1;
}

BoardModel::~BoardModel()
{
    Clear();
}

void BoardModel::LocalAppend(
    const QString& board, const QVector<Shape*>& entries, const QString& colorName, int fontSize)
{
    if (entries.isEmpty())
        return;
    Guard guard(*this);
    guard.Append(board, entries);
    guard.PushOutgoing({ 321, board, ShapeCodec::Snapshot(entries, colorName, fontSize) });
}

int BoardModel::LocalUndo(const QString& board)
{
    return LocalStackChange(323, board);
}

int BoardModel::LocalRedo(const QString& board)
{
    return LocalStackChange(324, board);
}

int BoardModel::LocalReset(const QString& board)
{
    return LocalStackChange(325, board);
}

int BoardModel::LocalStackChange(int type, const QString& board)
{
    Guard guard(*this);
    const int moved = type == 323 ? guard.Undo(board) : type == 324 ? guard.Redo(board) : guard.Reset(board);
    if (moved > 0)
        guard.PushOutgoing({ type, board, {} });
    return moved;
}

int BoardModel::LocalErase(const QString& board, const QString& shapeId)
{
    Guard guard(*this);
    const int moved = guard.Erase(board, shapeId);
    if (moved > 0) {
        BoardAction action { 326, board, {} };
        action.shape.shapeId = shapeId;
        guard.PushOutgoing(action);
    }
    return moved;
}

bool BoardModel::LocalMoveText(const QString& board, const QString& shapeId, const QPoint& at)
{
    Guard guard(*this);
    Shape* text = guard.Find(board, shapeId);
    if (!text || text->GetType() != Shape::TypeText)
        return false;
    text->SetPoints(at.x(), at.y(), at.x(), at.y(), false);
    guard.PushOutgoing({ 327, board, ShapeCodec::Snapshot({ text }, text->m_colorName, text->m_fontSize) });
    return true;
}

bool BoardModel::TakeOutgoing(int type, BoardAction& action)
{
    Guard guard(*this, true); // the stacks stay as they are
    for (int i = 0; i < m_outgoing.size(); ++i) {
        if (m_outgoing.at(i).type == type) {
            action = m_outgoing.takeAt(i);
            return true;
        }
    }
    return false;
}

void BoardModel::Clear()
{
    QMap<QString, ShapeStack> shapes;
    QMap<QString, ShapeStack> redo;
    {
        Guard guard(*this);
        shapes.swap(m_shapes);
        redo.swap(m_redo);
        m_outgoing.clear();
    }
    for (const auto* stacks : { &shapes, &redo }) {
        for (const ShapeStack& stack : *stacks)
            qDeleteAll(stack);
    }
}

QString BoardModel::GetCurrentBoard() const
{
    QMutexLocker lock(&m_localLock);
    return m_currentBoard;
}

void BoardModel::SetCurrentBoard(const QString& board)
{
    QMutexLocker lock(&m_localLock);
    m_currentBoard = board;
}

QString BoardModel::GetColorName() const
{
    QMutexLocker lock(&m_localLock);
    return m_colorName;
}

void BoardModel::SetColorName(const QString& name)
{
    QMutexLocker lock(&m_localLock);
    m_colorName = name;
}

int BoardModel::GetFontSize() const
{
    QMutexLocker lock(&m_localLock);
    return m_fontSize;
}

void BoardModel::SetFontSize(int size)
{
    QMutexLocker lock(&m_localLock);
    m_fontSize = size;
}

bool BoardModel::IsLockedByThisThread() const
{
    return m_holder.loadAcquire() == QThread::currentThread();
}
