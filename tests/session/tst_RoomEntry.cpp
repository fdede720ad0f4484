#include "LogCapture.h"
#include "RoomSetup.h"
#include "TestRegistry.h"

#include "room/MiddleArea.h"
#include "session/MsgType.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QJsonArray>
#include <QUrlQuery>
#include <functional>

namespace {

const qint64 kNowMs = 1700000000700; // 12:00:00.700 somewhere
const qint64 kStampMs = 1700000000000; // the same second, fraction dropped

// One outgoing message of the builder: how to provoke it and what it must
// carry besides the envelope.
struct Outgoing {
    const char* name;
    std::function<void(DataManager*)> emitIt;
    int type;
    const char* dest; // "self", "room" or "-1"
    QJsonObject keys; // the type's own keys in "data"
    bool common; // roomId, operatorId and timestamp too
};

const QList<Outgoing>& OutgoingMessages()
{
    static const QList<Outgoing> rows {
        { "login", [](DataManager* d) { emit d->SendUserLoginMsg(); }, MsgUserLogin, "room", {}, true },
        { "member list", [](DataManager* d) { emit d->Request4GetUserList(); }, MsgGetUserList, "self", {}, true },
        { "like count", [](DataManager* d) { emit d->Request4GetLikeCount(); }, MsgGetLikeCount, "self",
            { { "likedUserId", "57" } }, true },
        { "user state", [](DataManager* d) { emit d->UserStateChangeReq(3); }, MsgUserStateChange, "self",
            { { "userStatus", 3 } }, true },
        { "device of one", [](DataManager* d) { emit d->DeviceInfoRequestByUid("59"); }, MsgDeviceInfoByUid, "self",
            { { "targetUserId", "59" } }, true },
        { "devices of room", [](DataManager* d) { emit d->DeviceInfoRequestByRoomId(); }, MsgDeviceInfoByRoomId, "self",
            {}, true },
        { "quality", [](DataManager* d) { emit d->AgeroQosReport(3, 4); }, MsgAgeroQosReport, "self",
            { { "agoraRx", 3 }, { "agoraTx", 4 } }, true },
        { "mark list", [](DataManager* d) { emit d->UserMarkListRequest(); }, MsgUserMarkList, "self",
            { { "userId", "58" } }, true },
        { "page turn", [](DataManager* d) { emit d->LocalTrunPage("P1002"); }, MsgTrunPage, "room",
            { { "presentationId", "P1002" } }, true },
        { "laser point", [](DataManager* d) { emit d->NotifyLaserPointPos(QPoint(12, -34)); }, MsgLaserPointPos, "room",
            { { "cursorX", 12 }, { "cursorY", -34 }, { "diameter", 5 }, { "presentationId", "P1002" } }, true },
        { "eraser", [](DataManager* d) { emit d->LocalShapeEraser("S9"); }, MsgShapeEraser, "room",
            { { "whiteboardId", "W1002" }, { "shapesId", QJsonArray { "S9" } } }, true },
        { "whiteboard history", [](DataManager* d) { emit d->Request4GetWhiteBdHistory(); }, MsgWhiteBdHistory, "self",
            { { "whiteboardId", "" } }, true },
        { "chat", [](DataManager* d) { emit d->SendChatMsg(QString::fromUtf8("1+1=2 & \"你好\"\r\n")); }, MsgChat,
            "room",
            { { "content", QString::fromUtf8("1+1=2 & \"你好\"\r\n") }, { "destId", "R100" },
                { "operatorUserName", QString::fromUtf8("张小明") }, { "type", "public" }, { "sourceId", "58" } },
            true },
        { "chat history", [](DataManager* d) { emit d->Request4GetChatHistoryMsg(); }, MsgChatHistory, "room",
            { { "requesterId", "58" } }, true },
        { "media list", [](DataManager* d) { emit d->Request4GetMediaList(); }, MsgGetMediaList, "self", {}, true },
        { "courseware", [](DataManager* d) { emit d->Request4GetCourseWare(false); }, MsgGetCourseWare, "self", {},
            true },
        { "keep-alive answer",
            [](DataManager* d) { QMetaObject::invokeMethod(d, "OnKeepAliveResponse", Qt::QueuedConnection); },
            MsgKeepAlive, "-1", { { "userId", "58" }, { "timestamp", double(kStampMs) } }, false },
    };
    return rows;
}

// The query as the service decodes it: "&"-separated pairs, each part
// percent-decoded once.
QMultiMap<QString, QString> QueryItems(const QString& query)
{
    QMultiMap<QString, QString> items;
    for (const QString& pair : query.split('&')) {
        const int equals = pair.indexOf('=');
        const QString key = pair.left(equals < 0 ? pair.size() : equals);
        const QString value = equals < 0 ? QString() : pair.mid(equals + 1);
        items.insert(QUrl::fromPercentEncoding(key.toUtf8()), QUrl::fromPercentEncoding(value.toUtf8()));
    }
    return items;
}

} // namespace

