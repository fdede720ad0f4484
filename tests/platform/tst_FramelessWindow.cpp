#include "TestRegistry.h"

#include "app/CFramelessWindow.h"
#include "platform/FramelessWindow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::Edges)

namespace {
const QSize kFree(100, 100);
const QSize kNoLimit(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
const Qt::Edges kNone;
} // namespace

// The pure rules of a window without system frame.
class TestFramelessRules : public QObject
{
    Q_OBJECT

private slots:
    void EdgesAt_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<int>("border");
        QTest::addColumn<QSize>("minSize");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<Qt::Edges>("edges");

        const QRect frame(0, 0, 1000, 640);
        const QSize fixedWidth(1000, 100);
        const QSize fixedWidthMax(1000, QWIDGETSIZE_MAX);
        const QSize fixedHeight(100, 640);
        const QSize fixedHeightMax(QWIDGETSIZE_MAX, 640);
        QTest::newRow("centre") << frame << QPoint(500, 320) << 2 << kFree << kNoLimit << kNone;
        QTest::newRow("left outermost") << frame << QPoint(0, 320) << 2 << kFree << kNoLimit << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("left second pixel")
            << frame << QPoint(1, 320) << 2 << kFree << kNoLimit << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("left third pixel is inside") << frame << QPoint(2, 320) << 2 << kFree << kNoLimit << kNone;
        QTest::newRow("right outermost") << frame << QPoint(999, 320) << 2 << kFree << kNoLimit
                                         << Qt::Edges(Qt::RightEdge);
        QTest::newRow("right second pixel")
            << frame << QPoint(998, 320) << 2 << kFree << kNoLimit << Qt::Edges(Qt::RightEdge);
        QTest::newRow("right third pixel is inside") << frame << QPoint(997, 320) << 2 << kFree << kNoLimit << kNone;
        QTest::newRow("top") << frame << QPoint(500, 0) << 2 << kFree << kNoLimit << Qt::Edges(Qt::TopEdge);
        QTest::newRow("bottom") << frame << QPoint(500, 639) << 2 << kFree << kNoLimit << Qt::Edges(Qt::BottomEdge);
        QTest::newRow("top-left") << frame << QPoint(1, 1) << 2 << kFree << kNoLimit
                                  << Qt::Edges(Qt::TopEdge | Qt::LeftEdge);
        QTest::newRow("top-right") << frame << QPoint(999, 0) << 2 << kFree << kNoLimit
                                   << Qt::Edges(Qt::TopEdge | Qt::RightEdge);
        QTest::newRow("bottom-left") << frame << QPoint(0, 639) << 2 << kFree << kNoLimit
                                     << Qt::Edges(Qt::BottomEdge | Qt::LeftEdge);
        QTest::newRow("bottom-right") << frame << QPoint(998, 638) << 2 << kFree << kNoLimit
                                      << Qt::Edges(Qt::BottomEdge | Qt::RightEdge);
        QTest::newRow("default border of 5")
            << frame << QPoint(4, 320) << 5 << kFree << kNoLimit << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("just inside a border of 5") << frame << QPoint(5, 320) << 5 << kFree << kNoLimit << kNone;

        QTest::newRow("fixed width: no left") << frame << QPoint(0, 320) << 2 << fixedWidth << fixedWidthMax << kNone;
        QTest::newRow("fixed width: no right")
            << frame << QPoint(999, 320) << 2 << fixedWidth << fixedWidthMax << kNone;
        QTest::newRow("fixed width: corner is top only")
            << frame << QPoint(0, 0) << 2 << fixedWidth << fixedWidthMax << Qt::Edges(Qt::TopEdge);
        QTest::newRow("fixed width: corner is bottom only")
            << frame << QPoint(999, 639) << 2 << fixedWidth << fixedWidthMax << Qt::Edges(Qt::BottomEdge);
        QTest::newRow("fixed height: no top") << frame << QPoint(500, 0) << 2 << fixedHeight << fixedHeightMax << kNone;
        QTest::newRow("fixed height: corner is left only")
            << frame << QPoint(0, 639) << 2 << fixedHeight << fixedHeightMax << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("fixed size: nothing")
            << frame << QPoint(0, 0) << 2 << QSize(1000, 640) << QSize(1000, 640) << kNone;

