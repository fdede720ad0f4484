#include "../room/RoomScreens.h"
#include "RoomEngine.h"
#include "TestRegistry.h"

#include "app/TitleBar.h"
#include "app/UserSettings.h"
#include "platform/AudioDevices.h"
#include "platform/RtcEngineControl.h"
#include "room/BottomArea.h"
#include "room/MenuBar.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/DeviceManager.h"
#include "rtc/DeviceTest.h"
#include "rtc/Player.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace control = RtcEngineControl;
using control::Device;
using control::DeviceKind;

// The tool bar's device dialog over the stand-in engine, in a class room.
class TestDeviceManager : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    MainWindow* m_window = nullptr;
    MenuBar* m_bar = nullptr;
    DeviceManager* m_dialog = nullptr;
    CAgoraObject* m_engine = nullptr;

    static QStringList Entries(QComboBox* box)
    {
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        return entries;
    }
    void Open()
    {
        if (m_dialog->isVisible())
            m_dialog->HideDialog();
        m_bar->GetDeviceButton()->click();
        QVERIFY(m_dialog->isVisible());
    }
    void UseDevices()
    {
        control::SetDevices(DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        control::SetDevices(DeviceKind::Playback, { { "Speakers", "out:Speakers" }, { "Headset", "out:Headset" } });
        control::SetDevices(DeviceKind::Camera, { { "Cam 1", "/dev/video0" }, { "Cam 2", "/dev/video1" } });
    }
    // What the engine uses now: recording, playback, camera.
    QStringList Current() const
    {
        m_engine->CreateAudioInManager();
        m_engine->CreateAudioOutManager();
        m_engine->CreateCameraManager();
        return { m_engine->GetAudioInManager()->GetCurDevice(), m_engine->GetAudioOutManager()->GetCurDevice(),
            m_engine->GetCameraManager()->GetCurDevice() };
    }
    static QStringList Stored()
    {
        return { UserSettings::Text(UserSettings::AudioInDevice), UserSettings::Text(UserSettings::AudioOutDevice),
            UserSettings::Text(UserSettings::CameraDevice) };
    }

private slots:
    void initTestCase()
    {
        m_room.Start(QStringLiteral("device-dialog-test"));
        m_window = m_room.window;
        m_bar = m_room.bar;
        m_engine = m_room.engine;
        m_dialog = m_bar->GetDeviceManager();
    }
    void cleanupTestCase() { m_room.Stop(); }
    void init()
    {
        m_dialog->HideDialog();
        control::Reset();
        UseDevices();
        for (const SettingKey* key :
            { &UserSettings::AudioInDevice, &UserSettings::AudioOutDevice, &UserSettings::CameraDevice })
            UserSettings::Remove(*key);
        // The first device of each kind in use.
        m_engine->CreateAudioInManager();
        m_engine->GetAudioInManager()->SetCurDevice("in:Mic A");
        m_engine->CreateAudioOutManager();
        m_engine->GetAudioOutManager()->SetCurDevice("out:Speakers");
        m_engine->CreateCameraManager();
        m_engine->GetCameraManager()->SetCurDevice("/dev/video0");
    }

    void TheDeviceButtonListsRealAndPluggedDevices()
    {
        control::UseSystemDevices();
        control::PlugDevice(DeviceKind::Recording, { "Plovix Fake Mic", "in:fake-mic" });
        control::PlugDevice(DeviceKind::Playback, { "Plovix Fake Speaker", "out:fake-speaker" });
        control::PlugDevice(DeviceKind::Camera, { "Plovix Fake Camera", "fake-camera" });
        Open();
        QCOMPARE(m_dialog->parentWidget(), m_window);
        QCOMPARE(m_dialog->pos(),
            QPoint((m_window->width() - m_dialog->width()) / 2, (m_window->height() - m_dialog->height()) / 2));
        // The system's devices (none on a machine without sound) and the
        // plugged ones, by the names the system gives them.
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), AudioDevices::InputNames());
        QCOMPARE(Entries(m_dialog->GetAudioOutBox()), AudioDevices::OutputNames());
        QVERIFY(Entries(m_dialog->GetAudioInBox()).contains("Plovix Fake Mic"));
        QVERIFY(Entries(m_dialog->GetAudioOutBox()).contains("Plovix Fake Speaker"));
        QVERIFY(Entries(m_dialog->GetVideoBox()).contains("Plovix Fake Camera"));
        // Each entry shows the device in use and holds its engine id.
        const QStringList current = Current();
        QComboBox* boxes[] = { m_dialog->GetAudioInBox(), m_dialog->GetAudioOutBox(), m_dialog->GetVideoBox() };
        for (int i = 0; i < 3; ++i)
            QCOMPARE(boxes[i]->currentData().toString(), current.at(i));
        QCOMPARE(m_dialog->GetAudioInBox()->itemData(m_dialog->GetAudioInBox()->findText("Plovix Fake Mic")).toString(),
            QString("in:fake-mic"));
    }

    void OpeningTwiceClosesAndTheNextOpeningReadsAfresh()
    {
        Open();
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), (QStringList { "Mic A", "Mic B" }));
        m_bar->GetDeviceButton()->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->GetAudioInBox()->count(), 0);
        control::PlugDevice(DeviceKind::Recording, { "Mic C", "in:Mic C" });
        control::PlugDevice(DeviceKind::Camera, { "Cam 3", "/dev/video2" });
        m_bar->GetDeviceButton()->click();
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), (QStringList { "Mic A", "Mic B", "Mic C" }));
        QCOMPARE(Entries(m_dialog->GetVideoBox()), (QStringList { "Cam 1", "Cam 2", "Cam 3" }));
        // After OK the next opening shows the same entries.
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        control::UnplugDevice(DeviceKind::Recording, "in:Mic C");
        m_bar->GetDeviceButton()->click();
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), (QStringList { "Mic A", "Mic B", "Mic C" }));
    }

    void OkRemembersThePicksAndTheNextJoinSelectsThem()
    {
        Open();
        m_dialog->GetAudioInBox()->setCurrentIndex(1);
        m_dialog->GetAudioOutBox()->setCurrentIndex(1);
        m_dialog->GetVideoBox()->setCurrentIndex(1);
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        const QStringList picked { "in:Mic B", "out:Headset", "/dev/video1" };
        QCOMPARE(Stored(), picked);
        QCOMPARE(Current(), picked);
        // Whatever the engine uses at the next join, the picks come back.
        m_engine->GetAudioInManager()->SetCurDevice("in:Mic A");
        m_engine->GetAudioOutManager()->SetCurDevice("out:Speakers");
        m_engine->GetCameraManager()->SetCurDevice("/dev/video0");
        QCOMPARE(Current(), (QStringList { "in:Mic A", "out:Speakers", "/dev/video0" }));
        Nexus::GetPlayer()->DevRecoeryAftAgoraJoin();
        QCOMPARE(Current(), picked);
    }

    void OkWithoutAChangeKeepsTheDevicesInUse()
    {
        m_engine->GetAudioInManager()->SetCurDevice("in:Mic B");
        Open();
        m_dialog->GetOkButton()->click();
        QCOMPARE(Stored(), (QStringList { "in:Mic B", "out:Speakers", "/dev/video0" }));
        QCOMPARE(Current().first(), QString("in:Mic B"));
    }

    void AFailedDeviceQueryDoesNotShiftThePick()
    {
        control::SetDevices(
            DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" }, { "Mic C", "in:Mic C" } });
        // The recording list's first query fails: Mic A is left out.
        control::FailNext("collection.getDevice", -1);
        Open();
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), (QStringList { "Mic B", "Mic C" }));
        m_dialog->GetAudioInBox()->setCurrentIndex(0);
        m_dialog->GetOkButton()->click();
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), QString("in:Mic B"));
        QCOMPARE(Current().first(), QString("in:Mic B"));
    }

    void ADeviceGoneWhileTheDialogIsOpenIsToldAndNotRemembered()
    {
        Open();
        m_dialog->GetAudioInBox()->setCurrentIndex(1);
        m_dialog->GetVideoBox()->setCurrentIndex(1);
        QVERIFY(control::UnplugDevice(DeviceKind::Recording, "in:Mic B"));
        m_dialog->GetOkButton()->click();
        QVERIFY(m_dialog->isVisible());
        QVERIFY(m_dialog->GetHintLabel()->isVisible());
        QCOMPARE(m_dialog->GetHintLabel()->text(), QString("所选的麦克风已断开,请重新选择"));
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), QString());
        // The other picks went through; the lists show what is there now.
        QCOMPARE(UserSettings::Text(UserSettings::CameraDevice), QString("/dev/video1"));
        QCOMPARE(Entries(m_dialog->GetAudioInBox()), QStringList { "Mic A" });
        m_dialog->GetOkButton()->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), QString("in:Mic A"));
    }

    void ARememberedDeviceThatIsGoneIsTold()
    {
        UserSettings::SetValue(UserSettings::AudioOutDevice, "out:Gone");
        UserSettings::SetValue(UserSettings::CameraDevice, "/dev/video1");
        Open();
        QVERIFY(m_dialog->GetHintLabel()->isVisible());
        QCOMPARE(m_dialog->GetHintLabel()->text(), QString("上次选择的听筒未连接,现使用列表中选中的设备"));
        m_dialog->GetCancelButton()->click();
        QVERIFY(!m_dialog->isVisible());
        UserSettings::Remove(UserSettings::AudioOutDevice);
        Open();
        QVERIFY(!m_dialog->GetHintLabel()->isVisible());
    }

    void ADefaultDeviceReportIsApplied_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("stored");
        QTest::newRow("new microphone") << 1 << "Mic B"
                                        << "in:Mic B"
                                        << "in:Mic B";
        QTest::newRow("new speaker") << 2 << "Headset"
                                     << "out:Headset"
                                     << "out:Headset";
        QTest::newRow("already in use") << 1 << "Mic A"
                                        << "in:Mic A"
                                        << "";
        QTest::newRow("unknown name") << 2 << "Gone"
                                      << "out:Speakers"
                                      << "";
        QTest::newRow("by id, not name") << 1 << "in:Mic B"
                                         << "in:Mic A"
                                         << "";
        QTest::newRow("camera kind") << 3 << "Cam 2"
                                     << ""
                                     << "";
    }
    void ADefaultDeviceReportIsApplied()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, current);
        QFETCH(QString, stored);
        // Reported from the watcher's thread: arrives queued.
        QThread thread;
        thread.start();
        QObject emitter;
        emitter.moveToThread(&thread);
        QMetaObject::invokeMethod(
            &emitter, [this, kind, name] { emit m_dialog->DefaultDeviceChanged(kind, name); }, Qt::QueuedConnection);
        QTest::qWait(50);
        thread.quit();
        thread.wait();
        QCoreApplication::processEvents();
        const SettingKey& key = kind == 2 ? UserSettings::AudioOutDevice : UserSettings::AudioInDevice;
        QCOMPARE(UserSettings::Text(key), stored);
        if (kind != 3)
            QCOMPARE(Current().at(kind - 1), current);
        QVERIFY(!m_dialog->isVisible());
    }

    void TheSelfTestButtonHandsOverToTheDeviceTest()
    {
        Open();
        QSignalSpy test(m_window->GetTitleBar(), &TitleBar::ShowAVTestDialog);
        m_dialog->GetAvTestButton()->click();
        QCOMPARE(test.count(), 1);
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!m_dialog->IsListsFilled());
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
        if (auto* test = m_window->findChild<DeviceTest*>())
            test->HideDialog();
        Open();
        RoomScreens::SaveScaled(m_dialog, "device-dialog", factor, folder);
        RoomScreens::SaveScaled(m_window, "device-dialog-window", factor, folder);
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestDeviceManager)
#include "tst_DeviceManager.moc"
