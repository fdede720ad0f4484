#include "../room/RoomScreens.h"
#include "RoomEngine.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/TitleBar.h"
#include "app/UserSettings.h"
#include "platform/SystemDevices.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CameraManager.h"
#include "rtc/DeviceManager.h"
#include "rtc/DeviceTest.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace control = RtcEngineControl;
using control::DeviceKind;

// The tool bar's device dialog over the stand-in engine, in a class room.
class TestDeviceManager : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    DeviceManager* m_dialog = nullptr;

    QComboBox* Box(int i) const
    {
        QComboBox* boxes[] = { m_dialog->GetAudioInBox(), m_dialog->GetAudioOutBox(), m_dialog->GetVideoBox() };
        return boxes[i];
    }
    void Open()
    {
        m_dialog->HideDialog();
        m_room.bar->GetDeviceButton()->click();
        QVERIFY(m_dialog->isVisible());
    }
    // What the engine uses now, and what the settings remember: recording,
    // playback, camera.
    QStringList Current() const
    {
        CAgoraObject* engine = m_room.engine;
        engine->CreateAudioInManager();
        engine->CreateAudioOutManager();
        engine->CreateCameraManager();
        return { engine->GetAudioInManager()->GetCurDevice(), engine->GetAudioOutManager()->GetCurDevice(),
            engine->GetCameraManager()->GetCurDevice() };
    }
    static QStringList Stored()
    {
        return { UserSettings::Text(UserSettings::AudioInDevice), UserSettings::Text(UserSettings::AudioOutDevice),
            UserSettings::Text(UserSettings::CameraDevice) };
    }
    void Use(const QStringList& ids)
    {
        Current();
        QVERIFY(m_room.engine->GetAudioInManager()->SetCurDevice(ids.at(0)));
        QVERIFY(m_room.engine->GetAudioOutManager()->SetCurDevice(ids.at(1)));
        QVERIFY(m_room.engine->GetCameraManager()->SetCurDevice(ids.at(2)));
    }

