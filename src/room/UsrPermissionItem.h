#pragma once

#include "session/UserInfo.h"

#include <QLabel>
#include <QPointer>

// One cell of the user list's permission pop-up: an operation on one right
// of one participant. The participant is found again by id at the click,
// so a member who left in the meantime is never reached.
class UsrPermissionItem : public QLabel
{
    Q_OBJECT

public:
    enum Kind { KindForbid = 1, KindAllow = 2 };
    // The operation's permission bits beside the four rights.
    enum { PushToTalkBit = 2048, RemoveBit = 512 };

    UsrPermissionItem(
        const QString& text, UserInfo* user, int permission, int mask, int kind, QWidget* parent = nullptr);

    UserInfo* GetUser() const { return m_user; }
    int GetUid() const { return m_uid; }
    int GetPermission() const { return m_permission; }
    int GetMask() const { return m_mask; }
    int GetKind() const { return m_kind; }

    // The message type and operation for a row's bit and the participant's
    // current rights: 193 with 10001 (forbid) or 10002 (allow) for the four
    // rights, 224 push-to-talk and 160 removal with 10001.
    static QPair<int, int> OperationFor(int bit, int participantPermission);

signals:
    // A left click chose this row; the pop-up closes.
    void Chosen();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Not owned; null once the session worker has released the member.
    QPointer<UserInfo> m_user;
    int m_uid = 0;
    int m_permission = 0;
    int m_mask = 0;
    int m_kind = KindForbid;
};
