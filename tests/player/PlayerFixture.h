#pragma once

// What the player window tests share: generated media, the local user's
// rights, and what the screenshots show (written at the two display scales
// by the room panels' helper).

#include "../room/RoomPanels.h"
#include "TestMedia.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "player/AvPlayer.h"
#include "player/av/AVPlayer.h"
#include "player/av/AudioOutput.h"
#include "session/DataManager.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace PlayerFixture {

constexpr int kTeacher = 4;
constexpr int kStudent = 5;
constexpr int kAllRights = 255;
constexpr int kStudentRights = 17;

// The hub with its session (threads not started) and no sound device.
inline DataManager* StartHub()
{
    plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });
    TestSupport::StartHub(QStringLiteral("http://127.0.0.1:9"));
    return Nexus::GetDataManager();
}

inline void SetRights(int role, int permission)
{
    Nexus::GetDataManager()->SetRoomRole(role);
    Nexus::GetDataManager()->SetPermission(permission);
}

// A student's hub and a shown 640 x 400 panel for the windows, for the
// tests that draw on a real display; false when it was not exposed.
inline bool ShowPanel(std::unique_ptr<QWidget>& panel)
{
    StartHub();
    SetRights(kStudent, kStudentRights);
    panel = std::make_unique<QWidget>();
    panel->resize(640, 400);
    panel->show();
    return QTest::qWaitForWindowExposed(panel.get());
}

// Waits until the window's library player exists and has started a file.
inline bool WaitStarted(AvPlayer* window, int timeoutMs = 15000)
{
    return QTest::qWaitFor(
        [window] { return window->GetLibPlayer() != nullptr && window->GetLibPlayer()->isLoaded(); }, timeoutMs);
}

// The hue the window shows where a TestMedia video has its colour: above the
// digits (below any black band of a wider window); -1 when grey.
inline int ShownHue(QWidget* window)
{
    const QColor shown(window->grab().toImage().pixel(window->width() / 2, window->height() / 6));
    return shown.saturation() > 80 ? shown.hsvHue() : -1;
}

// Whether the window shows about that hue (within 12 degrees).
inline bool ShowsHue(QWidget* window, int hue)
{
    const int shown = ShownHue(window);
    const int off = qAbs(shown - hue);
    return shown >= 0 && qMin(off, 360 - off) <= 12;
}

// Whether the window shows a frame of that second of a TestMedia video:
// each second has its own colour.
inline bool ShowsSecond(QWidget* window, int second)
{
    return ShowsHue(window, second * 47 % 360);
}

// An entry of the window's menu by its path of texts, "Channel/Left"; null
// when there is none.
inline QAction* MenuEntry(const AvPlayer* window, const QString& path)
{
    QMenu* menu = window->GetMenu();
    QAction* found = nullptr;
    for (const QString& text : path.split(QLatin1Char('/'))) {
        found = nullptr;
        for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>()) {
            if (action->text() == text)
                found = action;
        }
        menu = found != nullptr ? found->menu() : nullptr;
    }
    return found;
}

} // namespace PlayerFixture
