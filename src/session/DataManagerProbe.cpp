// The server choice: the candidate classroom servers are probed one at a
// time over a short-lived signalling connection carrying one type 97
// message, and the signalling, room-join and RTC key URLs are pointed at
// the fastest. Runs once per run; every outcome ends in EnterRoom().
// "Profile Manager" thread.
#include "DataManager.h"

#include "MsgType.h"
#include "app/Nexus.h"
#include "app/Profile.h"

#include <QDateTime>
#include <QDebug>
#include <QHostInfo>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace {

const int kProbeMs = 4000;
const int kGoodDelayMs = 1000;

// "host[:port]" → host.
QString HostName(const QString& hostAndPort)
{
    return QUrl(QStringLiteral("//") + hostAndPort).host();
}

// The host's port appended to an address, so that the default address of
// a classroom host with a port can be compared with the candidates.
QString WithPortOf(const QString& address, const QString& hostAndPort)
{
    const int port = QUrl(QStringLiteral("//") + hostAndPort).port();
    if (port < 0)
        return address;
    const bool v6 = address.contains(QLatin1Char(':'));
    return (v6 ? QLatin1Char('[') + address + QLatin1Char(']') : address) + QLatin1Char(':') + QString::number(port);
}

QString ClassroomHost(const Profile* profile)
{
    return Profile::ClassroomHost(profile && profile->GetTestServerFlag() != 0);
}

} // namespace

QStringList DataManager::Candidates() const
{
    return m_profile->GetClassroomServers().split(QLatin1Char('|'));
}

QString DataManager::PeerVerifyNameFor(const QString& url) const
{
    const QString classroom = ClassroomHost(m_profile);
    const QString authority = QUrl(url).authority();
    if (authority.isEmpty() || authority == classroom)
        return QString();
    QStringList chosen = Candidates();
    chosen << m_profile->GetDefaultServerAddress() << m_profile->GetChosenServer();
    // Pointed at a candidate standing in for the classroom host: the
    // certificate must still be the classroom host's.
    return chosen.contains(authority) ? HostName(classroom) : QString();
}

void DataManager::OnSocketDfCalReq()
{
    DropWebSocket();
    if (!m_probeTimer) {
        m_probeTimer = new QTimer();
        m_probeTimer->setSingleShot(true);
        connect(m_probeTimer, &QTimer::timeout, this, &DataManager::OnDfCalTimeout);
    }
    m_probeTimer->stop();

    const QStringList list = Candidates();
    // One entry per candidate, whatever the length of the list.
    if (m_probeTable.size() != list.size())
        m_probeTable.resize(list.size());
    int index = 0;
    {
        QMutexLocker lock(&m_roomLock);
        index = m_room.m_dwProbeIndex;
    }
    // Without a single candidate there is nothing to measure (and no host
    // to look up).
    const bool none = std::all_of(list.cbegin(), list.cend(), [](const QString& item) { return item.isEmpty(); });
    if (index >= list.size() || none) {
        qDebug() << "has finish all socket df calcu, and m_dwDfWindowCurIndex:" << index << ", list4app:" << list;
        EndServerChoice();
        return;
    }
    const QString defaultAddress = m_profile->GetDefaultServerAddress();
    if (defaultAddress.isEmpty()) {
        if (Nexus* hub = Nexus::Instance())
            emit hub->RendLoadingMsg(QStringLiteral("提示:网络测试域名中..."));
        QHostInfo::lookupHost(HostName(ClassroomHost(m_profile)), this, &DataManager::GetDefaultAppIp);
        return;
    }
    // The default address is probed on its own; an empty candidate cannot be.
    while (index < list.size() && (list.at(index) == defaultAddress || list.at(index).isEmpty()))
        ++index;
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeIndex = index;
    }
    if (index < list.size()) {
        qDebug() << "list for app:" << list.at(index) << ",list count:" << list.size()
                 << "m_dwDfWindowCurIndex:" << index;
        m_probeTimer->start(kProbeMs);
        ProbeSocketTo(list.at(index));
        return;
    }
    qDebug() << "has finish all socket df calcu, and m_dwDfWindowCurIndex:" << index << ", list4app:" << list;
    EndServerChoice();
}

// Only the first address is probed (IPv4 preferred): one probe connection
// at a time, never one left open per address.
void DataManager::GetDefaultAppIp(const QHostInfo& info)
{
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        qDebug() << "GetDefaultAppIp Lookup failed:" << info.errorString();
        m_profile->SetDefaultServerAddress(QStringLiteral("unsolve"));
        OnSocketDfCalReq();
        return;
    }
    QHostAddress chosen = addresses.first();
    for (const QHostAddress& address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            chosen = address;
            break;
        }
    }
    qDebug() << "GetDefaultAppIp Found address:" << chosen.toString();
    const QString address = WithPortOf(chosen.toString(), ClassroomHost(m_profile));
    m_profile->SetDefaultServerAddress(address);
    m_profile->SetChosenServer(address);
    const int position = Candidates().indexOf(address);
    if (position >= 0) {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeIndex = position;
    }
    if (m_probeTimer && !m_probeTimer->isActive()) {
        m_probeTimer->start(kProbeMs);
        qDebug() << "GetDefaultAppIp, create timer for default app ip";
    }
    ProbeSocketTo(address);
}

