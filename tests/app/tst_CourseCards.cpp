#include "TestRegistry.h"

#include "entry/CourseCards.h"
#include "entry/HisSchoolItem.h"
#include "entry/SchoolItem.h"
#include "session/SchoolInfo.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

qint64 At(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute)).toSecsSinceEpoch();
}

const char kGrey[] = "QPushButton{ background-color: #d7d7d7;border: 1px solid #d7d7d7;border-radius: 2px;color: "
                     "#979697;font:18px Microsoft YaHei;}";

} // namespace

// What a course card shows for a session: time line, styles, enter rule and
// link, for a chosen "now".
class TestCourseCards : public QObject
{
    Q_OBJECT

    SchoolInfo m_session;

    CourseCards::Context Now(qint64 now, int role = 5)
    {
        CourseCards::Context context;
        context.now = now;
        context.role = role;
        context.siteHost = "https://site.test";
        return context;
    }

private slots:
    void init()
    {
        m_session.SetSessionId("s1");
        m_session.SetSessionName("第6讲");
        m_session.SetTeacherName("王老师");
        m_session.SetCourseTypeDesc("小班课");
        m_session.SetRoomType(128);
        m_session.SetLeaveStatus(false);
        m_session.SetRecordStatus(true);
        m_session.SetHeadPath("/data/p.png");
    }

