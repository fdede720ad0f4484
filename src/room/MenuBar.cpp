#include "MenuBar.h"

#include "MicCapture.h"
#include "VoicePanel.h"
#include "platform/SystemDevices.h"

#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "room/LeftArea.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "rtc/AudioOutManager.h"
#include "rtc/AudioRecordBroswerDialog.h"
#include "rtc/AudioRecordCloseDialog.h"
#include "rtc/AudioRecordSetDialog.h"
#include "rtc/CAgoraObject.h"
#include "rtc/DeviceManager.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatWidget.h"
#include "ui/chatArea/EmojiWidget.h"
#include "widgets/QMeter.h"

#include <QDebug>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace {
constexpr int kBarHeight = 40;
constexpr int kModeX = 178;
constexpr int kNotifyMs = 400;
constexpr int kMeterMs = 500;
constexpr int kSliderHideMs = 1000;
constexpr int kRecordLabelWidth = 55;

MenuBar::FileChooser& Chooser()
{
    static MenuBar::FileChooser chooser;
    return chooser;
}

QString Image(const QString& name)
{
    return QStringLiteral(":resource/menubar/%1/%2").arg(Nexus::GetScaleFolder(), name);
}

// Made on first use: the speaker's mute and volume need it before anyone
// asked for the device list.
AudioOutManager* PlaybackDevice()
{
    Player* player = Nexus::GetPlayer();
    return player ? player->GetMediaPlayer()->OutManager() : nullptr;
}

// The device's volume now; without an engine the last one set, -1 when
// none was.
int DeviceVolume(bool input, int last)
{
    Player* player = Nexus::GetPlayer();
    return player ? player->GetMediaPlayer()->GetDeviceVolume(input, last) : last;
}

// Shown only: the device already plays or records at it, and showing it
// must neither set it again nor store it as the user's choice.
void ShowVolume(QSlider* slider, int volume)
{
    if (volume < 0)
        return;
    const QSignalBlocker quiet(slider);
    slider->setValue(volume);
}

void MuteLocalAudio(int mute)
{
    if (Player* player = Nexus::GetPlayer())
        emit player->MuteLocalAudio(mute);
}

void ReportNotSpeaking()
{
    DataManager* data = Nexus::GetDataManager();
    if (data && (data->GetActionStatus() & 1))
        emit data->LocalMicropStatusNofity(2);
}
} // namespace

MenuBar::MenuBar(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("MENUAREA"));
    m_voicePanel = new VoicePanel(this);
    m_volumOutputSlider = new QSlider(this);
    m_volumeInputSlider = new QSlider(this);
    m_volumOutputSlider->hide();
    m_volumeInputSlider->hide();
    m_outputHideTimer = new QTimer(this);
    m_inputHideTimer = new QTimer(this);
    for (QTimer* timer : { m_outputHideTimer, m_inputHideTimer }) {
        timer->setSingleShot(true);
        timer->setInterval(kSliderHideMs);
    }
    // Firing means the slider still shows: the toggle hides it.
    connect(m_outputHideTimer, &QTimer::timeout, this, &MenuBar::ShowAudioOutputSlider);
    connect(m_inputHideTimer, &QTimer::timeout, this, &MenuBar::ShowAudioInputSlider);

    m_btnAudioOutput = new QPushButton(this);
    m_btnCamera = new QPushButton(this);
    m_btnDevice = new QPushButton(this);
    m_btnAudioMix = new QPushButton(this);
    m_btnMark = new QPushButton(this);
    m_btnMacphone = new QPushButton(this);
    m_btnSpeakMode = new QPushButton(this);
    m_btnRecord = new QPushButton(this);
    m_recordLabel = new QPushButton(QStringLiteral("录音中..."), this);
    m_recordLabel->hide();
    m_btnAudioMix->hide();
    m_btnMark->hide();
    m_meter = new QMeter(this);
    m_meterTimer = new QTimer(this);
    m_meterTimer->setInterval(kMeterMs);
    InitCSS();

    connect(this, &MenuBar::UpdateVolumInfo, this, &MenuBar::OnUpdateVolumInfo);
    connect(this, &MenuBar::CleanUp, this, &MenuBar::OnCleanUp);
    connect(this, &MenuBar::UpdateMacphone, this, &MenuBar::OnUpdateMacphone);
    connect(m_btnRecord, &QPushButton::clicked, this, &MenuBar::OnAudioRecordPressed);
    m_deviceManager = new DeviceManager();
    m_recordSetDialog = new AudioRecordSetDialog();
    m_recordCloseDialog = new AudioRecordCloseDialog();
    m_recordBroswerDialog = new AudioRecordBroswerDialog();
    connect(this, &MenuBar::DeviceDialogRequested, m_deviceManager, &DeviceManager::ShowDialog);
    // A speaker or microphone picked in the device test is selected in the
    // engine and remembered like one picked in the dialog.
    connect(this, &MenuBar::DefaultDeviceChosen, m_deviceManager, &DeviceManager::OnDefaultDeviceChanged);
    connect(this, &MenuBar::RecordStartRequested, m_recordSetDialog, &AudioRecordSetDialog::ShowDialog);
    connect(this, &MenuBar::RecordStopRequested, m_recordCloseDialog, &AudioRecordCloseDialog::ShowDialog);
    // Leaving the room closes whatever of them is open.
    connect(this, &MenuBar::CleanUp, m_deviceManager, &DeviceManager::HideDialog);
    connect(this, &MenuBar::CleanUp, m_recordSetDialog, &AudioRecordSetDialog::HideDialog);
    connect(this, &MenuBar::CleanUp, m_recordCloseDialog, &AudioRecordCloseDialog::HideDialog);
    connect(this, &MenuBar::CleanUp, m_recordBroswerDialog, &AudioRecordBroswerDialog::HideDialog);
    connect(m_btnMark, &QPushButton::clicked, this, [] {
        if (DataManager* data = Nexus::GetDataManager())
            emit data->UserMakeMark();
    });
}