void DataManager::ProbeSocketTo(const QString& candidate)
{
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_strProbeHost = candidate;
    }
    // The secure scheme stays: the candidate must show the classroom host's
    // certificate.
    const QString origin = QStringLiteral("wss://") + ClassroomHost(m_profile);
    const QString echo
        = m_profile->GetUrl(ClassServerProperty::EchoHost).replace(origin, QStringLiteral("wss://") + candidate);
    if (OnCreateWebSocket(echo) != 0) {
        qDebug() << "[ERROR] OnSocketDfCalReq CreateWebSocket error, and exit.\n";
        return;
    }
    qDebug() << "OnSocketDfCalReq CreateWebSocket success.\n";
    connect(m_webSocket, &WebSockClient::connected, this, &DataManager::OnSendDfRequest);
}

void DataManager::OnSendDfRequest()
{
    qDebug() << "into OnSendDfRequest";
    const RoomFields room = GetRoomFields();
    const QString uid = QString::number(room.m_dwUserId);
    const QJsonObject data { { QStringLiteral("userId"), uid }, { QStringLiteral("ip"), m_profile->GetUserIp() },
        { QStringLiteral("location"), room.m_strProbeHost }, { QStringLiteral("timestamp"), NowMs() } };
    const QString json = Envelope(MsgSocketDfCal, uid, data);
    qDebug() << "into DataManager::OnSocketDfCalReq, json data:" << json;
    if (m_webSocket)
        SendText(MsgSocketDfCal, json);
}

void DataManager::OnSocketDfCalRes(const SignallingMessage& message)
{
    qDebug() << "into OnSocketDfCalRes, and msg:" << message.Text();
    if (m_probeTimer && m_probeTimer->isActive())
        m_probeTimer->stop();
    int index = 0;
    {
        QMutexLocker lock(&m_roomLock);
        index = m_room.m_dwProbeIndex;
    }
    const bool inTable = index >= 0 && index < m_probeTable.size();
    QString location;
    const QJsonValue data = message.json.value(QLatin1String("data"));
    if (data.isObject()) {
        const qint64 now = NowMs();
        location = data.toObject().value(QLatin1String("location")).toVariant().toString();
        const QJsonValue sent = data.toObject().value(QLatin1String("timestamp"));
        if (!sent.isDouble()) {
            qDebug() << "into OnSocketDfCalRes, no numeric timestamp, not measured";
        } else if (inTable) {
            const qint64 delay = now - qint64(sent.toDouble());
            qDebug() << "_lastTmStamp:" << qint64(sent.toDouble()) << ", _currTmStamp:" << now << ",delay:" << delay;
            m_probeTable[index].delay = int(qBound<qint64>(0, delay, std::numeric_limits<int>::max()));
            ++m_probeTable[index].answers;
        }
    }
    const QString defaultAddress = m_profile->GetDefaultServerAddress();
    if (location == defaultAddress && inTable && m_probeTable.at(index).answers > 0
        && m_probeTable.at(index).delay < kGoodDelayMs) {
        qDebug() << "default app ip is ok, and delay is " << m_probeTable.at(index).delay << ",and ip:" << location;
        EndServerChoice();
        return;
    }
    {
        QMutexLocker lock(&m_roomLock);
        // A slow default address sends the probe back to the start once;
        // a second time it goes on, so the probe always ends.
        if (location != defaultAddress || m_probeRestarted) {
            ++m_room.m_dwProbeIndex;
        } else {
            m_room.m_dwProbeIndex = 0;
            m_probeRestarted = true;
        }
    }
    emit SocketDfCalRequest();
}

void DataManager::OnDfCalTimeout()
{
    qDebug() << "into OnDfCalTimeout";
    EndServerChoice();
}

void DataManager::EndServerChoice()
{
    ChooseBestNetwork();
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeDone = 1;
    }
    DropWebSocket();
    // Queued: the entry does not run inside the probe socket's handler.
    QTimer::singleShot(0, this, [this] { emit EnterRoom(); });
}

void DataManager::ChooseBestNetwork()
{
    if (m_probeTimer && m_probeTimer->isActive())
        m_probeTimer->stop();
    const QStringList list = Candidates();
    const int count = qMin(list.size(), m_probeTable.size());
    int best = -1;
    int bestDelay = std::numeric_limits<int>::max();
    for (int i = 0; i < count; ++i) {
        const ProbeEntry& entry = m_probeTable.at(i);
        qDebug() << " into ChooseBestNetwork,dfwindow index:" << i << ",tryTimes:" << entry.answers
                 << ",delay:" << entry.delay;
        if (entry.answers == 0)
            continue;
        if (entry.delay < bestDelay) {
            bestDelay = entry.delay;
            best = i;
        }
    }
    if (best < 0) {
        qDebug() << "into ChooseBestNetwork, websocket df cal num is 0, and skip websocket optimize";
        return;
    }
    const QString candidate = list.at(best);
    qDebug() << "the best network delay:" << bestDelay << ",and ip:" << candidate;
    // The secure schemes stay, with the candidate's address: the password
    // and the RTC key never travel in clear.
    const QString host = ClassroomHost(m_profile);
    const QString wss = QStringLiteral("wss://");
    const QString https = QStringLiteral("https://");
    QHash<ClassServerProperty::Url, QString> urls;
    urls.insert(ClassServerProperty::AppServer,
        m_profile->GetUrl(ClassServerProperty::AppServer).replace(wss + host, wss + candidate));
    urls.insert(ClassServerProperty::AgoraDynamicKey,
        m_profile->GetUrl(ClassServerProperty::AgoraDynamicKey).replace(https + host, https + candidate));
    urls.insert(ClassServerProperty::RegServer,
        m_profile->GetUrl(ClassServerProperty::RegServer).replace(https + host, https + candidate));
    m_profile->SetUrls(urls);
    m_profile->SetChosenServer(candidate);
}
