#pragma once

#include <QLabel>

class MenuBar;
class QPushButton;
class QVBoxLayout;

// The speaking-mode pop-up of the tool bar: free speech or hold Alt to
// talk. It keeps the mode the bar and the keyboard hook read. GUI thread.
class VoicePanel : public QLabel
{
    Q_OBJECT

public:
    explicit VoicePanel(QWidget* parent = nullptr);

    void SetMenuBar(MenuBar* bar) { m_menuBar = bar; }
    // Builds the two buttons; only the first call does anything.
    void InitUI();

    QPushButton* GetFreeButton() const { return m_btnFree; }
    QPushButton* GetCmdButton() const { return m_btnCmd; }

signals:
    void ButtonWithCmdPress();

public slots:
    void ShowPanel();

    void OnButtonWithFreePress();
    void OnButtonWithCmdPress();

protected:
    // While shown, a press anywhere else closes the panel, as a click
    // outside closes the other pop-ups.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Hides the panel; true when the mode changed and the bar must follow.
    bool Choose(int mode);

    QPushButton* m_btnFree = nullptr;
    QPushButton* m_btnCmd = nullptr;
    MenuBar* m_menuBar = nullptr;
    QVBoxLayout* m_layout = nullptr;
    bool m_built = false;
};
