#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "whiteboard/BoardModel.h"
#include "whiteboard/Shape.h"
#include "whiteboard/ShapeCodec.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

// "kind:x1,y1-x2,y2" of every entry of the board's shape stack.
QStringList Entries(BoardModel* model, const QString& board)
{
    QStringList entries;
    BoardModel::Guard guard = model->Lock();
    if (const ShapeStack* stack = guard.Stack(board)) {
        for (const Shape* shape : *stack)
            entries << QStringLiteral("%1:%2,%3-%4,%5")
                           .arg(shape->GetType())
                           .arg(shape->m_startX)
                           .arg(shape->m_startY)
                           .arg(shape->m_endX)
                           .arg(shape->m_endY);
    }
    return entries;
}

// A page picture: white paper with faint ruling.
QPixmap Page(const QSize& size)
{
    QPixmap page(size);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QColor(225, 232, 240));
    for (int y = size.height() / 12; y < size.height(); y += size.height() / 12)
        painter.drawLine(0, y, size.width(), y);
    return page;
}

// A line that counts how often it is drawn, and how often under the board
// lock (its copies count too: the board paints copies).
class CountingLine : public Line
{
public:
    static inline int draws = 0;
    static inline int drawsUnderLock = 0;
    static inline BoardModel* model = nullptr;

    CountingLine* Clone() const override { return new CountingLine(*this); }
    void Draw(QPainter* painter, double zoom) override
    {
        ++draws;
        drawsUnderLock += model && model->IsLockedByThisThread() ? 1 : 0;
        Line::Draw(painter, zoom);
    }
};

QVector<Shape*> CountingLines(const QString& board, int count, const QString& prefix)
{
    QVector<Shape*> lines;
    for (int i = 0; i < count; ++i) {
        auto* line = new CountingLine();
        line->m_shapeId = prefix + QString::number(i);
        line->m_whiteboardId = board;
        line->SetStyle({ QColor(30 + i % 200, 90, 200), Qt::transparent, 1 + i % 4 });
        line->SetPoints(i * 7 % 800, i * 13 % 600, (i * 31 + 50) % 800, (i * 17 + 80) % 600, false);
        lines << line;
    }
    return lines;
}

// Counts the paint events of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

// The board under the mouse: what a drag leaves on the stacks, what is
// queued for the room and when the requests are emitted, the pictures.
// The session worker's thread is not started, so its requests stay queued
// and the board model can be read as the session would find it.
class TestWhiteBoardWidget : public QObject
{
    Q_OBJECT

    Profile* m_profile = nullptr;
    DataManager* m_data = nullptr;
    BoardModel* m_model = nullptr;
    std::unique_ptr<QLabel> m_page;
    WhiteBoardWidget* m_board = nullptr;
    QStringList m_requests; // emitted requests, "name arg"
    int m_emittedUnderLock = 0;

    void Drag(const QList<QPoint>& path) { TestSupport::Drag(m_board, path); }
    void Resize(const QSize& size)
    {
        m_page->setFixedSize(size);
        m_page->setPixmap(Page(size));
        m_board->setGeometry(QRect(QPoint(), size));
    }
    template <typename Arg, typename Signal> void Watch(Signal signal, const QString& name)
    {
        connect(
            m_data, signal, this,
            [this, name](Arg value) {
                m_emittedUnderLock += m_model->IsLockedByThisThread() ? 1 : 0;
                m_requests << QStringLiteral("%1 %2").arg(name).arg(value);
            },
            Qt::DirectConnection);
    }

private slots:
    void initTestCase()
    {
        m_profile = TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
        m_data = m_profile->GetDataManager();
        m_model = m_data->GetBoardModel();
        m_data->SetPermission(128);
        Watch<int>(&DataManager::LocalNewShape, "shape");
        Watch<int>(&DataManager::LocalRedoUndoAction, "action");
        Watch<QString>(&DataManager::LocalShapeEraser, "erase");
        m_page = std::make_unique<QLabel>();
        m_page->setScaledContents(true);
        m_board = new WhiteBoardWidget(m_page.get());
        m_board->SetCanvas(m_page.get());
        m_board->SetShape4Rect();
        Resize(QSize(800, 600));
        m_page->show();
    }
    void cleanupTestCase()
    {
        m_page.reset();
        Nexus::Teardown();
    }
    void init()
    {
        m_model->Clear();
        m_board->SetCurrWhiteboardId("W1");
        m_requests.clear();
        Resize(QSize(800, 600));
    }
    void cleanup() { QCOMPARE(m_emittedUnderLock, 0); }

