#pragma once

#include <memory>

class AudioInManager;
class AudioOutManager;

// The one way to the RTC engine. For now it holds only the device managers;
// there is no engine behind it yet. GUI thread only.
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
    // The same for the recording-device manager.
    bool CreateAudioInManager();
    AudioInManager* GetAudioInManager() const { return m_audioIn.get(); }

private:
    std::unique_ptr<AudioOutManager> m_audioOut;
    std::unique_ptr<AudioInManager> m_audioIn;
};
