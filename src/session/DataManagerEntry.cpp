// What the login window and the classroom-password panel write into the
// session record. The login writes from the GUI thread under the room lock;
// the room behind a classroom password is written in the "Profile Manager"
// thread, where the course-list roads write the same fields.
#include "DataManager.h"

#include "app/Nexus.h"

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

void DataManager::EnterPasswordRoom(const PasswordRoom& room)
{
    QMetaObject::invokeMethod(
        this,
        [this, room] {
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
            if (Nexus* hub = Nexus::Instance())
                emit hub->UpdateLoginProgress(16);
        },
        Qt::QueuedConnection);
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
    // The probe table, the classroom host's delay and address belong to
    // this worker's thread: all of them are measured again.
    QMetaObject::invokeMethod(
        this, [this] { ResetServerChoice(); }, Qt::QueuedConnection);
}
