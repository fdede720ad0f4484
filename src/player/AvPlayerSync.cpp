// The player window's part in playing in step with the room: the local
// play, pause and seek that a controller announces, and the remote entry
// points that follow the controller's messages without announcing them.
#include "AvPlayer.h"

#include "Slider.h"
#include "app/Nexus.h"
#include "av/AVPlayer.h"
#include "room/MiddleArea.h"
#include "session/DataManager.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QDebug>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kWhiteboardRight = 128;
// Roles up to this one are on the teacher's side.
constexpr int kTeacherRole = 4;
constexpr int kSeekAnnounceDelayMs = 500;

void SetFocusedRowStatus(bool playing)
{
    QtAvPlayerList* list = Nexus::GetQtAvPlayerList();
    QtAvPlayerItem* row = list != nullptr ? list->GetLastFocusBuddy() : nullptr;
    if (row != nullptr)
        row->SetPlayStatus(playing ? QtAvPlayerItem::StatusPlaying : QtAvPlayerItem::StatusPaused);
}
} // namespace

bool AvPlayer::CanControlMedia()
{
    DataManager* data = Nexus::GetDataManager();
    return data != nullptr && (data->GetPermission() & kWhiteboardRight) != 0 && data->GetRoomRole() <= kTeacherRole;
}

bool AvPlayer::IsRoomMediaUrl(const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    const bool known = scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("rtmp") || scheme == QLatin1String("rtmps");
    return known && address.isValid() && !address.host().isEmpty();
}

void AvPlayer::OnPlay()
{
    qDebug() << "into AvPlayer::OnPlay, and isPlaying:" << (player != nullptr && player->isPlaying());
    if (player == nullptr) {
        // The window was made by the same message burst: play once it is
        // ready instead of dropping the controller's play.
        hasPendingPlay = !filePath.isEmpty();
        return;
    }
    if (player->isPlaying())
        player->pause(false);
    else if (!filePath.isEmpty())
        play(filePath);
}

void AvPlayer::OnPaused()
{
    qDebug() << "into AvPlayer::OnPaused, and isPlaying:" << (player != nullptr && player->isPlaying());
    if (player == nullptr) {
        hasPendingPlay = false;
        return;
    }
    if (player->isPlaying())
        player->pause(true);
}

void AvPlayer::togglePlayPause()
{
    bool playing = true;
    if (player != nullptr && player->isPlaying()) {
        qDebug("togglePlayPause is playing, and player.isPaused = %d", player->isPaused() ? 1 : 0);
        player->togglePause();
        playing = !player->isPaused();
    } else {
        if (filePath.isEmpty())
            return;
        play(filePath);
        setPlayButtonImage(false);
    }
    qDebug() << "in togglePlayPause, and _playFlag:" << playing;
    if (CanControlMedia()) {
        SetFocusedRowStatus(playing);
        const qint64 position = player != nullptr ? player->position() : 0;
        if (DataManager* data = Nexus::GetDataManager())
            emit data->LocalMediaSeek(mediaId, static_cast<int>(position / 1000), playing);
    }
    _playFlag = playing;
}

void AvPlayer::seek(int value, bool isRemoot)
{
    qDebug() << "into  AvPlayer::seek v2, and value" << value;
    value = qMax(0, value);
    if (player != nullptr) {
        player->setSeekType(plxav::AccurateSeek);
        // Before the file is open the player keeps the seek for it.
        player->seek(value);
    } else {
        pendingSeek = value;
    }
    mLastSeekValue = value;
    if (isRemoot)
        return;
    if (seekMsgTimer->isActive())
        seekMsgTimer->stop();
    seekMsgTimer->start(kSeekAnnounceDelayMs);
}

void AvPlayer::seek(int value)
{
    seek(value, false);
}

void AvPlayer::seek()
{
    qDebug() << "into  AvPlayer::seek v1";
    if (timeSlider->value() == mLastSeekValue) {
        qDebug() << "into  AvPlayer::seek v1, has seek by other signal and no need seek";
        return;
    }
    seek(timeSlider->value(), false);
}

void AvPlayer::OnSeekMsgSend()
{
    qDebug() << "into AvPlayer::OnSeekMsgSen";
    if (CanControlMedia()) {
        qDebug() << "in AvPlayer::seek, mLastSeekValue:" << mLastSeekValue;
        if (DataManager* data = Nexus::GetDataManager())
            emit data->LocalMediaSeek(mediaId, mLastSeekValue / 1000, _playFlag);
    }
    seekMsgTimer->stop();
}

void AvPlayer::onSeekFinished(qlonglong pos)
{
    qDebug("seek finished at %lld/%lld", pos, player != nullptr ? static_cast<qlonglong>(player->position()) : 0LL);
    // A pending announcement carries where a video seek really landed.
    if (mediaType == 2 && player != nullptr)
        mLastSeekValue = static_cast<int>(player->position());
}

void AvPlayer::toggleClose()
{
    if (mediaId.isEmpty())
        return;
    if (DataManager* data = Nexus::GetDataManager())
        emit data->Request4CloseMedia(mediaId);
    // Deletes this window.
    if (MiddleArea* middle = Nexus::GetMiddleArea())
        middle->OnDestroyAvPlayer();
}