MenuBar::~MenuBar()
{
    SetMicMetering(MeterRelease);
    // The pop-up and the sliders live in the main window while shown.
    delete m_voicePanel;
    delete m_volumOutputSlider;
    delete m_volumeInputSlider;
    delete m_deviceManager;
    delete m_recordSetDialog;
    delete m_recordCloseDialog;
    delete m_recordBroswerDialog;
}

DeviceManager* MenuBar::GetDeviceManager() const
{
    return m_deviceManager;
}

AudioRecordSetDialog* MenuBar::GetAudioRecordSetDialog() const
{
    return m_recordSetDialog;
}

AudioRecordCloseDialog* MenuBar::GetAudioRecordCloseDialog() const
{
    return m_recordCloseDialog;
}

AudioRecordBroswerDialog* MenuBar::GetAudioRecordBroswerDialog() const
{
    return m_recordBroswerDialog;
}

void MenuBar::SetFileChooser(FileChooser chooser)
{
    Chooser() = std::move(chooser);
}

void MenuBar::InitCSS()
{
    for (QSlider* slider : { m_volumOutputSlider.data(), m_volumeInputSlider.data() }) {
        slider->setOrientation(Qt::Vertical);
        slider->setRange(0, 255);
        slider->setSingleStep(1);
        slider->setFixedSize(36, 150);
        slider->setStyleSheet(QStringLiteral(
            "QSlider{background-color: rgb(255, 255, 255); min-width:35px;max-width:35px;border:1px solid rgb(241, "
            "241, 241);}QSlider::add-page:vertical {      background-color: rgb(233, 86, 87); "
            "width:5px;}QSlider::groove:vertical  { background:rgb(231, 231, 231); "
            "width:7px;top:10px;bottom:10px;}QSlider::handle:vertical {height: 8px;width:25px;border-radius: "
            "3px;background:rgb(233, 86, 87);border:1px solid rgb(233, 86, 87);  margin: -6 -11 -6 -11px; }"));
    }
    const QList<QPushButton*> buttons { m_btnAudioOutput, m_btnCamera, m_btnDevice, m_btnAudioMix, m_btnMark,
        m_btnMacphone, m_btnSpeakMode, m_btnRecord, m_recordLabel };
    for (QPushButton* button : buttons) {
        button->setFixedSize(24, 24);
        button->setFocusPolicy(Qt::NoFocus);
        if (button != m_btnSpeakMode)
            button->setCursor(Qt::PointingHandCursor);
    }
    m_btnMark->setFixedSize(44, 24);
    m_btnSpeakMode->setFixedSize(96, kBarHeight - 1);
    m_recordLabel->setFixedSize(kRecordLabelWidth, 16);
    m_recordLabel->setCursor(Qt::ArrowCursor);
    m_recordLabel->setStyleSheet(QStringLiteral("border:0px; color:#52C050;font: 14px Microsoft YaHei;"));
    m_btnAudioOutput->setToolTip(QStringLiteral("音量大小"));
    m_btnCamera->setToolTip(QStringLiteral("开启视频"));
    m_btnDevice->setToolTip(QStringLiteral("音视频设置"));
    m_btnMacphone->setToolTip(QStringLiteral("麦克风音量调节"));
    m_btnAudioMix->setToolTip(QStringLiteral("音频伴奏"));
    m_btnMark->setToolTip(QStringLiteral("标记"));
    m_meter->setFixedSize(60, 16);
    m_meter->setMinValue(0);
    m_meter->setMaxValue(100);
    setStyleSheet(QStringLiteral("#MENUAREA{background:%1;border-top-width: 1px;border-top-color: "
                                 "#dadbdc;border-top-style: solid;border-right-width: 1px;border-right-color: "
                                 "#dadbdc;border-right-style: solid;color:rgb(102,102,102);font: 12px Microsoft "
                                 "YaHei;}")
                      .arg(QStringLiteral("#FAFBFC")));
    SetIcon(m_btnAudioOutput, "footer_icon_audio1_normal-.png", "footer_icon_audio1_hover.png");
    SetIcon(m_btnCamera, "footer_icon_viedio_disable.png", "footer_icon_viedio_disable.png");
    SetIcon(m_btnDevice, "footer_icon_set_normal.png", "footer_icon_set_hover.png");
    SetIcon(m_btnMacphone, "footer_icon_microphone_disable.png", "footer_icon_microphone_disable.png");
    SetIcon(m_btnAudioMix, "audio_mix.png", "audio_mix_hover.png");
    SetIcon(m_btnMark, "mark.png", "mark_hover.png");
    SetIcon(m_btnRecord, "record_before.png", "record_before_hover.png");
    SetModeIcon(98, "footer_icon_disable_normal.png");
}

