#include "MainWindowFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/DoubleClickLabel.h"
#include "app/ExitFeedback.h"
#include "app/TitleBar.h"
#include "app/TopArea.h"
#include "app/WindowDragger.h"
#include "entry/RoomEntryWidget.h"
#include "entry/TechSupportWidget.h"
#include "entry/UserFeedBack.h"
#include "rtc/DeviceTest.h"
#include "session/DataManager.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>

namespace {

QList<QWidget*> ShownParts(TitleBar* bar)
{
    QList<QWidget*> parts;
    for (QWidget* part : { static_cast<QWidget*>(bar->GetCloseButton()), static_cast<QWidget*>(bar->GetMaxButton()),
             static_cast<QWidget*>(bar->GetMinButton()), static_cast<QWidget*>(bar->GetLineLabel()),
             static_cast<QWidget*>(bar->GetSupportButton()), static_cast<QWidget*>(bar->GetRefreshButton()),
             static_cast<QWidget*>(bar->GetDeviceTestButton()), static_cast<QWidget*>(bar->GetExitButton()),
             static_cast<QWidget*>(bar->GetLogoLabel()), static_cast<QWidget*>(bar->GetTitleLabel()) }) {
        if (part->isVisible())
            parts << part;
    }
    return parts;
}

} // namespace

