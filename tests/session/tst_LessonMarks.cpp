#include "JoinedRoom.h"
#include "LogCapture.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "room/MiddleArea.h"
#include "room/NotifyType.h"
#include "rtc/Player.h"
#include "session/CourseWareInfo.h"
#include "session/MsgType.h"
#include "ui/chatArea/ChatWidget.h"

#include <QJsonArray>
#include <atomic>

// Likes and lesson marks of student 58 in room R100 against the local
// service, the teacher (57) as a participant. The room keeps one mark of
// 58 (5:07 into the lesson) and 12 likes, one of them from student 59. The
// session starts at 1700000000; the session's clock is the test's.
class TestLessonMarks : public QObject
{
    Q_OBJECT

    static constexpr qint64 kStart = 1700000000;
    static constexpr const char* kListed = "2b7e1516-28ae-4d2a-a6d2-abf7158809cf";

    JoinedRoom m_setup;
    DataManager* m_data = nullptr;
    Participant* m_teacher = nullptr;
    MiddleArea m_middle;
    Player m_player;
    ChatWidget m_chat;
    // Seconds since 1970 of the session's clock.
    std::atomic<qint64> m_now { kStart + 600 };
    QString m_made; // the last mark made here and confirmed

    static QJsonValue DataKey(const QJsonObject& message, const char* key)
    {
        return message.value("data").toObject().value(QLatin1String(key));
    }
    double LastSentStamp() const
    {
        return DataKey(m_setup.room->Sent("58", MsgUserMakeMark).last(), "markTimestamp").toDouble();
    }
    int SentCount(int type) const { return m_setup.room->Sent("58", type).size(); }
    void Push(int type, const QJsonValue& data) { QVERIFY(m_setup.Push(type, data)); }
    QStringList Uuids() const
    {
        QStringList uuids;
        for (const MarkRecord& mark : m_data->GetMarkRecords())
            uuids << mark.uuid;
        return uuids;
    }
    // Asks for a new mark at the given second of the lesson; the notice it
    // raised (0x8000000 once the room took it).
    int MakeMarkAt(qint64 lessonSecond)
    {
        m_now = kStart + lessonSecond;
        RoomNotices notices(&m_middle);
        QueuedLog added(Nexus::Instance(), &Nexus::AddNewMarkItem);
        emit m_data->UserMakeMark();
        if (!QTest::qWaitFor([&] { return notices.size() > 0; }, 5000))
            return 0;
        if (!added.calls.isEmpty())
            m_made = added.Firsts<QString>().first();
        return notices.Firsts<int>().first();
    }

private slots:
    void initTestCase()
    {
        Nexus::SetMiddleArea(&m_middle);
        Nexus::SetPlayer(&m_player);
        Nexus::SetChatWidget(&m_chat);
        QVERIFY(m_setup.Enter());
        m_data = m_setup.data;
        m_teacher = m_setup.teacher.get();
        QVERIFY(m_setup.InWorker([this] { m_data->SetClock([this] { return m_now * 1000; }); }));
        m_data->GetBoardModel()->SetCurrentBoard("W1001");
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void ListAnswerIsRead()
    {
        QTRY_COMPARE(Uuids(), QStringList { kListed });
        const MarkRecord mark = m_data->GetMarkItemById(kListed);
        QCOMPARE(mark.time, 307);
        QCOMPARE(mark.description, QString::fromUtf8("标记 05:07"));
        QVERIFY(m_data->GetMarkItemById(QString(kListed).toUpper()).IsNull());
    }

    void MarkIsMadeAndDeleted()
    {
        // Before the session's start the lesson second is 0.
        QCOMPARE(MakeMarkAt(-100), int(NotifyMarkSaved));
        QCOMPARE(m_data->GetMarkItemById(m_made).description, QString::fromUtf8("标记 00:00"));
        QCOMPARE(LastSentStamp(), double((kStart - 100) * 1000));
        QCOMPARE(MakeMarkAt(65), int(NotifyMarkSaved));
        QCOMPARE(m_data->GetMarkItemById(m_made).description, QString::fromUtf8("标记 01:05"));
        const QJsonObject sent = m_setup.room->Sent("58", MsgUserMakeMark).last().value("data").toObject();
        QCOMPARE(sent["uuid"].toString(), m_made);
        QVERIFY(sent["presentationUrl"].toString().endsWith("/static/course/p1001.png"));

        LogCapture log;
        QueuedLog deleted(Nexus::Instance(), &Nexus::DeleteMarkItem);
        emit m_data->UserDelMark(m_made);
        QTRY_COMPARE(deleted.Firsts<QString>(), QStringList { m_made });
        QVERIFY(m_data->GetMarkItemById(m_made).IsNull());

        // A fresh list holds the room's marks once each, and adds no row.
        QueuedLog rendered(Nexus::Instance(), &Nexus::RendMarkList);
        emit m_data->UserMarkListRequest();
        QTRY_COMPARE(log.Count("OnUserMarkListResponse, list count:"), 1);
        QTest::qWait(50);
        QCOMPARE(Uuids().size(), 2);
        QVERIFY(!Uuids().contains(m_made));
        QCOMPARE(rendered.size(), 0);
    }

    // Edits of marks from the room's list (made 10 min into the lesson).
    void EditIsNeverASecondRow_data()
    {
        QTest::addColumn<QString>("uuid");
        QTest::addColumn<int>("status");
        QTest::newRow("description was empty") << "E1" << 1;
        QTest::newRow("description was set") << "E2" << 2;
    }
    void EditIsNeverASecondRow()
    {
        QFETCH(QString, uuid);
        QFETCH(int, status);
        if (m_data->GetMarkItemById("E1").IsNull()) {
            const double stamp = (kStart + 600) * 1000.0;
            Push(MsgUserMarkList,
                QJsonObject { { "markList",
                    QJsonArray { QJsonObject { { "uuid", "E1" }, { "markTimestamp", stamp } },
                        QJsonObject { { "uuid", "E2" }, { "markMessage", "x" }, { "markTimestamp", stamp } } } } });
            QTRY_VERIFY(!m_data->GetMarkItemById("E2").IsNull());
        }
        QCOMPARE(m_data->GetMarkItemById(uuid).time, 600);
        QueuedLog added(Nexus::Instance(), &Nexus::AddNewMarkItem);
        LogCapture log;
        QVERIFY(m_data->SetMarkDescription(uuid, QString::fromUtf8("勾股定理")));
        QCOMPARE(m_data->GetMarkItemById(uuid).status, status);
        emit m_data->UserEditMark(uuid);
        QTRY_COMPARE(log.Count("its update mark, and no need insert"), 1);
        QCOMPARE(LastSentStamp(), (kStart + 600) * 1000.0);
        QTest::qWait(50);
        QCOMPARE(added.size(), 0);
    }

    void RefusedNewMarkIsRemoved()
    {
        QVERIFY(m_setup.room->Late(MsgUserMakeMark, 1500));
        m_now = kStart + 300;
        QueuedLog added(Nexus::Instance(), &Nexus::AddNewMarkItem);
        LogCapture log;
        const int before = Uuids().size();
        emit m_data->UserMakeMark();
        QTRY_COMPARE(Uuids().size(), before + 1);
        Push(MsgUserMakeMark, QJsonObject { { "uuid", Uuids().last() }, { "result", false } });
        QTRY_COMPARE(Uuids().size(), before);
        // The room's own answer comes later and finds no mark.
        QTRY_COMPARE_WITH_TIMEOUT(log.Count("GetMarkItemById is null"), 1, 5000);
        QCOMPARE(added.size(), 0);
        QVERIFY(m_setup.room->Late(MsgUserMakeMark, 0));
    }

    void LimitsRaiseTheirNotices_data()
    {
        QTest::addColumn<qint64>("second");
        QTest::addColumn<int>("fill"); // marks pushed into the list first
        QTest::addColumn<int>("notice");
        QTest::newRow("3 s after the last") << qint64(303) << 0 << int(NotifyMarkTooSoon);
        QTest::newRow("4 s after the last") << qint64(304) << 0 << int(NotifyMarkSaved);
        QTest::newRow("the 51st mark") << qint64(400) << 50 << int(NotifyMarkLimitReached);
    }
    void LimitsRaiseTheirNotices()
    {
        QFETCH(qint64, second);
        QFETCH(int, fill);
        QFETCH(int, notice);
        QJsonArray list;
        for (int i = Uuids().size(); i < fill; ++i)
            list.append(QJsonObject { { "uuid", QString("F%1").arg(i) }, { "markTimestamp", 1.7e12 } });
        if (!list.isEmpty()) {
            Push(MsgUserMarkList, QJsonObject { { "markList", list } });
            QTRY_COMPARE(Uuids().size(), fill);
        }
        const int sent = SentCount(MsgUserMakeMark);
        QCOMPARE(MakeMarkAt(second), notice);
        QCOMPARE(SentCount(MsgUserMakeMark), sent + (notice == NotifyMarkSaved ? 1 : 0));
    }

    void RefusedAnswersAndBadInputStoreNothing_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QJsonValue>("data");
        QTest::addColumn<int>("change"); // marks added (negative: removed)
        const QJsonArray bad { 1, "x", QJsonObject { { "uuid", 5 } }, QJsonObject { { "markMessage", "no uuid" } },
            QJsonObject { { "uuid", "B1" }, { "markTimestamp", "abc" } },
            QJsonObject { { "uuid", "B2" }, { "markTimestamp", 1e300 } },
            QJsonObject { { "uuid", "B1" }, { "markTimestamp", -5 } } };
        const auto answer = [](const char* uuid, const QJsonValue& result) {
            return QJsonValue(QJsonObject { { "uuid", uuid }, { "result", result } });
        };
        const int list = MsgUserMarkList, make = MsgUserMakeMark, del = MsgUserDelMark;
        QTest::newRow("list with wrong entries") << list << QJsonValue(QJsonObject { { "markList", bad } }) << 2;
        QTest::newRow("list not an array") << list << QJsonValue(QJsonObject { { "markList", "[]" } }) << 0;
        QTest::newRow("data not an object") << list << QJsonValue(QJsonArray { 1 }) << 0;
        QTest::newRow("make answer result as text") << make << answer("B1", "false") << 0;
        QTest::newRow("refused edit") << make << answer("B1", false) << 0;
        QTest::newRow("unknown uuid") << del << answer("Z9", true) << 0;
        QTest::newRow("refused deletion") << del << answer("B1", false) << 0;
        QTest::newRow("deletion") << del << answer("B1", true) << -1;
        QTest::newRow("deletion repeated") << del << answer("B1", true) << 0;
    }
    void RefusedAnswersAndBadInputStoreNothing()
    {
        QFETCH(int, type);
        QFETCH(QJsonValue, data);
        QFETCH(int, change);
        const int before = Uuids().size();
        LogCapture log;
        Push(type, data);
        QTRY_VERIFY(log.Count("Message received:") + log.Count("get json data") > 0);
        QTest::qWait(50);
        QCOMPARE(Uuids().size(), before + change);
        if (type == MsgUserMarkList && change > 0)
            QCOMPARE(m_data->GetMarkItemById("B2").time, INT_MAX);
    }

