// What the video panel does once the local user has joined the room's RTC
// channel: devices and volumes restored, the device test offered once, the
// device report scheduled and every member's camera asked for.
#include "Player.h"

#include "app/DownldManager.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/TitleBar.h"
#include "app/UserSettings.h"
#include "entry/UserGuideWidget.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/AudioRecordSetDialog.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/DeamonThreadMgr.h"
#include "rtc/DeviceManager.h"
#include "rtc/DeviceTest.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QTimer>
#include <memory>

namespace {

constexpr int kDeviceNotice = 0x10000;
constexpr int kDeviceReportDelayMs = 10000;

// Starts the class recording of the room entered again. A start that fails
// (the folder has become unwritable, say) is told through the recording
// dialog, and the room is forgotten so the next entry does not try again.
void RestartRecording(Profile* profile)
{
    QString error;
    if (AudioRecordSetDialog::StartClassRecording(&error))
        return;
    profile->SetRecordingRoomId(QString());
    MenuBar* bar = Nexus::GetMenuBar();
    if (AudioRecordSetDialog* dialog = bar ? bar->GetAudioRecordSetDialog() : nullptr)
        dialog->ShowFailure(error);
}

// Opens the device test unless it is open already (never toggled shut).
void OpenDeviceTest()
{
    MenuBar* bar = Nexus::GetMenuBar();
    MainWindow* window = Nexus::GetMainWindow();
    TitleBar* title = window ? window->GetTitleBar() : nullptr;
    if (title && title->GetDeviceTest() && !title->GetDeviceTest()->isHidden())
        return;
    if (DeviceManager* dialog = bar ? bar->GetDeviceManager() : nullptr)
        dialog->ShowAVTestDialog();
    else if (title)
        title->OnShowAVTestDialog();
}

// The first-use guide covers the whole window: a test opened under it would
// show up a second time when the guide closes. It opens then, once, if the
// class room is still there.
void OfferDeviceTest()
{
    MainWindow* window = Nexus::GetMainWindow();
    UserGuideWidget* guide = window ? window->GetUserGuideWidget() : nullptr;
    if (!guide || guide->isHidden()) {
        OpenDeviceTest();
        return;
    }
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(guide, &UserGuideWidget::Closed, guide, [once] {
        QObject::disconnect(*once);
        if (Nexus::GetDataPrepPhase() == 3 && !Nexus::IsOutOfClassroom())
            OpenDeviceTest();
    });
}

} // namespace

void Player::OnJoinAgoraSuccessed()
{
    OnMediaLinkChanged(MediaUp);
    DataManager* data = Nexus::GetDataManager();
    if (!data)
        return;
    if (Nexus::GetDataPrepPhase() != 3) {
        qDebug() << "has leave of class and directly return";
        return;
    }
    if (Nexus::IsOutOfClassroom())
        return;
    if (DeamonThreadMgr* watcher = Nexus::GetDeamonThreadMgr())
        emit watcher->DeviceInfoGet();
    Profile* profile = Nexus::GetProfile();
    if (profile && !profile->GetClassRecordingFlag()) {
        const QString recordingRoom = profile->GetRecordingRoomId();
        if (!recordingRoom.isEmpty() && recordingRoom == data->GetRoomId()) {
            qDebug() << "into Player::OnJoinAgoraSuccessed, and begin new record";
            RestartRecording(profile);
        } else {
            profile->SetRecordingRoomId(QString());
        }
    }
    DevRecoeryAftAgoraJoin();
    m_mediaPlayer.VolumRecoeryAftAgoraJoin();
    bool offerTest = false;
    if (profile && !profile->GetDeviceNoticeGiven()) {
        if (data->GetRoomRole() == 4) {
            // Offered once the first-use guide of this join is known.
            offerTest = true;
            profile->SetDeviceNoticeGiven(true);
        } else if (profile->GetDeviceNoticePending()) {
            if (MiddleArea* middle = Nexus::GetMiddleArea())
                emit middle->ShowMsgNotifyWidget(kDeviceNotice);
            profile->SetDeviceNoticeGiven(true);
        }
    }
    m_mediaPlayer.OnMuteLocalAudio(true);
    if (MenuBar* bar = Nexus::GetMenuBar())
        emit bar->UpdateVolumInfo();
    QTimer::singleShot(kDeviceReportDelayMs, this, [] {
        if (DownldManager* worker = Nexus::GetDownldManager())
            emit worker->DeviceInfoReport();
    });
    if (Nexus* hub = Nexus::Instance())
        emit hub->GetAllUserCameraStatus();
    if (MainWindow* window = Nexus::GetMainWindow())
        window->OnRenderUserGuide();
    if (offerTest)
        OfferDeviceTest();
}

void Player::DevRecoeryAftAgoraJoin()
{
    CAgoraObject* agora = m_mediaPlayer.GetAgoraObject();
    if (!agora)
        return;
    struct Step {
        const SettingKey& key;
        bool (CAgoraObject::*create)();
        RtcDeviceManager* (*manager)(CAgoraObject*);
        const char* name;
    };
    const Step steps[] = {
        { UserSettings::AudioInDevice, &CAgoraObject::CreateAudioInManager,
            [](CAgoraObject* a) -> RtcDeviceManager* { return a->GetAudioInManager(); }, "audio input" },
        { UserSettings::AudioOutDevice, &CAgoraObject::CreateAudioOutManager,
            [](CAgoraObject* a) -> RtcDeviceManager* { return a->GetAudioOutManager(); }, "audio output" },
        { UserSettings::CameraDevice, &CAgoraObject::CreateCameraManager,
            [](CAgoraObject* a) -> RtcDeviceManager* { return a->GetCameraManager(); }, "camera" },
    };
    for (const Step& step : steps) {
        const QString id = UserSettings::Text(step.key);
        if (id.isEmpty())
            continue;
        (agora->*step.create)();
        RtcDeviceManager* manager = step.manager(agora);
        if (!manager) {
            qDebug() << "into Player::DevRecoeryAftAgoraJoin," << step.name << "Manager is null";
            return;
        }
        // A stored device that is gone stops here, so the ones after it keep
        // what the system chose.
        if (!manager->SetCurDevice(id)) {
            qDebug() << "[ERROR]into Player::DevRecoeryAftAgoraJoin," << step.name << " SetCurDevice error ";
            // The remembered device is not there: the user is invited to
            // check the devices once this join is done.
            if (Profile* profile = Nexus::GetProfile())
                profile->SetDeviceNoticePending(true);
            return;
        }
        qDebug() << "into Player::DevRecoeryAftAgoraJoin," << step.name
                 << " SetCurDevice finished, device count : " << manager->GetDeviceCount();
    }
}
