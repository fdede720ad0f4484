#pragma once

#include <QFrame>
#include <QStringList>

class QJsonValue;
struct NewLoginForm;

// The login window: a frameless top-level window, shown before anything
// else and again whenever the main window lays out while it is visible.
// The user types a user name and a password, may choose a server node and
// logs in with one multipart POST to the school's web service; on success
// the identity goes into the session record, the user name (and, when asked,
// the password) into the settings, and the main window moves on to the
// logged-in phase. GUI thread only; the request waits in a nested loop.
class NewLoginWidget : public QFrame
{
    Q_OBJECT
    // 1: the edit is empty and shows its hint; 2: it holds a value.
    Q_PROPERTY(int m_dwUsrInfoInitFlag READ GetUsrInfoInitFlag WRITE SetUsrInfoInitFlag NOTIFY UsrInfoInitFlagChanged)
    Q_PROPERTY(int m_dwPwdInfoInitFlag READ GetPwdInfoInitFlag WRITE SetPwdInfoInitFlag NOTIFY PwdInfoInitFlagChanged)

public:
    explicit NewLoginWidget(QWidget* parent = nullptr);
    ~NewLoginWidget() override;

    // Prepares and shows the window (no parent).
    void ShowLogin();
    // The window on which the logged-in phase is announced.
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    QWidget* GetMainWindow() const { return m_mainWindow; }

    int GetUsrInfoInitFlag() const { return m_dwUsrInfoInitFlag; }
    void SetUsrInfoInitFlag(int flag);
    int GetPwdInfoInitFlag() const { return m_dwPwdInfoInitFlag; }
    void SetPwdInfoInitFlag(int flag);
    // The node combo index last handled.
    int GetCurrentNodeIndex() const { return m_currentNodeIndex; }
    // Time-out of each login attempt in ms; 0 keeps 20000.
    void SetRequestTimeOut(int ms) { m_timeOutMs = ms > 0 ? ms : 0; }

    // The web site's pages the links open.
    static QString HelpPage();
    static QString PasswordForgetPage();
    static QString RegisterPage();

signals:
    void UsrInfoInitFlagChanged(int value);
    void PwdInfoInitFlagChanged(int value);
    void DownloadCfgFinished();

public slots:
    void UpdateCSS4PwdEdit(int value);
    void UpdateCSS4UsrEdit(int value);
    void JudgeUsrInfo();
    void JudgePwdInfo();
    void OnShowPwd();
    void OnUsrLogin();
    void OnLoginFailMsg(QString text);
    void OnPwdForgetLinkJump();
    void OnRegisterLinkJump();
    void OnHelpLinkJump();
    void OnIspNodeChanged(int index);
    // Refreshes the list of network nodes from the server properties.
    void OnDownloadCfgFinished();
    void UpdateCSS4LoginBtn(QString text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplySkin();
    void FillNodes();
    void RestoreCredentials();
    // The login button: busy while a request runs, else connected.
    void SetLoginBusy(bool busy);
    // Stores what a successful login answered and moves the main window on.
    void AcceptLogin(const QJsonValue& data);
    // A picture of the login folder at a scale folder.
    static QString Picture(const char* name, const QString& folder);
    QString ScaledPicture(const char* name) const;

    NewLoginForm* m_form = nullptr;
    QFrame* m_inner = nullptr;
    QWidget* m_mainWindow = nullptr;
    int m_dwUsrInfoInitFlag = 1;
    int m_dwPwdInfoInitFlag = 1;
    int m_currentNodeIndex = 0;
    // The node names the combo shows after "Auto", in order.
    QStringList m_nodeNames;
    bool m_dragging = false;
    QPoint m_dragOrigin;
    int m_timeOutMs = 0;
    bool m_loginBusy = false;
    bool m_placed = false;
};
