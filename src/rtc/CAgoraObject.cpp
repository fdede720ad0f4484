#include "CAgoraObject.h"

#include "app/AppPaths.h"
#include "rtc/AgoraVideoFrameObserver.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAGEngineEventHandler.h"
#include "rtc/CameraManager.h"
#include "rtc/RtcJson.h"

#include <QDebug>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

using RtcJson::Bool;

namespace {
CAgoraObject* s_instance = nullptr;

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}
} // namespace

CAgoraObject::CAgoraObject() = default;

CAgoraObject::~CAgoraObject() = default;

CAgoraObject* CAgoraObject::GetAgoraObject(const QString& appId)
{
    if (!s_instance)
        s_instance = new CAgoraObject();
    rtc::IRtcEngine* engine = s_instance->GetRtcEngine();
    if (engine && !appId.isEmpty()) {
        const QByteArray id = Utf8(appId);
        rtc::RtcEngineContext context;
        context.eventHandler = CAGEngineEventHandler::Instance();
        context.appId = id.constData();
        engine->initialize(context);
        s_instance->m_appId = appId;
        rtc::IMediaEngine* media = nullptr;
        if (engine->queryInterface(rtc::AGORA_IID_MEDIA_ENGINE, reinterpret_cast<void**>(&media)) == 0 && media) {
            media->registerVideoFrameObserver(AgoraVideoFrameObserver::Instance());
            media->release();
        }
    }
    return s_instance;
}

CAgoraObject* CAgoraObject::Instance()
{
    return s_instance;
}

void CAgoraObject::ReleaseEngine()
{
    CAgoraObject* object = s_instance;
    if (!object)
        return;
    object->m_audioIn.reset();
    object->m_audioOut.reset();
    object->m_camera.reset();
    if (object->m_engine)
        object->m_engine->release(false);
    object->m_engine = nullptr;
    s_instance = nullptr;
    delete object;
}

rtc::IRtcEngine* CAgoraObject::GetRtcEngine()
{
    if (!m_engine)
        m_engine = createRtcEngine();
    return m_engine;
}

QString CAgoraObject::GetSDKVersion()
{
    int build = 0;
    const char* version = getRtcEngineVersion(&build);
    return version ? QString::fromUtf8(version) : QString();
}

bool CAgoraObject::Result(int result)
{
    m_lastResult = result;
    return result == 0;
}

bool CAgoraObject::JoinChannel(const QString& channelName, unsigned uid, const QString& key)
{
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    const char* info = "{\"owner\":true,\"width\":640,\"height\":480,\"bitrate\":500}";
    if (!Result(m_engine->joinChannel(Utf8(key).constData(), Utf8(channelName).constData(), info, uid)))
        return false;
    m_channelName = channelName;
    return true;
}

bool CAgoraObject::LeaveChannel()
{
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    m_engine->stopPreview();
    return Result(m_engine->leaveChannel());
}

bool CAgoraObject::EnableVideo(bool enable)
{
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    if (!Result(enable ? m_engine->enableVideo() : m_engine->disableVideo()))
        return false;
    m_videoEnabled = enable;
    return true;
}

bool CAgoraObject::EnableVideo2(bool enable)
{
    // The flag follows the request whatever the engine says.
    m_video2Enabled = enable;
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    return Result(enable ? m_engine->enableAudio() : m_engine->disableAudio());
}

bool CAgoraObject::SetClientRole(int role, const char* reserved)
{
    Q_UNUSED(reserved)
    m_clientRole = role;
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    return Result(m_engine->setClientRole(role));
}

bool CAgoraObject::SetAudioProfile(int profile, int scenario)
{
    if (!m_engine)
        return Result(rtc::ERR_NOT_INITIALIZED);
    return Result(m_engine->setAudioProfile(profile, scenario));
}

int CAgoraObject::WithParameters(const std::function<int(rtc::IRtcEngineParameter*)>& call)
{
    rtc::IRtcEngineParameter* parameters = nullptr;
    if (!m_engine
        || m_engine->queryInterface(rtc::AGORA_IID_RTC_ENGINE_PARAMETER, reinterpret_cast<void**>(&parameters)) != 0
        || !parameters) {
        m_lastResult = rtc::ERR_NOT_INITIALIZED;
        return m_lastResult;
    }
    m_lastResult = call(parameters);
    parameters->release();
    return m_lastResult;
}

int CAgoraObject::SetParameters(const QString& json)
{
    return WithParameters([&](rtc::IRtcEngineParameter* p) { return p->setParameters(Utf8(json).constData()); });
}

int CAgoraObject::WithConvertedPath(
    const QString& path, const std::function<int(rtc::IRtcEngineParameter*, const QString&)>& set)
{
    return WithParameters([&](rtc::IRtcEngineParameter* p) {
        rtc::IString* converted = nullptr;
        if (p->convertPath(Utf8(path).constData(), &converted) != 0 || !converted)
            return int(rtc::ERR_INVALID_ARGUMENT);
        const QString text = QString::fromUtf8(converted->c_str());
        converted->release();
        return set(p, text);
    });
}

bool CAgoraObject::EnableWebSdkInteroperability(bool enable)
{
    return SetParameters(QStringLiteral("{\"rtc.video.web_h264_interop_enable\":%1,"
                                        "\"che.video.web_h264_interop_enable\":%1}")
                             .arg(Bool(enable)))
        == 0;
}

bool CAgoraObject::setVideoQualityParameters(bool preferFrameRate)
{
    return SetParameters(QStringLiteral("{\"rtc.video.prefer_frame_rate\":%1,\"che.video.prefer_frame_rate\":%1}")
                             .arg(Bool(preferFrameRate)))
        == 0;
}

