#include "DeviceTest.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "platform/Shell.h"
#include "platform/SystemDevices.h"
#include "room/MenuBar.h"
#include "room/MicCapture.h"
#include "room/NotifyUIV2.h"
#include "rtc/MediaDevices.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "rtc/RecordAndPlay.h"
#include "rtc/WavSound.h"
#include "widgets/QMeter.h"
#include "widgets/ShadowedFrame.h"

#include <QBuffer>
#include <QCameraViewfinder>
#include <QComboBox>
#include <QDebug>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QUrl>

namespace {
constexpr int kMeterNotifyMs = 100;
constexpr int kShownPage = 458;
const char kTestSound[] = ":resource/avtest/test.wav";
const char kDriverToolPage[] = "https://www.drivergenius.com/";

// What a page says when its device does not work.
const char kSpeakerFailed[] = "扬声器无法播放，请换一个扬声器或刷新后再试";
const char kMicrophoneFailed[] = "麦克风无法录音，请换一个麦克风或刷新后再试";
const char kPlaybackFailed[] = "无法播放您的声音，请检查扬声器";
const char kPlaybackRefused[] = "此设备无法回放您的声音，请看强度条是否波动";
const char kCameraFailed[] = "摄像头无法打开，请换一个摄像头或刷新后再试";
const char kNoCamera[] = "暂无可用摄像头";

MediaPlayer* Media()
{
    Player* player = Nexus::GetPlayer();
    return player ? player->GetMediaPlayer() : nullptr;
}

// The engine's current volume, 0 without the engine or such a device.
int EngineVolume(bool input)
{
    MediaPlayer* media = Media();
    return media ? media->GetDeviceVolume(input, 0) : 0;
}

// Lists the audio devices of a mode, the system default first; the first
// entry's device, empty when there is none.
QString FillAudioList(QComboBox* combo, QAudio::Mode mode, const char* noneLog, const char* deviceLog)
{
    combo->hidePopup();
    combo->clear();
    MediaDevices& devices = MediaDevices::Get();
    const QStringList names = devices.AudioDevices(mode);
    if (names.isEmpty()) {
        qDebug() << noneLog;
        return QString();
    }
    const QString preferred = devices.DefaultAudioDevice(mode);
    if (names.contains(preferred))
        combo->addItem(preferred, preferred);
    for (const QString& name : names) {
        if (name == preferred)
            continue;
        qDebug() << deviceLog << name;
        combo->addItem(name, name);
    }
    combo->setCurrentIndex(0);
    return combo->itemData(0).toString();
}

QStringList EntryDevices(const QComboBox* combo)
{
    QStringList devices;
    for (int i = 0; i < combo->count(); ++i) {
        const QString device = combo->itemData(i).toString();
        if (!device.isEmpty())
            devices << device;
    }
    return devices;
}
} // namespace

