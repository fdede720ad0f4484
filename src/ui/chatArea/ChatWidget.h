#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>

class QTextBrowser;

// The chat panel of the right column. Lives in the GUI thread; the session
// and transfer threads emit its signals, which are connected to its slots and
// so arrive queued.
class ChatWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ChatWidget(QWidget* parent = nullptr);

    // Lays the panel out in area, top pixels down.
    void UpdateUI(int top, QWidget* area);
    // Re-creates the tabs for the local user's role.
    void UpdateUIByStates();
    // Checks and uploads a picture file as a chat picture.
    void OnUploadChatImage(const QString& path);
    // Chat right (permission bit 16) as last reported.
    bool IsChatAllowed() const { return m_chatAllowed; }

signals:
    void CleanUp();
    void ShowChatMsg(QString sender, QString msg, int sendTime);
    void DirectShowChatMsg(QString sender, QString msg, int sendTime);
    void ShowChatImageMsg(QVariant image);
    void ShowChatSystemMsg(QString text);
    void UploadImageSuccess(QString fileName, QString imageId);

public slots:
    void OnShowChatMsg(QString sender, QString msg, int sendTime);
    void OnDirectShowChatMsg(QString sender, QString msg, int sendTime);
    void OnShowChatImageMsg(QVariant image);
    void OnShowChatSystemMsg(QString text);
    void OnUploadImageSuccess(QString fileName, QString imageId);
    void OnDownloadImageSuccess(int kind, QString key);
    void OnAddNewMarkItem(QString uuid);
    void OnDelMarkItem(QString uuid);
    void OnRenderMarkList();
    void UpdateUIByPermission(int permission);
    void OnCleanUp();

private:
    void AppendLine(const QString& html);

    QTextBrowser* m_chatLog = nullptr;
    bool m_chatAllowed = true;
};
