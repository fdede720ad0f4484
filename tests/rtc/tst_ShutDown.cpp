#include "../app/MainWindowFixture.h"
#include "TestRegistry.h"

#include "app/ExitFeedback.h"
#include "platform/RtcEngineControl.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"

#include <QRegularExpression>

namespace control = RtcEngineControl;

// Closing the main window inside a room, while the engine's callback thread
// reports the link every millisecond: the channel is left at the close, and
// the engine is gone before the hub and the session it reads.
class TestShutDown : public QObject
{
    Q_OBJECT

private slots:
    void ClosingWhileJoinedEndsTheEngineFirst()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        control::Reset();
        control::SetJoinDelay(1);
        control::SetQualityInterval(1);
        ExitFeedback::SetGate([](DataManager&) { return false; });
        MainWindow* window = MainWindowFixture::BuildLoggedIn();
        Nexus::GetDataManager()->SetUserId(58);
        MainWindowFixture::EnterRoom(window);
        Player* player = Nexus::GetPlayer();
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app");
        player->GetMediaPlayer()->SetAgoraObject(agora);
        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QTRY_VERIFY(control::IsInChannel());
        QTest::qWait(50);

        window->close();
        QVERIFY(!control::IsInChannel());
        QVERIFY(control::JournalOf("leaveChannel").size() >= 1);
        // Joined again, as when the user closes before the leave took effect.
        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QTRY_VERIFY(control::IsInChannel());

        bool engineAtHubEnd = true;
        auto seen = [&engineAtHubEnd] { engineAtHubEnd = engineAtHubEnd && CAgoraObject::Instance() != nullptr; };
        QObject::connect(Nexus::GetProfile(), &QObject::destroyed, seen);
        QObject::connect(Nexus::Instance(), &QObject::destroyed, seen);
        delete window;
        QVERIFY(Nexus::IsTornDown());
        QVERIFY(!engineAtHubEnd);
        QVERIFY(!CAgoraObject::Instance());
        const QStringList calls = control::Journal();
        QVERIFY(calls.lastIndexOf("leaveChannel") < calls.lastIndexOf(QRegularExpression("release sync=.*")));
    }
};

PLOVIX_TEST(TestShutDown)
#include "tst_ShutDown.moc"