DeviceTest::DeviceTest(QWidget* parent)
    : QFrame(parent)
{
    m_format = SystemDevices::PcmFormat(16000);
    // The test sound is played in its own format, header skipped.
    m_testSound = new QBuffer(this);
    m_soundFormat = m_format;
    if (std::optional<WavSound> sound = WavSound::Read(QLatin1String(kTestSound))) {
        m_soundFormat = sound->format;
        m_testSound->setData(sound->data);
    }
    BuildForm();
    connect(m_btnClose, &QPushButton::clicked, this, &DeviceTest::HideDialog);
    connect(m_pages[Speaker].left, &QPushButton::clicked, this, &DeviceTest::OnBtn14AudioOutClicked);
    connect(m_pages[Speaker].right, &QPushButton::clicked, this, &DeviceTest::OnBtn24AudioOutClicked);
    connect(m_pages[Microphone].left, &QPushButton::clicked, this, &DeviceTest::OnBtn14AudioInClicked);
    connect(m_pages[Microphone].right, &QPushButton::clicked, this, &DeviceTest::OnBtn24AudioInClicked);
    connect(m_pages[Camera].left, &QPushButton::clicked, this, &DeviceTest::OnBtn14CameraClicked);
    connect(m_pages[Camera].right, &QPushButton::clicked, this, &DeviceTest::OnBtn24CameraClicked);
    // A refresh of the page on screen asks its question afresh for the new list.
    connect(m_pages[Speaker].refresh, &QPushButton::clicked, this, [this] {
        OnRefreshAOutDevice();
        if (m_page == PageSpeaker)
            OpenPage(PageSpeaker);
    });
    connect(m_pages[Microphone].refresh, &QPushButton::clicked, this, [this] {
        OnRefreshAInDevice();
        if (m_page == PageMicrophone)
            OpenPage(PageMicrophone);
    });
    connect(m_pages[Camera].refresh, &QPushButton::clicked, this, [this] {
        OnRefreshVOutDevice();
        if (m_page == PageCamera)
            OpenPage(PageCamera);
    });
    connect(
        m_pages[Speaker].combo, QOverload<int>::of(&QComboBox::activated), this, &DeviceTest::AudioOutputDeviceChanged);
    connect(m_pages[Microphone].combo, QOverload<int>::of(&QComboBox::activated), this,
        &DeviceTest::AudioInputDeviceChanged);
    connect(m_pages[Camera].combo, QOverload<int>::of(&QComboBox::activated), this, &DeviceTest::VideoOutDeviceChanged);
    connect(m_btnInCheck, &QPushButton::clicked, this, &DeviceTest::AudioInCheck);
    connect(m_sliderOut, &QSlider::valueChanged, this, &DeviceTest::SetAudioOutputVolume);
    connect(m_sliderIn, &QSlider::valueChanged, this, &DeviceTest::SetAudioInputVolume);
    connect(m_btnContactSupp, &QPushButton::clicked, this, &DeviceTest::OnContactSupportLinkJump);
    connect(m_btn14Result, &QPushButton::clicked, this, &DeviceTest::OnReTest);
    connect(m_btn24Result, &QPushButton::clicked, this, &QWidget::hide);
    for (int i = 0; i < 4; ++i) {
        m_tabs[i]->installEventFilter(this);
        m_tabIcons[i]->installEventFilter(this);
    }
    // The text lets presses through to the control, so one press plays once.
    m_labelPlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QWidget* part :
        { static_cast<QWidget*>(m_playControl), static_cast<QWidget*>(m_btnPlay), static_cast<QWidget*>(m_labelPlay) })
        part->installEventFilter(this);
    ApplyImages();
    OpenPage(PageSpeaker);
    hide();
}

DeviceTest::~DeviceTest()
{
    StopTests();
    m_audioOutput.reset();
}

void DeviceTest::PrepareTest()
{
    ++m_prepareCount;
    qDebug() << "into DeviceTest::PrepareTest";
    m_resultState = 0;
    OnRefreshAOutDevice();
    OnRefreshAInDevice();
    OnRefreshVOutDevice();
    RefreshTabIcons();
}

DeviceTest::Result DeviceTest::GetResult(Device device) const
{
    if (HasMark(device, MarkOk))
        return ResultOk;
    if (HasMark(device, MarkAbnormal))
        return ResultAbnormal;
    if (HasMark(device, MarkNoDevice))
        return ResultNoDevice;
    return ResultNotTested;
}

QString DeviceTest::GetStatusText(Page page) const
{
    return page == PageResult ? QString() : m_pages[page - 1].status->text();
}

void DeviceTest::ShowDialog()
{
    if (isVisible())
        return;
    MainWindow* window = Nexus::GetMainWindow();
    if (window && parentWidget() != window)
        setParent(window);
    ApplyImages();
    if (QWidget* host = parentWidget())
        move((host->width() - width()) / 2, (host->height() - height()) / 2);
    show();
    raise();
}

void DeviceTest::HideDialog()
{
    hide();
    StopTests();
}

void DeviceTest::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    // A hide stopped the page's test; showing it again picks it up.
    StartPage(static_cast<Page>(m_page));
}

void DeviceTest::hideEvent(QHideEvent* event)
{
    // Every way of hiding (title bar, "完成检测", the main window) stops the
    // microphone, the speaker and the camera: nothing runs unseen.
    StopTests();
    QFrame::hideEvent(event);
}

void DeviceTest::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    ShadowedFrame::Paint(this);
}

