#pragma once

#include <QLabel>
#include <QString>

class QTreeWidgetItem;
class UserInfo;

// One participant's row in the user list.
class UserItem : public QLabel
{
    Q_OBJECT

public:
    explicit UserItem(QWidget* parent = nullptr);

    int GetUid() const { return m_uid; }
    void SetUid(int uid) { m_uid = uid; }
    int GetRole() const { return m_role; }
    void SetRole(int role) { m_role = role; }
    QString GetHeadPath() const { return m_headPath; }
    void SetHeadPath(const QString& path) { m_headPath = path; }
    QString GetUserName() const { return m_userName; }
    void SetUserName(const QString& name);
    // Presence: 1 online, 2 left, 3 busy.
    int GetUserState() const { return m_state; }
    QTreeWidgetItem* GetTreeItem() const { return m_treeItem; }
    void SetTreeItem(QTreeWidgetItem* item) { m_treeItem = item; }

    // Lays the row out for the panel mode (1 narrow, 2 wide).
    void UpdateUI(int mode);

signals:
    void AuthStateChanged(int permission, int status);

public slots:
    void OnDownloadFinished();
    void OnAuthStateChanged(int permission, int status);
    void OnUserStateChanged(int state);
    // Builds the tooltip from the member's device and network details.
    void OnDeviceInfoUpdate(UserInfo* buddy);

private:
    QLabel* m_avatar = nullptr;
    QLabel* m_name = nullptr;
    QTreeWidgetItem* m_treeItem = nullptr;
    int m_uid = 0;
    int m_role = 0;
    int m_state = 1;
    QString m_headPath;
    QString m_userName;
};
