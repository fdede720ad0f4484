#include "TestRegistry.h"

#include "whiteboard/BoardModel.h"
#include "whiteboard/Shape.h"
#include "whiteboard/ShapeCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWidget>
#include <QtTest>

namespace {

QJsonObject Json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

// Entries as "kind:id:x1,y1-x2,y2", bottom first.
QStringList Entries(const ShapeStack* stack)
{
    QStringList entries;
    for (const Shape* shape : stack ? *stack : ShapeStack()) {
        entries << QStringLiteral("%1:%2:%3,%4-%5,%6")
                       .arg(shape->GetType())
                       .arg(shape->m_shapeId)
                       .arg(shape->m_startX)
                       .arg(shape->m_startY)
                       .arg(shape->m_endX)
                       .arg(shape->m_endY);
    }
    return entries;
}

// A board of entries made from a compact description: "R:a" rectangle a,
// "S:b:x,y;x,y" a stroke b through the points.
void Fill(BoardModel& model, const QString& board, const QStringList& shapes)
{
    for (const QString& shape : shapes) {
        const QStringList parts = shape.split(':');
        QJsonObject entry { { "shapeId", parts.at(1) }, { "color", "#EC2629" }, { "thickness", 2 } };
        if (parts.at(0) == "R") {
            entry.insert("type", "rectangle");
            entry.insert("startX", 10);
            entry.insert("startY", 10);
            entry.insert("width", 5);
            entry.insert("height", 5);
        } else {
            entry.insert("type", "pencil");
            QJsonArray points;
            for (const QString& point : parts.at(2).split(';'))
                points.append(QJsonObject {
                    { "x", point.section(',', 0, 0).toInt() }, { "y", point.section(',', 1, 1).toInt() } });
            entry.insert("points", points);
        }
        model.Lock().Append(board, ShapeCodec::FromJson(entry, board, nullptr));
    }
}

QStringList Ids(const ShapeStack* stack)
{
    QStringList ids;
    for (const Shape* shape : stack ? *stack : ShapeStack()) {
        if (ids.isEmpty() || ids.last() != shape->m_shapeId)
            ids << shape->m_shapeId;
    }
    return ids;
}

} // namespace

