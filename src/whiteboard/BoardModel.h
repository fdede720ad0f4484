#pragma once

#include <QMap>
#include <QMutex>
#include <QPair>
#include <QPoint>
#include <QQueue>
#include <QString>
#include <QVector>

class QWidget;
class Shape;

// A whiteboard's shapes, bottom first; the stack owns them.
using ShapeStack = QVector<Shape*>;

// A value copy of a finished local shape: what its room message carries,
// taken when the shape was finished, so later drawing, undo or page changes
// never alter what leaves.
struct ShapeSnapshot {
    int kind = 0; // Shape::Type
    QString shapeId;
    QString whiteboardId;
    QString colorName;
    QString text;
    // Rectangle and line: start and end. Pen stroke: the start point of
    // every segment, oldest first. Text: its anchor.
    QVector<QPoint> points;
    int thickness = 3;
    int fontSize = 18;
};

// One local change waiting for the session thread to send it: the room
// message type (321 new shape, 323 undo, 324 redo, 325 clear, 326 erase,
// 327 text move), the board it was made on and, for 321 and 327, the shape.
struct BoardAction {
    int type = 0;
    QString whiteboardId;
    ShapeSnapshot shape;
};

// How far one board has changed, for painting it: every change raises
// `revision`; a change other than shapes put on top (undo, clear, erase, a
// text moved, a history) also raises `redraw`. While `redraw` stays, the
// stack only grew at its top, so a picture of its first entries stays true.
// Stamps come from one counter of the model and never repeat.
struct BoardVersion {
    quint64 revision = 0;
    quint64 redraw = 0;
    bool operator==(const BoardVersion& other) const { return revision == other.revision && redraw == other.redraw; }
};

// The shape and redo stacks of every whiteboard of the class room, shared by
// the GUI thread (local drawing, painting) and the session thread (remote
// messages, history, outgoing messages).
//
// Locking rule: every stack and every shape on one is reached only through a
// Guard, which holds the one board lock for its lifetime. Nobody emits a
// signal, sends, paints or takes another lock while holding a Guard; callers
// collect what to announce or copy what to draw, and do it after the Guard
// is gone. Every change goes through a Guard method that marks the board's
// version, so the board widget knows what to paint again. The local values
// (current board, colour name, font size) have their own small lock, so
// reading them never waits for a stack operation.
class BoardModel
{
public:
    class Guard
    {
    public:
        explicit Guard(BoardModel& model);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        Guard(Guard&& other) noexcept;

        // The stacks of the board, null when it has none; valid while the
        // Guard lives.
        const ShapeStack* Stack(const QString& board) const;
        const ShapeStack* RedoStack(const QString& board) const;
        // The ids of every board that has stacks.
        QStringList Boards() const;
        BoardVersion Version(const QString& board) const;

        // A new shape on top of the board: ends the board's redo stack, as
        // every new drawing does, for the drawer and for the room alike.
        void Append(const QString& board, const QVector<Shape*>& entries);
        // Takes the top shape (a whole pen stroke) to the redo stack; the
        // number of entries moved.
        int Undo(const QString& board);
        // Brings the redo stack's top shape (a whole stroke) back.
        int Redo(const QString& board);
        // Moves every entry, top first, to the redo stack.
        int Reset(const QString& board);
        // Moves every entry with the shape id, top first, to the redo stack;
        // the others keep their order.
        int Erase(const QString& board, const QString& shapeId);
        // The topmost entry with the id, or null; valid while the Guard lives.
        const Shape* Find(const QString& board, const QString& shapeId) const;
        // The same entry to be changed in place: the board is marked to be
        // drawn again whole.
        Shape* Edit(const QString& board, const QString& shapeId);
        // Moves the text with the id to the board point; false when there is
        // no text with the id.
        bool MoveText(const QString& board, const QString& shapeId, const QPoint& at);
        // Replaces both stacks of the board with entries (bottom first).
        void Replace(const QString& board, const QVector<Shape*>& entries);
        // Moves shapes (whole strokes) from the top to the redo stack until
        // the top one carries the id; an id nobody carries empties the stack.
        void RollBackTo(const QString& board, const QString& shapeId);
        // Destroys every shape of the board (both stacks); the stacks stay.
        void ClearBoard(const QString& board);
        // A local change made again, as the room applied it (shapes are
        // rebuilt from the message, on canvas).
        void Apply(const BoardAction& action, QWidget* canvas);

