#include "AudioOutManager.h"

bool AudioOutManager::SetVolume(int volume)
{
    if (volume < 0 || volume > 255)
        return false;
    m_volume = volume;
    return true;
}
