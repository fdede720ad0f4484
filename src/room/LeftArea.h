#pragma once

#include <QWidget>

#include "room/UserList.h"

class QPushButton;
class UserItem;
class UsrPermissionWidget;

// The class room's left panel: the user list, narrow (mode 1, avatars
// only) or wide (mode 2), with a tab on its right edge that switches, and
// the teacher's permission pop-up.
class LeftArea : public QWidget
{
    Q_OBJECT

public:
    enum Mode { ModeNarrow = 1, ModeWide = 2 };

    explicit LeftArea(QWidget* parent = nullptr);
    ~LeftArea() override;

    UserList* GetUserList() { return &m_userList; }
    int GetMode() const { return m_mode; }
    QWidget* GetMainWindow() const { return m_mainWindow; }
    UsrPermissionWidget* GetUsrPermWidget() const { return m_usrPermWidget; }

    // Wide for the teacher side (role 4), narrow otherwise, then lays out.
    void UpdateModeByRole();
    void SetupLayout(QWidget* window);
    void ResizeByMode();
    void InitCSS();
    void UpdateZoomButtonCSS();
    // Closes the permission pop-up when it acts on the member uid.
    void ClosePermissionsOf(int uid);

signals:
    void ShowUsrPermWidget(UserInfo* user, UserItem* row);
    void HideUsrPermWidget();
    void CleanUp();

public slots:
    void OnShowUsrPermWidget(UserInfo* user, UserItem* row);
    void OnHideUsrPermWidget();
    void OnZoomInOutUsrArea();
    void OnCleanUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_mode = ModeNarrow;
    QPushButton* m_zoomButton = nullptr;
    // Made without parent; lives in the main window once shown.
    UsrPermissionWidget* m_usrPermWidget = nullptr;
    QWidget* m_mainWindow = nullptr;
    UserList m_userList;
};
