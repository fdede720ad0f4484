#include "UserList.h"

#include "room/UserItem.h"

#include <QDebug>

namespace {
constexpr int kRowFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
} // namespace

UserList::UserList(QWidget* parent)
    : QTreeWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(this, &UserList::UserLogin, this, &UserList::OnUserLogin);
    connect(this, &UserList::UserLogout, this, &UserList::OnUserLogout);
    connect(this, &UserList::AuthStateChanged, this, &UserList::OnAuthStateChanged);
    connect(this, &UserList::DeviceInfoUpdate, this, &UserList::OnDeviceInfoUpdate);
    connect(this, &UserList::UserStateChanged, this, &UserList::OnUserStateChanged);
}

UserItem* UserList::FindItem(int uid) const
{
    for (UserItem* item : m_items) {
        if (item->GetUid() == uid)
            return item;
    }
    return nullptr;
}

void UserList::Clear()
{
    m_items.clear();
    clear(); // deletes the tree items and their row widgets
}

void UserList::RefreshUI(int mode)
{
    m_mode = mode;
    const int rowHeight = mode == 2 ? 60 : 75;
    for (UserItem* item : m_items) {
        if (item->GetTreeItem() != nullptr)
            item->GetTreeItem()->setSizeHint(0, QSize(width() - 1, rowHeight));
        item->resize(width() - 1, rowHeight);
        item->UpdateUI(mode);
    }
}

void UserList::OnUserLogin(UserInfo* user)
{
    if (user == nullptr) {
        qDebug() << "===> into UserList::OnUserLogin, and data is null ?";
        return;
    }
    if (FindItem(user->GetUid()) != nullptr) {
        qDebug() << "into UserList::OnUserLogin, has exist in userlist";
        return;
    }
    auto* row = new UserItem(this);
    row->SetUid(user->GetUid());
    row->SetRole(user->GetRole());
    row->SetHeadPath(user->GetHeadPath());
    row->SetUserName(user->GetUserName());

    // Groups stay in role order: the new row goes after the last row of its
    // own role or of a lower one.
    int index = 0;
    while (index < m_items.size() && m_items.at(index)->GetRole() <= user->GetRole())
        ++index;
    auto* treeItem = new QTreeWidgetItem();
    treeItem->setFlags(static_cast<Qt::ItemFlags>(kRowFlags));
    treeItem->setSizeHint(0, QSize(width() - 1, m_mode == 2 ? 60 : 75));
    insertTopLevelItem(index, treeItem);
    setItemWidget(treeItem, 0, row);
    row->SetTreeItem(treeItem);
    m_items.insert(index, row);
    row->UpdateUI(m_mode);
}

void UserList::OnUserLogout(UserInfo* user)
{
    if (user == nullptr) {
        qDebug() << "into UserList::OnUserLogout, and data is null ?";
        return;
    }
    UserItem* row = FindItem(user->GetUid());
    if (row != nullptr) {
        const int index = m_items.indexOf(row);
        m_items.removeAt(index);
        qDebug() << "in UserList::OnUserLogout, clear user id:" << m_items.size() << index;
        delete takeTopLevelItem(index); // the row widget goes with its item
    }
    // The record was created in the session thread; it is deleted there.
    user->deleteLater();
}

void UserList::OnAuthStateChanged(UserInfo* buddy)
{
    if (buddy == nullptr)
        return;
    if (UserItem* row = FindItem(buddy->GetUid()))
        row->OnAuthStateChanged(buddy->GetPermission(), buddy->GetActionStatus());
}

void UserList::OnDeviceInfoUpdate(UserInfo* buddy)
{
    if (buddy == nullptr)
        return;
    if (UserItem* row = FindItem(buddy->GetUid()))
        row->OnDeviceInfoUpdate(buddy);
}

void UserList::OnUserStateChanged(int uid, int state)
{
    if (UserItem* row = FindItem(uid))
        row->OnUserStateChanged(state);
}

void UserList::OnDownloadFinished(QString id)
{
    bool ok = false;
    const int uid = id.toInt(&ok);
    if (!ok)
        return;
    if (UserItem* row = FindItem(uid))
        row->OnDownloadFinished();
}
