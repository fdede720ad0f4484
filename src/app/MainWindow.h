#pragma once

#include <QWidget>

class NewLoginWidget;
class TopArea;

// The one main window of the program: shows the screen of the current login
// phase below its title bar.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Registers the screens and panels with the hub.
    void RegisterToNexus();
    // Second set-up step: desktop area, tray icon, login window.
    void SecondSetup();
    void SetupLayout();

    NewLoginWidget* GetLoginWidget() const { return m_loginWidget; }

    // Width the panels were last laid out for; 0 forces the next layout.
    int m_dwMainWinWidth = 0;
    int m_dwMainWinHeight = 0;

signals:
    void UpdateLoginProgress(int phase);

public slots:
    void OnLoginProgress(int phase);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TopArea* m_topArea = nullptr;
    NewLoginWidget* m_loginWidget = nullptr;
};
