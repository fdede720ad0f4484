#include "DownldManager.h"

#include "AppPaths.h"
#include "AutoTimeOutEventLoop.h"
#include "HttpClient.h"
#include "NetworkAccessManager.h"
#include "Nexus.h"
#include "Profile.h"
#include "SharedFunctions.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/MediaPlayer.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatWidget.h"

#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QThread>

namespace {

// Address texts longer than this are not addresses, cities or suppliers.
const int kMaxAddressText = 256;

bool IsChatPicture(int type)
{
    return type == DownloadChatSmallImage || type == DownloadChatFullImage;
}

// "yyyyMMdd" of the fixed compile date the report has always carried.
QString BuildDate()
{
    static const QString date = [] {
        QString text = QStringLiteral("Oct 22 2018");
        if (text.at(4) == QLatin1Char(' '))
            text[4] = QLatin1Char('0');
        return QLocale(QLocale::English)
            .toDate(text, QStringLiteral("MMM dd yyyy"))
            .toString(QStringLiteral("yyyyMMdd"));
    }();
    return date;
}

struct DeviceCounts {
    int playback = 0;
    int recording = 0;
};

// GUI thread: the engine wrapper and its managers live there.
DeviceCounts ReadDeviceCounts()
{
    DeviceCounts counts;
    if (Nexus::IsTornDown())
        return counts;
    Player* player = Nexus::GetPlayer();
    MediaPlayer* media = player ? player->GetMediaPlayer() : nullptr;
    CAgoraObject* engine = media ? media->GetAgoraObject() : nullptr;
    if (!engine)
        return counts;
    if (AudioOutManager* out = engine->GetAudioOutManager())
        counts.playback = out->GetDeviceCount();
    if (AudioInManager* in = engine->GetAudioInManager())
        counts.recording = in->GetDeviceCount();
    return counts;
}

// Asks the GUI thread and waits; nothing is asked once the shut-down began
// (the GUI thread keeps serving such calls while it waits for this thread).
DeviceCounts FetchDeviceCounts()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || Nexus::IsTornDown())
        return {};
    if (QThread::currentThread() == app->thread())
        return ReadDeviceCounts();
    DeviceCounts counts;
    QMetaObject::invokeMethod(
        app, [&counts] { counts = ReadDeviceCounts(); }, Qt::BlockingQueuedConnection);
    return counts;
}

QString Unknown(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("unknow") : text;
}

// A string field of an untrusted answer; false when missing, of the wrong
// type or too long, so what was stored before stays.
bool AddressText(const QJsonObject& object, const char* name, QString* text)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString()) {
        qDebug() << "GetUserISPInfo, no text for" << name;
        return false;
    }
    if (value.toString().size() > kMaxAddressText) {
        qWarning() << "GetUserISPInfo, dropped an overlong" << name;
        return false;
    }
    *text = value.toString();
    return true;
}

} // namespace

DownldManager::DownldManager(QThread* thread, Profile* profile)
    : QObject(nullptr)
    , m_profile(profile)
{
    Q_UNUSED(thread)
    // Queued signals with a reference argument copy the value through the
    // meta type of the reference name; registering again is harmless.
    qRegisterMetaType<DownloadElem>("DownloadElem");
    qRegisterMetaType<DownloadElem>("DownloadElem&");
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
    StopAll();
}

QString DownldManager::IpInfoHost()
{
    const QString overrideHost = qEnvironmentVariable("PLOVIX_IPINFO_HOST");
    return overrideHost.isEmpty() ? QString::fromUtf8(PLOVIX_IPINFO_HOST) : overrideHost;
}

void DownldManager::SetTimeOuts(int transferMs, int uploadCheckMs)
{
    m_transferTimeOut = transferMs > 0 ? transferMs : 20000;
    m_uploadCheckInterval = uploadCheckMs > 0 ? uploadCheckMs : 30000;
}

QNetworkAccessManager* DownldManager::Manager()
{
    // Made in the worker's thread on first use; one for every transfer.
    if (!m_manager)
        m_manager = new NetworkAccessManager(this);
    return m_manager;
}

// ---- the transfer queue ----

int DownldManager::GetDownloadingSize() const
{
    int running = 0;
    for (const Transfer& transfer : m_queue)
        running += transfer.state == HttpClient::StateRunning ? 1 : 0;
    return running;
}

