#pragma once

#include <QString>

namespace rtc {
class IAudioDeviceManager;
class IDeviceCollection;
class IRtcEngine;
class IVideoDeviceManager;
} // namespace rtc

// What the three device wrappers share: the engine's device manager of one
// kind and the list of its devices, enumerated afresh by each Create. GUI
// thread only.
class RtcDeviceManager
{
public:
    enum class Kind { Recording, Playback, Camera };

    explicit RtcDeviceManager(Kind kind);
    virtual ~RtcDeviceManager();
    RtcDeviceManager(const RtcDeviceManager&) = delete;
    RtcDeviceManager& operator=(const RtcDeviceManager&) = delete;

    // Drops what is held, then takes the engine's manager and lists the
    // devices; true when a list is held.
    bool Create(rtc::IRtcEngine* engine);
    // Number of devices listed at the last Create (0 without a list).
    int GetDeviceCount() const;
    // Name and id of the device at index; false without a list, for an
    // index out of range or when the engine fails.
    bool GetDevice(int index, QString& name, QString& id) const;
    // Id of the device in use; empty without a manager.
    QString GetCurDevice() const;
    // True when the engine took the id.
    bool SetCurDevice(const QString& id);
    // Releases the list and the manager.
    void Close();

protected:
    // 0 to 255; true when the engine took it.
    bool SetDeviceVolume(int volume);
    // The volume, 0 without a manager or when the engine fails.
    int GetDeviceVolume() const;

private:
    Kind m_kind;
    rtc::IAudioDeviceManager* m_audio = nullptr;
    rtc::IVideoDeviceManager* m_video = nullptr;
    rtc::IDeviceCollection* m_collection = nullptr;
};