        void PushOutgoing(const BoardAction& action);

    private:
        ShapeStack& Shapes(const QString& board);
        ShapeStack& Redos(const QString& board);
        void Changed(const QString& board, bool redraw);

        BoardModel* m_model;
    };

    BoardModel() = default;
    ~BoardModel();
    BoardModel(const BoardModel&) = delete;
    BoardModel& operator=(const BoardModel&) = delete;

    Guard Lock() { return Guard(*this); }

    // Local changes of this user: each is applied and, when it changed
    // something, queued for sending in one step under the lock, so a
    // request signal emitted afterwards always finds its action.
    //
    // Takes the entries of a finished shape over (bottom first).
    void LocalAppend(const QString& board, const QVector<Shape*>& entries, const QString& colorName, int fontSize);
    int LocalUndo(const QString& board);
    int LocalRedo(const QString& board);
    int LocalReset(const QString& board);
    int LocalErase(const QString& board, const QString& shapeId);
    // Moves the text with that id to the board point; false when there is
    // no text with the id.
    bool LocalMoveText(const QString& board, const QString& shapeId, const QPoint& at);
    // A move announced without moving (a press and release in place): the
    // text is queued where it stands, so every announcement finds its own
    // action; false when there is no text with the id.
    bool LocalTextInPlace(const QString& board, const QString& shapeId);

    // The oldest waiting action of that type; false when there is none.
    bool TakeOutgoing(int type, BoardAction& action);
    // Destroys every stack and shape and forgets the waiting actions (the
    // class room is left or entered again).
    void Clear();

    // The room's history answers the state of the moment it was asked for:
    // local changes that left after the request are missing from it and are
    // made again on top of it. Session thread.
    //
    // A new connection: requests and changes of the one before are gone
    // with it.
    void ConnectionOpened();
    // A history request left.
    void HistoryAsked();
    // A local change was handed to the connection.
    void ChangeSent(const BoardAction& action);
    // The answer to the oldest open request arrived: the local changes it
    // does not hold, oldest first.
    QVector<BoardAction> HistoryAnswered();

    // Board shown and drawn on; empty until a page becomes current.
    QString GetCurrentBoard() const;
    void SetCurrentBoard(const QString& board);
    QString GetColorName() const;
    void SetColorName(const QString& name);
    int GetFontSize() const;
    void SetFontSize(int size);

    // Whether this thread holds the board lock now (for checks in tests and
    // before emitting).
    bool IsLockedByThisThread() const;

private:
    // Undo (323), redo (324) or clear (325), queued when it changed something.
    int LocalStackChange(int type, const QString& board);
    // Queues a 327 for the text, moved to at first when at is given.
    bool QueueTextMove(const QString& board, const QString& shapeId, const QPoint* at);
    // Moves the entries with the id from one stack to another, top first.
    static int MoveId(ShapeStack& from, ShapeStack& to, const QString& shapeId);
    static int MoveTop(ShapeStack& from, ShapeStack& to);

    QMutex m_lock;
    // Thread holding m_lock, null when none; written only by its holder.
    QAtomicPointer<void> m_holder;
    QMap<QString, ShapeStack> m_shapes;
    QMap<QString, ShapeStack> m_redo;
    QQueue<BoardAction> m_outgoing;
    QMap<QString, BoardVersion> m_versions;
    // Last stamp given; a board without a version of its own has this
    // one as it was at the last Clear().
    quint64 m_stamp = 0;
    quint64 m_clearedAt = 0;

    // History requests of this connection (asked, answered) and the local
    // changes sent since the oldest open one, each with the number of
    // requests that had left before it.
    int m_historyAsked = 0;
    int m_historyAnswered = 0;
    QVector<QPair<int, BoardAction>> m_sentSinceHistory;

    mutable QMutex m_localLock;
    QString m_currentBoard;
    QString m_colorName { QStringLiteral("#EC2629") };
    int m_fontSize = 18;
};
