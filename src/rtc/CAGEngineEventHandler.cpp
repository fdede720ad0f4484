#include "CAGEngineEventHandler.h"

#include <QDebug>

CAGEngineEventHandler* CAGEngineEventHandler::Instance()
{
    static CAGEngineEventHandler handler;
    return &handler;
}

void CAGEngineEventHandler::onJoinChannelSuccess(const char*, rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onJoinChannelSuccess uid:" << uid;
}

void CAGEngineEventHandler::onRejoinChannelSuccess(const char*, rtc::uid_t uid, int)
{
    qDebug() << "AGEngineEventHandler::onRejoinChannelSuccess uid:" << uid;
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

void CAGEngineEventHandler::onNetworkQuality(rtc::uid_t, int, int)
{ }

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
}

void CAGEngineEventHandler::onStreamMessageError(rtc::uid_t uid, int streamId, int code, int missed, int cached)
{
    qDebug() << "CAGEngineEventHandler::onStreamMessageError, uid:" << uid << ",streamId:" << streamId
             << ", code:" << code << ",missed:" << missed << ", cached:" << cached;
}
