#include "../room/RoomScreens.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "whiteboard/ColorBoxWindow.h"
#include "whiteboard/PaletteWidget.h"
#include "whiteboard/ShapeCodec.h"
#include "whiteboard/TextEdit.h"
#include "whiteboard/TextSelectWindow.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QJsonObject>
#include <QPainter>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

using Button = PaletteWidget::Button;

// A mouse entering or leaving a widget, as the window system reports it.
void Cross(QWidget* widget, bool enter)
{
    QEvent event(enter ? QEvent::Enter : QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// The palette, its colour box and text-size picker in the centre panel of
// a class-room window: laid out by the whiteboard right, choosing the
// board's tool, colour and text size, pop-ups shown while the mouse is on
// them. The session's worker runs, without a service.
class TestPalette : public QObject
{
    Q_OBJECT

    DataManager* m_data = nullptr;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<MiddleArea> m_middle;

    PaletteWidget* Palette() { return m_middle->GetPaletteWidget(); }
    WhiteBoardWidget* Board() { return m_middle->GetWhiteBoardWidget(); }
    QPushButton* ButtonOf(Button button) { return Palette()->GetButton(button); }
    QWidget* CourseArea() { return m_middle->findChild<QWidget*>("COURSE_BG_SHOW_AREA"); }

    // A class-room window with its centre panel, at the profile's scale.
    void Build(const QSize& size = QSize(1366, 768))
    {
        // Shapes keep the page view they scale with: they go with it.
        m_data->GetBoardModel()->Clear();
        m_middle.reset();
        m_window = std::make_unique<QWidget>();
        m_window->resize(size);
        m_middle = std::make_unique<MiddleArea>();
        Nexus::SetMiddleArea(m_middle.get());
        Nexus::SetPaletteWidget(Palette());
        Nexus::SetWhiteBoardWidget(Board());
        m_middle->SetupLayout(m_window.get());
        m_middle->PresentationSizeAdapte(":/resource/courselist/blank.png");
        Board()->SetCurrWhiteboardId("W1");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    // The cell widget of a pop-up's grid.
    template <typename Cell, typename Grid> Cell* CellOf(Grid* grid, int column)
    {
        return qobject_cast<Cell*>(grid->cellWidget(0, column));
    }

private slots:
    void initTestCase()
    {
        m_data = RoomScreens::StartSession();
        m_data->SetPermission(128);
        Build();
    }
    void cleanupTestCase()
    {
        Nexus::SetMiddleArea(nullptr);
        Nexus::SetPaletteWidget(nullptr);
        Nexus::SetWhiteBoardWidget(nullptr);
        m_middle.reset();
        m_window.reset();
        Nexus::Teardown();
    }
    void init()
    {
        Board()->SetShapeType(0);
        m_data->SetPermission(128);
        emit Palette()->ShowPalette();
    }

    // With the right the palette holds the drawing tools, centred at the
    // bottom of the course area; without it nothing of it shows. It
    // follows the right as the room changes it.
    void LaysOutByTheRight()
    {
        QWidget* area = CourseArea();
        QCOMPARE(Palette()->geometry(), QRect((area->width() - 360) / 2, area->height() - 50, 360, 40));
        const QList<QPair<Button, int>> places { { PaletteWidget::Laser, 10 }, { PaletteWidget::Pencil, 46 },
            { PaletteWidget::Text, 90 }, { PaletteWidget::Line, 130 }, { PaletteWidget::Rect, 170 },
            { PaletteWidget::Eraser, 210 }, { PaletteWidget::Undo, 250 }, { PaletteWidget::Redo, 290 },
            { PaletteWidget::Color, 330 } };
        for (const auto& place : places) {
            QVERIFY(ButtonOf(place.first)->isVisible());
            QCOMPARE(ButtonOf(place.first)->geometry(), QRect(place.second, 8, 24, 24));
        }
        QVERIFY(!ButtonOf(PaletteWidget::Clear)->isVisible());

        m_data->SetPermission(1);
        emit Palette()->ShowPalette();
        QCOMPARE(Palette()->width(), 0);
        QVERIFY(Palette()->visibleRegion().isEmpty());
        QVERIFY(!ButtonOf(PaletteWidget::Pencil)->isVisible());
        m_data->SetPermission(129);
        emit Palette()->ShowPalette();
        QCOMPARE(Palette()->width(), 360);
        QVERIFY(ButtonOf(PaletteWidget::Pencil)->isVisible());
    }

    // Each button takes the board to its tool and is marked while it is
    // the tool; the mark moves with the board's tool.
    void ButtonsChooseTools_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("tool");
        QTest::addColumn<QString>("image");
        QTest::newRow("rectangle") << int(PaletteWidget::Rect) << 1 << "rect";
        QTest::newRow("line") << int(PaletteWidget::Line) << 2 << "line";
        QTest::newRow("pencil") << int(PaletteWidget::Pencil) << 3 << "pencil";
        QTest::newRow("text") << int(PaletteWidget::Text) << 4 << "text";
        QTest::newRow("eraser") << int(PaletteWidget::Eraser) << 5 << "eraser";
        QTest::newRow("laser") << int(PaletteWidget::Laser) << 6 << "magic_wand";
    }
    void ButtonsChooseTools()
    {
        QFETCH(int, button);
        QFETCH(int, tool);
        QFETCH(QString, image);
        QTest::mouseClick(ButtonOf(Button(button)), Qt::LeftButton);
        QCOMPARE(Board()->GetShapeType(), tool);
        QCOMPARE(Palette()->GetCurrentShape(), tool);
        QVERIFY(
            ButtonOf(Button(button))
                ->styleSheet()
                .startsWith(QStringLiteral("QPushButton{image: url(:resource/whiteboard/x1/%1_hover.png)").arg(image)));
        QTest::mouseClick(ButtonOf(tool == 1 ? PaletteWidget::Line : PaletteWidget::Rect), Qt::LeftButton);
        // Back to its own picture; the eraser's after its first use.
        QVERIFY(ButtonOf(Button(button))
                    ->styleSheet()
                    .startsWith(QStringLiteral("QPushButton{image: url(:resource/whiteboard/x1/%1.png)").arg(image)));
        const QString before = ButtonOf(PaletteWidget::Pencil)->styleSheet();
        Palette()->OnShapeBarChanged(9);
        Palette()->OnShapeBarChanged(9);
        QCOMPARE(ButtonOf(PaletteWidget::Pencil)->styleSheet(), before);
        QCOMPARE(Palette()->GetCurrentShape(), 9);
    }

    // The colour box opens over the colour button; a colour sets the
    // board's pen and text colour and the button's picture, and closes it.
    void ColourPicked()
    {
        ColorBoxWindow* box = m_middle->GetColorBox();
        QPushButton* button = ButtonOf(PaletteWidget::Color);
        Cross(button, true);
        QVERIFY(box->isVisible());
        const QPoint over = button->mapTo(m_window.get(), QPoint());
        QCOMPARE(box->geometry(), QRect(over.x() - 121, over.y() - 43, 242, 40));
        auto* blue = CellOf<ColorBoxItemWidget>(box->GetGrid(), 3);
        QTest::mouseClick(blue, Qt::LeftButton);
        QVERIFY(!box->isVisible());
        QCOMPARE(Board()->GetPenColor(), QColor(7, 166, 237));
        QCOMPARE(Board()->GetColorName(), QString("#07A6ED"));
        QCOMPARE(Board()->GetTextEdit()->GetFontColor(), QString("#07A6ED"));
        QVERIFY(button->styleSheet().contains("/color4.png"));
        Board()->SetColor(QColor(1, 2, 3));
        Palette()->OnColorChanged(QColor(1, 2, 3));
        QVERIFY(button->styleSheet().contains("/color4.png"));
        QTest::mouseClick(CellOf<ColorBoxItemWidget>(box->GetGrid(), 2), Qt::LeftButton);
    }

    // A size takes up the text tool with that size; the choice stays
    // marked.
    void SizePicked()
    {
        TextSelectWindow* picker = m_middle->GetTextSelectBox();
        Board()->SetShape4Line();
        Cross(ButtonOf(PaletteWidget::Text), true);
        QVERIFY(picker->isVisible());
        auto* large = CellOf<TextSelectItem>(picker->GetGrid(), 2);
        QCOMPARE(large->GetSizeDesc(), QString("大"));
        QTest::mouseClick(large, Qt::LeftButton);
        QVERIFY(!picker->isVisible());
        QCOMPARE(Board()->GetShapeType(), 4);
        QCOMPARE(Palette()->GetCurrentShape(), 4);
        QCOMPARE(Board()->GetTextEdit()->GetFontSize(), 22);
        QCOMPARE(Board()->GetFontSize(), 22);
        for (int column = 0; column < 3; ++column) {
            auto* cell = CellOf<TextSelectItem>(picker->GetGrid(), column);
            QCOMPARE(cell->IsMarked(), column == 2);
        }
        QTest::mouseClick(CellOf<TextSelectItem>(picker->GetGrid(), 1), Qt::LeftButton);
    }

    // A pop-up stays while the mouse goes from its button into it, and
    // closes a second after the mouse left both.
    void PopUpsFollowTheMouse()
    {
        ColorBoxWindow* box = m_middle->GetColorBox();
        Cross(ButtonOf(PaletteWidget::Color), true);
        QVERIFY(box->isVisible());
        Cross(ButtonOf(PaletteWidget::Color), false);
        Cross(box, true);
        QTest::qWait(1300); // longer than the closing delay
        QVERIFY(box->isVisible());
        Cross(box, false);
        QTRY_VERIFY(!box->isVisible());
        m_data->SetPermission(0);
        Cross(ButtonOf(PaletteWidget::Color), true);
        m_data->SetPermission(1);
        emit Palette()->ShowPalette();
        QVERIFY(!box->isVisible());
    }

    // For a person to look at, at both scales: the palette with each tool
    // chosen, the colour box and the size picker open, a board with texts
    // of each size and another participant's laser pointer.
    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        Build(QSize(1280, 720));
        QWidget* area = CourseArea();
        QPixmap tools(QSize(380, 6 * 50) * factor);
        tools.setDevicePixelRatio(factor);
        tools.fill(QColor(0xe8, 0xe9, 0xeb));
        QPainter painter(&tools);
        const Button buttons[] = { PaletteWidget::Rect, PaletteWidget::Line, PaletteWidget::Pencil, PaletteWidget::Text,
            PaletteWidget::Eraser, PaletteWidget::Laser };
        for (int i = 0; i < 6; ++i) {
            QTest::mouseClick(ButtonOf(buttons[i]), Qt::LeftButton);
            Palette()->render(&painter, QPoint(10, 5 + i * 50));
        }
        painter.end();
        QVERIFY(tools.save(TestSupport::ScreenshotFolder() + "/palette-tools-" + folder + ".png"));

        const QList<QJsonObject> texts {
            { { "type", "text" }, { "shapeId", "a" }, { "textColor", "#000000" }, { "fontSize", 16 }, { "x", 60 },
                { "y", 60 }, { "text", "小号字 Small text\n第二行\n" } },
            { { "type", "text" }, { "shapeId", "b" }, { "textColor", "#EC2629" }, { "fontSize", 18 }, { "x", 60 },
                { "y", 200 }, { "text", "中号字：勾股定理 a² + b² = c²\n" } },
            { { "type", "text" }, { "shapeId", "c" }, { "textColor", "#07A6ED" }, { "fontSize", 22 }, { "x", 60 },
                { "y", 320 }, { "text", "大号字 <b>不是粗体</b>\n" } },
        };
        for (const QJsonObject& text : texts)
            m_data->GetBoardModel()->Lock().Append("W1", ShapeCodec::FromJson(text, "W1", m_middle->GetCanvas()));
        emit Board()->RemoteLaserPoint(QPoint(520, 250), QString());
        QVERIFY(Board()->GetLaserImage()->isVisible());
        RoomScreens::SaveScaled(area, "board-texts-laser", factor, folder);

        Cross(ButtonOf(PaletteWidget::Color), true);
        RoomScreens::SaveScaled(m_window.get(), "palette-colours", factor, folder);
        m_middle->OnHideColorBox();
        Cross(ButtonOf(PaletteWidget::Text), true);
        RoomScreens::SaveScaled(m_window.get(), "palette-sizes", factor, folder);
        m_middle->OnHideTextSelectBox();
        Nexus::GetProfile()->SetScale(1, "x1");
        Build();
    }
};

PLOVIX_TEST(TestPalette)
#include "tst_Palette.moc"
