#pragma once

// The hub with the whole main window, as the client builds them, for the
// tests of the main window and its title bar. One per process: deleting the
// window tears the hub down for good.

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "entry/NewLoginWidget.h"
#include "room/LoadingFailUI.h"
#include "room/LoadingUI.h"
#include "session/DataManager.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace MainWindowFixture {

inline MainWindow* Build(double factor = 1.0, const QString& folder = QStringLiteral("x1"))
{
    Nexus::Instance();
    Nexus::Startup();
    // These tests look at the window's roads, not at the entry into a room:
    // a real entry (which fails here, without a service) would switch the
    // window to the failure screen at some later moment.
    DataManager* data = Nexus::GetDataManager();
    QObject::disconnect(data, &DataManager::EnterRoom, data, &DataManager::OnEnterRoom);
    Nexus::GetProfile()->SetScale(factor, folder);
    auto* window = new MainWindow();
    window->resize(MainWindow::kNormalWidth, MainWindow::kNormalHeight);
    window->RegisterToNexus();
    window->SecondSetup();
    return window;
}

// Built and logged in: the course home page shows.
inline MainWindow* BuildLoggedIn()
{
    MainWindow* window = Build();
    emit window->UpdateLoginProgress(2);
    return window;
}

// Logged in: the course home page in a shown window, nothing else.
inline void BackToCourseHome(MainWindow* window)
{
    // A re-entry through the profile still runs a real entry, which fails
    // without a service: let its failure land now, not in the next test.
    if (Profile* profile = Nexus::GetProfile(); profile->GetProfileThread()->isRunning()) {
        for (int i = 0; i < 3; ++i) {
            TestSupport::RunIn(Nexus::GetDataManager(), [] {});
            QCoreApplication::processEvents();
        }
    }
    for (QWidget* screen :
        { static_cast<QWidget*>(window->GetLoadingUI()), static_cast<QWidget*>(window->GetLoadingFailUI()) }) {
        screen->hide();
        screen->setParent(nullptr);
    }
    emit Nexus::Instance()->LocalRefresh();
    Nexus::GetProfile()->SetReEntryFlag(false);
    window->OnLoginProgress(2);
}

// The user list and the course pages arrived: the hub itself switches the
// window to phase 32.
inline void CompleteRoomData()
{
    Nexus::Instance()->OnDataPrepPhase(1);
    Nexus::Instance()->OnDataPrepPhase(2);
}

// From a course card into a class room whose data is complete.
inline void EnterRoom(MainWindow* window)
{
    emit Nexus::Instance()->LocalRefresh();
    window->OnLoginProgress(8);
    CompleteRoomData();
}

// Runs action inside the application's event loop; true when the loop was
// ended by a quit (and not by the guard after five seconds).
inline bool QuitsTheEventLoop(const std::function<void()>& action)
{
    bool guarded = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&guarded] {
        guarded = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QTimer::singleShot(0, action);
    const int code = QApplication::exec();
    return code == 0 && !guarded;
}

// Acts on the first of widgets to become visible, from inside a modal loop.
inline void WhenShown(QWidget* widget, const std::function<void()>& action)
{
    auto* poll = new QTimer();
    QPointer<QWidget> watched(widget);
    QObject::connect(poll, &QTimer::timeout, [poll, watched, action] {
        if (!watched) {
            poll->deleteLater();
            return;
        }
        if (!watched->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start(10);
}

} // namespace MainWindowFixture
