#include "../app/MainWindowFixture.h"
#include "FakeMedia.h"
#include "TestRegistry.h"

#include "app/TitleBar.h"
#include "app/UserSettings.h"
#include "platform/RtcEngineControl.h"
#include "room/MenuBar.h"
#include "room/MicCapture.h"
#include "room/NotifyUIV2.h"
#include "rtc/CAgoraObject.h"
#include "rtc/DeviceTest.h"
#include "rtc/Player.h"
#include "rtc/WavSound.h"
#include "widgets/QMeter.h"

#include <QAudioDeviceInfo>
#include <QCameraInfo>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

namespace control = RtcEngineControl;

// The device test as the user meets it: opened from the title bar or at a
// teacher's first entry, page by page, with no devices, with working ones
// recording a generated tone, and with devices that fail.
class TestDeviceTest : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    TitleBar* m_bar = nullptr;
    DeviceTest* m_test = nullptr;
    FakeMedia::Devices* m_devices = nullptr;
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

    void Plug()
    {
        m_devices->outputs = QStringList { "Headset", "Speakers" };
        m_devices->defaultOutput = "Speakers";
        m_devices->inputs = QStringList { "Mic A", "Mic B" };
        m_devices->defaultInput = "Mic A";
        m_devices->cameras = { CameraDevice { "/dev/video0", "HD Camera" } };
        m_devices->recorded["Mic A"] = FakeMedia::Tone(0.5);
    }

    void Open()
    {
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton);
        m_test = m_bar->GetDeviceTest();
        QVERIFY(m_test && m_test->isVisible());
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageSpeaker));
    }
    void Press(const char* name) { QTest::mousePress(Find<QWidget>(name), Qt::LeftButton); }
    void Click(const char* name) { Find(name)->click(); }

    // The dialog at display scale 1 and 1.5, as devicetest-<name>-x1.png
    // and -x1.5.png.
    void Shoot(const QString& name)
    {
        for (const auto& scale : { qMakePair(1.0, QString("x1")), qMakePair(1.5, QString("x1.5")) }) {
            Nexus::GetProfile()->SetScale(scale.first, scale.second);
            m_test->ApplyImages();
            QPixmap picture(m_test->size() * scale.first);
            picture.setDevicePixelRatio(scale.first);
            picture.fill(QColor("#f4f4f4"));
            m_test->render(&picture);
            QDir().mkpath(TestSupport::ScreenshotFolder());
            QVERIFY(picture.save(
                QStringLiteral("%1/devicetest-%2-%3.png").arg(TestSupport::ScreenshotFolder(), name, scale.second)));
        }
        Nexus::GetProfile()->SetScale(1.0, "x1");
        m_test->ApplyImages();
    }

    bool AnswersAsk(const char* left, const char* right, const QString& yes, const QString& no)
    {
        return Find(left)->isVisible() && Find(right)->isVisible() && Find(left)->text() == yes
            && Find(right)->text() == no && Find(left)->y() == 230 && Find(right)->y() == 230;
    }

