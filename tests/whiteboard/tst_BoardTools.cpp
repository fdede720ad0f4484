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
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>
#include <memory>

namespace {

const QColor kHighlight(255, 9, 255);

QVector<Shape*> Made(const QJsonObject& entry, const QString& board = "W1")
{
    return ShapeCodec::FromJson(entry, board, nullptr);
}

QJsonObject TextEntry(const QString& id, int x, int y, const QString& text, int size = 18)
{
    return { { "type", "text" }, { "shapeId", id }, { "x", x }, { "y", y }, { "text", text }, { "fontSize", size },
        { "textColor", "#222222" } };
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

} // namespace

// The board's pointing tools under the mouse: typing texts, picking them up
// and moving them, the eraser's highlight, the laser pointer. The session
// worker's thread is not started: requests are recorded as emitted, and
// what they would send is read from the board model's queue.
class TestBoardTools : public QObject
{
    Q_OBJECT

    DataManager* m_data = nullptr;
    BoardModel* m_model = nullptr;
    std::unique_ptr<QLabel> m_page;
    WhiteBoardWidget* m_board = nullptr;
    TextEdit* m_editor = nullptr;
    QStringList m_requests;

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
    // Opens the editor at at, types, and closes it with a click at close.
    void Type(const QPoint& at, const std::function<void()>& typing, const QPoint& close = QPoint(5, 590))
    {
        m_board->SetShape4Text();
        Click(at);
        QVERIFY(m_editor->isVisible());
        typing();
        Click(close);
        QVERIFY(!m_editor->isVisible());
    }

private slots:
    void initTestCase()
    {
        Profile* profile = TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
        m_data = profile->GetDataManager();
        m_model = m_data->GetBoardModel();
        m_data->SetPermission(128);
        connect(m_data, &DataManager::LocalNewShape, this,
            [this](int kind) { m_requests << QString("shape %1").arg(kind); });
        connect(m_data, &DataManager::LocalShapeMove, this, [this](QString id) { m_requests << "move " + id; });
        connect(m_data, &DataManager::LocalShapeEraser, this, [this](QString id) { m_requests << "erase " + id; });
        connect(m_data, &DataManager::NotifyLaserPointPos, this,
            [this](QPoint at) { m_requests << QString("laser %1,%2").arg(at.x()).arg(at.y()); });
        m_page = std::make_unique<QLabel>();
        m_page->setFixedSize(800, 600);
        m_board = new WhiteBoardWidget(m_page.get());
        m_board->SetCanvas(m_page.get());
        m_board->setGeometry(m_page->rect());
        m_editor = m_board->GetTextEdit();
        Nexus::SetWhiteBoardWidget(m_board);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }
    void cleanupTestCase()
    {
        Nexus::SetWhiteBoardWidget(nullptr);
        m_page.reset();
        Nexus::Teardown();
    }
    void init()
    {
        m_board->SetShapeType(0);
        m_editor->clear();
        m_model->Clear();
        m_board->SetCurrWhiteboardId("W1");
        m_data->SetPermission(128);
        m_requests.clear();
    }

