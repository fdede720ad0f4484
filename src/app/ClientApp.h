#pragma once

#include <QString>

class MainWindow;
class downLoadExeFile;

// The client's start-up after the real application object exists, and its
// shut-down after the event loop returned. main() does the measuring and
// the scale before them.
class ClientApp
{
public:
    ClientApp() = default;
    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;
    ~ClientApp();

    // Settings, log, screenshot callback, font, hub and profile, main
    // window, threads, server properties, update check, then the login
    // window or the updater.
    void Start(const QString& scaleText);
    // Updater window, then main window (which tears the hub down).
    void Stop();

    MainWindow* GetMainWindow() const { return m_mainWindow; }
    // Null unless an update was offered.
    downLoadExeFile* GetUpdater() const { return m_updater; }

private:
    // The update check, then the login window or the updater.
    void OfferUpdate();

    MainWindow* m_mainWindow = nullptr;
    downLoadExeFile* m_updater = nullptr;
    bool m_started = false;
};

// Handed to the screenshot layer: the path of a saved screenshot goes to
// the chat panel's picture upload once the main window exists.
void OnScreenShotSendCallBack(const char* path);
