// Named settings of the engine and the interface objects queryInterface
// hands out.
#include "EngineState.h"
#include "app/AppPaths.h"
#include "platform/RtcEngine.h"
#include "platform/rtc/EngineLog.h"
#include "platform/rtc/IceServers.h"
#include "platform/rtc/RtcMedia.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

using namespace rtcengine;

namespace {

QString Text(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

class EngineString : public rtc::IString
{
public:
    explicit EngineString(const QByteArray& text)
        : m_text(text)
    { }
    const char* c_str() override { return m_text.constData(); }
    void release() override { delete this; }

private:
    QByteArray m_text;
};

class EngineParameter : public rtc::IRtcEngineParameter
{
public:
    explicit EngineParameter(std::shared_ptr<EngineCore> engine)
        : m_engine(std::move(engine))
    { }

    int setBool(const char* key, bool value) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("setBool %1 %2").arg(Text(key), value ? "true" : "false")))
            return *rc;
        return m_engine->SetBool(Text(key), value);
    }
    int setInt(const char* key, int value) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("setInt %1 %2").arg(Text(key)).arg(value)))
            return *rc;
        return m_engine->SetInt(Text(key), value);
    }
    int setString(const char* key, const char* value) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("setString %1 %2").arg(Text(key), Text(value))))
            return *rc;
        return m_engine->SetString(Text(key), Text(value));
    }
    int setObject(const char* key, const char* value) override
    {
        // The relays' credentials stay out of the journal.
        const bool secret = Text(key) == QLatin1String("rtc.ice_servers");
        if (auto rc = m_engine->Enter(
                QStringLiteral("setObject %1 %2").arg(Text(key), secret ? QStringLiteral("...") : Text(value))))
            return *rc;
        return m_engine->SetObject(Text(key), QByteArray(value ? value : ""));
    }
    int getInt(const char* key, int& value) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("getInt %1").arg(Text(key))))
            return *rc;
        return m_engine->GetInt(Text(key), value);
    }
    int setParameters(const char* parameters) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("setParameters %1").arg(Text(parameters))))
            return *rc;
        return m_engine->SetParameters(QByteArray(parameters ? parameters : ""));
    }
    int convertPath(const char* filePath, rtc::IString** value) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("convertPath %1").arg(Text(filePath))))
            return *rc;
        if (!value || !filePath || !*filePath)
            return rtc::ERR_INVALID_ARGUMENT;
        // Paths are the system's own here.
        *value = new EngineString(QByteArray(filePath));
        return rtc::ERR_OK;
    }
    void release() override
    {
        m_engine->Enter(QStringLiteral("release param"), false);
        delete this;
    }

private:
    std::shared_ptr<EngineCore> m_engine;
};

class EngineMedia : public rtc::IMediaEngine
{
public:
    explicit EngineMedia(std::shared_ptr<EngineCore> engine)
        : m_engine(std::move(engine))
    { }
    int registerVideoFrameObserver(rtc::IVideoFrameObserver* observer) override
    {
        if (auto rc = m_engine->Enter(QStringLiteral("registerVideoFrameObserver")))
            return *rc;
        m_engine->RegisterObserver(observer);
        return rtc::ERR_OK;
    }
    void release() override
    {
        m_engine->Enter(QStringLiteral("release media"), false);
        delete this;
    }

private:
    std::shared_ptr<EngineCore> m_engine;
};

bool IsCaptureKey(const QString& key)
{
    return key == QLatin1String("rtc.video.capture") || key == QLatin1String("che.video.local.capture")
        || key == QLatin1String("che.video.local.render") || key == QLatin1String("che.video.local.send");
}

// The engine log goes where it is asked to, or into the data folder when
// that folder cannot be written.
QString WritableLogPath(const QString& path)
{
    const QFileInfo info(path);
    if (QFileInfo(info.absolutePath()).isWritable())
        return info.absoluteFilePath();
    const QString folder = AppPaths::LogFolder();
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + info.fileName();
}

} // namespace