// The title bar in both of its layouts and with its commands.
class TestTitleBar : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    TitleBar* m_bar = nullptr;

    QWindow* Handle() const { return m_window->windowHandle(); }

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::BuildLoggedIn();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_bar = m_window->GetTitleBar();
        QVERIFY(m_bar);
    }
    void cleanupTestCase() { delete m_window; }
    void init()
    {
        ExitFeedback::SetGate(nullptr);
        m_window->show();
        MainWindowFixture::BackToCourseHome(m_window);
    }

    void CourseListLayout()
    {
        QVERIFY(!m_bar->IsClassRoomLayout());
        QCOMPARE(m_bar->objectName(), QString("_TOOL_BAR_"));
        QCOMPARE(m_bar->parentWidget(), m_window);
        QCOMPARE(m_bar->geometry(), QRect(0, 0, 1000, 40));
        QCOMPARE(m_bar->styleSheet(), QString("background:rgb(255, 255, 255);"));
        QCOMPARE(m_bar->GetExitButton()->text(), QString("密码登录"));
        QCOMPARE(m_bar->GetSupportButton()->text(), QString("技术支持"));
        QCOMPARE(m_bar->GetTitleLabel()->text(), QString("普罗维课堂"));
        QVERIFY(m_bar->GetLogoLabel()->isVisible());
        QVERIFY(!m_bar->GetRefreshButton()->isVisible());
        QVERIFY(!m_bar->GetDeviceTestButton()->isVisible());
        QCOMPARE(m_bar->GetCloseButton()->toolTip(), QString("关闭"));
        QCOMPARE(m_bar->GetMaxButton()->toolTip(), QString("最大化"));
        TestSupport::SaveScreenshot(m_bar, "titlebar-course-list");
    }

    void ClassRoomLayout_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("roomCommands");
        QTest::addColumn<QString>("exitText");
        QTest::newRow("in the room") << 32 << true << "返回课表";
        QTest::newRow("stored 4") << 4 << true << "返回课表";
        // The button opens the password window there, and says so.
        QTest::newRow("back to the list") << 128 << false << "密码登录";
    }
    void ClassRoomLayout()
    {
        QFETCH(int, phase);
        QFETCH(bool, roomCommands);
        QFETCH(QString, exitText);
        MainWindowFixture::EnterRoom(m_window);
        Nexus::GetProfile()->SetLoginPhase(phase);
        m_window->GetTopArea()->SetupLayout(m_window);
        QVERIFY(m_bar->IsClassRoomLayout());
        QVERIFY(m_bar->styleSheet().contains("#FAFBFC"));
        QCOMPARE(m_bar->GetExitButton()->text(), exitText);
        QVERIFY(!m_bar->GetLogoLabel()->isVisible());
        QCOMPARE(m_bar->GetRefreshButton()->isVisible(), roomCommands);
        QCOMPARE(m_bar->GetDeviceTestButton()->isVisible(), roomCommands);
        QCOMPARE(m_bar->GetDeviceTestButton()->text(), QString("设备检测"));
        if (phase == 32)
            TestSupport::SaveScreenshot(m_bar, "titlebar-class-room");
    }

    void PartsAreSizedCentredAndApart()
    {
        for (int layout = 0; layout < 2; ++layout) {
            if (layout == 1)
                MainWindowFixture::EnterRoom(m_window);
            const QList<QWidget*> parts = ShownParts(m_bar);
            for (QWidget* part : parts) {
                const QRect r = part->geometry();
                QVERIFY2(m_bar->rect().contains(r), qPrintable(part->objectName()));
                QCOMPARE(r.top() + r.bottom() + 1, 40);
                QCOMPARE(part->focusPolicy(), Qt::NoFocus);
                for (QWidget* other : parts)
                    QVERIFY(other == part || !other->geometry().intersects(r));
            }
            for (QPushButton* icon : { m_bar->GetCloseButton(), m_bar->GetMaxButton(), m_bar->GetMinButton() })
                QCOMPARE(icon->size(), QSize(20, 20));
            QCOMPARE(m_bar->GetLineLabel()->size(), QSize(28, 36));
            QCOMPARE(m_bar->GetSupportButton()->size(), QSize(73, 36));
            // Close at the right end, then maximise and minimise.
            QVERIFY(m_bar->GetCloseButton()->x() > m_bar->GetMaxButton()->x());
            QVERIFY(m_bar->GetMaxButton()->x() > m_bar->GetMinButton()->x());
        }
        QCOMPARE(m_bar->GetDeviceTestButton()->size(), QSize(56, 36));
        QCOMPARE(m_bar->GetExitButton()->size(), QSize(73, 36));
    }

    void ExitOutsideARoomOpensThePasswordWindow()
    {
        QSignalSpy exit(m_window, &MainWindow::Exit);
        QSignalSpy logout(Nexus::GetDataManager(), &DataManager::SendUserLogoutMsg);
        QSignalSpy cleanUp(Nexus::GetDataManager(), &DataManager::CleanUp);
        RoomEntryWidget* entry = m_window->GetRoomEntryWidget();
        QVERIFY(!entry->isVisible());
        QTest::mouseClick(m_bar->GetExitButton(), Qt::LeftButton);
        QVERIFY(entry->isVisible());
        QCOMPARE(exit.count(), 0);
        QCOMPARE(logout.count(), 0);
        QCOMPARE(cleanUp.count(), 0);
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 2);
        entry->hide();
    }

    void ExitInARoomLeavesIt()
    {
        MainWindowFixture::EnterRoom(m_window);
        QSignalSpy exit(m_window, &MainWindow::Exit);
        QSignalSpy logout(Nexus::GetDataManager(), &DataManager::SendUserLogoutMsg);
        QTest::mouseClick(m_bar->GetExitButton(), Qt::LeftButton);
        QCOMPARE(exit.count(), 1);
        QCOMPARE(logout.count(), 1);
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 128);
        QVERIFY(!m_window->GetRoomEntryWidget()->isVisible());
    }

    void ExitAsksTheStudentFirst()
    {
        MainWindowFixture::EnterRoom(m_window);
        ExitFeedback::SetGate([](DataManager&) { return true; });
        Nexus::GetDataManager()->SetRoomRole(6);
        UserFeedBack* dialog = m_window->GetUserFeedBack();
        QSignalSpy exit(m_window, &MainWindow::Exit);
        MainWindowFixture::WhenShown(dialog, [dialog, &exit] {
            // The room is left only after the dialog.
            QCOMPARE(exit.count(), 0);
            dialog->OnScoreBtnPressed(5);
            QTest::mouseClick(dialog->GetSubmitButton(), Qt::LeftButton);
        });
        TestSupport::MessageCapture log;
        m_bar->Exit();
        QCOMPARE(log.Count("into UserFeedBack::OnFeedbackAndDirectExt url:"), 1);
        QVERIFY(log.Lines().join('\n').contains("\"teacherScore\":5"));
        QCOMPARE(exit.count(), 1);
        QVERIFY(!dialog->isVisible());
    }

    void DeviceTestTogglesOneWindow()
    {
        MainWindowFixture::EnterRoom(m_window);
        QVERIFY(!m_bar->GetDeviceTest());
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton);
        DeviceTest* test = m_bar->GetDeviceTest();
        QVERIFY(test);
        QCOMPARE(test->parentWidget(), m_window);
        QVERIFY(test->isVisible());
        QCOMPARE(test->GetPrepareCount(), 1);
        TestSupport::SaveScreenshot(m_window, "titlebar-device-test");
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton);
        QVERIFY(!test->isVisible());
        emit m_bar->ShowAVTestDialog();
        QVERIFY(test->isVisible());
        QCOMPARE(m_bar->GetDeviceTest(), test);
        QCOMPARE(test->GetPrepareCount(), 2);
        QCOMPARE(m_window->findChildren<DeviceTest*>().size(), 1);
        test->HideDialog();
    }

    void SupportTogglesAndGivesWayToTheDeviceTest()
    {
        QTest::mouseClick(m_bar->GetSupportButton(), Qt::LeftButton);
        TechSupportWidget* support = m_bar->GetTechSupportWidget();
        QVERIFY(support);
        QVERIFY(support->isVisible());
        QCOMPARE(support->parentWidget(), m_window);
        // Centred in the window below the title bar.
        QCOMPARE(support->x(), (m_window->width() - support->width()) / 2);
        QCOMPARE(support->y(), 40 + (m_window->height() - 40 - support->height()) / 2);
        QTest::mouseClick(m_bar->GetSupportButton(), Qt::LeftButton);
        QVERIFY(!support->isVisible());
        m_bar->ShowTechSupWidget();
        QVERIFY(support->isVisible());
        m_bar->ShowDeviceTestWidget();
        QVERIFY(!support->isVisible());
        QVERIFY(m_bar->GetDeviceTest()->isVisible());
        m_bar->GetDeviceTest()->HideDialog();
        QCOMPARE(m_window->findChildren<TechSupportWidget*>().size(), 1);
    }

    void DraggingMovesTheMainWindow()
    {
        m_window->move(100, 80);
        const QPoint start = m_window->pos();
        // Presses on the bar, on its title and on its picture labels drag.
        for (const QPoint at : { QPoint(500, 20), m_bar->GetTitleLabel()->geometry().center() }) {
            const QPoint before = m_window->pos();
            QTest::mousePress(Handle(), Qt::LeftButton, {}, at);
            QTest::mouseMove(Handle(), at + QPoint(40, 25));
            QCOMPARE(m_window->pos(), before + QPoint(40, 25));
            // The window went along with the pointer: the release is where
            // the press was, inside the window.
            QTest::mouseRelease(Handle(), Qt::LeftButton, {}, at);
            QCOMPARE(m_window->pos(), before + QPoint(40, 25));
        }
        QCOMPARE(m_window->pos(), start + QPoint(80, 50));
        QCOMPARE(m_window->GetTopArea()->pos(), QPoint(0, 0));
        QCOMPARE(m_bar->pos(), QPoint(0, 0));
        // A button does not drag.
        const QPoint before = m_window->pos();
        const QPoint exit = m_bar->GetExitButton()->geometry().center();
        QTest::mousePress(Handle(), Qt::LeftButton, {}, exit);
        QTest::mouseMove(Handle(), exit + QPoint(30, 10));
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, exit + QPoint(30, 10));
        QCOMPARE(m_window->pos(), before);
        m_window->GetRoomEntryWidget()->hide();
    }

    void DoubleClickMaximisesAndRestores()
    {
        QVERIFY(!m_window->GetMaxFlag());
        QTest::mouseDClick(Handle(), Qt::LeftButton, {}, QPoint(500, 20));
        QVERIFY(m_window->GetMaxFlag());
        QCOMPARE(m_window->size(), m_window->GetAvailableArea().size());
        QCOMPARE(m_bar->GetMaxButton()->toolTip(), QString("还原"));
        QTest::mouseDClick(Handle(), Qt::LeftButton, {}, m_bar->GetTitleLabel()->geometry().center());
        QVERIFY(!m_window->GetMaxFlag());
        QCOMPARE(m_window->size(), QSize(1000, 640));
        QTest::mouseClick(m_bar->GetMaxButton(), Qt::LeftButton);
        QVERIFY(m_window->GetMaxFlag());
        m_window->maxRestoreSlot();
    }

    void MinimiseButton()
    {
        QTest::mouseClick(m_bar->GetMinButton(), Qt::LeftButton);
        QTRY_VERIFY(m_window->windowState() & Qt::WindowMinimized);
        m_window->setWindowState(Qt::WindowNoState);
    }

    void TopAreaHoldsTheBar()
    {
        TopArea* top = m_window->GetTopArea();
        TestSupport::MessageCapture log;
        top->SetupLayout(nullptr);
        QCOMPARE(log.Count("[Error], in LeftArea::TopArea, _widget is NULL"), 1);
        QCOMPARE(top->geometry(), QRect(0, 0, 1000, 40));
        emit top->CleanUp();
        QVERIFY(!top->isVisible());
        QVERIFY(!m_bar->isVisible());
        top->SetupLayout(m_window);
        QVERIFY(top->isVisible());
        QVERIFY(m_bar->isVisible());
        QCOMPARE(top->focusPolicy(), Qt::NoFocus);
        QCOMPARE(m_window->GetTitleBar(), m_bar);
        QCOMPARE(m_window->GetNonDragWidgets().size(), 3);
    }
};

