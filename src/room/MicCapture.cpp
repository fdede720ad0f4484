#include "MicCapture.h"

#include "platform/SystemDevices.h"
#include "rtc/AudioInfo.h"
#include "rtc/MediaDevices.h"

#include <QDebug>

namespace {

MicCapture::Factory& TestFactory()
{
    static MicCapture::Factory factory;
    return factory;
}

class StreamMicCapture : public MicCapture
{
public:
    StreamMicCapture(const QString& deviceName, QAudioFormat format)
    {
        if (deviceName.isEmpty()) {
            qDebug() << "no audio input device, the microphone meter stays at 0";
            return;
        }
        MediaDevices& devices = MediaDevices::Get();
        const QAudioFormat nearest = devices.NearestFormat(QAudio::AudioInput, deviceName, format);
        if (nearest != format) {
            qWarning() << "Default format not supported - trying to use nearest";
            format = nearest;
        }
        m_input = devices.OpenAudio(QAudio::AudioInput, deviceName, format);
        if (!m_input) {
            qDebug() << "the microphone" << deviceName << "is not listed, the meter stays at 0";
            return;
        }
        m_sink = new AudioInfo(format, this);
        connect(m_sink, &AudioInfo::update, this, &MicCapture::update);
        connect(m_input.get(), &AudioStream::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && m_input->error() != QAudio::NoError) {
                qDebug() << "the microphone stopped recording, error:" << m_input->error();
                m_sink->stop();
                emit Failed();
            }
        });
    }

    bool Start(int notifyMs) override
    {
        if (!m_input)
            return false;
        m_sink->start();
        m_input->setNotifyInterval(notifyMs);
        m_input->start(m_sink);
        if (m_input->error() != QAudio::NoError) {
            qDebug() << "the microphone meter could not start capturing, error:" << m_input->error();
            Stop();
            return false;
        }
        return true;
    }
    void Suspend() override
    {
        if (m_input && m_input->state() == QAudio::ActiveState)
            m_input->suspend();
    }
    void Resume(int notifyMs) override
    {
        if (!m_input)
            return;
        m_input->setNotifyInterval(notifyMs);
        m_input->resume();
    }
    void Stop() override
    {
        if (!m_input)
            return;
        m_sink->stop();
        m_input->stop();
    }
    State GetState() const override
    {
        if (!m_input)
            return Stopped;
        switch (m_input->state()) {
        case QAudio::ActiveState:
        case QAudio::IdleState:
            return Active;
        case QAudio::SuspendedState:
            return Suspended;
        default:
            return Stopped;
        }
    }
    double Level() const override { return m_sink ? m_sink->level() : 0; }

private:
    AudioInfo* m_sink = nullptr;
    std::unique_ptr<AudioStream> m_input;
};

} // namespace

MicCapture::MicCapture(QObject* parent)
    : QObject(parent)
{ }

std::unique_ptr<MicCapture> MicCapture::Create(const QString& deviceName, const QAudioFormat& format)
{
    if (TestFactory())
        return TestFactory()();
    return std::make_unique<StreamMicCapture>(deviceName, format);
}

void MicCapture::SetFactory(Factory factory)
{
    TestFactory() = std::move(factory);
}
