#pragma once

#include <QLabel>
#include <QUrl>

class QPushButton;

// The technical-support pop-up of the title bar, a child of the main window:
// the instant-messaging support chat, the online help page, the feedback
// form, and what support staff ask for (where the user is connected from,
// the server, the version and build date). GUI thread.
class TechSupportWidget : public QLabel
{
    Q_OBJECT

public:
    explicit TechSupportWidget(QWidget* parent = nullptr);

    // Builds the pop-up once and fills its details in again; run before
    // every showing.
    void InitUI();

    // "yyyyMMdd" from the compiler's date text ("Oct 22 2018", "Jan  5 2024");
    // empty when it cannot be read.
    static QString BuildDate(const QString& compilerDate);
    // The line of the connection: city, network provider, public address and
    // the chosen server's node.
    static QString ConnectionLine();
    static QUrl FeedbackPage();
    // Opens the online help page in the browser; what names the caller in
    // the log. The help pointer of the failure screen shares it.
    static void OpenHelpPage(const char* what);

    QPushButton* GetQQButton() const { return m_btnQQ; }
    QPushButton* GetHelpButton() const { return m_btnHelp; }
    QPushButton* GetFeedbackButton() const { return m_btnFeedback; }
    QPushButton* GetCloseButton() const { return m_btnClose; }
    QLabel* GetDetailsLabel() const { return m_details; }
    QLabel* GetVersionLabel() const { return m_version; }

public slots:
    void OnLinkJump();
    void OnQQTalk();
    void OnFeedbackLinkJump();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Build();

    QPushButton* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnQQ = nullptr;
    QPushButton* m_btnFeedback = nullptr;
    QPushButton* m_btnClose = nullptr;
    QLabel* m_panel = nullptr;
    QLabel* m_details = nullptr;
    QLabel* m_version = nullptr;
};
