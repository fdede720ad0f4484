#include "DownldManager.h"

#include "Nexus.h"

#include <QDebug>
#include <QThread>

DownldManager::DownldManager(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
{
    Q_UNUSED(thread)
    connect(this, SIGNAL(download(DownloadElem&)), this, SLOT(OnDownLoad(DownloadElem&)));
    connect(this, SIGNAL(AddToFinishQueue(DownloadElem&)), this, SLOT(OnAddToFinishQueue(DownloadElem&)));
    connect(this, &DownldManager::downloadFinished, this, &DownldManager::OnDownloadFinished);
    connect(this, &DownldManager::retryDownload, this, &DownldManager::OnRetryDownload);
    connect(this, &DownldManager::refreshDownload, this, &DownldManager::OnRefreshDownload);
    connect(this, &DownldManager::CleanUp, this, &DownldManager::OnCleanUp);
    connect(this, &DownldManager::ChatImageUpload, this, &DownldManager::OnChatImageUpload);
    connect(this, &DownldManager::DeviceInfoReport, this, &DownldManager::OnDeviceInfoReport);
    connect(this, &DownldManager::GetUserISPInfo, this, &DownldManager::OnGetUserISPInfo);
}

DownldManager::~DownldManager()
{
    qDebug() << "into DownldManager::~DownldManager";
}

void DownldManager::OnDownLoad(DownloadElem& elem)
{
    qDebug() << "OnDownLoad thread:" << QThread::currentThreadId() << ",key:" << elem.key;
}

void DownldManager::OnAddToFinishQueue(DownloadElem& elem)
{
    if (Nexus* hub = Nexus::Instance())
        emit hub->DownloadFinish(elem.type, elem.key);
}

void DownldManager::OnDownloadFinished(int type, QString key)
{
    Q_UNUSED(type)
    Q_UNUSED(key)
}

void DownldManager::OnRetryDownload(int type, QString key)
{
    Q_UNUSED(type)
    Q_UNUSED(key)
}

void DownldManager::OnRefreshDownload(int type, QString key)
{
    Q_UNUSED(type)
    Q_UNUSED(key)
}

void DownldManager::OnCleanUp()
{ }

void DownldManager::OnChatImageUpload(QString path)
{
    Q_UNUSED(path)
}

void DownldManager::OnDeviceInfoReport()
{ }

void DownldManager::OnGetUserISPInfo()
{
    qDebug() << "into OnGetUserISPInfo, thread:" << QThread::currentThreadId();
}
