#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QTreeWidget>

#include "session/UserInfo.h"

class UserItem;
class UserNavigation;

// Everybody in the class room, grouped by role in the order 4, 5, 6, 7:
// one header per role present, then one row per member, the local user
// first in its group and the others in arrival order. The session thread
// emits the signals; each is connected to the slot of the same name with
// "On" in front and so arrives queued in the GUI thread. A record handed
// over by a signal is read only inside the slot; rows copy what they show.
class UserList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit UserList(QWidget* parent = nullptr);
    ~UserList() override;

    // Every row in tree order.
    QList<UserItem*> GetItems() const;
    UserItem* FindItem(int uid) const;
    // Drops every row and header.
    void Clear();
    // Lays headers and rows out again for the panel mode (1 narrow, 2 wide);
    // a folded group hides its rows.
    void RefreshUI(int mode);
    void RefreshUI() { RefreshUI(m_mode); }

    UserNavigation* GetNavigationByRole(int role) const { return m_navs.value(role, nullptr); }
    // The rows of a role's group; an empty group is made on first use.
    QList<UserItem*>* GetUserListByRole(int role);
    // The rows of the member's group, through the member's record; null
    // when the member is not in the room or there is no session.
    QList<UserItem*>* GetUserListById(int uid);

    // Whether the avatar at path is a readable picture. A broken one is
    // dropped from the pixmap cache and, once per member and class, fetched
    // again for the member uid (when given).
    bool PicIntegrityCheck(const QString& path, int uid = 0);
    // Asks the room for every member's device details unless a request is
    // still unanswered.
    void RequestDeviceInfo();

    QSize GetSize4UserItem() const;
    QSize GetSize4UserNav() const;
    // Flat top-level positions: a role's header, and where a new row of the
    // role goes (directly under the header for the local user).
    int GetUserNavIndexByRole(int role) const;
    int GetUserItemIndexByRole(int role, bool isSelf) const;

signals:
    void UserLogin(UserInfo* user);
    void UserLogout(UserInfo* user);
    void AuthStateChanged(UserInfo* buddy);
    void DeviceInfoUpdate(UserInfo* buddy);
    void UserStateChanged(int uid, int state);

public slots:
    void OnUserLogin(UserInfo* user);
    // Removes the member's row (and the group's header with the last row)
    // and deletes the record, which the session handed over with the
    // signal, unless the session still holds it.
    void OnUserLogout(UserInfo* user);
    void OnAuthStateChanged(UserInfo* buddy);
    void OnDeviceInfoUpdate(UserInfo* buddy);
    void OnUserStateChanged(int uid, int state);
    // The avatar of the user with this decimal id is on disk.
    void OnDownloadFinished(QString id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateEditorGeometries() override;

private:
    UserNavigation* CreateNavIfNotExsit(int role);
    UserItem* CreateUserItemByInfo(UserInfo* info);
    void UpdateUserItem(UserItem* row, UserInfo* info, bool folded);
    // Builds the rows that have come into view.
    void BuildRowsInView();
    static bool IsLocalUser(int uid);
    static int LocalRole();

    QMap<int, QList<UserItem*>> m_rows; // by role
    QMap<int, UserNavigation*> m_navs; // by role
    QHash<int, UserItem*> m_byUid;
    QSet<int> m_avatarRetried; // uids whose avatar was fetched again
    QElapsedTimer m_deviceInfoAsked; // valid while a request is unanswered
    int m_mode = 1;
};
