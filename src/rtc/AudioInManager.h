#pragma once

// The recording-device manager of the RTC engine wrapper. Stands in for the
// engine's device interface until the engine layer exists.
class AudioInManager
{
public:
    // Number of recording devices the engine reports.
    int GetDeviceCount() const { return m_deviceCount; }
    // Set by the engine layer when it enumerates the devices.
    void SetDeviceCount(int count) { m_deviceCount = count > 0 ? count : 0; }

private:
    int m_deviceCount = 0;
};