bool DownldManager::IsDuplicate(const DownloadElem& elem) const
{
    if (IsChatPicture(elem.type))
        return false;
    for (const Transfer& transfer : m_queue) {
        if (transfer.type == elem.type && transfer.key == elem.key)
            return true;
    }
    return false;
}

static QString TargetOf(const QString& url, const QString& relatePath)
{
    return QDir::cleanPath(QDir(relatePath).absolutePath() + QLatin1Char('/') + AppPaths::UrlFileName(url));
}

bool DownldManager::IsTargetBusy(const Transfer& candidate) const
{
    // Two transfers into one file would share its part file; the second
    // waits for the first.
    const QString target = TargetOf(candidate.url, candidate.relatePath);
    for (const Transfer& transfer : m_queue) {
        if (transfer.state == HttpClient::StateRunning && TargetOf(transfer.url, transfer.relatePath) == target)
            return true;
    }
    return false;
}

DownldManager::Transfer* DownldManager::Find(int type, const QString& key)
{
    for (Transfer& transfer : m_queue) {
        if (transfer.type == type && transfer.key == key)
            return &transfer;
    }
    return nullptr;
}

void DownldManager::Start(Transfer& transfer)
{
    auto* client = new HttpClient(transfer.retryLimit, m_transferTimeOut, this);
    client->SetNetworkAccessManager(Manager());
    client->SetMaxFileSize(MaxFileSize(transfer.type));
    client->SetKey(transfer.key);
    client->SetDownloadType(transfer.type);
    client->SetState(HttpClient::StateRunning);
    transfer.client = client;
    transfer.state = HttpClient::StateRunning;
    // The end is matched to the transfer by the client itself, never by key.
    connect(client, &HttpClient::Finished, this, [this, client](bool success) { OnClientDone(client, success); });
    client->downloadFile(transfer.url, transfer.relatePath, true);
}

qint64 DownldManager::MaxFileSize(int type)
{
    const qint64 mib = 1024 * 1024;
    switch (type) {
    case DownloadCoursePage:
        // Course pages may be whole documents.
        return 64 * mib;
    case DownloadServerProperties:
        // The reader refuses a large file itself, with its own log line.
        return 4 * mib;
    case DownloadChatFullImage:
        return 16 * mib;
    default:
        // Avatars, list pictures and small chat pictures.
        return 8 * mib;
    }
}

DownldManager::Transfer DownldManager::TransferOf(const DownloadElem& elem, int state)
{
    Transfer transfer;
    transfer.type = elem.type;
    transfer.key = elem.key;
    transfer.url = elem.url;
    transfer.relatePath = elem.relatePath;
    transfer.retryLimit = elem.retryLimit > 0 ? elem.retryLimit : 3;
    transfer.state = state;
    return transfer;
}

void DownldManager::OnDownLoad(DownloadElem& elem)
{
    qDebug() << "OnDownLoad thread:" << QThread::currentThreadId() << ",key:" << elem.key;
    if (IsDuplicate(elem))
        return;
    const int running = GetDownloadingSize();
    m_queue.push_back(TransferOf(elem, HttpClient::StateWaiting));
    if (running < m_maxRunning && !IsTargetBusy(m_queue.back()))
        Start(m_queue.back());
    qDebug() << "into  OnDownLoad, key:" << elem.key << ",and queue size:" << m_queue.size()
             << "_currDownloadingSize:" << running;
}

void DownldManager::OnAddToFinishQueue(DownloadElem& elem)
{
    if (IsDuplicate(elem))
        return;
    m_queue.push_back(TransferOf(elem, HttpClient::StateFinished));
    if (Nexus* hub = Nexus::Instance())
        emit hub->DownloadFinish(elem.type, elem.key);
    qDebug() << "into  OnAddToFinishQueue, key:" << elem.key << ",and queue size:" << m_queue.size();
}

void DownldManager::DropClient(Transfer& transfer)
{
    HttpClient* client = transfer.client;
    if (!client)
        return;
    transfer.client = nullptr;
    transfer.attempts = client->GetCurRetryTimes();
    client->disconnect(this);
    client->Stop();
    // Possibly inside the client's own signal: delete it from the loop.
    client->deleteLater();
}

