#pragma once

#include <QAudioFormat>
#include <QIODevice>

// A write-only device an audio input records into: each written block is
// measured for its peak sample and the level (0 to 1, relative to the
// largest value the format can hold) is announced with update(). GUI thread.
class AudioInfo : public QIODevice
{
    Q_OBJECT

public:
    AudioInfo(const QAudioFormat& format, QObject* parent = nullptr);

    // Opens write-only; the owner calls it before starting the input on it.
    void start();
    void stop();

    double level() const { return m_level; }
    // 0 when the format is not measured.
    quint32 maxAmplitude() const { return m_maxAmplitude; }

signals:
    void update();

protected:
    qint64 readData(char* data, qint64 maxlen) override;
    qint64 writeData(const char* data, qint64 len) override;

private:
    const QAudioFormat m_format;
    quint32 m_maxAmplitude = 0;
    double m_level = 0;
};

// The device test's microphone meter: the same sink as the tool bar's.
using MICVolumeAnalyse = AudioInfo;
