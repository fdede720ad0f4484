#pragma once

#include <QFrame>

class QComboBox;
class QLabel;

// The login window: a frameless top-level window, shown before anything
// else and again whenever the main window lays out while it is visible.
class NewLoginWidget : public QFrame
{
    Q_OBJECT

public:
    explicit NewLoginWidget(QWidget* parent = nullptr);

    // Prepares and shows the window (no parent).
    void ShowLogin();
    // The window on which the logged-in phase is announced.
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    QWidget* GetMainWindow() const { return m_mainWindow; }

signals:
    void DownloadCfgFinished();

public slots:
    // Refreshes the list of network nodes from the server properties.
    void OnDownloadCfgFinished();
    void OnUsrLogin();

private:
    QComboBox* m_nodes = nullptr;
    QLabel* m_error = nullptr;
    QWidget* m_mainWindow = nullptr;
};