bool CAgoraObject::MuteLocalAudio(bool muted)
{
    qDebug() << "into CAgoraObject::MuteLocalAudio, bMuted:" << muted;
    if (SetParameters(QStringLiteral("{\"rtc.audio.mute_me\":%1,\"che.audio.mute_me\":%1}").arg(Bool(muted))) != 0)
        return false;
    m_localAudioMuted = muted;
    return true;
}

bool CAgoraObject::EnableLocalVideo(bool enable)
{
    if (SetParameters(QStringLiteral("{\"rtc.video.capture\":%1,\"che.video.local.capture\":%1,"
                                     "\"che.video.local.render\":%1,\"che.video.local.send\":%1}")
                          .arg(Bool(enable)))
        != 0)
        return false;
    m_localVideoEnabled = enable;
    return true;
}

bool CAgoraObject::SetRelays(const QJsonArray& relays)
{
    const QByteArray value
        = QJsonDocument(QJsonObject { { QStringLiteral("iceServers"), relays } }).toJson(QJsonDocument::Compact);
    return WithParameters([&](rtc::IRtcEngineParameter* p) { return p->setObject("rtc.ice_servers", value); }) == 0;
}

bool CAgoraObject::MuteRemoteVideoStream(unsigned uid, bool mute)
{
    const QString value = QStringLiteral("{\"uid\":%1,\"mute\":%2}").arg(uid).arg(Bool(mute));
    return WithParameters([&](rtc::IRtcEngineParameter* p) {
        return p->setObject("rtc.video.mute_peer", Utf8(value).constData());
    }) == 0;
}

bool CAgoraObject::StartAudioMixing(const QString& filePath, bool loopback, bool replace, int cycle, bool paused)
{
    return WithConvertedPath(filePath, [&](rtc::IRtcEngineParameter* p, const QString& path) {
        QString value = QStringLiteral("{\"filePath\":%1,\"loopback\":%2,\"replace\":%3,\"cycle\":%4")
                            .arg(RtcJson::Quote(path), Bool(loopback), Bool(replace))
                            .arg(cycle);
        value += paused ? QStringLiteral(",\"paused\":true}") : QStringLiteral("}");
        return p->setObject("che.audio.start_file_as_playout", Utf8(value).constData());
    }) == 0;
}

bool CAgoraObject::StopAudioMixing()
{
    return WithParameters([](rtc::IRtcEngineParameter* p) {
        return p->setBool("che.audio.stop_file_as_playout", true);
    }) == 0;
}

bool CAgoraObject::PauseAudioMixing()
{
    return WithParameters([](rtc::IRtcEngineParameter* p) {
        return p->setBool("che.audio.pause_file_as_playout", true);
    }) == 0;
}

bool CAgoraObject::ResumeAudioMixing()
{
    return WithParameters([](rtc::IRtcEngineParameter* p) {
        return p->setBool("che.audio.pause_file_as_playout", false);
    }) == 0;
}

bool CAgoraObject::SetAudioMixingVolume(int volume)
{
    return WithParameters([volume](rtc::IRtcEngineParameter* p) {
        return p->setInt("che.audio.set_file_as_playout_volume", volume);
    }) == 0;
}

int CAgoraObject::SetAudioMixingPosition(int milliseconds)
{
    return WithParameters([milliseconds](rtc::IRtcEngineParameter* p) {
        return p->setInt("che.audio.mixing.file.position", milliseconds);
    });
}

int CAgoraObject::GetAudioMixingDuration()
{
    int value = 0;
    const int result = WithParameters(
        [&value](rtc::IRtcEngineParameter* p) { return p->getInt("che.audio.get_mixing_file_length_ms", value); });
    return result == 0 ? value : result;
}

int CAgoraObject::GetAudioMixingCurrentPosition()
{
    int value = 0;
    const int result = WithParameters(
        [&value](rtc::IRtcEngineParameter* p) { return p->getInt("che.audio.get_mixing_file_played_ms", value); });
    return result == 0 ? value : result;
}

bool CAgoraObject::StartAudioRecording(const QString& filePath, int quality)
{
    return WithConvertedPath(filePath, [&](rtc::IRtcEngineParameter* p, const QString& path) {
        const QString value = QStringLiteral("{\"filePath\":%1,\"quality\":%2}").arg(RtcJson::Quote(path)).arg(quality);
        return p->setObject("che.audio.start_recording", Utf8(value).constData());
    }) == 0;
}

bool CAgoraObject::StopAudioRecording()
{
    return WithParameters([](rtc::IRtcEngineParameter* p) { return p->setBool("che.audio.stop_recording", true); })
        == 0;
}

bool CAgoraObject::SetLogFilePath(const QString& path)
{
    QString file = path;
    if (file.isEmpty() || !QFileInfo::exists(file))
        file = AppPaths::LogFolder() + QStringLiteral("/AgoraSDK.log");
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return WithParameters([&](rtc::IRtcEngineParameter* p) {
        QByteArray text = Utf8(file);
        rtc::IString* converted = nullptr;
        if (p->convertPath(text.constData(), &converted) == 0 && converted) {
            text = QByteArray(converted->c_str());
            converted->release();
        }
        return p->setString("rtc.log_file", text.constData());
    }) == 0;
}

bool CAgoraObject::CreateAudioInManager()
{
    if (!m_audioIn)
        m_audioIn = std::make_unique<AudioInManager>();
    return m_audioIn->Create(m_engine);
}

bool CAgoraObject::CreateAudioOutManager()
{
    if (!m_audioOut)
        m_audioOut = std::make_unique<AudioOutManager>();
    return m_audioOut->Create(m_engine);
}

bool CAgoraObject::CreateCameraManager()
{
    if (!m_camera)
        m_camera = std::make_unique<CameraManager>();
    return m_camera->Create(m_engine);
}