void DownldManager::OnClientDone(HttpClient* client, bool success)
{
    for (Transfer& transfer : m_queue) {
        if (transfer.client != client)
            continue;
        DropClient(transfer);
        if (success) {
            FinishTransfer(transfer);
            return;
        }
        // The client has announced the failure; the slot goes to the next.
        qDebug() << "into DownldManager, transfer failed, key:" << transfer.key << ",type:" << transfer.type
                 << ",attempts:" << transfer.attempts;
        transfer.state = HttpClient::StateFailed;
        StartWaitingDownload();
        return;
    }
}

void DownldManager::FinishTransfer(Transfer& transfer)
{
    qDebug() << "before call OnDownloadFinished, queue list:" << m_queue.size() << ",key:" << transfer.key;
    transfer.state = HttpClient::StateFinished;
    const int type = transfer.type;
    const QString key = transfer.key;
    // Starting the next one may grow the queue; transfer is not used after.
    StartWaitingDownload();
    if (Nexus* hub = Nexus::Instance())
        emit hub->DownloadFinish(type, key);
}

// A running transfer announces its own end once its file is complete and
// in place; a finish claimed from outside would stop it and announce a file
// that is not there, so it is only logged.
void DownldManager::OnDownloadFinished(int type, QString key)
{
    const Transfer* transfer = Find(type, key);
    qDebug() << "OnDownloadFinished, not taken from outside, type:" << type << ",key:" << key
             << ",state:" << (transfer ? transfer->state : -1);
}

void DownldManager::StartWaitingDownload()
{
    const int running = GetDownloadingSize();
    if (running >= m_maxRunning)
        return;
    for (Transfer& transfer : m_queue) {
        if (transfer.state != HttpClient::StateWaiting || IsTargetBusy(transfer))
            continue;
        Start(transfer);
        qDebug() << "into  OnDownloadFinished, add waiting elemt to queue and key:" << transfer.key
                 << ",url:" << transfer.url << ",and queue size:" << m_queue.size()
                 << "_currDownloadingSize:" << running << ",path:" << transfer.relatePath;
        return;
    }
}

void DownldManager::OnRetryDownload(int type, QString key)
{
    qDebug() << "before call OnRetryDownload, queue list:" << m_queue.size() << ",key:" << key
             << ",GetDownloadingSize:" << GetDownloadingSize();
    Transfer* found = nullptr;
    for (Transfer& transfer : m_queue) {
        qDebug() << "into OnRetryDownload, key:item->key" << transfer.key << "downloadType:" << transfer.type;
        if (transfer.type == type && transfer.key == key) {
            found = &transfer;
            break;
        }
    }
    if (!found) {
        qDebug() << "into OnRetryDownload, no transfer of type" << type << "with key:" << key;
        return;
    }
    if (found->state == HttpClient::StateRunning || found->state == HttpClient::StateWaiting) {
        qDebug() << "into OnRetryDownload, already on its way, key:" << key;
        return;
    }
    if (found->attempts >= found->retryLimit || found->retriesAsked >= found->retryLimit) {
        qDebug() << "into OnRetryDownload, key:httpCurRetryTimes" << found->attempts
                 << "httpRetryTimesThreshold:" << found->retryLimit;
        if (Nexus* hub = Nexus::Instance())
            emit hub->DownloadFailed(type, key);
        return;
    }
    const QString path = found->relatePath + QLatin1Char('/') + AppPaths::UrlFileName(found->url);
    qDebug() << "into OnRetryDownload, _path:" << path;
    // Only a file of our own is ever removed.
    if (AppPaths::IsInside(AppPaths::DataFolder(), QFileInfo(path).absoluteFilePath()) && QFile::exists(path))
        QFile::remove(path);
    ++found->retriesAsked;
    found->state = HttpClient::StateWaiting;
    StartWaitingDownload();
}

void DownldManager::OnRefreshDownload(int type, QString key)
{
    Transfer* transfer = Find(type, key);
    if (!transfer) {
        qDebug() << "into OnRefreshDownload, no transfer of type" << type << "with key:" << key;
        return;
    }
    if (transfer->state != HttpClient::StateRunning) {
        transfer->attempts = 0;
        transfer->retriesAsked = 0;
    }
    OnRetryDownload(type, key);
}

void DownldManager::StopAll()
{
    for (Transfer& transfer : m_queue)
        DropClient(transfer);
    m_queue.clear();
}

void DownldManager::OnCleanUp()
{
    // Pictures not yet sent belong to the room being left.
    m_waitingUploads.clear();
    StopAll();
    qDebug() << "aft call DownldManager::OnCleanUp, queue list size:" << m_queue.size();
}

