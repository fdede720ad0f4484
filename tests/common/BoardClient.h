#pragma once

#include "whiteboard/BoardModel.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QThread>
#include <QVector>

class DataManager;
class Profile;

// A participant of the class room for whiteboard tests: its own session
// worker (DataManager on its own thread) connected to the local service's
// room socket, drawing on its board model the way the widget does (the
// change applied and queued in one locked step, then the request emitted).
// Its connection is wired as the room entry wires it: once the room data is
// complete (the hub's preparation mask is 3), every (re)connection asks for
// the whiteboard history.
class BoardClient : public QObject
{
public:
    BoardClient(Profile* profile, int uid, QObject* parent = nullptr);
    ~BoardClient() override;

    DataManager* Data() const { return m_data; }
    BoardModel* Model() const;
    int Uid() const { return m_uid; }

    // Opens the room socket (ws URL without query) of room R100.
    bool Connect(const QString& socketUrl);
    bool IsConnected() const;

    // Local actions on board; each returns whether something changed (and
    // was sent). Draw returns the new shape's id.
    QString Draw(const QString& board, int kind, const QVector<QPoint>& points, const QString& text = QString());
    bool Undo(const QString& board);
    bool Redo(const QString& board);
    bool Reset(const QString& board);
    bool Erase(const QString& board, const QString& shapeId);
    bool MoveText(const QString& board, const QString& shapeId, const QPoint& at);

    // Both stacks of the board in a form that does not depend on who drew a
    // shape: shapes (runs of one id) bottom first, a stroke's segments
    // sorted, then the redo stack the same way.
    QString Digest(const QString& board) const { return Digest(Model(), board); }
    static QString Digest(BoardModel* model, const QString& board);
    // The shape ids of the board's shape stack, bottom first, one per shape.
    QStringList ShapeIds(const QString& board) const { return ShapeIds(Model(), board); }
    static QStringList ShapeIds(BoardModel* model, const QString& board);

private:
    // Emits the undo, redo or clear request when something moved.
    bool Announce(int moved, int action);

    int m_uid;
    QThread m_thread;
    DataManager* m_data = nullptr;
};
