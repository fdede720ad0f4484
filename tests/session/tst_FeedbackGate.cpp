#include "LogCapture.h"
#include "RoomSetup.h"
#include "TestRegistry.h"

#include <QElapsedTimer>
#include <QUrlQuery>

namespace {
const qint64 kStart = 1700000000;
const qint64 kEnd = kStart + 3600;
const char* kCheckPath = "/api/comments/exists";
} // namespace

class TestFeedbackGate : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

    void Reply(const QByteArray& body)
    {
        QVERIFY(m_setup.service.Reset());
        if (!body.isEmpty())
            QVERIFY(m_setup.service.Body(kCheckPath, body));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_setup.Start(QString()));
        auto* session = new SchoolInfo();
        session->SetSessionId("s 9");
        session->SetStartTm(kStart);
        session->SetEndTm(kEnd);
        m_setup.data->AddCurrentSession(session);
        m_setup.data->OnRoomEntry("s 9");
        m_setup.data->SetSchoolId("2");
    }

    void DecidesByRoleTimeAndComment_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("due");
        const QByteArray noComment = R"({"returncode":"SUCCESS","message":{"key":-1,"value":"未评价"}})";
        QTest::newRow("no role") << 0 << kEnd + 1 << noComment << false << false;
        QTest::newRow("teacher after the end") << 4 << kEnd + 1 << noComment << false << true;
        QTest::newRow("teacher before the end") << 4 << kEnd << noComment << false << false;
        QTest::newRow("student before the end") << 5 << kEnd - 1 << noComment << false << false;
        QTest::newRow("student after, no comment yet") << 5 << kEnd + 1 << noComment << true << true;
        QTest::newRow("student after, commented")
            << 5 << kEnd + 1 << QByteArray(R"({"message":{"key":0,"value":"已评价"}})") << true << false;
        QTest::newRow("key as a string") << 5 << kEnd + 1 << QByteArray(R"({"message":{"key":"-1","value":"x"}})")
                                         << true << false;
        QTest::newRow("no message") << 5 << kEnd + 1 << QByteArray(R"({"returncode":"SUCCESS"})") << true << false;
        QTest::newRow("not JSON") << 5 << kEnd + 1 << QByteArray("<html>") << true << false;
        QTest::newRow("an array") << 5 << kEnd + 1 << QByteArray("[-1]") << true << false;
        QTest::newRow("listener at 1200 s") << 7 << kStart + 1200 << noComment << false << false;
        QTest::newRow("listener at 1201 s") << 7 << kStart + 1201 << noComment << true << true;
        QTest::newRow("auditor after the end") << 6 << kEnd << noComment << false << false;
        QTest::newRow("role 8") << 8 << kEnd + 1 << noComment << false << false;
    }
    void DecidesByRoleTimeAndComment()
    {
        QFETCH(int, role);
        QFETCH(qint64, now);
        QFETCH(QByteArray, reply);
        QFETCH(bool, asks);
        QFETCH(bool, due);
        Reply(reply);
        m_setup.data->SetRoomRole(role);
        m_setup.data->SetClock([now] { return now * 1000 + 999; });
        LogCapture log;
        QCOMPARE(m_setup.data->CheckIfNeedUserFeedback(), due);
        const QJsonArray requests = m_setup.service.Requests(kCheckPath);
        QCOMPARE(requests.size(), asks ? 1 : 0);
        if (asks) {
            const QUrlQuery query(requests.at(0).toObject().value("raw_query").toString());
            QCOMPARE(query.queryItemValue("userId", QUrl::FullyDecoded), QString("58"));
            QCOMPARE(query.queryItemValue("schoolId", QUrl::FullyDecoded), QString("2"));
            QCOMPARE(query.queryItemValue("sessionId", QUrl::FullyDecoded), QString("s 9"));
        }
        // Teachers and unknown roles decide without a word in the log.
        QCOMPARE(log.Count("isTimeConditionMatch:"), role >= 5 && role <= 8 ? 1 : 0);
    }

    void ASlowServiceMeansNoDialog()
    {
        Reply(QByteArray());
        QVERIFY(m_setup.service.Delay(kCheckPath, 20000));
        m_setup.data->SetRoomRole(5);
        m_setup.data->SetClock([] { return (kEnd + 1) * 1000; });
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!m_setup.data->CheckIfNeedUserFeedback());
        // One try of a few seconds, never the service's twenty.
        QVERIFY2(waited.elapsed() < 15000, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(m_setup.service.Requests(kCheckPath).size(), 1);
    }
};

PLOVIX_TEST(TestFeedbackGate)
#include "tst_FeedbackGate.moc"
