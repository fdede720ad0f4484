#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "whiteboard/BoardHitTest.h"
#include "whiteboard/BoardModel.h"
#include "whiteboard/Shape.h"
#include "whiteboard/ShapeCodec.h"
#include "whiteboard/TextEdit.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QClipboard>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QMimeData>
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

QVector<Shape*> Made(const QJsonObject& entry)
{
    return ShapeCodec::FromJson(entry, "W1", nullptr);
}

// A pen stroke round a rectangle, closed where it started.
QJsonObject Loop(const QString& id, const QRect& around)
{
    QJsonArray points;
    for (const QPoint& p :
        { around.topLeft(), around.topRight(), around.bottomRight(), around.bottomLeft(), around.topLeft() })
        points.append(QJsonObject { { "x", p.x() }, { "y", p.y() } });
    return { { "type", "pencil" }, { "shapeId", id }, { "color", "#23B24D" }, { "thickness", 3 },
        { "points", points } };
}

QJsonObject TextEntry(const QString& id, int x, int y, const QString& text)
{
    return { { "type", "text" }, { "shapeId", id }, { "x", x }, { "y", y }, { "text", text }, { "fontSize", 18 } };
}

// Pixels of the colour in the picture.
int CountOf(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y).rgb() == color.rgb() ? 1 : 0;
    }
    return count;
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
// queued for the room and when the requests are emitted, the pictures;
// typing and picking up texts, the eraser's highlight, the laser pointer.
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
    TextEdit* m_editor = nullptr;
    QStringList m_requests; // emitted requests, "name arg"
    int m_emittedUnderLock = 0;

    void Drag(const QList<QPoint>& path) { TestSupport::Drag(m_board, path); }
    void Click(const QPoint& at) { TestSupport::Drag(m_board, { at }); }
    void Hover(const QPoint& at)
    {
        QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_board, &move);
    }
    // The board's texts as "x,y:text".
    QStringList Texts()
    {
        QStringList texts;
        BoardModel::Guard guard = m_model->Lock();
        if (const ShapeStack* stack = guard.Stack("W1")) {
            for (const Shape* shape : *stack) {
                if (shape->GetType() == Shape::TypeText)
                    texts << QStringLiteral("%1,%2:%3").arg(shape->m_startX).arg(shape->m_startY).arg(shape->GetText());
            }
        }
        return texts;
    }
    // Opens the editor at at, types, and closes it with a click.
    void Type(const QPoint& at, const std::function<void()>& typing)
    {
        m_board->SetShape4Text();
        Click(at);
        QVERIFY(m_editor->isVisible());
        typing();
        Click(QPoint(5, 590));
        QVERIFY(!m_editor->isVisible());
    }

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
        Watch<QString>(&DataManager::LocalShapeMove, "move");
        connect(m_data, &DataManager::NotifyLaserPointPos, this,
            [this](QPoint at) { m_requests << QStringLiteral("laser %1,%2").arg(at.x()).arg(at.y()); });
        m_page = std::make_unique<QLabel>();
        m_page->setScaledContents(true);
        m_board = new WhiteBoardWidget(m_page.get());
        m_board->SetCanvas(m_page.get());
        m_editor = m_board->GetTextEdit();
        Nexus::SetWhiteBoardWidget(m_board);
        m_board->SetShape4Rect();
        Resize(QSize(800, 600));
        m_page->show();
    }
    void cleanupTestCase()
    {
        Nexus::SetWhiteBoardWidget(nullptr);
        m_page.reset();
        Nexus::Teardown();
    }
    void init()
    {
        m_editor->clear();
        m_data->SetPermission(128);
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
        m_board->SetShapeType(4);
        Click(QPoint(200, 200));
        QTest::keyClicks(m_editor, "left behind");
        m_board->SetShapeType(2);
        QTest::mousePress(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        m_board->OnCleanUp();
        QVERIFY(m_editor->toPlainText().isEmpty());
        QTest::mouseRelease(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(90, 90));
        QVERIFY(m_board->GetCurrWhiteboardId().isEmpty());
        QCOMPARE(m_requests, QStringList());
        QCOMPARE(Entries(m_model, "W1"), QStringList());
    }

    // What was typed, pasted or double-clicked in is what the room gets,
    // with a line feed wherever the editor broke a line; bad input stays
    // text. No text goes on a board before a page is shown.
    void TextsCommitAsTyped_data()
    {
        QTest::addColumn<QString>("typed"); // "|" ends a paragraph
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("committed"); // "*": broken as shown
        QTest::newRow("nothing typed: no text") << "" << 100 << "";
        QTest::newRow("one line") << "ab" << 100 << "ab\n";
        QTest::newRow("two paragraphs") << "ab|cd" << 100 << "ab\ncd\n";
        QTest::newRow("markup stays text") << "<b>x</b>&amp;" << 100 << "<b>x</b>&amp;\n";
        QTest::newRow("pasted formatting") << "paste" << 100 << "粗\n";
        QTest::newRow("opened by a double-click") << "double" << 100 << "dd\n";
        QTest::newRow("no page shown") << "nopage" << 100 << "";
        QTest::newRow("wrapped at the board's edge") << "wrap these words at the edge" << 690 << "*";
        QTest::newRow("10,000 characters") << QString("长文本 long text ").repeated(625) << 10 << "*";
    }
    void TextsCommitAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, x);
        QFETCH(QString, committed);
        m_board->SetShape4Text();
        if (typed == "double") {
            m_board->SetShape4Rect();
            QTest::mouseDClick(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(x, 100));
            typed = "dd";
        } else {
            m_board->SetCurrWhiteboardId(typed == "nopage" ? QString() : "W1");
            Click(QPoint(x, 100));
            m_board->SetCurrWhiteboardId("W1");
        }
        QCOMPARE(m_editor->isVisible(), typed != "nopage");
        if (typed == "nopage") {
            QCOMPARE(m_requests, QStringList());
            return;
        }
        if (typed == "paste") {
            auto* mime = new QMimeData();
            mime->setHtml("<b style='color:red'>粗</b><img src='x.png'>");
            mime->setText("粗");
            QGuiApplication::clipboard()->setMimeData(mime);
            m_editor->paste();
        } else if (typed.size() > 100) {
            m_editor->insertPlainText(typed);
        } else {
            for (const QChar c : typed)
                c == '|' ? QTest::keyClick(m_editor, Qt::Key_Return) : QTest::keyClicks(m_editor, QString(c));
        }
        QCOMPARE(m_editor->GetMaximumWidth(), 800 - x);
        QVERIFY(m_editor->width() <= qMax(90, 800 - x));
        m_board->SetShape4Text();
        Click(QPoint(5, 590));
        QVERIFY(!m_editor->isVisible());
        const QStringList texts = Texts();
        QCOMPARE(m_requests, committed.isEmpty() ? QStringList() : QStringList { "shape 4" });
        QCOMPARE(texts.size(), committed.isEmpty() ? 0 : 1);
        if (committed.isEmpty())
            return;
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(321, queued));
        QCOMPARE(queued.shape.points, QVector<QPoint> { QPoint(x, 100) });
        if (committed != "*") {
            QCOMPARE(texts.first(), QStringLiteral("%1,100:%2").arg(x).arg(committed));
            return;
        }
        // Broken where the editor broke it: no line wider than the editor.
        const QString text = queued.shape.text;
        QVERIFY2(text.count('\n') >= 3, qPrintable(text));
        QCOMPARE(QString(text).remove('\n'), QString(typed).remove('|'));
        const QFontMetrics metrics(m_editor->font());
        for (const QString& line : text.split('\n'))
            QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= 800 - x);
        QVERIFY(!m_board->grab().isNull());
    }

    // A size picked while typing keeps the colour typed in, at the
    // board's size; the size is the new text's.
    void SizePickedWhileTyping()
    {
        Resize(QSize(400, 300));
        Type(QPoint(50, 50), [&] {
            m_editor->SetFontColor("#07A6ED");
            m_board->SetColorName("#07A6ED");
            m_editor->SetFontSize(22);
            QVERIFY2(m_editor->styleSheet().contains("font:11px Microsoft YaHei;color:#07A6ED"),
                qPrintable(m_editor->styleSheet()));
            QTest::keyClicks(m_editor, "z");
        });
        Resize(QSize(800, 600));
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(321, queued));
        QCOMPARE(queued.shape.fontSize, 22);
        QCOMPARE(queued.shape.colorName, QString("#07A6ED"));
        m_editor->SetFontSize(18);
        m_editor->SetFontColor("#EC2629");
        m_board->SetColorName("#EC2629");
    }

    // A text is picked up by hovering over it; a click moves nothing and
    // is still announced. A text picked up never blocks the next tool.
    void TextsPickedUp()
    {
        m_model->Lock().Append("W1", Made(TextEntry("t1", 300, 200, "move me\n")));
        m_board->SetShape4Rect();
        Hover(QPoint(305, 205));
        QCOMPARE(m_board->GetGrabbedTextId(), QString("t1"));
        Click(QPoint(305, 205));
        QCOMPARE(m_requests, QStringList { "move t1" });
        QCOMPARE(Texts(), QStringList { "300,200:move me\n" });
        // Each announcement has its own queued move, so the session never
        // takes another drag's move for it.
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(327, queued));
        QCOMPARE(queued.shape.shapeId, QString("t1"));
        QCOMPARE(queued.shape.points, QVector<QPoint> { QPoint(300, 200) });
        QVERIFY(!m_model->TakeOutgoing(327, queued));
        Hover(QPoint(305, 205));
        m_board->SetShape4Eraser();
        Hover(QPoint(305, 206));
        Click(QPoint(305, 206));
        QCOMPARE(m_requests.last(), QString("erase t1"));
    }

    // The hit boxes of texts are in board units whatever the page's size:
    // a one-line text at (100, 100) is hovered from a quarter of its
    // ascent below its top to its last line.
    void TextHoverBox_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("600 pixels high") << 600;
        QTest::newRow("300 pixels high") << 300;
        QTest::newRow("900 pixels high") << 900;
    }
    void TextHoverBox()
    {
        QFETCH(int, height);
        const std::unique_ptr<Shape> text(Made(TextEntry("t", 100, 100, "one line\n")).first());
        const QFontMetrics metrics(BoardHitTest::TextFont(18, 600));
        const int top = 100 + metrics.ascent() / 4;
        const int bottom = 100 + metrics.ascent() + metrics.descent();
        const QSize canvas(height * 4 / 3, height);
        auto hits = [&](int y) { return BoardHitTest::TextHit({ text.get() }, QPoint(110, y), canvas) != nullptr; };
        QVERIFY(hits(top + 1) && hits(bottom - 1));
        QVERIFY(!hits(top - 2) && !hits(bottom + 2));
        QVERIFY(!BoardHitTest::TextHit({ text.get() }, QPoint(110, top + 1), QSize()));
    }

    void EraserHits_data()
    {
        QTest::addColumn<QList<QJsonObject>>("shapes");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("hit");
        auto rect = [](const char* id, int x) {
            return QJsonObject { { "type", "rectangle" }, { "shapeId", id }, { "startX", x }, { "startY", 100 },
                { "width", 100 }, { "height", 100 } };
        };
        const QJsonObject line { { "type", "line" }, { "shapeId", "l" }, { "endX", 100 } };
        QJsonArray loop;
        for (const QPoint& p :
            { QPoint(300, 300), QPoint(400, 300), QPoint(400, 400), QPoint(300, 400), QPoint(300, 300) })
            loop.append(QJsonObject { { "x", p.x() }, { "y", p.y() } });
        const QList<QJsonObject> two { rect("low", 100), rect("up", 150) };
        const QList<QJsonObject> stroke { { { "type", "pencil" }, { "shapeId", "s" }, { "points", loop } } };
        QTest::newRow("overlapping rectangles: the older") << two << QPoint(170, 150) << "low";
        QTest::newRow("the newer beside it") << two << QPoint(230, 150) << "up";
        QTest::newRow("line: two units") << QList<QJsonObject> { line } << QPoint(50, 14) << "l";
        QTest::newRow("line: three units") << QList<QJsonObject> { line } << QPoint(50, 15) << "";
        QTest::newRow("inside a closed stroke") << stroke << QPoint(350, 350) << "s";
        QTest::newRow("outside it") << stroke << QPoint(450, 350) << "";
        QTest::newRow("a text's lines") << QList<QJsonObject> { TextEntry("t", 500, 100, "ab\ncd\n") }
                                        << QPoint(505, 130) << "t";
    }
    void EraserHits()
    {
        QFETCH(QList<QJsonObject>, shapes);
        QFETCH(QPoint, at);
        QFETCH(QString, hit);
        QVector<Shape*> entries;
        for (const QJsonObject& shape : shapes)
            entries += Made(shape);
        const QString found = BoardHitTest::EraserHit({ entries.cbegin(), entries.cend() }, at, QSize(800, 600));
        qDeleteAll(entries);
        QCOMPARE(found, hit);
    }

    // The eraser's shape shows in the highlight colour over the board while
    // the stored shape keeps its own; a click takes a whole stroke away.
    void EraserHighlightsAndErases()
    {
        m_model->Lock().Append("W1", Made(Loop("s", QRect(100, 100, 201, 101))));
        m_board->SetShape4Eraser();
        QCOMPARE(CountOf(m_board->grab().toImage(), QColor(255, 9, 255)), 0);
        Hover(QPoint(200, 150));
        QCOMPARE(m_board->GetHighlightedId(), QString("s"));
        QVERIFY(CountOf(m_board->grab().toImage(), QColor(255, 9, 255)) > 100);
        QCOMPARE(m_model->Lock().Stack("W1")->at(1)->m_penColor, QColor("#23B24D"));
        Hover(QPoint(200, 300));
        QVERIFY(m_board->GetHighlightedId().isEmpty());
        Click(QPoint(200, 300)); // nothing highlighted: nothing erased
        Hover(QPoint(200, 150));
        Click(QPoint(200, 150));
        QCOMPARE(m_requests, QStringList { "erase s" });
        QCOMPARE(m_model->Lock().Stack("W1")->size(), 0);
        QCOMPARE(CountOf(m_board->grab().toImage(), QColor(255, 9, 255)), 0);
    }

    // The laser's position leaves at each tick when it moved since the
    // last one; never a position left of or above the board.
    void LaserSendsMovedPositions()
    {
        m_board->SetShape4LaserPointer();
        Hover(QPoint(100, 100));
        Hover(QPoint(120, 130));
        m_board->NotifyLaserPointPos();
        m_board->NotifyLaserPointPos();
        Hover(QPoint(-5, 40));
        m_board->NotifyLaserPointPos();
        Hover(QPoint(400, 300));
        QTRY_COMPARE(m_requests, (QStringList { "laser 120,130", "laser 400,300" }));
        m_data->SetPermission(0);
        Hover(QPoint(10, 10));
        m_board->NotifyLaserPointPos();
        QCOMPARE(m_requests.size(), 2);
    }

    // Another participant's pointer shows by its top left corner at its
    // board point, whatever the page's size, and goes a second after the
    // last position; a point off the board is not shown.
    void RemotePointerShowsAndGoes_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QPoint>("shown"); // (-1, -1): hidden
        QTest::newRow("full size") << QSize(800, 600) << QPoint(400, 300) << QPoint(400, 300);
        QTest::newRow("half size") << QSize(400, 300) << QPoint(400, 300) << QPoint(200, 150);
        QTest::newRow("larger") << QSize(1200, 900) << QPoint(800, 600) << QPoint(1200, 900);
        QTest::newRow("right of the board") << QSize(800, 600) << QPoint(801, 10) << QPoint(-1, -1);
        QTest::newRow("far off") << QSize(800, 600) << QPoint(-100000, 100000) << QPoint(-1, -1);
    }
    void RemotePointerShowsAndGoes()
    {
        QFETCH(QSize, page);
        QFETCH(QPoint, point);
        QFETCH(QPoint, shown);
        Resize(page);
        QWidget* image = m_board->GetLaserImage();
        emit m_board->RemoteLaserPoint(point, QString());
        QCOMPARE(image->isVisible(), shown.x() >= 0);
        if (shown.x() >= 0)
            QCOMPARE(image->pos(), shown);
        QTRY_VERIFY(!image->isVisible());
    }

    // The text being typed is put away when the right goes, and comes back
    // with it.
    void RightWithdrawn()
    {
        m_board->SetShape4Text();
        Click(QPoint(100, 100));
        QTest::keyClicks(m_editor, "kept");
        m_data->SetPermission(1);
        QTRY_VERIFY(!m_editor->isVisible());
        Click(QPoint(100, 100));
        QVERIFY(!m_editor->isVisible());
        m_data->SetPermission(128);
        Type(QPoint(100, 100), [] {});
        QCOMPARE(Texts(), QStringList { "100,100:kept\n" });
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