        QTest::newRow("narrow: right wins")
            << QRect(0, 0, 3, 640) << QPoint(1, 320) << 2 << QSize(1, 1) << kNoLimit << Qt::Edges(Qt::RightEdge);
        QTest::newRow("low: top wins") << QRect(0, 0, 1000, 3) << QPoint(500, 1) << 2 << QSize(1, 1) << kNoLimit
                                       << Qt::Edges(Qt::TopEdge);
        QTest::newRow("outside left") << frame << QPoint(-1, 320) << 2 << kFree << kNoLimit << kNone;
        QTest::newRow("outside right") << frame << QPoint(1000, 320) << 2 << kFree << kNoLimit << kNone;
        QTest::newRow("no border") << frame << QPoint(0, 320) << 0 << kFree << kNoLimit << kNone;
        QTest::newRow("moved frame") << QRect(100, 50, 400, 300) << QPoint(100, 349) << 2 << kFree << kNoLimit
                                     << Qt::Edges(Qt::LeftEdge | Qt::BottomEdge);
    }
    void EdgesAt()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, cursor);
        QFETCH(int, border);
        QFETCH(QSize, minSize);
        QFETCH(QSize, maxSize);
        QFETCH(Qt::Edges, edges);
        QCOMPARE(FramelessWindow::edgesAt(frame, cursor, border, minSize, maxSize), edges);
    }

    void CursorFor()
    {
        QCOMPARE(FramelessWindow::cursorFor(kNone), Qt::ArrowCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::LeftEdge), Qt::SizeHorCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::RightEdge), Qt::SizeHorCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::TopEdge), Qt::SizeVerCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::BottomEdge), Qt::SizeVerCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::TopEdge | Qt::LeftEdge), Qt::SizeFDiagCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::BottomEdge | Qt::RightEdge), Qt::SizeFDiagCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::TopEdge | Qt::RightEdge), Qt::SizeBDiagCursor);
        QCOMPARE(FramelessWindow::cursorFor(Qt::BottomEdge | Qt::LeftEdge), Qt::SizeBDiagCursor);
    }

    void ResizedGeometry_data()
    {
        QTest::addColumn<Qt::Edges>("edges");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("result");
        // Start (100, 100) 400 x 300; minimum 200 x 150, maximum 600 x 500.
        QTest::newRow("right grows") << Qt::Edges(Qt::RightEdge) << QPoint(50, 7) << QRect(100, 100, 450, 300);
        QTest::newRow("left grows, right stays")
            << Qt::Edges(Qt::LeftEdge) << QPoint(-30, 0) << QRect(70, 100, 430, 300);
        QTest::newRow("left stops at the minimum")
            << Qt::Edges(Qt::LeftEdge) << QPoint(1000, 0) << QRect(300, 100, 200, 300);
        QTest::newRow("right stops at the maximum")
            << Qt::Edges(Qt::RightEdge) << QPoint(1000, 0) << QRect(100, 100, 600, 300);
        QTest::newRow("top shrinks, bottom stays")
            << Qt::Edges(Qt::TopEdge) << QPoint(0, 40) << QRect(100, 140, 400, 260);
        QTest::newRow("top stops at the minimum")
            << Qt::Edges(Qt::TopEdge) << QPoint(0, 1000) << QRect(100, 250, 400, 150);
        QTest::newRow("bottom-right corner")
            << Qt::Edges(Qt::BottomEdge | Qt::RightEdge) << QPoint(20, 30) << QRect(100, 100, 420, 330);
        QTest::newRow("top-left corner") << Qt::Edges(Qt::TopEdge | Qt::LeftEdge) << QPoint(-10, -20)
                                         << QRect(90, 80, 410, 320);
    }
    void ResizedGeometry()
    {
        QFETCH(Qt::Edges, edges);
        QFETCH(QPoint, delta);
        QFETCH(QRect, result);
        QCOMPARE(
            FramelessWindow::resizedGeometry(QRect(100, 100, 400, 300), edges, delta, QSize(200, 150), QSize(600, 500)),
            result);
    }

    void MaximizedMargins()
    {
        // 8 / 1.5 = 5.33: five pixels on each side.
        QCOMPARE(FramelessWindow::maximizedMargins(QMargins(), QMargins(8, 8, 8, 8), 1.5), QMargins(5, 5, 5, 5));
        QCOMPARE(FramelessWindow::maximizedMargins(QMargins(), QMargins(8, 8, 8, 8), 1.0), QMargins(8, 8, 8, 8));
        // The caption height never reaches the top: the bottom frame stands
        // for it.
        QCOMPARE(FramelessWindow::maximizedMargins(QMargins(1, 2, 3, 4), QMargins(8, 31, 8, 8), 1.0),
            QMargins(9, 10, 11, 12));
        QCOMPARE(FramelessWindow::maximizedMargins(QMargins(), QMargins(8, 8, 8, 8), 0), QMargins(8, 8, 8, 8));
        // No native frame on this desktop.
        QCOMPARE(FramelessWindow::nativeMaximizedFrame(nullptr), QMargins());
    }
};

// The base window on the offscreen platform, which takes neither resizes nor
// moves itself, so the base resizes by hand.
class TestFramelessWindow : public QObject
{
    Q_OBJECT

    CFramelessWindow* m_window = nullptr;
    QPushButton* m_content = nullptr;

