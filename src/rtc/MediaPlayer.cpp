#include "MediaPlayer.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/UserSettings.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "session/DataManager.h"

#include <QDebug>

MediaPlayer::MediaPlayer(QObject* parent)
    : QObject(parent)
{ }

int MediaPlayer::InitPlayer()
{
    DataManager* data = Nexus::GetDataManager();
    const QString appId = data ? data->GetAppId() : QString();
    qDebug() << "into  :Player:InitPlayerf,,appId:" << appId;
    m_agoraObject = CAgoraObject::GetAgoraObject(appId);
    if (!m_agoraObject) {
        qDebug() << "[ERROR]m_pAgoraObject create failed";
        return kWrapperFailed;
    }
    qDebug() << "[DEBUG]m_pAgoraObject created success, and agora version:" << m_agoraObject->GetSDKVersion();
    m_engine = m_agoraObject->GetRtcEngine();
    if (!m_engine) {
        qDebug() << "[ERROR]m_pRtcEngine is empty ";
        return kNoEngine;
    }
    qDebug() << "[DEBUG]m_pRtcEngine created";
    if (!m_agoraObject->SetClientRole(rtc::CLIENT_ROLE_BROADCASTER)) {
        qDebug() << "[ERROR]AgoraObject SetClientRole error ";
        return kWrapperFailed;
    }
    qDebug() << "[DEBUG]SetClientRole finished";
    if (!m_agoraObject->EnableWebSdkInteroperability(true)) {
        qDebug() << "[ERROR]AgoraObject EnableWebSdkInteroperability error ";
        return kWrapperFailed;
    }
    qDebug() << "[DEBUG]EnableWebSdkInteroperability finished";
    if (UserSettings::Text(UserSettings::EnableDebug) == QLatin1String("1")) {
        if (m_agoraObject->SetLogFilePath(QString()))
            qDebug() << "[DEBUG]SetLogFilePath finished";
        else
            qDebug() << "[ERROR]AgoraObject SetLogFilePath error ";
    }
    bool result = m_agoraObject->setVideoQualityParameters(true);
    qDebug() << (result ? "[DEBUG]setVideoQualityParameters finished"
                        : "[ERROR]AgoraObject setVideoQualityParameters error ");
    Profile* profile = Nexus::GetProfile();
    if (profile && profile->GetRoomType() == 1) {
        m_engine->setChannelProfile(rtc::CHANNEL_PROFILE_LIVE_BROADCASTING);
        // Auditors and listeners only watch.
        const int own = data ? data->GetRoomRole() : 0;
        const int role = (own == 6 || own == 7) ? rtc::CLIENT_ROLE_AUDIENCE : rtc::CLIENT_ROLE_BROADCASTER;
        if (!m_agoraObject->SetClientRole(role)) {
            qDebug() << "[ERROR]AgoraObject SetClientRole error ";
            return kWrapperFailed;
        }
        result = m_agoraObject->SetAudioProfile(0, 2);
        if (!result)
            qDebug() << "[ERROR]AgoraObject SetAudioProfile error ";
    } else {
        m_engine->setChannelProfile(rtc::CHANNEL_PROFILE_COMMUNICATION);
    }
    JoinChannel();
    qDebug() << "exit Player::InitPlayer";
    return result ? 1 : 0;
}

void MediaPlayer::JoinChannel()
{
    DataManager* data = Nexus::GetDataManager();
    if (!data || !m_agoraObject)
        return;
    const QString roomId = data->GetRoomId();
    const int uid = data->GetUserId();
    const QJsonArray relays = data->GetRelays();
    if (!relays.isEmpty() && !m_agoraObject->SetRelays(relays))
        qDebug() << "[ERROR] the engine takes no relays";
    if (!m_agoraObject->JoinChannel(roomId, unsigned(uid), data->GetChannelKey())) {
        qDebug() << "[ERROR] JoinChannel failed  ";
        return;
    }
    qDebug() << "[DEBUG] JoinChannel success,and uid:" << uid << "roomId:" << roomId;
    // The camera starts off and the microphone muted.
    qDebug() << (m_agoraObject->EnableLocalVideo(false) ? "[DEBUG] EnableLocalVideo finished"
                                                        : "[ERROR] EnableLocalVideo error");
    qDebug() << (m_agoraObject->EnableVideo(true) ? "[DEBUG] EnableVideo finished" : "[ERROR] EnableVideo error");
    qDebug() << (m_agoraObject->EnableVideo2(true) ? "[DEBUG] EnableVideo2 finished" : "[ERROR] EnableVideo2 error");
    qDebug() << (m_agoraObject->MuteLocalAudio(true) ? "[DEBUG] MuteLocalAudio finished"
                                                     : "[ERROR] MuteLocalAudio error");
}

void MediaPlayer::OnMuteLocalAudio(bool muted)
{
    if (!m_agoraObject)
        return;
    if (m_agoraObject->MuteLocalAudio(muted))
        qDebug() << " OnMuteLocalAudio   success ";
    else
        qDebug() << "[ERROR]OnMuteLocalAudio   error ,_ret：" << m_agoraObject->GetLastResult();
}

// A device list read while no device was there is read again: one may
// have been plugged in since.
AudioInManager* MediaPlayer::InManager()
{
    if (!m_agoraObject)
        return nullptr;
    AudioInManager* in = m_agoraObject->GetAudioInManager();
    if (!in || in->GetDeviceCount() == 0)
        m_agoraObject->CreateAudioInManager();
    return m_agoraObject->GetAudioInManager();
}

