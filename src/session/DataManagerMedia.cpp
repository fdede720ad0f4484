// The room's shared audio and video files: the media list, the teacher's
// switch, seek, play and pause, deletions and closes, and the transcoding
// progress and failures of uploaded files. "Profile Manager" thread; the
// look-up runs in any thread. The media list's own rows are only touched by
// its slots, in the GUI thread.
#include "DataManager.h"

#include "MediaInfo.h"
#include "MsgType.h"
#include "RoomJson.h"
#include "app/Nexus.h"
#include "room/MiddleArea.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QDebug>
#include <QJsonArray>
#include <QSet>

namespace {

// A list longer than this is cut: each entry is a row of the media list.
const int kMaxMedia = 1000;

// The first media with that id; the caller holds the room lock.
MediaInfo* FindMedia(const QList<MediaInfo*>& media, const QString& mediaId)
{
    for (MediaInfo* file : media) {
        if (file->GetMediaId() == mediaId)
            return file;
    }
    return nullptr;
}

int MediaTypeOf(const QString& type)
{
    if (type == QLatin1String("audio"))
        return MediaInfo::Audio;
    if (type == QLatin1String("video"))
        return MediaInfo::Video;
    return MediaInfo::Other;
}

// "seek", "duration" and "progress": whole numbers only, never negative.
int WholeNonNegative(const QJsonObject& object, const char* key)
{
    return qMax(0, RoomJson::Int(object, key, 0));
}

} // namespace

MediaInfo* DataManager::GetMediaInfoById(const QString& mediaId) const
{
    QMutexLocker lock(&m_roomLock);
    return FindMedia(m_room.m_media, mediaId);
}

// ---- the list (484) ----

void DataManager::GetMediaList(const SignallingMessage& message)
{
    qDebug() << "DataManager::GetMediaList enter";
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    const QString share = RoomJson::Text(data, "mediaShare");
    const QString status = RoomJson::Text(data, "mediaStatus");
    const int seek = WholeNonNegative(data, "seek");
    const QJsonValue list = data.value(QLatin1String("medias"));
    if (!list.isArray())
        return;
    const QJsonArray medias = list.toArray();
    if (medias.isEmpty()) {
        qDebug() << "GetMediaList, media is empty and no need donwload";
        return;
    }
    if (medias.size() > kMaxMedia)
        qWarning() << "[ERROR] GetMediaList, only the first" << kMaxMedia << "of" << medias.size() << "media kept";
    QtAvPlayerList* screen = Nexus::GetQtAvPlayerList();
    QSet<QString> seen;
    for (int i = 0; i < medias.size() && i < kMaxMedia; ++i) {
        if (!medias.at(i).isObject())
            continue;
        // Each element stands alone: a key it lacks is empty, never the
        // value of the element before.
        const QJsonObject element = medias.at(i).toObject();
        const QString type = RoomJson::Text(element, "type");
        const QString mediaId = RoomJson::Text(element, "mediaId");
        const QString slide = RoomJson::Text(element, "slide");
        const QString url = RoomJson::Text(element, "url");
        const int duration = WholeNonNegative(element, "duration");
        qDebug() << "index:" << i << ",_type" << type << ",presentationId:" << mediaId << ",slide:" << slide;
        if (mediaId.isEmpty() || seen.contains(mediaId)) {
            qDebug() << "GetMediaList, media without a new mediaId dropped, index:" << i;
            continue;
        }
        seen.insert(mediaId);
        MediaInfo* media = GetMediaInfoById(mediaId);
        const bool created = media == nullptr;
        if (created) {
            media = new MediaInfo();
            media->SetUrlPath(url);
            media->SetMediaId(mediaId);
            media->SetSlidePath(slide);
            media->SetDuration(duration);
            media->SetMediaType(MediaTypeOf(type));
            qDebug() << "buddy urlPath:" << url << "mediaId:" << mediaId << "slidePath" << slide;
        }
        // The shared media's state is in place before any screen reads it.
        if (mediaId == share && status != QLatin1String("hidden")) {
            media->SetSeekPos(seek);
            if (status == QLatin1String("play") || status == QLatin1String("pause")) {
                media->SetPlayState(status == QLatin1String("play") ? MediaInfo::Playing : MediaInfo::Paused);
                SetCurrentMediaId(mediaId);
            }
        }
        if (!created)
            continue;
        {
            QMutexLocker lock(&m_roomLock);
            m_room.m_media.append(media);
        }
        if (screen)
            emit screen->AddNewPage(media);
    }
}

// ---- local requests (455, 451/452, 453/454) ----

void DataManager::OnLocalSwitchMedia(QString mediaId)
{
    if (!(GetPermission() & 128)) {
        qDebug() << "has none media auth.";
        return;
    }
    WebSocketRequestById(MsgSwitchMedia, false, mediaId);
    if (GetMediaInfoById(mediaId))
        SetCurrentMediaId(mediaId);
}