    // What was typed is what the room gets, with a line feed wherever the
    // editor broke a line; bad input stays text.
    void TextsCommitAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("committed");
        QTest::newRow("nothing typed: no text") << "" << 100 << "";
        QTest::newRow("one line") << "ab" << 100 << "ab\n";
        QTest::newRow("two paragraphs") << "ab|cd" << 100 << "ab\ncd\n";
        QTest::newRow("markup stays text") << "<b>x</b>&amp;" << 100 << "<b>x</b>&amp;\n";
        QTest::newRow("wrapped at the board's edge") << "wrap these words at the edge" << 690 << "*";
    }
    void TextsCommitAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, x);
        QFETCH(QString, committed);
        Type(QPoint(x, 100), [&] {
            const QStringList paragraphs = typed.split('|');
            for (int i = 0; i < paragraphs.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(m_editor, Qt::Key_Return);
                QTest::keyClicks(m_editor, paragraphs.at(i));
            }
            QCOMPARE(m_editor->GetMaximumWidth(), 800 - x);
        });
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
        // Broken where the editor broke it, and no line wider than the
        // editor showed it.
        const QString text = queued.shape.text;
        QVERIFY2(text.count('\n') >= 3, qPrintable(text));
        QCOMPARE(QString(text).remove('\n'), typed);
        const QFontMetrics metrics(m_editor->font());
        for (const QString& line : text.split('\n'))
            QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= 800 - x);
    }

    // A paste brings characters, never formatting; a very long text is
    // typed, wrapped, committed and drawn.
    void PastedAndLongTexts()
    {
        auto* mime = new QMimeData();
        mime->setHtml("<b style='color:red'>粗</b><img src='x.png'>");
        mime->setText("粗");
        QGuiApplication::clipboard()->setMimeData(mime);
        const QString longText = QString("长文本 long text ").repeated(625);
        Type(QPoint(100, 100), [&] { m_editor->paste(); });
        Type(QPoint(10, 300), [&] {
            m_editor->insertPlainText(longText);
            QVERIFY(m_editor->width() <= m_editor->GetMaximumWidth());
        });
        const QStringList texts = Texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.first(), QString("100,100:粗\n"));
        QCOMPARE(texts.last().mid(7).remove('\n'), longText);
        QVERIFY(m_board->grab().toImage().pixelColor(20, 320) != QColor(Qt::transparent));
    }

    // The editor opens where the text goes, in the board's colour and at
    // the board's size, also by a double-click with a drawing tool; it
    // never opens without a page.
    void EditorOpensWhereTheTextGoes()
    {
        m_board->SetShape4Rect();
        QTest::mouseDClick(m_board, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
        QVERIFY(m_editor->isVisible());
        QCOMPARE(m_editor->pos(), QPoint(200, 150));
        QVERIFY(m_editor->styleSheet().contains("font:18px Microsoft YaHei;color:#EC2629"));
        QTest::keyClicks(m_editor, "x");
        m_board->SetShape4Text(); // leaving the tool keeps the text for later
        m_board->SetShape4Rect();
        QVERIFY(!m_editor->isVisible());
        QVERIFY(Texts().isEmpty());
        m_board->SetCurrWhiteboardId(QString());
        m_board->SetShape4Text();
        Click(QPoint(10, 10));
        QVERIFY(!m_editor->isVisible());
        QCOMPARE(m_requests, QStringList());
    }

    // A size picked while typing keeps the colour typed in, at the
    // board's size; the size is the new text's.
    void SizePickedWhileTyping()
    {
        m_page->setFixedSize(400, 300);
        m_board->setGeometry(m_page->rect());
        Type(QPoint(50, 50), [&] {
            m_editor->SetFontColor("#07A6ED");
            m_board->SetColorName("#07A6ED");
            m_editor->SetFontSize(22);
            QVERIFY2(m_editor->styleSheet().contains("font:11px Microsoft YaHei;color:#07A6ED"),
                qPrintable(m_editor->styleSheet()));
            QTest::keyClicks(m_editor, "z");
        });
        m_page->setFixedSize(800, 600);
        m_board->setGeometry(m_page->rect());
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(321, queued));
        QCOMPARE(queued.shape.fontSize, 22);
        QCOMPARE(queued.shape.colorName, QString("#07A6ED"));
        m_editor->SetFontSize(18);
        m_editor->SetFontColor("#EC2629");
        m_board->SetColorName("#EC2629");
    }

    // A text is picked up by hovering over it and moved by a drag; the
    // room hears of it once, at the release. A click moves nothing and is
    // still announced. A text picked up never blocks the next tool.
    void TextsMoveByDrag()
    {
        m_model->Lock().Append("W1", Made(TextEntry("t1", 100, 100, "move me\n")));
        m_board->SetShape4Rect();
        Hover(QPoint(110, 110));
        QCOMPARE(m_board->GetGrabbedTextId(), QString("t1"));
        TestSupport::Drag(m_board, { { 110, 110 }, { 200, 150 }, { 310, 210 } });
        QCOMPARE(Texts(), QStringList { "300,200:move me\n" });
        QCOMPARE(m_requests, QStringList { "move t1" });
        BoardAction queued;
        QVERIFY(m_model->TakeOutgoing(327, queued));
        QCOMPARE(queued.shape.points.first(), QPoint(300, 200));
        QVERIFY(!m_model->TakeOutgoing(321, queued)); // no rectangle drawn

        Hover(QPoint(305, 205));
        Click(QPoint(305, 205));
        QCOMPARE(m_requests, (QStringList { "move t1", "move t1" }));
        QCOMPARE(Texts(), QStringList { "300,200:move me\n" });

        Hover(QPoint(305, 205));
        m_board->SetShape4Eraser();
        Hover(QPoint(305, 206));
        QCOMPARE(m_board->GetHighlightedId(), QString("t1"));
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
        const QJsonObject lower { { "type", "rectangle" }, { "shapeId", "low" }, { "startX", 100 }, { "startY", 100 },
            { "width", 100 }, { "height", 100 } };
        QJsonObject upper = lower;
        upper["shapeId"] = "up";
        upper["startX"] = 150;
        const QJsonObject line { { "type", "line" }, { "shapeId", "l" }, { "endX", 100 } };
        QJsonArray loop;
        for (const QPoint& p :
            { QPoint(300, 300), QPoint(400, 300), QPoint(400, 400), QPoint(300, 400), QPoint(300, 300) })
            loop.append(QJsonObject { { "x", p.x() }, { "y", p.y() } });
        const QJsonObject stroke { { "type", "pencil" }, { "shapeId", "s" }, { "points", loop } };
        QTest::newRow("overlapping rectangles: the older")
            << QList<QJsonObject> { lower, upper } << QPoint(170, 150) << "low";
        QTest::newRow("the newer beside it") << QList<QJsonObject> { lower, upper } << QPoint(230, 150) << "up";
        QTest::newRow("line: two units") << QList<QJsonObject> { line } << QPoint(50, 14) << "l";
        QTest::newRow("line: three units") << QList<QJsonObject> { line } << QPoint(50, 15) << "";
        QTest::newRow("inside a closed stroke") << QList<QJsonObject> { stroke } << QPoint(350, 350) << "s";
        QTest::newRow("outside it") << QList<QJsonObject> { stroke } << QPoint(450, 350) << "";
        QTest::newRow("a text's lines") << QList<QJsonObject> { TextEntry("t", 500, 100, "ab\ncd\n") }
                                        << QPoint(505, 130) << "t";
    }
    void EraserHits()
    {
        QFETCH(QList<QJsonObject>, shapes);
        QFETCH(QPoint, at);
        QFETCH(QString, hit);
        std::vector<std::unique_ptr<Shape>> owned;
        QVector<const Shape*> entries;
        for (const QJsonObject& shape : shapes) {
            for (Shape* entry : Made(shape)) {
                owned.emplace_back(entry);
                entries << entry;
            }
        }
        QCOMPARE(BoardHitTest::EraserHit(entries, at, QSize(800, 600)), hit);
    }

    // The eraser's shape shows in the highlight colour over the board while
    // the stored shape keeps its own; a click takes a whole stroke away.
    void EraserHighlightsAndErases()
    {
        QJsonArray points;
        for (const QPoint& p :
            { QPoint(100, 100), QPoint(300, 100), QPoint(300, 200), QPoint(100, 200), QPoint(100, 100) })
            points.append(QJsonObject { { "x", p.x() }, { "y", p.y() } });
        m_model->Lock().Append("W1",
            Made({ { "type", "pencil" }, { "shapeId", "s" }, { "color", "#23B24D" }, { "thickness", 3 },
                { "points", points } }));
        m_board->SetShape4Eraser();
        QCOMPARE(CountOf(m_board->grab().toImage(), kHighlight), 0);
        Hover(QPoint(200, 150));
        QCOMPARE(m_board->GetHighlightedId(), QString("s"));
        QVERIFY(CountOf(m_board->grab().toImage(), kHighlight) > 100);
        QCOMPARE(m_model->Lock().Stack("W1")->at(1)->m_penColor, QColor("#23B24D"));
        Hover(QPoint(200, 300));
        QVERIFY(m_board->GetHighlightedId().isEmpty());
        Click(QPoint(200, 300)); // nothing highlighted: nothing erased
        Hover(QPoint(200, 150));
        Click(QPoint(200, 150));
        QCOMPARE(m_requests, QStringList { "erase s" });
        QCOMPARE(m_model->Lock().Stack("W1")->size(), 0);
        QCOMPARE(CountOf(m_board->grab().toImage(), kHighlight), 0);
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
        m_page->setFixedSize(page);
        m_board->setGeometry(m_page->rect());
        QWidget* image = m_board->GetLaserImage();
        emit m_board->RemoteLaserPoint(point, QString());
        QCOMPARE(image->isVisible(), shown.x() >= 0);
        if (shown.x() >= 0)
            QCOMPARE(image->pos(), shown);
        QTRY_VERIFY(!image->isVisible());
        m_page->setFixedSize(800, 600);
        m_board->setGeometry(m_page->rect());
    }

    // Without the right the board takes no input, and what was going on
    // when it went stops.
    void RightWithdrawn()
    {
        m_board->SetShape4Text();
        Click(QPoint(100, 100));
        QTest::keyClicks(m_editor, "kept");
        m_data->SetPermission(1);
        QTRY_VERIFY(!m_editor->isVisible());
        Click(QPoint(100, 100));
        QVERIFY(!m_editor->isVisible());
        m_board->SetShape4Rect();
        TestSupport::Drag(m_board, { { 10, 10 }, { 300, 300 } });
        QVERIFY(!m_model->Lock().Stack("W1"));
        m_data->SetPermission(128);
        Type(QPoint(100, 100), [] {});
        QCOMPARE(Texts(), QStringList { "100,100:kept\n" });
    }
};

PLOVIX_TEST(TestBoardTools)
#include "tst_BoardTools.moc"
