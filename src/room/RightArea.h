#pragma once

#include <QLabel>

#include "rtc/Player.h"
#include "ui/chatArea/ChatWidget.h"

// The class room's right column: the video panel on top, the chat below.
class RightArea : public QLabel
{
    Q_OBJECT

public:
    explicit RightArea(QWidget* parent = nullptr);

    ChatWidget* GetChatWidget() { return &m_chatWidget; }
    Player* GetPlayer() { return &m_player; }

    void SetupLayout(QWidget* window);
    // The least width that keeps the chat's buttons and the teacher card
    // whole.
    int GetMinimumWidth() const;

signals:
    void CleanUp();

public slots:
    // Cleans up the video panel, then the chat panel.
    void OnCleanUp();

private:
    ChatWidget m_chatWidget;
    Player m_player;
};
