#pragma once

#include <QFrame>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

// The centred notice dialog of the class room: removal from the class,
// end of the trial time, and the invitation to test the devices.
class NotifyUIV2 : public QFrame
{
    Q_OBJECT

public:
    enum Mode { ModeRemoved = 1, ModeTrialOver = 2, ModeDeviceCheck = 4 };

    explicit NotifyUIV2(QWidget* parent = nullptr);

    // Sizes and fills the dialog for the mode; both buttons lose every
    // earlier connection first.
    void SetMode(int mode);
    int GetMode() const { return m_mode; }
    QString GetText() const;
    QPushButton* GetLeftButton() const { return m_left; }
    QPushButton* GetRightButton() const { return m_right; }

    // The customer-support chat.
    static QUrl SupportChatUrl();

public slots:
    void OnContactSupportLinkJump();

private:
    void OpenDeviceTest();

    QLabel* m_text = nullptr;
    QPushButton* m_left = nullptr;
    QPushButton* m_right = nullptr;
    int m_mode = 0;
};