private slots:
    void OnUrl(const QUrl& url) { m_opened << url; }

    void initTestCase()
    {
        qputenv("PLOVIX_RTC_NO_AUDIO", "1");
        m_devices = FakeMedia::Devices::Install();
        m_window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_bar = m_window->GetTitleBar();
        // The engine lists the same devices: the sliders set its volumes.
        control::SetDevices(control::DeviceKind::Recording, { { "Mic A", "in:Mic A" }, { "Mic B", "in:Mic B" } });
        control::SetDevices(
            control::DeviceKind::Playback, { { "Headset", "out:Headset" }, { "Speakers", "out:Speakers" } });
        CAgoraObject* engine = CAgoraObject::GetAgoraObject(QStringLiteral("devicetest"));
        QVERIFY(engine);
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(engine);
        QDesktopServices::setUrlHandler("https", this, "OnUrl");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("https");
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(nullptr);
        delete m_window;
        if (CAgoraObject::Instance())
            CAgoraObject::ReleaseEngine();
        control::Reset();
        MediaDevices::Set(nullptr);
    }
    void init()
    {
        if (m_test)
            m_test->HideDialog();
        if (!m_devices)
            return;
        m_devices->inputs.clear();
        m_devices->outputs.clear();
        m_devices->cameras.clear();
        m_devices->defaultInput.clear();
        m_devices->defaultOutput.clear();
        m_devices->broken.clear();
        m_devices->refusingWrites.clear();
        m_devices->recorded.clear();
        m_devices->playSpeed = 1;
    }

    void WithoutDevicesEveryPageOffersASkip()
    {
        Open();
        QCOMPARE(Current("combox4AOut"), QString("暂无可用扬声器"));
        QVERIFY(Find("btn14AudioOut")->isVisible() && !Find("btn24AudioOut")->isVisible());
        QCOMPARE(Find("btn14AudioOut")->text(), QString("跳过"));
        Press("label4AOutPlay"); // nothing to play on
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        QVERIFY(!Find<QWidget>("label4AOutPlay")->isEnabled());
        Shoot("none-speaker");
        Click("btn14AudioOut");
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageMicrophone));
        QCOMPARE(Current("combox4AIn"), QString("暂无可用麦克风"));
        QVERIFY(!Find("btn4AInCheck")->isEnabled());
        QCOMPARE(Find("btn14AudioIn")->text(), QString("跳过"));
        Shoot("none-microphone");
        Click("btn14AudioIn");
        QCOMPARE(Current("combox4Camera"), QString("暂无可用摄像头"));
        QCOMPARE(m_test->GetStatusText(DeviceTest::PageCamera), QString("暂无可用摄像头"));
        QVERIFY(!Find("btn24Camera")->isVisible());
        Shoot("none-camera");
        Click("btn14Camera");
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageResult));
        for (const char* result : { "btnAOutResult", "btnAInResult", "btnCameraResult" })
            QCOMPARE(Text(result), QString("暂无可用设备"));
        QCOMPARE(m_test->GetResultState(), 0x888u);
        QVERIFY(Find("btn14Result")->styleSheet().contains("background-color:#fd2d2d"));
        QVERIFY(Find("btn4AuioIn")->styleSheet().contains("failed.png"));
        Shoot("none-result");
        // The links leave for the browser.
        Click("btn4Driver2");
        Click("btnContactSupp");
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened.at(0).host(), QString("www.drivergenius.com"));
        QCOMPARE(m_opened.at(1), NotifyUIV2::SupportChatUrl());

        // A microphone plugged in since: its page lists it and tests it.
        m_devices->inputs << "USB Mic";
        Press("btn4AuioIn");
        QCOMPARE(Current("combox4AIn"), QString("USB Mic"));
        QVERIFY(Find("btn4AInCheck")->isEnabled() && !Find("btn14AudioIn")->isVisible());
        QCOMPARE(m_test->GetResult(DeviceTest::Microphone), DeviceTest::ResultNotTested);
        Click("btn4AInCheck");
        QCOMPARE(m_test->GetMicCapture()->GetState(), MicCapture::Active);
    }

    void WorkingDevicesEndAllNormal()
    {
        Plug();
        Open();
        // The system default comes first; the slider shows the engine's volume.
        QCOMPARE(Current("combox4AOut"), QString("Speakers"));
        QCOMPARE(Find<QSlider>("slider4AOut")->value(), 200);
        QVERIFY(!Find("btn14AudioOut")->isVisible());
        Shoot("speaker");
        Press("labelPlay4Aout");
        QCOMPARE(Text("labelPlay4Aout"), QString("播放中..."));
        QVERIFY(AnswersAsk("btn14AudioOut", "btn24AudioOut", "听得到", "听不到"));
        QTRY_VERIFY(m_devices->Last(QAudio::AudioOutput, "Speakers")->played.size() > 1000);
        Shoot("speaker-playing");
        Click("btn14AudioOut");

        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageMicrophone));
        QCOMPARE(Find<QMeter>("progressBar")->value(), 0.0);
        Click("btn4AInCheck");
        QCOMPARE(Find("btn4AInCheck")->text(), QString("请讲话测试"));
        QVERIFY(Find("btn4AInCheck")->styleSheet().contains("#50bb10"));
        // Half of full scale fills the meter; the own voice is played back.
        QTRY_COMPARE(Find<QMeter>("progressBar")->value(), 100.0);
        QTRY_VERIFY(m_devices->Last(QAudio::AudioOutput, "Speakers")->played.size() > 1000);
        Shoot("microphone-speaking");
        m_devices->recorded["Mic A"] = FakeMedia::Tone(0.1);
        QTRY_COMPARE(qRound(Find<QMeter>("progressBar")->value()), 30);
        m_devices->recorded["Mic A"] = FakeMedia::Silence();
        QTRY_COMPARE(Find<QMeter>("progressBar")->value(), 0.0);
        Click("btn14AudioIn");

        QVERIFY(m_test->IsCameraRunning());
        QVERIFY(Find<QWidget>("viewfinder")->isVisible());
        QVERIFY(AnswersAsk("btn14Camera", "btn24Camera", "看得到", "看不到"));
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
        QVERIFY(!m_test->isVisible());
        QVERIFY(!m_test->GetMicCapture() && !m_test->GetRecordAndPlay());
    }

    void AnswersOfEachPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("hint");
        QTest::newRow("speaker") << 1 << "AudioOut"
                                 << "听得到"
                                 << "听不到"
                                 << "notify4AOut";
        QTest::newRow("microphone") << 2 << "AudioIn"
                                    << "听得到"
                                    << "听不到"
                                    << "notify4AIn";
        QTest::newRow("camera") << 3 << "Camera"
                                << "看得到"
                                << "看不到"
                                << "notify4Camera";
    }
    void AnswersOfEachPage()
    {
        QFETCH(int, page);
        QFETCH(QString, prefix);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(QString, hint);
        Plug();
        Open();
        const auto device = DeviceTest::Device(page - 1);
        static const char* const tabs[] = { "tab4AudioOut", "tab4AudioIn", "tab4Camera" };
        Press(tabs[page - 1]);
        QCOMPARE(m_test->GetCurrentPage(), page);
        if (page == 1)
            Press("btnPlay4Aout");
        if (page == 2)
            Click("btn4AInCheck");
        const QByteArray left = ("btn14" + prefix).toLatin1();
        const QByteArray right = ("btn24" + prefix).toLatin1();
        QVERIFY(AnswersAsk(left, right, yes, no));
        Click(right); // cannot hear or see it
        QCOMPARE(Find(left)->text(), QString("重新检测"));
        QCOMPARE(Find(right)->text(), QString("跳过"));
        QCOMPARE(Find(left)->pos(), QPoint(90, 397));
        QVERIFY(Find<QGroupBox>(hint.toLatin1())->isVisible());
        QCOMPARE(m_test->GetResult(device), DeviceTest::ResultAbnormal);
        Shoot(QStringLiteral("%1-hint").arg(QTest::currentDataTag()));
        Click(left); // test again: asked afresh, not tested
        QVERIFY(AnswersAsk(left, right, yes, no));
        QCOMPARE(m_test->GetResult(device), DeviceTest::ResultNotTested);
        Click(right);
        Click(right); // skip: the abnormal result stays
        QCOMPARE(m_test->GetCurrentPage(), page + 1);
        QCOMPARE(m_test->GetResult(device), DeviceTest::ResultAbnormal);
    }

    void ResultsSurviveLaterPages()
    {
        Plug();
        m_devices->cameras.clear();
        Open();
        Press("label4AOutPlay");
        Click("btn14AudioOut"); // heard
        Click("btn4AInCheck");
        Click("btn24AudioIn");
        Click("btn24AudioIn"); // not heard, skipped
        // Without a camera, the skip marks only the camera.
        QCOMPARE(Find("btn14Camera")->text(), QString("跳过"));
        Click("btn14Camera");
        QCOMPARE(m_test->GetResultState(), 0x1u | 0x40u | 0x800u);
        QCOMPARE(Text("btnAInResult"), QString("异常"));
        QVERIFY(Find("btn14Result")->styleSheet().contains("background-color:#fd2d2d"));
        Shoot("result-mixed");
        // The speaker unplugged since: it stays OK when its page is seen again.
        m_devices->outputs.clear();
        Press("tab4AudioOut");
        QCOMPARE(m_test->GetResult(DeviceTest::Speaker), DeviceTest::ResultOk);
        Click("btn14Result"); // test again from the start
        QCOMPARE(m_test->GetResultState(), 0x8u);
        QCOMPARE(m_test->GetCurrentPage(), int(DeviceTest::PageSpeaker));
    }

    void TroubleIsShownAndTheTestGoesOn_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("status");
        const QString speaker("扬声器无法播放，请换一个扬声器或刷新后再试");
        const QString microphone("麦克风无法录音，请换一个麦克风或刷新后再试");
        QTest::newRow("speaker unplugged while playing") << "unplug Speakers" << 1 << speaker;
        QTest::newRow("speaker will not open") << "broken Speakers" << 1 << speaker;
        QTest::newRow("microphone unplugged while speaking") << "unplug Mic A" << 2 << microphone;
        QTest::newRow("microphone will not open") << "broken Mic A" << 2 << microphone;
        QTest::newRow("own voice cannot be written") << "refusing Speakers" << 2 << "无法播放您的声音，请检查扬声器";
        QTest::newRow("camera unplugged") << "unplug camera" << 3 << "摄像头无法打开，请换一个摄像头或刷新后再试";
    }
    void TroubleIsShownAndTheTestGoesOn()
    {
        QFETCH(QString, trouble);
        QFETCH(int, page);
        QFETCH(QString, status);
        Plug();
        const QString device = trouble.section(' ', 1);
        if (trouble.startsWith("broken"))
            m_devices->broken << device;
        if (trouble.startsWith("refusing"))
            m_devices->refusingWrites << device;
        Open();
        static const char* const tabs[] = { "tab4AudioOut", "tab4AudioIn", "tab4Camera" };
        Press(tabs[page - 1]);
        if (page == 1)
            Press("label4AOutPlay");
        if (page == 2)
            Click("btn4AInCheck");
        if (trouble == "unplug camera")
            m_devices->LastCamera()->Unplug();
        else if (trouble.startsWith("unplug"))
            m_devices->Unplug(device);
        QTRY_COMPARE(m_test->GetStatusText(DeviceTest::Page(page)), status);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        QCOMPARE(Find("btn4AInCheck")->text(), QString(trouble == "refusing Speakers" ? "请讲话测试" : "检测麦克风"));
        if (page == 3)
            QVERIFY(!Find<QWidget>("viewfinder")->isVisible());
        Shoot(QString(QTest::currentDataTag()).replace(' ', '-'));
        // The user still answers, and goes on.
        static const char* const rights[] = { "btn24AudioOut", "btn24AudioIn", "btn24Camera" };
        Click(rights[page - 1]);
        Click(rights[page - 1]);
        QCOMPARE(m_test->GetCurrentPage(), page + 1);
        QCOMPARE(m_test->GetResult(DeviceTest::Device(page - 1)), DeviceTest::ResultAbnormal);
    }

    void ChoosingDevicesSelectsThemAndSetsVolumes()
    {
        Plug();
        m_devices->recorded["Mic B"] = FakeMedia::Tone(0.5);
        Open();
        QSignalSpy chosen(Nexus::GetMenuBar(), &MenuBar::DefaultDeviceChosen);
        QComboBox* speakers = Find<QComboBox>("combox4AOut");
        speakers->setCurrentIndex(1);
        emit speakers->activated(1);
        QCOMPARE(m_test->GetAudioOutput(), m_devices->Last(QAudio::AudioOutput, "Headset"));
        Press("tab4AudioIn");
        QComboBox* microphones = Find<QComboBox>("combox4AIn");
        microphones->setCurrentIndex(1);
        emit microphones->activated(1);
        // The meter follows the new microphone before any check.
        QCOMPARE(m_test->GetMicCapture()->GetState(), MicCapture::Active);
        QTRY_COMPARE(Find<QMeter>("progressBar")->value(), 100.0);
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.at(0), (QVariantList { 2, QString("Headset") }));
        QCOMPARE(chosen.at(1), (QVariantList { 1, QString("Mic B") }));
        // The own voice comes from the chosen microphone, out of the chosen
        // speaker, even after another page was seen.
        Press("tab4Camera");
        Press("tab4AudioIn");
        QCOMPARE(Current("combox4AIn"), QString("Mic B"));
        Click("btn4AInCheck");
        QTRY_VERIFY(m_devices->Last(QAudio::AudioOutput, "Headset")->played.size() > 1000);
        QVERIFY(!m_devices->Last(QAudio::AudioInput, "Mic A"));

        control::ClearJournal();
        Find<QSlider>("slider4AIn")->setValue(90);
        QCOMPARE(m_test->GetRecordAndPlay()->GetGain(), 90);
        QCOMPARE(control::JournalOf("setRecordingDeviceVolume"), QStringList { "setRecordingDeviceVolume 90" });
        QCOMPARE(UserSettings::Int(UserSettings::AudioInVolum), 90);
        Find<QSlider>("slider4AOut")->setValue(120);
        QCOMPARE(control::JournalOf("setPlaybackDeviceVolume"), QStringList { "setPlaybackDeviceVolume 120" });
        QCOMPARE(UserSettings::Int(UserSettings::AudioOutVolum), 120);
    }

    void HidingStopsEveryTest()
    {
        Plug();
        Open();
        Press("tab4AudioIn");
        Click("btn4AInCheck");
        QVERIFY(m_test->GetRecordAndPlay());
        // The title bar's button hides it as a toggle.
        QTest::mouseClick(m_bar->GetDeviceTestButton(), Qt::LeftButton);
        QVERIFY(!m_test->isVisible());
        QVERIFY(!m_test->GetMicCapture() && !m_test->GetRecordAndPlay());
        for (const QString name : { "Mic A", "Speakers" }) {
            for (const auto& stream : m_devices->streams)
                QVERIFY(!stream || stream->name != name || stream->state() == QAudio::StoppedState);
        }
        Open();
        Press("tab4Camera");
        QVERIFY(m_test->IsCameraRunning());
        // Hidden with the main window: the camera stops, and comes back.
        m_window->hide();
        QVERIFY(!m_test->IsCameraRunning());
        m_window->show();
        QVERIFY(m_test->IsCameraRunning());
    }

    void TeacherFirstEntryOpensTheTestOnce()
    {
        Plug();
        Profile* profile = Nexus::GetProfile();
        profile->SetDeviceNoticeGiven(false);
        Nexus::GetDataManager()->SetRoomRole(4);
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
    }

    void TestSoundPlaysItsSamplesFromTheStart()
    {
        Plug();
        const std::optional<WavSound> sound = WavSound::Read(":resource/avtest/test.wav");
        QVERIFY(sound && !sound->data.isEmpty());
        Open();
        FakeMedia::Stream* speaker = m_devices->Last(QAudio::AudioOutput, "Speakers");
        QCOMPARE(speaker->format(), sound->format);
        Press("label4AOutPlay");
        Press("label4AOutPlay"); // pause
        QCOMPARE(speaker->state(), QAudio::SuspendedState);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        m_devices->playSpeed = 100;
        Press("btnPlay4Aout"); // goes on where it was
        QTRY_COMPARE(speaker->state(), QAudio::IdleState);
        QCOMPARE(speaker->played, sound->data);
        QCOMPARE(Text("labelPlay4Aout"), QString("播放测试音"));
        Press("label4AOutPlay"); // again, from the beginning
        QTRY_COMPARE(speaker->state(), QAudio::IdleState);
        QCOMPARE(speaker->played, sound->data + sound->data);
    }

    // Last: the machine's own devices, as Qt Multimedia lists them (none on
    // a machine without sound card or camera).
    void TheMachinesDevicesAreListed()
    {
        MediaDevices::Set(nullptr);
        m_devices = nullptr;
        Open();
        QStringList speakers;
        for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(QAudio::AudioOutput)) {
            if (!device.isNull() && !speakers.contains(device.deviceName()))
                speakers << device.deviceName();
        }
        QComboBox* combo = Find<QComboBox>("combox4AOut");
        if (speakers.isEmpty()) {
            QCOMPARE(combo->currentText(), QString("暂无可用扬声器"));
            QCOMPARE(m_test->GetResult(DeviceTest::Speaker), DeviceTest::ResultNoDevice);
        } else {
            QCOMPARE(combo->count(), speakers.size());
            QCOMPARE(combo->currentText(), QAudioDeviceInfo::defaultOutputDevice().deviceName());
        }
        Press("tab4Camera");
        QCOMPARE(m_test->IsCameraRunning(), !QCameraInfo::availableCameras().isEmpty());
        m_test->HideDialog();
    }
};

PLOVIX_TEST(TestDeviceTest)
#include "tst_DeviceTest.moc"
