#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

#include "room/NotifyUIV2.h"
class QLabel;
class QPushButton;

// The 40-pixel notice strip under the title bar, blue for good news and
// yellow for the rest, hidden 3000 ms after the latest notice; removal
// from the class and the device-check invitation open a centred dialog
// instead. Raised through MiddleArea::ShowMsgNotifyWidget(int) with one
// NotifyType value. GUI thread only.
class MsgNotifyWindow : public QFrame
{
    Q_OBJECT

public:
    explicit MsgNotifyWindow(QWidget* parent = nullptr);
    ~MsgNotifyWindow() override;

    // Text of a notice shown on the strip; empty for the others.
    static QString NoticeText(int type);
    // Whether a strip notice is good news (blue).
    static bool IsGoodNews(int type);

    QString GetText() const;
    bool IsBlue() const { return m_blue; }
    int GetHeldNotice() const { return m_held; }
    bool IsTimerRunning() const { return m_hideTimer.isActive(); }
    int GetRemainingMs() const { return m_hideTimer.remainingTime(); }
    NotifyUIV2* GetDialog() const { return m_dialog; }
    QLabel* GetTextLabel() const { return m_text; }
    QPushButton* GetIconButton() const { return m_btnIcon; }
    QPushButton* GetCloseButton() const { return m_btnClose; }

signals:
    void CleanUp();

public slots:
    void ShowDialog(int type);
    void HideDialog();
    // A strip notice shown until withdrawn: another notice shows over it
    // for its time, and the held one comes back after it.
    void HoldNotice(int type);
    void WithdrawNotice(int type);
    void OnCleanUp();
    // The user asks for the device check to run again.
    void OnDeviceReTest();

private:
    void BuildNoticeForm();
    void BuildDeviceForm();
    void ShowNoticeDialog(QWidget* host, int type);
    void ApplyColour();
    void PlaceNotice();
    void OnShownLongEnough();

    QFrame* m_noticeFrame = nullptr;
    QFrame* m_form = nullptr; // "MsgNotifyWindow"
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnIcon = nullptr;
    QLabel* m_text = nullptr;
    QFrame* m_deviceFrame = nullptr;
    QPushButton* m_btnReTest = nullptr;
    QPushButton* m_btnSupport = nullptr;
    QPushButton* m_btnDeviceClose = nullptr;
    // Made as this bar's child, shown in the main window.
    QPointer<NotifyUIV2> m_dialog;
    QTimer m_hideTimer;
    bool m_blue = true;
    int m_held = 0; // the notice held, 0 for none
};
