#include "JoinedRoom.h"
#include "LogCapture.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "platform/RtcEngineControl.h"
#include "room/MenuBar.h"
#include "room/MiddleArea.h"
#include "room/UserList.h"
#include "rtc/CAgoraObject.h"
#include "rtc/CameraManager.h"
#include "rtc/Player.h"
#include "session/MsgType.h"
#include "session/UserInfo.h"
#include "whiteboard/PaletteWidget.h"

// Members, rights, camera and microphone notices and the members' device
// details, with the teacher (57) and a second student (59) as participants
// of room R100 on the local service; the local user is student 58.
class TestRoomMembers : public QObject
{
    Q_OBJECT

    JoinedRoom m_setup;
    DataManager* m_data = nullptr;
    Participant* m_teacher = nullptr;
    Participant* m_student = nullptr;
    std::unique_ptr<QueuedLog> m_selfLogins;
    UserList m_users;
    MenuBar m_bar;
    MiddleArea m_middle;
    Player m_player;
    PaletteWidget m_palette;

    UserInfo* Member(int uid) const { return m_data->GetUserMap().value(uid); }
    void Push(int type, const QJsonValue& data, const QString& source = "57")
    {
        QVERIFY(m_setup.Push(type, data, source));
    }

private slots:
    void initTestCase()
    {
        Nexus::SetUserList(&m_users);
        Nexus::SetMenuBar(&m_bar);
        Nexus::SetMiddleArea(&m_middle);
        Nexus::SetPlayer(&m_player);
        Nexus::SetPaletteWidget(&m_palette);
        m_selfLogins = std::make_unique<QueuedLog>(Nexus::Instance(), &Nexus::SelfLogin);
        QVERIFY(m_setup.Enter(true));
        m_data = m_setup.data;
        m_teacher = m_setup.teacher.get();
        m_student = m_setup.student.get();
        QTRY_VERIFY(Member(57) && Member(58) && Member(59));
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void EntryAndReconnectionKeepTheRecords()
    {
        QTRY_COMPARE(m_selfLogins->size(), 1);
        UserInfo* teacher = Member(57);
        QCOMPARE(teacher->GetRole(), 4);
        QCOMPARE(teacher->GetActionStatus(), 4 | 2 | 16);
        QVERIFY(AppPaths::IsInside(DataManager::CourseCacheFolder(), teacher->GetHeadPath()));
        QVERIFY(teacher->GetHeadPath().endsWith("user_avatar_57/u57.png"));
        QCOMPARE(m_data->GetPermission(), 17);
        QCOMPARE(m_data->GetRoomRole(), 5);

        LogCapture log;
        QCOMPARE(m_setup.room->Drop("58"), 1);
        // The own login and the list come back after the reconnection.
        QTRY_VERIFY_WITH_TIMEOUT(log.Count("exit DataManager::GetUserListV2") >= 1, 10000);
        QVERIFY(log.Count("into DataManager::OnNewUserLogin") >= 1);
        QTest::qWait(100);
        // The same records, updated in place; the tool bar set up once.
        QCOMPARE(Member(57), teacher);
        QCOMPARE(m_selfLogins->size(), 1);
    }

    // A member who left while the connection was lost is missing from the
    // list the reconnection brings: it leaves the screens as at a logout.
    void MemberGoneWhileAwayLeavesOnTheReconnection()
    {
        Participant auditor(m_setup.service, "60", "R100");
        QVERIFY(auditor.Join() && auditor.Send(MsgUserLogin, { { "userId", "60" } }));
        QTRY_VERIFY(Member(60));
        QueuedLog gone(&m_users, &UserList::UserLogout);
        QVERIFY(auditor.Leave()); // nobody is told
        QCOMPARE(m_setup.room->Drop("58"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!Member(60), 10000);
        QTRY_COMPARE(gone.size(), 1);
        QVERIFY(Member(57) && Member(58) && Member(59));
    }

    void RightsChangeOnlyTheirMember_data()
    {
        QTest::addColumn<QString>("privilege");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("notice"); // 0: none
        QTest::addColumn<int>("holdAlt"); // ButtonWithCmdPress emissions
        QTest::newRow("microphone to another") << "microphone" << true << 59 << 0 << 0;
        QTest::newRow("microphone to me") << "microphone" << true << 58 << 1 << 1;
        QTest::newRow("microphone from me") << "microphone" << false << 58 << 2 << 0;
        QTest::newRow("whiteboard to me") << "whiteboard" << true << 58 << 64 << 0;
        QTest::newRow("chat from another") << "chat" << false << 59 << 0 << 0;
    }
    void RightsChangeOnlyTheirMember()
    {
        QFETCH(QString, privilege);
        QFETCH(bool, enabled);
        QFETCH(int, target);
        QFETCH(int, notice);
        QFETCH(int, holdAlt);
        const QMap<QString, int> bits { { "microphone", 1 }, { "whiteboard", 128 }, { "chat", 16 } };
        QueuedLog changed(&m_users, &UserList::AuthStateChanged);
        RoomNotices notices(&m_middle);
        QueuedLog holds(&m_bar, &MenuBar::ButtonWithCmdPress);
        const int ownBefore = m_data->GetPermission();
        QVERIFY(m_teacher->Send(MsgUserPrivilege,
            { { "privilege", privilege }, { "enabled", enabled }, { "userId", QString::number(target) } }));
        // The local user's camera notice from entering may still come in
        // between, refreshing the local row too; the named member's row is
        // refreshed in any case.
        QTRY_VERIFY(changed.Firsts<UserInfo*>().contains(Member(target)));
        QCOMPARE(bool(Member(target)->GetPermission() & bits.value(privilege)), enabled);
        QTest::qWait(100);
        QTRY_COMPARE(notices.Firsts<int>(), notice ? QList<int> { notice } : QList<int>());
        QTRY_COMPARE(holds.size(), holdAlt);
        QTRY_COMPARE(m_data->GetPermission(), target == 58 ? Member(58)->GetPermission() : ownBefore);
    }

    void MicrophoneNoticeAsBooleanOrText_data()
    {
        QTest::addColumn<QJsonValue>("on");
        QTest::addColumn<QJsonValue>("off");
        QTest::addColumn<bool>("applies");
        QTest::newRow("boolean") << QJsonValue(true) << QJsonValue(false) << true;
        QTest::newRow("text") << QJsonValue("true") << QJsonValue("false") << true;
        QTest::newRow("number") << QJsonValue(1) << QJsonValue(0) << false;
    }
    void MicrophoneNoticeAsBooleanOrText()
    {
        QFETCH(QJsonValue, on);
        QFETCH(QJsonValue, off);
        QFETCH(bool, applies);
        QueuedLog changed(&m_users, &UserList::AuthStateChanged);
        QVERIFY(m_teacher->Send(MsgMicropStatus, { { "speakerUserId", "57" }, { "alive", on } }));
        QTRY_COMPARE(changed.size(), applies ? 1 : 0);
        QTest::qWait(100);
        QCOMPARE(Member(57)->GetActionStatus() & 3, applies ? 1 : 2);
        QVERIFY(m_teacher->Send(MsgMicropStatus, { { "speakerUserId", "57" }, { "alive", off } }));
        QTRY_COMPARE(Member(57)->GetActionStatus() & 3, 2);
    }

    void CameraNoticeReachesTheVideoPanel()
    {
        QueuedLog camera(&m_player, &Player::CameraStatusChanged);
        QVERIFY(
            m_teacher->Send(MsgCameraStatus, { { "name", "camera" }, { "value", "close" }, { "operatorId", "57" } }));
        QTRY_COMPARE(camera.size(), 1);
        QCOMPARE(Member(57)->GetActionStatus() & 12, 8);
        // Already closed: nothing changes, the video panel is not told.
        QVERIFY(
            m_teacher->Send(MsgCameraStatus, { { "name", "camera" }, { "value", "close" }, { "operatorId", "57" } }));
        QTest::qWait(300);
        QCOMPARE(camera.size(), 1);
    }

    // The room keeps each member's camera as its notices said: a camera
    // switched on while the connection was lost shows on the reconnection,
    // and goes again the same way.
    void ACameraSwitchedWhileAwayFollowsOnTheReconnection()
    {
        // Listed without a camera state: taken as off.
        QVERIFY(m_setup.InWorker([this] { Member(59)->SetActionStatus(2 | 8 | 16); }));
        for (const QString value : { "open", "close" }) {
            const int on = value == "open" ? 4 : 8;
            QVERIFY(
                m_student->Send(MsgCameraStatus, { { "name", "camera" }, { "value", value }, { "operatorId", "59" } }));
            QTRY_COMPARE(Member(59)->GetActionStatus() & 12, on);
            // This client lags behind the room, as after a notice lost with
            // the connection.
            QVERIFY(m_setup.InWorker([&] { Member(59)->SetActionStatus(2 | (12 - on) | 16); }));
            QueuedLog camera(&m_player, &Player::CameraStatusChanged);
            QCOMPARE(m_setup.room->Drop("58"), 1);
            QTRY_VERIFY_WITH_TIMEOUT(camera.Firsts<UserInfo*>().contains(Member(59)), 10000);
            QCOMPARE(Member(59)->GetActionStatus() & 12, on);
        }
    }

    void LocalRightsLeaveAsMessages()
    {
        const int grants = m_student->Inbox(MsgUserPrivilege).size();
        const int talks = m_student->Inbox(MsgPushToTalk).size();
        const int notices = m_student->Inbox(MsgMicropStatus).size();
        emit m_data->LocalUsrPermChange(193, 10002, 4, 59);
        emit m_data->LocalUsrPermChange(224, 0, 0, 59);
        emit m_data->LocalMicropStatusNofity(1);
        QTRY_COMPARE(m_student->Inbox(MsgMicropStatus).size(), notices + 1);
        QCOMPARE(m_student->Inbox(MsgUserPrivilege).size(), grants + 1);
        QCOMPARE(m_student->Inbox(MsgUserPrivilege).last().value("data").toObject(),
            (QJsonObject { { "privilege", "camera" }, { "enabled", true }, { "operatorId", "58" }, { "roomId", "R100" },
                { "userId", "59" } }));
        QCOMPARE(m_student->Inbox(MsgPushToTalk).size(), talks + 1);
        QCOMPARE(m_student->Inbox(MsgPushToTalk).last().value("data").toObject().value("type").toString(),
            QString("keydown"));
        QCOMPARE(m_student->Inbox(MsgMicropStatus).last().value("data").toObject().value("alive"), QJsonValue("true"));
        QTRY_VERIFY(Member(59)->GetPermission() & 4);
    }

    void PushToTalkAndCameraButtonForMeOnly()
    {
        QueuedLog holds(&m_bar, &MenuBar::ButtonWithCmdPress);
        QVERIFY(m_teacher->Send(MsgPushToTalk, { { "controlledUserId", "59" }, { "type", "keydown" } }));
        QVERIFY(m_teacher->Send(MsgPushToTalk, { { "controlledUserId", "58" }, { "type", "keydown" } }));
        QTRY_COMPARE(holds.size(), 1);

        // The camera button: only with the camera right and an engine.
        const int sent = m_setup.room->Sent("58", MsgCameraStatus).size();
        MediaPlayer* media = m_player.GetMediaPlayer();
        CAgoraObject* running = media->GetAgoraObject();
        media->SetAgoraObject(nullptr);
        emit m_data->OpenVideo();
        QVERIFY(m_setup.InWorker([this] { m_data->SetPermission(m_data->GetPermission() | 4); }));
        emit m_data->OpenVideo();
        QTest::qWait(300);
        QCOMPARE(m_setup.room->Sent("58", MsgCameraStatus).size(), sent);
        // An engine, but no camera on the machine: still nothing.
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Camera, {});
        media->SetAgoraObject(running ? running : CAgoraObject::GetAgoraObject());
        if (CameraManager* camera = media->GetAgoraObject()->GetCameraManager())
            camera->Close();
        LogCapture log;
        emit m_data->OpenVideo();
        QTRY_COMPARE(log.Count("camera device is 0"), 1);
        RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Camera, { { "Cam", "cam:1" } });
        media->GetAgoraObject()->CreateCameraManager();
        emit m_data->OpenVideo();
        QTRY_COMPARE(m_setup.room->Sent("58", MsgCameraStatus).size(), sent + 1);
        media->SetAgoraObject(running);
        RtcEngineControl::UseSystemDevices();
        if (!running)
            CAgoraObject::ReleaseEngine();
        QCOMPARE(m_setup.room->Sent("58", MsgCameraStatus).last().value("data").toObject().value("value"),
            QJsonValue("open"));
    }

