#include "DeamonThreadMgr.h"

#include <QDebug>
#include <QTimer>

DeamonThreadMgr::DeamonThreadMgr(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
{
    Q_UNUSED(thread)
    connect(this, &DeamonThreadMgr::DeviceInfoGet, this, &DeamonThreadMgr::OnDeviceInfoGet);
    connect(this, &DeamonThreadMgr::Cleanup, this, &DeamonThreadMgr::OnCleanup);
}

DeamonThreadMgr::~DeamonThreadMgr()
{
    // Runs in the watcher's own thread as it finishes, so its timer can be
    // stopped here.
    delete m_timer;
    m_timer = nullptr;
}

void DeamonThreadMgr::OnDeviceInfoGet()
{ }

void DeamonThreadMgr::OnCleanup()
{
    delete m_timer;
    m_timer = nullptr;
}