void MenuBar::SetIcon(QPushButton* button, const QString& normal, const QString& hover, bool solidHover)
{
    button->setStyleSheet(
        QStringLiteral("QPushButton{image: url(%1);background:rgba(212,212,212,0%);border:0px;}"
                       "QPushButton::hover{image: url(%2);background:rgba(244,244,244,%3);border:0px;}")
            .arg(Image(normal), Image(hover), solidHover ? QStringLiteral("99%") : QStringLiteral("0%")));
}

void MenuBar::SetModeIcon(int width, const QString& image)
{
    m_btnSpeakMode->setFixedSize(width, kBarHeight - 1);
    m_btnSpeakMode->setStyleSheet(QStringLiteral("QPushButton{image: url(%1);border:0px;}").arg(Image(image)));
    PlaceMeter();
}

void MenuBar::PlaceMeter()
{
    m_meter->move(kModeX + m_btnSpeakMode->width() + 15, 12);
}

void MenuBar::SetModeIconByRights()
{
    if (!m_hasInputDevice)
        SetModeIcon(105, "micro_phone_disable_desc.png");
    else if (!HasMicrophoneRight())
        SetModeIcon(98, "footer_icon_disable_normal.png");
    else if (GetSpeakMode() == SpeakFree)
        SetModeIcon(68, "footer_icon_free_normal.png");
    else
        SetModeIcon(96, "footer_icon_alt_normal.png");
}

bool MenuBar::HasMicrophoneRight() const
{
    DataManager* data = Nexus::GetDataManager();
    return data && (data->GetPermission() & 1);
}

bool MenuBar::IsMicrophoneMuted() const
{
    Profile* profile = Nexus::GetProfile();
    return profile && profile->GetMicrophoneMuted() == 1;
}

void MenuBar::InitAudioInput()
{
    // The meter listens to the microphone the class hears.
    m_capture = MicCapture::Create(
        SystemDevices::ChosenAudioName(QAudio::AudioInput), SystemDevices::PcmFormat(MicCapture::kMeterRate));
}

void MenuBar::RebuildAudioInput()
{
    // The input was made for the devices present then, maybe none: the
    // meter records from the one present now, and runs if the microphone
    // is open.
    const bool open = HasMicrophoneRight() && !IsMicrophoneMuted() && (GetSpeakMode() == SpeakFree || m_altTalking);
    SetMicMetering(MeterRelease);
    InitAudioInput();
    if (open)
        SetMicMetering(MeterStart);
}

