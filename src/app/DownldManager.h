#pragma once

#include "DownloadElem.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

class HttpClient;
class Profile;
class QNetworkAccessManager;
class QThread;

// Worker of the "Download Manager" thread: the queue of file transfers and
// the uploads and reports that must not block the GUI thread.
//
// Everything arrives as one of its own signals, emitted from any thread;
// the queue is touched only in the worker's thread. At most four transfers
// run at once. Each transfer ends with exactly one Nexus::DownloadFinish or
// Nexus::DownloadFailed, and a failed transfer gives its slot to the next
// waiting one. A finish is announced only for a complete file in place;
// after CleanUp nothing more is announced for the transfers it dropped. Requests are de-duplicated by (type, key), chat
// pictures excepted.
class DownldManager : public QObject
{
    Q_OBJECT

public:
    DownldManager(QThread* thread, Profile* profile);
    ~DownldManager() override;

    // The host of the public-address look-up: PLOVIX_IPINFO_HOST when set,
    // else the build's.
    static QString IpInfoHost();

    // Per-attempt time-out of transfers, reports and look-ups (20000 ms),
    // and the stall check of uploads (30000 ms). Any thread; tests shorten
    // them.
    void SetTimeOuts(int transferMs, int uploadCheckMs);
    // The stall check of uploads, in ms. Any thread.
    int GetUploadCheckInterval() const { return m_uploadCheckInterval; }

signals:
    void download(DownloadElem& elem);
    void AddToFinishQueue(DownloadElem& elem);
    void downloadFinished(int type, QString key);
    void retryDownload(int type, QString key);
    void refreshDownload(int type, QString key);
    void CleanUp();
    void ChatImageUpload(QString path);
    void DeviceInfoReport();
    void GetUserISPInfo();

public slots:
    void OnDownLoad(DownloadElem& elem);
    void OnAddToFinishQueue(DownloadElem& elem);
    void OnDownloadFinished(int type, QString key);
    void OnRetryDownload(int type, QString key);
    void OnRefreshDownload(int type, QString key);
    void OnCleanUp();
    void OnChatImageUpload(QString path);
    void OnDeviceInfoReport();
    void OnGetUserISPInfo();

private:
    // One queued transfer. A client exists only while it runs; waiting,
    // finished and failed entries keep only these few fields.
    struct Transfer {
        int type = 0;
        QString key;
        QString url;
        QString relatePath;
        int retryLimit = 3;
        int state = 0; // HttpClient::State
        int attempts = 0;
        // Fetches asked for again by the screens (a file that came whole but
        // is no picture); bounded by the retry limit too.
        int retriesAsked = 0;
        HttpClient* client = nullptr;
    };

    static Transfer TransferOf(const DownloadElem& elem, int state);
    // The largest file a transfer of this kind may bring.
    static qint64 MaxFileSize(int type);
    int GetDownloadingSize() const;
    void StartWaitingDownload();
    void Start(Transfer& transfer);
    bool IsDuplicate(const DownloadElem& elem) const;
    bool IsTargetBusy(const Transfer& candidate) const;
    Transfer* Find(int type, const QString& key);
    void OnClientDone(HttpClient* client, bool success);
    void FinishTransfer(Transfer& transfer);
    void DropClient(Transfer& transfer);
    void StopAll();
    QNetworkAccessManager* Manager();
    void UploadChatImage(const QString& path);

    Profile* m_profile;
    std::vector<Transfer> m_queue;
    // Transfers that run at once; the next request waits.
    int m_maxRunning = 4;
    QNetworkAccessManager* m_manager = nullptr;
    std::atomic<int> m_transferTimeOut { 20000 };
    std::atomic<int> m_uploadCheckInterval { 30000 };
    // Chat pictures asked for while one uploads (its wait runs the event
    // loop), sent after it in the order asked.
    QStringList m_waitingUploads;
    bool m_uploading = false;
};
