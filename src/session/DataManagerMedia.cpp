// The room's media files as the player needs them: the media list (484),
// the switch to a media (455), the controller's play, pause and seek (451
// video, 452 audio) in both directions, and the close (456). "Profile
// Manager" thread; the lookup runs in any thread. A remote seek reaches the
// player through the media list and is never announced again.
#include "DataManager.h"

#include "MediaInfo.h"
#include "MsgType.h"
#include "RoomJson.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
// Nobody shares more files in one lesson; each is a row.
const int kMaxMedia = 1000;
} // namespace

MediaInfo* DataManager::GetMediaInfoById(const QString& mediaId) const
{
    QMutexLocker lock(&m_roomLock);
    for (MediaInfo* media : m_room.m_media) {
        if (media->GetMediaId() == mediaId)
            return media;
    }
    return nullptr;
}

void DataManager::GetMediaList(const SignallingMessage& message)
{
    qDebug() << "DataManager::GetMediaList enter";
    const QJsonValue dataValue = message.json.value(QLatin1String("data"));
    if (!dataValue.isObject())
        return;
    const QJsonObject data = dataValue.toObject();
    const QString share = RoomJson::Text(data, "mediaShare");
    const QString status = RoomJson::Text(data, "mediaStatus");
    const int seek = RoomJson::Int(data, "seek");
    const QJsonValue list = data.value(QLatin1String("medias"));
    if (!list.isArray())
        return;
    const QJsonArray medias = list.toArray();
    if (medias.isEmpty()) {
        qDebug() << "GetMediaList, media is empty and no need donwload";
        return;
    }
    QtAvPlayerList* screen = Nexus::GetQtAvPlayerList();
    for (int i = 0; i < medias.size() && i < kMaxMedia; ++i) {
        if (!medias.at(i).isObject())
            continue;
        // Each element stands alone: a key it lacks is empty.
        const QJsonObject element = medias.at(i).toObject();
        const QString type = RoomJson::Text(element, "type");
        const QString id = RoomJson::Text(element, "mediaId");
        const QString slide = RoomJson::Text(element, "slide");
        const QString url = RoomJson::Text(element, "url");
        qDebug() << "index:" << i << ",_type" << type << ",presentationId:" << id << ",slide:" << slide;
        if (id.isEmpty())
            continue;
        MediaInfo* media = GetMediaInfoById(id);
        if (media == nullptr) {
            media = new MediaInfo();
            media->SetUrlPath(url);
            media->SetMediaId(id);
            media->SetSlidePath(slide);
            media->SetDuration(RoomJson::Int(element, "duration"));
            media->SetMediaType(type == QLatin1String("audio") ? MediaInfo::Audio
                    : type == QLatin1String("video")           ? MediaInfo::Video
                                                               : MediaInfo::Other);
            qDebug() << "buddy urlPath:" << url << "mediaId:" << id << "slidePath" << slide;
            {
                QMutexLocker lock(&m_roomLock);
                m_room.m_media.append(media);
            }
            if (screen != nullptr)
                emit screen->AddNewPage(media);
        }
        if (id != share || status == QLatin1String("hidden"))
            continue;
        media->SetSeekPos(seek);
        if (status == QLatin1String("play") || status == QLatin1String("pause")) {
            media->SetPlayState(status == QLatin1String("play") ? MediaInfo::Playing : MediaInfo::Paused);
            SetCurrentMediaId(id);
        }
    }
}

void DataManager::OnLocalSwitchMedia(QString mediaId)
{
    if ((GetPermission() & 128) == 0) {
        qDebug() << "has none media auth.";
        return;
    }
    WebSocketRequestById(MsgSwitchMedia, false, mediaId);
}

void DataManager::OnLocalMediaSeek(QString mediaId, int seconds, bool play)
{
    const MediaInfo* media = GetMediaInfoById(mediaId);
    if (media == nullptr)
        return;
    const RoomFields room = GetRoomFields();
    const QString uid = QString::number(room.m_dwUserId);
    QJsonObject data { { QStringLiteral("operatorId"), uid }, { QStringLiteral("roomId"), room.m_strRoomId },
        { QStringLiteral("seek"), seconds }, { QStringLiteral("timestamp"), NowMs() / 1000 },
        { QStringLiteral("state"), play ? QStringLiteral("play") : QStringLiteral("pause") } };
    if (!mediaId.isEmpty())
        data.insert(QStringLiteral("mediaId"), mediaId);
    const int type = media->GetMediaType() == MediaInfo::Audio ? MsgAudioSeek : MsgVideoSeek;
    const QString json = Envelope(type, room.m_strRoomId, data);
    const int sent = SendText(type, json);
    qDebug() << "into DataManager::OnLocalMediaSeek, has already send bytes:" << sent << "strJson:" << json;
}

void DataManager::OnRemoteMediaSeek(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteMediaSeek, message:" << message.Text();
    if (IsOwnMessage(message.json)) {
        qDebug() << "这是一个自己的消息，忽略. ";
        return;
    }
    const QJsonObject data = message.Data();
    const QString mediaId = RoomJson::Text(data, "mediaId");
    const int seek = RoomJson::Int(data, "seek");
    const bool play = RoomJson::Text(data, "state") != QLatin1String("pause");
    if (mediaId.isEmpty() || GetMediaInfoById(mediaId) == nullptr)
        return;
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->MediaSeek(mediaId, seek, play);
}

void DataManager::OnRemoteSwitchMedia(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteSwitchMedia, message:" << message.Text();
    if (IsOwnMessage(message.json)) {
        qDebug() << "这是一个自己的消息，忽略. ";
        return;
    }
    const QString mediaId = RoomJson::Text(message.Data(), "mediaId");
    MediaInfo* media = mediaId.isEmpty() ? nullptr : GetMediaInfoById(mediaId);
    if (media == nullptr)
        return;
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->RemoteSwitchMedia(media);
}

void DataManager::OnMediaClose(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnMediaClose, message:" << message.Text();
    const QString mediaId = RoomJson::Text(message.Data(), "mediaId");
    if (mediaId.isEmpty() || GetMediaInfoById(mediaId) == nullptr)
        return;
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        emit middle->DestroyAvPlayer();
}