namespace rtcengine {

int EngineCore::queryInterface(int iid, void** inter)
{
    if (auto rc = Enter(QStringLiteral("queryInterface %1").arg(iid)))
        return *rc;
    if (!inter)
        return rtc::ERR_INVALID_ARGUMENT;
    switch (iid) {
    case rtc::AGORA_IID_AUDIO_DEVICE_MANAGER:
        *inter = NewAudioDeviceManager(shared_from_this());
        return rtc::ERR_OK;
    case rtc::AGORA_IID_VIDEO_DEVICE_MANAGER:
        *inter = NewVideoDeviceManager(shared_from_this());
        return rtc::ERR_OK;
    case rtc::AGORA_IID_RTC_ENGINE_PARAMETER:
        *inter = static_cast<rtc::IRtcEngineParameter*>(new EngineParameter(shared_from_this()));
        return rtc::ERR_OK;
    case rtc::AGORA_IID_MEDIA_ENGINE:
        *inter = static_cast<rtc::IMediaEngine*>(new EngineMedia(shared_from_this()));
        return rtc::ERR_OK;
    default:
        *inter = nullptr;
        return rtc::ERR_INVALID_ARGUMENT;
    }
}

int EngineCore::SetBool(const QString& key, bool value)
{
    if (key == QLatin1String("rtc.audio.mute_me") || key == QLatin1String("che.audio.mute_me")) {
        {
            QMutexLocker lock(&Lock());
            localMuted = value;
        }
        UpdateSending();
        return rtc::ERR_OK;
    }
    if (IsCaptureKey(key)) {
        {
            QMutexLocker lock(&Lock());
            m_capture = value;
        }
        UpdateSending();
        return rtc::ERR_OK;
    }
    if (key == QLatin1String("che.audio.stop_file_as_playout"))
        return value ? m_mixer->Stop() : rtc::ERR_OK;
    if (key == QLatin1String("che.audio.pause_file_as_playout"))
        return m_mixer->Pause(value);
    if (key == QLatin1String("che.audio.stop_recording")) {
        if (value)
            m_recorder->Stop();
        return rtc::ERR_OK;
    }
    QMutexLocker lock(&Lock());
    m_params.insert(key, value ? QStringLiteral("true") : QStringLiteral("false"));
    return rtc::ERR_OK;
}

int EngineCore::SetInt(const QString& key, int value)
{
    if (key == QLatin1String("che.audio.set_file_as_playout_volume"))
        return m_mixer->SetVolume(value);
    if (key == QLatin1String("che.audio.mixing.file.position"))
        return m_mixer->Seek(value);
    QMutexLocker lock(&Lock());
    m_params.insert(key, QString::number(value));
    return rtc::ERR_OK;
}

int EngineCore::SetString(const QString& key, const QString& value)
{
    if (key == QLatin1String("rtc.log_file")) {
        if (value.isEmpty())
            return rtc::ERR_INVALID_ARGUMENT;
        const QString path = WritableLogPath(value);
        rtclog::Begin(path);
        QMutexLocker lock(&Lock());
        State().logFile = path;
        return rtc::ERR_OK;
    }
    QMutexLocker lock(&Lock());
    m_params.insert(key, value);
    return rtc::ERR_OK;
}

int EngineCore::SetObject(const QString& key, const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return rtc::ERR_INVALID_ARGUMENT;
    const QJsonObject object = document.object();
    if (key == QLatin1String("rtc.video.mute_peer")) {
        const QJsonValue uid = object.value(QLatin1String("uid"));
        const QJsonValue mute = object.value(QLatin1String("mute"));
        if (!uid.isDouble() || uid.toDouble() < 0 || !mute.isBool())
            return rtc::ERR_INVALID_ARGUMENT;
        MutePeerVideo(unsigned(uid.toDouble()), mute.toBool());
        return rtc::ERR_OK;
    }
    if (key == QLatin1String("rtc.ice_servers")) {
        // Credentials inside: the list itself is never logged.
        const QList<rtcnet::IceRelay> relays = rtcnet::ParseRelays(object.value(QLatin1String("iceServers")).toArray());
        QMutexLocker lock(&Lock());
        m_relays = relays;
        return rtc::ERR_OK;
    }
    if (key == QLatin1String("che.audio.start_file_as_playout")) {
        const QJsonValue path = object.value(QLatin1String("filePath"));
        if (!path.isString())
            return rtc::ERR_INVALID_ARGUMENT;
        {
            QMutexLocker lock(&Lock());
            if (!inChannel)
                return rtc::ERR_NOT_READY;
        }
        return m_mixer->Start(path.toString(), object.value(QLatin1String("loopback")).toBool(),
            object.value(QLatin1String("replace")).toBool(), object.value(QLatin1String("cycle")).toInt(1),
            object.value(QLatin1String("paused")).toBool());
    }
    if (key == QLatin1String("che.audio.start_recording")) {
        const QJsonValue path = object.value(QLatin1String("filePath"));
        if (!path.isString())
            return rtc::ERR_INVALID_ARGUMENT;
        {
            QMutexLocker lock(&Lock());
            if (!inChannel)
                return rtc::ERR_NOT_READY;
        }
        return m_recorder->Start(path.toString(), object.value(QLatin1String("quality")).toInt(2));
    }
    QMutexLocker lock(&Lock());
    m_params.insert(key, QString::fromUtf8(json));
    return rtc::ERR_OK;
}

int EngineCore::GetInt(const QString& key, int& value)
{
    if (key == QLatin1String("che.audio.get_mixing_file_length_ms"))
        return m_mixer->Length(value);
    if (key == QLatin1String("che.audio.get_mixing_file_played_ms"))
        return m_mixer->Played(value);
    QMutexLocker lock(&Lock());
    bool ok = false;
    const int stored = m_params.value(key).toInt(&ok);
    if (!ok)
        return rtc::ERR_INVALID_ARGUMENT;
    value = stored;
    return rtc::ERR_OK;
}

int EngineCore::SetParameters(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return rtc::ERR_INVALID_ARGUMENT;
    const QJsonObject object = document.object();
    int result = rtc::ERR_OK;
    for (auto member = object.begin(); member != object.end(); ++member) {
        int rc = rtc::ERR_OK;
        const QJsonValue value = member.value();
        if (value.isBool())
            rc = SetBool(member.key(), value.toBool());
        else if (value.isDouble())
            rc = SetInt(member.key(), value.toInt());
        else if (value.isString())
            rc = SetString(member.key(), value.toString());
        else if (value.isObject())
            rc = SetObject(member.key(), QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
        if (result == rtc::ERR_OK)
            result = rc;
    }
    return result;
}

} // namespace rtcengine