// The drag bar on its own: it moves the window it sits in.
class TestWindowDragger : public QObject
{
    Q_OBJECT

private slots:
    void MovesTheGrandParentOrTheParent()
    {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        window.setGeometry(50, 60, 400, 300);
        auto* holder = new QWidget(&window);
        holder->setGeometry(0, 0, 400, 100);
        auto* nested = new WindowDragger(holder);
        nested->setGeometry(0, 0, 400, 40);
        auto* direct = new WindowDragger(&window);
        direct->setGeometry(0, 200, 400, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* handle = window.windowHandle();

        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseMove(handle, QPoint(110, 35));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(100, 20));
        QCOMPARE(window.pos(), QPoint(60, 75));
        QCOMPARE(holder->pos(), QPoint(0, 0));

        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(100, 220));
        QTest::mouseMove(handle, QPoint(90, 215));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(100, 220));
        QCOMPARE(window.pos(), QPoint(50, 70));

        // Moves without a press move nothing; a right-button drag neither.
        QTest::mouseMove(handle, QPoint(200, 20));
        QTest::mousePress(handle, Qt::RightButton, {}, QPoint(100, 220));
        QTest::mouseMove(handle, QPoint(150, 230));
        QTest::mouseRelease(handle, Qt::RightButton, {}, QPoint(150, 230));
        QCOMPARE(window.pos(), QPoint(50, 70));

        QSignalSpy doubled(direct, &WindowDragger::doubleClicked);
        QTest::mouseDClick(handle, Qt::LeftButton, {}, QPoint(100, 220));
        QCOMPARE(doubled.count(), 1);
        QCOMPARE(window.pos(), QPoint(50, 70));
    }

    void LabelDoubleClickIsItsOwn()
    {
        QWidget window;
        auto* bar = new WindowDragger(&window);
        bar->setGeometry(0, 0, 300, 40);
        auto* label = new DoubleClickLabel(bar);
        label->setText(QStringLiteral("普罗维课堂"));
        label->setGeometry(10, 0, 100, 40);
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy barDoubled(bar, &WindowDragger::doubleClicked);
        QSignalSpy labelDoubled(label, &DoubleClickLabel::doubleClicked);
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 20));
        QCOMPARE(labelDoubled.count(), 1);
        // Reported once, or the window would maximise and restore at once.
        QCOMPARE(barDoubled.count(), 0);
    }
};

PLOVIX_TEST(TestTitleBar)
PLOVIX_TEST(TestWindowDragger)
#include "tst_TitleBar.moc"
