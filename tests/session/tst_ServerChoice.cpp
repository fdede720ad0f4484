#include "LogCapture.h"
#include "RoomSetup.h"
#include "TestRegistry.h"

#include "entry/NewLoginWidget.h"
#include "session/MsgType.h"

#include <QUrl>

// The server choice runs once per run, so each class is one run: the first
// entry with "wssOptimize" absent.

namespace {

// Waits until the entry that follows the choice has logged in.
bool EnteredAfterTheChoice(RoomSetup& setup, DataManager* data)
{
    setup.AddSession("S100", "R100", "100100");
    data->OnRoomEntry("S100");
    emit data->EnterRoom();
    return QTest::qWaitFor([&] { return !setup.room->Sent("58", MsgUserLogin).isEmpty(); }, 20000);
}

int PortOf(const QJsonValue& attempt)
{
    return attempt.toObject().value("port").toInt();
}

// The port and scheme the last room join reached.
QString LastJoin(const ServiceFixture& service)
{
    const QJsonObject join = service.Requests("/api/room/join").last().toObject();
    return join.value("scheme").toString() + "://"
        + join.value("headers").toObject().value("Host").toString().section(':', -1);
}

} // namespace

// The default address answers slowly: every candidate is probed once, in
// order, and the fastest wins; the secure schemes stay.
class TestServerChoice : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase() { QVERIFY(m_setup.Start(QString())); }
    void cleanupTestCase() { Nexus::Teardown(); }

    void FastestCandidateIsChosenOnce()
    {
        RoomControl& room = *m_setup.room;
        const QList<int> candidates = m_setup.service.CandidatePorts(true);
        QCOMPARE(candidates.size(), 2);
        QCOMPARE(m_setup.profile->GetClassroomServers(),
            m_setup.ClassroomHost() + "|" + m_setup.Node(candidates.at(0)) + "|" + m_setup.Node(candidates.at(1)));
        QVERIFY(room.EchoLate(m_setup.service.HttpsPort(), 1100));
        QVERIFY(room.EchoLate(candidates.at(0), 400));
        QSignalSpy notices(Nexus::Instance(), &Nexus::RendLoadingMsg);

        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QVERIFY(!UserSettings::Text(UserSettings::WssOptimize).isEmpty());
        // One probe per candidate: the default address, then the other two.
        const QJsonArray probes = room.Attempts("/echo");
        QCOMPARE(probes.size(), 3);
        QCOMPARE(PortOf(probes.at(0)), m_setup.service.HttpsPort());
        QCOMPARE(PortOf(probes.at(1)), candidates.at(0));
        QCOMPARE(PortOf(probes.at(2)), candidates.at(1));
        const QList<QJsonObject> sentProbes = room.Sent(QString(), MsgSocketDfCal, "/echo");
        QCOMPARE(sentProbes.size(), 3);
        const QJsonObject probe = sentProbes.first();
        QCOMPARE(probe.value("source"), QJsonValue("58"));
        QCOMPARE(probe.value("dest"), QJsonValue("58"));
        QCOMPARE(probe.value("data").toObject().value("location").toString(), m_setup.ClassroomHost());
        QVERIFY(probe.value("data").toObject().value("timestamp").toDouble() > 1.6e12);

        // The winner carries the room, over TLS, checked against the
        // classroom host's name.
        const QString winner = m_setup.Node(candidates.at(1));
        QCOMPARE(m_setup.profile->GetChosenServer(), winner);
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).scheme(), QString("wss"));
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).authority(), winner);
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::RegServer)).scheme(), QString("https"));
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::RegServer)).authority(), winner);
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AgoraDynamicKey)).authority(), winner);
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::RegServerConfigured)).authority(),
            m_setup.ClassroomHost());
        QCOMPARE(PortOf(room.Attempts("/ws").last()), candidates.at(1));
        QCOMPARE(
            m_setup.service.Requests("/api/room/join").last().toObject().value("scheme").toString(), QString("https"));
        QCOMPARE(m_data()->GetChannelKey(), QString("key-R100-58"));
        bool testing = false;
        for (const QList<QVariant>& notice : notices)
            testing |= notice.at(0).toString() == QString::fromUtf8("提示:网络测试中");
        QVERIFY(testing);

        // The second entry of the run joins at once.
        QVERIFY(m_setup.service.Reset());
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(room.Attempts("/echo").size(), 0);
    }

    // "Auto" in the login window measures again: the classroom host is
    // looked up and probed anew, and wins when it is now the fastest.
    void MeasuringAgainProbesTheClassroomHostAgain()
    {
        RoomControl& room = *m_setup.room;
        const QList<int> candidates = m_setup.service.CandidatePorts(true);
        NewLoginWidget login;
        login.OnIspNodeChanged(1);
        login.OnIspNodeChanged(0);
        QVERIFY(!m_data()->IsProbeDone());
        QVERIFY(m_setup.service.Reset());
        QVERIFY(room.EchoLate(candidates.at(0), 400));
        QVERIFY(room.EchoLate(candidates.at(1), 400));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(PortOf(room.Attempts("/echo").first()), m_setup.service.HttpsPort());
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.ClassroomHost());
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).authority(), m_setup.ClassroomHost());
        QCOMPARE(PortOf(room.Attempts("/ws").last()), m_setup.service.HttpsPort());
    }

