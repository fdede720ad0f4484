#include <gst/gst.h>

#include "../room/RoomPanels.h"
#include "LogCapture.h"
#include "RoomEngine.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/TitleBar.h"
#include "app/UserSettings.h"
#include "entry/UserGuideWidget.h"
#include "platform/RtcEngineControl.h"
#include "platform/Shell.h"
#include "platform/SystemDevices.h"
#include "room/MenuBar.h"
#include "room/MicCapture.h"
#include "room/NotifyUIV2.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/DeviceManager.h"
#include "rtc/DeviceTest.h"
#include "rtc/GeneratedDevices.h"
#include "rtc/GstMediaStreams.h"
#include "rtc/Player.h"
#include "rtc/WavSound.h"
#include "widgets/QMeter.h"

#include <QBuffer>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>

namespace control = RtcEngineControl;

namespace {
const char* const kTabs[] = { "tab4AudioOut", "tab4AudioIn", "tab4Camera" };
const char* const kLefts[] = { "btn14AudioOut", "btn14AudioIn", "btn14Camera" };
const char* const kRights[] = { "btn24AudioOut", "btn24AudioIn", "btn24Camera" };
const char* const kHints[] = { "notify4AOut", "notify4AIn", "notify4Camera" };
} // namespace

// The device test as the user meets it: opened from the title bar or at a
// teacher's first entry, page by page, with no devices, with working ones
// recording a generated tone, and with devices that fail.
class TestDeviceTest : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    MainWindow* m_window = nullptr;
    TitleBar* m_bar = nullptr;
    DeviceTest* m_test = nullptr;
    GeneratedDevices::Devices* m_devices = nullptr;
    QList<QUrl> m_opened;

    template <typename T = QPushButton> T* Find(const char* name) const
    {
        T* widget = m_test->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
    QString Current(const char* combo) const { return Find<QComboBox>(combo)->currentText(); }
    double Meter() const { return Find<QMeter>("progressBar")->value(); }
    GeneratedDevices::Stream* Out(const QString& name) const { return m_devices->Last(QAudio::AudioOutput, name); }
    static QStringList Sorted(const QComboBox* combo)
    {
        QStringList entries = TestSupport::ComboEntries(combo);
        entries.sort();
        return entries;
    }
    void Press(const char* name) { QTest::mousePress(Find<QWidget>(name), Qt::LeftButton); }
    void Click(const char* name) { Find(name)->click(); }
    void Choose(const char* combo, int index)
    {
        Find<QComboBox>(combo)->setCurrentIndex(index);
        emit Find<QComboBox>(combo)->activated(index);
    }

    // The computer's devices, the engine's lists: the first of each is
    // the system default.
    void Plug()
    {
        control::SetDevices(
            control::DeviceKind::Playback, { { "Speakers", "out:Speakers" }, { "Headset", "out:Headset" } });
        control::SetDevices(control::DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        control::SetDevices(control::DeviceKind::Camera, { { "HD Camera", "/dev/video0" } });
        m_devices->recorded["Mic A"] = GeneratedDevices::Tone(0.5);
    }
    void Open()
    {
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton);
        m_test = m_bar->GetDeviceTest();
        QVERIFY(m_test && m_test->isVisible());
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageSpeaker));
    }
    // Opens a device's page and starts its test, so its question is asked.
    void Ask(int device)
    {
        Press(kTabs[device]);
        if (device == DeviceTest::Speaker)
            Press("label4AOutPlay");
        if (device == DeviceTest::Microphone)
            Click("btn4AInCheck");
    }
    bool Asks(int device) const
    {
        const QString yes = device == DeviceTest::Camera ? "看得到" : "听得到";
        const QString no = device == DeviceTest::Camera ? "看不到" : "听不到";
        QPushButton* left = Find(kLefts[device]);
        QPushButton* right = Find(kRights[device]);
        return left->isVisible() && right->isVisible() && left->text() == yes && right->text() == no && left->y() == 230
            && right->y() == 230 && !Find<QGroupBox>(kHints[device])->isVisible();
    }

    // The dialog at display scale 1 and 1.5: devicetest-<name>-x1.png and
    // -x1.5.png.
    void Shoot(const QString& name)
    {
        QDir().mkpath(TestSupport::ScreenshotFolder());
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            Nexus::GetProfile()->SetScale(scale.first, scale.second);
            m_test->ApplyImages();
            QPixmap picture(m_test->size() * scale.first);
            picture.setDevicePixelRatio(scale.first);
            picture.fill(QColor("#f4f4f4"));
            m_test->render(&picture);
            QVERIFY(picture.save(
                QStringLiteral("%1/devicetest-%2-%3.png").arg(TestSupport::ScreenshotFolder(), name, scale.second)));
        }
        Nexus::GetProfile()->SetScale(1.0, "x1");
        m_test->ApplyImages();
    }

