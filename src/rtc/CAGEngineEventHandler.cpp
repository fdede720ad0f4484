#include "CAGEngineEventHandler.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "rtc/Player.h"
#include "rtc/RtcClock.h"
#include "session/DataManager.h"

#include <QDebug>

CAGEngineEventHandler* CAGEngineEventHandler::Instance()
{
    static CAGEngineEventHandler handler;
    return &handler;
}

void CAGEngineEventHandler::onJoinChannelSuccess(const char*, rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onJoinChannelSuccess uid:" << uid;
    // The hub's getters never make a hub from this thread, and answer null
    // once the shut-down began.
    DataManager* data = Nexus::GetDataManager();
    if (!data || uid != rtc::uid_t(data->GetUserId()))
        return;
    if (Player* player = Nexus::GetPlayer())
        emit player->JoinChannelSuccess();
}

void CAGEngineEventHandler::onRejoinChannelSuccess(const char*, rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onRejoinChannelSuccess uid:" << uid;
    DataManager* data = Nexus::GetDataManager();
    if (!data || uid != rtc::uid_t(data->GetUserId()))
        return;
    if (Player* player = Nexus::GetPlayer())
        emit player->MediaLinkChanged(Player::MediaUp);
}

void CAGEngineEventHandler::onConnectionInterrupted()
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onConnectionInterrupted";
    if (Player* player = Nexus::GetPlayer())
        emit player->MediaLinkChanged(Player::MediaInterrupted);
}

void CAGEngineEventHandler::onWarning(int warn, const char* msg)
{
    qDebug() << "into CAGEngineEventHandler::onWarning, warn:" << warn << ",msg:" << (msg ? msg : "");
}

void CAGEngineEventHandler::onError(int err, const char* msg)
{
    qDebug() << "into CAGEngineEventHandler::onError, err:" << err << ",msg:" << (msg ? msg : "");
}

void CAGEngineEventHandler::onLeaveChannel(const rtc::RtcStats&)
{
    qDebug() << "AGEngineEventHandler::onLeaveChannel ";
}

void CAGEngineEventHandler::onNetworkQuality(rtc::uid_t uid, int txQuality, int rxQuality)
{
    if (uid != 0 || txQuality == 0 || rxQuality == 0)
        return;
    const qint64 now = RtcClock::NowSeconds();
    if (m_windowStart == 0) {
        m_windowStart = now;
        m_ring.fill({ 0, 0 });
    }
    m_ring[size_t(m_ringIndex)] = { txQuality, rxQuality };
    m_ringIndex = (m_ringIndex + 1) % int(m_ring.size());
    if (now - m_windowStart <= 20)
        return;
    double txSum = 0;
    double rxSum = 0;
    int count = 0;
    for (const auto& entry : m_ring) {
        if (entry.first == 0)
            break;
        txSum += entry.first;
        rxSum += entry.second;
        ++count;
    }
    const double rxAverage = count ? rxSum / count : 0;
    const double txAverage = count ? txSum / count : 0;
    Profile* profile = Nexus::GetProfile();
    if (rxAverage <= 1.0 && txAverage <= 1.0 && !(profile && !profile->GetQosReported()))
        return;
    qDebug() << " agora quality is not excellent, make alarm at there,avrageRxQos:" << rxAverage
             << ",avrageTxQos:" << txAverage;
    m_windowStart = now;
    if (profile)
        profile->SetQosReported(true);
    if (DataManager* data = Nexus::GetDataManager())
        emit data->AgeroQosReport(int(rxAverage), int(txAverage));
}

void CAGEngineEventHandler::ResetQualityRing()
{
    m_ring.fill({ 0, 0 });
    m_ringIndex = 0;
    m_windowStart = 0;
}

void CAGEngineEventHandler::onLastmileQuality(int quality)
{
    qDebug() << "into onLastmileQuality, and quality:" << quality;
}

void CAGEngineEventHandler::onFirstRemoteVideoDecoded(rtc::uid_t uid, int, int, int)
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onFirstRemoteVideoDecoded uid:" << uid;
}

void CAGEngineEventHandler::onFirstRemoteVideoFrame(rtc::uid_t uid, int, int, int)
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onFirstRemoteVideoFrame uid:" << uid;
}

void CAGEngineEventHandler::onUserJoined(rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onUserJoined, uid: " << uid;
}

void CAGEngineEventHandler::onUserOffline(rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onUserOffline, uid: " << uid;
}

void CAGEngineEventHandler::onUserMuteAudio(rtc::uid_t uid, bool)
{
    qDebug() << "AGEngineEventHandler::onUserMuteAudio, uid: " << uid;
}

void CAGEngineEventHandler::onUserMuteVideo(rtc::uid_t uid, bool)
{
    qDebug() << "AGEngineEventHandler::onUserMuteVideo, uid: " << uid;
}

void CAGEngineEventHandler::onUserEnableVideo(rtc::uid_t uid, bool)
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onUserEnableVideo uid:" << uid;
}

void CAGEngineEventHandler::onVideoStopped()
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onVideoStopped";
}

void CAGEngineEventHandler::onConnectionLost()
{
    qDebug() << "<<<<<<<<<<<<<<<<<---------- CAGEngineEventHandler::onConnectionLost";
    if (Player* player = Nexus::GetPlayer())
        emit player->MediaLinkChanged(Player::MediaLost);
}

void CAGEngineEventHandler::onStreamMessageError(rtc::uid_t uid, int streamId, int code, int missed, int cached)
{
    qDebug() << "CAGEngineEventHandler::onStreamMessageError, uid:" << uid << ",streamId:" << streamId
             << ", code:" << code << ",missed:" << missed << ", cached:" << cached;
}