    void ThousandsOfMarksAreCut()
    {
        QJsonArray list;
        for (int i = 0; i < 5000; ++i)
            list.append(QJsonObject { { "uuid", QString("T%1").arg(i) } });
        LogCapture log;
        Push(MsgUserMarkList, QJsonObject { { "markList", list } });
        QTRY_COMPARE(log.Count("list too long"), 1);
        QCOMPARE(Uuids().size(), 1000);
    }

    void LikeCountsOncePerLesson()
    {
        const int total = m_data->GetTeacherLikeTotal();
        QVERIFY(!m_data->GetLikedFlag());
        QueuedLog shown(&m_player, &Player::UpdateLikeCnt);
        // The phrase follows the second: one ending in 20 takes the first.
        m_now = kStart + 20;
        emit m_data->UserMakeLike();
        // Both sides hear of the like, and the room counts it.
        QTRY_COMPARE(m_teacher->Inbox(MsgMakeLikeSuccess).size(), 1);
        QTRY_VERIFY(m_data->GetLikedFlag());
        QCOMPARE(m_data->GetTeacherLikeTotal(), total + 1);
        QTRY_COMPARE(shown.size(), 1);
        QTRY_VERIFY(m_chat.IsLikeShownLiked());
        QCOMPARE(DataKey(m_setup.room->Sent("58", MsgUserMakeLike).first(), "message").toString(),
            QString::fromUtf8("点个赞求不交作业"));
        QVERIFY(m_teacher->Send(MsgGetLikeCount, { { "likedUserId", "57" } }, "57"));
        QTRY_COMPARE(m_teacher->Inbox(MsgGetLikeCount).size(), 1);
        QCOMPARE(DataKey(m_teacher->Inbox(MsgGetLikeCount).first(), "likedCount").toInt(), 13);

        RoomNotices notices(&m_middle);
        emit m_data->UserMakeLike();
        QTRY_COMPARE(notices.Firsts<int>(), QList<int> { NotifyLikeOncePerLesson });
        QCOMPARE(SentCount(MsgUserMakeLike), 1);
        // A repeated confirmation and an answer nobody asked for count nothing.
        Push(MsgMakeLikeSuccess, QJsonObject { { "likedUserId", "57" } });
        Push(MsgGetLikeCount, QJsonObject { { "likedCount", 5 }, { "liked", true } });
        QTest::qWait(100);
        QCOMPARE(m_data->GetTeacherLikeTotal(), total + 1);

        // A teacher may not like, but counts every like it hears of.
        m_data->SetRoomRole(4);
        m_data->SetLikedFlag(false);
        emit m_data->UserMakeLike();
        QTRY_COMPARE(notices.Firsts<int>(), (QList<int> { NotifyLikeOncePerLesson, NotifyLikeStudentsOnly }));
        Push(MsgMakeLikeSuccess, QJsonObject { { "likedUserId", "57" } });
        QTRY_COMPARE(m_data->GetTeacherLikeTotal(), total + 2);
        QVERIFY(!m_data->GetLikedFlag());
        m_data->SetRoomRole(5);
    }

    void RefusedSendLeavesNoMark()
    {
        // Out of the room: nothing can be sent, and the first mark of the
        // next lesson is never refused for time, however often refused.
        emit m_data->CleanUp();
        QTRY_VERIFY(!m_data->GetWebSocket() && Uuids().isEmpty());
        QVERIFY(m_setup.InWorker([this] {
            auto* page = new CourseWareInfo();
            page->SetWhiteboardId("W1001");
            m_data->ReplaceCourseWareList({ page });
        }));
        RoomNotices notices(&m_middle);
        for (int i = 0; i < 2; ++i) {
            LogCapture log;
            emit m_data->UserMakeMark();
            QTRY_COMPARE(log.Count("send refused and mark dropped"), 1);
            QVERIFY(Uuids().isEmpty());
        }
        QCOMPARE(notices.size(), 0);
    }
};

PLOVIX_TEST(TestLessonMarks)
#include "tst_LessonMarks.moc"