void MenuBar::InitUI()
{
    qDebug() << "into  MenuBar::InitUI";
    // The room may announce the local user twice (a reconnect); the wiring
    // must not double, or every button would toggle twice.
    if (m_initDone)
        return;
    m_initDone = true;
    InitCSS();
    InitAudioInput();
    m_wiring << connect(Nexus::Instance(), &Nexus::MicrophoneChosen, this, [this] {
        if (m_hasInputDevice)
            RebuildAudioInput();
    });
    SetSpeakMode(SpeakHoldAlt);

    Profile* profile = Nexus::GetProfile();
    MainWindow* window = Nexus::GetMainWindow();
    if (profile && profile->GetKeyHookSwitch()) {
        if (window)
            window->OnRegisterKeyHook();
    } else if (window) {
        window->installEventFilter(this);
        m_filteredWindow = window;
    }

    m_wiring << connect(m_volumOutputSlider, &QSlider::valueChanged, this, [](int value) {
        if (Player* player = Nexus::GetPlayer())
            player->SetPlayerOutVolume(value);
    });
    m_wiring << connect(m_volumOutputSlider, &QSlider::valueChanged, this, &MenuBar::RefreshAudioBtnIcon);
    m_wiring << connect(m_volumeInputSlider, &QSlider::valueChanged, this, [](int value) {
        if (Player* player = Nexus::GetPlayer())
            player->SetPlayerInVolume(value);
    });
    m_wiring << connect(m_btnCamera, &QPushButton::clicked, this, [] {
        if (DataManager* data = Nexus::GetDataManager())
            emit data->OpenVideo();
    });
    m_wiring << connect(m_btnAudioMix, &QPushButton::clicked, this, &MenuBar::ShowAudioMixDialog);
    m_wiring << connect(m_btnDevice, &QPushButton::clicked, this, &MenuBar::DeviceDialogRequested);
    m_wiring << connect(m_btnAudioOutput, &QPushButton::clicked, this, &MenuBar::MuteAudioOutput);
    m_wiring << connect(this, &MenuBar::ButtonWithCmdPress, m_voicePanel, &VoicePanel::OnButtonWithCmdPress);
    m_wiring << connect(this, &MenuBar::UpdateUIByPermission, this, &MenuBar::OnUpdateUIByPermission);
    if (m_hasInputDevice)
        WireMicrophone();
    m_voicePanel->SetMenuBar(this);
    for (QObject* watched : std::initializer_list<QObject*> {
             m_volumOutputSlider, m_volumeInputSlider, m_btnAudioOutput, m_btnMacphone, m_btnSpeakMode })
        watched->installEventFilter(this);
}

void MenuBar::WireMicrophone()
{
    if (!m_micWiring.isEmpty())
        return;
    m_micWiring << connect(m_btnMacphone, &QPushButton::clicked, this, &MenuBar::MuteAudioInput);
    m_micWiring << connect(m_btnSpeakMode, &QPushButton::clicked, m_voicePanel, &VoicePanel::ShowPanel);
}

void MenuBar::UnwireMicrophone()
{
    for (const QMetaObject::Connection& connection : qAsConst(m_micWiring))
        disconnect(connection);
    m_micWiring.clear();
}

void MenuBar::SetupLayout(QWidget* window)
{
    if (window == nullptr) {
        qDebug() << "[Error], in MenuBar::SetupLayout, win is NULL";
        return;
    }
    m_mainWindow = window;
    if (parentWidget() != window)
        setParent(window);
    PlaceBetweenColumns(window);

    const int buttonY = (kBarHeight - 24) / 2;
    m_btnAudioOutput->move(10, buttonY);
    m_btnCamera->move(53, buttonY);
    m_btnDevice->move(96, buttonY);
    m_btnMacphone->move(139, buttonY);
    // Below the bar's top line and whole inside the bar: 39 high from y 2
    // would lose its last row.
    m_btnSpeakMode->move(kModeX, 1);
    const int leftWidth = x();
    const int sliderY = window->height() - kBarHeight - m_volumOutputSlider->height();
    for (QSlider* slider : { m_volumOutputSlider.data(), m_volumeInputSlider.data() }) {
        if (slider->parentWidget() != window)
            slider->setParent(window);
        slider->hide();
    }
    m_volumOutputSlider->move(leftWidth + 5, sliderY);
    m_volumeInputSlider->move(leftWidth + 134, sliderY);
    qDebug() << "volumOutputSlider global position:" << m_volumOutputSlider->mapToGlobal(QPoint(0, 0));
    Profile* profile = Nexus::GetProfile();
    if (profile && profile->GetSpeakerMuted() == 1)
        SetIcon(m_btnAudioOutput, "footer_icon_audio4_normal.png", "footer_icon_audio4_hover.png");
    else
        RefreshAudioBtnIcon(m_volumOutputSlider->value());

    OnUpdateAudioRecordStatus();
    PlaceRightGroup();
    DataManager* data = Nexus::GetDataManager();
    const int role = data ? data->GetRoomRole() : 0;
    m_btnAudioMix->setVisible(role == 4);
    m_btnMark->setVisible(role >= 5);

    OnUpdateUIByPermission(data ? data->GetPermission() : 0);
    UpdateUIByStates(data ? data->GetActionStatus() : 0);
    show();
}

void MenuBar::FollowColumns()
{
    if (!m_mainWindow || parentWidget() != m_mainWindow)
        return;
    PlaceBetweenColumns(m_mainWindow);
    PlaceRightGroup();
}

void MenuBar::PlaceBetweenColumns(QWidget* window)
{
    LeftArea* left = Nexus::GetLeftArea();
    RightArea* right = Nexus::GetRightArea();
    const int leftWidth = left != nullptr ? left->width() : 0;
    const int rightWidth = right != nullptr ? right->width() : 0;
    setGeometry(leftWidth, window->height() - kBarHeight, window->width() - leftWidth - rightWidth, kBarHeight);
}

