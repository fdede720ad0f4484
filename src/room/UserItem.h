#pragma once

#include <QLabel>
#include <QString>

class QAction;
class QMenu;
class QPushButton;
class QTreeWidgetItem;
class QtMaterialBadge;
class QtMaterialCircularProgress;
class DPIWidget4RoundPixmapV2;
class UserInfo;

// One participant's row in the user list: round avatar with a ring that
// turns while the member speaks, presence and camera marks, the name and,
// in the wide panel, icons for the rights the member lacks. The row copies
// what it shows from the member's record and keeps no pointer to it, so a
// member who left can never be read through a row.
//
// A class of thousands shows a dozen rows at a time, so a row builds its
// avatar, marks, name and icons only when it first comes into view (or is
// asked what it shows); until then it keeps what it was told and shows it
// once built.
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
    // The presence menu; only the local user's row has one.
    QMenu* GetStatusMenu() const;

    // Lays the row out for the panel mode (1 narrow, 2 wide).
    void UpdateUI(int mode);
    bool IsBuilt() const { return m_avatar != nullptr; }
    // Makes the row's parts and shows on them what the row was told so far.
    void Build();
    // Builds the presence menu (local user only).
    void InitStatusMenu();

    // What the row shows, for tests and the permission pop-up.
    QString GetShownName() const;
    bool IsSpeaking() const;
    bool IsCameraOn() const;
    // Right-hand icons shown, "camera", "microphone", "brush", right to left.
    QStringList GetShownIcons() const;
    bool IsPresenceShown() const;
    DPIWidget4RoundPixmapV2* GetAvatar() const;

signals:
    void AuthStateChanged(int permission, int status);

public slots:
    void OnDownloadFinished();
    void OnAuthStateChanged(int permission, int status);
    void OnUserStateChanged(int state);
    // Builds the tooltip from the member's device and network details.
    void OnDeviceInfoUpdate(UserInfo* buddy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool IsSelf() const;
    // Asking a row what it shows builds it.
    void EnsureBuilt() const { const_cast<UserItem*>(this)->Build(); }
    void ApplyCurrentRights();
    // The member's picture, or the default avatar while there is none.
    void ShowAvatar();
    // Cuts the name in the wide panel to the room the icons leave.
    void FitWideName();
    // Puts icon (made when first needed) into the next free slot from the
    // right edge.
    void PlaceIcon(QPushButton*& icon, const char* name, int slot);

    int m_uid = 0;
    int m_avatarSize1 = 41;
    int m_avatarSize2 = 41;
    int m_role = 0;
    int m_mode = 1;
    int m_state = 1;
    // What the row was told, kept for when it is built.
    bool m_laidOut = false;
    bool m_presenceSet = false;
    bool m_rightsSet = false;
    int m_permission = 0;
    int m_status = 0;
    QString m_deviceTip;
    QString m_headPath;
    QString m_userName;
    DPIWidget4RoundPixmapV2* m_avatar = nullptr;
    QtMaterialCircularProgress* m_ring = nullptr;
    QtMaterialBadge* m_presence = nullptr;
    QtMaterialBadge* m_camera = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_micOff = nullptr;
    QPushButton* m_brush = nullptr;
    QPushButton* m_cameraOff = nullptr;
    QTreeWidgetItem* m_treeItem = nullptr;
    QAction* m_online = nullptr;
    QAction* m_left = nullptr;
    QAction* m_busy = nullptr;
    QMenu* m_menu = nullptr;
};