    QWindow* Handle() const { return m_window->windowHandle(); }

private slots:
    void init()
    {
        m_window = new CFramelessWindow();
        m_window->setMinimumSize(200, 150);
        m_window->setGeometry(100, 100, 400, 300);
        // A child covering everything: the edges must still resize.
        m_content = new QPushButton(m_window);
        m_content->setGeometry(0, 0, 400, 300);
        m_window->SetResizeBorderWidth(2);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    void ConstructedFramelessAndResizable()
    {
        CFramelessWindow window;
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(window.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(window.IsResizeEnabled());
        QCOMPARE(window.GetResizeBorderWidth(), 5);
        QCOMPARE(window.GetStoredMargins(), QMargins());
    }

    void BorderWidthNeverBelowOne()
    {
        m_window->SetResizeBorderWidth(0);
        QCOMPARE(m_window->GetResizeBorderWidth(), 1);
        m_window->SetResizeBorderWidth(-7);
        QCOMPARE(m_window->GetResizeBorderWidth(), 1);
        m_window->SetResizeBorderWidth(2);
        QCOMPARE(m_window->GetResizeBorderWidth(), 2);
    }

    void ResizeSwitchKeepsVisibility()
    {
        m_window->SetResizeEnabled(false);
        QVERIFY(m_window->isVisible());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
        m_window->SetResizeEnabled(true);
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);

        CFramelessWindow hidden;
        hidden.SetResizeEnabled(false);
        hidden.SetResizeEnabled(true);
        QVERIFY(!hidden.isVisible());
    }

    void TitleBarIsForgottenWhenDestroyed()
    {
        auto* bar = new QWidget(m_window);
        m_window->RegisterTitleBar(bar);
        QCOMPARE(m_window->GetTitleBar(), bar);
        delete bar;
        QVERIFY(!m_window->GetTitleBar());
    }

    void NonDragWidgetsWithoutNullOrDuplicates()
    {
        auto* label = new QWidget(m_window);
        m_window->AddNonDragWidget(nullptr);
        m_window->AddNonDragWidget(label);
        m_window->AddNonDragWidget(label);
        QCOMPARE(m_window->GetNonDragWidgets(), QList<QWidget*>({ label }));
        delete label;
        QVERIFY(m_window->GetNonDragWidgets().isEmpty());
    }

    void EdgeShowsResizeCursor()
    {
        QTest::mouseMove(Handle(), QPoint(399, 150));
        QCOMPARE(Handle()->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(Handle(), QPoint(1, 1));
        QCOMPARE(Handle()->cursor().shape(), Qt::SizeFDiagCursor);
        QTest::mouseMove(Handle(), QPoint(200, 150));
        QCOMPARE(Handle()->cursor().shape(), Qt::ArrowCursor);
    }

    void RightEdgeDragResizes()
    {
        QSignalSpy pressed(m_content, &QPushButton::pressed);
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(399, 150));
        QTest::mouseMove(Handle(), QPoint(449, 160));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(449, 160));
        QCOMPARE(m_window->geometry(), QRect(100, 100, 450, 300));
        // The press belonged to the edge, not to the content below it.
        QCOMPARE(pressed.count(), 0);
    }

    void LeftEdgeDragKeepsTheRightEdge()
    {
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(1, 150));
        QTest::mouseMove(Handle(), QPoint(-39, 150));
        QCOMPARE(m_window->geometry(), QRect(60, 100, 440, 300));
        // The pointer has not moved since; the window has.
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(1, 150));
        QCOMPARE(m_window->geometry(), QRect(60, 100, 440, 300));
    }

    void DragStopsAtMinimumSize()
    {
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(200, 299));
        QTest::mouseMove(Handle(), QPoint(200, 10));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(200, 10));
        QCOMPARE(m_window->geometry(), QRect(100, 100, 400, 150));
    }

    void InsideGoesToTheContent()
    {
        QSignalSpy pressed(m_content, &QPushButton::pressed);
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(200, 150));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(m_window->geometry(), QRect(100, 100, 400, 300));
    }

    void FixedWidthOrDisabledDoesNotResize()
    {
        m_window->setFixedWidth(400);
        QSignalSpy pressed(m_content, &QPushButton::pressed);
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(399, 150));
        QTest::mouseMove(Handle(), QPoint(449, 150));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(449, 150));
        QCOMPARE(m_window->width(), 400);
        QCOMPARE(pressed.count(), 1);

        m_window->setMinimumSize(200, 150);
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_window->SetResizeEnabled(false);
        QTest::mousePress(Handle(), Qt::LeftButton, {}, QPoint(200, 299));
        QTest::mouseMove(Handle(), QPoint(200, 340));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, QPoint(200, 340));
        QCOMPARE(m_window->height(), 300);
    }

    void FullScreenAfterMaximiseDropsTheFrame()
    {
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized());
        QCOMPARE(m_window->contentsMargins(), QMargins());
        m_window->showFullScreen();
        QTRY_VERIFY(m_window->isFullScreen());
        QCOMPARE(m_window->contentsMargins(), m_window->GetStoredMargins());
        // No edges while the window fills the screen.
        QTest::mouseMove(Handle(), QPoint(1, 100));
        QVERIFY(Handle()->cursor().shape() != Qt::SizeHorCursor);
    }
};

PLOVIX_TEST(TestFramelessRules)
PLOVIX_TEST(TestFramelessWindow)
#include "tst_FramelessWindow.moc"
