#pragma once

// The playback-device manager of the RTC engine wrapper. Stands in for the
// engine's device interface until the engine layer exists: it only keeps the
// volume it was given.
class AudioOutManager
{
public:
    // 0 to 255; true when the volume was taken.
    bool SetVolume(int volume);
    int GetVolume() const { return m_volume; }
    // Number of playback devices the engine reports.
    int GetDeviceCount() const { return m_deviceCount; }
    // Set by the engine layer when it enumerates the devices.
    void SetDeviceCount(int count) { m_deviceCount = count > 0 ? count : 0; }

private:
    int m_volume = 0;
    int m_deviceCount = 0;
};
