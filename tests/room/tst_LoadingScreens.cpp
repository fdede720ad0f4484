#include "RoomScreens.h"
#include "TestRegistry.h"

#include "../session/RoomSetup.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

// The loading and failure screens through a real room entry against the
// local service, and laid out in a window.
class TestLoadingScreens : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    QWidget m_window;

private slots:
    void initTestCase()
    {
        QVERIFY(m_setup.Start("1"));
        m_setup.AddSession("S100", "R100", "100100");
        m_setup.data->OnRoomEntry("S100");
        m_window.resize(1280, 720);
        m_window.show();
    }
    void cleanupTestCase()
    {
        // The screens belong to the set-up, not to the window they were laid
        // out in.
        m_setup.loading->setParent(nullptr);
        m_setup.failure->setParent(nullptr);
        Nexus::Teardown();
    }

    void HintsFollowTheEntryStepByStep()
    {
        LoadingUI* loading = m_setup.loading.get();
        QCOMPARE(loading->SetupLayout(&m_window, 40), 0);
        QCOMPARE(loading->geometry(), QRect(0, 40, 1280, 680));
        // What the screen shows right after each step.
        QStringList shown;
        QObject watching;
        connect(loading, &LoadingUI::ValueChanged, &watching, [&shown, loading](int value) {
            shown << QStringLiteral("%1 %2 %3")
                         .arg(value)
                         .arg(loading->findChild<QLabel*>("progressValue")->text(), loading->GetHintText());
        });
        emit m_setup.data->EnterRoom();
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 4, 15000);
        QCOMPARE(shown.mid(0, 4),
            QStringList({ "10 10% 提示:用户加入成功", "20 20% 提示:获取token成功", "30 30% 提示:websocket创建成功",
                "50 50% 提示:获取老师信息成功" }));
        // The hub's own step while it prepares the room's data.
        QTRY_VERIFY_WITH_TIMEOUT(shown.last().startsWith("80 80%"), 15000);
        // Other values move the bar but keep the hint.
        QCoreApplication::processEvents();
        const QString hint = loading->GetHintText();
        emit loading->ValueChanged(40);
        QCOMPARE(loading->GetHintText(), hint);
        QCOMPARE(loading->findChild<QProgressBar*>()->value(), 40);
        emit Nexus::Instance()->RendLoadingMsg(QString::fromUtf8("提示:网络测试中"));
        QTRY_COMPARE(loading->GetHintText(), QString::fromUtf8("提示:网络测试中"));
    }

    void RefusedEntryShowsTheReasonAndTheWayBack()
    {
        LoadingFailUI* failure = m_setup.failure.get();
        QVERIFY(m_setup.service.Body("/api/room/join", "{\"returncode\":\"FAIL\",\"message\":\"房间已关闭\"}"));
        emit m_setup.data->EnterRoom();
        QTRY_COMPARE_WITH_TIMEOUT(failure->GetReasonText(), QString::fromUtf8("错误原因:房间已关闭"), 15000);
        QCOMPARE(failure->SetupLayout(&m_window, 40), 0);
        QSignalSpy back(Nexus::Instance(), &Nexus::UpdateLoginProgress);
        auto* button = failure->findChild<QPushButton*>("btnReturn");
        QCOMPARE(button->geometry(), QRect(20, 33, 80, 30));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.at(0).at(0).toInt(), 256);
        QVERIFY(m_setup.service.ClearRule("/api/room/join"));
    }

    void LayoutRefusesNoWindowAndFitsLongReasons()
    {
        LoadingFailUI* failure = m_setup.failure.get();
        QWidget other;
        other.resize(800, 600);
        QCOMPARE(failure->SetupLayout(&other, 40), 0);
        QCOMPARE(failure->SetupLayout(nullptr, 40), -1);
        QCOMPARE(failure->parentWidget(), &other);
        QCOMPARE(m_setup.loading->SetupLayout(nullptr, 40), -1);
        // A long reason from the service wraps inside the screen.
        emit failure->ValueChanged(QString(300, QChar(0x9519)) + "<b>x</b>");
        auto* reason = failure->findChild<QLabel*>("label4Error");
        QVERIFY(reason->geometry().right() < other.width());
        QVERIFY(reason->height() > 30);
        QVERIFY(reason->text().endsWith("<b>x</b>"));
        failure->SetupLayout(&m_window, 40); // out of the window that goes now
    }

    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        m_setup.failure->hide();
        emit m_setup.loading->ValueChanged(30);
        m_setup.loading->SetupLayout(&m_window, 40);
        RoomScreens::SaveScaled(m_setup.loading.get(), "loading-30", factor, folder);
        m_setup.loading->hide();
        emit m_setup.failure->ValueChanged(QString::fromUtf8("房间已关闭"));
        m_setup.failure->SetupLayout(&m_window, 40);
        RoomScreens::SaveScaled(m_setup.failure.get(), "loading-failed", factor, folder);
    }
};

PLOVIX_TEST(TestLoadingScreens)
#include "tst_LoadingScreens.moc"
