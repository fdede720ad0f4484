#pragma once

#include <QList>
#include <QString>
#include <QTreeWidget>

#include "session/UserInfo.h"

class UserItem;

// Everybody in the class room, one row per participant, grouped by role in
// the order 4, 5, 6, 7. The session thread emits the signals; each is
// connected to the slot of the same name with "On" in front and so arrives
// queued in the GUI thread.
class UserList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit UserList(QWidget* parent = nullptr);

    QList<UserItem*> GetItems() const { return m_items; }
    UserItem* FindItem(int uid) const;
    // Drops every row.
    void Clear();
    // Lays every row out again for the panel mode.
    void RefreshUI(int mode);

signals:
    void UserLogin(UserInfo* user);
    void UserLogout(UserInfo* user);
    void AuthStateChanged(UserInfo* buddy);
    void DeviceInfoUpdate(UserInfo* buddy);
    void UserStateChanged(int uid, int state);

public slots:
    void OnUserLogin(UserInfo* user);
    // Removes the member's row and deletes the record, which the session
    // handed over with the signal.
    void OnUserLogout(UserInfo* user);
    void OnAuthStateChanged(UserInfo* buddy);
    void OnDeviceInfoUpdate(UserInfo* buddy);
    void OnUserStateChanged(int uid, int state);
    // The avatar of the user with this decimal id is on disk.
    void OnDownloadFinished(QString id);

private:
    QList<UserItem*> m_items; // in tree order
    int m_mode = 1;
};