// ---- uploads, report and look-up ----

void DownldManager::OnChatImageUpload(QString path)
{
    // One at a time: the answers then come in the order the pictures were
    // asked for, which is how the chat tells its rows apart.
    m_waitingUploads.append(path);
    if (m_uploading)
        return;
    m_uploading = true;
    while (!m_waitingUploads.isEmpty())
        UploadChatImage(m_waitingUploads.takeFirst());
    m_uploading = false;
}

void DownldManager::UploadChatImage(const QString& path)
{
    // Whatever ends the upload short, the chat panel hears of it, so the
    // picture does not stay "sending" for ever.
    bool delivered = false;
    const auto reportFailure = qScopeGuard([&] {
        ChatWidget* chat = Nexus::GetChatWidget();
        if (!delivered && chat)
            emit chat->UploadImageFailed(path);
    });
    DataManager* data = m_profile ? m_profile->GetDataManager() : Nexus::GetDataManager();
    if (!m_profile || !data) {
        qDebug() << "ChatImageUpload failed! err:"
                 << "no session";
        return;
    }
    const QUrl url(m_profile->GetUrl(ClassServerProperty::ChatMultiUpload));
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString defaultHeader = QStringLiteral("application/%1").arg(suffix);
    qDebug() << "defaultHeader:" << defaultHeader << ",_fileSuffix:" << suffix;

    auto* multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    auto* file = new QFile(path, multipart);
    if (!file->open(QIODevice::ReadOnly)) {
        qDebug() << "ChatImageUpload failed! err:" << file->errorString();
        delete multipart;
        return;
    }
    QHttpPart filePart;
    filePart.setRawHeader("Content-Disposition",
        QStringLiteral(" form-data; name=\"file\"; filename=\"%1\" ").arg(info.fileName()).toUtf8());
    const QString lower = suffix.toLower();
    if (lower == QLatin1String("png")) {
        filePart.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("image/png"));
    } else if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg")) {
        filePart.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("image/jpeg"));
    } else {
        qDebug() << "use default file part";
        filePart.setHeader(QNetworkRequest::ContentTypeHeader, defaultHeader);
    }
    filePart.setBodyDevice(file);
    multipart->append(filePart);

    QHttpPart roomPart;
    roomPart.setRawHeader("Content-Disposition", "form-data; name=\"roomId\" ");
    roomPart.setBody(data->GetRoomId().toUtf8());
    multipart->append(roomPart);
    QHttpPart userPart;
    userPart.setRawHeader("Content-Disposition", "form-data; name=\"userId\"");
    userPart.setBody(QByteArray::number(data->GetUserId()));
    multipart->append(userPart);

    QNetworkReply* reply = Manager()->post(QNetworkRequest(url), multipart);
    multipart->setParent(reply);
    AutoTimeOutEventLoop loop(reply);
    loop.SetCheckInterval(m_uploadCheckInterval);
    loop.Exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray body = loop.GetBody();
    if (loop.GetNetworkError() != 0 || body.isEmpty()) {
        qDebug() << "ChatImageUpload failed! err:" << loop.GetNetworkError() << loop.GetErrorText();
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        qDebug() << "ChatImageUpload error:" << parseError.errorString();
        return;
    }
    qDebug() << "ChatImageUpload response" << LoggableBody(body);
    if (!document.isObject()) {
        qDebug() << "ChatImageUpload error, shoud json object";
        return;
    }
    const QJsonObject answer = document.object();
    const QJsonValue code = answer.value(QLatin1String("returncode"));
    if (!code.isString() || code.toString() != QLatin1String("SUCCESS")) {
        qDebug() << "ChatImageUpload error,code:" << document.toJson(QJsonDocument::Compact).left(1024);
        return;
    }
    const QJsonValue list = answer.value(QLatin1String("data"));
    if (!list.isArray()) {
        qDebug() << "ChatImageUpload error, data is not an array";
        return;
    }
    if (list.toArray().isEmpty())
        return;
    const QJsonObject first = list.toArray().first().toObject();
    const QJsonValue imageValue = first.value(QLatin1String("imageId"));
    const QJsonValue nameValue = first.value(QLatin1String("fileName"));
    const QString imageId = imageValue.isString() ? imageValue.toString() : QString();
    const QString fileName = nameValue.isString() ? nameValue.toString() : QString();
    qDebug() << "ChatImageUpload, imageId:" << imageId << "fileNmae:" << fileName;
    // Without a file name no row can be matched: that is a failure too.
    delivered = !fileName.isEmpty();
    if (ChatWidget* chat = Nexus::GetChatWidget())
        emit chat->UploadImageSuccess(fileName, imageId);
}

