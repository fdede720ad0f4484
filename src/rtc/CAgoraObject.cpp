#include "CAgoraObject.h"

#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"

CAgoraObject::CAgoraObject() = default;

CAgoraObject::~CAgoraObject() = default;

bool CAgoraObject::CreateAudioOutManager()
{
    if (!m_audioOut)
        m_audioOut = std::make_unique<AudioOutManager>();
    return m_audioOut != nullptr;
}

bool CAgoraObject::CreateAudioInManager()
{
    if (!m_audioIn)
        m_audioIn = std::make_unique<AudioInManager>();
    return m_audioIn != nullptr;
}