    void UpcomingCard_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("leave");
        QTest::addColumn<int>("roomType");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("timeStyle");
        QTest::addColumn<QString>("enter");
        QTest::addColumn<QString>("enterStyle");
        const qint64 today = At(2024, 3, 7, 8, 0);
        const QString todayText = "<font color = #f74945> 3月7日(周四)08:30-09:15</font><font color = #1C985A >   "
                                  "(今天上课)</font>";
        const QString todayStyle = "color: #333333;font:14px Microsoft YaHei;";
        QTest::newRow("today, in 30 minutes")
            << today << today + 1800 << false << false << 128 << todayText << todayStyle << "进入教室"
            << "";
        QTest::newRow("tomorrow, first card")
            << today << today + 86400 << true << false << 128 << " 3月8日(周五)08:00-08:45"
            << "color: #f74945;font:16px Microsoft YaHei;"
            << "进入教室"
            << "";
        // Neither today nor first: the label keeps the card's own style.
        const QString plainStyle = "color: #666666;font:16px Microsoft YaHei;";
        QTest::newRow("on leave") << today << today + 86400 << false << true << 128 << " 3月8日(周五)08:00-08:45"
                                  << plainStyle << "已请假"
                                  << "";
        QTest::newRow("not a class room")
            << today << today + 86400 << false << false << 1 << " 3月8日(周五)08:00-08:45" << plainStyle << ""
            << "";
        // Grey only before 2020 and more than an hour ahead.
        const qint64 old = At(2019, 12, 30, 8, 0);
        QTest::newRow("2019, in 2 hours") << old << old + 7200 << false << false << 128
                                          << "<font color = #f74945> 12月30日(周一)10:00-10:45</font><font color = "
                                             "#1C985A >   (今天上课)</font>"
                                          << todayStyle << "进入教室" << kGrey;
    }
    void UpcomingCard()
    {
        QFETCH(qint64, now);
        QFETCH(qint64, start);
        QFETCH(bool, first);
        QFETCH(bool, leave);
        QFETCH(int, roomType);
        QFETCH(QString, time);
        QFETCH(QString, timeStyle);
        QFETCH(QString, enter);
        QFETCH(QString, enterStyle);
        m_session.SetStartTm(int(start));
        m_session.SetEndTm(int(start + 2700));
        m_session.SetLeaveStatus(leave);
        m_session.SetRoomType(roomType);
        SchoolItem card;
        CourseCards::FillUpcoming(&card, m_session, first, Now(now));
        QCOMPARE(card.GetTimeText(), time);
        QCOMPARE(card.GetTimeStyle(), timeStyle);
        QCOMPARE(card.GetEnterText(), enter);
        QCOMPARE(card.GetEnterStyle(), enterStyle);
        QCOMPARE(card.IsOnLeave(), leave);
        QCOMPARE(card.GetTeacherText(), QString("老师: 王老师"));
        QCOMPARE(card.GetDetailsText(), QString("更多课程操作"));
        QCOMPARE(card.GetDetailsTemplate(), QString("https://site.test/student/session/{session_id}/help"));
    }

    void CourseLinks_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("courseType");
        QTest::addColumn<bool>("teacherHistory");
        QTest::addColumn<QString>("path");
        QTest::newRow("teacher, vip") << 4 << 3 << false << "/teacher/vip/session/{session_id}";
        QTest::newRow("teacher") << 4 << 0 << true << "/teacher/session/{session_id}";
        QTest::newRow("student, vip 1 with teacher history") << 5 << 1 << true << "/vip/session/{session_id}";
        QTest::newRow("student, vip 3") << 5 << 3 << false << "/vip/session/{session_id}";
        QTest::newRow("student, 1") << 5 << 1 << false << "/student/session/{session_id}/help";
        QTest::newRow("anyone else") << 7 << 3 << true << "/session/{session_id}";
    }
    void CourseLinks()
    {
        QFETCH(int, role);
        QFETCH(int, courseType);
        QFETCH(bool, teacherHistory);
        QFETCH(QString, path);
        QCOMPARE(CourseCards::LinkPath(role, courseType, teacherHistory), path);
    }

    void HistoryCard_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("replayStyle");
        const qint64 start = At(2024, 3, 7, 8, 0);
        const QString red = "QPushButton{ background-color: #ff9290;border: 1px solid #ff9290;border-radius: "
                            "2px;color: rgb(255, 255, 255);font:18px Microsoft YaHei;}QPushButton::hover{ "
                            "background-color: #ff9999;border: 1px solid #ff9999;border-radius: 2px;color: rgb(255, "
                            "255, 255);font:18px Microsoft YaHei;}";
        QTest::newRow("earlier today, recorded")
            << start + 7200 << true
            << "<font color = #666666>  3月7日(周四)08:00-08:45</font><font color = #666666 >   (今天上课)</font>"
            << "";
        QTest::newRow("last week, no recording") << start + 7 * 86400 << false << "  3月7日(周四)08:00-08:45" << red;
    }
    void HistoryCard()
    {
        QFETCH(qint64, now);
        QFETCH(bool, recorded);
        QFETCH(QString, time);
        QFETCH(QString, replayStyle);
        m_session.SetStartTm(int(At(2024, 3, 7, 8, 0)));
        m_session.SetEndTm(int(At(2024, 3, 7, 8, 45)));
        m_session.SetRecordStatus(recorded);
        HisSchoolItem card;
        CourseCards::FillHistory(&card, m_session, now);
        QCOMPARE(card.GetTimeText(), time);
        QCOMPARE(card.GetTimeStyle(),
            QString("border:5px;border-left-width: 6px;border-left-color: #6DD4A0; border-left-style: solid; color: "
                    "#333333;font:14px Microsoft YaHei;"));
        QCOMPARE(card.GetReplayText(), QString("查看回放"));
        QCOMPARE(card.GetReplayStyle(), replayStyle);
        QCOMPARE(card.HasRecord(), recorded);
    }

    void APointerOnAnOpenEnterButtonTurnsItRedForGood()
    {
        // More than an hour ahead, but after 2020: no hint, and the first
        // hover ends the card's checks.
        SchoolItem card;
        card.SetStartTime(QDateTime::currentSecsSinceEpoch() + 7200);
        card.SetEnterText("进入教室");
        card.SetEnterStyle(kGrey);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(card.GetActionButton(), &enter);
        QVERIFY(card.GetHint()->isHidden());
        QCOMPARE(card.GetEnterStyle(), QString());
        card.SetEnterStyle(kGrey);
        QCoreApplication::sendEvent(card.GetActionButton(), &enter);
        QCOMPARE(card.GetEnterStyle(), QString(kGrey));
    }
};

PLOVIX_TEST(TestCourseCards)
#include "tst_CourseCards.moc"
