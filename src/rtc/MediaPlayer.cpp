#include "MediaPlayer.h"

#include <QDebug>

MediaPlayer::MediaPlayer(QObject* parent)
    : QObject(parent)
{ }

bool MediaPlayer::InitPlayer()
{
    qDebug() << "into MediaPlayer::InitPlayer, engine:" << (m_agoraObject != nullptr);
    return m_agoraObject != nullptr;
}
