#pragma once

#include <QFrame>

class QLabel;

// The 40-pixel notice strip under the title bar. Raised through
// MiddleArea::ShowMsgNotifyWidget(int) with one NotifyType value.
class MsgNotifyWindow : public QFrame
{
    Q_OBJECT

public:
    explicit MsgNotifyWindow(QWidget* parent = nullptr);

    // Text of a notice shown on the strip; empty for the others.
    static QString NoticeText(int type);

signals:
    void CleanUp();

public slots:
    void ShowDialog(int type);
    void HideDialog();
    void OnCleanUp();
    // The user asks for the device check to run again.
    void OnDeviceReTest();

private:
    QLabel* m_text = nullptr;
};
