#pragma once

#include "AppNativeProperty.h"
#include "ClassServerProperty.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>

class DataManager;
class DeamonThreadMgr;
class DownldManager;
class QThread;

// Owner of the three worker threads and their workers, and of the endpoint
// and local-state blocks. Lives in the GUI thread; deleted with the hub.
class Profile : public QObject, public ClassServerProperty, public AppNativeProperty
{
    Q_OBJECT

public:
    explicit Profile(QObject* parent = nullptr);
    ~Profile() override;

    // The configuration host: PLOVIX_CONFIG_HOST when set, else the build's
    // production or test host.
    static QString ConfigHost(bool testServer);
    // The classroom host, "host[:port]" without scheme: the configured
    // signalling, room-join and RTC key URLs begin with its "wss://" and
    // "https://" origins. PLOVIX_CLASSROOM_HOST when set, else the build's
    // production or test host.
    static QString ClassroomHost(bool testServer);
    // Whether "wssPlainRewrite" asks for plain ws and http towards a server
    // standing in for the classroom host (a probed candidate or a node
    // chosen in the login window); off, the secure schemes stay.
    static bool PlainRewrite();
    // The signalling, RTC key and room-join URLs (the configured ones, or
    // the current ones) with the classroom host's origins pointed at
    // server, by the rule of PlainRewrite.
    QHash<Url, QString> UrlsPointedAt(const QString& server, bool fromConfigured) const;

    QString GetServerPropertiesAddress() const { return GetUrl(ServerProperties); }
    QString GetUpdatePropertiesAddress() const { return GetUrl(UpdateProperties); }

    // Starts "Profile Manager", "Download Manager" and "Daemon Manager" in
    // that order; a running thread keeps running.
    void StartThreads();
    // Runs DataManager::OnEnterRoom in its thread.
    void EnterRoom();

    // Each worker lives in its own thread; null once that thread stopped.
    DataManager* GetDataManager() const { return m_dataManager.load(); }
    DownldManager* GetDownldManager() const { return m_downldManager.load(); }
    DeamonThreadMgr* GetDeamonThreadMgr() const { return m_deamonThreadMgr.load(); }

    QThread* GetProfileThread() const { return m_profileThread; }
    QThread* GetDownloadThread() const { return m_downloadThread; }
    QThread* GetDaemonThread() const { return m_daemonThread; }

private:
    void StopWorkers();

    QThread* m_profileThread = nullptr;
    QThread* m_downloadThread = nullptr;
    QThread* m_daemonThread = nullptr;
    // Read by every thread; cleared first at shut-down.
    std::atomic<DataManager*> m_dataManager { nullptr };
    std::atomic<DownldManager*> m_downldManager { nullptr };
    std::atomic<DeamonThreadMgr*> m_deamonThreadMgr { nullptr };
};
