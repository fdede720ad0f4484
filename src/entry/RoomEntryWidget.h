#pragma once

#include <QFrame>

class QLineEdit;
class QPushButton;

// The classroom-password panel, laid over the main window outside a class
// room (shown from the title bar's exit). The user types the classroom
// password; the school's web service answers with the room behind it, which
// becomes the chosen session, and the main window enters it. GUI thread;
// the request waits in a nested loop.
class RoomEntryWidget : public QFrame
{
    Q_OBJECT

public:
    // The result of a request the service could not answer usably.
    static constexpr int kRequestFailed = 16385;

    explicit RoomEntryWidget(QWidget* parent = nullptr);
    ~RoomEntryWidget() override;

    int GetPwdInfoInitFlag() const { return m_dwPwdInfoInitFlag; }
    // Time-out of each request attempt in ms; 0 keeps 20000.
    void SetRequestTimeOut(int ms) { m_timeOutMs = ms > 0 ? ms : 0; }

signals:
    // 1: the edit shows its hint; 2: the user typed or a remembered
    // password is filled in.
    void PwdInfoInitFlagChanged(int value);

public slots:
    // Shows the panel centred over the main window, or hides it when it is
    // shown.
    void ShowRoomEntry();
    // The password request: 0 when done, kRequestFailed when it failed.
    int OnUsrLogin();
    void OnPwdInfoInitFlagChanged(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetPwdInfoInitFlag(int flag);
    void SetBusy(bool busy);
    void ShowError(const QString& text);

    int m_dwPwdInfoInitFlag = 1;
    QFrame* m_inner = nullptr;
    QPushButton* m_title = nullptr;
    QFrame* m_editFrame = nullptr;
    QLineEdit* m_edit = nullptr;
    QLineEdit* m_error = nullptr;
    QPushButton* m_login = nullptr;
    QPushButton* m_close = nullptr;
    int m_timeOutMs = 0;
    bool m_busy = false;
};
