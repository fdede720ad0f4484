#pragma once

#include <QObject>
#include <QStringList>

class Profile;
class QThread;
class QTimer;

// Worker of the "Daemon Manager" thread: watches the audio devices while a
// class runs. Once started (after the RTC join) it compares the input and
// output device lists every kPollMs, tells the tool bar whether a
// microphone exists, hands a newly listed device to the device dialog and
// raises the device notices of the notice bar. What it tells the screens
// runs in the GUI thread, queued in the order told.
class DeamonThreadMgr : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 5000;

    DeamonThreadMgr(QThread* thread, Profile* profile);
    ~DeamonThreadMgr() override;

signals:
    void DeviceInfoGet();
    void Cleanup();

public slots:
    // The first call starts the poll timer; every later one (each timer
    // tick) checks the devices.
    void OnDeviceInfoGet();
    void OnCleanup();

private:
    void CheckDevices();
    // The playback volume as the engine has it, asked in the GUI thread
    // that owns the engine wrapper; 0 without one.
    static int PlaybackVolume();

    Profile* m_profile;
    QTimer* m_timer = nullptr;
    QStringList m_inputs;
    QStringList m_outputs;
};
