#include "Profile.h"

#include "DownldManager.h"
#include "UserSettings.h"
#include "rtc/DeamonThreadMgr.h"
#include "session/DataManager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

static QThread* MakeThread(const char* name)
{
    auto* thread = new QThread();
    thread->setObjectName(QLatin1String(name));
    return thread;
}

Profile::Profile(QObject* parent)
    : QObject(parent)
{
    SetCoursesPerHistoryPage(15);

    const bool test = UserSettings::Text(UserSettings::DevEnv) != QLatin1String("0");
    SetUrl(ServerProperties, ConfigHost(test) + QStringLiteral("/vesk-servers.properties"));
    // The update properties always come from the production host.
    SetUrl(UpdateProperties, ConfigHost(false) + QStringLiteral("/vesk-win.properties"));
    SetTestServerFlag(test ? 1 : 0);

    m_profileThread = MakeThread("Profile Manager");
    m_downloadThread = MakeThread("Download Manager");
    m_daemonThread = MakeThread("Daemon Manager");

    // Workers are deleted in their own thread as it finishes, so their
    // timers and sockets go away where they were made.
    m_dataManager = new DataManager(m_profileThread, this);
    m_dataManager->moveToThread(m_profileThread);
    connect(m_profileThread, &QThread::finished, m_dataManager, &QObject::deleteLater);

    m_downldManager = new DownldManager(m_downloadThread, this);
    m_downldManager->moveToThread(m_downloadThread);
    connect(m_downloadThread, &QThread::finished, m_downldManager, &QObject::deleteLater);

    m_deamonThreadMgr = new DeamonThreadMgr(m_daemonThread, this);
    m_deamonThreadMgr->moveToThread(m_daemonThread);
    connect(m_daemonThread, &QThread::finished, m_deamonThreadMgr, &QObject::deleteLater);
}

Profile::~Profile()
{
    StopWorker(m_profileThread, m_dataManager);
    StopWorker(m_downloadThread, m_downldManager);
    StopWorker(m_daemonThread, m_deamonThreadMgr);
}

template <typename Worker> void Profile::StopWorker(QThread*& thread, Worker*& worker)
{
    if (!thread)
        return;
    Worker* running = worker;
    // Nobody may reach the worker from now on.
    worker = nullptr;
    if (thread->isRunning()) {
        thread->quit();
        // A worker may still wait on a blocking call into this thread, so
        // keep serving it until the thread is gone.
        while (!thread->wait(50))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else if (!thread->isFinished()) {
        // Never started: no event loop will delete it, and no code runs in
        // that thread, so it can go here.
        delete running;
    }
    delete thread;
    thread = nullptr;
    // A worker hands the objects it gave up to this thread for deletion
    // (session model objects); once it has stopped, deliver what it queued
    // here and delete those objects, since no later event loop may run.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QString Profile::ConfigHost(bool testServer)
{
    const QString overrideHost = qEnvironmentVariable("PLOVIX_CONFIG_HOST");
    if (!overrideHost.isEmpty())
        return overrideHost;
    return QString::fromUtf8(testServer ? PLOVIX_CONFIG_HOST_TEST : PLOVIX_CONFIG_HOST_PROD);
}

QString Profile::ClassroomHost(bool testServer)
{
    const QString overrideHost = qEnvironmentVariable("PLOVIX_CLASSROOM_HOST");
    if (!overrideHost.isEmpty())
        return overrideHost;
    return QString::fromUtf8(testServer ? PLOVIX_CLASSROOM_HOST_TEST : PLOVIX_CLASSROOM_HOST_PROD);
}

void Profile::StartThreads()
{
    for (QThread* thread : { m_profileThread, m_downloadThread, m_daemonThread }) {
        if (thread && !thread->isRunning())
            thread->start(QThread::InheritPriority);
    }
}

void Profile::EnterRoom()
{
    if (m_dataManager)
        QMetaObject::invokeMethod(m_dataManager, "OnEnterRoom", Qt::AutoConnection);
}
