#include "../app/MainWindowFixture.h"
#include "LogCapture.h"
#include "RoomPanels.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "platform/RtcEngineControl.h"
#include "room/BottomArea.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/VoicePanel.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/GeneratedDevices.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "ui/chatArea/ChatTextEdit.h"
#include "ui/chatArea/ChatWidget.h"
#include "ui/chatArea/EmojiWidget.h"
#include "widgets/QMeter.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWindow>

class TestMenuBar : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    MenuBar* m_bar = nullptr;
    DataManager* m_data = nullptr;
    Profile* m_profile = nullptr;
    CAgoraObject* m_engine = nullptr;

    // The local user in a room with these rights, states and role, the bar
    // built as the room builds it.
    void Join(int permission, int status = 0, int role = 5)
    {
        emit m_bar->CleanUp();
        m_profile->SetMicrophoneMuted(0);
        m_profile->SetSpeakerMuted(0);
        m_profile->SetAltHeld(false);
        m_profile->SetClassRecordingFlag(false);
        FakeCapture::deviceMissing = false;
        m_data->SetRoomRole(role);
        m_data->SetPermission(permission);
        m_data->SetActionStatus(status);
        QCoreApplication::processEvents();
        m_bar->InitUI();
        m_bar->SetupLayout(m_window);
    }

    void Alt(QEvent::Type type)
    {
        QKeyEvent key(type, Qt::Key_Alt, Qt::AltModifier);
        QCoreApplication::sendEvent(m_window->windowHandle(), &key);
    }

    QString Style(QPushButton* button) const { return button->styleSheet(); }

