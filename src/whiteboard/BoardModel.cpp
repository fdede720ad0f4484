#include "BoardModel.h"

#include "Shape.h"
#include "ShapeCodec.h"

#include <QDebug>
#include <QThread>

namespace {
// Most local changes kept for a history that has not answered yet.
const int kMaxChangesKept = 5000;

// The topmost entry carrying the id; null without one or without a stack.
Shape* TopmostWithId(const ShapeStack* shapes, const QString& shapeId)
{
    if (!shapes)
        return nullptr;
    for (int i = shapes->size() - 1; i >= 0; --i) {
        if (shapes->at(i)->m_shapeId == shapeId)
            return shapes->at(i);
    }
    return nullptr;
}
} // namespace

BoardModel::Guard::Guard(BoardModel& model)
    : m_model(&model)
{
    model.m_lock.lock();
    model.m_holder.storeRelease(QThread::currentThread());
}

BoardModel::Guard::Guard(Guard&& other) noexcept
    : m_model(other.m_model)
{
    other.m_model = nullptr;
}

BoardModel::Guard::~Guard()
{
    if (!m_model)
        return;
    m_model->m_holder.storeRelease(nullptr);
    m_model->m_lock.unlock();
}

const ShapeStack* BoardModel::Guard::Stack(const QString& board) const
{
    const auto it = m_model->m_shapes.constFind(board);
    return it == m_model->m_shapes.constEnd() ? nullptr : &it.value();
}

const ShapeStack* BoardModel::Guard::RedoStack(const QString& board) const
{
    const auto it = m_model->m_redo.constFind(board);
    return it == m_model->m_redo.constEnd() ? nullptr : &it.value();
}

ShapeStack& BoardModel::Guard::Shapes(const QString& board)
{
    return m_model->m_shapes[board];
}