void MenuBar::PlaceRightGroup()
{
    Profile* profile = Nexus::GetProfile();
    const bool recording = profile && profile->GetClassRecordingFlag();
    const int r = recording ? 39 + kRecordLabelWidth + 10 : 39;
    const int w = width();
    const int recordWidth = m_btnRecord->width();
    m_btnRecord->move(w - r, (kBarHeight - m_btnRecord->height()) / 2);
    m_recordLabel->move(w - 65, (kBarHeight - m_recordLabel->height()) / 2);
    m_btnAudioMix->move(w - (r + recordWidth + 19), (kBarHeight - m_btnAudioMix->height()) / 2);
    m_btnMark->move(w - (r + recordWidth + 19) - m_btnMark->width() + 18, (kBarHeight - m_btnMark->height()) / 2);
}

void MenuBar::OnAltKeyPress()
{
    qDebug() << "into MenuBar::OnAltKeyPress";
    if (IsMicrophoneMuted() || !HasMicrophoneRight() || !m_hasInputDevice)
        return;
    m_altTalking = true;
    OnUpdateMacphone(16);
    SetModeIcon(88, "footer_icon_alt_press.png");
    SetMicMetering(MeterStart);
    MuteLocalAudio(0);
}

void MenuBar::OnAltKeyRelease()
{
    qDebug() << "into MenuBar::OnAltKeyRelease";
    // A press that opened the microphone is always closed again, even when
    // the right or the mute changed meanwhile.
    if (!m_altTalking && (IsMicrophoneMuted() || !HasMicrophoneRight()))
        return;
    ReleaseTalk();
}

void MenuBar::ReleaseTalk()
{
    m_altTalking = false;
    OnUpdateMacphone(32);
    SetModeIconByRights();
    if (m_capture)
        SetMicMetering(MeterPause);
    MuteLocalAudio(1);
    ReportNotSpeaking();
}

void MenuBar::OnWindowDeactivate()
{
    // The key-up of an Alt held while the window loses activation never
    // arrives: release now, whatever the speaker does.
    Profile* profile = Nexus::GetProfile();
    if (GetSpeakMode() != SpeakHoldAlt || !m_altTalking)
        return;
    if (profile)
        profile->SetAltHeld(false);
    ReleaseTalk();
}

void MenuBar::UpdateUIByStates(int status)
{
    DataManager* data = Nexus::GetDataManager();
    if (data && (data->GetPermission() & 4)) {
        if (status & 4)
            SetIcon(m_btnCamera, "footer_icon_viedio_using.png", "footer_icon_viedio_using_hover.png");
        else
            SetIcon(m_btnCamera, "footer_icon_viedio_normal.png", "footer_icon_viedio_hover.png");
    } else {
        SetIcon(m_btnCamera, "footer_icon_viedio_disable.png", "footer_icon_viedio_disable.png");
    }
}

void MenuBar::OnCleanUp()
{
    for (const QMetaObject::Connection& connection : qAsConst(m_wiring))
        disconnect(connection);
    m_wiring.clear();
    UnwireMicrophone();
    for (QObject* watched : std::initializer_list<QObject*> {
             m_volumOutputSlider, m_volumeInputSlider, m_btnAudioOutput, m_btnMacphone, m_btnSpeakMode })
        watched->removeEventFilter(this);
    if (m_filteredWindow) {
        m_filteredWindow->removeEventFilter(this);
        m_filteredWindow.clear();
    }
    if (m_altTalking) {
        // Released here, so the hook's removal has no key left to release.
        if (Profile* profile = Nexus::GetProfile())
            profile->SetAltHeld(false);
        ReleaseTalk();
    }
    if (MainWindow* window = Nexus::GetMainWindow())
        window->OnUnRegisterKeyHook();
    SetMicMetering(MeterRelease);
    m_voicePanel->hide();
    m_volumOutputSlider->hide();
    m_volumeInputSlider->hide();
    m_outputHideTimer->stop();
    m_inputHideTimer->stop();
    m_currentPeak = 0;
    m_speaking = 0;
    m_peaks[0] = m_peaks[1] = m_peaks[2] = 0;
    m_initDone = false;
    // The mutes belong to the class: the next one starts with the speaker
    // playing at the slider's volume and the microphone not muted, as the
    // bar will show them.
    if (Profile* profile = Nexus::GetProfile()) {
        if (profile->GetSpeakerMuted() == 1)
            SetPlaybackVolume(m_volumOutputSlider->value());
        profile->SetSpeakerMuted(0);
        profile->SetMicrophoneMuted(0);
    }
}

void MenuBar::OnUpdateVolumInfo()
{
    qDebug() << "into MenuBar::OnUpdateVolumInfo";
    Profile* profile = Nexus::GetProfile();
    if (!profile || profile->GetSpeakerMuted() == 0)
        ShowVolume(m_volumOutputSlider, DeviceVolume(false, profile ? profile->GetLastOutputVolume() : -1));
    ShowVolume(m_volumeInputSlider, DeviceVolume(true, profile ? profile->GetInputVolume() : -1));
}

