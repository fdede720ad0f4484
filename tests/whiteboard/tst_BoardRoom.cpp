#include "ListsRoom.h"
#include "LogCapture.h"
#include "TestRegistry.h"

#include "whiteboard/ColorBoxWindow.h"
#include "whiteboard/Shape.h"
#include "whiteboard/TextEdit.h"
#include "whiteboard/TextSelectWindow.h"

#include <QPushButton>

// The teacher (57) of room R100 draws with every tool of the palette in the
// class room's centre panel, at two window sizes; student 59 on the other
// side receives each change at the same board place. The student also
// points, takes the teacher's whiteboard right and gives it back, and sends
// what a careless or hostile client may send.
class TestBoardRoom : public QObject
{
    Q_OBJECT

    // The window first: the centre panel, laid out in it, goes before it.
    QWidget m_window;
    ListsRoom m_room;
    int m_round = 0;

    WhiteBoardWidget* Board() { return m_room.middle.GetWhiteBoardWidget(); }
    PaletteWidget* Palette() { return m_room.middle.GetPaletteWidget(); }
    QWidget* Canvas() { return m_room.middle.GetCanvas(); }
    void Choose(PaletteWidget::Button button) { QTest::mouseClick(Palette()->GetButton(button), Qt::LeftButton); }
    // The board pixel of a board point at the page's present size.
    QPoint At(const QPoint& board)
    {
        return QPoint(qRound(board.x() * Canvas()->width() / 800.0), qRound(board.y() * Canvas()->height() / 600.0));
    }
    void Drag(const QList<QPoint>& board)
    {
        QList<QPoint> path;
        for (const QPoint& point : board)
            path << At(point);
        TestSupport::Drag(Board(), path);
    }
    void Hover(const QPoint& board)
    {
        QMouseEvent move(QEvent::MouseMove, At(board), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Board(), &move);
    }
    // The data of the last message of type the student received, once
    // there are count of them.
    QJsonObject Received(int type, int count)
    {
        [&] { QTRY_COMPARE(m_room.other->Inbox(type).size(), count); }();
        return m_room.other->Inbox(type).value(count - 1).value("data").toObject();
    }
    // Within the rounding of two pixel positions.
    static bool Near(const QJsonValue& value, int board) { return qAbs(value.toInt() - board) <= 2; }
    void Cross(QWidget* widget)
    {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(widget, &enter);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_room.Enter(57));
        // The shared video closed, the room's page shown.
        m_room.middle.OnDestroyAvPlayer();
        m_window.resize(1280, 720);
        m_room.middle.SetupLayout(&m_window);
        m_window.show();
        m_room.Pages()->OnRemoteTrunPage(m_room.data->GetCourseWareById("P1002"));
        QCOMPARE(Board()->GetCurrWhiteboardId(), QString("W1002"));
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void EveryToolReachesTheStudent_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::newRow("1280 x 720") << QSize(1280, 720);
        QTest::newRow("1920 x 1080") << QSize(1920, 1080);
    }
    void EveryToolReachesTheStudent()
    {
        QFETCH(QSize, window);
        m_window.resize(window);
        m_room.middle.SetupLayout(&m_window);
        QVERIFY(Palette()->isVisible() && Palette()->width() == 360);
        const int round = ++m_round;
        const QString board = Board()->GetCurrWhiteboardId();

        Choose(PaletteWidget::Rect);
        Drag({ { 100, 100 }, { 200, 150 }, { 300, 250 } });
        QJsonObject shape = Received(MsgNewShape, round * 4 - 3);
        QCOMPARE(shape.value("type").toString(), QString("rectangle"));
        QCOMPARE(shape.value("whiteboardId").toString(), board);
        QVERIFY(Near(shape.value("startX"), 100) && Near(shape.value("startY"), 100));
        QVERIFY(Near(shape.value("width"), 200) && Near(shape.value("height"), 150));
        const QString rectangle = shape.value("shapeId").toString();

        // The colour box opens over its button; a colour is the board's
        // and the button's, and closes it.
        Choose(PaletteWidget::Line);
        QPushButton* colour = Palette()->GetButton(PaletteWidget::Color);
        Cross(colour);
        ColorBoxWindow* box = m_room.middle.GetColorBox();
        const QPoint over = colour->mapTo(&m_window, QPoint());
        QCOMPARE(box->geometry(), QRect(over.x() - 121, over.y() - 43, 242, 40));
        QTest::mouseClick(box->GetGrid()->cellWidget(0, 4), Qt::LeftButton);
        QVERIFY(!box->isVisible() && colour->styleSheet().contains("/color5.png"));
        QCOMPARE(Board()->GetTextEdit()->GetFontColor(), QString("#23B24D"));
        Drag({ { 400, 100 }, { 700, 500 } });
        shape = Received(MsgNewShape, round * 4 - 2);
        QCOMPARE(shape.value("color").toString(), QString("#23B24D"));
        QVERIFY(Near(shape.value("endX"), 700) && Near(shape.value("endY"), 500));

        Choose(PaletteWidget::Pencil);
        Drag({ { 50, 400 }, { 80, 420 }, { 120, 410 } });
        shape = Received(MsgNewShape, round * 4 - 1);
        const QJsonArray points = shape.value("points").toArray();
        QCOMPARE(points.size(), 3);
        QVERIFY(Near(points.first()["x"], 120) && Near(points.last()["y"], 400));

        // A size takes up the text tool; the choice stays marked.
        Cross(Palette()->GetButton(PaletteWidget::Text));
        TextSelectWidget* sizes = m_room.middle.GetTextSelectBox()->GetGrid();
        QTest::mouseClick(sizes->cellWidget(0, 2), Qt::LeftButton);
        QCOMPARE(Palette()->GetCurrentShape(), 4);
        for (int column = 0; column < 3; ++column)
            QCOMPARE(qobject_cast<TextSelectItem*>(sizes->cellWidget(0, column))->IsMarked(), column == 2);
        QTest::mouseClick(Board(), Qt::LeftButton, {}, At({ 400, 300 }));
        Board()->GetTextEdit()->insertPlainText("勾股 a²+b²");
        QTest::mouseClick(Board(), Qt::LeftButton, {}, At({ 10, 590 }));
        shape = Received(MsgNewShape, round * 4);
        QCOMPARE(shape.value("text").toString(), QString("勾股 a²+b²\n"));
        QCOMPARE(shape.value("fontSize").toInt(), 22);
        QCOMPARE(shape.value("textColor").toString(), QString("#23B24D"));
        QVERIFY(Near(shape.value("x"), 400) && Near(shape.value("y"), 300));

        // The text is picked up and moved by 100 board units right.
        Hover({ 410, 312 });
        QCOMPARE(Board()->GetGrabbedTextId(), shape.value("shapeId").toString());
        Drag({ { 410, 312 }, { 460, 312 }, { 510, 312 } });
        const QJsonObject moved = Received(MsgShapeMove, round).value("shapes").toArray().first().toObject();
        QVERIFY(Near(moved.value("x"), 500) && Near(moved.value("y"), 300));

        Choose(PaletteWidget::Eraser);
        Hover({ 150, 200 });
        QCOMPARE(Board()->GetHighlightedId(), rectangle);
        QTest::mouseClick(Board(), Qt::LeftButton, {}, At({ 150, 200 }));
        QCOMPARE(Received(MsgShapeEraser, round).value("shapesId").toArray(), QJsonArray { rectangle });

        Choose(PaletteWidget::Laser);
        Hover({ 640, 120 });
        const QJsonObject laser = Received(MsgLaserPointPos, round);
        QVERIFY(Near(laser.value("cursorX"), 640) && Near(laser.value("cursorY"), 120));
        QCOMPARE(laser.value("presentationId").toString(), m_room.data->GetPresentationIdByWhiteboardId(board));

        // Undo, redo and clear act on the board shown.
        Choose(PaletteWidget::Undo);
        Choose(PaletteWidget::Redo);
        Palette()->GetButton(PaletteWidget::Clear)->click();
        for (int type : { MsgUndo, MsgRedo, MsgReset })
            QCOMPARE(Received(type, round).value("whiteboardId").toString(), board);
        QCOMPARE(m_room.data->GetBoardModel()->Lock().Stack(board)->size(), 0);
    }

    // The student's pointer shows on the page it was made on only.
    void PointersOfOthersByPage()
    {
        const QString shown = m_room.data->GetPresentationIdByWhiteboardId(Board()->GetCurrWhiteboardId());
        QWidget* image = Board()->GetLaserImage();
        QVERIFY(m_room.other->Send(
            MsgLaserPointPos, { { "cursorX", 400 }, { "cursorY", 300 }, { "presentationId", "P-other" } }));
        QVERIFY(m_room.other->Send(
            MsgLaserPointPos, { { "cursorX", 400 }, { "cursorY", 300 }, { "presentationId", shown } }));
        QTRY_VERIFY(image->isVisible());
        QCOMPARE(image->pos(), QPoint(Canvas()->width() * 400 / 800, Canvas()->height() * 300 / 600));
        QTRY_VERIFY_WITH_TIMEOUT(!image->isVisible(), 3000);
        // The teacher's own pointer names the page it is over, also one
        // turned away from the room's.
        Board()->SetCurrWhiteboardId("W1001");
        Choose(PaletteWidget::Laser);
        Hover({ 300, 300 });
        QCOMPARE(Received(MsgLaserPointPos, m_round + 1).value("presentationId").toString(), QString("P1001"));
        Board()->SetCurrWhiteboardId("W1002");
    }

    // Markup, a very long text and colours nobody knows arrive as plain
    // text and a black pen; nothing breaks.
    void CarelessShapesFromTheRoom()
    {
        const QString board = Board()->GetCurrWhiteboardId();
        const QString longText = QString("长").repeated(10000);
        LogCapture log;
        const QList<QJsonObject> shapes { { { "type", "text" }, { "shapeId", "m" }, { "text", "<b>粗</b><img src=x>" },
                                              { "textColor", "#zzzzzz" }, { "x", 20 }, { "y", 20 } },
            { { "type", "text" }, { "shapeId", "long" }, { "text", longText }, { "textColor", "#000000" }, { "x", 20 },
                { "y", 60 } },
            { { "type", "rectangle" }, { "shapeId", "r" }, { "color", "chartreuse-ish" }, { "startX", 5 },
                { "startY", 5 }, { "width", 50 }, { "height", 50 } } };
        for (QJsonObject shape : shapes) {
            shape.insert("whiteboardId", board);
            QVERIFY(m_room.other->Send(MsgNewShape, shape));
        }
        QTRY_COMPARE(m_room.data->GetBoardModel()->Lock().Stack(board)->size(), 3);
        QCOMPARE(log.Count("unknown colour name"), 2);
        {
            BoardModel::Guard guard = m_room.data->GetBoardModel()->Lock();
            QCOMPARE(guard.Find(board, "m")->GetText(), QString("<b>粗</b><img src=x>"));
            QCOMPARE(guard.Find(board, "m")->m_penColor, QColor(Qt::black));
            QCOMPARE(guard.Find(board, "long")->GetText().size(), 10000);
        }
        QVERIFY(!Board()->grab().isNull());
        Choose(PaletteWidget::Eraser);
        Hover({ 30, 70 });
        QCOMPARE(Board()->GetHighlightedId(), QString("long"));
    }

    // A right taken during the lesson empties the palette and the board
    // takes no input; given back, the palette and the tools return.
    void PaletteFollowsTheRight()
    {
        const QString board = Board()->GetCurrWhiteboardId();
        auto right = [&](bool enabled) {
            return m_room.other->Send(MsgUserPrivilege,
                { { "privilege", "whiteboard" }, { "enabled", enabled }, { "operatorId", "59" }, { "roomId", "R100" },
                    { "userId", "57" } });
        };
        const int before = m_room.other->Inbox(MsgNewShape).size();
        QVERIFY(right(false));
        QTRY_COMPARE(Palette()->width(), 0);
        Board()->SetShape4Rect();
        Drag({ { 100, 100 }, { 300, 300 } });
        QVERIFY(right(true));
        QTRY_COMPARE(Palette()->width(), 360);
        QVERIFY(Palette()->GetButton(PaletteWidget::Rect)->isVisible());
        Drag({ { 100, 100 }, { 300, 300 } });
        Received(MsgNewShape, before + 1);
        QTest::qWait(200);
        QCOMPARE(m_room.other->Inbox(MsgNewShape).size(), before + 1);
        QVERIFY(m_room.data->GetBoardModel()->Lock().Stack(board) != nullptr);
    }
};

PLOVIX_TEST(TestBoardRoom)
#include "tst_BoardRoom.moc"
