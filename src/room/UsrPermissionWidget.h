#pragma once

#include <QStringList>
#include <QWidget>

class UserInfo;
class UsrPermissionTable;

// The teacher's pop-up on a participant's row: forbid or allow microphone,
// camera, chat and whiteboard, switch to push-to-talk, remove.
class UsrPermissionWidget : public QWidget
{
    Q_OBJECT

public:
    explicit UsrPermissionWidget(QWidget* parent = nullptr);

    // Rebuilds the table for the participant; false (and the pop-up left
    // empty) when the local user may do nothing to them.
    bool initWindow(int width, int height, UserInfo* info);
    // The participant the rows act on; 0 when there are none.
    int GetUid() const { return m_uid; }
    QStringList GetTexts() const;
    UsrPermissionTable* GetTable() const { return m_table; }

private:
    void DropTable();

    UsrPermissionTable* m_table = nullptr;
    int m_uid = 0;
};
