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

private:
    int m_volume = 0;
};
