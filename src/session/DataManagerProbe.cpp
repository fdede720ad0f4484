// The server choice: the candidate classroom servers are probed one at a
// time over a short-lived, single-shot signalling connection carrying one
// type 97 message, and the signalling, room-join and RTC key URLs are
// pointed at the fastest one that answered. The probes keep the secure
// schemes and the classroom host's certificate, so a candidate that does not
// answer over TLS for that name is never chosen; the "wssPlainRewrite"
// setting switches probes and URLs to plain ws/http for deployments that
// serve only plain text. Nothing measured, nothing rewritten: the room is
// then entered through the classroom host. Runs once per run; every outcome
// ends in EnterRoom(). "Profile Manager" thread.
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
// Probe targets besides a candidate's position.
const int kNoProbe = -1;
const int kProbeDefault = -2;

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
    m_probing = true;
    m_probingDefault = false;
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
        m_lookupId = QHostInfo::lookupHost(HostName(ClassroomHost(m_profile)), this, &DataManager::GetDefaultAppIp);
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
    if (!m_probing || info.lookupId() != m_lookupId)
        return;
    m_lookupId = -1;
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
    m_probingDefault = true;
    ProbeSocketTo(address);
}

void DataManager::ProbeSocketTo(const QString& candidate)
{
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_strProbeHost = candidate;
    }
    // The secure scheme stays unless plain text was asked for: the candidate
    // must then show the classroom host's certificate.
    const QString origin = QStringLiteral("wss://") + ClassroomHost(m_profile);
    const QString scheme = Profile::PlainRewrite() ? QStringLiteral("ws://") : QStringLiteral("wss://");
    const QString echo = m_profile->GetUrl(ClassServerProperty::EchoHost).replace(origin, scheme + candidate);
    // Single-shot: a failed probe is not reopened and raises no notice; the
    // next candidate is probed instead.
    if (MakeWebSocket(echo, true) != 0) {
        qDebug() << "[ERROR] OnSocketDfCalReq CreateWebSocket error, and exit.\n";
        return;
    }
    qDebug() << "OnSocketDfCalReq CreateWebSocket success.\n";
    connect(m_webSocket, &WebSockClient::connected, this, &DataManager::OnSendDfRequest);
    connect(m_webSocket, &WebSockClient::Closed, this, &DataManager::OnProbeClosed);
}

void DataManager::OnProbeClosed()
{
    if (!m_probing)
        return;
    qDebug() << "OnSocketDfCalReq probe connection failed, host:" << GetRoomFields().m_strProbeHost;
    if (m_probeTimer)
        m_probeTimer->stop();
    NextProbe();
}

int DataManager::ProbeTarget() const
{
    int index = 0;
    {
        QMutexLocker lock(&m_roomLock);
        index = m_room.m_dwProbeIndex;
    }
    if (m_probingDefault) {
        // A candidate that is the default address itself holds its answer.
        const int position = Candidates().indexOf(m_profile->GetDefaultServerAddress());
        return position >= 0 ? position : kProbeDefault;
    }
    return index >= 0 && index < m_probeTable.size() ? index : kNoProbe;
}

