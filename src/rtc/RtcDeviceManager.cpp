#include "RtcDeviceManager.h"

#include "app/Nexus.h"
#include "platform/RtcEngine.h"

#include <QDebug>

RtcDeviceManager::RtcDeviceManager(Kind kind)
    : m_kind(kind)
{ }

RtcDeviceManager::~RtcDeviceManager()
{
    Close();
}

bool RtcDeviceManager::Create(rtc::IRtcEngine* engine)
{
    Close();
    if (!engine)
        return false;
    if (m_kind == Kind::Camera) {
        if (engine->queryInterface(rtc::AGORA_IID_VIDEO_DEVICE_MANAGER, reinterpret_cast<void**>(&m_video)) != 0)
            m_video = nullptr;
        if (!m_video)
            return false;
        m_collection = m_video->enumerateVideoDevices();
        if (!m_collection) {
            m_video->release();
            m_video = nullptr;
            return false;
        }
        qDebug() << "GetDeviceCount:" << m_collection->getCount();
        return true;
    }
    if (engine->queryInterface(rtc::AGORA_IID_AUDIO_DEVICE_MANAGER, reinterpret_cast<void**>(&m_audio)) != 0)
        m_audio = nullptr;
    if (!m_audio)
        return false;
    m_collection
        = m_kind == Kind::Recording ? m_audio->enumerateRecordingDevices() : m_audio->enumeratePlaybackDevices();
    if (!m_collection) {
        m_audio->release();
        m_audio = nullptr;
        return false;
    }
    return true;
}

int RtcDeviceManager::GetDeviceCount() const
{
    return m_collection ? m_collection->getCount() : 0;
}

bool RtcDeviceManager::GetDevice(int index, QString& name, QString& id) const
{
    if (!m_collection || index < 0 || index >= m_collection->getCount())
        return false;
    char nameBuffer[rtc::kMaxDeviceIdLength] = {};
    char idBuffer[rtc::kMaxDeviceIdLength] = {};
    if (m_collection->getDevice(index, nameBuffer, idBuffer) != 0)
        return false;
    name = QString::fromUtf8(nameBuffer);
    id = QString::fromUtf8(idBuffer);
    return true;
}

QString RtcDeviceManager::GetCurDevice() const
{
    char id[rtc::kMaxDeviceIdLength] = {};
    int result = -1;
    if (m_kind == Kind::Camera && m_video)
        result = m_video->getDevice(id);
    else if (m_kind == Kind::Recording && m_audio)
        result = m_audio->getRecordingDevice(id);
    else if (m_kind == Kind::Playback && m_audio)
        result = m_audio->getPlaybackDevice(id);
    return result == 0 ? QString::fromUtf8(id) : QString();
}

bool RtcDeviceManager::SetCurDevice(const QString& id)
{
    const QByteArray bytes = id.toUtf8();
    if (bytes.size() >= rtc::kMaxDeviceIdLength)
        return false;
    char buffer[rtc::kMaxDeviceIdLength] = {};
    std::copy(bytes.constBegin(), bytes.constEnd(), buffer);
    if (m_kind == Kind::Camera)
        return m_video && m_video->setDevice(buffer) == 0;
    if (!m_audio)
        return false;
    if (m_kind == Kind::Playback)
        return m_audio->setPlaybackDevice(buffer) == 0;
    if (m_audio->setRecordingDevice(buffer) != 0)
        return false;
    if (Nexus* hub = Nexus::Instance())
        emit hub->MicrophoneChosen();
    return true;
}

bool RtcDeviceManager::SetDeviceVolume(int volume)
{
    if (!m_audio)
        return false;
    return (m_kind == Kind::Recording ? m_audio->setRecordingDeviceVolume(volume)
                                      : m_audio->setPlaybackDeviceVolume(volume))
        == 0;
}

int RtcDeviceManager::GetDeviceVolume() const
{
    if (!m_audio)
        return 0;
    int volume = 0;
    const int result = m_kind == Kind::Recording ? m_audio->getRecordingDeviceVolume(&volume)
                                                 : m_audio->getPlaybackDeviceVolume(&volume);
    return result == 0 ? volume : 0;
}

void RtcDeviceManager::Close()
{
    if (m_collection)
        m_collection->release();
    if (m_audio)
        m_audio->release();
    if (m_video)
        m_video->release();
    m_collection = nullptr;
    m_audio = nullptr;
    m_video = nullptr;
}
