// Likes and lesson marks of the local student, and the identity the chat
// compares senders with.
#include "DataManager.h"

#include <QMutexLocker>

QString DataManager::GetFullName() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strFullName;
}

void DataManager::SetFullName(const QString& name)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strFullName = name;
}