void DataManager::OnLocalMediaSeek(QString mediaId, int seconds, bool play)
{
    const MediaInfo* media = GetMediaInfoById(mediaId);
    if (!media)
        return;
    const RoomFields room = GetRoomFields();
    const int type = media->GetMediaType() == MediaInfo::Audio ? MsgAudioSeek : MsgVideoSeek;
    // The only timestamp of the room in whole seconds; every other one is
    // in milliseconds.
    QJsonObject data { { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId }, { QStringLiteral("seek"), seconds },
        { QStringLiteral("timestamp"), NowMs() / 1000 },
        { QStringLiteral("state"), play ? QStringLiteral("play") : QStringLiteral("pause") } };
    if (!mediaId.isEmpty())
        data.insert(QStringLiteral("mediaId"), mediaId);
    const QString json = Envelope(type, room.m_strRoomId, data);
    const int sent = SendText(type, json);
    qDebug() << "into DataManager::OnLocalMediaSeek, has already send bytes:" << sent << "strJson:" << json;
}

void DataManager::OnLocalDelMedia(QString mediaId, int mediaType)
{
    const RoomFields room = GetRoomFields();
    const int type = mediaType == MediaInfo::Audio ? MsgDelAudio : MsgDelVideo;
    QJsonObject data { { QStringLiteral("operatorId"), QString::number(room.m_dwUserId) },
        { QStringLiteral("roomId"), room.m_strRoomId } };
    if (!mediaId.isEmpty())
        data.insert(QStringLiteral("mediaId"), mediaId);
    const int sent = SendText(type, Envelope(type, room.m_strRoomId, data));
    qDebug() << "into CourseList::OnLocalDelMedia, has already send bytes:" << sent;
}

void DataManager::OnRequest4CloseMedia(QString mediaId)
{
    const MediaInfo* media = GetMediaInfoById(mediaId);
    if (!media)
        return;
    WebSocketRequestById(MsgCloseMedia, false, mediaId, media->GetMediaType());
    EndSharedMedia(mediaId);
}

// The current media id follows the room's switches and closes, not only
// its lists: a list rebuilt later opens the player for it again.
void DataManager::EndSharedMedia(const QString& mediaId)
{
    QMutexLocker lock(&m_roomLock);
    if (m_room.m_strCurrMediaId == mediaId)
        m_room.m_strCurrMediaId.clear();
}

// ---- the room's messages ----

void DataManager::OnRemoteMediaSeek(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteMediaSeek, message:" << message.Text();
    if (IsOwnMessage(message.json)) {
        qDebug() << "这是一个自己的消息，忽略. ";
        return;
    }
    const QJsonObject data = message.Data();
    const QString mediaId = RoomJson::Text(data, "mediaId");
    const int seek = WholeNonNegative(data, "seek");
    // Only an explicit pause pauses.
    const bool play = RoomJson::Text(data, "state") != QLatin1String("pause");
    if (!mediaId.isEmpty() && GetMediaInfoById(mediaId)) {
        if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
            emit screen->MediaSeek(mediaId, seek, play);
    }
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
    if (!media)
        return;
    SetCurrentMediaId(mediaId);
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->RemoteSwitchMedia(media);
}

// The sender's own deletion comes back too; its row is gone already, and
// the screen takes an unknown id as a no-op.
void DataManager::OnRemoteDelMedia(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnRemoteDelMedia, message:" << message.Text();
    const QString mediaId = RoomJson::Text(message.Data(), "mediaId");
    MediaInfo* media = nullptr;
    {
        QMutexLocker lock(&m_roomLock);
        media = FindMedia(m_room.m_media, mediaId);
        m_room.m_media.removeOne(media);
    }
    if (!media)
        return;
    EndSharedMedia(mediaId);
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->DelMediaPage(mediaId);
    // Deleted in the GUI thread after every signal already queued with it.
    ModelObject::Release(media);
}

void DataManager::OnMediaClose(const SignallingMessage& message)
{
    qDebug() << "into DataManager::OnMediaClose, message:" << message.Text();
    const QString mediaId = RoomJson::Text(message.Data(), "mediaId");
    if (mediaId.isEmpty() || !GetMediaInfoById(mediaId))
        return;
    EndSharedMedia(mediaId);
    if (MiddleArea* area = Nexus::GetMiddleArea())
        emit area->DestroyAvPlayer();
}

void DataManager::GetMediaTransProgress(const SignallingMessage& message)
{
    qDebug() << "GetMediaTransProgress enter, and msg:" << message.Text();
    if (!message.HasObjectData())
        return;
    const QJsonObject data = message.Data();
    if (!data.value(QLatin1String("progress")).isDouble())
        return;
    const int progress = qMin(100, WholeNonNegative(data, "progress"));
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->uploadProgress(progress, 100, RoomJson::Text(data, "mediaId"));
}

void DataManager::GetMediaTransResult(const SignallingMessage& message)
{
    qDebug() << "GetMediaTransResult enter, and msg:" << message.Text();
    const QJsonValue mediaId = message.Data().value(QLatin1String("mediaId"));
    if (!mediaId.isString())
        return;
    if (QtAvPlayerList* screen = Nexus::GetQtAvPlayerList())
        emit screen->TransFailed(mediaId.toString());
}
