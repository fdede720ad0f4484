#pragma once

// The main window in a class room whose video panel drives the stand-in
// engine, for the tests of the tool bar's device and recording dialogs and
// of the device watcher. One per process: stopping it tears the hub down.

#include "../app/MainWindowFixture.h"

#include "platform/RtcEngineControl.h"
#include "room/BottomArea.h"
#include "room/MenuBar.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"

struct RoomEngine {
    MainWindow* window = nullptr;
    MenuBar* bar = nullptr;
    CAgoraObject* engine = nullptr;

    void Start(const QString& appId)
    {
        window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        bar = window->GetBottomArea()->GetMenuBar();
        bar->InitUI();
        bar->SetupLayout(window);
        engine = CAgoraObject::GetAgoraObject(appId);
        QVERIFY(engine);
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(engine);
    }
    void Stop()
    {
        Nexus::GetPlayer()->GetMediaPlayer()->SetAgoraObject(nullptr);
        delete window;
        if (CAgoraObject::Instance())
            CAgoraObject::ReleaseEngine();
        RtcEngineControl::Reset();
    }
};