void MenuBar::OnUpdateUIByPermission(int permission)
{
    if (permission & 4)
        SetIcon(m_btnCamera, "footer_icon_viedio_normal.png", "footer_icon_viedio_hover.png");
    else
        SetIcon(m_btnCamera, "footer_icon_viedio_disable.png", "footer_icon_viedio_disable.png");
    m_btnCamera->show();
    m_btnMacphone->show();
    OnUpdateMacphone(4);
    SetModeIconByRights();
    m_btnSpeakMode->show();
}

void MenuBar::OnUpdateMacphone(int type)
{
    switch (type) {
    case 1:
        qDebug() << "into OnUpdateMacphone, and type is no device";
        m_hasInputDevice = false;
        if (m_altTalking)
            ReleaseTalk();
        SetModeIcon(105, "micro_phone_disable_desc.png");
        SetIcon(m_btnMacphone, "micro_phone_disable.png", "micro_phone_disable.png", true);
        UnwireMicrophone();
        m_btnMacphone->removeEventFilter(this);
        if (m_filteredWindow)
            m_filteredWindow->removeEventFilter(this);
        break;
    case 2:
        if (!Nexus::GetDataManager())
            return;
        qDebug() << "into OnUpdateMacphone, and type is has device";
        m_hasInputDevice = true;
        if (m_initDone) {
            WireMicrophone();
            m_btnMacphone->installEventFilter(this);
            if (m_filteredWindow)
                m_filteredWindow->installEventFilter(this);
            RebuildAudioInput();
        }
        SetModeIconByRights();
        OnUpdateMacphone(4);
        break;
    case 4:
        if (!m_hasInputDevice)
            break;
        if (!HasMicrophoneRight()) {
            SetMicMetering(MeterPause);
            SetIcon(m_btnMacphone, "footer_icon_microphone_disable.png", "footer_icon_microphone_disable.png");
        } else if (IsMicrophoneMuted()) {
            SetIcon(m_btnMacphone, "footer_icon_microphone_disable.png", "footer_icon_microphone_disable.png");
        } else if (GetSpeakMode() == SpeakFree) {
            SetIcon(m_btnMacphone, "footer_icon_microphone_using.png", "footer_icon_microphone_using.png", true);
        } else {
            SetIcon(m_btnMacphone, "footer_icon_microphone_normal.png", "footer_icon_microphone_hover.png");
        }
        break;
    case 8:
        if (IsMicrophoneMuted())
            SetIcon(m_btnMacphone, "footer_icon_microphone_normal.png", "footer_icon_microphone_hover.png");
        else
            SetIcon(m_btnMacphone, "footer_icon_microphone_disable.png", "footer_icon_microphone_disable.png");
        break;
    case 16:
        SetIcon(m_btnMacphone, "footer_icon_microphone_using.png", "footer_icon_microphone_using.png", true);
        break;
    case 32:
        SetIcon(m_btnMacphone, "footer_icon_microphone_normal.png", "footer_icon_microphone_hover.png");
        break;
    default:
        break;
    }
}

void MenuBar::MuteAudioInput()
{
    Profile* profile = Nexus::GetProfile();
    if (!profile || !HasMicrophoneRight())
        return;
    OnUpdateMacphone(8);
    if (profile->GetMicrophoneMuted() == 1) {
        profile->SetMicrophoneMuted(0);
        if (GetSpeakMode() == SpeakFree) {
            MuteLocalAudio(0);
            SetMicMetering(MeterStart);
        } else {
            SetMicMetering(MeterPause);
        }
        if (m_volumeInputSlider->isHidden())
            ShowAudioInputSlider();
    } else {
        profile->SetMicrophoneMuted(1);
        if (m_altTalking) {
            m_altTalking = false;
            SetModeIconByRights();
        }
        MuteLocalAudio(1);
        if (!m_volumeInputSlider->isHidden())
            ShowAudioInputSlider();
        SetMicMetering(MeterPause);
    }
}

void MenuBar::MuteAudioOutput()
{
    // The speaker never opens or closes the microphone: metering follows
    // the microphone's own mute, right and speaking mode only.
    Profile* profile = Nexus::GetProfile();
    if (!profile)
        return;
    if (profile->GetSpeakerMuted() == 1) {
        profile->SetSpeakerMuted(0);
        SetIcon(m_btnAudioOutput, "footer_icon_audio1_normal-.png", "footer_icon_audio1_hover.png");
        // Playing again before the slider opens, so it shows that volume.
        SetPlaybackVolume(m_volumOutputSlider->value());
        if (m_volumOutputSlider->isHidden())
            ShowAudioOutputSlider();
    } else {
        SetIcon(m_btnAudioOutput, "footer_icon_audio4_normal.png", "footer_icon_audio4_hover.png");
        profile->SetSpeakerMuted(1);
        if (!m_volumOutputSlider->isHidden())
            ShowAudioOutputSlider();
        SetPlaybackVolume(0);
    }
}

