#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class AudioStream;
class QIODevice;

// Lets the user hear the own microphone during the device test: each
// recorded block is smoothed, amplified by the gain and written to the
// output at once. GUI thread; the input's readyRead drives it.
class RecordAndPlay : public QObject
{
    Q_OBJECT

public:
    enum Failure { InputFailed, OutputFailed, FormatRefused };
    Q_ENUM(Failure)

    // Blocks are at most this long: 256 ms of the 8000 Hz mono format.
    static constexpr int kMaxBlockBytes = 4096;

    // The system default input and output.
    explicit RecordAndPlay(QObject* parent = nullptr);
    // The named input and output (the ones chosen in the device test).
    RecordAndPlay(const QString& inputDevice, const QString& outputDevice, QObject* parent = nullptr);
    ~RecordAndPlay() override;

    // 50 keeps the loudness; the device test passes its microphone volume
    // slider's 0 to 255.
    void SetGain(int gain) { m_gain = gain; }
    int GetGain() const { return m_gain; }
    QAudioFormat GetFormat() const { return m_format; }

    // Smooths samples in place (each one two thirds the previous result and
    // one third its own value; the first unchanged), then applies the gain
    // with saturation.
    static void Process(qint16* samples, int count, int gain);

public slots:
    void OnRecordPlayStart();
    void OnRecordPlayStop();
    void ReadMore();

signals:
    // Playing back stopped working or could not begin.
    void Failed(RecordAndPlay::Failure failure);

private:
    void InitializeAudio();
    void CreateAudioInput();
    void Fail(Failure failure);
    void WatchStream(AudioStream* stream, Failure failure);

    QString m_inputDevice;
    QString m_outputDevice;
    QAudioFormat m_format;
    std::unique_ptr<AudioStream> m_audioInput;
    std::unique_ptr<AudioStream> m_audioOutput;
    QIODevice* m_readDevice = nullptr;
    QIODevice* m_writeDevice = nullptr;
    QByteArray m_buffer;
    // A byte of a sample split between two reads, kept at the buffer's start.
    int m_carry = 0;
    int m_gain = 0;
    // Why nothing can be played back, found while setting up.
    std::optional<Failure> m_setupFailure;
    bool m_running = false;
};
