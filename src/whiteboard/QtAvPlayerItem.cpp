#include "QtAvPlayerItem.h"

#include "whiteboard/QtAvPlayerList.h"

#include <QDebug>
#include <QLabel>

QtAvPlayerItem::QtAvPlayerItem(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("QtAvPlayerItem"));
    m_statusLabel = new QLabel(QStringLiteral("仅老师可操作"), this);
    m_statusLabel->setAlignment(Qt::AlignCenter);
}

void QtAvPlayerItem::SetPlayStatus(int status)
{
    m_playStatus = status;
    switch (status) {
    case StatusPlaying:
        m_statusLabel->setText(QStringLiteral("播放中..."));
        break;
    case StatusPaused:
        m_statusLabel->setText(QStringLiteral("暂停中..."));
        break;
    default:
        m_statusLabel->setText(QStringLiteral("仅老师可操作"));
        break;
    }
    m_statusLabel->show();
    if (m_ownerList != nullptr)
        m_ownerList->OnRowStatusChanged(this);
}

void QtAvPlayerItem::MarkTransFailed()
{
    qDebug() << "into QtAvPlayerItem::MarkTransFailed, and mediaId:" << m_mediaId;
}
