#include "LogCapture.h"
#include "RoomControl.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "app/HttpClient.h"
#include "app/Nexus.h"
#include "app/SignallingDispatch.h"
#include "app/WebSockClient.h"
#include "room/MiddleArea.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// What a session worker is to the client: a logout status, the probe flag
// and a table that records every message reaching it.
class Peer : public SignallingPeer
{
public:
    Peer()
    {
        dispatch.Route({ 96, 129, 161, 288, 385, 484 }, ",test msg.",
            [this](const SignallingMessage& message) { types << message.type; });
    }
    int GetLogoutStatus() const override { return logout; }
    bool IsProbeDone() const override { return false; }
    const SignallingDispatch* GetDispatch() const override { return &dispatch; }

    int logout = 0;
    SignallingDispatch dispatch;
    QList<int> types;
};

QString Message(int type, const QString& extra = QString())
{
    return QStringLiteral("{\"type\":%1,\"source\":\"57\",\"dest\":\"70\",\"data\":{%2}}").arg(type).arg(extra);
}

} // namespace

// The splitting of frames and the routing of their pieces, without a
// socket.
class TestSignallingFrames : public QObject
{
    Q_OBJECT

private slots:
    void PiecesAreSplitAndRouted_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QList<int>>("routed");
        QTest::addColumn<int>("loggedDrops");
        const QString a = Message(129);
        const QString b = Message(161);
        QTest::newRow("two in order") << a + "\r\n" + b << QList<int> { 129, 161 } << 0;
        QTest::newRow("trailing separator") << a + "\r\n" << QList<int> { 129 } << 0;
        QTest::newRow("empty pieces") << "\r\n\r\n" + a + "\r\n\r\n" + b << QList<int> { 129, 161 } << 0;
        QTest::newRow("lone CR and LF stay inside") << a + "\r" + b + "\n" << QList<int> {} << 1;
        QTest::newRow("short pieces") << "{}\r\n[]\r\n1234\r\n" + a << QList<int> { 129 } << 3;
        QTest::newRow("short in characters") << QString::fromUtf8("{\"中\"}") + "\r\n" + a << QList<int> { 129 } << 1;
        QTest::newRow("not JSON") << "hello world\r\n" + a + "\r\n{\"type\":129" << QList<int> { 129 } << 2;
        QTest::newRow("not an object") << "[129, 161]\r\n\"text here\"\r\n" + b << QList<int> { 161 } << 2;
        QTest::newRow("type as text") << "{\"type\":\"161\",\"data\":{}}\r\n" + a << QList<int> { 129 } << 1;
        QTest::newRow("type missing or null") << "{\"data\":{}}\r\n{\"type\":null}\r\n" + b << QList<int> { 161 } << 2;
        QTest::newRow("unknown and fractional types")
            << Message(777) + "\r\n" + Message(-1) + "\r\n{\"type\":129.5}\r\n{\"type\":1e300}\r\n" + b
            << QList<int> { 161 } << 4;
        QTest::newRow("wrong-typed data still routed")
            << "{\"type\":385,\"data\":[1,2]}\r\n{\"type\":96}" << QList<int> { 385, 96 } << 0;
        QTest::newRow("unicode and escapes")
            << Message(385, QString::fromUtf8("\"content\":\"你好\\r\\n\\u0000世界\"")) << QList<int> { 385 } << 0;
    }
    void PiecesAreSplitAndRouted()
    {
        QFETCH(QString, frame);
        QFETCH(QList<int>, routed);
        QFETCH(int, loggedDrops);
        Peer peer;
        LogCapture log;
        QCOMPARE(peer.dispatch.HandleFrame(frame.toUtf8()), routed.size());
        QCOMPARE(peer.types, routed);
        const int drops = log.Count("doucment state:") + log.Count("doucment is not object")
            + log.Count("short piece skipped") + log.Count("no numeric type, skipped") + log.Count(",  message:");
        QCOMPARE(drops, loggedDrops);
    }

    void OversizedFramesAndPiecesAreDropped()
    {
        Peer peer;
        peer.dispatch.SetMaxBytes(1000);
        LogCapture log;
        const QString big = Message(385, "\"content\":\"" + QString(2000, 'x') + "\"");
        QCOMPARE(peer.dispatch.HandleFrame(big.toUtf8()), 0);
        QCOMPARE(log.Count("frame too large and dropped"), 1);
        QCOMPARE(peer.dispatch.HandlePiece(big.toUtf8()), false);
        QCOMPARE(log.Count("message too large and dropped"), 1);
        QCOMPARE(peer.dispatch.HandleFrame(Message(129).toUtf8()), 1);
    }

    void ReceiverGoingAwayStopsTheFrame()
    {
        Peer peer;
        int allowed = 2;
        const QString frame = Message(129) + "\r\n" + Message(161) + "\r\n" + Message(288);
        QCOMPARE(peer.dispatch.HandleFrame(frame.toUtf8(), [&] { return allowed-- > 0; }), 2);
        QCOMPARE(peer.types, (QList<int> { 129, 161 }));
    }

    void CertificateNamesMatch_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("dns name") << "localhost" << true;
        QTest::newRow("dns name, other case") << "LocalHost" << true;
        QTest::newRow("ip v4") << "127.0.0.1" << true;
        QTest::newRow("ip v6") << "::1" << true;
        QTest::newRow("other name") << "class.example" << false;
        QTest::newRow("other ip") << "127.0.0.2" << false;
        QTest::newRow("suffix only") << "host.localhost" << false;
        QTest::newRow("empty") << "" << false;
    }
    void CertificateNamesMatch()
    {
        QFETCH(QString, name);
        QFETCH(bool, matches);
        static ServiceFixture service;
        if (!service.IsRunning())
            QVERIFY2(service.Start(true), qPrintable(service.ErrorText()));
        QFile pem(QFileInfo(service.CaPath()).absolutePath() + "/server.pem");
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QSslCertificate cert(&pem, QSsl::Pem);
        QCOMPARE(WebSockClient::CertificateMatches(cert, name), matches);
    }

    void WildcardsCoverOneLabel()
    {
        // A certificate with a wildcard common name and no alternative names.
        QTemporaryDir dir;
        QProcess openssl;
        openssl.start("openssl",
            { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                dir.filePath("k.pem"), "-out", dir.filePath("c.pem"), "-days", "1", "-subj", "/CN=*.example.cn" });
        QVERIFY(openssl.waitForFinished(20000));
        QFile pem(dir.filePath("c.pem"));
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QSslCertificate cert(&pem, QSsl::Pem);
        QVERIFY(!cert.isNull());
        QVERIFY(WebSockClient::CertificateMatches(cert, "class.example.cn"));
        QVERIFY(!WebSockClient::CertificateMatches(cert, "a.class.example.cn"));
        QVERIFY(!WebSockClient::CertificateMatches(cert, "example.cn"));
        QVERIFY(!WebSockClient::CertificateMatches(QSslCertificate(), "class.example.cn"));
    }
};