ShapeStack& BoardModel::Guard::Redos(const QString& board)
{
    return m_model->m_redo[board];
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

BoardVersion BoardModel::Guard::Version(const QString& board) const
{
    const quint64 cleared = m_model->m_clearedAt;
    return m_model->m_versions.value(board, BoardVersion { cleared, cleared });
}

void BoardModel::Guard::Changed(const QString& board, bool redraw)
{
    auto version = m_model->m_versions.find(board);
    if (version == m_model->m_versions.end()) {
        // Unchanged since the last Clear(): empty, as a picture of that
        // moment shows it.
        const quint64 cleared = m_model->m_clearedAt;
        version = m_model->m_versions.insert(board, BoardVersion { cleared, cleared });
    }
    version->revision = ++m_model->m_stamp;
    if (redraw)
        version->redraw = version->revision;
}

void BoardModel::Guard::Append(const QString& board, const QVector<Shape*>& entries)
{
    ShapeStack& shapes = Shapes(board);
    const auto redo = m_model->m_redo.find(board);
    if (redo != m_model->m_redo.end()) {
        while (!redo->isEmpty()) {
            Shape* shape = redo->takeLast();
            qDebug() << "in mousePressEvent clear redo stack, shape id:" << shape->m_shapeId;
            delete shape;
        }
    }
    shapes += entries;
    // The redo stack is never drawn: the shapes only grew at the top.
    Changed(board, false);
}

int BoardModel::Guard::Undo(const QString& board)
{
    const ShapeStack* current = Stack(board);
    if (!current || current->isEmpty())
        return 0;
    ShapeStack& shapes = Shapes(board);
    qDebug() << " \n enter WhiteBoardWidget::Undo() loop, and stack.size: " << shapes.size();
    // A stroke is every entry carrying the marker's id: a segment that
    // happens to lie at (0, 0) never cuts it short.
    const int moved = shapes.last()->GetType() == Shape::TypePen
        ? MoveId(shapes, Redos(board), shapes.last()->m_shapeId)
        : MoveTop(shapes, Redos(board));
    Changed(board, true);
    return moved;
}

int BoardModel::Guard::Redo(const QString& board)
{
    const ShapeStack* current = RedoStack(board);
    if (!current || current->isEmpty())
        return 0;
    ShapeStack& redo = Redos(board);
    qDebug() << " enter WhiteBoardWidget::Redo() loop, and stack.size: " << redo.size()
             << ",shape_id:" << redo.last()->m_shapeId;
    const int moved = redo.last()->GetType() == Shape::TypePen ? MoveId(redo, Shapes(board), redo.last()->m_shapeId)
                                                               : MoveTop(redo, Shapes(board));
    // Back on top of the others: only pushed.
    Changed(board, false);
    return moved;
}

int BoardModel::Guard::Reset(const QString& board)
{
    const ShapeStack* current = Stack(board);
    if (!current || current->isEmpty())
        return 0;
    ShapeStack& shapes = Shapes(board);
    ShapeStack& redo = Redos(board);
    const int moved = shapes.size();
    while (!shapes.isEmpty())
        redo.append(shapes.takeLast());
    Changed(board, true);
    return moved;
}

int BoardModel::Guard::Erase(const QString& board, const QString& shapeId)
{
    const ShapeStack* current = Stack(board);
    if (!current || current->isEmpty())
        return 0;
    const int moved = MoveId(Shapes(board), Redos(board), shapeId);
    if (moved > 0)
        Changed(board, true);
    return moved;
}

const Shape* BoardModel::Guard::Find(const QString& board, const QString& shapeId) const
{
    return TopmostWithId(Stack(board), shapeId);
}

Shape* BoardModel::Guard::Edit(const QString& board, const QString& shapeId)
{
    Shape* shape = TopmostWithId(Stack(board), shapeId);
    if (shape)
        Changed(board, true);
    return shape;
}

bool BoardModel::Guard::MoveText(const QString& board, const QString& shapeId, const QPoint& at)
{
    // Only texts move; a stroke's marker given a position would draw.
    const Shape* found = Find(board, shapeId);
    if (!found || found->GetType() != Shape::TypeText)
        return false;
    Edit(board, shapeId)->SetPoints(at.x(), at.y(), at.x(), at.y(), false);
    return true;
}

void BoardModel::Guard::Replace(const QString& board, const QVector<Shape*>& entries)
{
    ClearBoard(board);
    Redos(board);
    Shapes(board) = entries;
    Changed(board, true);
}

void BoardModel::Guard::RollBackTo(const QString& board, const QString& shapeId)
{
    const ShapeStack* shapes = Stack(board);
    if (!shapes)
        return;
    while (!shapes->isEmpty() && shapes->last()->m_shapeId != shapeId) {
        if (Undo(board) == 0)
            break;
    }
}

void BoardModel::Guard::ClearBoard(const QString& board)
{
    bool cleared = false;
    for (auto* stacks : { &m_model->m_shapes, &m_model->m_redo }) {
        const auto it = stacks->find(board);
        if (it == stacks->end())
            continue;
        cleared = cleared || !it->isEmpty();
        qDeleteAll(*it);
        it->clear();
    }
    if (cleared)
        Changed(board, true);
}

void BoardModel::Guard::Apply(const BoardAction& action, QWidget* canvas)
{
    const QString& board = action.whiteboardId;
    switch (action.type) {
    case 321: {
        const QVector<Shape*> entries = ShapeCodec::FromJson(ShapeCodec::ToJson(action.shape), board, canvas);
        if (!entries.isEmpty())
            Append(board, entries);
        break;
    }
    case 323:
        Undo(board);
        break;
    case 324:
        Redo(board);
        break;
    case 325:
        Reset(board);
        break;
    case 326:
        Erase(board, action.shape.shapeId);
        break;
    case 327:
        if (!action.shape.points.isEmpty())
            MoveText(board, action.shape.shapeId, action.shape.points.first());
        break;
    default:
        break;
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
    const QVector<const Shape*> shape(entries.cbegin(), entries.cend());
    guard.PushOutgoing({ 321, board, ShapeCodec::Snapshot(shape, colorName, fontSize) });
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
    return QueueTextMove(board, shapeId, &at);
}

bool BoardModel::LocalTextInPlace(const QString& board, const QString& shapeId)
{
    return QueueTextMove(board, shapeId, nullptr);
}

bool BoardModel::QueueTextMove(const QString& board, const QString& shapeId, const QPoint* at)
{
    Guard guard(*this);
    const Shape* text = guard.Find(board, shapeId);
    if (!text || text->GetType() != Shape::TypeText)
        return false;
    if (at && !guard.MoveText(board, shapeId, *at))
        return false;
    guard.PushOutgoing({ 327, board, ShapeCodec::Snapshot({ text }, text->m_colorName, text->m_fontSize) });
    return true;
}

bool BoardModel::TakeOutgoing(int type, BoardAction& action)
{
    Guard guard(*this);
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
        m_versions.clear();
        m_clearedAt = ++m_stamp;
        m_historyAsked = 0;
        m_historyAnswered = 0;
        m_sentSinceHistory.clear();
    }
    for (const auto* stacks : { &shapes, &redo }) {
        for (const ShapeStack& stack : *stacks)
            qDeleteAll(stack);
    }
}

void BoardModel::ConnectionOpened()
{
    Guard guard(*this);
    m_historyAsked = 0;
    m_historyAnswered = 0;
    m_sentSinceHistory.clear();
}

void BoardModel::HistoryAsked()
{
    Guard guard(*this);
    ++m_historyAsked;
}

void BoardModel::ChangeSent(const BoardAction& action)
{
    Guard guard(*this);
    if (m_historyAnswered >= m_historyAsked)
        return;
    if (m_sentSinceHistory.size() >= kMaxChangesKept) {
        qWarning() << "[ERROR] ChangeSent, the history is late; the oldest change sent is forgotten";
        m_sentSinceHistory.removeFirst();
    }
    m_sentSinceHistory.append({ m_historyAsked, action });
}

QVector<BoardAction> BoardModel::HistoryAnswered()
{
    Guard guard(*this);
    QVector<BoardAction> missing;
    if (m_historyAnswered >= m_historyAsked) // an answer nobody here asked for
        return missing;
    const int answer = ++m_historyAnswered;
    // Changes sent before this request are in this answer; those sent
    // after it, in none answered yet.
    for (const auto& sent : qAsConst(m_sentSinceHistory)) {
        if (sent.first >= answer)
            missing << sent.second;
    }
    while (!m_sentSinceHistory.isEmpty() && m_sentSinceHistory.first().first <= answer)
        m_sentSinceHistory.removeFirst();
    if (m_historyAnswered == m_historyAsked)
        m_sentSinceHistory.clear();
    return missing;
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
