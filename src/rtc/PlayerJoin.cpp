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
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/DeamonThreadMgr.h"
#include "rtc/DeviceTest.h"
#include "session/DataManager.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QTimer>

namespace {

constexpr int kDeviceNotice = 0x10000;
constexpr int kDeviceReportDelayMs = 10000;

// Starts the class recording of the room entered again; the flag is set
// only when the engine took the start.
void RestartRecording(CAgoraObject* agora, Profile* profile)
{
    const QString folder = profile->GetRecordPath();
    if (!agora || folder.isEmpty() || !QDir().mkpath(folder)) {
        qDebug() << "[ERROR]into Player::OnJoinAgoraSuccessed, no recording folder:" << folder;
        return;
    }
    const QString path
        = folder + QLatin1Char('/') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss")) + ".aac";
    if (!agora->StartAudioRecording(path, 2)) {
        qDebug() << "[ERROR]into Player::OnJoinAgoraSuccessed, recording did not start:" << agora->GetLastResult();
        return;
    }
    profile->SetClassRecordingFlag(true);
    if (MenuBar* bar = Nexus::GetMenuBar())
        bar->OnUpdateAudioRecordStatus();
}

} // namespace

void Player::OnJoinAgoraSuccessed()
{
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
    CAgoraObject* agora = m_mediaPlayer.GetAgoraObject();
    if (profile && !profile->GetClassRecordingFlag()) {
        const QString recordingRoom = profile->GetRecordingRoomId();
        if (!recordingRoom.isEmpty() && recordingRoom == data->GetRoomId()) {
            qDebug() << "into Player::OnJoinAgoraSuccessed, and begin new record";
            RestartRecording(agora, profile);
        } else {
            profile->SetRecordingRoomId(QString());
        }
    }
    DevRecoeryAftAgoraJoin();
    m_mediaPlayer.VolumRecoeryAftAgoraJoin();
    if (profile && !profile->GetDeviceNoticeGiven()) {
        if (data->GetRoomRole() == 4) {
            MainWindow* window = Nexus::GetMainWindow();
            TitleBar* bar = window ? window->GetTitleBar() : nullptr;
            // Opened, never toggled: a test the teacher already runs stays.
            if (bar && (!bar->GetDeviceTest() || bar->GetDeviceTest()->isHidden()))
                bar->OnShowAVTestDialog();
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
            return;
        }
        qDebug() << "into Player::DevRecoeryAftAgoraJoin," << step.name
                 << " SetCurDevice finished, device count : " << manager->GetDeviceCount();
    }
}