// The client against the local service: connection, sending, receiving,
// reopening and its storm guard.
class TestWebSockClient : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<RoomControl> m_room;

    QUrl RoomUrl(const QString& uid = "70") const
    {
        QUrl url = m_service.HttpUrl("/ws");
        url.setScheme("ws");
        url.setQuery("username=tester&userid=" + uid + "&roomid=R101");
        return url;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(true), qPrintable(m_service.ErrorText()));
        HttpClient::TrustExtraCaFile(m_service.CaPath());
        m_room = std::make_unique<RoomControl>(m_service);
    }
    void init() { QVERIFY(m_service.Reset()); }

    void SendsOnlyWhenConnected()
    {
        Peer peer;
        WebSockClient client(RoomUrl(), &peer);
        QSignalSpy connected(&client, &WebSockClient::connected);
        // Still connecting: the text would be lost, so it is not "sent".
        QCOMPARE(client.onTextMessageSend(Message(385)), 0);
        QVERIFY(connected.wait(5000));
        const QString text = Message(385, "\"content\":\"ok\"");
        QCOMPARE(client.onTextMessageSend(text), text.size());
        QTRY_COMPARE(m_room->SentTexts("70"), QStringList { text });
        peer.logout = 1;
        QCOMPARE(client.onTextMessageSend(text), 0);
        client.DisConnect();
        QTRY_COMPARE(client.GetState(), QAbstractSocket::UnconnectedState);
        QCOMPARE(client.onTextMessageSend(text), 0);
        QCOMPARE(m_room->SentTexts("70").size(), 1);
    }

    void FramesFromTheServiceAreDispatchedInOrder()
    {
        Peer peer;
        WebSockClient client(RoomUrl(), &peer);
        QSignalSpy connected(&client, &WebSockClient::connected);
        QVERIFY(connected.wait(5000));
        LogCapture log;
        QCOMPARE(
            m_room->Push("70", Message(161) + "\r\n\r\nnot json\r\n{}\r\n" + Message(777) + "\r\n" + Message(288)), 1);
        QTRY_COMPARE(peer.types, (QList<int> { 161, 288 }));
        QCOMPARE(log.Count("doucment state:"), 1);
        QCOMPARE(log.Count(",  message:"), 1);
        // After the logout nothing received is dispatched.
        peer.logout = 1;
        m_room->Push("70", Message(129));
        QTRY_COMPARE(log.Count("current state is logout state"), 1);
        QCOMPARE(peer.types.size(), 2);
    }

    void OversizedMessageIsDroppedAndTheRoomGoesOn()
    {
        Peer peer;
        WebSockClient::Options options;
        options.maxMessageBytes = 4096;
        WebSockClient client(RoomUrl(), &peer, options);
        QSignalSpy connected(&client, &WebSockClient::connected);
        QVERIFY(connected.wait(5000));
        LogCapture log;
        m_room->Push("70", Message(385, "\"content\":\"" + QString(20000, 'x') + "\""));
        // Either the socket refuses it (and reopens) or the client drops
        // it; it never reaches a handler, and the room goes on.
        QTRY_VERIFY(log.Count("too large") + log.Count("WebSockClient error:") >= 1);
        QTRY_VERIFY(client.GetState() == QAbstractSocket::ConnectedState);
        QTRY_VERIFY(m_room->OpenCount("70") == 1);
        m_room->Push("70", Message(129));
        QTRY_COMPARE(peer.types, QList<int> { 129 });
    }

    void ReopensAfterTheServerDropsIt()
    {
        Peer peer;
        WebSockClient client(RoomUrl(), &peer);
        QSignalSpy connected(&client, &WebSockClient::connected);
        QVERIFY(connected.wait(5000));
        QCOMPARE(m_room->Drop("70"), 1);
        QTRY_COMPARE(connected.size(), 2);
        QCOMPARE(m_room->Attempts().size(), 2);
        QCOMPARE(client.GetCloseFlag(), 1);
        // After a logout a drop is final.
        peer.logout = 1;
        QCOMPARE(m_room->Drop("70"), 1);
        QTRY_COMPARE(client.GetState(), QAbstractSocket::UnconnectedState);
        QTest::qWait(300);
        QCOMPARE(m_room->Attempts().size(), 2);
    }

    // Refused for "1 s", "10 s" or "60 s" (on a clock twenty times faster):
    // the reopenings are spaced 1 s, 2 s, 4 s ... at most 30 s apart, the
    // network-lost notice comes once after three failed reopenings, and the
    // client comes back each time.
    void ReopensWithGrowingPausesUntilTheServiceIsBack_data()
    {
        QTest::addColumn<int>("refusedMs");
        QTest::addColumn<int>("fewestNotices");
        QTest::addColumn<int>("mostNotices");
        // "10 s" fits two or three failed reopenings, as fast as the
        // machine connects.
        QTest::newRow("1 s") << 50 << 0 << 0;
        QTest::newRow("10 s") << 500 << 0 << 1;
        QTest::newRow("60 s") << 3000 << 1 << 1;
    }
    void ReopensWithGrowingPausesUntilTheServiceIsBack()
    {
        QFETCH(int, refusedMs);
        QFETCH(int, fewestNotices);
        QFETCH(int, mostNotices);
        const int scale = 20;
        MiddleArea area;
        QVERIFY(Nexus::Instance());
        Nexus::SetMiddleArea(&area);
        QSignalSpy notice(&area, &MiddleArea::ShowMsgNotifyWidget);
        Peer peer;
        WebSockClient::Options options;
        options.clock = [] { return QDateTime::currentMSecsSinceEpoch() * scale / 1000; };
        options.reconnectFirstMs = 1000 / scale;
        options.reconnectMaxMs = 30000 / scale;
        WebSockClient client(RoomUrl(), &peer, options);
        QSignalSpy connected(&client, &WebSockClient::connected);
        QVERIFY(connected.wait(5000));
        QVERIFY(m_room->Refuse(refusedMs));
        QCOMPARE(m_room->Drop("70"), 1);
        QVERIFY(connected.wait(refusedMs + 30000 / scale + 5000));
        QCOMPARE(client.GetCloseFlag(), 1);
        const QJsonArray attempts = m_room->Attempts();
        for (int i = 2; i < attempts.size(); ++i) {
            const double pause = attempts.at(i).toObject().value("time").toDouble()
                - attempts.at(i - 1).toObject().value("time").toDouble();
            const double least = qMin(1 << (i - 2), 30) * 1.0 / scale;
            QVERIFY2(pause >= least * 0.9 && pause <= 30.0 / scale * 2 + 1,
                qPrintable(QString("pause %1 after attempt %2").arg(pause).arg(i)));
        }
        Nexus::SetMiddleArea(nullptr);
        QVERIFY2(notice.count() >= fewestNotices && notice.count() <= mostNotices,
            qPrintable(QString::number(notice.count())));
        for (const QList<QVariant>& shown : notice)
            QCOMPARE(shown.at(0).toInt(), 512);
    }

    void StormGuardCountsOpeningsInTheWindow()
    {
        qint64 now = 1000;
        Peer peer;
        WebSockClient::Options options;
        options.clock = [&now] { return now; };
        // Openings at t (the constructor's), t, t+1: the fourth within t+1
        // is refused.
        WebSockClient client(RoomUrl("71"), &peer, options);
        client.onCreated();
        now = 1001;
        client.onCreated();
        QCOMPARE(client.GetCloseFlag(), 1);
        client.onCreated();
        QCOMPARE(client.GetCloseFlag(), 2);

        // Two seconds or more apart never trip it.
        WebSockClient spaced(RoomUrl("72"), &peer, options);
        for (int i = 0; i < 12; ++i) {
            now += 2;
            spaced.onCreated();
            QCOMPARE(spaced.GetCloseFlag(), 1);
        }
        // Three openings inside the window but one of them a second
        // earlier than two seconds back: still allowed.
        WebSockClient edge(RoomUrl("73"), &peer, options);
        now += 1;
        edge.onCreated();
        now += 1;
        QVERIFY(!edge.JudgeConnectStatus());
        // Three openings exactly two seconds back are out of the window.
        WebSockClient pinned(RoomUrl("74"), &peer, options);
        pinned.onCreated();
        pinned.onCreated();
        now += 2;
        QVERIFY(!pinned.JudgeConnectStatus());
        now -= 1;
        QVERIFY(pinned.JudgeConnectStatus());
    }

    void DetachedAndClosedClientLeavesTheRoom()
    {
        Peer peer;
        auto* client = new WebSockClient(RoomUrl(), &peer);
        QSignalSpy connected(client, &WebSockClient::connected);
        QVERIFY(connected.wait(5000));
        QTRY_COMPARE(m_room->OpenCount("70"), 1);
        client->Detach();
        client->DisConnect();
        client->deleteLater();
        QTRY_COMPARE(m_room->OpenCount("70"), 0);
        QTest::qWait(200);
        QCOMPARE(m_room->Attempts().size(), 1);
    }

    void SecureSocketVerifiesThePeer()
    {
        Peer peer;
        QUrl trusted = m_service.HttpsUrl("/ws");
        trusted.setScheme("wss");
        trusted.setQuery("userid=74&roomid=R101");
        WebSockClient good(trusted, &peer);
        QSignalSpy goodConnected(&good, &WebSockClient::connected);
        QVERIFY(goodConnected.wait(5000));

        QUrl untrusted = m_service.UntrustedUrl("/ws");
        untrusted.setScheme("wss");
        untrusted.setQuery("userid=75&roomid=R101");
        LogCapture log;
        WebSockClient bad(untrusted, &peer);
        QSignalSpy badConnected(&bad, &WebSockClient::connected);
        QTRY_VERIFY(log.Count("WebSockClient TLS error:") >= 1);
        QTest::qWait(300);
        QCOMPARE(badConnected.size(), 0);
        QCOMPARE(m_room->OpenCount("75"), 0);
    }
};

PLOVIX_TEST(TestSignallingFrames)
PLOVIX_TEST(TestWebSockClient)
#include "tst_WebSockClient.moc"