void DownldManager::OnDeviceInfoReport()
{
    DataManager* data = m_profile ? m_profile->GetDataManager() : Nexus::GetDataManager();
    if (!data || !m_profile)
        return;
    const DeviceCounts counts = FetchDeviceCounts();
    QJsonObject device;
    device.insert(QStringLiteral("type"), QStringLiteral("pc"));
    device.insert(QStringLiteral("system"), QStringLiteral("windows"));
    device.insert(QStringLiteral("version"), GetMachineKind());
    device.insert(QStringLiteral("systemVersion"), GetWindowsVersionName());
    QJsonObject hardware;
    hardware.insert(QStringLiteral("soundCount"), counts.playback);
    hardware.insert(QStringLiteral("micCount"), counts.recording);
    QJsonObject network;
    network.insert(QStringLiteral("userIp"), Unknown(m_profile->GetUserIp()));
    network.insert(QStringLiteral("serverIp"), Unknown(m_profile->GetChosenServer()));
    network.insert(QStringLiteral("supplier"), m_profile->GetUserSupplier());
    network.insert(QStringLiteral("location"), m_profile->GetUserLocation());
    QJsonObject software;
    software.insert(QStringLiteral("version"), QStringLiteral(PLOVIX_VERSION));
    software.insert(QStringLiteral("buildDate"), BuildDate());
    QJsonObject report;
    report.insert(QStringLiteral("userId"), QString::number(data->GetUserId()));
    report.insert(QStringLiteral("roomId"), data->GetRoomId());
    report.insert(QStringLiteral("device"), device);
    report.insert(QStringLiteral("hardware"), hardware);
    report.insert(QStringLiteral("network"), network);
    report.insert(QStringLiteral("software"), software);
    const QString text = QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact));
    qDebug() << "OnDeviceInfoReport strJson:" << text;

    const QUrl url(m_profile->GetUrl(ClassServerProperty::LoginStatistics));
    HttpClient client(3, m_transferTimeOut);
    client.SetNetworkAccessManager(Manager());
    if (!client.PostJson(url, text)) {
        qDebug() << "OnDeviceInfoReport error:" << client.GetErrorText();
        return;
    }
    qDebug() << "OnDeviceInfoReport replay msg:" << LoggableBody(client.GetBody()) << ", and url:" << LoggableUrl(url);
}

void DownldManager::OnGetUserISPInfo()
{
    qDebug() << "into OnGetUserISPInfo, thread:" << QThread::currentThreadId();
    HttpClient client(3, m_transferTimeOut);
    client.SetNetworkAccessManager(Manager());
    client.SetReplyMode(HttpClient::ReplyBody);
    client.SetMaxBodySize(64 * 1024);
    if (!client.SendRequest(QUrl(IpInfoHost() + QStringLiteral("/service/getIpInfo.php?ip=myip")), 1, nullptr)) {
        qDebug() << "GetUserISPInfo netrequest error:" << client.GetErrorText();
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(client.GetBody(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        qDebug() << "DataManager::GetUserISPInfo error:" << parseError.errorString();
        return;
    }
    if (!document.isObject()) {
        qDebug() << "error, shoud json object";
        return;
    }
    const QJsonObject answer = document.object();
    const QJsonValue code = answer.value(QLatin1String("code"));
    const QJsonValue info = answer.value(QLatin1String("data"));
    if (code.isDouble() && code.toDouble() == 0 && info.isObject() && m_profile) {
        const QJsonObject fields = info.toObject();
        QString city = m_profile->GetUserLocation();
        QString supplier = m_profile->GetUserSupplier();
        QString ip = m_profile->GetUserIp();
        if (AddressText(fields, "city", &city))
            m_profile->SetUserLocation(city);
        if (AddressText(fields, "isp", &supplier))
            m_profile->SetUserSupplier(supplier);
        if (AddressText(fields, "ip", &ip))
            m_profile->SetUserIp(ip);
        qDebug() << "GetUserISPInfo:" << city << supplier << " " << ip;
    }
    if (answer.contains(QLatin1String("code")))
        qDebug() << "GetUserISPInfo error,code:" << code;
}
