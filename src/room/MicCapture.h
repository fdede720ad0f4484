#pragma once

#include <QAudioFormat>
#include <QObject>
#include <functional>
#include <memory>

// A microphone recorded into a level sink: the tool bar's meter and the
// device test's. The real one records through MediaDevices; a machine
// without an input device fails quietly, so the meter simply stays at 0.
// GUI thread.
class MicCapture : public QObject
{
    Q_OBJECT

public:
    enum State { Stopped, Active, Suspended };

    using Factory = std::function<std::unique_ptr<MicCapture>()>;

    // The tool bar meter's sample rate.
    static constexpr int kMeterRate = 8000;

    explicit MicCapture(QObject* parent = nullptr);

    // The named input in format (the nearest one the device offers when it
    // does not take it), or what the factory makes.
    static std::unique_ptr<MicCapture> Create(const QString& deviceName, const QAudioFormat& format);
    // Replaces the real capture (tests); an empty factory restores it.
    static void SetFactory(Factory factory);

    // Opens the sink and starts recording with the given notify interval;
    // false (and still Stopped) when there is no device.
    virtual bool Start(int notifyMs) = 0;
    virtual void Suspend() = 0;
    virtual void Resume(int notifyMs) = 0;
    // Closes the sink and stops recording.
    virtual void Stop() = 0;
    virtual State GetState() const = 0;
    // The last measured level, 0 to 1.
    virtual double Level() const = 0;

signals:
    // A recorded block was measured.
    void update();
    // Recording stopped on its own: the device was unplugged or refused.
    void Failed();
};