private slots:
    void initTestCase()
    {
        UseFakeCapture();
        m_window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_bar = m_window->GetBottomArea()->GetMenuBar();
        m_data = Nexus::GetDataManager();
        m_profile = Nexus::GetProfile();
        // A speaker for the engine to set volumes on: test machines have none.
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Playback, { { "Speakers", "out:Speakers" } });
        m_engine = CAgoraObject::GetAgoraObject(QStringLiteral("menubar-test"));
        QVERIFY(m_engine);
        m_engine->CreateAudioOutManager();
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(m_engine);
    }
    void cleanupTestCase()
    {
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(nullptr);
        delete m_window;
        if (CAgoraObject::Instance())
            CAgoraObject::ReleaseEngine();
        RtcEngineControl::Reset();
    }

    void ASecondInitWiresNothingTwice()
    {
        Join(1 | 4);
        m_bar->InitUI();
        m_bar->GetMicrophoneButton()->click();
        QCOMPARE(m_profile->GetMicrophoneMuted(), 1);
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(m_profile->GetSpeakerMuted(), 1);
        // Left and joined again: still once.
        Join(1 | 4);
        m_bar->GetMicrophoneButton()->click();
        QCOMPARE(m_profile->GetMicrophoneMuted(), 1);
        QVERIFY(m_window->IsKeyHookInstalled());
        emit m_bar->CleanUp();
        QVERIFY(!m_window->IsKeyHookInstalled());
        // A cleaned-up bar's buttons do nothing.
        const int muted = m_profile->GetMicrophoneMuted();
        m_bar->GetMicrophoneButton()->click();
        QCOMPARE(m_profile->GetMicrophoneMuted(), muted);
    }

    void RightGroupByRoleAndRecording_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("recording");
        QTest::newRow("teacher") << 4 << false;
        QTest::newRow("teacher recording") << 4 << true;
        QTest::newRow("student") << 5 << false;
        QTest::newRow("listener") << 7 << true;
    }
    void RightGroupByRoleAndRecording()
    {
        QFETCH(int, role);
        QFETCH(bool, recording);
        Join(1, 0, role);
        m_profile->SetClassRecordingFlag(recording);
        m_bar->SetupLayout(m_window);
        const int w = m_bar->width();
        const int r = recording ? 39 + 55 + 10 : 39;
        QCOMPARE(m_bar->GetRecordButton()->x(), w - r);
        QCOMPARE(m_bar->GetRecordLabel()->isVisible(), recording);
        if (recording)
            QCOMPARE(m_bar->GetRecordLabel()->x(), w - 65);
        QCOMPARE(m_bar->GetRecordButton()->toolTip(), recording ? QString("结束录音") : QString("录音"));
        QCOMPARE(m_bar->GetAudioMixButton()->isVisible(), role == 4);
        QCOMPARE(m_bar->GetMarkButton()->isVisible(), role >= 5);
        QCOMPARE(m_bar->GetMarkButton()->x(), w - (r + 24 + 19) - 44 + 18);
        QSignalSpy start(m_bar, &MenuBar::RecordStartRequested);
        QSignalSpy stop(m_bar, &MenuBar::RecordStopRequested);
        m_bar->GetRecordButton()->click();
        QCOMPARE(start.count(), recording ? 0 : 1);
        QCOMPARE(stop.count(), recording ? 1 : 0);
    }

    void IconsFollowRightsStatesAndMode_data()
    {
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("modeWidth");
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("microphone");
        QTest::newRow("no rights") << 0 << 0 << 2 << 98 << "viedio_disable"
                                   << "microphone_disable";
        QTest::newRow("hold Alt, camera off") << 5 << 0 << 2 << 96 << "viedio_normal"
                                              << "microphone_normal";
        QTest::newRow("free speech, camera on") << 5 << 4 << 1 << 68 << "viedio_using"
                                                << "microphone_using";
        QTest::newRow("camera on but right gone") << 1 << 4 << 2 << 96 << "viedio_disable"
                                                  << "microphone_normal";
    }
    void IconsFollowRightsStatesAndMode()
    {
        QFETCH(int, permission);
        QFETCH(int, status);
        QFETCH(int, mode);
        QFETCH(int, modeWidth);
        QFETCH(QString, camera);
        QFETCH(QString, microphone);
        Join(permission, status);
        m_bar->SetSpeakMode(mode);
        m_bar->SetupLayout(m_window);
        QCOMPARE(m_bar->GetSpeakModeButton()->width(), modeWidth);
        QVERIFY2(Style(m_bar->GetCameraButton()).contains(camera), qPrintable(Style(m_bar->GetCameraButton())));
        QVERIFY(Style(m_bar->GetMicrophoneButton()).contains(microphone));
        QCOMPARE(m_bar->GetMeter()->x(), 178 + modeWidth + 15);
        // Icons come from the display scale's folder and exist there.
        QVERIFY(Style(m_bar->GetCameraButton()).contains(":resource/menubar/x1/"));
        QVERIFY(!QPixmap(":resource/menubar/x1.5/footer_icon_" + camera + ".png").isNull());
    }

    void HoldAltTalksWhileHeld_data()
    {
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("muted");
        QTest::addColumn<bool>("talks");
        QTest::newRow("right, not muted") << 1 << 0 << true;
        QTest::newRow("muted") << 1 << 1 << false;
        QTest::newRow("no microphone right") << 4 << 0 << false;
    }
    void HoldAltTalksWhileHeld()
    {
        QFETCH(int, permission);
        QFETCH(int, muted);
        QFETCH(bool, talks);
        Join(permission, 1);
        m_profile->SetMicrophoneMuted(muted);
        QSignalSpy mute(Nexus::GetPlayer(), &Player::MuteLocalAudio);
        QSignalSpy report(m_data, &DataManager::LocalMicropStatusNofity);
        Alt(QEvent::KeyPress);
        Alt(QEvent::KeyPress); // a second key-down before the key-up counts nothing
        QCOMPARE(mute.count(), talks ? 1 : 0);
        if (talks) {
            QCOMPARE(mute.at(0).at(0).toInt(), 0);
            QCOMPARE(FakeCapture::last->state, MicCapture::Active);
            QCOMPARE(m_bar->GetSpeakModeButton()->width(), 88);
        }
        Alt(QEvent::KeyRelease);
        QCOMPARE(mute.count(), talks ? 2 : 0);
        QCOMPARE(report.count(), talks ? 1 : 0);
        if (talks) {
            QCOMPARE(mute.at(1).at(0).toInt(), 1);
            QCOMPARE(report.at(0).at(0).toInt(), 2);
            QCOMPARE(FakeCapture::last->state, MicCapture::Suspended);
            QCOMPARE(m_bar->GetSpeakModeButton()->width(), 96);
        }
    }

    void LosingTheWindowClosesTheMicrophone_data()
    {
        QTest::addColumn<int>("speakerMuted");
        QTest::newRow("speaker on") << 0;
        QTest::newRow("speaker muted") << 1;
    }
    void LosingTheWindowClosesTheMicrophone()
    {
        QFETCH(int, speakerMuted);
        Join(1);
        m_profile->SetSpeakerMuted(speakerMuted);
        QSignalSpy mute(Nexus::GetPlayer(), &Player::MuteLocalAudio);
        Alt(QEvent::KeyPress);
        // Alt+Tab: the key-up goes to another application.
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QCoreApplication::sendEvent(qApp, &deactivate);
        QCOMPARE(mute.count(), 2);
        QCOMPARE(mute.last().at(0).toInt(), 1);
        QVERIFY(!m_profile->GetAltHeld());
        QCOMPARE(FakeCapture::last->state, MicCapture::Suspended);
        // Leaving the room while Alt is held closes it too.
        Alt(QEvent::KeyPress);
        emit m_bar->CleanUp();
        QCOMPARE(mute.last().at(0).toInt(), 1);
        QVERIFY(FakeCapture::last == nullptr);
    }

    void WithoutTheHookTheBarWatchesTheWindow()
    {
        m_profile->SetKeyHookSwitch(false);
        Join(1);
        QVERIFY(!m_window->IsKeyHookInstalled());
        QSignalSpy mute(Nexus::GetPlayer(), &Player::MuteLocalAudio);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier, QString(), true);
        QCoreApplication::sendEvent(m_window, &press);
        QCoreApplication::sendEvent(m_window, &repeat);
        QCOMPARE(mute.count(), 1);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(m_window, &deactivate);
        QCOMPARE(mute.count(), 2);
        QCOMPARE(mute.last().at(0).toInt(), 1);
        emit m_bar->CleanUp();
        QCoreApplication::sendEvent(m_window, &press);
        QCOMPARE(mute.count(), 2);
        m_profile->SetKeyHookSwitch(true);
    }

    void MeterAndSpeakingReports_data()
    {
        QTest::addColumn<QList<double>>("levels");
        QTest::addColumn<int>("meter");
        // Speaking is reported on every tick whose last three peaks sum above 10.
        QTest::addColumn<int>("speaking");
        QTest::newRow("silence") << QList<double> { 0.0, 0.01, 0.0 } << 0 << 0;
        QTest::newRow("sum 10 is silence") << QList<double> { 0.04, 0.03, 0.03 } << 9 << 0;
        QTest::newRow("sum 11 speaks") << QList<double> { 0.05, 0.03, 0.03 } << 9 << 1;
        QTest::newRow("loud, meter clamps") << QList<double> { 0.5, 0.6, 0.7 } << 100 << 3;
    }
    void MeterAndSpeakingReports()
    {
        QFETCH(QList<double>, levels);
        QFETCH(int, meter);
        QFETCH(int, speaking);
        Join(1, 1 | 2);
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        QCOMPARE(m_bar->GetSpeakMode(), 1);
        QSignalSpy report(m_data, &DataManager::LocalMicropStatusNofity);
        for (double level : levels) {
            FakeCapture::last->Feed(level);
            m_bar->CalcuMicroVolum();
        }
        QCOMPARE(qRound(m_bar->GetMeter()->value()), meter);
        QCOMPARE(report.count(), speaking);
        if (speaking) {
            QCOMPARE(report.at(0).at(0).toInt(), 1);
            // Three silent ticks: not speaking any more.
            for (int i = 0; i < 3; ++i)
                m_bar->CalcuMicroVolum();
            QCOMPARE(report.last().at(0).toInt(), 2);
        }
        // The meter timer drives it on its own.
        const int before = report.count();
        FakeCapture::last->Feed(0.2);
        QTRY_VERIFY_WITH_TIMEOUT(report.count() > before, 3000);
    }

    void SpeakerMuteLeavesTheMicrophoneAlone()
    {
        Join(1);
        m_bar->GetOutputSlider()->setValue(120);
        AudioOutManager* playback = m_engine->GetAudioOutManager();
        QCOMPARE(FakeCapture::last->state, MicCapture::Stopped);
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(playback->GetVolume(), 0);
        QVERIFY(Style(m_bar->GetSpeakerButton()).contains("audio4"));
        QVERIFY(!m_bar->GetOutputSlider()->isVisible());
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(playback->GetVolume(), 120);
        QVERIFY(m_bar->GetOutputSlider()->isVisible());
        // Hold-Alt mode with the microphone closed: the speaker opened nothing.
        QCOMPARE(FakeCapture::last->state, MicCapture::Stopped);

        // Free speech with a muted microphone: still nothing.
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        m_bar->GetMicrophoneButton()->click();
        QCOMPARE(FakeCapture::last->state, MicCapture::Suspended);
        m_bar->GetSpeakerButton()->click();
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(FakeCapture::last->state, MicCapture::Suspended);
    }

    // Muting is the class's own: the next class plays the speaker at the
    // slider's volume, shown so, the microphone not muted.
    void MutesEndWithTheClass()
    {
        Join(1);
        m_bar->GetOutputSlider()->setValue(140);
        m_bar->GetSpeakerButton()->click();
        m_bar->GetMicrophoneButton()->click();
        emit m_bar->CleanUp();
        QCOMPARE(m_profile->GetSpeakerMuted() + m_profile->GetMicrophoneMuted(), 0);
        QCOMPARE(m_engine->GetAudioOutManager()->GetVolume(), 140);
    }

    // The last right withdrawn in the room reaches the bar, the camera, the
    // meter and the chat input.
    void TheLastRightWithdrawnReachesTheBarAndTheChat()
    {
        Join(1 | 4 | 16, 1);
        m_data->SetPermission(1 | 4 | 16);
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        QSignalSpy closed(Nexus::GetPlayer(), &Player::CamaraClosed);
        m_data->SetPermission(0);
        QVERIFY(Style(m_bar->GetMicrophoneButton()).contains("footer_icon_microphone_disable"));
        QVERIFY(FakeCapture::last->state != MicCapture::Active);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!Nexus::GetChatWidget()->GetInputBox()->isEnabled());
    }

    // The emoji picker closes with the other pop-ups; the speaking-mode
    // pop-up closes on a press anywhere but on itself and its own button.
    void PopUpsCloseOnAClickElsewhere()
    {
        Join(1);
        ChatWidget* chat = Nexus::GetChatWidget();
        chat->GetEmojiWidget()->show();
        m_bar->HidePopUpWidget();
        QVERIFY(!chat->GetEmojiWidget()->isVisible());
        // The board's colour box closes with them.
        MiddleArea* middle = Nexus::GetMiddleArea();
        middle->OnShowColorBox();
        QVERIFY(middle->GetColorBox()->isVisible());
        m_bar->HidePopUpWidget();
        QVERIFY(!middle->GetColorBox()->isVisible());
        VoicePanel* panel = m_bar->GetVoicePanel();
        const QList<QWidget*> targets { panel, m_bar->GetSpeakModeButton(), chat, m_bar };
        for (QWidget* target : targets) {
            if (!panel->isVisible())
                QTest::mouseClick(m_bar->GetSpeakModeButton(), Qt::LeftButton);
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, 3));
            QCOMPARE(panel->isVisible(), target == panel);
        }
    }

    void SlidersFollowTheHover()
    {
        Join(1);
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_bar->GetSpeakerButton(), &enter);
        QVERIFY(m_bar->GetOutputSlider()->isVisible());
        QCOMPARE(m_bar->GetOutputSlider()->geometry().bottom(), m_bar->geometry().top() - 1);
        QCoreApplication::sendEvent(m_bar->GetSpeakerButton(), &leave);
        QCoreApplication::sendEvent(m_bar->GetOutputSlider(), &enter);
        QTest::qWait(1300);
        QVERIFY(m_bar->GetOutputSlider()->isVisible());
        QCoreApplication::sendEvent(m_bar->GetOutputSlider(), &leave);
        QTRY_VERIFY_WITH_TIMEOUT(!m_bar->GetOutputSlider()->isVisible(), 5000);

        // The input slider likewise, but not for a muted microphone.
        QCoreApplication::sendEvent(m_bar->GetMicrophoneButton(), &enter);
        QVERIFY(m_bar->GetInputSlider()->isVisible());
        QCoreApplication::sendEvent(m_bar->GetMicrophoneButton(), &leave);
        QTRY_VERIFY_WITH_TIMEOUT(!m_bar->GetInputSlider()->isVisible(), 5000);
        m_profile->SetMicrophoneMuted(1);
        QCoreApplication::sendEvent(m_bar->GetMicrophoneButton(), &enter);
        QVERIFY(!m_bar->GetInputSlider()->isVisible());
    }

    void SpeakingModeOnlyThroughThePanelAndTheRoom()
    {
        Join(1, 1);
        VoicePanel* panel = m_bar->GetVoicePanel();
        QSignalSpy mute(Nexus::GetPlayer(), &Player::MuteLocalAudio);
        QSignalSpy report(m_data, &DataManager::LocalMicropStatusNofity);
        m_bar->GetSpeakModeButton()->click();
        QVERIFY(panel->isVisible());
        const QRect button(m_bar->GetSpeakModeButton()->mapTo(m_window, QPoint()), m_bar->GetSpeakModeButton()->size());
        QCOMPARE(panel->geometry().bottomLeft(), QPoint(button.left() - 20, button.top() - 1));
        SaveScaledScreenshots(m_window, "menubar-speaking-mode-panel");
        panel->GetCmdButton()->click(); // already hold-Alt: only closes
        QVERIFY(!panel->isVisible());
        QCOMPARE(mute.count(), 0);
        m_bar->GetSpeakModeButton()->click();
        panel->GetFreeButton()->click();
        QCOMPARE(m_bar->GetSpeakMode(), 1);
        QCOMPARE(mute.count(), 1);
        QCOMPARE(m_bar->GetSpeakModeButton()->width(), 68);
        QCOMPARE(FakeCapture::last->state, MicCapture::Active);
        // The teacher switches this user to push-to-talk.
        emit m_bar->ButtonWithCmdPress();
        QCOMPARE(m_bar->GetSpeakMode(), 2);
        QCOMPARE(mute.last().at(0).toInt(), 1);
        QCOMPARE(report.last().at(0).toInt(), 2);
        QCOMPARE(FakeCapture::last->state, MicCapture::Suspended);
        // No pop-up while muted.
        m_profile->SetMicrophoneMuted(1);
        m_bar->GetSpeakModeButton()->click();
        QVERIFY(!panel->isVisible());
    }

    void NoInputDeviceMakesTheMicrophoneInert()
    {
        Join(1);
        emit m_bar->UpdateMacphone(1);
        QCOMPARE(m_bar->GetSpeakModeButton()->width(), 105);
        m_bar->GetMicrophoneButton()->click();
        m_bar->GetSpeakModeButton()->click();
        QCOMPARE(m_profile->GetMicrophoneMuted(), 0);
        QVERIFY(!m_bar->GetVoicePanel()->isVisible());
        SaveScaledScreenshots(m_bar, "menubar-no-input-device");
        emit m_bar->UpdateMacphone(2);
        QCOMPARE(m_bar->GetSpeakModeButton()->width(), 96);
        m_bar->GetMicrophoneButton()->click();
        QCOMPARE(m_profile->GetMicrophoneMuted(), 1);
        // A machine whose capture cannot start leaves the meter quiet.
        Join(1);
        FakeCapture::deviceMissing = true;
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        QCOMPARE(FakeCapture::last->state, MicCapture::Stopped);
    }

    void AccompanimentAndMark()
    {
        Join(1, 0, 4);
        LogCapture log;
        MenuBar::SetFileChooser([](QWidget*) { return QStringList(); });
        m_bar->GetAudioMixButton()->click();
        QCOMPARE(log.Count("in uploadCourse not select any file."), 1);
        MenuBar::SetFileChooser([](QWidget*) { return QStringList { "/music/a.mp3", "/music/b.m4a" }; });
        m_bar->GetAudioMixButton()->click();
        QCOMPARE(log.Count("into AudioMixPlayerAdapte, path: \"/music/a.mp3\""), 1);
        MenuBar::SetFileChooser({});
        Nexus::GetMiddleArea()->OnDestroyAudioMixPlayer();

        Join(1, 0, 5);
        QSignalSpy mark(m_data, &DataManager::UserMakeMark);
        m_bar->GetMarkButton()->click();
        QCOMPARE(mark.count(), 1);
        QSignalSpy device(m_bar, &MenuBar::DeviceDialogRequested);
        m_bar->GetDeviceButton()->click();
        QCOMPARE(device.count(), 1);
    }

    // With no microphone at the room's entry the meter has nothing to
    // record; one plugged in later is measured and the speaking reported.
    void AMicrophonePluggedInLaterIsMetered()
    {
        MicCapture::SetFactory({});
        GeneratedDevices::Devices* devices = GeneratedDevices::Devices::Install();
        const auto restore = qScopeGuard([this] {
            emit m_bar->CleanUp();
            MediaDevices::Set(nullptr);
            RtcEngineControl::UnplugDevice(RtcEngineControl::DeviceKind::Recording, "in:USB Mic");
            RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Playback, { { "Speakers", "out:Speakers" } });
            UseFakeCapture();
        });
        Join(1, 1 | 2);
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        QCOMPARE(m_bar->GetMicCapture()->GetState(), MicCapture::Stopped);
        devices->recorded["USB Mic"] = GeneratedDevices::Tone(0.5);
        RtcEngineControl::PlugDevice(RtcEngineControl::DeviceKind::Recording, { "USB Mic", "in:USB Mic" });
        QSignalSpy report(m_data, &DataManager::LocalMicropStatusNofity);
        emit m_bar->UpdateMacphone(2);
        QCOMPARE(m_bar->GetMicCapture()->GetState(), MicCapture::Active);
        QTRY_VERIFY(m_bar->GetMeter()->value() > 50);
        QTRY_VERIFY_WITH_TIMEOUT(!report.isEmpty(), 3000);
        QCOMPARE(report.first().at(0).toInt(), 1);
        QVERIFY(SaveScaledScreenshots(m_bar, "menubar-microphone-plugged-in"));
    }

    // The meter listens to the microphone the class hears, not the
    // system's default, and follows a new choice.
    void TheMeterListensToTheChosenMicrophone()
    {
        using RtcEngineControl::DeviceKind;
        MicCapture::SetFactory({});
        GeneratedDevices::Devices* devices = GeneratedDevices::Devices::Install();
        const auto restore = qScopeGuard([this] {
            emit m_bar->CleanUp();
            MediaDevices::Set(nullptr);
            RtcEngineControl::SetDevices(DeviceKind::Recording, {});
            RtcEngineControl::SetDevices(DeviceKind::Playback, { { "Speakers", "out:Speakers" } });
            UseFakeCapture();
        });
        RtcEngineControl::SetDevices(DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        devices->recorded["Mic B"] = GeneratedDevices::Tone(0.5);
        QVERIFY(m_engine->CreateAudioInManager());
        QVERIFY(m_engine->GetAudioInManager()->SetCurDevice("in:Mic B"));
        Join(1, 1 | 2);
        m_bar->GetVoicePanel()->GetFreeButton()->click();
        QTRY_VERIFY(m_bar->GetMeter()->value() > 50);
        QVERIFY(m_engine->GetAudioInManager()->SetCurDevice("in:Mic A"));
        QCOMPARE(m_bar->GetMicCapture()->GetState(), MicCapture::Active);
        QTRY_COMPARE(m_bar->GetMeter()->value(), 0);
    }

    // Opening a volume slider shows the device as it plays or records now
    // and sets nothing: not the volume from before the class, not a value
    // the bar had shown before the device test changed it.
    void SlidersShowTheDevicesVolumes_data()
    {
        QTest::addColumn<bool>("input");
        QTest::newRow("speaker") << false;
        QTest::newRow("microphone") << true;
    }
    void SlidersShowTheDevicesVolumes()
    {
        QFETCH(bool, input);
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Recording, { { "Mic", "in:Mic" } });
        Join(1);
        QSlider* slider = input ? m_bar->GetInputSlider() : m_bar->GetOutputSlider();
        const auto toggle = [this, input] { input ? m_bar->ShowAudioInputSlider() : m_bar->ShowAudioOutputSlider(); };
        {
            const QSignalBlocker quiet(slider);
            slider->setValue(100);
        }
        m_profile->SetOutputVolume(30); // the speaker's volume before the class
        // The device test sets the volume.
        MediaPlayer* media = Nexus::GetPlayer()->GetMediaPlayer();
        input ? media->SetAudioInputVolume(60) : media->SetAudioOutputVolume(60);
        QCOMPARE(input ? m_profile->GetInputVolume() : m_profile->GetLastOutputVolume(), 60);
        toggle();
        QCOMPARE(slider->value(), 60);
        QCOMPARE(input ? media->GetAudioInVolume() : media->GetAudioOutVolume(), 60);
        QCOMPARE(UserSettings::Int(input ? UserSettings::AudioInVolum : UserSettings::AudioOutVolum), 60);
        toggle();
        m_profile->SetOutputVolume(-1);
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Recording, {});
    }

    // The speaker's mute works before anything asked for the playback
    // devices: the manager is made on first use.
    void SpeakerMuteWorksOnAFreshEngine()
    {
        MediaPlayer* media = Nexus::GetPlayer()->GetMediaPlayer();
        media->SetAgoraObject(nullptr);
        CAgoraObject::ReleaseEngine();
        m_engine = CAgoraObject::GetAgoraObject(QStringLiteral("menubar-test"));
        QVERIFY(m_engine);
        media->SetAgoraObject(m_engine);
        Join(1);
        {
            const QSignalBlocker quiet(m_bar->GetOutputSlider());
            m_bar->GetOutputSlider()->setValue(180);
        }
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(m_profile->GetSpeakerMuted(), 1);
        QVERIFY(m_engine->GetAudioOutManager());
        QCOMPARE(m_engine->GetAudioOutManager()->GetVolume(), 0);
        m_bar->GetSpeakerButton()->click();
        QCOMPARE(m_engine->GetAudioOutManager()->GetVolume(), 180);
        QCOMPARE(m_bar->GetOutputSlider()->value(), 180);
    }

    void Screenshots_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("recording");
        QTest::newRow("teacher-free") << 4 << 0xFF << 1 << true;
        QTest::newRow("teacher-hold-alt") << 4 << 0xFF << 2 << false;
        QTest::newRow("student-hold-alt") << 5 << 1 << 2 << false;
        QTest::newRow("student-free") << 5 << 5 << 1 << false;
        QTest::newRow("student-no-rights") << 5 << 0 << 2 << false;
    }
    void Screenshots()
    {
        QFETCH(int, role);
        QFETCH(int, permission);
        QFETCH(int, mode);
        QFETCH(bool, recording);
        Join(permission, permission & 4 ? 4 : 0, role);
        m_profile->SetClassRecordingFlag(recording);
        m_bar->SetupLayout(m_window);
        if (mode == 1) {
            m_bar->GetVoicePanel()->GetFreeButton()->click();
            FakeCapture::last->Feed(0.2);
        }
        const QString name = QStringLiteral("menubar-%1").arg(QTest::currentDataTag());
        QVERIFY(SaveScaledScreenshots(m_bar, name));
        if (mode == 2 && (permission & 1)) {
            Alt(QEvent::KeyPress);
            FakeCapture::last->Feed(0.25);
            QVERIFY(SaveScaledScreenshots(m_bar, name + "-alt-held"));
            Alt(QEvent::KeyRelease);
        }
    }
};

PLOVIX_TEST(TestMenuBar)
#include "tst_MenuBar.moc"