    void UserStatesReachTheTeacherSideOnly()
    {
        QueuedLog states(&m_users, &UserList::UserStateChanged);
        LogCapture log;
        Push(MsgUserStateChange, QJsonObject { { "operatorId", "59" }, { "userStatus", 3 } });
        QTRY_COMPARE(log.Count("OnUserStateChangeRes, msg:"), 1);
        QVERIFY(m_setup.InWorker([this] { m_data->SetRoomRole(4); }));
        Push(MsgUserStateChange, QJsonObject { { "operatorId", "58" }, { "userStatus", 4 } });
        Push(MsgUserStateChange, QJsonObject { { "operatorId", "59" }, { "userStatus", 5 } });
        QTRY_COMPARE(states.size(), 1);
        QCOMPARE(states.calls.first(), (QVariantList { 59, 5 }));
        QVERIFY(m_setup.InWorker([this] { m_data->SetRoomRole(5); }));
    }

    void DeviceDetailsFilledOncePerMember()
    {
        QueuedLog filled(&m_users, &UserList::DeviceInfoUpdate);
        emit m_data->DeviceInfoRequestByRoomId();
        QTRY_COMPARE(filled.size(), 3);
        QCOMPARE(Member(57)->GetNetworkLocation(), QString::fromUtf8("上海"));
        QCOMPARE(Member(57)->GetAgoraRxQos(), QString::fromUtf8("优"));
        LogCapture log;
        emit m_data->DeviceInfoRequestByRoomId();
        QTRY_COMPARE(log.Count("into DataManager::OnDeviceInfoGetByRoomId"), 1);
        QTest::qWait(100);
        QCOMPARE(filled.size(), 3);

        // A newcomer named twice, each element read on its own.
        Participant auditor(m_setup.service, "60", "R100");
        QVERIFY(auditor.Join() && auditor.Send(MsgUserLogin, { { "userId", "60" } }));
        QTRY_VERIFY(Member(60));
        Push(MsgDeviceInfoByRoomId,
            QJsonArray { QJsonObject { { "userId", 57 }, { "networkSupplier", "联通" } },
                QJsonObject { { "userId", "60" }, { "deviceSystem", "Windows" }, { "agoraRx", 5 } },
                QJsonObject { { "userId", "60" }, { "deviceSystem", "macOS" } }, "junk" });
        QTRY_COMPARE(filled.size(), 4);
        QCOMPARE(Member(60)->GetDeviceSystem(), QString("Windows"));
        QCOMPARE(Member(60)->GetNetworkSupplier(), QString());
        QCOMPARE(Member(60)->GetAgoraRxQos(), QString::fromUtf8("差"));
        QCOMPARE(Member(60)->GetAgoraTxQos(), QString::fromUtf8("未知"));
        QVERIFY(auditor.Send(MsgUserLogout, { { "userId", "60" } }) && auditor.Leave());
        QTRY_VERIFY(!Member(60));
    }

