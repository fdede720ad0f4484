#pragma once

#include "ChatLine.h"

#include <QMenu>
#include <QWidget>
#include <cstdint>

class ChatLog;
class ChatTextEdit;
class QAction;
class QPushButton;

// The base of the chat panel: the chat log, the tool row (emoji, picture,
// screenshot, like, send) and the input box, their looks, the log's context
// menu and the like button. The panel overrides the tool buttons' slots.
// GUI thread only.
class GenericChatForm : public QWidget
{
    Q_OBJECT

public:
    explicit GenericChatForm(QWidget* parent = nullptr);

    ChatLog* GetChatLog() const { return m_chatLog; }
    ChatTextEdit* GetInputBox() const { return m_msgEdit; }
    QWidget* GetContentWidget() const { return m_contentWidget; }
    QPushButton* GetLikeButton() const { return m_likeButton; }
    QPushButton* GetSendButton() const { return m_sendButton; }
    QMenu* GetContextMenu() { return &m_menu; }
    QAction* GetCopyLinkAction() const { return m_copyLinkAction; }
    // Whether the like button shows the liked picture.
    bool IsLikeShownLiked() const { return m_likeShownLiked; }

signals:
    void sendMessage(uint32_t id, QString text);
    void sendAction(uint32_t id, QString text);
    void chatAreaCleared();
    void messageInserted();

public slots:
    virtual void onScreenshotClicked() { }
    virtual void onAttachClicked() { }
    virtual void onSendTriggered() { }
    virtual void onEmoteButtonClicked() { }
    virtual void clearChatArea(bool notify);
    virtual void InsertChatLine(const ChatLine::Ptr& line);

    void OnLikeClicked();
    void UpdateCSS4BtnLike();
    void onChatContextMenuRequested(QPoint pos);
    void copyLink();
    void clearChatArea();
    void onChatMessageFontChanged(const QFont& font);
    void onCopyLogClicked();
    void onSelectAllClicked();
    void onEmoteInsertRequested(QString text);
    void onSaveLogClicked();
    void focusInput() { }
    void showFileMenu() { }
    void hideFileMenu() { }
    void quoteSelectedText() { }

protected:
    QPushButton* MakeToolButton(const QString& name, const QString& tip, const QString& style);

    QAction* m_copyLinkAction = nullptr;
    QMenu m_menu;
    QPushButton* m_emoteButton = nullptr;
    QPushButton* m_fileButton = nullptr;
    QPushButton* m_screenshotButton = nullptr;
    QPushButton* m_likeButton = nullptr;
    QPushButton* m_sendButton = nullptr;
    QWidget* m_contentWidget = nullptr;
    ChatLog* m_chatLog = nullptr;
    ChatTextEdit* m_msgEdit = nullptr;
    bool m_likeShownLiked = false;
};
