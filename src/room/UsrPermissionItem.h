#pragma once

#include "session/UserInfo.h"

#include <QLabel>
#include <QPointer>

// One cell of the user list's permission pop-up: an operation on one right
// of one participant.
class UsrPermissionItem : public QLabel
{
    Q_OBJECT

public:
    enum Kind { KindForbid = 1, KindAllow = 2 };

    UsrPermissionItem(
        const QString& text, UserInfo* user, int permission, int mask, int kind, QWidget* parent = nullptr);

    UserInfo* GetUser() const { return m_user; }
    int GetPermission() const { return m_permission; }
    int GetMask() const { return m_mask; }
    int GetKind() const { return m_kind; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Not owned; null once the session worker has released the member.
    QPointer<UserInfo> m_user;
    int m_permission = 0;
    int m_mask = 0;
    int m_kind = KindForbid;
};
