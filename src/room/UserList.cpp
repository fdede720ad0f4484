#include "UserList.h"

#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "room/LeftArea.h"
#include "room/UserItem.h"
#include "room/UserNavigation.h"
#include "session/DataManager.h"

#include <QDebug>
#include <QEvent>
#include <QHeaderView>
#include <QPixmap>
#include <QPixmapCache>
#include <QScrollBar>

namespace {
constexpr int kItemFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
constexpr int kFirstRole = 4;
constexpr int kLastRole = 7;
// A device-information request that got no answer in this time may be sent
// again.
constexpr int kDeviceInfoWaitMs = 5000;
constexpr int kAvatarKind = 1; // DownloadType of member avatars

// Members of a role the list does not know are shown with the last group
// rather than lost.
int GroupOf(int role)
{
    return (role >= kFirstRole && role <= kLastRole) ? role : kLastRole;
}

QTreeWidgetItem* NewItem(const QSize& size)
{
    auto* item = new QTreeWidgetItem();
    item->setFlags(static_cast<Qt::ItemFlags>(kItemFlags));
    item->setSizeHint(0, size);
    return item;
}
} // namespace

UserList::UserList(QWidget* parent)
    : QTreeWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setColumnCount(1);
    setHeaderHidden(true);
    setFrameStyle(QFrame::Box);
    setRootIsDecorated(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows size themselves to the list's width; a section sized to its
    // contents would measure every row at each insertion, which a class of
    // two thousand cannot afford.
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setStretchLastSection(false);
    setStyleSheet(QStringLiteral("QTreeWidget{background:%1;border:0px solid green;border-right-width: "
                                 "1px;border-right-color: #dadbdc;border-right-style: solid;}QTreeWidget::Item "
                                 "{background:%1;border:0px solid red;}QTreeWidget::Item::hover{background:%2;}"
                                 "QTreeWidget::Item::selected{background:%1;border:0px;}")
                      .arg(QStringLiteral("#FAFBFC"), QStringLiteral("#eeeeee"))
        + QStringLiteral("QPushButton#userIconBrush{image: url(:resource/userlist/list_icon_brush_normal.png);"
                         "border:0px;}QPushButton#userIconCameraOff{image: url(:resource/userlist/"
                         "list_icon_disvideo_normal.png);border:0px;}QPushButton#userIconMicOff{image: url(:resource/"
                         "userlist/list_icon_disvoice_normal.png);border:0px;}"));
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical{width:5px;background:rgba(0,0,0,0%);margin:0px,0px,0px,0px;}QScrollBar::handle:"
        "vertical{width:5px;background:rgba(0,0,0,25%); border-radius:2px;min-height:20;}QScrollBar::handle:"
        "vertical:hover{width:5px;background:rgba(0,0,0,25%);border-radius:2px;min-height:20;}QScrollBar::add-"
        "line:vertical{height:9px;width:0px;subcontrol-position:bottom;}QScrollBar::sub-line:vertical{height:9px;"
        "width:0px;subcontrol-position:top;}QScrollBar::add-line:vertical:hover{height:9px;width:0px;subcontrol-"
        "position:bottom;}QScrollBar::sub-line:vertical:hover{height:9px;width:0px;subcontrol-position:top;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:rgba(0,0,0,0%);border-radius:"
        "4px;}"));
    installEventFilter(this);

    connect(this, &UserList::UserLogin, this, &UserList::OnUserLogin);
    connect(this, &UserList::UserLogout, this, &UserList::OnUserLogout);
    connect(this, &UserList::AuthStateChanged, this, &UserList::OnAuthStateChanged);
    connect(this, &UserList::DeviceInfoUpdate, this, &UserList::OnDeviceInfoUpdate);
    connect(this, &UserList::UserStateChanged, this, &UserList::OnUserStateChanged);
}

UserList::~UserList()
{
    setCurrentItem(nullptr);
    clearSelection();
    removeEventFilter(this);
}

