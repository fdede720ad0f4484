#include "AvPlayer.h"

#include <QDebug>

AvPlayer::AvPlayer(QWidget* parent, int mediaType)
    : QWidget(parent)
    , m_mediaType(mediaType)
{ }

void AvPlayer::OnPlay()
{
    qDebug() << "into AvPlayer::OnPlay, mediaId:" << m_mediaId;
}

void AvPlayer::OnPaused()
{
    qDebug() << "into AvPlayer::OnPaused, mediaId:" << m_mediaId;
}

void AvPlayer::seek(qint64 milliseconds, bool remote)
{
    qDebug() << "into AvPlayer::seek, ms:" << milliseconds << ",remote:" << remote;
}
