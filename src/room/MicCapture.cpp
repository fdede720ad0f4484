#include "MicCapture.h"

#include "rtc/AudioInfo.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QDebug>

namespace {

MicCapture::Factory& TestFactory()
{
    static MicCapture::Factory factory;
    return factory;
}

class QtMicCapture : public MicCapture
{
public:
    QtMicCapture()
    {
        QAudioFormat format;
        format.setSampleRate(8000);
        format.setChannelCount(1);
        format.setSampleSize(16);
        format.setSampleType(QAudioFormat::SignedInt);
        format.setByteOrder(QAudioFormat::LittleEndian);
        format.setCodec(QStringLiteral("audio/pcm"));
        const QAudioDeviceInfo device = QAudioDeviceInfo::defaultInputDevice();
        if (device.isNull()) {
            qDebug() << "no audio input device, the microphone meter stays at 0";
            return;
        }
        if (!device.isFormatSupported(format)) {
            qWarning() << "Default format not supported - trying to use nearest";
            format = device.nearestFormat(format);
        }
        m_sink = new AudioInfo(format, this);
        m_input = new QAudioInput(device, format, this);
        connect(m_sink, &AudioInfo::update, this, &MicCapture::update);
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
    QAudioInput* m_input = nullptr;
};

} // namespace

MicCapture::MicCapture(QObject* parent)
    : QObject(parent)
{ }

std::unique_ptr<MicCapture> MicCapture::Create()
{
    if (TestFactory())
        return TestFactory()();
    return std::make_unique<QtMicCapture>();
}

void MicCapture::SetFactory(Factory factory)
{
    TestFactory() = std::move(factory);
}
