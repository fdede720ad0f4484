// A lesson over the roads of real networks (tools/netroads.sh): a student
// behind a home router that masquerades, first with every road open, then
// with a router that lets no UDP through, where only the school's relay
// over TCP carries the media.
#include "LocalPeer.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr unsigned kTeacher = 57;
constexpr unsigned kStudent = 58;
constexpr int kHeard = 20;

// An nft command in the router's namespace; its output.
QString Router(const QStringList& arguments, bool* ok = nullptr)
{
    QProcess nft;
    nft.start(QStringLiteral("nsenter"),
        QStringList { QStringLiteral("--net=") + qEnvironmentVariable("PLOVIX_ROUTER_NETNS"), QStringLiteral("nft") }
            + arguments);
    const bool done = nft.waitForFinished(10000) && nft.exitStatus() == QProcess::NormalExit && nft.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromUtf8(nft.readAllStandardOutput() + nft.readAllStandardError());
}

// The packets a counter of the router's forward chain counted.
qint64 Counted(const QString& comment)
{
    const QString chain = Router({ QStringLiteral("list"), QStringLiteral("chain"), QStringLiteral("ip"),
        QStringLiteral("plxnat"), QStringLiteral("forward") });
    const QRegularExpression counter(QStringLiteral("counter packets (\\d+) bytes \\d+.*comment \"%1\"").arg(comment));
    const QRegularExpressionMatch match = counter.match(chain);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace

class TestNetworkRoads : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_service;

    // The student behind the router joins; both see and hear each other.
    void LessonCarries(const QString& room, bool relays)
    {
        LocalPeer teacher(room, kTeacher);
        RemotePeer::Options behindRouter;
        behindRouter.netns = qEnvironmentVariable("PLOVIX_CLIENT_NETNS");
        behindRouter.relays = relays;
        RemotePeer student(m_service, room, kStudent, behindRouter);
        // The teacher's microphone is muted, so what the teacher hears is
        // the student's tone.
        QVERIFY2(teacher.Start(m_service, true), qPrintable(teacher.ErrorText()));
        QVERIFY2(student.Start(), qPrintable(student.ErrorText()));
        QVERIFY(!student.WaitFor("onJoinChannelSuccess").isEmpty());
        QVERIFY(!teacher.WaitFor("frame", kStudent).isEmpty());
        QVERIFY(!student.WaitFor("frame", kTeacher).isEmpty());
        const auto heard = [](const QJsonObject& e) { return e.value(QLatin1String("volume")).toInt() > kHeard; };
        QVERIFY(!teacher.WaitFor("onAudioVolumeIndication", heard).isEmpty());
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_CLIENT_NETNS") || qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR"))
            QSKIP("needs the namespaces of a router and a client: run through tools/netroads.sh");
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        QVERIFY2(m_service.Start(false,
                     { QStringLiteral("--media-server"), QStringLiteral("--relay"), QStringLiteral("--media-host"),
                         qEnvironmentVariable("PLOVIX_MEDIA_ADDR") }),
            qPrintable(m_service.ErrorText()));
        if (m_service.MediaUrl().isEmpty())
            QSKIP("no media server on this machine");
        bool ok = false;
        Router({ QStringLiteral("add"), QStringLiteral("rule"), QStringLiteral("ip"), QStringLiteral("plxnat"),
                   QStringLiteral("forward"), QStringLiteral("meta"), QStringLiteral("l4proto"), QStringLiteral("udp"),
                   QStringLiteral("counter"), QStringLiteral("comment"), QStringLiteral("\"udp\"") },
            &ok);
        QVERIFY(ok);
    }

    void cleanupTestCase() { m_service.Stop(); }

    void aStudentBehindARouterSeesAndIsSeen()
    {
        LessonCarries(QStringLiteral("R100"), false);
        // The media went through the router's translation, over UDP.
        QVERIFY(Counted(QStringLiteral("udp")) > 0);
    }

    void aRouterThatLetsNoUdpThroughLeavesTheRelay()
    {
        bool ok = false;
        Router({ QStringLiteral("add"), QStringLiteral("rule"), QStringLiteral("ip"), QStringLiteral("plxnat"),
                   QStringLiteral("forward"), QStringLiteral("meta"), QStringLiteral("l4proto"), QStringLiteral("udp"),
                   QStringLiteral("counter"), QStringLiteral("drop"), QStringLiteral("comment"),
                   QStringLiteral("\"dropped\"") },
            &ok);
        QVERIFY(ok);
        LessonCarries(QStringLiteral("R101"), true);
        // The direct road was tried, and failed.
        QVERIFY(Counted(QStringLiteral("dropped")) > 0);
    }
};

PLOVIX_TEST(TestNetworkRoads)
#include "tst_NetworkRoads.moc"