private slots:
    void initTestCase()
    {
        m_room.Start(QStringLiteral("device-dialog-test"));
        m_dialog = m_room.bar->GetDeviceManager();
    }
    void cleanupTestCase() { m_room.Stop(); }
    void init()
    {
        m_dialog->HideDialog();
        control::Reset();
        control::SetDevices(DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        control::SetDevices(DeviceKind::Playback, { { "Speakers", "out:Speakers" }, { "Headset", "out:Headset" } });
        control::SetDevices(DeviceKind::Camera, { { "Cam 1", "/dev/video0" }, { "Cam 2", "/dev/video1" } });
        for (const SettingKey* key :
            { &UserSettings::AudioInDevice, &UserSettings::AudioOutDevice, &UserSettings::CameraDevice })
            UserSettings::Remove(*key);
        Use({ "in:Mic A", "out:Speakers", "/dev/video0" });
    }

    void TheListsShowRealAndPluggedDevicesAfreshAtEachOpening()
    {
        control::UseSystemDevices();
        control::PlugDevice(DeviceKind::Recording, { "Plovix Fake Mic", "in:fake-mic" });
        control::PlugDevice(DeviceKind::Camera, { "Plovix Fake Camera", "fake-camera" });
        Open();
        QCOMPARE(m_dialog->parentWidget(), m_room.window);
        // The system's devices (none on a machine without sound) and the
        // plugged ones, each entry holding its engine id, the one in use picked.
        QCOMPARE(TestSupport::ComboEntries(Box(0)), SystemDevices::AudioNames(QAudio::AudioInput));
        QCOMPARE(TestSupport::ComboEntries(Box(1)), SystemDevices::AudioNames(QAudio::AudioOutput));
        QVERIFY(TestSupport::ComboEntries(Box(2)).contains("Plovix Fake Camera"));
        QCOMPARE(Box(0)->itemData(Box(0)->findText("Plovix Fake Mic")).toString(), QString("in:fake-mic"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Box(i)->currentData().toString(), Current().at(i));
        // A second press closes; the next opening reads the lists again.
        m_room.bar->GetDeviceButton()->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(Box(0)->count(), 0);
        control::UnplugDevice(DeviceKind::Recording, "in:fake-mic");
        control::PlugDevice(DeviceKind::Camera, { "Cam 3", "/dev/video2" });
        m_room.bar->GetDeviceButton()->click();
        QVERIFY(!TestSupport::ComboEntries(Box(0)).contains("Plovix Fake Mic"));
        QVERIFY(TestSupport::ComboEntries(Box(2)).contains("Cam 3"));
        // After OK the next opening shows the same entries.
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        control::UnplugDevice(DeviceKind::Camera, "/dev/video2");
        m_room.bar->GetDeviceButton()->click();
        QVERIFY(TestSupport::ComboEntries(Box(2)).contains("Cam 3"));
    }

    void OkRemembersThePicksAndTheNextJoinSelectsThem()
    {
        // OK without a change keeps the devices in use (not the first listed).
        Use({ "in:Mic B", "out:Speakers", "/dev/video0" });
        Open();
        m_dialog->GetOkButton()->click();
        QCOMPARE(Stored(), (QStringList { "in:Mic B", "out:Speakers", "/dev/video0" }));
        Open();
        Box(0)->setCurrentIndex(0);
        Box(1)->setCurrentIndex(1);
        Box(2)->setCurrentIndex(1);
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        const QStringList picked { "in:Mic A", "out:Headset", "/dev/video1" };
        QCOMPARE(Stored(), picked);
        QCOMPARE(Current(), picked);
        // Whatever the engine uses at the next join, the picks come back.
        Use({ "in:Mic B", "out:Speakers", "/dev/video0" });
        Nexus::GetPlayer()->DevRecoeryAftAgoraJoin();
        QCOMPARE(Current(), picked);
    }

    void AFailedDeviceQueryDoesNotShiftThePick()
    {
        control::SetDevices(
            DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" }, { "Mic C", "in:Mic C" } });
        control::FailNext("collection.getDevice", -1); // Mic A is left out
        Open();
        QCOMPARE(TestSupport::ComboEntries(Box(0)), (QStringList { "Mic B", "Mic C" }));
        Box(0)->setCurrentIndex(0);
        m_dialog->GetOkButton()->click();
        QCOMPARE(Stored().first(), QString("in:Mic B"));
        QCOMPARE(Current().first(), QString("in:Mic B"));
    }

    void DevicesThatAreGoneAreTold()
    {
        // A remembered device that is not connected.
        UserSettings::SetValue(UserSettings::AudioOutDevice, "out:Gone");
        Open();
        QCOMPARE(m_dialog->GetHintLabel()->text(), QString("上次选择的听筒未连接,现使用列表中选中的设备"));
        QVERIFY(m_dialog->GetHintLabel()->isVisible());
        UserSettings::Remove(UserSettings::AudioOutDevice);
        // A picked device unplugged while the dialog is open: not remembered,
        // the dialog stays with the lists read again.
        Open();
        QVERIFY(!m_dialog->GetHintLabel()->isVisible());
        Box(0)->setCurrentIndex(1);
        Box(2)->setCurrentIndex(1);
        QVERIFY(control::UnplugDevice(DeviceKind::Recording, "in:Mic B"));
        m_dialog->GetOkButton()->click();
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->GetHintLabel()->text(), QString("所选的麦克风已断开,请重新选择"));
        QCOMPARE(Stored(), (QStringList { "", "out:Speakers", "/dev/video1" }));
        QCOMPARE(TestSupport::ComboEntries(Box(0)), QStringList { "Mic A" });
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(Stored().first(), QString("in:Mic A"));
    }

    void ADefaultDeviceReportIsApplied_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("current"); // then remembered: recording, playback
        QTest::addColumn<QStringList>("stored");
        const QStringList first { "in:Mic A", "out:Speakers" };
        QTest::newRow("new microphone") << 1 << "Mic B" << QStringList { "in:Mic B", "out:Speakers" }
                                        << QStringList { "in:Mic B", "" };
        QTest::newRow("new speaker") << 2 << "Headset" << QStringList { "in:Mic A", "out:Headset" }
                                     << QStringList { "", "out:Headset" };
        QTest::newRow("already in use") << 1 << "Mic A" << first << QStringList { "", "" };
        QTest::newRow("an id, not a name") << 1 << "in:Mic B" << first << QStringList { "", "" };
        QTest::newRow("camera") << 3 << "Cam 2" << first << QStringList { "", "" };
    }
    void ADefaultDeviceReportIsApplied()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QStringList, current);
        QFETCH(QStringList, stored);
        m_dialog->OnDefaultDeviceChanged(kind, name);
        QCOMPARE(Stored(), stored << "");
        QCOMPARE(Current(), current << "/dev/video0");
    }

    void TheSelfTestButtonHandsOverToTheDeviceTest()
    {
        Open();
        QSignalSpy test(m_room.window->GetTitleBar(), &TitleBar::ShowAVTestDialog);
        m_dialog->GetAvTestButton()->click();
        QCOMPARE(test.count(), 1);
        QVERIFY(!m_dialog->isVisible());
        if (auto* deviceTest = m_room.window->findChild<DeviceTest*>())
            deviceTest->HideDialog();
    }

    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        control::SetDevices(DeviceKind::Recording,
            { { "麦克风 (Realtek High Definition Audio)", "in:realtek" }, { "USB 耳机麦克风", "in:usb" } });
        control::SetDevices(DeviceKind::Playback,
            { { "扬声器 (Realtek High Definition Audio with a very long device name)", "out:realtek" } });
        control::SetDevices(DeviceKind::Camera, { { "Integrated Camera", "/dev/video0" } });
        UserSettings::SetValue(UserSettings::AudioInDevice, "in:Gone");
        Open();
        RoomScreens::SaveScaled(m_dialog, "device-dialog", factor, folder);
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestDeviceManager)
#include "tst_DeviceManager.moc"