// The board model's stack operations and the shapes of the room's messages,
// without network or widgets.
class TestBoardModel : public QObject
{
    Q_OBJECT

private slots:
    void ShapesFromMessages_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("pencil: one segment per point, the first alone")
            << "{\"type\":\"pencil\",\"shapeId\":\"p\",\"points\":[{\"x\":1,\"y\":1},{\"x\":5,\"y\":5},{\"x\":9,\"y\":"
               "2}]}"
            << QStringList { "3:p:0,0-0,0", "2:p:1,1-1,1", "2:p:5,5-1,1", "2:p:9,2-5,5", "3:p:0,0-0,0" };
        QTest::newRow("empty pencil is two markers")
            << "{\"type\":\"pencil\",\"shapeId\":\"p\",\"points\":[]}" << QStringList { "3:p:0,0-0,0", "3:p:0,0-0,0" };
        QTest::newRow("rectangle numbers truncated before adding")
            << "{\"type\":\"rectangle\",\"shapeId\":\"r\",\"startX\":10.7,\"startY\":20.2,\"width\":30.9,\"height\":5."
               "5}"
            << QStringList { "1:r:10,20-40,25" };
        QTest::newRow("huge and wrong-typed coordinates are bounded or 0")
            << "{\"type\":\"line\",\"shapeId\":\"l\",\"startX\":1e300,\"startY\":-1e300,\"endX\":\"7\",\"endY\":null}"
            << QStringList { "2:l:100000,-100000-0,0" };
        QTest::newRow("rectangle sums stay in range") << "{\"type\":\"rectangle\",\"shapeId\":\"r\",\"startX\":99999,"
                                                         "\"startY\":0,\"width\":99999,\"height\":-1e20}"
                                                      << QStringList { "1:r:99999,0-199998,-100000" };
        QTest::newRow("text at its point") << "{\"type\":\"text\",\"shapeId\":\"t\",\"x\":120,\"y\":80,\"text\":\"a\"}"
                                           << QStringList { "4:t:120,80-120,80" };
        QTest::newRow("unknown kind builds nothing") << "{\"type\":\"circle\",\"shapeId\":\"c\"}" << QStringList();
        QString many = "{\"type\":\"pencil\",\"shapeId\":\"m\",\"points\":[";
        for (int i = 0; i <= ShapeCodec::kMaxStrokePoints; ++i)
            many += QStringLiteral("%1{\"x\":1,\"y\":1}").arg(i ? "," : "");
        QTest::newRow("oversized stroke dropped") << many + "]}" << QStringList();
    }
    void ShapesFromMessages()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, expected);
        const QVector<Shape*> shapes = ShapeCodec::FromJson(Json(entry.toUtf8()), "W", nullptr);
        QCOMPARE(Entries(&shapes), expected);
        for (const Shape* shape : shapes)
            QCOMPARE(shape->m_whiteboardId, QString("W"));
        qDeleteAll(shapes);
    }

    void NumbersOfMessages()
    {
        const QJsonObject text = Json(
            "{\"type\":\"text\",\"shapeId\":\"t\",\"fontSize\":1e12,\"thickness\":2.5,\"textColor\":\"#112233\"}");
        const QVector<Shape*> shapes = ShapeCodec::FromJson(text, "W", nullptr);
        QCOMPARE(shapes.first()->m_fontSize, std::numeric_limits<int>::max()); // stored, clamped only to draw
        QCOMPARE(shapes.first()->m_thickness, 0); // a fraction reads as 0
        QCOMPARE(shapes.first()->m_penColor, QColor(0x11, 0x22, 0x33));
        QCOMPARE(ShapeCodec::WholeNumber(QJsonValue(), 18), 18);
        qDeleteAll(shapes);
    }

    // Undo, redo, clear and erase on stacks described as shapes; results as
    // the shape ids of both stacks (the redo stack bottom first).
    void StackOperations_data()
    {
        QTest::addColumn<QStringList>("shapes");
        QTest::addColumn<QString>("operations");
        QTest::addColumn<QStringList>("stack");
        QTest::addColumn<QStringList>("redo");
        const QStringList three { "R:a", "S:b:1,1;5,5;9,2", "R:c" };
        QTest::newRow("undo takes the top") << three << "u" << QStringList { "a", "b" } << QStringList { "c" };
        QTest::newRow("undo takes a whole stroke") << three << "uu" << QStringList { "a" } << QStringList { "c", "b" };
        QTest::newRow("a segment at 0,0 never cuts a stroke short") << QStringList { "R:a", "S:b:0,0;0,0;4,4",
            "S:d:0,0;3,3" } << "uu" << QStringList { "a" } << QStringList { "d", "b" };
        QTest::newRow("redo restores in order") << three << "uuurr" << QStringList { "a", "b" } << QStringList { "c" };
        QTest::newRow("clear, then one shape back per redo")
            << three << "xr" << QStringList { "a" } << QStringList { "c", "b" };
        QTest::newRow("erase in the middle keeps the others' order")
            << three << "e" << QStringList { "a", "c" } << QStringList { "b" };
        QTest::newRow("a new shape ends the redo stack")
            << three << "un" << QStringList { "a", "b", "n" } << QStringList();
        QTest::newRow("undo of an empty board") << QStringList() << "ur" << QStringList() << QStringList();
    }
    void StackOperations()
    {
        QFETCH(QStringList, shapes);
        QFETCH(QString, operations);
        QFETCH(QStringList, stack);
        QFETCH(QStringList, redo);
        BoardModel model;
        Fill(model, "W", shapes);
        for (const QChar operation : operations) {
            if (operation == 'u')
                model.Lock().Undo("W");
            else if (operation == 'r')
                model.Lock().Redo("W");
            else if (operation == 'x')
                model.Lock().Reset("W");
            else if (operation == 'e')
                model.Lock().Erase("W", "b");
            else if (operation == 'n')
                Fill(model, "W", { "R:n" });
        }
        BoardModel::Guard guard = model.Lock();
        QCOMPARE(Ids(guard.Stack("W")), stack);
        QCOMPARE(Ids(guard.RedoStack("W")), redo);
    }

    // A history answers the room as it was asked for: the local changes
    // sent after its request (and only those) are made again on it.
    void ChangesMissingFromEachHistory()
    {
        BoardModel model;
        auto types = [&model] {
            QList<int> missing;
            for (const BoardAction& action : model.HistoryAnswered())
                missing << action.type;
            return missing;
        };
        model.ConnectionOpened();
        model.ChangeSent({ 323, "W", {} }); // in every answer
        model.HistoryAsked();
        model.ChangeSent({ 324, "W", {} });
        model.HistoryAsked();
        model.ChangeSent({ 325, "W", {} });
        QCOMPARE(types(), (QList<int> { 324, 325 }));
        QCOMPARE(types(), QList<int> { 325 });
        QCOMPARE(types(), QList<int>()); // an answer nobody asked for
        model.HistoryAsked();
        model.ChangeSent({ 326, "W", {} });
        model.ConnectionOpened(); // the request went with the connection
        model.HistoryAsked();
        QCOMPARE(types(), QList<int>());
    }

    void BoardToPixels_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QPoint>("board");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("far corner truncates") << QSize(401, 301) << QPoint(800, 600) << QPoint(401, 301);
        QTest::newRow("one unit truncates to 0") << QSize(401, 301) << QPoint(1, 1) << QPoint(0, 0);
        QTest::newRow("origin without canvas") << QSize() << QPoint(0, 0) << QPoint(0, 0);
        QTest::newRow("no canvas: unconverted") << QSize() << QPoint(7, 9) << QPoint(7, 9);
        QTest::newRow("zero-size canvas: unconverted") << QSize(0, 0) << QPoint(7, 9) << QPoint(7, 9);
        QTest::newRow("no overflow") << QSize(1920, 1080) << QPoint(2000000000, -2000000000)
                                     << QPoint(std::numeric_limits<int>::max(), std::numeric_limits<int>::min());
    }
    void BoardToPixels()
    {
        QFETCH(QSize, canvas);
        QFETCH(QPoint, board);
        QFETCH(QPoint, pixel);
        QWidget widget;
        widget.resize(canvas.isValid() ? canvas : QSize(10, 10));
        if (canvas.isValid())
            widget.setFixedSize(canvas);
        QCOMPARE(Shape::MapToWidget(board.x(), board.y(), canvas.isValid() ? &widget : nullptr, 1.0), pixel);
    }
};

PLOVIX_TEST(TestBoardModel)
#include "tst_BoardModel.moc"
