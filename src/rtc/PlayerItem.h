#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// One participant's video tile: the surface the engine draws into, the
// name under it, a switch with which the local user turns this video off
// and on, and on a teacher-side tile the room's like count. Owned by the
// video panel; GUI thread.
class PlayerItem : public QWidget
{
    Q_OBJECT

public:
    PlayerItem(QWidget* panel, int uid);

    int GetUid() const { return m_uid; }
    bool IsTeacher() const { return m_teacher; }
    void SetUserName(const QString& name) { m_userName = name; }
    QString GetUserName() const { return m_userName; }
    // The widget the engine renders this user's video into.
    QLabel* GetVideoSurface() const { return m_surface; }

    // Sizes the children to the tile and shows it.
    void Arrange();
    // Shows the like count on a teacher tile, hides it on others.
    void RefreshLikeCounter();
    // Reads the room's like count again.
    void UpdateLikeCount();
    // Icon, tooltip and surface by whether the local user switched the
    // video off.
    void UpdateSwitchButton();

public slots:
    void OnDisableVideoClicked();

private:
    bool IsLocalUser() const;

    QLabel* m_name = nullptr;
    QLabel* m_surface = nullptr;
    QLabel* m_likeCount = nullptr;
    QPushButton* m_like = nullptr;
    QPushButton* m_switch = nullptr;
    QString m_userName;
    int m_uid = 0;
    bool m_teacher = false; // the member has role 4
};
