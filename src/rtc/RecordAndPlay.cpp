#include "RecordAndPlay.h"

#include "platform/SystemDevices.h"
#include "rtc/MediaDevices.h"

#include <QDebug>
#include <QIODevice>
#include <cmath>

namespace {
constexpr int kBufferBytes = 14096;
constexpr int kUnchangedGain = 50;

// The blocks are processed as 16-bit signed little-endian mono samples; a
// device that took only something else is not fed.
bool IsProcessable(const QAudioFormat& format)
{
    return format.sampleSize() == 16 && format.sampleType() == QAudioFormat::SignedInt
        && format.byteOrder() == QAudioFormat::LittleEndian && format.channelCount() == 1;
}
} // namespace

RecordAndPlay::RecordAndPlay(QObject* parent)
    : RecordAndPlay(MediaDevices::Get().DefaultAudioDevice(QAudio::AudioInput),
        MediaDevices::Get().DefaultAudioDevice(QAudio::AudioOutput), parent)
{ }

RecordAndPlay::RecordAndPlay(const QString& inputDevice, const QString& outputDevice, QObject* parent)
    : QObject(parent)
    , m_inputDevice(inputDevice)
    , m_outputDevice(outputDevice)
    , m_buffer(kBufferBytes, '\0')
{
    InitializeAudio();
}

RecordAndPlay::~RecordAndPlay()
{
    OnRecordPlayStop();
}

void RecordAndPlay::InitializeAudio()
{
    m_format = SystemDevices::PcmFormat(8000);
    MediaDevices& devices = MediaDevices::Get();
    m_format = devices.NearestFormat(QAudio::AudioInput, m_inputDevice, m_format);
    m_format = devices.NearestFormat(QAudio::AudioOutput, m_outputDevice, m_format);
    // The output's choice must still suit the input, and both must give
    // samples this object knows how to process.
    if (!IsProcessable(m_format) || devices.NearestFormat(QAudio::AudioInput, m_inputDevice, m_format) != m_format) {
        qDebug() << "[ERROR]RecordAndPlay: the devices take no 16-bit mono format, and format:" << m_format;
        m_setupFailure = FormatRefused;
        return;
    }
    CreateAudioInput();
    m_audioOutput = devices.OpenAudio(QAudio::AudioOutput, m_outputDevice, m_format);
    if (!m_audioInput)
        m_setupFailure = InputFailed;
    else if (!m_audioOutput)
        m_setupFailure = OutputFailed;
}

void RecordAndPlay::CreateAudioInput()
{
    if (m_readDevice) {
        disconnect(m_readDevice, nullptr, this, nullptr);
        m_readDevice = nullptr;
    }
    m_audioInput = MediaDevices::Get().OpenAudio(QAudio::AudioInput, m_inputDevice, m_format);
}

void RecordAndPlay::WatchStream(AudioStream* stream, Failure failure)
{
    connect(stream, &AudioStream::stateChanged, this, [this, stream, failure](QAudio::State state) {
        if (m_running && state == QAudio::StoppedState && stream->error() != QAudio::NoError) {
            qDebug() << "RecordAndPlay: a device stopped, error:" << stream->error();
            Fail(failure);
        }
    });
}

void RecordAndPlay::OnRecordPlayStart()
{
    if (m_running)
        return;
    if (m_setupFailure) {
        emit Failed(*m_setupFailure);
        return;
    }
    m_running = true;
    m_writeDevice = m_audioOutput->start();
    if (!m_writeDevice) {
        Fail(OutputFailed);
        return;
    }
    m_readDevice = m_audioInput->start();
    if (!m_readDevice) {
        Fail(InputFailed);
        return;
    }
    m_carry = 0;
    WatchStream(m_audioOutput.get(), OutputFailed);
    WatchStream(m_audioInput.get(), InputFailed);
    connect(m_readDevice, &QIODevice::readyRead, this, &RecordAndPlay::ReadMore);
}

void RecordAndPlay::OnRecordPlayStop()
{
    m_running = false;
    if (m_audioOutput) {
        disconnect(m_audioOutput.get(), nullptr, this, nullptr);
        m_audioOutput->stop();
    }
    if (m_audioInput) {
        disconnect(m_audioInput.get(), nullptr, this, nullptr);
        m_audioInput->stop();
    }
    if (m_readDevice)
        disconnect(m_readDevice, nullptr, this, nullptr);
    m_readDevice = nullptr;
    m_writeDevice = nullptr;
}

void RecordAndPlay::Fail(Failure failure)
{
    OnRecordPlayStop();
    emit Failed(failure);
}

void RecordAndPlay::ReadMore()
{
    if (!m_audioInput || !m_readDevice || !m_writeDevice)
        return;
    const int length = qMin(m_audioInput->bytesReady(), kMaxBlockBytes);
    const qint64 read = m_readDevice->read(m_buffer.data() + m_carry, length);
    if (read <= 0)
        return;
    const int bytes = m_carry + int(read);
    const int samples = bytes / 2;
    Process(reinterpret_cast<qint16*>(m_buffer.data()), samples, m_gain);
    // Only whole samples are played; a half sample waits for its other byte.
    if (m_writeDevice->write(m_buffer.constData(), samples * 2) < 0) {
        Fail(OutputFailed);
        return;
    }
    m_carry = bytes % 2;
    if (m_carry)
        m_buffer[0] = m_buffer.at(bytes - 1);
}

void RecordAndPlay::Process(qint16* samples, int count, int gain)
{
    if (count <= 0)
        return;
    int previous = samples[0];
    for (int i = 1; i < count; ++i) {
        previous = static_cast<int>(std::trunc(0.667 * previous + 0.333 * samples[i]));
        samples[i] = static_cast<qint16>(previous);
    }
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<qint16>(qBound(-32768, samples[i] * gain / kUnchangedGain, 32767));
}