void DataManager::NextProbe()
{
    {
        QMutexLocker lock(&m_roomLock);
        // A slow or failed default address sends the probe to the first
        // candidate once; a second time it goes on, so the probe always ends.
        if (m_probingDefault && !m_probeRestarted) {
            m_room.m_dwProbeIndex = 0;
            m_probeRestarted = true;
        } else {
            ++m_room.m_dwProbeIndex;
        }
    }
    m_probingDefault = false;
    // Queued: the probe client that ended may be the sender.
    QTimer::singleShot(0, this, [this] {
        if (m_probing)
            emit SocketDfCalRequest();
    });
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
    // Only the answer on a running probe's own connection counts: a 97
    // pushed on the room's connection must not tear the room down.
    if (!m_probing || !m_webSocket) {
        qDebug() << "OnSocketDfCalRes, no probe running, dropped, msg:" << message.Text().left(256);
        return;
    }
    qDebug() << "into OnSocketDfCalRes, and msg:" << message.Text();
    if (m_probeTimer && m_probeTimer->isActive())
        m_probeTimer->stop();
    const int target = ProbeTarget();
    ProbeEntry* entry = target == kProbeDefault ? &m_defaultProbe : target >= 0 ? &m_probeTable[target] : nullptr;
    const QJsonValue data = message.json.value(QLatin1String("data"));
    if (data.isObject()) {
        const qint64 now = NowMs();
        const QJsonValue sent = data.toObject().value(QLatin1String("timestamp"));
        if (!sent.isDouble()) {
            qDebug() << "into OnSocketDfCalRes, no numeric timestamp, not measured";
        } else if (entry) {
            const qint64 delay = now - qint64(sent.toDouble());
            qDebug() << "_lastTmStamp:" << qint64(sent.toDouble()) << ", _currTmStamp:" << now << ",delay:" << delay;
            entry->delay = int(qBound<qint64>(0, delay, std::numeric_limits<int>::max()));
            ++entry->answers;
        }
    }
    if (m_probingDefault && entry && entry->answers > 0 && entry->delay < kGoodDelayMs) {
        qDebug() << "default app ip is ok, and delay is " << entry->delay
                 << ",and ip:" << m_profile->GetDefaultServerAddress();
        EndServerChoice();
        return;
    }
    NextProbe();
}

void DataManager::OnDfCalTimeout()
{
    qDebug() << "into OnDfCalTimeout";
    EndServerChoice();
}

void DataManager::EndServerChoice()
{
    m_probing = false;
    m_probingDefault = false;
    ChooseBestNetwork();
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeDone = 1;
    }
    DropWebSocket();
    // Queued: the entry does not run inside the probe socket's handler. A
    // clean-up meanwhile means the user left: nothing is entered.
    const quint64 cleanUps = m_cleanUps;
    QTimer::singleShot(0, this, [this, cleanUps] {
        if (cleanUps == m_cleanUps)
            emit EnterRoom();
    });
}

void DataManager::CancelServerChoice()
{
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_probeTimer)
        m_probeTimer->stop();
    if (!m_probing)
        return;
    qDebug() << "DataManager::CancelServerChoice, the room was left during the server choice";
    m_probing = false;
    m_probingDefault = false;
    ResetServerChoice();
}

void DataManager::ResetServerChoice()
{
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeIndex = 0;
    }
    m_probeTable.fill(ProbeEntry());
    m_defaultProbe = ProbeEntry();
    m_probeRestarted = false;
    m_profile->SetDefaultServerAddress(QString());
}

void DataManager::ChooseBestNetwork()
{
    if (m_probeTimer && m_probeTimer->isActive())
        m_probeTimer->stop();
    const QStringList list = Candidates();
    const int count = qMin(list.size(), m_probeTable.size());
    int best = kNoProbe;
    int bestDelay = std::numeric_limits<int>::max();
    // The classroom host's own address competes in its own entry; on equal
    // delays it wins, so the URLs stay as configured.
    if (m_defaultProbe.answers > 0) {
        qDebug() << " into ChooseBestNetwork, default address:" << m_profile->GetDefaultServerAddress()
                 << ",tryTimes:" << m_defaultProbe.answers << ",delay:" << m_defaultProbe.delay;
        best = kProbeDefault;
        bestDelay = m_defaultProbe.delay;
    }
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
    if (best == kNoProbe) {
        qDebug() << "into ChooseBestNetwork, websocket df cal num is 0, and skip websocket optimize";
        return;
    }
    if (best == kProbeDefault) {
        qDebug() << "the best network delay:" << bestDelay << ",and ip:" << m_profile->GetDefaultServerAddress()
                 << ", the classroom host itself";
        return;
    }
    const QString candidate = list.at(best);
    qDebug() << "the best network delay:" << bestDelay << ",and ip:" << candidate;
    // The secure schemes stay, with the candidate's address: the password
    // and the RTC key never travel in clear unless plain text was asked for.
    m_profile->SetUrls(m_profile->UrlsPointedAt(candidate, false));
    m_profile->SetChosenServer(candidate);
}