AudioOutManager* MediaPlayer::OutManager()
{
    if (!m_agoraObject)
        return nullptr;
    AudioOutManager* out = m_agoraObject->GetAudioOutManager();
    if (!out || out->GetDeviceCount() == 0)
        m_agoraObject->CreateAudioOutManager();
    return m_agoraObject->GetAudioOutManager();
}

void MediaPlayer::SetAudioInputVolume(int volume)
{
    AudioInManager* in = InManager();
    if (!in || in->GetDeviceCount() == 0) {
        qDebug() << "audio in device num is 0";
        return;
    }
    const bool result = in->SetVolume(volume);
    qDebug() << "MediaPlayer::SetAudioInputVolume,set volume:" << volume << ",nRet:" << result;
    if (Profile* profile = Nexus::GetProfile())
        profile->SetInputVolume(volume);
    UserSettings::SetValue(UserSettings::AudioInVolum, volume);
}

void MediaPlayer::SetAudioOutputVolume(int volume)
{
    AudioOutManager* out = OutManager();
    if (!out)
        return;
    const bool result = out->SetVolume(volume);
    qDebug() << "MediaPlayer::SetAudioOutputVolume,set volume:" << volume << ",nRet:" << result;
    if (Profile* profile = Nexus::GetProfile())
        profile->SetLastOutputVolume(volume);
    UserSettings::SetValue(UserSettings::AudioOutVolum, volume);
}

int MediaPlayer::GetAudioInVolume()
{
    AudioInManager* in = InManager();
    if (!in || in->GetDeviceCount() == 0) {
        qDebug() << "audio in device num is 0";
        return 0;
    }
    return in->GetVolume();
}

int MediaPlayer::GetAudioOutVolume()
{
    AudioOutManager* out = OutManager();
    if (!out || out->GetDeviceCount() == 0) {
        qDebug() << "audio out device num is 0";
        return 0;
    }
    return out->GetVolume();
}

int MediaPlayer::GetDeviceVolume(bool input, int withoutEngine)
{
    if (!m_agoraObject)
        return withoutEngine;
    return input ? GetAudioInVolume() : GetAudioOutVolume();
}

namespace {
QString FindDeviceId(RtcDeviceManager* manager, const QString& name, const char* label, const char* none)
{
    if (!manager || manager->GetDeviceCount() == 0) {
        qDebug() << none;
        return QString();
    }
    for (int i = 0; i < manager->GetDeviceCount(); ++i) {
        QString deviceName;
        QString id;
        if (!manager->GetDevice(i, deviceName, id))
            continue;
        qDebug() << label << deviceName << ",DeviceId:" << id;
        if (deviceName == name) {
            qDebug() << "find needed device";
            return id;
        }
    }
    return QString();
}
} // namespace

QString MediaPlayer::GetAudioInDeviceId(const QString& name)
{
    if (!m_agoraObject)
        return QString();
    m_agoraObject->CreateAudioInManager();
    return FindDeviceId(
        m_agoraObject->GetAudioInManager(), name, "AudioInManager DeviceName:", "audio in device num is 0");
}

QString MediaPlayer::GetAudioOutDeviceId(const QString& name)
{
    if (!m_agoraObject)
        return QString();
    m_agoraObject->CreateAudioOutManager();
    return FindDeviceId(
        m_agoraObject->GetAudioOutManager(), name, "AudioOutManager DeviceName:", "audio out device num is 0");
}

bool MediaPlayer::CreateAudioInManager()
{
    return m_agoraObject && m_agoraObject->CreateAudioInManager();
}

bool MediaPlayer::CreateAudioOutManager()
{
    return m_agoraObject && m_agoraObject->CreateAudioOutManager();
}

bool MediaPlayer::CreateCameraManager()
{
    return m_agoraObject && m_agoraObject->CreateCameraManager();
}

void MediaPlayer::VolumRecoeryAftAgoraJoin()
{
    if (!m_agoraObject)
        return;
    const int outVolume = UserSettings::Int(UserSettings::AudioOutVolum);
    if (outVolume != 0) {
        AudioOutManager* out = OutManager();
        if (!out) {
            qDebug() << "[ERROR]in VolumRecoeryAftAgoraJoin, after CreateAudioOutManager, manager is still null";
            return;
        }
        // Only the volume found before the first class of the run is the
        // user's own; a later join would save the class's volume instead.
        Profile* profile = Nexus::GetProfile();
        if (profile && profile->GetOutputVolume() < 0 && out->GetDeviceCount() > 0)
            profile->SetOutputVolume(out->GetVolume());
        if (!out->SetVolume(outVolume)) {
            qDebug() << "[ERROR]in VolumRecoeryAftAgoraJoin, AudioOutputManager SetVolume error";
            return;
        }
        qDebug() << "in VolumRecoeryAftAgoraJoin, AudioOutputManager SetVolume success";
    }
    const int inVolume = UserSettings::Int(UserSettings::AudioInVolum);
    if (inVolume == 0)
        return;
    AudioInManager* in = InManager();
    if (!in) {
        qDebug() << "[ERROR]in VolumRecoeryAftAgoraJoin, after CreateAudioInManager, manager is still null";
        return;
    }
    if (in->SetVolume(inVolume))
        qDebug() << "in VolumRecoeryAftAgoraJoin, AudioInManager SetVolume success";
    else
        qDebug() << "[ERROR]in VolumRecoeryAftAgoraJoin, AudioInManager SetVolume error";
}
