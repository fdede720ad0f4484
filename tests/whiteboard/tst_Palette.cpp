#include "../room/RoomScreens.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "whiteboard/PaletteWidget.h"
#include "whiteboard/ShapeCodec.h"
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
private slots:
    void initTestCase()
    {
        QApplication::setFont(QFont("Microsoft YaHei UI")); // as the client shows itself
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
    // bottom of the course area; the clear button is never laid out.
    void LaysOutWithTheRight()
    {
        QWidget* area = CourseArea();
        QCOMPARE(Palette()->geometry(), QRect((area->width() - 360) / 2, area->height() - 50, 360, 40));
        const Button order[] = { PaletteWidget::Laser, PaletteWidget::Pencil, PaletteWidget::Text, PaletteWidget::Line,
            PaletteWidget::Rect, PaletteWidget::Eraser, PaletteWidget::Undo, PaletteWidget::Redo,
            PaletteWidget::Color };
        const int x[] = { 10, 46, 90, 130, 170, 210, 250, 290, 330 };
        for (int i = 0; i < 9; ++i)
            QVERIFY(ButtonOf(order[i])->isVisible() && ButtonOf(order[i])->geometry() == QRect(x[i], 8, 24, 24));
        QVERIFY(!ButtonOf(PaletteWidget::Clear)->isVisible());
    }

    // A tool left gets its own picture back (the eraser its used one);
    // a code without a button only unmarks.
    void MarksFollowTheTool()
    {
        Board()->SetShape4Eraser();
        Board()->SetShape4Pen();
        QVERIFY(ButtonOf(PaletteWidget::Eraser)
                    ->styleSheet()
                    .startsWith("QPushButton{image: url(:resource/whiteboard/x1/eraser.png)"));
        Palette()->OnShapeBarChanged(9);
        Palette()->OnShapeBarChanged(9);
        QVERIFY(ButtonOf(PaletteWidget::Pencil)
                    ->styleSheet()
                    .startsWith("QPushButton{image: url(:resource/whiteboard/x1/pencil.png)"));
        QCOMPARE(Palette()->GetCurrentShape(), 9);
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
        // Every colour in its own 40-pixel cell, in the client's font.
        for (int column = 0; column < 6; ++column)
            QCOMPARE(box->GetGrid()->cellWidget(0, column)->geometry(), QRect(column * 40, 0, 39, 39));
        Cross(box, false);
        QTRY_VERIFY(!box->isVisible());
        // Nothing to pick without the right: the box goes with it.
        Cross(ButtonOf(PaletteWidget::Color), true);
        m_data->SetPermission(1);
        emit Palette()->ShowPalette();
        QVERIFY(!box->isVisible() && Palette()->visibleRegion().isEmpty());
    }

    // Each button takes the board to its tool and is marked while it is
    // the tool. For a person to look at, at both scales: the palette with
    // each tool chosen, the colour box and the size picker open, a board
    // with texts of each size and another participant's laser pointer.
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
        const char* images[] = { "rect", "line", "pencil", "text", "eraser", "magic_wand" };
        for (int i = 0; i < 6; ++i) {
            QTest::mouseClick(ButtonOf(buttons[i]), Qt::LeftButton);
            QVERIFY(Board()->GetShapeType() == i + 1 && Palette()->GetCurrentShape() == i + 1);
            QVERIFY(ButtonOf(buttons[i])
                        ->styleSheet()
                        .startsWith(QStringLiteral("QPushButton{image: url(:resource/whiteboard/%1/%2_hover.png)")
                                        .arg(folder, images[i])));
            Palette()->render(&painter, QPoint(10, 5 + i * 50));
        }
        painter.end();
        QVERIFY(tools.save(TestSupport::ScreenshotFolder() + "/palette-tools-" + folder + ".png"));

        const QStringList texts { "小号字 Small text\n第二行\n", "中号字：勾股定理 a² + b² = c²\n",
            "大号字 <b>不是粗体</b>\n" };
        const char* colours[] = { "#000000", "#EC2629", "#07A6ED" };
        for (int i = 0; i < 3; ++i) {
            const QJsonObject text { { "type", "text" }, { "shapeId", QString::number(i) }, { "textColor", colours[i] },
                { "fontSize", QList<int> { 16, 18, 22 }.at(i) }, { "x", 60 }, { "y", 60 + i * 130 },
                { "text", texts.at(i) } };
            m_data->GetBoardModel()->Lock().Append("W1", ShapeCodec::FromJson(text, "W1", m_middle->GetCanvas()));
        }
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
