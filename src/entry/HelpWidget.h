#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A one-line pointer to the online help page, laid at the foot of a screen
// where the user is stuck (the failure screen of a room entry). Its link is
// the support pop-up's. GUI thread.
class HelpWidget : public QFrame
{
    Q_OBJECT

public:
    explicit HelpWidget(QWidget* parent = nullptr);

    // Becomes a child of host, centred horizontally near its foot, and
    // shows; -1 for a null host.
    int SetupLayout(QWidget* host);

    QPushButton* GetLinkButton() const { return m_link; }

public slots:
    // Opens the online help page, as the support pop-up's help button does.
    void OnLinkJump();

private:
    QLabel* m_question = nullptr;
    QPushButton* m_link = nullptr;
};