    void DragsLeaveShapes_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<QStringList>("entries");
        const QList<QPoint> drag { { 100, 100 }, { 200, 150 }, { 300, 200 } };
        QTest::newRow("rectangle") << 1 << QSize(800, 600) << drag << QStringList { "1:100,100-300,200" };
        QTest::newRow("rectangle on a half-size page")
            << 1 << QSize(400, 300) << drag << QStringList { "1:200,200-600,400" };
        QTest::newRow("line") << 2 << QSize(800, 600) << drag << QStringList { "2:100,100-300,200" };
        QTest::newRow("click without drag leaves nothing")
            << 1 << QSize(800, 600) << QList<QPoint> { { 100, 100 }, { 101, 100 } } << QStringList();
        QTest::newRow("two units is a shape") << 2 << QSize(800, 600) << QList<QPoint> { { 100, 100 }, { 102, 100 } }
                                              << QStringList { "2:100,100-102,100" };
        QTest::newRow("pen stroke: markers around a segment per move")
            << 3 << QSize(800, 600) << drag
            << QStringList { "3:0,0-0,0", "2:100,100-200,150", "2:200,150-300,200", "2:300,200-300,200", "3:0,0-0,0" };
        QTest::newRow("pen click leaves nothing")
            << 3 << QSize(800, 600) << QList<QPoint> { { 50, 50 } } << QStringList();
        QTest::newRow("zero-size page: points stay unconverted")
            << 2 << QSize(0, 0) << drag << QStringList { "2:100,100-300,200" };
    }
    void DragsLeaveShapes()
    {
        QFETCH(int, tool);
        QFETCH(QSize, canvas);
        QFETCH(QList<QPoint>, path);
        QFETCH(QStringList, entries);
        m_board->SetShapeType(tool);
        Resize(canvas);
        m_board->setGeometry(0, 0, 800, 600);
        Drag(path);
        QCOMPARE(Entries(m_model, "W1"), entries);
        QCOMPARE(m_requests, entries.isEmpty() ? QStringList() : QStringList { QStringLiteral("shape %1").arg(tool) });
        m_board->grab(); // paints, whatever the page's size
        BoardAction queued;
        QCOMPARE(m_model->TakeOutgoing(321, queued), !entries.isEmpty());
    }

    // Shapes of others that arrive during a drag go below the stroke being
    // drawn, and the stroke leaves whole with its own id.
    void RemoteShapeMidStrokeStaysApart()
    {
        m_board->SetShapeType(3);
        QTest::mousePress(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_board, &move);
        m_model->Lock().Append("W1",
            ShapeCodec::FromJson(
                QJsonObject { { "type", "line" }, { "shapeId", "remote" }, { "endX", 9 } }, "W1", nullptr));
        QMouseEvent again(QEvent::MouseMove, QPoint(30, 25), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_board, &again);
        QTest::mouseRelease(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(30, 25));

        QCOMPARE(Entries(m_model, "W1").size(), 1 + 5);
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(321, queued));
        QCOMPARE(queued.shape.points, (QVector<QPoint> { { 10, 10 }, { 20, 20 }, { 30, 25 } }));
        BoardModel::Guard guard = m_model->Lock();
        const ShapeStack& stack = *guard.Stack("W1");
        QCOMPARE(stack.first()->m_shapeId, QString("remote"));
        for (int i = 1; i < stack.size(); ++i)
            QCOMPARE(stack.at(i)->m_shapeId, queued.shape.shapeId);
    }

    // Local undo, redo, clear and erase act on the board shown, need the
    // right, and queue the board they changed: a page turned before the
    // session sends still names the right board.
    void LocalActionsNameTheirBoard()
    {
        m_board->SetShapeType(1);
        Drag({ { 10, 10 }, { 60, 60 } });
        Drag({ { 100, 10 }, { 160, 60 } });
        m_board->Undo();
        m_board->Redo();
        const QString first = m_model->Lock().Stack("W1")->first()->m_shapeId;
        m_board->OnShapeEraserById(first);
        m_board->Reset();
        m_board->SetCurrWhiteboardId("W2");
        m_board->Undo(); // nothing on W2
        QCOMPARE(m_requests.size(), 6);
        QCOMPARE(m_requests.mid(0, 4), (QStringList { "shape 1", "shape 1", "action 1", "action 2" }));
        QVERIFY(m_requests.at(4).startsWith("erase "));
        QCOMPARE(m_requests.at(5), QString("action 3"));
        BoardAction queued;
        for (int type : { 323, 324, 326, 325 }) {
            QVERIFY(m_model->TakeOutgoing(type, queued));
            QCOMPARE(queued.whiteboardId, QString("W1"));
        }

        m_data->SetPermission(0);
        m_board->SetCurrWhiteboardId("W1");
        m_board->Redo();
        m_board->Undo(QString(), 0); // the room's undo needs no right
        m_data->SetPermission(128);
        QCOMPARE(m_requests.size(), 6);
        QCOMPARE(Entries(m_model, "W1"), QStringList());
    }

    // A shape added is painted onto the board's picture alone; a change
    // that takes shapes away draws the board again; never under the lock.
    // Either way the picture is the one a whole drawing gives.
    void PaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("draws");
        QTest::newRow("shape received") << "receive" << 1;
        QTest::newRow("shape drawn here") << "drag" << 0;
        QTest::newRow("redo") << "redo" << 1;
        QTest::newRow("undo") << "undo" << 199;
        QTest::newRow("erase") << "erase" << 199;
        QTest::newRow("text moved") << "move" << 200;
        QTest::newRow("clear") << "clear" << 0;
        QTest::newRow("history") << "history" << 3;
        QTest::newRow("page resized") << "resize" << 200;
        QTest::newRow("other board") << "other" << 0;
    }
    void PaintsOnlyWhatChanged()
    {
        QFETCH(QString, change);
        QFETCH(int, draws);
        CountingLine::model = m_model;
        m_model->Lock().Append("W1", CountingLines("W1", 200, "c"));
        if (change == "move")
            m_model->Lock().Append("W1",
                ShapeCodec::FromJson(
                    QJsonObject { { "type", "text" }, { "shapeId", "t" }, { "x", 5 }, { "y", 5 }, { "text", "t" } },
                    "W1", nullptr));
        if (change == "redo")
            m_model->Lock().Undo("W1");
        m_board->grab();
        CountingLine::draws = 0;
        CountingLine::drawsUnderLock = 0;
        if (change == "receive")
            m_model->Lock().Append("W1", CountingLines("W1", 1, "r"));
        else if (change == "drag")
            Drag({ { 10, 10 }, { 300, 300 } });
        else if (change == "redo")
            m_model->Lock().Redo("W1");
        else if (change == "undo")
            m_model->Lock().Undo("W1");
        else if (change == "erase")
            m_model->Lock().Erase("W1", "c7");
        else if (change == "move")
            m_model->Lock().MoveText("W1", "t", QPoint(90, 90));
        else if (change == "clear")
            m_model->Lock().Reset("W1");
        else if (change == "history")
            m_model->Lock().Replace("W1", CountingLines("W1", 3, "h"));
        else if (change == "resize")
            Resize(QSize(640, 480));
        else if (change == "other")
            m_model->Lock().Append("W2", CountingLines("W2", 5, "o"));
        const QImage changed = m_board->grab().toImage();
        QCOMPARE(CountingLine::draws, draws);
        QCOMPARE(CountingLine::drawsUnderLock, 0);
        // A picture drawn whole from the stack looks the same.
        const QSize size = m_board->size();
        Resize(size + QSize(1, 1));
        m_board->grab();
        Resize(size);
        QCOMPARE(m_board->grab().toImage(), changed);
        CountingLine::model = nullptr;
    }

    // The room's changes of boards not shown, and locks that change
    // nothing, never ask for a paint.
    void OnlyChangesOfTheShownBoardPaint()
    {
        PaintCounter counter;
        m_board->installEventFilter(&counter);
        m_model->Lock().Append("W1", CountingLines("W1", 20, "c"));
        emit m_board->RemoteUpdate();
        QTRY_VERIFY(counter.paints > 0);
        QTest::qWait(100);
        const int paints = counter.paints;
        m_model->Lock().Append("W2", CountingLines("W2", 5, "o"));
        emit m_board->RemoteUpdate();
        m_model->Lock().Undo("W2");
        emit m_board->RemoteUndo("W2");
        m_model->Lock();
        emit m_board->RemoteUpdate();
        QTest::qWait(100);
        QCOMPARE(counter.paints, paints);
        m_model->Lock().Append("W1", CountingLines("W1", 1, "r"));
        emit m_board->RemoteUpdate();
        QTRY_VERIFY(counter.paints > paints);
        m_board->removeEventFilter(&counter);
    }

    void CleanUpForgetsTheRoom()
    {
        m_board->SetShapeType(2);
        QTest::mousePress(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        m_board->OnCleanUp();
        QTest::mouseRelease(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(90, 90));
        QVERIFY(m_board->GetCurrWhiteboardId().isEmpty());
        QCOMPARE(m_requests, QStringList());
        QCOMPARE(Entries(m_model, "W1"), QStringList());
    }

    // The same board at two display scales: the shapes sit at the same
    // places of the page.
    void Screenshots_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("x1") << 1.0;
        QTest::newRow("x1.5") << 1.5;
    }
    void Screenshots()
    {
        QFETCH(double, scale);
        const QList<QJsonObject> shapes {
            { { "type", "rectangle" }, { "shapeId", "r" }, { "color", "#EC2629" }, { "thickness", 3 }, { "startX", 80 },
                { "startY", 120 }, { "width", 260 }, { "height", 160 } },
            { { "type", "line" }, { "shapeId", "l" }, { "color", "#1A73E8" }, { "thickness", 3 }, { "startX", 400 },
                { "startY", 420 }, { "endX", 720 }, { "endY", 300 } },
            { { "type", "text" }, { "shapeId", "t" }, { "textColor", "#222222" }, { "fontSize", 28 }, { "x", 90 },
                { "y", 40 }, { "text", QString::fromUtf8("勾股定理 a² + b² = c²\n直角三角形") } },
        };
        for (const QJsonObject& shape : shapes)
            m_model->Lock().Append("W1", ShapeCodec::FromJson(shape, "W1", nullptr));
        QJsonArray points;
        for (int i = 0; i <= 40; ++i)
            points.append(QJsonObject { { "x", 420 + i * 8 }, { "y", int(160 + 60 * std::sin(i / 4.0)) } });
        m_model->Lock().Append("W1",
            ShapeCodec::FromJson(QJsonObject { { "type", "pencil" }, { "shapeId", "p" }, { "color", "#2E9E44" },
                                     { "thickness", 4 }, { "points", points } },
                "W1", nullptr));
        const QSize size(qRound(800 * scale), qRound(600 * scale));
        Resize(size);
        m_board->SetShapeType(1);
        Drag({ { int(480 * scale), int(470 * scale) }, { int(700 * scale), int(560 * scale) } });
        const QImage picture = m_page->grab().toImage();
        // The rectangle's left edge lies at board x 80 at every size.
        bool edge = false;
        for (int x = qRound(80 * scale) - 1; x <= qRound(80 * scale) + 1; ++x) {
            const QColor pixel = picture.pixelColor(x, qRound(200 * scale));
            edge = edge || (pixel.red() > 200 && pixel.green() < 120);
        }
        QVERIFY(edge);
        QVERIFY(!TestSupport::SaveScreenshot(m_page.get(), QStringLiteral("whiteboard-%1").arg(QTest::currentDataTag()))
                     .isEmpty());
    }
};

PLOVIX_TEST(TestWhiteBoardWidget)
#include "tst_WhiteBoardWidget.moc"
