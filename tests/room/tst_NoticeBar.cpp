#include "RoomScreens.h"
#include "TestRegistry.h"

#include "../app/MainWindowFixture.h"
#include "app/TitleBar.h"
#include "platform/Shell.h"
#include "room/MiddleArea.h"
#include "room/MsgNotifyWindow.h"
#include "room/NotifyType.h"
#include "room/NotifyUIV2.h"
#include "rtc/CAGEngineEventHandler.h"
#include "rtc/Player.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QUrlQuery>

// Every notice of the class room on the main window: strip texts, colours
// and geometry, the dialogs with their buttons, and the one hide timer.
class TestNoticeBar : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    MiddleArea* m_middle = nullptr;
    MsgNotifyWindow* m_bar = nullptr;
    QList<QUrl> m_opened;

    void Raise(int type) { emit m_middle->ShowMsgNotifyWidget(type); }

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::Build();
        m_window->resize(1280, 720);
        m_window->show();
        m_middle = m_window->GetMiddleArea();
        m_bar = m_middle->GetMsgNotifyWindow();
        Shell::SetUrlOpener([this](const QUrl& url) {
            m_opened << url;
            return true;
        });
    }
    void cleanupTestCase()
    {
        Shell::SetUrlOpener([](const QUrl&) { return false; });
        delete m_window;
    }
    void init()
    {
        Nexus::GetDataManager()->SetRoomRole(5);
        m_bar->GetDialog()->hide();
        m_bar->HideDialog();
    }

    void EveryNoticeShowsAsSpecified_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        const QList<QPair<int, const char*>> bars {
            { 0x1, "老师打开了您的麦克风权限,您可以按键说话" },
            { 0x2, "老师关闭了您的麦克风权限" },
            { 0x4, "老师打开了您的摄像头权限,您可以开启视频" },
            { 0x8, "老师关闭了您的视频权限" },
            { 0x10, "老师打开了您的文字聊天权限" },
            { 0x20, "老师关闭了您的说话权限" },
            { 0x40, "老师打开了您的白板权限,您可以写写画画" },
            { 0x80, "老师收回了您的白板权限" },
            { 0x200, "网络连接断了,请刷新或者退出重进" },
            { 0x8000, "恭喜您设备恢复正常" },
            { 0x100000, "课件上传中,请稍侯..." },
            { 0x200000, "您有课件上传失败,请检查重传..." },
            { 0x400000, "课件上传成功" },
            { 0x800000, "目前每个学生每节课只能送一个赞哦~" },
            { 0x1000000, "目前只有学生才可以点赞哦~" },
            { 0x2000000, "您的本节课标记已达上限50个哦~" },
            { 0x4000000, "不要过度频繁地标记哦~" },
            { 0x8000000, "标记成功,可在右侧标记栏查看" },
            { 0x10000000, "已达下课时间，课堂将于1小时后关闭~" },
            { 0x20000000, "警报警报，课堂将于半小时后销毁~" },
        };
        const QList<int> blue { 0x1, 0x4, 0x10, 0x40, 0x8000, 0x100000, 0x400000, 0x8000000 };
        for (const auto& bar : bars) {
            QTest::addRow("0x%x", bar.first)
                << bar.first << (blue.contains(bar.first) ? "blue" : "yellow") << QString::fromUtf8(bar.second);
        }
        for (int silent : { 0x1000, 0x2000, 0x4000 })
            QTest::addRow("0x%x", silent) << silent << "nothing" << QString();
        QTest::newRow("0x100") << 0x100 << "dialog 1" << QString::fromUtf8("您已被请出教室,请保持课堂秩序哦~");
        QTest::newRow("0x10000") << 0x10000 << "dialog 4"
                                 << QString::fromUtf8("终于等到您,为了保证上课正常<br>咱们一起做个设备检测呗~");
    }
    void EveryNoticeShowsAsSpecified()
    {
        QFETCH(int, type);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        Raise(NotifyNetworkLost); // something on screen first
        Raise(type);
        NotifyUIV2* dialog = m_bar->GetDialog();
        if (kind.startsWith("dialog")) {
            // Only the dialog: no strip left over the room.
            QVERIFY(!m_bar->isVisible());
            QVERIFY(!m_bar->IsTimerRunning());
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->parentWidget(), m_window);
            QCOMPARE(QString::number(dialog->GetMode()), kind.mid(7));
            QCOMPARE(dialog->GetText(), text);
            QCOMPARE(dialog->geometry().center(), m_window->rect().center());
            return;
        }
        QVERIFY(!dialog->isVisible());
        if (kind == "nothing") {
            QVERIFY(!m_bar->isVisible());
            return;
        }
        QVERIFY(m_bar->isVisible());
        QCOMPARE(m_bar->parentWidget(), m_window);
        QCOMPARE(m_bar->geometry(), QRect(0, 40, m_window->width(), 40));
        QCOMPARE(m_bar->GetText(), text);
        QCOMPARE(m_bar->IsBlue(), kind == "blue");
        QVERIFY(m_bar->GetCloseButton()->styleSheet().contains(kind == "blue" ? "close_2_normal" : "close_1_normal"));
        QVERIFY(m_bar->IsTimerRunning());
        const QLabel* label = m_bar->GetTextLabel();
        QCOMPARE(label->width(), QFontMetrics(label->font()).horizontalAdvance(text) + 20);
        QCOMPARE(label->x(), (m_window->width() - label->width()) / 2);
        QCOMPARE(m_bar->GetIconButton()->geometry().right() + 1, label->x());
        QCOMPARE(m_bar->GetCloseButton()->x(), m_window->width() - 20 - 20);
    }

    void LatestNoticeKeepsTheStripForItsFullTime()
    {
        Raise(NotifyMicrophoneGranted);
        QTest::qWait(800);
        Raise(NotifyMarkTooSoon);
        // The first notice's time does not cut the second one short.
        QVERIFY2(m_bar->GetRemainingMs() > 2500, qPrintable(QString::number(m_bar->GetRemainingMs())));
        QVERIFY(!m_bar->IsBlue());
        QTRY_VERIFY_WITH_TIMEOUT(!m_bar->isVisible(), 6000);
        // A value outside the table shows the last text until closed.
        Raise(0x40000);
        QVERIFY(m_bar->isVisible());
        QCOMPARE(m_bar->GetText(), QString::fromUtf8("不要过度频繁地标记哦~"));
        QVERIFY(!m_bar->IsTimerRunning());
        QTest::mouseClick(m_bar->GetCloseButton(), Qt::LeftButton);
        QVERIFY(!m_bar->isVisible());
    }

    void ALessonWithoutMediaShowsTheNetworkNoticeUntilItIsBack()
    {
        const QString lost = QString::fromUtf8("网络连接断了,请刷新或者退出重进");
        Player* player = Nexus::GetPlayer();
        QVERIFY(player);
        Nexus::GetDataManager()->SetUserId(58);
        // No application id nor key: the media never comes, and is told.
        player->InitPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(m_bar->isVisible() && m_bar->GetText() == lost, 15000);
        QCOMPARE(m_bar->GetHeldNotice(), int(NotifyNetworkLost));
        QVERIFY(!m_bar->IsTimerRunning());
        // Another notice shows for its time; the held one comes back.
        Raise(NotifyMarkSaved);
        QCOMPARE(m_bar->GetText(), QString::fromUtf8("标记成功,可在右侧标记栏查看"));
        QTRY_VERIFY_WITH_TIMEOUT(m_bar->GetText() == lost && m_bar->isVisible(), 6000);
        // Joined again: the notice goes.
        CAGEngineEventHandler::Instance()->onRejoinChannelSuccess("R1", 58, 0);
        QTRY_VERIFY(!m_bar->isVisible());
        QCOMPARE(m_bar->GetHeldNotice(), 0);
        // Lost mid-lesson, the engine says so after its own wait.
        CAGEngineEventHandler::Instance()->onConnectionLost();
        QTRY_VERIFY(m_bar->isVisible() && m_bar->GetText() == lost);
        // Leaving or refreshing the room takes it away with the media.
        emit player->CleanUp();
        QTRY_VERIFY(!m_bar->isVisible());
        QCOMPARE(m_bar->GetHeldNotice(), 0);
        player->ReleaseEngine();
    }

    void DialogButtonsDoWhatTheySay()
    {
        NotifyUIV2* dialog = m_bar->GetDialog();
        QSignalSpy deviceTest(m_window->GetTitleBar(), &TitleBar::ShowAVTestDialog);
        Raise(NotifyDeviceCheck);
        QCOMPARE(dialog->GetLeftButton()->text(), QString::fromUtf8("不需要"));
        QTest::mouseClick(dialog->GetRightButton(), Qt::LeftButton);
        QCOMPARE(deviceTest.size(), 1);
        QVERIFY(!dialog->isVisible());
        // A listener's removal is the end of the trial time; the buttons of
        // the earlier mode are gone.
        Nexus::GetDataManager()->SetRoomRole(7);
        Raise(NotifyKickedOut);
        QCOMPARE(dialog->GetMode(), int(NotifyUIV2::ModeTrialOver));
        QCOMPARE(dialog->size(), QSize(360, 172));
        QTest::mouseClick(dialog->GetLeftButton(), Qt::LeftButton);
        QCOMPARE(m_opened.size(), 1);
        const QUrlQuery query(m_opened.first());
        for (const char* key : { "v", "uin", "site", "menu" })
            QVERIFY2(query.hasQueryItem(key), key);
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(dialog->GetRightButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(deviceTest.size(), 1);
    }

    void ReTestArmsTheDeviceWatcher()
    {
        Profile* profile = Nexus::GetProfile();
        profile->SetDeviceFirstCheckDone(true);
        Raise(NotifyDeviceRecovered);
        m_bar->OnDeviceReTest();
        QVERIFY(!m_bar->isVisible());
        QVERIFY(!profile->GetDeviceFirstCheckDone());
        QVERIFY(profile->GetDeviceReTestRequested());
    }

    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        const QList<QPair<int, QString>> shots { { NotifyMicrophoneGranted, "notice-blue" },
            { NotifyNetworkLost, "notice-yellow" }, { NotifyRoomClosing, "notice-yellow-long" } };
        for (const auto& shot : shots) {
            Raise(shot.first);
            RoomScreens::SaveScaled(m_bar, shot.second, factor, folder);
        }
        const QList<QPair<int, QString>> dialogs { { 5, "notice-dialog-removed" }, { 7, "notice-dialog-trial-over" },
            { 5, "notice-dialog-device-check" } };
        for (const auto& dialog : dialogs) {
            Nexus::GetDataManager()->SetRoomRole(dialog.first);
            Raise(dialog.second.endsWith("check") ? NotifyDeviceCheck : NotifyKickedOut);
            RoomScreens::SaveScaled(m_bar->GetDialog(), dialog.second, factor, folder);
        }
    }
};

PLOVIX_TEST(TestNoticeBar)
#include "tst_NoticeBar.moc"
