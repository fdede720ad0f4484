#include "RoomEngine.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/DeamonThreadMgr.h"
#include "rtc/DeviceManager.h"

#include <atomic>

namespace control = RtcEngineControl;
using control::Device;
using control::DeviceKind;
using Report = QPair<int, QString>; // DefaultDeviceChanged

Q_DECLARE_METATYPE(QList<Device>)

// The device watcher in its own thread, in a class room whose engine lists
// fake devices the test plugs in and out; what it tells the tool bar, the
// notice bar and the device dialog is collected as the GUI thread gets it.
class TestDeviceWatcher : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    DeamonThreadMgr* m_watcher = nullptr;
    QList<int> m_microphone; // UpdateMacphone values
    QList<int> m_notices;
    QList<Report> m_reports;

    const Device kMicA { "Mic A", "in:Mic A" };
    const Device kUsbMic { "USB Mic", "in:USB Mic" };
    const Device kSpeakers { "Speakers", "out:Speakers" };

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
        m_microphone.clear();
        m_notices.clear();
        m_reports.clear();
        emit m_watcher->DeviceInfoGet();
        Settle();
    }
    // The devices of the class; the watcher started as the join does.
    void Devices(const QList<Device>& inputs, const QList<Device>& outputs, int volume = 200)
    {
        control::SetDevices(DeviceKind::Recording, inputs);
        control::SetDevices(DeviceKind::Playback, outputs);
        m_room.engine->CreateAudioInManager();
        m_room.engine->CreateAudioOutManager();
        if (!outputs.isEmpty())
            QVERIFY(m_room.engine->GetAudioOutManager()->SetVolume(volume));
        emit m_watcher->DeviceInfoGet(); // starts the timer only
    }

private slots:
    void initTestCase()
    {
        m_room.Start(QStringLiteral("watcher-test"));
        Nexus::GetProfile()->StartThreads();
        m_watcher = Nexus::GetDeamonThreadMgr();
        QVERIFY(m_watcher);
        const auto queued = Qt::QueuedConnection;
        connect(
            m_room.bar, &MenuBar::UpdateMacphone, this, [this](int type) { m_microphone << type; }, queued);
        connect(
            Nexus::GetMiddleArea(), &MiddleArea::ShowMsgNotifyWidget, this, [this](int type) { m_notices << type; },
            queued);
        connect(
            m_room.bar->GetDeviceManager(), &DeviceManager::DefaultDeviceChanged, this,
            [this](int kind, const QString& name) { m_reports << Report(kind, name); }, queued);
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
        UserSettings::Remove(UserSettings::AudioInDevice);
        control::Reset(); // unplugs what a test plugged
    }

    void TheFirstCheckTellsDeviceProblems_data()
    {
        QTest::addColumn<QList<Device>>("inputs");
        QTest::addColumn<QList<Device>>("outputs");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QList<int>>("notices");
        QTest::addColumn<int>("microphone");
        const QList<Device> none;
        const QList<Device> speakers { kSpeakers };
        QTest::newRow("no microphone, silent")
            << none << speakers << 0 << QList<int> { NotifyNoMicrophoneNoSound } << 1;
        QTest::newRow("no microphone") << none << speakers << 200 << QList<int> { NotifyNoMicrophone } << 1;
        QTest::newRow("silent") << QList<Device> { kMicA } << speakers << 0 << QList<int> { NotifyNoSound } << 2;
        QTest::newRow("no speaker") << QList<Device> { kMicA } << none << 200 << QList<int> { NotifyNoSound } << 2;
        QTest::newRow("all well") << QList<Device> { kMicA, kUsbMic } << speakers << 200 << QList<int>() << 2;
    }
    void TheFirstCheckTellsDeviceProblems()
    {
        QFETCH(QList<Device>, inputs);
        QFETCH(QList<Device>, outputs);
        QFETCH(int, volume);
        QFETCH(QList<int>, notices);
        QFETCH(int, microphone);
        Devices(inputs, outputs, volume);
        Check();
        QCOMPARE(m_notices, notices);
        QCOMPARE(m_microphone, QList<int> { microphone });
        QVERIFY(m_reports.isEmpty());
        // The same lists again: nothing to tell.
        Check();
        QVERIFY(m_notices.isEmpty() && m_microphone.isEmpty() && m_reports.isEmpty());
    }

    void PluggedDevicesAreTakenIntoUseAndLossIsTold()
    {
        Devices({ kMicA }, { kSpeakers });
        Check();
        control::PlugDevice(DeviceKind::Recording, kUsbMic);
        Check();
        QCOMPARE(m_microphone, QList<int> { 2 });
        QCOMPARE(m_reports, QList<Report> { Report(1, kUsbMic.name) });
        QVERIFY(m_notices.isEmpty());
        // The device dialog selected it and remembers it.
        QCOMPARE(m_room.engine->GetAudioInManager()->GetCurDevice(), kUsbMic.id);
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), kUsbMic.id);
        QVERIFY(Nexus::GetProfile()->GetDeviceListChanged());

        // Unplugged: the default takes over, the choice is kept for its return.
        control::UnplugDevice(DeviceKind::Recording, kUsbMic.id);
        Check();
        QCOMPARE(m_reports, QList<Report> { Report(1, kMicA.name) });
        QCOMPARE(m_room.engine->GetAudioInManager()->GetCurDevice(), kMicA.id);
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), kUsbMic.id);
        QVERIFY(m_notices.isEmpty());

        // The last microphone gone is a device problem; its return is told.
        control::UnplugDevice(DeviceKind::Recording, kMicA.id);
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
        QCOMPARE(m_microphone.last(), 1);
        control::PlugDevice(DeviceKind::Recording, kMicA);
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyDeviceRecovered });
        QCOMPARE(m_microphone, QList<int> { 2 });
    }

    void ACleanUpStopsTheWatchAndTheNextJoinChecksAfresh()
    {
        Devices({}, { kSpeakers });
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
        emit m_watcher->Cleanup();
        emit m_watcher->DeviceInfoGet();
        Check();
        QCOMPARE(m_notices, QList<int> { NotifyNoMicrophone });
    }

    void APluggedDeviceIsNoticedWithinThePeriod()
    {
        Devices({ kMicA }, { kSpeakers });
        // The timer's first tick is the first check.
        QTRY_VERIFY_WITH_TIMEOUT(Nexus::GetProfile()->GetDeviceFirstCheckDone(), DeamonThreadMgr::kPollMs + 5000);
        control::PlugDevice(DeviceKind::Recording, kUsbMic);
        QTRY_COMPARE_WITH_TIMEOUT(
            UserSettings::Text(UserSettings::AudioInDevice), kUsbMic.id, DeamonThreadMgr::kPollMs + 5000);
    }
};

PLOVIX_TEST(TestDeviceWatcher)
#include "tst_DeviceWatcher.moc"