void MenuBar::SetPlaybackVolume(int volume)
{
    if (AudioOutManager* playback = PlaybackDevice())
        playback->SetVolume(volume);
}

void MenuBar::RefreshAudioBtnIcon(int value)
{
    Q_UNUSED(value)
    SetIcon(m_btnAudioOutput, "footer_icon_audio1_normal-.png", "footer_icon_audio1_hover.png");
}

void MenuBar::ShowAudioOutputSlider()
{
    Profile* profile = Nexus::GetProfile();
    QSlider* slider = m_volumOutputSlider;
    if (slider->isHidden()) {
        if (profile && profile->GetSpeakerMuted() == 1)
            return;
        ShowVolume(slider, DeviceVolume(false, profile ? profile->GetLastOutputVolume() : -1));
        slider->show();
        slider->raise();
    } else {
        slider->hide();
        slider->lower();
        m_outputHideTimer->stop();
    }
}

void MenuBar::ShowAudioInputSlider()
{
    Profile* profile = Nexus::GetProfile();
    QSlider* slider = m_volumeInputSlider;
    if (slider->isHidden()) {
        if (!Nexus::GetDataManager() || !profile || profile->GetMicrophoneMuted() == 1 || !HasMicrophoneRight())
            return;
        const int volume = DeviceVolume(true, profile->GetInputVolume());
        if (volume >= 0 && slider->value() != volume)
            qDebug() << "volumeInputSlider.value:" << slider->value() << ", player in volum:" << volume;
        ShowVolume(slider, volume);
        slider->show();
        slider->raise();
    } else {
        slider->hide();
        slider->lower();
        m_inputHideTimer->stop();
    }
}

void MenuBar::SetMicMetering(int mode)
{
    if (!m_capture)
        return;
    switch (mode) {
    case MeterStart:
        if (m_capture->GetState() == MicCapture::Stopped) {
            if (!m_capture->Start(kNotifyMs))
                return;
            connect(m_capture.get(), &MicCapture::update, this, &MenuBar::GetMicrophonePeakVolum, Qt::UniqueConnection);
            connect(m_meterTimer, &QTimer::timeout, this, &MenuBar::CalcuMicroVolum, Qt::UniqueConnection);
        } else if (m_capture->GetState() == MicCapture::Suspended) {
            m_capture->Resume(kNotifyMs);
            m_meter->setValue(0);
        }
        m_meterTimer->start();
        break;
    case MeterPause:
        if (m_capture->GetState() == MicCapture::Active)
            m_capture->Suspend();
        m_meterTimer->stop();
        m_meter->setValue(0);
        break;
    case MeterRelease:
        m_capture->Stop();
        m_meterTimer->stop();
        disconnect(m_meterTimer, &QTimer::timeout, this, &MenuBar::CalcuMicroVolum);
        m_meter->setValue(0);
        m_capture.reset();
        break;
    default:
        break;
    }
}

void MenuBar::GetMicrophonePeakVolum()
{
    if (!m_capture)
        return;
    const int level = static_cast<int>(m_capture->Level() * 100);
    m_meter->setValue(3.0 * level);
    m_currentPeak = qMax(m_currentPeak, level);
}

void MenuBar::CalcuMicroVolum()
{
    m_peaks[m_peakPos] = m_currentPeak;
    m_peakPos = (m_peakPos + 1) % 3;
    m_currentPeak = 0;
    const int sum = m_peaks[0] + m_peaks[1] + m_peaks[2];
    DataManager* data = Nexus::GetDataManager();
    if (sum <= 10) {
        if (m_speaking == 1) {
            qDebug() << "GetAudioInVolum is less than 20 ";
            m_speaking = 0;
            ReportNotSpeaking();
        }
        return;
    }
    qDebug() << "GetAudioInVolum is large than 20 ";
    if (data && (data->GetActionStatus() & 2))
        emit data->LocalMicropStatusNofity(1);
    m_speaking = 1;
}

