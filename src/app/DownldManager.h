#pragma once

#include "DownloadElem.h"

#include <QObject>

class Profile;
class QThread;

// Worker of the "Download Manager" thread: the queue of file transfers and
// the uploads and reports that must not block the GUI thread.
class DownldManager : public QObject
{
    Q_OBJECT

public:
    DownldManager(QThread* thread, Profile* profile);
    ~DownldManager() override;

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
    Profile* m_profile;
};
