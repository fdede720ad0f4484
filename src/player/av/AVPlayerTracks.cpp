// The player's requests that do not wait for the core, its audio tracks,
// and the colour adjustment of the frames.
#include "AVPlayer.h"

#include "LibAVFilter.h"
#include "LogLevel.h"

#include <QDebug>
#include <QTimer>

namespace plxav {

int AVPlayer::request(const QStringList& args, Reply done)
{
    const quint64 id = m_nextReply++;
    const int error = m_core.commandAsync(args, id);
    if (error < 0)
        qDebug() << "[player] command" << loggableText(args) << "not sent:" << MpvCore::errorText(error);
    else
        m_replies.insert(id, std::move(done));
    return error;
}

void AVPlayer::onCommandReply(const mpv_event& event)
{
    const Reply done = m_replies.take(event.reply_userdata);
    const auto* reply = static_cast<const mpv_event_command*>(event.data);
    if (event.error < 0 && !done)
        qDebug() << "[player] request refused:" << MpvCore::errorText(event.error);
    if (done)
        done(event.error, reply != nullptr ? MpvCore::toVariant(reply->result) : QVariant());
}

// ---- audio tracks

void AVPlayer::setTracks(const QVariant& list)
{
    m_tracks = list.toList();
    // Nothing here turns the video off; the core does when its render
    // context goes.
    bool shown = false;
    bool picture = false;
    for (const QVariant& track : tracksOf(QStringLiteral("video"), false)) {
        const QVariantMap fields = track.toMap();
        shown = shown || fields.value(QStringLiteral("selected")).toBool();
        picture = picture || !fields.value(QStringLiteral("albumart")).toBool();
    }
    m_videoLost = m_state == Loaded && picture && !shown;
    restoreVideo();
    emit tracksChanged();
}

QVariantList AVPlayer::tracksOf(const QString& type, bool external) const
{
    QVariantList found;
    for (const QVariant& track : m_tracks) {
        const QVariantMap fields = track.toMap();
        if (fields.value(QStringLiteral("type")).toString() == type
            && fields.value(QStringLiteral("external")).toBool() == external)
            found << fields;
    }
    return found;
}

int AVPlayer::audioStreamCount() const
{
    return m_state == Loaded ? tracksOf(QStringLiteral("audio"), false).size() : 0;
}

int AVPlayer::currentAudioStream() const
{
    if (m_state != Loaded)
        return -1;
    const QVariantList streams = tracksOf(QStringLiteral("audio"), false);
    for (int i = 0; i < streams.size(); ++i) {
        if (streams.at(i).toMap().value(QStringLiteral("selected")).toBool())
            return i;
    }
    return -1;
}

bool AVPlayer::setAudioStream(int stream)
{
    const QVariantList streams = m_state == Loaded ? tracksOf(QStringLiteral("audio"), false) : QVariantList();
    if (stream < 0 || stream >= streams.size())
        return false;
    return m_core.setPropertyAsync("aid", streams.at(stream).toMap().value(QStringLiteral("id")).toLongLong()) >= 0;
}

void AVPlayer::setExternalAudio(const QString& file)
{
    if (m_state == Loaded) {
        // Only one other file plays at a time.
        for (const QVariant& track : tracksOf(QStringLiteral("audio"), true))
            request({ QStringLiteral("audio-remove"), track.toMap().value(QStringLiteral("id")).toString() });
    }
    m_externalAudio = file;
    if (m_state != Loaded)
        return;
    if (file.isEmpty()) {
        setAudioStream(0);
        return;
    }
    request({ QStringLiteral("audio-add"), file, QStringLiteral("select") }, [this, file](int code, const QVariant&) {
        if (code >= 0)
            return;
        if (m_externalAudio == file)
            m_externalAudio.clear();
        emit error(AVError(code, tr("Can not open %1: %2").arg(file, MpvCore::errorText(code))));
    });
}

// ---- colour adjustment

void AVPlayer::setPicture(int index, int value)
{
    m_picture[index] = qBound(-100, value, 100);
    // A slider sends every step, and a reset four values at once; the chain
    // is rebuilt once for them.
    m_pictureTimer->start();
}

void AVPlayer::applyPicture()
{
    const int brightness = m_picture[0];
    const int contrast = m_picture[1];
    const int hue = m_picture[2];
    const int saturation = m_picture[3];
    QStringList graph;
    if (brightness != 0 || contrast != 0 || saturation != 0)
        graph << QStringLiteral("eq=brightness=%1:contrast=%2:saturation=%3")
                     .arg(brightness / 100.0)
                     .arg(1.0 + contrast / 100.0)
                     .arg(1.0 + saturation / 100.0);
    // -100 to 100 turns the hue half a circle either way.
    if (hue != 0)
        graph << QStringLiteral("hue=h=%1").arg(hue * 1.8);
    const QString options = graph.join(QLatin1Char(','));
    if (options != m_pictureFilter->options() || !m_pictureFilter->isInstalled())
        m_pictureFilter->setOptions(options);
}

void AVPlayer::applyWaitingFilters()
{
    m_filters.removeAll(nullptr);
    for (const QPointer<LibAVFilter>& filter : qAsConst(m_filters)) {
        if (filter->m_waiting)
            filter->apply();
    }
}

} // namespace plxav