bool UserList::IsLocalUser(int uid)
{
    DataManager* data = Nexus::GetDataManager();
    return data != nullptr && data->GetUserId() == uid;
}

int UserList::LocalRole()
{
    DataManager* data = Nexus::GetDataManager();
    return data != nullptr ? data->GetRoomRole() : 0;
}

QList<UserItem*> UserList::GetItems() const
{
    QList<UserItem*> items;
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        items += it.value();
    return items;
}

UserItem* UserList::FindItem(int uid) const
{
    return m_byUid.value(uid, nullptr);
}

QSize UserList::GetSize4UserItem() const
{
    return QSize(width() - 1, m_mode == 2 ? 60 : 75);
}

QSize UserList::GetSize4UserNav() const
{
    return QSize(width() - 1, 30);
}

QList<UserItem*>* UserList::GetUserListByRole(int role)
{
    return &m_rows[GroupOf(role)];
}

QList<UserItem*>* UserList::GetUserListById(int uid)
{
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr) {
        qDebug() << "into UserList::GetUserListById, and data is null ?,id:" << uid;
        return nullptr;
    }
    UserInfo* info = data->GetUserInfoByUid(QString::number(uid));
    if (info == nullptr) {
        qDebug() << "into UserList::GetUserListById, and user info is null ?,id:" << uid;
        return nullptr;
    }
    return GetUserListByRole(info->GetRole());
}

int UserList::GetUserNavIndexByRole(int role) const
{
    int index = 0;
    for (int r = kFirstRole; r < GroupOf(role); ++r) {
        if (m_navs.contains(r))
            index += m_rows.value(r).size() + 1;
    }
    return index;
}

int UserList::GetUserItemIndexByRole(int role, bool isSelf) const
{
    const int group = GroupOf(role);
    int index = 0;
    for (int r = kFirstRole; r <= group; ++r) {
        if (!m_navs.contains(r))
            continue;
        index += 1;
        if (r != group || !isSelf)
            index += m_rows.value(r).size();
    }
    return index;
}

UserNavigation* UserList::CreateNavIfNotExsit(int role)
{
    const int group = GroupOf(role);
    if (UserNavigation* nav = m_navs.value(group, nullptr)) {
        qDebug() << "nav is exist and role:" << group;
        return nav;
    }
    auto* nav = new UserNavigation(this);
    nav->resize(GetSize4UserNav());
    nav->SetTree(this);
    QTreeWidgetItem* item = NewItem(GetSize4UserNav());
    nav->SetTreeItem(item);
    // The index is taken before the header counts as present.
    scheduleDelayedItemsLayout();
    insertTopLevelItem(GetUserNavIndexByRole(group), item);
    m_navs.insert(group, nav);
    setItemWidget(item, 0, nav);
    nav->resize(GetSize4UserNav());
    nav->Layout();
    return nav;
}

UserItem* UserList::CreateUserItemByInfo(UserInfo* info)
{
    // Made where the tree puts it, so that it is styled once, when shown.
    auto* row = new UserItem(viewport());
    if (IsLocalUser(info->GetUid()) || LocalRole() == 4)
        row->OnUserStateChanged(info->GetUserStatus());
    row->hide();
    row->SetHeadPath(info->GetHeadPath());
    row->SetUserName(info->GetUserName());
    row->SetUid(info->GetUid());
    row->SetRole(info->GetRole());
    return row;
}

void UserList::UpdateUserItem(UserItem* row, UserInfo* info, bool folded)
{
    QTreeWidgetItem* item = NewItem(GetSize4UserItem());
    row->SetTreeItem(item);
    // Inserting into a laid-out tree re-places every row widget at once;
    // with the layout pending, the rows are placed once at the next paint.
    scheduleDelayedItemsLayout();
    insertTopLevelItem(GetUserItemIndexByRole(info->GetRole(), IsLocalUser(info->GetUid())), item);
    setItemWidget(item, 0, row);
    row->resize(GetSize4UserItem());
    if (folded) {
        item->setHidden(true);
        qDebug() << "in UserList::UpdateUserItem, and nav is hidden";
        return;
    }
    if (IsLocalUser(info->GetUid()) || LocalRole() == 4)
        row->OnUserStateChanged(info->GetUserStatus());
    row->OnAuthStateChanged(info->GetPermission(), info->GetActionStatus());
}

