// What the login window and the classroom-password panel write into the
// session record. They run in the GUI thread while the "Profile Manager"
// thread may read the record, so every write goes under the room lock.
#include "DataManager.h"

#include <QDebug>

void DataManager::SetLoginIdentity(const QString& loginName, int uid, const QString& schoolId)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strLoginName = loginName;
    m_room.m_dwUserId = uid;
    m_room.m_strSchoolId = schoolId;
}

QString DataManager::GetLoginName() const
{
    QMutexLocker lock(&m_roomLock);
    return m_room.m_strLoginName;
}

void DataManager::SetPasswordRoom(const PasswordRoom& room)
{
    QMutexLocker lock(&m_roomLock);
    m_room.m_strRoomId = room.roomNo;
    m_room.m_strSessionId = room.sessionId;
    m_room.m_strSessionName = room.sessionName;
    m_room.m_startTime = room.startTime;
    m_room.m_endTime = room.endTime;
    m_room.m_strTeacherId = room.teacherId;
    m_room.m_strRoomPwd = room.roomPwd;
    m_room.m_teacherFeedback = true;
}

void DataManager::SetServerChoiceDone(bool done)
{
    {
        QMutexLocker lock(&m_roomLock);
        m_room.m_dwProbeDone = done ? 1 : 0;
        // A new measurement starts from the first candidate; left where the
        // last one ended, it would end at once and choose from old delays.
        if (!done)
            m_room.m_dwProbeIndex = 0;
    }
    if (done)
        return;
    // The probe table and its restart mark belong to this worker's thread.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_probeTable.fill(ProbeEntry());
            m_probeRestarted = false;
        },
        Qt::QueuedConnection);
}