void MenuBar::ClosePopUpWidget(QEvent* event)
{
    if (event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        HidePopUpWidget();
}

void MenuBar::HidePopUpWidget()
{
    HidePopUps(false);
}

void MenuBar::HidePopUps(bool keepVoicePanel)
{
    if (LeftArea* left = Nexus::GetLeftArea())
        emit left->HideUsrPermWidget();
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->OnHideColorBox();
    ChatWidget* chat = Nexus::GetChatWidget();
    if (EmojiWidget* emoji = chat ? chat->GetEmojiWidget() : nullptr)
        emoji->hide();
    if (!keepVoicePanel && m_voicePanel && m_voicePanel->isVisible()) {
        m_voicePanel->hide();
        m_voicePanel->lower();
    }
}

void MenuBar::OnAudioRecordPressed()
{
    Profile* profile = Nexus::GetProfile();
    if (profile && profile->GetClassRecordingFlag())
        emit RecordStopRequested();
    else
        emit RecordStartRequested();
}

void MenuBar::OnUpdateAudioRecordStatus()
{
    Profile* profile = Nexus::GetProfile();
    const bool recording = profile && profile->GetClassRecordingFlag();
    if (recording) {
        m_btnRecord->setToolTip(QStringLiteral("结束录音"));
        SetIcon(m_btnRecord, "record_after.png", "record_after_hover.png");
        m_recordLabel->move(width() - 65, (kBarHeight - m_recordLabel->height()) / 2);
        m_recordLabel->show();
    } else {
        m_btnRecord->setToolTip(QStringLiteral("录音"));
        SetIcon(m_btnRecord, "record_before.png", "record_before_hover.png");
        m_recordLabel->hide();
    }
    m_btnRecord->show();
}

void MenuBar::ShowAudioMixDialog()
{
    QStringList paths;
    if (Chooser()) {
        paths = Chooser()(m_mainWindow);
    } else {
        QFileDialog dialog(m_mainWindow, QStringLiteral("请选择伴奏文件"));
        dialog.setNameFilter(QStringLiteral("文件(*.aac *.mp3 *.m4a)"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() == QDialog::Accepted)
            paths = dialog.selectedFiles();
    }
    qDebug() << "in ShowAudioMixDialog, _pathList:" << paths;
    if (paths.isEmpty()) {
        qDebug() << "in uploadCourse not select any file.";
        return;
    }
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->AudioMixPlayerAdapte(paths.first());
}

void MenuBar::ShowVoicePanel()
{
    QWidget* host = m_mainWindow ? m_mainWindow.data() : window();
    if (!m_voicePanel || !host)
        return;
    if (m_voicePanel->parentWidget() != host)
        m_voicePanel->setParent(host);
    m_voicePanel->InitUI();
    const QPoint buttonTopLeft = m_btnSpeakMode->mapTo(host, QPoint(0, 0));
    m_voicePanel->move(buttonTopLeft.x() - 20, buttonTopLeft.y() - m_voicePanel->height());
    m_voicePanel->show();
    m_voicePanel->raise();
}

void MenuBar::StartHideTimer(QTimer* timer, QSlider* slider)
{
    if (slider->isVisible())
        timer->start();
}

bool MenuBar::eventFilter(QObject* watched, QEvent* event)
{
    if (!Nexus::GetDataManager())
        return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        // The speaking-mode button opens and closes its own pop-up.
        HidePopUps(watched == m_btnSpeakMode);
        return false;
    }
    if (watched == m_filteredWindow) {
        if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && GetSpeakMode() == SpeakHoldAlt) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Alt && !key->isAutoRepeat()) {
                if (type == QEvent::KeyPress && !m_altTalking)
                    OnAltKeyPress();
                else if (type == QEvent::KeyRelease)
                    OnAltKeyRelease();
            }
        } else if (type == QEvent::WindowDeactivate) {
            OnWindowDeactivate();
        }
        return false;
    }
    if (type != QEvent::Enter && type != QEvent::Leave)
        return false;
    const bool enter = type == QEvent::Enter;
    if (watched == m_btnAudioOutput) {
        qDebug() << (enter ? "into buttonAudioOutput::eventFilte: enter event"
                           : "into buttonAudioOutput::eventFilte: leave event");
        if (enter && m_volumOutputSlider->isHidden())
            ShowAudioOutputSlider();
        else if (!enter)
            StartHideTimer(m_outputHideTimer, m_volumOutputSlider);
    } else if (watched == m_btnMacphone) {
        qDebug() << (enter ? "into buttonMacphone::eventFilte: enter event"
                           : "into buttonMacphone::eventFilte: leave event");
        if (enter && m_volumeInputSlider->isHidden())
            ShowAudioInputSlider();
        else if (!enter)
            StartHideTimer(m_inputHideTimer, m_volumeInputSlider);
    } else if (watched == m_volumOutputSlider) {
        qDebug() << (enter ? "into volumOutputSlider::eventFilte: enter event"
                           : "into volumOutputSlider::eventFilte: leave event");
        if (enter)
            m_outputHideTimer->stop();
        else
            StartHideTimer(m_outputHideTimer, m_volumOutputSlider);
    } else if (watched == m_volumeInputSlider) {
        qDebug() << (enter ? "into volumeInputSlider::eventFilte: enter event"
                           : "into volumeInputSlider::eventFilte: leave event");
        if (enter)
            m_inputHideTimer->stop();
        else
            StartHideTimer(m_inputHideTimer, m_volumeInputSlider);
    }
    return false;
}