    // Every handler of these messages meets payloads of the wrong shape and
    // keys of the wrong type; the client stays in the room and answers.
    void WrongShapesAreDroppedEverywhere()
    {
        const QJsonObject wrong { { "userId", QJsonArray { 58 } }, { "kickedUserId", QJsonObject { { "a", 1 } } },
            { "privilege", 1e300 }, { "enabled", "yes" }, { "speakerUserId", 1e300 }, { "alive", QJsonArray() },
            { "operatorId", QJsonValue() }, { "name", 5 }, { "controlledUserId", true }, { "presentationId", 5 },
            { "presentations", QJsonObject { { "x", 1 } } }, { "progress", -1e308 }, { "timestamp", 1e300 },
            { "userList", QJsonArray { QJsonValue(), 1e300, QJsonObject { { "userId", "1e300" } } } },
            { "chatHistory",
                QJsonArray { QJsonValue(), QJsonObject { { "messageType", 386 }, { "content", QJsonArray { 1 } } },
                    QJsonObject { { "messageType", "386" }, { "timestamp", -1e300 } } } },
            { "content", QJsonObject { { "timestamp", -1e300 } } }, { "sourceId", 1e300 } };
        const QList<QJsonValue> payloads { QJsonValue(), 42, "text", QJsonArray { wrong }, wrong };
        for (int type : { 129, 130, 132, 160, 161, 164, 165, 193, 194, 195, 196, 224, 257, 258, 288, 289, 385, 386, 387,
                 417, 421 }) {
            for (const QJsonValue& payload : payloads)
                Push(type, payload, type == 130 ? "58" : "1e300");
        }
        // Thousands of members, some with wrong-typed keys, one without id.
        const int members = m_data->GetUserMap().size();
        QJsonArray many;
        for (int i = 0; i < 2000; ++i)
            many.append(QJsonObject { { "userId", QString::number(1000 + i) }, { "privilege", i % 2 ? "x" : 0 } });
        many.append(QJsonObject { { "userName", "nobody" } });
        Push(MsgGetUserList, QJsonObject { { "userList", many } });
        QTRY_COMPARE_WITH_TIMEOUT(m_data->GetUserMap().size(), members + 2000, 15000);
        QCOMPARE(Member(1001)->GetPermission(), 0);
        QVERIFY(Member(57) && Member(58) && Member(59));
        QCOMPARE(m_setup.room->Sent("58", MsgUserLogout).size(), 0);
    }

    // Last: the local user leaves the room.
    void RemovalOfAnotherOrOfMe()
    {
        RoomNotices notices(&m_middle);
        // A removal relayed to everybody names its member only.
        Push(MsgUserKickOut, QJsonObject { { "kickedUserId", "59" } });
        QTRY_COMPARE(Member(59)->GetPermission(), 0);
        QTest::qWait(200);
        QCOMPARE(m_setup.room->Sent("58", MsgUserLogout).size(), 0);
        QCOMPARE(notices.size(), 0);
        QVERIFY(m_teacher->Send(MsgUserKickOut, { { "kickedUserId", "58" } }, "58"));
        QTRY_COMPARE(m_setup.room->Sent("58", MsgUserLogout).size(), 1);
        QCOMPARE(m_setup.room->Sent("58", MsgUserLogout).first().value("data").toObject().value("type").toString(),
            QString("kickedLogout"));
        QTRY_COMPARE(notices.Firsts<int>(), QList<int> { 256 });
    }
};

PLOVIX_TEST(TestRoomMembers)
#include "tst_RoomMembers.moc"
