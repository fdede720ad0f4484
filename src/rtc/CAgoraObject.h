#pragma once

#include <memory>

class AudioOutManager;

// The one way to the RTC engine. For now it holds only the playback-device
// manager; there is no engine behind it yet.
class CAgoraObject
{
public:
    CAgoraObject();
    ~CAgoraObject();
    CAgoraObject(const CAgoraObject&) = delete;
    CAgoraObject& operator=(const CAgoraObject&) = delete;

    // Creates the playback-device manager on first use; true when one is held.
    bool CreateAudioOutManager();
    // The manager, or null before CreateAudioOutManager.
    AudioOutManager* GetAudioOutManager() const { return m_audioOut.get(); }

private:
    std::unique_ptr<AudioOutManager> m_audioOut;
};
