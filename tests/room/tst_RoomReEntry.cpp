#include "../session/RoomSetup.h"
#include "TestRegistry.h"

#include "app/MainWindow.h"
#include "app/TitleBar.h"
#include "entry/UserGuideWidget.h"
#include "room/MiddleArea.h"
#include "rtc/DeviceTest.h"
#include "rtc/Player.h"

// The teacher 57 enters a room of the demo school by the main window's own
// road, goes back to the course list and enters again, as a user does.
class TestRoomReEntry : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    MainWindow* m_window = nullptr;

    bool Enter()
    {
        QSignalSpy joined(Nexus::GetPlayer(), &Player::JoinChannelSuccess);
        m_setup.data->OnRoomEntry("S102");
        m_window->OnLoginProgress(8);
        return QTest::qWaitFor([this] { return m_window->GetMiddleArea()->isVisible(); }, 20000)
            && (joined.size() > 0 || joined.wait(10000));
    }
    DeviceTest* Test() const { return m_window->GetTitleBar()->GetDeviceTest(); }

private slots:
    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        m_setup.localUid = 57;
        QVERIFY(m_setup.Start("1"));
        m_window = new MainWindow();
        m_window->RegisterToNexus();
        m_window->resize(1366, 768);
        m_setup.AddSession("S102", "R102", "102102");
        m_window->show();
    }
    void cleanupTestCase() { delete m_window; }

    // Offered at the first entry of the process only, once the first-use
    // guide of a new teacher is closed.
    void TheDeviceTestIsOfferedOnce()
    {
        QVERIFY(Enter());
        UserGuideWidget* guide = m_window->GetUserGuideWidget();
        QTRY_VERIFY(guide->isVisible());
        QVERIFY(!Test() || !Test()->isVisible());
        guide->GetExitButton()->click();
        QTRY_VERIFY(Test() && Test()->isVisible());
        Test()->HideDialog();
        for (int again = 0; again < 2; ++again) {
            emit m_window->Exit();
            QTRY_VERIFY(!m_window->GetMiddleArea()->isVisible());
            QVERIFY(Enter());
            QTest::qWait(1000);
            QVERIFY(!Test()->isVisible());
        }
    }
};

PLOVIX_TEST(TestRoomReEntry)
#include "tst_RoomReEntry.moc"