private slots:
    void OnUrl(const QUrl& url) { m_opened << url; }

    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        m_devices = GeneratedDevices::Devices::Install();
        m_room.Start(QStringLiteral("devicetest"));
        m_window = m_room.window;
        m_bar = m_window->GetTitleBar();
        Shell::SetUrlOpener([this](const QUrl& url) {
            OnUrl(url);
            return true;
        });
    }
    void cleanupTestCase()
    {
        Shell::SetUrlOpener([](const QUrl&) { return false; });
        m_room.Stop();
        MediaDevices::Set(nullptr);
    }
    void init()
    {
        if (m_test)
            m_test->HideDialog();
        if (m_devices)
            m_devices->Clear();
    }

    // A listed device is opened for real: one that does not open fails at
    // its start, never passes.
    void ADeviceThatDoesNotOpenFails()
    {
        GeneratedDevices::Pipe sink;
        for (QAudio::Mode mode : { QAudio::AudioInput, QAudio::AudioOutput }) {
            const QString id = mode == QAudio::AudioInput ? "in:no such microphone" : "out:no such speaker";
            std::unique_ptr<AudioStream> stream = GstMediaStreams::OpenAudio(mode, id, SystemDevices::PcmFormat(16000));
            stream->start(&sink);
            QCOMPARE(stream->state(), QAudio::StoppedState);
            QCOMPARE(stream->error(), QAudio::OpenError);
            QVERIFY(!stream->start());
        }
        QCameraViewfinder view;
        QVERIFY(!GstMediaStreams::OpenCamera(QStringLiteral("/dev/no-such-camera"), 1, &view));
    }

    // A device opened through GStreamer records in the format asked for,
    // and an output pulling from a source plays it to its end.
    void AGStreamerDeviceRecordsAndPlays()
    {
        const QAudioFormat format = SystemDevices::PcmFormat(16000);
        GeneratedDevices::Pipe recorded;
        std::unique_ptr<AudioStream> input = GstMediaStreams::OpenAudioOn(
            QAudio::AudioInput,
            [] {
                GstElement* tone = gst_element_factory_make("audiotestsrc", nullptr);
                g_object_set(tone, "is-live", TRUE, "volume", 0.5, nullptr);
                return tone;
            },
            format);
        input->start(&recorded);
        QCOMPARE(input->state(), QAudio::ActiveState);
        QTRY_VERIFY_WITH_TIMEOUT(recorded.data.size() >= 16000, 10000); // half a second
        input->stop();
        const auto* samples = reinterpret_cast<const qint16*>(recorded.data.constData());
        const int peak = int(*std::max_element(samples, samples + recorded.data.size() / 2));
        QVERIFY2(peak > 12000 && peak < 20000, qPrintable(QString::number(peak)));

        QBuffer sound;
        sound.setData(QByteArray(16000 * 2 * 3 / 10, '\x10'));
        sound.open(QIODevice::ReadOnly);
        std::unique_ptr<AudioStream> output = GstMediaStreams::OpenAudioOn(
            QAudio::AudioOutput,
            [] {
                GstElement* sink = gst_element_factory_make("fakesink", nullptr);
                g_object_set(sink, "sync", TRUE, nullptr);
                return sink;
            },
            format);
        output->start(&sound);
        QCOMPARE(output->state(), QAudio::ActiveState);
        QTRY_COMPARE_WITH_TIMEOUT(output->state(), QAudio::IdleState, 10000);
        QVERIFY(sound.atEnd());
        QCOMPARE(output->error(), QAudio::NoError);
    }

    void WithoutDevicesEveryPageOffersASkip()
    {
        Open();
        QCOMPARE(Current("combox4AOut"), QString("暂无可用扬声器"));
        QVERIFY(!Find<QWidget>("label4AOutPlay")->isEnabled() && !Find("btn24AudioOut")->isVisible());
        Press("label4AOutPlay"); // nothing to play on
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        Shoot("none-speaker");
        for (int device : { 0, 1, 2 }) {
            QCOMPARE(Find(kLefts[device])->text(), QString("跳过"));
            QVERIFY(Find(kLefts[device])->isVisible() && !Find(kRights[device])->isVisible());
            if (device == 1) {
                QCOMPARE(Current("combox4AIn"), QString("暂无可用麦克风"));
                QVERIFY(!Find("btn4AInCheck")->isEnabled());
                Shoot("none-microphone");
            }
            if (device == 2) {
                QCOMPARE(Current("combox4Camera"), QString("暂无可用摄像头"));
                QCOMPARE(m_test->GetStatusText(DeviceTest::PageCamera), QString("暂无可用摄像头"));
                Shoot("none-camera");
            }
            Click(kLefts[device]);
        }
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageResult));
        for (const char* result : { "btnAOutResult", "btnAInResult", "btnCameraResult" })
            QCOMPARE(Text(result), QString("暂无可用设备"));
        QCOMPARE(m_test->GetResultState(), 0x888u);
        QVERIFY(Find("btn14Result")->styleSheet().contains("background-color:#fd2d2d"));
        QVERIFY(Find("btn4AuioIn")->styleSheet().contains("failed.png"));
        Shoot("none-result");
        Click("btn4Driver2");
        Click("btnContactSupp");
        QCOMPARE(m_opened, (QList<QUrl> { QUrl("https://www.drivergenius.com/"), NotifyUIV2::SupportChatUrl() }));

        // A microphone plugged in since: its page lists it and tests it.
        control::PlugDevice(control::DeviceKind::Recording, { "USB Mic", "in:USB Mic" });
        Press("btn4AuioIn");
        QCOMPARE(Current("combox4AIn"), QString("USB Mic"));
        QVERIFY(!Find("btn14AudioIn")->isVisible());
        QCOMPARE(m_test->GetResult(DeviceTest::Microphone), DeviceTest::ResultNotTested);
        Click("btn4AInCheck");
        QCOMPARE(m_test->GetMicCapture()->GetState(), MicCapture::Active);
    }

    void CameraSignKeepsItsSizeAtEveryScale()
    {
        // The larger scale's picture is drawn for it: on screen it stands as
        // large as the plain one, not one and a half times larger.
        Open();
        auto shown = [this](double factor, const QString& folder) {
            Nexus::GetProfile()->SetScale(factor, folder);
            m_test->ApplyImages();
            const QPixmap sign = Find<QLabel>("cameraIdle")->pixmap(Qt::ReturnByValue);
            return sign.size() / sign.devicePixelRatio();
        };
        const QSize plain = shown(1.0, "x1");
        QVERIFY(!plain.isEmpty());
        QCOMPARE(shown(1.5, "x1.5"), plain);
        QCOMPARE(shown(1.0, "x1"), plain);
    }

    void WorkingDevicesEndAllNormal()
    {
        Plug();
        Open();
        // The system default first; the slider at the engine's volume.
        QCOMPARE(Current("combox4AOut"), QString("Speakers"));
        QCOMPARE(Find<QSlider>("slider4AOut")->value(), 200);
        QVERIFY(!Find("btn14AudioOut")->isVisible());
        Shoot("speaker");
        Ask(DeviceTest::Speaker);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放中..."));
        QVERIFY(Asks(DeviceTest::Speaker));
        QTRY_VERIFY(Out("Speakers")->played.size() > 1000);
        Shoot("speaker-playing");
        Click("btn14AudioOut");

        QCOMPARE(Meter(), 0.0);
        Click("btn4AInCheck");
        QCOMPARE(Find("btn4AInCheck")->text(), QString("请讲话测试"));
        // Half of full scale fills the meter; the own voice is played back.
        QTRY_COMPARE(Meter(), 100.0);
        QTRY_VERIFY(Out("Speakers")->played.size() > 1000);
        Shoot("microphone-speaking");
        m_devices->recorded["Mic A"] = GeneratedDevices::Tone(0.1);
        QTRY_COMPARE(qRound(Meter()), 30);
        m_devices->recorded["Mic A"] = GeneratedDevices::Silence();
        QTRY_COMPARE(Meter(), 0.0);
        Click("btn14AudioIn");

        QVERIFY(m_test->IsCameraRunning() && Find<QWidget>("viewfinder")->isVisible());
        QVERIFY(Asks(DeviceTest::Camera));
        Shoot("camera");
        Click("btn14Camera");
        QVERIFY(!m_test->IsCameraRunning());
        for (const char* result : { "btnAOutResult", "btnAInResult", "btnCameraResult" }) {
            QCOMPARE(Text(result), QString("正常"));
            QVERIFY(Find<QLabel>(result)->styleSheet().contains("#5fc622"));
        }
        QVERIFY(Find("btn24Result")->styleSheet().contains("background-color:#fd2d2d"));
        QVERIFY(Find("btn4Camera")->styleSheet().contains("successed.png"));
        Shoot("result-ok");
        Click("btn24Result");
        QVERIFY(!m_test->isVisible() && !m_test->GetMicCapture() && !m_test->GetRecordAndPlay());
    }

    void AnswersOfEachPage_data()
    {
        QTest::addColumn<int>("device");
        QTest::newRow("speaker") << 0;
        QTest::newRow("microphone") << 1;
        QTest::newRow("camera") << 2;
    }
    void AnswersOfEachPage()
    {
        QFETCH(int, device);
        Plug();
        Open();
        Ask(device);
        QVERIFY(Asks(device));
        Click(kRights[device]); // cannot hear or see it
        QCOMPARE(Find(kLefts[device])->text(), QString("重新检测"));
        QCOMPARE(Find(kRights[device])->text(), QString("跳过"));
        QCOMPARE(Find(kLefts[device])->pos(), QPoint(90, 397));
        QVERIFY(Find<QGroupBox>(kHints[device])->isVisible());
        QCOMPARE(m_test->GetResult(DeviceTest::Device(device)), DeviceTest::ResultAbnormal);
        Shoot(QStringLiteral("%1-hint").arg(QTest::currentDataTag()));
        Click(kLefts[device]); // test again: asked afresh, not tested
        QVERIFY(Asks(device));
        QCOMPARE(m_test->GetResult(DeviceTest::Device(device)), DeviceTest::ResultNotTested);
        Click(kRights[device]);
        Click(kRights[device]); // skip: the abnormal result stays
        QCOMPARE(m_test->GetCurrentPage(), device + 2);
        QCOMPARE(m_test->GetResult(DeviceTest::Device(device)), DeviceTest::ResultAbnormal);
    }

    void ResultsSurviveLaterPages()
    {
        Plug();
        control::SetDevices(control::DeviceKind::Camera, {});
        Open();
        Ask(DeviceTest::Speaker);
        Click("btn14AudioOut"); // heard
        Click("btn4AInCheck");
        Click("btn24AudioIn");
        Click("btn24AudioIn"); // not heard, skipped
        Click("btn14Camera"); // no camera: only the camera's mark changes
        QCOMPARE(m_test->GetResultState(), 0x1u | 0x40u | 0x800u);
        QCOMPARE(Text("btnAInResult"), QString("异常"));
        Shoot("result-mixed");
        // The speaker unplugged since: it stays OK when its page is seen again.
        control::SetDevices(control::DeviceKind::Playback, {});
        Press("tab4AudioOut");
        QCOMPARE(m_test->GetResult(DeviceTest::Speaker), DeviceTest::ResultOk);
    }

    void TroubleIsShownAndTheTestGoesOn_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("status");
        const QString speaker("扬声器无法播放，请换一个扬声器或刷新后再试");
        const QString microphone("麦克风无法录音，请换一个麦克风或刷新后再试");
        QTest::newRow("speaker unplugged while playing") << "unplug Speakers" << 0 << speaker;
        QTest::newRow("speaker will not open") << "broken Speakers" << 0 << speaker;
        QTest::newRow("microphone unplugged while speaking") << "unplug Mic A" << 1 << microphone;
        QTest::newRow("microphone will not open") << "broken Mic A" << 1 << microphone;
        QTest::newRow("own voice cannot be written") << "refusing Speakers" << 1 << "无法播放您的声音，请检查扬声器";
        QTest::newRow("camera unplugged") << "unplug camera" << 2 << "摄像头无法打开，请换一个摄像头或刷新后再试";
    }
    void TroubleIsShownAndTheTestGoesOn()
    {
        QFETCH(QString, trouble);
        QFETCH(int, device);
        QFETCH(QString, status);
        Plug();
        const QString name = trouble.section(' ', 1);
        if (trouble.startsWith("broken"))
            m_devices->broken << name;
        if (trouble.startsWith("refusing"))
            m_devices->refusingWrites << name;
        Open();
        Ask(device);
        if (trouble == "unplug camera")
            m_devices->camera->Unplug();
        else if (trouble.startsWith("unplug"))
            m_devices->Unplug(name);
        QTRY_COMPARE(m_test->GetStatusText(DeviceTest::Page(device + 1)), status);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        QCOMPARE(Find("btn4AInCheck")->text(), QString(trouble == "refusing Speakers" ? "请讲话测试" : "检测麦克风"));
        QVERIFY(!Find<QWidget>("viewfinder")->isVisible());
        Shoot(QString(QTest::currentDataTag()).replace(' ', '-'));
        // The user still answers, and goes on.
        Click(kRights[device]);
        Click(kRights[device]);
        QCOMPARE(m_test->GetCurrentPage(), device + 2);
        QCOMPARE(m_test->GetResult(DeviceTest::Device(device)), DeviceTest::ResultAbnormal);
    }

    void ChoosingDevicesSelectsThemAndSetsVolumes()
    {
        Plug();
        m_devices->recorded["Mic B"] = GeneratedDevices::Tone(0.5);
        Open();
        UserSettings::Remove(UserSettings::AudioInDevice);
        UserSettings::Remove(UserSettings::AudioOutDevice);
        Choose("combox4AOut", 1);
        Press("tab4AudioIn");
        Choose("combox4AIn", 1);
        QCOMPARE(m_test->GetAudioOutput(), Out("Headset"));
        // The meter follows the new microphone before any check.
        QCOMPARE(m_test->GetMicCapture()->GetState(), MicCapture::Active);
        QTRY_COMPARE(Meter(), 100.0);
        // Through the tool bar's device dialog: the engine uses both, the
        // next join selects them again.
        CAgoraObject* engine = m_room.engine;
        QCOMPARE(engine->GetAudioOutManager()->GetCurDevice(), QString("out:Headset"));
        QCOMPARE(engine->GetAudioInManager()->GetCurDevice(), QString("in:Mic B"));
        QCOMPARE(UserSettings::Text(UserSettings::AudioOutDevice), QString("out:Headset"));
        QCOMPARE(UserSettings::Text(UserSettings::AudioInDevice), QString("in:Mic B"));
        // The own voice: the chosen microphone out of the chosen speaker,
        // even after another page was seen.
        Press("tab4Camera");
        Press("tab4AudioIn");
        QCOMPARE(Current("combox4AIn"), QString("Mic B"));
        Click("btn4AInCheck");
        QTRY_VERIFY(Out("Headset")->played.size() > 1000);
        QVERIFY(!m_devices->Last(QAudio::AudioInput, "Mic A"));

        control::ClearJournal();
        Find<QSlider>("slider4AIn")->setValue(90);
        Find<QSlider>("slider4AOut")->setValue(120);
        QCOMPARE(m_test->GetRecordAndPlay()->GetGain(), 90);
        QCOMPARE(
            control::JournalOf("set"), (QStringList { "setRecordingDeviceVolume 90", "setPlaybackDeviceVolume 120" }));
        QCOMPARE(UserSettings::Int(UserSettings::AudioInVolum), 90);
        QCOMPARE(UserSettings::Int(UserSettings::AudioOutVolum), 120);
    }

    void HidingStopsEveryTest()
    {
        Plug();
        Open();
        Ask(DeviceTest::Microphone);
        QVERIFY(m_test->GetRecordAndPlay());
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton); // a toggle
        QVERIFY(!m_test->isVisible() && !m_test->GetMicCapture() && !m_test->GetRecordAndPlay());
        for (const auto& stream : m_devices->streams)
            QVERIFY(!stream || stream->name == "Headset" || stream->state() == QAudio::StoppedState);
        Open();
        Press("tab4Camera");
        QVERIFY(m_test->IsCameraRunning());
        // Hidden with the main window: the camera stops, and comes back.
        m_window->hide();
        QVERIFY(!m_test->IsCameraRunning());
        m_window->show();
        QVERIFY(m_test->IsCameraRunning());
        // Back to the course list: the test goes with its button.
        MainWindowFixture::BackToCourseHome(m_window);
        QVERIFY(!m_test->isVisible() && !m_test->IsCameraRunning());
        MainWindowFixture::EnterRoom(m_window);
    }

    void TeacherFirstEntryOpensTheTestOnce()
    {
        Plug();
        Nexus::GetDataManager()->SetRoomRole(4);
        UserSettings::SetValue(UserSettings::UserGuide4Tea, 1); // the guide was seen
        // Already open: the join leaves it open.
        Open();
        Nexus::GetProfile()->SetDeviceNoticeGiven(false);
        emit Nexus::GetPlayer()->JoinChannelSuccess();
        QTRY_VERIFY(Nexus::GetProfile()->GetDeviceNoticeGiven());
        QVERIFY(m_test->isVisible());
        m_test->HideDialog();
        Nexus::GetProfile()->SetDeviceNoticeGiven(false);
        const int prepared = m_test->GetPrepareCount();
        emit Nexus::GetPlayer()->JoinChannelSuccess();
        QTRY_VERIFY(m_test->isVisible());
        QCOMPARE(m_test->GetPrepareCount(), prepared + 1);
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageSpeaker));
        QCOMPARE(Current("combox4AOut"), QString("Speakers"));
        m_test->HideDialog();
        emit Nexus::GetPlayer()->JoinChannelSuccess();
        QTest::qWait(100);
        QVERIFY(!m_test->isVisible());

        // The first entry of a new teacher shows the first-use guide too:
        // the test opens when the guide is closed, not under it to come
        // back a second time after it.
        UserSettings::SetValue(UserSettings::UserGuide4Tea, 0);
        Nexus::GetProfile()->SetDeviceNoticeGiven(false);
        emit Nexus::GetPlayer()->JoinChannelSuccess();
        QTRY_VERIFY(Nexus::GetProfile()->GetDeviceNoticeGiven());
        UserGuideWidget* guide = m_window->GetUserGuideWidget();
        QVERIFY(guide->isVisible());
        QVERIFY(!m_test->isVisible());
        QCOMPARE(m_test->GetPrepareCount(), prepared + 1);
        QVERIFY(SaveScaledScreenshots(m_window, "devicetest-first-entry-guide"));
        guide->GetExitButton()->click();
        QVERIFY(m_test->isVisible());
        QCOMPARE(m_test->GetPrepareCount(), prepared + 2);
        QVERIFY(SaveScaledScreenshots(m_window, "devicetest-first-entry-after-guide"));
        m_test->HideDialog();
    }

    void TestSoundPlaysItsSamplesFromTheStart()
    {
        Plug();
        const std::optional<WavSound> sound = WavSound::Read(":resource/avtest/test.wav");
        QVERIFY(sound && !sound->data.isEmpty());
        Open();
        GeneratedDevices::Stream* speaker = Out("Speakers");
        QCOMPARE(speaker->format(), sound->format);
        Press("label4AOutPlay");
        Press("label4AOutPlay"); // pause
        QCOMPARE(speaker->state(), QAudio::SuspendedState);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        m_devices->playSpeed = 100;
        Press("btnPlay4Aout"); // on from where it was, to the end
        QTRY_COMPARE(speaker->state(), QAudio::IdleState);
        QCOMPARE(speaker->played, sound->data);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        Press("label4AOutPlay"); // again, from the beginning
        QTRY_COMPARE(speaker->state(), QAudio::IdleState);
        QCOMPARE(speaker->played, sound->data + sound->data);
    }

    // Last: the machine's own devices (none without a sound card), then the
    // demo's, which fill in what the machine lacks. The device dialog lists
    // the same, and a device chosen in the test is the engine's.
    void TheMachinesDevicesAreListed()
    {
        MediaDevices::Set(nullptr);
        m_devices = nullptr;
        control::UseSystemDevices();
        Open();
        MediaDevices& system = MediaDevices::Get();
        const int speakers = system.AudioDevices(QAudio::AudioOutput).size();
        QCOMPARE(Find<QComboBox>("combox4AOut")->count(), qMax(speakers, 1));
        QCOMPARE(m_test->GetResult(DeviceTest::Speaker),
            speakers ? DeviceTest::ResultNotTested : DeviceTest::ResultNoDevice);
        Press("tab4Camera");
        QCOMPARE(m_test->IsCameraRunning(), !QCameraInfo::availableCameras().isEmpty());
        m_test->HideDialog();

        const QStringList microphones = system.AudioDevices(QAudio::AudioInput);
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        const auto noDemo = qScopeGuard([] { qunsetenv("PLOVIX_MEDIA_DEMO"); });
        QCOMPARE(system.AudioDevices(QAudio::AudioInput),
            microphones.isEmpty() ? QStringList { "演示麦克风" } : microphones);
        Open();
        Press("tab4Camera");
        QVERIFY(m_test->IsCameraRunning());
        if (QCameraInfo::availableCameras().isEmpty()) {
            // The generated camera shows the moving picture the others see.
            QCOMPARE(Current("combox4Camera"), QString("演示摄像头"));
            auto* view = Find<QWidget>("viewfinder");
            const auto picture = [view] { return view->grab().toImage(); };
            const QImage first = picture();
            QTRY_VERIFY_WITH_TIMEOUT(picture() != first, 5000);
            Shoot("demo-camera");
        }
        Ask(DeviceTest::Microphone);
        if (microphones.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(Meter() > 20, 5000);
        // The engine knows the device chosen: it takes it by its id.
        const QString chosen = Current("combox4AIn");
        LogCapture log;
        Choose("combox4AIn", 0);
        QCOMPARE(log.Count("cannot find device id"), 0);
        QString id;
        for (const control::Device& device : control::Devices(control::DeviceKind::Recording))
            id = device.name == chosen ? device.id : id;
        QCOMPARE(m_room.engine->GetAudioInManager()->GetCurDevice(), id);
        // The device dialog lists what the test lists.
        m_room.bar->GetDeviceButton()->click();
        DeviceManager* dialog = m_room.bar->GetDeviceManager();
        QVERIFY(dialog->isVisible());
        const QList<QPair<const char*, QComboBox*>> lists { { "combox4AIn", dialog->GetAudioInBox() },
            { "combox4AOut", dialog->GetAudioOutBox() }, { "combox4Camera", dialog->GetVideoBox() } };
        for (const auto& list : lists)
            QCOMPARE(Sorted(Find<QComboBox>(list.first)), Sorted(list.second));
        dialog->HideDialog();
        m_test->HideDialog();
    }
};

PLOVIX_TEST(TestDeviceTest)
#include "tst_DeviceTest.moc"
