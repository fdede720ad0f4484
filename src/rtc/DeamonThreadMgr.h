#pragma once

#include <QObject>

class Profile;
class QThread;
class QTimer;

// Worker of the "Daemon Manager" thread: watches the audio devices while a
// class runs.
class DeamonThreadMgr : public QObject
{
    Q_OBJECT

public:
    DeamonThreadMgr(QThread* thread, Profile* profile);
    ~DeamonThreadMgr() override;

signals:
    void DeviceInfoGet();
    void Cleanup();

public slots:
    void OnDeviceInfoGet();
    void OnCleanup();

private:
    Profile* m_profile;
    QTimer* m_timer = nullptr;
};
