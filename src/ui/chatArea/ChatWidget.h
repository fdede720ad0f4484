#pragma once

#include "GenericChatForm.h"

#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVariant>
#include <functional>

// The chat panel of the right column: shows the room's chat (text, emoji,
// pictures, notices and time rows) and sends the local user's text and
// pictures. Lives in the GUI thread; the session and transfer threads emit
// its signals, which are connected to its slots and so arrive queued.
class EmojiWidget;
class MarkList;
class QTabWidget;

class ChatWidget : public GenericChatForm
{
    Q_OBJECT
    Q_PROPERTY(int m_dwMsgInitFlag READ GetMsgInitFlag WRITE SetMsgInitFlag NOTIFY MsgInitFlagChanged)

public:
    explicit ChatWidget(QWidget* parent = nullptr);
    ~ChatWidget() override;

    // Lays the panel out in area, top pixels down.
    void UpdateUI(int top, QWidget* area);
    // Rebuilds the tabs for the local user's role.
    void UpdateUIByStates();
    // Students (role 5 and above) get the chat and their lesson marks as
    // two tabs; everyone else the chat alone.
    void CreateTabWidgetByRole();
    void DropTabWidget();
    QTabWidget* GetTabWidget() const { return m_tabWidget; }
    MarkList* GetMarkList() const { return m_markList; }
    // Checks a picture file, shows it as an own picture and uploads it.
    void OnUploadChatImage(const QString& path);
    // Chat right (permission bit 16) as last applied to the input box.
    bool IsChatAllowed() const { return m_chatAllowed; }

    // 1 while the input box shows its hint, 2 while the user types.
    int GetMsgInitFlag() const { return m_dwMsgInitFlag; }
    void SetMsgInitFlag(int flag);

    void AddTextMessage(const QString& text, const QString& sender, int sendTime);
    void AddImageMessage(const QString& path, const QString& sender, int width, int height, bool sending, bool isSelf);
    // Display size of a picture file by the 100-pixel rule; 0 x 0 when it
    // cannot be read.
    static QSize GetPictureSize(const QString& path);
    // The emoji code of a picture path; empty when the path is no emoji's.
    static QString GetEmojiCodeByPath(const QString& path);
    EmojiWidget* GetEmojiWidget() const { return m_emojiWidget; }

    // The clock of the time rows, seconds since the epoch; tests set it.
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    void CleanUp();
    void ShowChatMsg(QString sender, QString msg, int sendTime);
    void DirectShowChatMsg(QString sender, QString msg, int sendTime);
    void ShowChatImageMsg(QVariant image);
    void ShowChatSystemMsg(QString text);
    void MsgInitFlagChanged(int flag);
    void UploadImageSuccess(QString fileName, QString imageId);
    // The upload of the local picture file at path failed.
    void UploadImageFailed(QString path);
    // The room was sent the uploaded picture with that id.
    void ChatImageSent(QString imageId);
    void DragScrollBarToEnd();

public slots:
    void OnShowChatMsg(QString sender, QString msg, int sendTime);
    void OnDirectShowChatMsg(QString sender, QString msg, int sendTime);
    void OnShowChatImageMsg(QVariant image);
    void OnShowChatSystemMsg(QString text);
    void OnUploadImageSuccess(QString fileName, QString imageId);
    void OnUploadImageFailed(QString path);
    void OnChatImageSent(QString imageId);
    void OnDownloadImageSuccess(int kind, QString key);
    // The small picture with that id could not be fetched.
    void OnDownloadImageFailed(QString imageId);
    void OnDragScrollBarToEnd();
    void OnMsgInitFlagChanged(int flag);
    void OnAddNewMarkItem(QString uuid);
    void OnDelMarkItem(QString uuid);
    void OnRenderMarkList();
    void UpdateUIByPermission(int permission);
    void OnCleanUp();
    void sendImage(QPixmap pixmap);

    void onSendTriggered() override;
    void onAttachClicked() override;
    void onScreenshotClicked() override;
    void onEmoteButtonClicked() override;
    // A picture of the emoji pop-up was clicked.
    void OnEmojiClicked(QString path);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Adds a time row when one is due; sendTime 0 means "now".
    void AddTimeRowIfDue(int sendTime);
    void AddTextRows(const QString& text, const QString& sender, int sendTime, bool isSelf);
    void AddPictureRows(
        const QString& path, const QString& sender, QSize size, bool sending, bool isSelf, int sendTime);
    // Shows and uploads a picture file that passed its checks.
    void ShowAndUpload(const QString& path);
    // Asks for a received picture unless it is on disk already.
    void FetchPicture(const QString& url, int kind, const QString& imageId);
    bool HasChatRight() const;
    // The local user's name: the full name the room messages carry.
    QString LocalName() const;
    bool IsOwnName(const QString& sender) const;
    qint64 Now() const;

    void PlaceEmojiWidget();
    void updateCSS4TabWidget();
    // Adds a row for the mark unless it is listed already.
    void AddMarkRow(const QString& uuid, int time, const QString& description);
    // The send, emoji, picture and screenshot buttons follow the chat right.
    void EnableSending(bool enabled);

    QTabWidget* m_tabWidget = nullptr;
    MarkList* m_markList = nullptr;
    QSize m_tabsLaidOutFor; // the panel's size when the tabs were laid out
    // What the user had typed when the chat right was taken away.
    QString m_draft;

    EmojiWidget* m_emojiWidget = nullptr;
    QWidget* m_area = nullptr;
    int m_top = 0;
    int m_dwMsgInitFlag = 1;
    int m_dwEmojiShowType = 0;
    qint64 m_lastTimeRow = 0;
    bool m_chatAllowed = true;
    int m_appliedChatRight = -1; // -1 until the first permission word
    std::function<qint64()> m_clock;
};