void UserList::OnUserLogin(UserInfo* info)
{
    if (info == nullptr) {
        qDebug() << "===> into UserList::OnUserLogin, and data is null ?";
        return;
    }
    const int uid = info->GetUid();
    if (m_byUid.contains(uid)) {
        qDebug() << "into UserList::OnUserLogin, has exist in userlist";
        return;
    }
    const int role = info->GetRole();
    if (GroupOf(role) != role)
        qDebug() << "into UserList::OnUserLogin, unknown role shown with the last group:" << role << uid;
    UserNavigation* nav = CreateNavIfNotExsit(role);
    UserItem* row = CreateUserItemByInfo(info);
    if (!nav->IsFolded()) {
        qDebug() << "into UserList::OnUserLogin, mode:" << m_mode;
        row->resize(GetSize4UserItem());
        row->UpdateUI(m_mode);
    }
    UpdateUserItem(row, info, nav->IsFolded());
    QList<UserItem*>* rows = GetUserListByRole(role);
    if (IsLocalUser(uid))
        rows->prepend(row);
    else
        rows->append(row);
    m_byUid.insert(uid, row);
    nav->OnNumChanged(GroupOf(role), rows->size());
}

void UserList::OnUserLogout(UserInfo* info)
{
    if (info == nullptr) {
        qDebug() << "into UserList::OnUserLogout, and data is null ?";
        return;
    }
    const int uid = info->GetUid();
    UserItem* row = m_byUid.take(uid);
    if (row != nullptr) {
        const int group = GroupOf(row->GetRole());
        if (LeftArea* left = Nexus::GetLeftArea())
            left->ClosePermissionsOf(uid);
        QList<UserItem*>& rows = m_rows[group];
        rows.removeOne(row);
        // The row keeps its tree item, so its position needs no arithmetic.
        const int index = indexOfTopLevelItem(row->GetTreeItem());
        qDebug() << "in UserList::OnUserLogout, clear user id:" << uid << rows.size() << index;
        delete takeTopLevelItem(index); // the row widget goes with its item
        if (UserNavigation* nav = m_navs.value(group, nullptr)) {
            if (rows.isEmpty()) {
                delete takeTopLevelItem(indexOfTopLevelItem(nav->GetTreeItem()));
                m_navs.remove(group);
            } else {
                nav->OnNumChanged(group, rows.size());
            }
        }
    }
    // The record came over with the signal; the session may still hold it
    // (a test, or a member already back under the same id).
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr || data->GetUserInfoByUid(QString::number(uid)) != info)
        info->deleteLater();
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
    m_deviceInfoAsked.invalidate();
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
    UserItem* row = ok ? FindItem(uid) : nullptr;
    if (row == nullptr)
        return;
    // A row made before the avatar's path was known takes it now.
    if (row->GetHeadPath().isEmpty()) {
        DataManager* data = Nexus::GetDataManager();
        if (UserInfo* info = data != nullptr ? data->GetUserInfoByUid(id) : nullptr)
            row->SetHeadPath(info->GetHeadPath());
    }
    if (row->GetHeadPath().isEmpty() || PicIntegrityCheck(row->GetHeadPath(), uid))
        row->OnDownloadFinished();
}