private:
    DataManager* m_data() const { return m_setup.data; }
};

// The user leaves while the server choice runs: nothing it started enters
// the room; the next entry measures again and goes in.
class TestServerChoiceLeftDuringTheProbe : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

    // What the main window does when the user leaves the room.
    void Leave()
    {
        emit m_setup.data->SendUserLogoutMsg(1);
        emit m_setup.data->CleanUp();
    }
    void CheckNothingEntered()
    {
        QCOMPARE(m_setup.service.RequestCount("/api/room/join"), 0);
        QCOMPARE(m_setup.room->Attempts("/ws").size(), 0);
        QVERIFY(!m_setup.data->IsProbeDone());
    }

private slots:
    void initTestCase() { QVERIFY(m_setup.Start(QString())); }
    void cleanupTestCase() { Nexus::Teardown(); }

    void LeavingDuringTheProbeEntersNothing()
    {
        RoomControl& room = *m_setup.room;
        m_setup.AddSession("S100", "R100", "100100");
        m_setup.data->OnRoomEntry("S100");
        // Left while the classroom host is looked up.
        emit m_setup.data->EnterRoom();
        Leave();
        QTest::qWait(1500);
        CheckNothingEntered();
        QCOMPARE(room.Attempts("/echo").size(), 0);

        // Left while the probe of the classroom host waits for its answer.
        QVERIFY(room.EchoLate(m_setup.service.HttpsPort(), 3000));
        emit m_setup.data->EnterRoom();
        QTRY_COMPARE(room.Attempts("/echo").size(), 1);
        Leave();
        // Past the late answer and the probe's 4 s.
        QTest::qWait(5000);
        CheckNothingEntered();

        // The next entry measures again and goes in.
        QVERIFY(room.EchoLate(m_setup.service.HttpsPort(), 0));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(room.Attempts("/echo").size(), 2);
        QCOMPARE(m_setup.service.RequestCount("/api/room/join"), 1);
    }
};

// More candidates than the ten of the original table, the default address
// last: its answer lands at position 11 and is chosen.
class TestServerChoiceLongList : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase() { QVERIFY(m_setup.Start("0")); }
    void cleanupTestCase() { Nexus::Teardown(); }

    void AnswerBeyondTenCandidatesIsKept()
    {
        QStringList list;
        for (int i = 1; i <= 11; ++i)
            list << QStringLiteral("127.0.0.%1:9").arg(i + 1);
        list << m_setup.ClassroomHost();
        m_setup.profile->SetClassroomServers(list.join('|'));
        LogCapture log;
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(m_setup.room->Attempts("/echo").size(), 1);
        QCOMPARE(log.Count(" into ChooseBestNetwork,dfwindow index: 11 ,tryTimes: 1"), 1);
        QCOMPARE(log.Count("default app ip is ok"), 1);
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.ClassroomHost());
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).scheme(), QString("wss"));
    }
};

// The default address stands twice in the list and always answers slowly:
// the probe goes back to the start once, then ends.
class TestServerChoiceSlowDefault : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase() { QVERIFY(m_setup.Start(QString())); }
    void cleanupTestCase() { Nexus::Teardown(); }

    void SlowDefaultNeverLoops()
    {
        m_setup.profile->SetClassroomServers(m_setup.ClassroomHost() + "|" + m_setup.ClassroomHost());
        QVERIFY(m_setup.room->EchoLate(m_setup.service.HttpsPort(), 1100));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(m_setup.room->Attempts("/echo").size(), 1);
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.ClassroomHost());
    }
};