// From a course card's session to the joined room against the local
// service, the messages of the room, the keep-alive, reconnection and the
// logout. The server choice is switched off ("wssOptimize" "1").
class TestRoomEntry : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    DataManager* m_data = nullptr;
    RoomControl* m_room = nullptr;
    std::unique_ptr<WhiteBoardWidget> m_board;

    void Enter()
    {
        const int before = m_room->Sent("58", MsgUserLogin).size();
        emit m_data->EnterRoom();
        QTRY_VERIFY_WITH_TIMEOUT(m_room->Sent("58", MsgUserLogin).size() > before, 15000);
    }
    int LoginsSoFar() const { return m_room->Sent("58", MsgUserLogin).size(); }
    void SetClock(qint64 ms)
    {
        QVERIFY(m_setup.InWorker([this, ms] { m_data->SetClock([ms] { return ms; }); }));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_setup.Start("1"));
        m_data = m_setup.data;
        m_room = m_setup.room.get();
        m_board = std::make_unique<WhiteBoardWidget>();
        m_board->SetCurrWhiteboardId("W1002");
        Nexus::SetWhiteBoardWidget(m_board.get());
        m_setup.AddSession("S100", "R100", "100100");
    }
    void cleanupTestCase()
    {
        Nexus::SetWhiteBoardWidget(nullptr);
        Nexus::Teardown();
    }
    void init() { QVERIFY(m_setup.service.Reset()); }

    void WholeRoadFromASessionId()
    {
        QSignalSpy progress(Nexus::Instance(), &Nexus::UpdateLoginProgress);
        m_data->OnRoomEntry("S10");
        m_data->OnRoomEntry("s100");
        QCOMPARE(progress.size(), 0);
        m_data->OnRoomEntry("S100");
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress.at(0).at(0).toInt(), 8);
        const RoomFields chosen = m_data->GetRoomFields();
        QCOMPARE(chosen.m_strRoomId, QString("R100"));
        QCOMPARE(chosen.m_strRoomPwd, QString("100100"));
        QCOMPARE(chosen.m_strTeacherId, QString("57"));
        QCOMPARE(chosen.m_dwRoomRole, 5);
        QCOMPARE(chosen.m_startTime, qint64(1700000000));

        QSignalSpy values(m_setup.loading.get(), &LoadingUI::ValueChanged);
        LogCapture log;
        Enter();
        // Login and the first requests, then the rest once the member and
        // courseware lists are in.
        QTRY_VERIFY_WITH_TIMEOUT(InOrder(m_setup.SentTypes(), { 129, 161, 288, 484, 98, 417, 352, 167 }), 10000);
        QCOMPARE(m_setup.SentTypes().mid(0, 5), (QList<int> { 129, 161, 288, 484, 98 }));
        QCOMPARE(Nexus::GetDataPrepPhase(), 3);
        QList<int> seen;
        for (const QList<QVariant>& value : values)
            seen << value.at(0).toInt();
        QVERIFY2(InOrder(seen, { 10, 20, 30, 50 }), qPrintable(QString("%1").arg(seen.size())));

        const QJsonArray joins = m_setup.service.Requests("/api/room/join");
        QCOMPARE(joins.size(), 1);
        const QUrlQuery join(joins.at(0).toObject().value("query").toString());
        QCOMPARE(join.queryItemValue("userId"), QString("58"));
        QCOMPARE(join.queryItemValue("password"), QString("100100"));
        QCOMPARE(join.queryItemValue("roomId"), QString("R100"));
        QCOMPARE(join.queryItemValue("checksum"), QString("checksum"));
        QVERIFY(join.hasQueryItem("fullName") && join.hasQueryItem("avatarURL"));
        QCOMPARE(joins.at(0).toObject().value("scheme").toString(), QString("https"));
        QCOMPARE(m_data->GetAppId(), QString("plovix-demo-app"));
        QCOMPARE(m_data->GetChannelKey(), QString("key-R100-58"));
        // The key admits its holder to the room's media: the log shows the
        // reply without it.
        const QStringList replies = log.Lines().filter("GetAlgoraTokenByRoomId get json data");
        QCOMPARE(replies.size(), 1);
        QVERIFY(replies.first().contains("channelKey") && replies.first().contains("***"));
        QCOMPARE(log.Count("key-R100-58"), 0);
        QCOMPARE(m_setup.profile->GetRoomType(), 1);
        const QJsonObject socket = m_room->Attempts().last().toObject();
        // The join answers with the nick name of the user information.
        QCOMPARE(socket.value("query").toObject().value("username").toString(), QString::fromUtf8("张小明"));
        QCOMPARE(socket.value("query").toObject().value("userid").toString(), QString("58"));
        QCOMPARE(socket.value("query").toObject().value("roomid").toString(), QString("R100"));
        // "wssOptimize" is "1": no probe at all.
        QCOMPARE(m_room->Attempts("/echo").size(), 0);
    }

    void EnvelopeOfEveryOutgoingMessage_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < OutgoingMessages().size(); ++i)
            QTest::newRow(OutgoingMessages().at(i).name) << i;
    }
    void EnvelopeOfEveryOutgoingMessage()
    {
        QFETCH(int, row);
        const Outgoing& wanted = OutgoingMessages().at(row);
        SetClock(kNowMs);
        QVERIFY(m_setup.InWorker([this] { m_data->SetPermission(m_data->GetPermission() | 128); }));
        wanted.emitIt(m_data);
        QTRY_COMPARE(m_room->Sent("58", wanted.type).size(), 1);
        const QJsonObject message = m_room->Sent("58", wanted.type).first();
        QCOMPARE(message.keys(), (QStringList { "data", "dest", "source", "type" }));
        QCOMPARE(message.value("source"), QJsonValue("58"));
        const QString dest = wanted.dest;
        QCOMPARE(message.value("dest"), QJsonValue(dest == "self" ? "58" : dest == "room" ? "R100" : "-1"));
        QJsonObject expected = wanted.keys;
        if (wanted.common) {
            expected.insert("roomId", "R100");
            expected.insert("operatorId", "58");
            expected.insert("timestamp", double(kStampMs));
        }
        QCOMPARE(message.value("data").toObject(), expected);
        SetClock(0);
        QVERIFY(m_setup.InWorker([this] { m_data->SetClock({}); }));
    }

    void KeepAliveAnswersAfterSixtySeconds()
    {
        const qint64 start = 1700000000;
        SetClock(start * 1000);
        QVERIFY(QMetaObject::invokeMethod(m_data, "OnKeepAliveResponse", Qt::BlockingQueuedConnection));
        QTRY_COMPARE(m_room->Sent("58", MsgKeepAlive).size(), 1);
        SetClock((start + 60) * 1000);
        QVERIFY(QMetaObject::invokeMethod(m_data, "OnKeepAliveCheck", Qt::BlockingQueuedConnection));
        SetClock((start + 61) * 1000 + 999);
        QVERIFY(QMetaObject::invokeMethod(m_data, "OnKeepAliveCheck", Qt::BlockingQueuedConnection));
        QTRY_COMPARE(m_room->Sent("58", MsgKeepAlive).size(), 2);
        QTest::qWait(100);
        QCOMPARE(m_room->Sent("58", MsgKeepAlive).size(), 2);
        QCOMPARE(m_room->Sent("58", MsgKeepAlive).last().value("data").toObject().value("timestamp").toDouble(),
            double((start + 61) * 1000));
        QVERIFY(m_setup.InWorker([this] { m_data->SetClock({}); }));

        // The service's pings are answered, one answer each.
        QVERIFY(m_room->SetPingInterval(150));
        QTRY_VERIFY(m_room->Sent("58", MsgKeepAlive).size() >= 5);
    }

    // Back inside the room, the client asks again for what the room changed
    // meanwhile: its members, its pages and the boards' history.
    void ReconnectsAndLogsInAgainAfterADrop()
    {
        QCOMPARE(m_room->Drop("58"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(InOrder(m_setup.SentTypes(), { 129, 161, 288, 484, 98, 352 }), 10000);
        QCOMPARE(m_room->Attempts().size(), 1);
        QCOMPARE(m_room->OpenCount("58"), 1);
    }

    // A few seconds of refusal: the reopenings are spaced, never a tight
    // loop, and the room comes back on its own.
    void ComesBackAfterTheServiceRefusedForAWhile()
    {
        const int logins = LoginsSoFar();
        QVERIFY(m_room->Refuse(3000));
        QCOMPARE(m_room->Drop("58"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(LoginsSoFar() > logins, 15000);
        const int attempts = m_room->Attempts().size();
        QVERIFY2(attempts >= 2 && attempts <= 4, qPrintable(QString::number(attempts)));
        QCOMPARE(m_room->OpenCount("58"), 1);
    }

    // A probe answer nobody asked for is logged and dropped: the room
    // keeps its connection and no server choice runs.
    void StrayProbeAnswerLeavesTheRoomAlone()
    {
        const int logins = LoginsSoFar();
        LogCapture log;
        QCOMPARE(m_room->Push("58",
                     "{\"type\":97,\"source\":\"58\",\"dest\":\"58\",\"data\":{\"location\":\"x\","
                     "\"timestamp\":1}}"),
            1);
        QTRY_VERIFY(log.Count("OnSocketDfCalRes, no probe running, dropped") == 1);
        QTest::qWait(300);
        QCOMPARE(m_room->OpenCount("58"), 1);
        QCOMPARE(m_room->Attempts().size(), 0);
        QCOMPARE(m_room->Attempts("/echo").size(), 0);
        QCOMPARE(LoginsSoFar(), logins);
    }

    void FailedKeyRequestLeavesNoKey()
    {
        QVERIFY(!m_data->GetChannelKey().isEmpty());
        QVERIFY(m_setup.service.Status("/api/agora/room/R100/58/token", 500));
        LogCapture log;
        Enter();
        QCOMPARE(m_data->GetChannelKey(), QString());
        QCOMPARE(m_data->GetAppId(), QString());
        QCOMPARE(log.Count("[ERROR] GetAlgoraTokenByRoomId failed"), 1);
        // A reply without the key is a failure too.
        QVERIFY(m_setup.service.Body("/api/agora/room/R100/58/token", "{\"appId\":\"only-the-app\"}"));
        Enter();
        QCOMPARE(m_data->GetChannelKey(), QString());
        QCOMPARE(log.Count("[ERROR] GetAlgoraTokenByRoomId failed"), 2);
    }

    void FailedJoinShowsTheServiceMessage_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("refused") << QByteArray("{\"returncode\":\"FAIL\",\"message\":\"房间已关闭\"}")
                                 << QString::fromUtf8("房间已关闭");
        // Never an empty reason.
        const QString fallback = QString::fromUtf8("进入教室失败，请检查网络后重试");
        QTest::newRow("message not text") << QByteArray("{\"returncode\":\"FAIL\",\"message\":42}") << fallback;
        QTest::newRow("not JSON") << QByteArray("<html>502</html>") << fallback;
        QTest::newRow("not an object") << QByteArray("[\"SUCCESS\"]") << fallback;
        QTest::newRow("code not text") << QByteArray("{\"returncode\":true}") << fallback;
        QTest::newRow("empty message") << QByteArray("{\"returncode\":\"FAIL\",\"message\":\"\"}") << fallback;
        QTest::newRow("server error") << QByteArray("500") << fallback;
    }
    void FailedJoinShowsTheServiceMessage()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        if (reply == "500")
            QVERIFY(m_setup.service.Status("/api/room/join", 500));
        else
            QVERIFY(m_setup.service.Body("/api/room/join", reply));
        LogCapture log;
        QSignalSpy failure(m_setup.failure.get(), &LoadingFailUI::ValueChanged);
        emit m_data->EnterRoom();
        QTRY_COMPARE_WITH_TIMEOUT(failure.size(), 1, 10000);
        QCOMPARE(failure.at(0).at(0).toString(), shown);
        QCOMPARE(m_room->Attempts().size(), 0);
        // The room password never reaches the log, whatever went wrong.
        QCOMPARE(log.Count("100100"), 0);
        QCOMPARE(m_setup.service.RequestCount("/api/agora/room/R100/58/token"), 0);
    }

    void HostileValuesStayInsideTheirParameters()
    {
        const QString password = QString::fromUtf8("p&userId=1#x+y=%20 密");
        const QString name = QString::fromUtf8("a&userid=1#b+c=%41 李/?");
        m_setup.AddSession("S666", "R100", password);
        m_data->OnRoomEntry("S666");
        QJsonObject data { { "fullName", name }, { "roomType", "communication" }, { "userId", "58" },
            { "roomId", "R100" } };
        QVERIFY(m_setup.service.Body(
            "/api/room/join", QJsonDocument(QJsonObject { { "returncode", "SUCCESS" }, { "data", data } }).toJson()));
        Enter();
        const QJsonObject join = m_setup.service.Requests("/api/room/join").last().toObject();
        const QMultiMap<QString, QString> query = QueryItems(join.value("raw_query").toString());
        QCOMPARE(query.values("password"), QStringList { password });
        QCOMPARE(query.values("userId"), QStringList { "58" });
        QCOMPARE(query.size(), 6);
        const QJsonObject socket = m_room->Attempts().last().toObject().value("query").toObject();
        QCOMPARE(socket.value("username").toString(), name);
        QCOMPARE(socket.value("userid").toString(), QString("58"));
        QCOMPARE(socket.keys().size(), 3);
        QCOMPARE(m_setup.profile->GetRoomType(), 2);
        m_data->OnRoomEntry("S100");
    }

    // Last: after the logout nothing more leaves.
    void EveryDemoSessionCanBeEntered_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("failure");
        QTest::newRow("its password") << "105105" << QString();
        QTest::newRow("a wrong password") << "999" << QString::fromUtf8("房间密码错误");
    }
    void EveryDemoSessionCanBeEntered()
    {
        // R105 has no contents of its own: the service makes the room from
        // the demo school's session, so each course card of the demo works.
        QFETCH(QString, password);
        QFETCH(QString, failure);
        m_setup.AddSession("S105-" + password, "R105", password);
        m_data->OnRoomEntry("S105-" + password);
        QSignalSpy failed(m_setup.failure.get(), &LoadingFailUI::ValueChanged);
        emit m_data->EnterRoom();
        if (failure.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(m_room->Sent("58", MsgUserLogin).size() > 0, 15000);
            QCOMPARE(m_room->Sent("58", MsgUserLogin).last().value("dest").toString(), QString("R105"));
            QCOMPARE(m_data->GetChannelKey(), QString("key-R105-58"));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 10000);
            QCOMPARE(failed.at(0).at(0).toString(), failure);
        }
    }

    // A service that accepts every connection and drops it at once: each
    // such connection counts as failed, the pauses between reopenings grow
    // from 1 s, the user is told after the third, and the teacher card is
    // not asked for again.
    void AcceptedAndDroppedConnectionsBackOff()
    {
        m_data->OnRoomEntry("S100");
        Enter();
        MiddleArea area;
        Nexus::SetMiddleArea(&area);
        QList<int> notices;
        connect(
            &area, &MiddleArea::ShowMsgNotifyWidget, this, [&notices](int type) { notices << type; },
            Qt::QueuedConnection);
        const int cards = m_setup.service.RequestCount("/api/teachers/57");
        QCOMPARE(cards, 1);
        QTRY_VERIFY(m_data->GetTeacherLikeTotal() > 0);
        QTest::qWait(300);
        const int likes = m_data->GetTeacherLikeTotal();
        const int opened = m_room->Attempts().size();
        LogCapture log;
        QVERIFY(m_setup.service.SetRule("/ws", { { "action", "drop" }, { "ms", 200 } }));
        QCOMPARE(m_room->Drop("58"), 1);
        QTest::qWait(12000);
        Nexus::SetMiddleArea(nullptr);
        QVERIFY(m_setup.service.ClearRule("/ws"));
        QCOMPARE(notices, QList<int> { 512 });
        // Openings at about 1, 3.2 and 7.4 s; a reopening a second would
        // make ten.
        const int attempts = m_room->Attempts().size() - opened;
        QVERIFY2(attempts >= 3 && attempts <= 4, qPrintable(QString::number(attempts)));
        // Each reopening logs in again; only the card stays as it was.
        QVERIFY(LoginsSoFar() > 1);
        QCOMPARE(m_setup.service.RequestCount("/api/teachers/57"), cards);
        // ... and its likes still count.
        QTRY_COMPARE(m_data->GetTeacherLikeTotal(), likes);
        // The pauses double: at most six openings in 30 s.
        QList<int> pauses;
        for (const QString& line : log.Lines()) {
            const int at = line.indexOf("reopening in ms:");
            if (at >= 0)
                pauses << line.mid(at + 16).section(',', 0, 0).trimmed().toInt();
        }
        QVERIFY2(pauses.size() >= 3 && pauses.mid(0, 3) == (QList<int> { 1000, 2000, 4000 }),
            qPrintable(QString::number(pauses.value(0))));
    }

    void LogoutIsTheLastMessage()
    {
        m_data->OnRoomEntry("S100");
        Enter();
        QTRY_COMPARE(m_room->OpenCount("58"), 1);
        QTRY_VERIFY(InOrder(m_setup.SentTypes(), { 129, 161, 288, 484, 98 }));
        QTest::qWait(200);
        const int sentBefore = m_room->Sent("58").size();
        const int attemptsBefore = m_room->Attempts().size();
        SetClock(kNowMs);
        emit m_data->SendUserLogoutMsg(1);
        QTRY_COMPARE(m_room->Sent("58", MsgUserLogout).size(), 1);
        const QJsonObject logout = m_room->Sent("58", MsgUserLogout).first();
        QCOMPARE(logout.value("dest").toString(), QString("R100"));
        QCOMPARE(logout.value("data").toObject(),
            (QJsonObject { { "type", "normalLogout" }, { "roomId", "R100" }, { "userId", "58" },
                { "timestamp", double(kStampMs) } }));
        QCOMPARE(m_data->GetLastLogoutType(), 1);
        emit m_data->SendChatMsg("after the end");
        emit m_data->Request4GetUserList();
        m_room->Drop("58");
        QTest::qWait(300);
        QCOMPARE(m_room->Sent("58").size(), sentBefore + 1);
        QCOMPARE(m_room->Attempts().size(), attemptsBefore);

        // A kind without a name carries no "type".
        Enter();
        emit m_data->SendUserLogoutMsg(16);
        QTRY_COMPARE(m_room->Sent("58", MsgUserLogout).size(), 2);
        QVERIFY(!m_room->Sent("58", MsgUserLogout).last().value("data").toObject().contains("type"));
    }
};

PLOVIX_TEST(TestRoomEntry)
#include "tst_RoomEntry.moc"