bool UserList::PicIntegrityCheck(const QString& path, int uid)
{
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap)) {
        pixmap.load(path);
        if (!pixmap.isNull())
            QPixmapCache::insert(path, pixmap);
    }
    if (!pixmap.isNull())
        return true;
    qDebug() << "into UserList::PicIntegrityCheck, and pixmap is null, and will make retry download, and head path:"
             << path;
    QPixmapCache::remove(path);
    // Member avatars are transfers of their own kind keyed by the member's
    // id. A file that downloads fine but never decodes would come back here
    // after every retry, so each member gets one retry per class.
    if (uid > 0 && !m_avatarRetried.contains(uid)) {
        m_avatarRetried.insert(uid);
        if (DownldManager* downloads = Nexus::GetDownldManager())
            emit downloads->retryDownload(kAvatarKind, QString::number(uid));
    }
    return false;
}

void UserList::RequestDeviceInfo()
{
    if (m_deviceInfoAsked.isValid() && !m_deviceInfoAsked.hasExpired(kDeviceInfoWaitMs))
        return;
    DataManager* data = Nexus::GetDataManager();
    if (data == nullptr)
        return;
    m_deviceInfoAsked.start();
    emit data->DeviceInfoRequestByRoomId();
}

void UserList::rowsInserted(const QModelIndex&, int, int)
{
    // The base view places every row widget at once for each inserted row
    // (a whole class arriving would take quadratic time); the pending
    // layout places them once, at the next paint.
    scheduleDelayedItemsLayout();
}

void UserList::updateEditorGeometries()
{
    QTreeWidget::updateEditorGeometries();
    BuildRowsInView();
}

void UserList::scrollContentsBy(int dx, int dy)
{
    // Scrolling moves the rows without placing them again.
    QTreeWidget::scrollContentsBy(dx, dy);
    BuildRowsInView();
}

void UserList::BuildRowsInView()
{
    const QRect view = viewport()->rect();
    for (UserItem* row : qAsConst(m_byUid)) {
        if (row->IsBuilt() || row->isHidden() || !row->geometry().intersects(view))
            continue;
        // Laid out at the size the list gives its rows, as an eagerly built
        // row is: the tree may still hold a column width from before a resize.
        row->resize(GetSize4UserItem());
        row->Build();
    }
}

void UserList::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    header()->resizeSection(0, qMax(0, width() - 1));
}

void UserList::RefreshUI(int mode)
{
    qDebug() << "\n===>enter UserList::RefreshUI";
    m_mode = mode;
    scheduleDelayedItemsLayout();
    setUpdatesEnabled(false);
    for (int role = kFirstRole; role <= kLastRole; ++role) {
        UserNavigation* nav = m_navs.value(role, nullptr);
        if (nav == nullptr || nav->GetTreeItem() == nullptr)
            continue;
        nav->resize(width(), 30);
        nav->GetTreeItem()->setSizeHint(0, GetSize4UserNav());
        nav->Layout();
        for (UserItem* row : m_rows.value(role)) {
            QTreeWidgetItem* item = row->GetTreeItem();
            if (nav->IsFolded()) {
                item->setHidden(true);
                continue;
            }
            item->setSizeHint(0, GetSize4UserItem());
            item->setHidden(false);
            row->resize(GetSize4UserItem());
            row->UpdateUI(mode);
        }
    }
    setUpdatesEnabled(true);
    qDebug() << "exit UserList::RefreshUI\n";
}

void UserList::Clear()
{
    for (int role = kFirstRole; role <= kLastRole; ++role) {
        if (m_navs.contains(role))
            m_rows[role].clear();
    }
    m_rows.clear();
    m_navs.clear();
    m_byUid.clear();
    m_avatarRetried.clear();
    m_deviceInfoAsked.invalidate();
    clear(); // deletes the tree items with their header and row widgets
}

bool UserList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Enter && verticalScrollBar()->isHidden())
            verticalScrollBar()->show();
        else if (event->type() == QEvent::Leave && !verticalScrollBar()->isHidden())
            verticalScrollBar()->hide();
    }
    return QTreeWidget::eventFilter(watched, event);
}
