#include "BoardClient.h"

#include "TestSupport.h"

#include "app/SharedFunctions.h"
#include "session/DataManager.h"
#include "whiteboard/Shape.h"

#include <QAtomicInteger>
#include <QStringList>
#include <QUrlQuery>
#include <algorithm>
#include <memory>

namespace {

QString Describe(const QVector<Shape*>& run)
{
    const Shape* first = run.first();
    QStringList parts { first->m_shapeId };
    if (first->GetType() == Shape::TypePen) {
        QStringList segments;
        for (const Shape* entry : run) {
            if (entry->GetType() != Shape::TypePen)
                segments << QStringLiteral("%1,%2-%3,%4 %5 %6")
                                .arg(entry->m_startX)
                                .arg(entry->m_startY)
                                .arg(entry->m_endX)
                                .arg(entry->m_endY)
                                .arg(entry->m_colorName)
                                .arg(entry->m_thickness);
        }
        std::sort(segments.begin(), segments.end());
        parts << QStringLiteral("stroke") << segments;
    } else {
        // A text's thickness never travels.
        const int thickness = first->GetType() == Shape::TypeText ? 0 : first->m_thickness;
        parts << QString::number(first->GetType()) << first->m_colorName << QString::number(thickness)
              << QStringLiteral("%1,%2-%3,%4")
                     .arg(first->m_startX)
                     .arg(first->m_startY)
                     .arg(first->m_endX)
                     .arg(first->m_endY)
              << first->GetText() << QString::number(first->m_fontSize);
    }
    return parts.join('|');
}

// Runs of one id; a redo stack holds its runs top first, so it is read in
// the order it would be redone.
QStringList Runs(const ShapeStack* stack)
{
    QStringList shapes;
    if (!stack)
        return shapes;
    QVector<Shape*> run;
    for (Shape* entry : *stack) {
        if (!run.isEmpty() && run.first()->m_shapeId != entry->m_shapeId) {
            shapes << Describe(run);
            run.clear();
        }
        run << entry;
    }
    if (!run.isEmpty())
        shapes << Describe(run);
    return shapes;
}

} // namespace

BoardClient::BoardClient(Profile* profile, int uid, QObject* parent)
    : QObject(parent)
    , m_uid(uid)
{
    m_thread.setObjectName(QStringLiteral("Board client %1").arg(uid));
    m_data = new DataManager(&m_thread, profile);
    m_data->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_data, &QObject::deleteLater);
    m_data->SetUserId(uid);
    m_data->SetRoomId(QStringLiteral("R100"));
    // Every reading of the clock is ten seconds later: reconnections never
    // look like a storm.
    auto clock = std::make_shared<QAtomicInteger<qint64>>(1700000000000);
    m_data->SetClock([clock] { return clock->fetchAndAddOrdered(10000); });
    m_thread.start();
}

BoardClient::~BoardClient()
{
    TestSupport::RunIn(m_data, [this] { m_data->OnDestroyWebSocket(); });
    m_thread.quit();
    m_thread.wait();
}

BoardModel* BoardClient::Model() const
{
    return m_data->GetBoardModel();
}

bool BoardClient::Connect(const QString& socketUrl)
{
    QUrl url(socketUrl);
    url.setQuery(QUrlQuery { { QStringLiteral("username"), QStringLiteral("u%1").arg(m_uid) },
        { QStringLiteral("userid"), QString::number(m_uid) }, { QStringLiteral("roomid"), QStringLiteral("R100") } });
    bool made = false;
    DataManager* data = m_data;
    // As the room entry opens it: every (re)connection logs in and asks
    // for what the room holds.
    const bool ran = TestSupport::RunIn(data, [data, url, &made] {
        made = data->OnCreateWebSocket(url.toString()) == 0;
        if (made)
            QObject::connect(data->GetWebSocket(), &WebSockClient::connected, data, &DataManager::OnSendLoginReq);
    });
    return ran && made;
}

bool BoardClient::IsConnected() const
{
    bool open = false;
    DataManager* data = m_data;
    TestSupport::RunIn(data, [data, &open] {
        open = data->GetWebSocket() && data->GetWebSocket()->GetState() == QAbstractSocket::ConnectedState;
    });
    return open;
}

QString BoardClient::Draw(const QString& board, int kind, const QVector<QPoint>& points, const QString& text)
{
    const QString shapeId = CreateUuidString();
    auto made = [&](Shape* shape) {
        shape->m_shapeId = shapeId;
        shape->m_whiteboardId = board;
        shape->m_colorName = QStringLiteral("#1A73E8");
        shape->SetStyle({ QColor(shape->m_colorName), Qt::transparent, 2 + m_uid % 3 });
        return shape;
    };
    QVector<Shape*> entries;
    if (kind == Shape::TypePen) {
        entries << made(new Pen());
        for (int i = 0; i < points.size(); ++i) {
            const QPoint end = points.value(i + 1, points.at(i));
            entries << made(new Line());
            entries.last()->SetPoints(points.at(i).x(), points.at(i).y(), end.x(), end.y(), false);
        }
        entries << made(new Pen());
    } else {
        Shape* shape = made(kind == Shape::TypeRectangle ? static_cast<Shape*>(new Rectangel())
                : kind == Shape::TypeLine                ? static_cast<Shape*>(new Line())
                                                         : new Text());
        const QPoint end = kind == Shape::TypeText ? points.at(0) : points.at(1);
        shape->SetPoints(points.at(0).x(), points.at(0).y(), end.x(), end.y(), false);
        shape->SetText(text);
        entries << shape;
    }
    Model()->LocalAppend(board, entries, QStringLiteral("#1A73E8"), 18);
    emit m_data->LocalNewShape(kind);
    return shapeId;
}

bool BoardClient::Undo(const QString& board)
{
    return Announce(Model()->LocalUndo(board), 1);
}

bool BoardClient::Redo(const QString& board)
{
    return Announce(Model()->LocalRedo(board), 2);
}

bool BoardClient::Reset(const QString& board)
{
    return Announce(Model()->LocalReset(board), 3);
}

bool BoardClient::Announce(int moved, int action)
{
    if (moved == 0)
        return false;
    emit m_data->LocalRedoUndoAction(action);
    return true;
}

bool BoardClient::Erase(const QString& board, const QString& shapeId)
{
    if (Model()->LocalErase(board, shapeId) == 0)
        return false;
    emit m_data->LocalShapeEraser(shapeId);
    return true;
}

bool BoardClient::MoveText(const QString& board, const QString& shapeId, const QPoint& at)
{
    if (!Model()->LocalMoveText(board, shapeId, at))
        return false;
    emit m_data->LocalShapeMove(shapeId);
    return true;
}

QString BoardClient::Digest(BoardModel* model, const QString& board)
{
    BoardModel::Guard guard = model->Lock();
    return Runs(guard.Stack(board)).join('\n') + QStringLiteral("\n--\n") + Runs(guard.RedoStack(board)).join('\n');
}

QStringList BoardClient::ShapeIds(BoardModel* model, const QString& board)
{
    QStringList ids;
    BoardModel::Guard guard = model->Lock();
    if (const ShapeStack* stack = guard.Stack(board)) {
        for (const Shape* entry : *stack) {
            if (ids.isEmpty() || ids.last() != entry->m_shapeId)
                ids << entry->m_shapeId;
        }
    }
    return ids;
}
