#pragma once

#include <QWidget>

#include "room/UserList.h"

class QPushButton;
class UserItem;

// The class room's left panel: the user list, narrow (mode 1) or wide
// (mode 2).
class LeftArea : public QWidget
{
    Q_OBJECT

public:
    enum Mode { ModeNarrow = 1, ModeWide = 2 };

    explicit LeftArea(QWidget* parent = nullptr);

    UserList* GetUserList() { return &m_userList; }
    int GetMode() const { return m_mode; }

    // Wide for the teacher side (role 4), narrow otherwise, then lays out.
    void UpdateModeByRole();
    void SetupLayout(QWidget* window);
    void ResizeByMode();

signals:
    void ShowUsrPermWidget(UserInfo* user, UserItem* row);
    void HideUsrPermWidget();
    void CleanUp();

public slots:
    void OnShowUsrPermWidget(UserInfo* user, UserItem* row);
    void OnHideUsrPermWidget();
    void OnZoomInOutUsrArea();
    void OnCleanUp();

private:
    int m_mode = ModeNarrow;
    QWidget* m_mainWindow = nullptr;
    QPushButton* m_zoomButton = nullptr;
    UserList m_userList;
};