// The classroom host's name does not resolve and its candidates are reached
// at an address: the candidate with the classroom host's certificate is
// chosen, the faster one whose certificate is only good for its address is
// not.
class TestServerChoiceCertificateName : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase()
    {
        m_setup.classroomName = "classroom.plovix.test";
        QVERIFY(m_setup.Start(QString(), { "--classroom-name", m_setup.classroomName }));
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void OnlyTheClassroomHostsCertificateQualifies()
    {
        const QList<int> tls = m_setup.service.CandidatePorts(true);
        m_setup.profile->SetClassroomServers(m_setup.Node(tls.at(1)) + "|" + m_setup.Node(tls.at(0)));
        QVERIFY(m_setup.room->EchoLate(tls.at(0), 300));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.Node(tls.at(0)));
        // Nothing is sent to the server with the wrong certificate.
        QCOMPARE(m_setup.room->Sent(QString(), MsgSocketDfCal, "/echo").size(), 1);
        QCOMPARE(PortOf(m_setup.room->Attempts("/ws").last()), tls.at(0));
        QCOMPARE(LastJoin(m_setup.service), QString("https://%1").arg(tls.at(0)));
    }
};

// Candidates that serve only plain text, the classroom host over TLS and
// slow: no candidate qualifies, the room is entered through the classroom
// host.
class TestServerChoicePlainCandidates : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase() { QVERIFY(m_setup.Start(QString())); }
    void cleanupTestCase() { Nexus::Teardown(); }

    void TlsProbesNeverPickAPlainServer()
    {
        const QList<int> plain = m_setup.service.CandidatePorts(false);
        m_setup.profile->SetClassroomServers(m_setup.Node(plain.at(0)) + "|" + m_setup.Node(plain.at(1)));
        QVERIFY(m_setup.room->EchoLate(m_setup.service.HttpsPort(), 1100));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.ClassroomHost());
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).authority(), m_setup.ClassroomHost());
        QCOMPARE(LastJoin(m_setup.service), QString("https://%1").arg(m_setup.service.HttpsPort()));
    }
};

// The same deployment with the plain rewrite switched on: the fastest plain
// candidate carries the room over ws and http.
class TestServerChoicePlainRewrite : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;

private slots:
    void initTestCase()
    {
        UserSettings::SetValue(UserSettings::WssPlainRewrite, "1");
        QVERIFY(m_setup.Start(QString()));
    }
    void cleanupTestCase()
    {
        UserSettings::SetValue(UserSettings::WssPlainRewrite, "0");
        Nexus::Teardown();
    }

    void FastestPlainCandidateCarriesTheRoom()
    {
        const QList<int> plain = m_setup.service.CandidatePorts(false);
        m_setup.profile->SetClassroomServers(m_setup.Node(plain.at(0)) + "|" + m_setup.Node(plain.at(1)));
        QVERIFY(m_setup.room->EchoLate(m_setup.service.HttpsPort(), 1100));
        QVERIFY(m_setup.room->EchoLate(plain.at(0), 400));
        QVERIFY(EnteredAfterTheChoice(m_setup, m_setup.data));
        QCOMPARE(m_setup.profile->GetChosenServer(), m_setup.Node(plain.at(1)));
        QCOMPARE(QUrl(m_setup.profile->GetUrl(ClassServerProperty::AppServer)).scheme(), QString("ws"));
        QCOMPARE(LastJoin(m_setup.service), QString("http://%1").arg(plain.at(1)));
    }
};

PLOVIX_TEST(TestServerChoice)
PLOVIX_TEST(TestServerChoiceLeftDuringTheProbe)
PLOVIX_TEST(TestServerChoiceCertificateName)
PLOVIX_TEST(TestServerChoicePlainCandidates)
PLOVIX_TEST(TestServerChoicePlainRewrite)
PLOVIX_TEST(TestServerChoiceLongList)
PLOVIX_TEST(TestServerChoiceSlowDefault)
#include "tst_ServerChoice.moc"
