#include "../app/MainWindowFixture.h"
#include "TestRegistry.h"

#include "app/ExitFeedback.h"
#include "platform/RtcEngineControl.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"

namespace control = RtcEngineControl;

// Closing the main window inside a room while the engine's callback thread
// reports the link every millisecond: the channel is left at the close, and
// the engine has ended before the hub and the profile it reads are deleted.
class TestShutDown : public QObject
{
    Q_OBJECT

private slots:
    void ClosingWhileJoinedEndsTheEngineFirst()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        control::SetQualityInterval(1);
        ExitFeedback::SetGate([](DataManager&) { return false; });
        MainWindow* window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(window);
        CAgoraObject* agora = CAgoraObject::GetAgoraObject("app");
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(agora);
        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QTRY_VERIFY(control::IsInChannel());
        window->close();
        QVERIFY(!control::IsInChannel());

        QVERIFY(agora->JoinChannel("R100", 58, "K"));
        QTRY_VERIFY(control::IsInChannel());
        bool engineAtHubEnd = false;
        auto seen = [&engineAtHubEnd] { engineAtHubEnd = engineAtHubEnd || CAgoraObject::Instance(); };
        connect(Nexus::GetProfile(), &QObject::destroyed, seen);
        connect(Nexus::Instance(), &QObject::destroyed, seen);
        delete window;
        QVERIFY(!engineAtHubEnd && !CAgoraObject::Instance());
    }
};

PLOVIX_TEST(TestShutDown)
#include "tst_ShutDown.moc"
