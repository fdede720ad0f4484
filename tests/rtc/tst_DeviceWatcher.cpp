#include "RoomEngine.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "platform/RtcEngineControl.h"
#include "room/BottomArea.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/DeamonThreadMgr.h"
#include "rtc/DeviceManager.h"
#include "rtc/Player.h"

#include <atomic>

namespace control = RtcEngineControl;
using control::Device;
using control::DeviceKind;

Q_DECLARE_METATYPE(QList<Device>)

// The device watcher in its own thread, in a class room whose engine lists
// fake devices the test plugs in and out; what it tells the tool bar, the
// notice bar and the device dialog is collected as the GUI thread gets it.
class TestDeviceWatcher : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    MainWindow* m_window = nullptr;
    DeamonThreadMgr* m_watcher = nullptr;
    CAgoraObject* m_engine = nullptr;
    QList<int> m_microphone; // UpdateMacphone values
    QList<int> m_notices;
    QList<QPair<int, QString>> m_defaults; // DefaultDeviceChanged

    static const Device kMicA;
    static const Device kMicB;
    static const Device kSpeakers;
    static const Device kHeadset;

    void SetPlaybackVolume(int volume)
    {
        m_engine->CreateAudioOutManager();
        if (m_engine->GetAudioOutManager()->GetDeviceCount() > 0)
            QVERIFY(m_engine->GetAudioOutManager()->SetVolume(volume));
    }
    // Waits until the watcher has handled everything emitted so far and the
    // GUI thread has received what it sent.
    void Settle()
    {
        auto done = std::make_shared<std::atomic<bool>>(false);
        QMetaObject::invokeMethod(
            m_watcher,
            [done] {
                QMetaObject::invokeMethod(
                    qApp, [done] { *done = true; }, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(*done, 15000);
        QCoreApplication::processEvents();
    }
    // One check of the devices, as a tick of the watcher's timer runs it.
    void Check()
    {
        emit m_watcher->DeviceInfoGet();
        Settle();
    }
    void Forget()
    {
        m_microphone.clear();
        m_notices.clear();
        m_defaults.clear();
    }
    // The watcher started after a join, its first check done.
    void StartClass(const QList<Device>& inputs, const QList<Device>& outputs, int volume = 200)
    {
        control::SetDevices(DeviceKind::Recording, inputs);
        control::SetDevices(DeviceKind::Playback, outputs);
        SetPlaybackVolume(volume);
        m_engine->CreateAudioInManager();
        emit m_watcher->DeviceInfoGet(); // starts the timer only
        Check();
    }

private slots:
    void initTestCase()
    {
        m_room.Start(QStringLiteral("watcher-test"));
        m_window = m_room.window;
        m_engine = m_room.engine;
        Nexus::GetProfile()->StartThreads();
        m_watcher = Nexus::GetDeamonThreadMgr();
        QVERIFY(m_watcher);
        MenuBar* bar = m_room.bar;
        connect(
            bar, &MenuBar::UpdateMacphone, this, [this](int type) { m_microphone << type; }, Qt::QueuedConnection);
        connect(
            Nexus::GetMiddleArea(), &MiddleArea::ShowMsgNotifyWidget, this, [this](int type) { m_notices << type; },
            Qt::QueuedConnection);
        connect(
            bar->GetDeviceManager(), &DeviceManager::DefaultDeviceChanged, this,
            [this](int kind, const QString& name) { m_defaults << qMakePair(kind, name); }, Qt::QueuedConnection);
    }
    void cleanupTestCase()
    {
        emit m_watcher->Cleanup();
        m_room.Stop();
    }
    void init()
    {
        emit m_watcher->Cleanup();
        Settle();
        Nexus::GetProfile()->SetDeviceReTestRequested(false);
        UserSettings::Remove(UserSettings::AudioInDevice);
        UserSettings::Remove(UserSettings::AudioOutDevice);
        control::Reset(); // unplugs what a test plugged
        control::SetDevices(DeviceKind::Camera, {});
        Forget();
    }

    void TheFirstCheckTellsDeviceProblems_data()
    {
        QTest::addColumn<QList<Device>>("inputs");
        QTest::addColumn<QList<Device>>("outputs");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QList<int>>("notices");
        QTest::addColumn<QList<int>>("microphone");
        const QList<Device> none;
        QTest::newRow("no microphone, silent")
            << none << QList<Device> { kSpeakers } << 0 << QList<int> { NotifyNoMicrophoneNoSound } << QList<int> { 1 };
        QTest::newRow("no microphone") << none << QList<Device> { kSpeakers } << 200
                                       << QList<int> { NotifyNoMicrophone } << QList<int> { 1 };
        QTest::newRow("silent") << QList<Device> { kMicA } << QList<Device> { kSpeakers } << 0
                                << QList<int> { NotifyNoSound } << QList<int> { 2 };
        QTest::newRow("no speaker") << QList<Device> { kMicA } << none << 200 << QList<int> { NotifyNoSound }
                                    << QList<int> { 2 };
        QTest::newRow("all well") << QList<Device> { kMicA, kMicB } << QList<Device> { kSpeakers } << 200
                                  << QList<int>() << QList<int> { 2 };
    }
    void TheFirstCheckTellsDeviceProblems()
    {
        QFETCH(QList<Device>, inputs);
        QFETCH(QList<Device>, outputs);
        QFETCH(int, volume);
        QFETCH(QList<int>, notices);
        QFETCH(QList<int>, microphone);
        control::SetDevices(DeviceKind::Recording, inputs);
        control::SetDevices(DeviceKind::Playback, outputs);
        SetPlaybackVolume(volume);
        emit m_watcher->DeviceInfoGet();
        Settle();
        // Starting only starts the timer.
        QVERIFY(m_notices.isEmpty() && m_microphone.isEmpty());
        Check();
        QCOMPARE(m_notices, notices);
        QCOMPARE(m_microphone, microphone);
        QVERIFY(m_defaults.isEmpty());
        QVERIFY(Nexus::GetProfile()->GetDeviceFirstCheckDone());
        // The same lists again: nothing to tell.
        Forget();
        Check();
        QVERIFY(m_notices.isEmpty() && m_microphone.isEmpty() && m_defaults.isEmpty());
    }

    void APluggedInMicrophoneIsTakenIntoUse()
    {
        StartClass({ kMicA }, { kSpeakers });
        Forget();
        control::PlugDevice(DeviceKind::Recording, kMicB);
        Check();
        QCOMPARE(m_microphone, QList<int> { 2 });
        QCOMPARE(m_defaults, (QList<QPair<int, QString>> { { 1, kMicB.name } }));
        QVERIFY(m_notices.isEmpty());
        // The device dialog selected it and remembers it.
        QCOMPARE(m_engine->GetAudioInManager()->GetCurDevice(), kMicB.id);
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), kMicB.id);
        QVERIFY(Nexus::GetProfile()->GetDeviceListChanged());
        control::UnplugDevice(DeviceKind::Recording, kMicB.id);
    }

    void UnpluggingTheChosenDeviceFallsBack_data()
    {
        QTest::addColumn<bool>("input");
        QTest::newRow("microphone") << true;
        QTest::newRow("speaker") << false;
    }
    void UnpluggingTheChosenDeviceFallsBack()
    {
        QFETCH(bool, input);
        StartClass({ kMicA, kMicB }, { kSpeakers, kHeadset });
        DeviceManager* dialog = m_window->GetBottomArea()->GetMenuBar()->GetDeviceManager();
        const Device chosen = input ? kMicB : kHeadset;
        const Device fallback = input ? kMicA : kSpeakers;
        const DeviceKind kind = input ? DeviceKind::Recording : DeviceKind::Playback;
        const SettingKey& key = input ? UserSettings::AudioInDevice : UserSettings::AudioOutDevice;
        auto current = [this, input] {
            return input ? m_engine->GetAudioInManager()->GetCurDevice()
                         : m_engine->GetAudioOutManager()->GetCurDevice();
        };
        input ? m_engine->GetAudioInManager()->SetCurDevice(fallback.id)
              : m_engine->GetAudioOutManager()->SetCurDevice(fallback.id);
        dialog->OnDefaultDeviceChanged(input ? 1 : 2, chosen.name);
        QCOMPARE(UserSettings::Text(key), chosen.id);
        Forget();
        QVERIFY(control::UnplugDevice(kind, chosen.id));
        Check();
        // The system's default takes over and is reported; the choice is
        // kept for the device's return.
        QCOMPARE(m_defaults, (QList<QPair<int, QString>> { { input ? 1 : 2, fallback.name } }));
        QCOMPARE(current(), fallback.id);
        QCOMPARE(UserSettings::Text(key), chosen.id);
        QVERIFY(m_notices.isEmpty());
        Forget();
        control::PlugDevice(kind, chosen);
        Check();
        QCOMPARE(m_defaults, (QList<QPair<int, QString>> { { input ? 1 : 2, chosen.name } }));
        QCOMPARE(current(), chosen.id);
    }

    void LosingTheLastMicrophoneIsToldAndSoIsItsReturn()
    {
        StartClass({ kMicA }, { kSpeakers });
        Forget();
        control::UnplugDevice(DeviceKind::Recording, kMicA.id);
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
        QVERIFY(m_microphone.contains(1) && !m_microphone.contains(2));
        Forget();
        control::PlugDevice(DeviceKind::Recording, kMicA);
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyDeviceRecovered });
        QCOMPARE(m_microphone, QList<int> { 2 });
        QCOMPARE(m_defaults, (QList<QPair<int, QString>> { { 1, kMicA.name } }));
        // Told once.
        Forget();
        Check();
        QVERIFY(m_notices.isEmpty());
    }

    void ARequestedReTestRunsTheFirstCheckAgain()
    {
        StartClass({ kMicA }, { kSpeakers });
        Forget();
        // The notice bar's "重新检测".
        Nexus::GetProfile()->SetDeviceFirstCheckDone(false);
        Nexus::GetProfile()->SetDeviceReTestRequested(true);
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyDeviceRecovered });
        QVERIFY(!Nexus::GetProfile()->GetDeviceReTestRequested());
    }

    void ACleanUpStopsTheWatchAndTheNextJoinChecksAfresh()
    {
        StartClass({}, { kSpeakers });
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
        emit m_watcher->Cleanup();
        Settle();
        QVERIFY(!Nexus::GetProfile()->GetDeviceFirstCheckDone());
        Forget();
        emit m_watcher->DeviceInfoGet();
        Settle();
        QVERIFY(m_notices.isEmpty());
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
    }

    void APluggedDeviceIsNoticedWithinThePeriod()
    {
        control::SetDevices(DeviceKind::Recording, { kMicA });
        control::SetDevices(DeviceKind::Playback, { kSpeakers });
        SetPlaybackVolume(200);
        emit m_watcher->DeviceInfoGet();
        // The timer's first tick is the first check.
        QTRY_VERIFY_WITH_TIMEOUT(Nexus::GetProfile()->GetDeviceFirstCheckDone(), DeamonThreadMgr::kPollMs + 5000);
        QTRY_COMPARE(m_microphone, QList<int> { 2 });
        control::PlugDevice(DeviceKind::Recording, kMicB);
        QTRY_COMPARE_WITH_TIMEOUT(
            UserSettings::Text(UserSettings::AudioInDevice), kMicB.id, DeamonThreadMgr::kPollMs + 5000);
        control::UnplugDevice(DeviceKind::Recording, kMicB.id);
    }
};

const Device TestDeviceWatcher::kMicA { "Mic A", "in:Mic A" };
const Device TestDeviceWatcher::kMicB { "USB Mic", "in:USB Mic" };
const Device TestDeviceWatcher::kSpeakers { "Speakers", "out:Speakers" };
const Device TestDeviceWatcher::kHeadset { "Headset", "out:Headset" };

PLOVIX_TEST(TestDeviceWatcher)
#include "tst_DeviceWatcher.moc"
