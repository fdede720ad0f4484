#include "AudioMixPlayer.h"

#include <QDebug>

AudioMixPlayer::AudioMixPlayer(const QString& path, QWidget* parent)
    : QWidget(parent)
    , m_path(path)
{ }

void AudioMixPlayer::stop()
{
    qDebug() << "into AudioMixPlayer::stop, path:" << m_path;
}
