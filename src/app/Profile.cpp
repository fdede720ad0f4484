#include "Profile.h"

#include "DownldManager.h"
#include "UserSettings.h"
#include "rtc/DeamonThreadMgr.h"
#include "session/DataManager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <memory>

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
    auto* data = new DataManager(m_profileThread, this);
    data->moveToThread(m_profileThread);
    connect(m_profileThread, &QThread::finished, data, &QObject::deleteLater);
    m_dataManager = data;

    auto* downloads = new DownldManager(m_downloadThread, this);
    downloads->moveToThread(m_downloadThread);
    connect(m_downloadThread, &QThread::finished, downloads, &QObject::deleteLater);
    m_downldManager = downloads;

    auto* daemon = new DeamonThreadMgr(m_daemonThread, this);
    daemon->moveToThread(m_daemonThread);
    connect(m_daemonThread, &QThread::finished, daemon, &QObject::deleteLater);
    m_deamonThreadMgr = daemon;
}

Profile::~Profile()
{
    StopWorkers();
}

namespace {
// The workers call each other across threads (a report reads the session's
// ids, the session queues downloads), so none may be deleted while another
// still runs: each finishing thread waits here until every one has left its
// event loop, and only then deletes its worker.
struct Rendezvous {
    QMutex mutex;
    QWaitCondition allArrived;
    int missing = 0;

    void ArriveAndWait()
    {
        QMutexLocker lock(&mutex);
        if (--missing <= 0)
            allArrived.wakeAll();
        while (missing > 0)
            allArrived.wait(&mutex);
    }
};
} // namespace

void Profile::StopWorkers()
{
    // Nobody may reach a worker from now on.
    QObject* workers[]
        = { m_dataManager.exchange(nullptr), m_downldManager.exchange(nullptr), m_deamonThreadMgr.exchange(nullptr) };
    QThread* threads[] = { m_profileThread, m_downloadThread, m_daemonThread };

    auto rendezvous = std::make_shared<Rendezvous>();
    for (QThread* thread : threads) {
        if (thread->isRunning()) {
            ++rendezvous->missing;
            connect(
                thread, &QThread::finished, thread, [rendezvous] { rendezvous->ArriveAndWait(); },
                Qt::DirectConnection);
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (threads[i]->isRunning()) {
            threads[i]->quit();
        } else if (!threads[i]->isFinished()) {
            // Never started: no event loop will delete it, and no code runs
            // in that thread, so it can go here.
            delete workers[i];
        }
    }
    // A worker may still wait on a blocking call into this thread, so keep
    // serving it until every thread is gone.
    for (QThread* thread : threads) {
        while (!thread->wait(50))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    for (QThread* thread : threads)
        delete thread;
    m_profileThread = m_downloadThread = m_daemonThread = nullptr;

    // Workers hand the objects they gave up to this thread for deletion
    // (session model objects); deliver what they queued and delete those
    // objects now, since no later event loop may run.
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

bool Profile::PlainRewrite()
{
    return UserSettings::Text(UserSettings::WssPlainRewrite) == QLatin1String("1");
}

QHash<ClassServerProperty::Url, QString> Profile::UrlsPointedAt(const QString& server, bool fromConfigured) const
{
    const QString host = ClassroomHost(GetTestServerFlag() != 0);
    const bool plain = PlainRewrite();
    const QString wss = QStringLiteral("wss://") + host;
    const QString https = QStringLiteral("https://") + host;
    const QString ws = (plain ? QStringLiteral("ws://") : QStringLiteral("wss://")) + server;
    const QString http = (plain ? QStringLiteral("http://") : QStringLiteral("https://")) + server;
    return { { AppServer, GetUrl(fromConfigured ? AppServerConfigured : AppServer).replace(wss, ws) },
        { AgoraDynamicKey, GetUrl(fromConfigured ? AgoraDynamicKeyConfigured : AgoraDynamicKey).replace(https, http) },
        { RegServer, GetUrl(fromConfigured ? RegServerConfigured : RegServer).replace(https, http) } };
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