bool DeviceTest::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        static const char* const logs[] = { "press lab1", "press  lab2", "press  lab3", "press  lab4" };
        for (int i = 0; i < 4; ++i) {
            if (watched == m_tabs[i] || watched == m_tabIcons[i]) {
                qDebug() << logs[i];
                if (m_page != i + 1)
                    OpenPage(static_cast<Page>(i + 1));
            }
        }
        if (watched == m_playControl || watched == m_btnPlay || watched == m_labelPlay) {
            qDebug() << "press lab1 audio out play";
            AudioOutPlay();
            // Taken here: passed on, it would reach the control a second time.
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

// --- Pages

void DeviceTest::OpenPage(Page page)
{
    StopPage(static_cast<Page>(m_page));
    m_page = page;
    for (int i = 0; i < 4; ++i) {
        const bool current = i + 1 == page;
        m_boxes[i]->setGeometry(0, 0, 528, current ? kShownPage : 0);
        m_boxes[i]->setVisible(current);
    }
    SetTabBackgrounds();
    if (page == PageResult)
        SetResultPage();
    else
        PrepareDevicePage(static_cast<Device>(page - 1));
    StartPage(page);
    RefreshTabIcons();
}

void DeviceTest::PrepareDevicePage(Device device)
{
    const bool present = SyncDeviceList(device);
    DevicePage& page = m_pages[device];
    if (!HasMark(device, MarkOk)) {
        SetMark(device, MarkAbnormal, false);
        SetMark(device, MarkNoDevice, false);
    }
    SetStatus(device, QString());
    // Nothing to test: the controls of the test look so.
    if (device == Speaker) {
        m_playControl->setEnabled(present);
        m_sliderOut->setEnabled(present);
    } else if (device == Microphone) {
        SetCheckButton(false);
        m_btnInCheck->setEnabled(present);
        m_sliderIn->setEnabled(present);
        m_meter->setValue(0);
    }
    if (!present) {
        static const char* const none[] = { "暂无可用扬声器", "暂无可用麦克风", "暂无可用摄像头" };
        SetMark(device, MarkNoDevice, true);
        if (page.combo->count() == 0)
            page.combo->addItem(QString::fromUtf8(none[device]));
        page.combo->setCurrentIndex(0);
        page.left->setText(QStringLiteral("跳过"));
        MoveAnswers(device, kQuestionY);
        page.left->show();
        page.right->hide();
        if (device == Camera)
            SetStatus(Camera, QString::fromUtf8(kNoCamera), false);
    } else if (device == Camera) {
        ShowQuestion(Camera);
    } else {
        // The speaker's and microphone's questions come with their test.
        page.left->hide();
        page.right->hide();
    }
    page.notify->hide();
}

void DeviceTest::StartPage(Page page)
{
    if (page == PageMicrophone && !m_micCapture && HasDevices(Microphone)) {
        qDebug() << "create QAudioInput and index 2 is default 0, and count:" << m_pages[Microphone].combo->count();
        CreateMicCapture(m_pages[Microphone].combo->currentData().toString());
    }
    // The camera runs only while its page is seen.
    if (page == PageCamera && !m_camera && isVisible() && HasDevices(Camera))
        StartCamera();
}

void DeviceTest::StopPage(Page page)
{
    if (page == PageSpeaker)
        StopSpeaker();
    else if (page == PageMicrophone)
        StopMicTest();
    else if (page == PageCamera)
        DeleteCamera();
}

void DeviceTest::StopTests()
{
    StopMicTest();
    StopSpeaker();
    DeleteCamera();
}

void DeviceTest::Answer(Device device, bool left)
{
    DevicePage& page = m_pages[device];
    static const Page next[] = { PageMicrophone, PageCamera, PageResult };
    if (left && page.notify->isVisible()) {
        // "重新检测": back to the question, not tested.
        ShowQuestion(device);
        SetMark(device, MarkAbnormal, false);
        RefreshTabIcons();
    } else if (left) {
        const bool none = !HasDevices(device);
        SetMark(device, none ? MarkNoDevice : MarkOk, true);
        SetMark(device, MarkAbnormal, false);
        OpenPage(next[device]);
    } else if (page.notify->isVisible()) {
        OpenPage(next[device]); // "跳过": the abnormal result stays
    } else {
        page.left->setText(QStringLiteral("重新检测"));
        page.right->setText(QStringLiteral("跳过"));
        MoveAnswers(device, kAnswerY);
        page.notify->show();
        SetMark(device, MarkOk, false);
        SetMark(device, MarkAbnormal, true);
        RefreshTabIcons();
    }
}

void DeviceTest::AskAgain(Device device)
{
    // A new test replaces an answer of "not heard" that was being shown.
    if (m_pages[device].notify->isVisible()) {
        SetMark(device, MarkAbnormal, false);
        RefreshTabIcons();
    }
    ShowQuestion(device);
}

void DeviceTest::OnBtn14AudioOutClicked()
{
    Answer(Speaker, true);
}

void DeviceTest::OnBtn24AudioOutClicked()
{
    Answer(Speaker, false);
}

void DeviceTest::OnBtn14AudioInClicked()
{
    Answer(Microphone, true);
}

void DeviceTest::OnBtn24AudioInClicked()
{
    Answer(Microphone, false);
}

void DeviceTest::OnBtn14CameraClicked()
{
    Answer(Camera, true);
}

void DeviceTest::OnBtn24CameraClicked()
{
    Answer(Camera, false);
}

void DeviceTest::OnBtnAudioOutClicked()
{
    OpenPage(PageSpeaker);
}

void DeviceTest::OnBtnAudioInClicked()
{
    OpenPage(PageMicrophone);
}

void DeviceTest::OnBtnCameraClicked()
{
    OpenPage(PageCamera);
}

void DeviceTest::OnBtnResultClicked()
{
    OpenPage(PageResult);
}

void DeviceTest::OnReTest()
{
    m_resultState = 0;
    OpenPage(PageSpeaker);
}

bool DeviceTest::HasDevices(Device device) const
{
    return !SystemDevices(device).isEmpty();
}

QStringList DeviceTest::SystemDevices(Device device) const
{
    MediaDevices& devices = MediaDevices::Get();
    if (device != Camera)
        return devices.AudioDevices(device == Speaker ? QAudio::AudioOutput : QAudio::AudioInput);
    QStringList ids;
    const QList<CameraDevice> cameras = devices.Cameras();
    for (const CameraDevice& camera : cameras)
        ids << camera.id;
    return ids;
}

bool DeviceTest::SyncDeviceList(Device device)
{
    // Devices plugged in or out since the list was made: make it again, so
    // the page tests what the system has.
    QStringList listed = EntryDevices(m_pages[device].combo);
    QStringList present = SystemDevices(device);
    listed.sort();
    present.sort();
    if (listed != present) {
        if (device == Speaker)
            OnRefreshAOutDevice();
        else if (device == Microphone)
            OnRefreshAInDevice();
        else
            OnRefreshVOutDevice();
    }
    return !present.isEmpty();
}

void DeviceTest::SetMark(Device device, Mark mark, bool on)
{
    const quint32 bit = quint32(mark) << (4 * device);
    m_resultState = on ? (m_resultState | bit) : (m_resultState & ~bit);
}

bool DeviceTest::HasMark(Device device, Mark mark) const
{
    return m_resultState & (quint32(mark) << (4 * device));
}

void DeviceTest::SetStatus(Device device, const QString& text, bool failure)
{
    QLabel* status = m_pages[device].status;
    status->setText(text);
    status->setStyleSheet(failure
            ? QStringLiteral("font:12px \"Microsoft YaHei\";color:#fd2d2d;background:transparent;")
            : QStringLiteral("font:13px \"Microsoft YaHei\";color:#999999;background:transparent;"));
}

// --- Speaker

void DeviceTest::AudioOutPlay()
{
    if (!m_audioOutput) {
        qDebug() << "into AudioOutPlay, and m_audioOutput is null, dev num is 0?";
        return;
    }
    if (m_audioOutput->state() == QAudio::ActiveState) {
        m_audioOutput->suspend();
        SetPlayControl(false);
    } else {
        if (m_audioOutput->state() == QAudio::SuspendedState) {
            m_audioOutput->resume();
        } else {
            // Every play starts the sound from its beginning.
            m_testSound->close();
            m_testSound->open(QIODevice::ReadOnly);
            m_audioOutput->start(m_testSound);
        }
        const bool failed = m_audioOutput->state() == QAudio::StoppedState;
        SetStatus(Speaker, failed ? QString::fromUtf8(kSpeakerFailed) : QString());
        SetPlayControl(!failed);
    }
    AskAgain(Speaker);
}

void DeviceTest::AudioOutStateChange(QAudio::State state)
{
    if (state == QAudio::ActiveState)
        return;
    SetPlayControl(false);
    if (state == QAudio::StoppedState && m_audioOutput && m_audioOutput->error() != QAudio::NoError) {
        qDebug() << "the speaker stopped, error:" << m_audioOutput->error();
        SetStatus(Speaker, QString::fromUtf8(kSpeakerFailed));
    }
}

void DeviceTest::StopSpeaker()
{
    if (m_audioOutput)
        m_audioOutput->stop();
    SetPlayControl(false);
}

void DeviceTest::CreateAudioOutput(const QString& device)
{
    StopSpeaker();
    m_audioOutput.reset();
    m_audioOutput = MediaDevices::Get().OpenAudio(QAudio::AudioOutput, device, m_soundFormat);
    if (m_audioOutput)
        connect(m_audioOutput.get(), &AudioStream::stateChanged, this, &DeviceTest::AudioOutStateChange);
}

void DeviceTest::SetAudioOutputVolume(int volume)
{
    if (MediaPlayer* media = Media())
        media->SetAudioOutputVolume(volume);
}

// --- Microphone

void DeviceTest::AudioInCheck()
{
    if (!m_micCapture) {
        qDebug() << "into AudioInCheck, and audioInfo is null, dev num is 0?";
        return;
    }
    bool recording = m_micCapture->GetState() != MicCapture::Stopped;
    if (!recording)
        recording = m_micCapture->Start(kMeterNotifyMs);
    SetStatus(Microphone, recording ? QString() : QString::fromUtf8(kMicrophoneFailed));
    if (recording && !m_recordAndPlay)
        StartRecordAndPlay();
    SetCheckButton(recording);
    AskAgain(Microphone);
}

void DeviceTest::CreateMicCapture(const QString& device)
{
    m_micCapture = MicCapture::Create(device, m_format);
    connect(m_micCapture.get(), &MicCapture::update, this, &DeviceTest::RefreshDisplay);
    connect(m_micCapture.get(), &MicCapture::Failed, this, [this] {
        SetStatus(Microphone, QString::fromUtf8(kMicrophoneFailed));
        SetCheckButton(false);
        m_meter->setValue(0);
    });
    m_meter->setValue(0);
}

void DeviceTest::StartRecordAndPlay()
{
    m_recordAndPlay = new RecordAndPlay(m_audioInDevice, m_audioOutDevice, this);
    m_recordAndPlay->SetGain(m_sliderIn->value());
    connect(m_recordAndPlay, &RecordAndPlay::Failed, this, [this](RecordAndPlay::Failure failure) {
        const char* text = failure == RecordAndPlay::InputFailed ? kMicrophoneFailed
            : failure == RecordAndPlay::OutputFailed             ? kPlaybackFailed
                                                                 : kPlaybackRefused;
        SetStatus(Microphone, QString::fromUtf8(text));
    });
    m_recordAndPlay->OnRecordPlayStart();
}

void DeviceTest::StopMicTest()
{
    if (m_recordAndPlay) {
        m_recordAndPlay->OnRecordPlayStop();
        delete m_recordAndPlay;
    }
    if (m_micCapture) {
        m_micCapture->Stop();
        m_micCapture->disconnect(this);
        m_micCapture.reset();
    }
    m_meter->setValue(0);
    SetCheckButton(false);
}

void DeviceTest::RefreshDisplay()
{
    // A third of full scale fills the meter.
    m_meter->setValue(m_micCapture ? m_micCapture->Level() * 100 * 3 : 0);
}

void DeviceTest::SetAudioInputVolume(int volume)
{
    if (MediaPlayer* media = Media())
        media->SetAudioInputVolume(volume);
    if (m_recordAndPlay)
        m_recordAndPlay->SetGain(volume);
}

// --- Camera

void DeviceTest::StartCamera()
{
    const QString id = m_pages[Camera].combo->currentData().toString();
    m_camera = MediaDevices::Get().OpenCamera(id, m_viewfinder);
    if (!m_camera) {
        SetStatus(Camera, QString::fromUtf8(kCameraFailed));
        return;
    }
    connect(m_camera.get(), &CameraStream::failed, this, [this] {
        m_viewfinder->hide();
        SetStatus(Camera, QString::fromUtf8(kCameraFailed));
    });
    SetStatus(Camera, QString());
    m_viewfinder->show();
    m_viewfinder->raise();
    m_camera->start();
}

void DeviceTest::DeleteCamera()
{
    if (m_camera) {
        m_camera->stop();
        m_camera.reset();
    }
    m_viewfinder->hide();
}

// --- Device lists

void DeviceTest::OnRefreshAOutDevice()
{
    CreateAudioOutput(QString()); // the old one goes
    m_audioOutDevice = FillAudioList(m_pages[Speaker].combo, QAudio::AudioOutput,
        "into OnRefreshAOutDevice, and availabelDevice num is 0", "audioOutput DeviceName:");
    if (m_audioOutDevice.isEmpty())
        return;
    SetMark(Speaker, MarkNoDevice, false);
    CreateAudioOutput(m_audioOutDevice);
    m_sliderOut->setValue(EngineVolume(false));
}

void DeviceTest::OnRefreshAInDevice()
{
    StopMicTest();
    m_audioInDevice = FillAudioList(m_pages[Microphone].combo, QAudio::AudioInput,
        "into OnRefreshAInDevice, and availabelDevice num is 0", "audioInput DeviceName:");
    if (m_audioInDevice.isEmpty())
        return;
    SetMark(Microphone, MarkNoDevice, false);
    qDebug() << "create QAudioInput and index 3 is default 0";
    CreateMicCapture(m_audioInDevice);
    m_sliderIn->setValue(EngineVolume(true));
}

void DeviceTest::OnRefreshVOutDevice()
{
    QComboBox* combo = m_pages[Camera].combo;
    combo->hidePopup();
    combo->clear();
    DeleteCamera();
    const QList<CameraDevice> cameras = MediaDevices::Get().Cameras();
    for (const CameraDevice& camera : cameras) {
        qDebug() << "Camera DeviceName:" << camera.description;
        combo->addItem(camera.description, camera.id);
        SetMark(Camera, MarkNoDevice, false);
    }
}

void DeviceTest::AudioOutputDeviceChanged(int index)
{
    const QString device = m_pages[Speaker].combo->itemData(index).toString();
    if (!HasDevices(Speaker) || device.isEmpty())
        return;
    m_audioOutDevice = device;
    CreateAudioOutput(device);
    SelectDevice(2, device);
    m_sliderOut->setValue(EngineVolume(false));
    // The own voice is played back on the chosen speaker.
    if (m_recordAndPlay) {
        delete m_recordAndPlay;
        StartRecordAndPlay();
    }
}

void DeviceTest::AudioInputDeviceChanged(int index)
{
    const QString device = m_pages[Microphone].combo->itemData(index).toString();
    if (!HasDevices(Microphone) || device.isEmpty()) {
        qDebug() << "into AudioInputDeviceChanged, and availabelDevice num is 0";
        return;
    }
    m_audioInDevice = device;
    if (m_micCapture) {
        m_micCapture->Stop();
        m_micCapture.reset();
    }
    qDebug() << "create QAudioInput and index 1:" << index;
    CreateMicCapture(device);
    // The meter follows the new microphone at once.
    SetStatus(Microphone, m_micCapture->Start(kMeterNotifyMs) ? QString() : QString::fromUtf8(kMicrophoneFailed));
    SelectDevice(1, device);
    m_sliderIn->setValue(EngineVolume(true));
    if (m_recordAndPlay) {
        delete m_recordAndPlay;
        StartRecordAndPlay();
    }
}

void DeviceTest::VideoOutDeviceChanged(int index)
{
    qDebug() << "into VideoOutDeviceChanged, index:" << index << "count:" << m_pages[Camera].combo->count();
    // The view finder shows the chosen camera.
    if (m_camera) {
        DeleteCamera();
        StartCamera();
    }
}

void DeviceTest::SelectDevice(int kind, const QString& name)
{
    if (MenuBar* bar = Nexus::GetMenuBar())
        emit bar->DefaultDeviceChosen(kind, name);
}

// --- Links

void DeviceTest::OnDriverLinkJump()
{
    const QUrl url(QString::fromLatin1(kDriverToolPage));
    qDebug() << "into DeviceTest::OnDriverLinkJump, url:" << url.toString();
    if (!Shell::OpenUrl(url))
        qDebug() << "into DeviceTest::OnDriverLinkJump, the desktop did not open it";
}

void DeviceTest::OnContactSupportLinkJump()
{
    const QUrl url = NotifyUIV2::SupportChatUrl();
    qDebug() << "into DeviceTest::OnContactSupportLinkJump, url:" << url.toString();
    if (!Shell::OpenUrl(url))
        qDebug() << "into DeviceTest::OnContactSupportLinkJump, the desktop did not open it";
}
