#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/AutoTimeOutEventLoop.h"
#include "app/HttpClient.h"
#include "app/Nexus.h"

#include <QDir>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {

QString Folder(const QString& name)
{
    return AppPaths::DataFolder() + QStringLiteral("http/") + name;
}

using TestSupport::ReadFile;

// The bytes the service serves for /blob/<size>/<name>.
QByteArray Blob(ServiceFixture& service, int size, const QString& name)
{
    QNetworkAccessManager manager;
    QNetworkReply* reply
        = manager.get(QNetworkRequest(service.HttpUrl(QStringLiteral("/blob/%1/%2").arg(size).arg(name))));
    QSignalSpy done(reply, &QNetworkReply::finished);
    done.wait(10000);
    const QByteArray data = reply->readAll();
    delete reply;
    return data;
}

QHttpMultiPart* ChatForm(const QByteArray& picture)
{
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart file;
    file.setRawHeader("Content-Disposition", "form-data; name=\"file\"; filename=\"a.png\"");
    file.setHeader(QNetworkRequest::ContentTypeHeader, "image/png");
    file.setBody(picture);
    form->append(file);
    QHttpPart room;
    room.setRawHeader("Content-Disposition", "form-data; name=\"roomId\"");
    room.setBody("room-7");
    form->append(room);
    QHttpPart user;
    user.setRawHeader("Content-Disposition", "form-data; name=\"userId\"");
    user.setBody("42");
    form->append(user);
    return form;
}

} // namespace

// Requests of every kind against the local service, with its misbehaviours.
class TestHttpClient : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(true), qPrintable(m_service.ErrorText()));
        QVERIFY(HttpClient::TrustExtraCaFile(m_service.CaPath()) >= 1);
        QVERIFY(Nexus::Instance());
    }
    void init() { QVERIFY(m_service.Reset()); }

    void DefaultsAreThreeAttemptsOfTwentySeconds()
    {
        HttpClient client(0, 0);
        QCOMPARE(client.GetRetryLimit(), 3);
        QCOMPARE(client.GetTimeOut(), 20000);
        QVERIFY(client.IsDone());
    }

    void SynchronousGetKeepsTheBody()
    {
        HttpClient client(3, 5000);
        client.SetReplyMode(HttpClient::ReplyBody);
        QVERIFY(client.SendRequest(m_service.HttpUrl("/service/getIpInfo.php?ip=myip"), 1, nullptr));
        QVERIFY(client.IsSuccess());
        QCOMPARE(client.GetHttpStatus(), 200);
        QCOMPARE(client.GetNetworkError(), QNetworkReply::NoError);
        const QJsonObject answer = QJsonDocument::fromJson(client.GetBody()).object();
        QCOMPARE(answer.value("code").toInt(-1), 0);
        QCOMPARE(m_service.RequestCount("/service/getIpInfo.php"), 1);
        QCOMPARE(m_service.Requests("/service/getIpInfo.php").at(0).toObject().value("query").toString(),
            QString("ip=myip"));
    }

    void HttpErrorsAreRetriedUpToTheLimit_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::newRow("404") << 404 << int(QNetworkReply::ContentNotFoundError);
        QTest::newRow("500") << 500 << int(QNetworkReply::InternalServerError);
        QTest::newRow("503") << 503 << int(QNetworkReply::ServiceUnavailableError);
    }
    void HttpErrorsAreRetriedUpToTheLimit()
    {
        QFETCH(int, status);
        QFETCH(int, error);
        QVERIFY(m_service.Status("/api/schools", status));
        HttpClient client(3, 5000);
        QVERIFY(!client.SendRequest(m_service.HttpUrl("/api/schools"), 1, nullptr));
        QVERIFY(client.IsDone());
        QCOMPARE(int(client.GetNetworkError()), error);
        QCOMPARE(client.GetHttpStatus(), status);
        QVERIFY(!client.IsTimedOut());
        QCOMPARE(m_service.RequestCount("/api/schools"), 3);
    }

    void TransientErrorIsOvercome()
    {
        QVERIFY(m_service.Status("/service/getIpInfo.php", 502, 2));
        HttpClient client(3, 5000);
        QVERIFY(client.SendRequest(m_service.HttpUrl("/service/getIpInfo.php?ip=myip"), 1, nullptr));
        QCOMPARE(client.GetCurRetryTimes(), 3);
        QVERIFY(client.GetBody().contains("\"code\""));
        QCOMPARE(m_service.RequestCount("/service/getIpInfo.php"), 3);
    }

    void JsonPostIsSentOnceWhateverHappens_data()
    {
        QTest::addColumn<bool>("stall");
        QTest::newRow("server error") << false;
        QTest::newRow("time-out") << true;
    }
    void JsonPostIsSentOnceWhateverHappens()
    {
        QFETCH(bool, stall);
        QVERIFY(stall ? m_service.Stall("/api/stats") : m_service.Status("/api/stats", 500));
        HttpClient client(3, 400);
        QVERIFY(
            !client.PostJson(m_service.HttpUrl("/api/stats"), QStringLiteral("{\"userId\":\"7\",\"城市\":\"杭州\"}")));
        QCOMPARE(client.IsTimedOut(), stall);
        QCOMPARE(client.GetNetworkError(), stall ? QNetworkReply::TimeoutError : QNetworkReply::InternalServerError);
        const QJsonArray sent = m_service.Requests("/api/stats");
        QCOMPARE(sent.size(), 1);
        const QJsonObject request = sent.at(0).toObject();
        QCOMPARE(request.value("method").toString(), QString("POST"));
        QCOMPARE(request.value("headers").toObject().value("Content-Type").toString(), QString("application/json"));
        QCOMPARE(request.value("body").toString(), QStringLiteral("{\"userId\":\"7\",\"城市\":\"杭州\"}"));
    }

    void UnkeyedTimeOutEndsTheWaitAtOnce()
    {
        QVERIFY(m_service.Stall("/api/schools"));
        HttpClient client(3, 300);
        QVERIFY(!client.SendRequest(m_service.HttpUrl("/api/schools"), 1, nullptr));
        QVERIFY(client.IsTimedOut());
        QCOMPARE(client.GetNetworkError(), QNetworkReply::TimeoutError);
        QVERIFY(!client.GetErrorText().isEmpty());
        QCOMPARE(m_service.RequestCount("/api/schools"), 1);
        // The service answers others while a path stalls.
        HttpClient other(1, 5000);
        QVERIFY(other.SendRequest(m_service.HttpUrl("/vesk-win.properties"), 1, nullptr));
    }

    void MultipartRetrySendsTheWholeFormAgain()
    {
        QVERIFY(m_service.Status("/api/upload/chat", 500, 1));
        const QByteArray picture(10000, 'p');
        HttpClient client(3, 5000);
        QVERIFY(client.SendRequest(m_service.HttpUrl("/api/upload/chat"), 3, ChatForm(picture)));
        QVERIFY(client.GetBody().contains("SUCCESS"));
        const QJsonArray sent = m_service.Requests("/api/upload/chat");
        QCOMPARE(sent.size(), 2);
        for (const QJsonValue& value : sent) {
            const QJsonArray parts = value.toObject().value("parts").toArray();
            QCOMPARE(parts.size(), 3);
            QCOMPARE(parts.at(0).toObject().value("size").toInt(), picture.size());
            QCOMPARE(parts.at(1).toObject().value("text").toString(), QString("room-7"));
            QCOMPARE(parts.at(2).toObject().value("text").toString(), QString("42"));
        }
    }

    void MultipartWithoutFormSendsNothing()
    {
        HttpClient client(3, 5000);
        QVERIFY(!client.SendRequest(m_service.HttpUrl("/api/upload/chat"), 3, nullptr));
        QVERIFY(client.IsDone());
        QCOMPARE(m_service.RequestCount("/api/upload/chat"), 0);
    }

    void DownloadCreatesTheFolderAndReplacesTheFile()
    {
        const QString folder = Folder("fresh/deeper");
        const QString target = folder + "/x.bin";
        QVERIFY(TestSupport::WriteFile(target, "old content"));
        HttpClient client(3, 5000);
        QVERIFY(client.downloadFile(m_service.HttpUrl("/blob/70000/x.bin").toString(), folder, false));
        QCOMPARE(client.GetFilePath(), target);
        QCOMPARE(ReadFile(target), Blob(m_service, 70000, "x.bin"));
        QVERIFY(!QFile::exists(target + ".part"));
    }

    void CutShortDownloadNeverSucceeds()
    {
        const QString folder = Folder("cut");
        QVERIFY(TestSupport::WriteFile(folder + "/y.bin", "earlier complete file"));
        QVERIFY(m_service.CutAfter("/blob/65536/y.bin", 1000));
        HttpClient client(3, 5000);
        QVERIFY(!client.downloadFile(m_service.HttpUrl("/blob/65536/y.bin").toString(), folder, false));
        QVERIFY(client.GetNetworkError() != QNetworkReply::NoError);
        QVERIFY(client.GetFilePath().isEmpty());
        QCOMPARE(client.GetCurRetryTimes(), 3);
        // The earlier file stays as it was; no part is left behind.
        QCOMPARE(ReadFile(folder + "/y.bin"), QByteArray("earlier complete file"));
        QVERIFY(!QFile::exists(folder + "/y.bin.part"));
    }

    void CutShortThenWholeGivesTheWholeFile()
    {
        const QString folder = Folder("cut-once");
        QVERIFY(m_service.CutAfter("/blob/65536/z.bin", 30000, 1));
        HttpClient client(3, 5000);
        QVERIFY(client.downloadFile(m_service.HttpUrl("/blob/65536/z.bin").toString(), folder, false));
        // Connections the service cut may cost an attempt more.
        QVERIFY(client.GetCurRetryTimes() >= 2);
        QCOMPARE(ReadFile(folder + "/z.bin"), Blob(m_service, 65536, "z.bin"));
    }

    void TrickleWithinTheTimeOutArrives()
    {
        QVERIFY(m_service.Trickle("/blob/4000/t.bin", 1000, 50));
        HttpClient client(3, 5000);
        QVERIFY(client.downloadFile(m_service.HttpUrl("/blob/4000/t.bin").toString(), Folder("trickle"), false));
        QCOMPARE(ReadFile(Folder("trickle/t.bin")).size(), 4000);
    }

    void KeyedDownloadTimingOutFailsOnceAfterTheLastAttempt_data()
    {
        QTest::addColumn<QString>("misbehaviour");
        QTest::addColumn<int>("limit");
        QTest::newRow("stall, default limit") << "stall" << 0;
        QTest::newRow("trickle, limit 5") << "trickle" << 5;
        QTest::newRow("stall after part of the body") << "stall-after" << 2;
    }
    void KeyedDownloadTimingOutFailsOnceAfterTheLastAttempt()
    {
        QFETCH(QString, misbehaviour);
        QFETCH(int, limit);
        const QString path = "/blob/8000/k.bin";
        if (misbehaviour == "stall")
            QVERIFY(m_service.Stall(path));
        else if (misbehaviour == "trickle")
            QVERIFY(m_service.Trickle(path, 100, 600));
        else
            QVERIFY(m_service.Stall(path, 3000));
        QSignalSpy failed(Nexus::Instance(), &Nexus::DownloadFailed);
        HttpClient client(limit, 250);
        client.SetKey("k1");
        client.SetDownloadType(2);
        QSignalSpy finished(&client, &HttpClient::Finished);
        QVERIFY(client.downloadFile(m_service.HttpUrl(path).toString(), Folder("keyed"), true));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(client.IsTimedOut());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toInt(), 2);
        QCOMPARE(failed.at(0).at(1).toString(), QString("k1"));
        QCOMPARE(m_service.RequestCount(path), limit > 0 ? limit : 3);
        QTest::qWait(400);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!QFile::exists(Folder("keyed/k.bin")));
        QVERIFY(!QFile::exists(Folder("keyed/k.bin.part")));
    }

    void RedirectionsAreFollowedForDownloads()
    {
        QVERIFY(m_service.Redirect("/static/avatar/moved.png", "/blob/3000/elsewhere.bin"));
        HttpClient client(3, 5000);
        QVERIFY(client.downloadFile(m_service.HttpUrl("/static/avatar/moved.png").toString(), Folder("moved"), false));
        QCOMPARE(ReadFile(Folder("moved/moved.png")), Blob(m_service, 3000, "elsewhere.bin"));
    }

    void EndlessOrUnsafeRedirectionsFail_data()
    {
        QTest::addColumn<bool>("secure");
        QTest::addColumn<int>("error");
        QTest::newRow("loop") << false << int(QNetworkReply::TooManyRedirectsError);
        QTest::newRow("https to http") << true << int(QNetworkReply::InsecureRedirectError);
    }
    void EndlessOrUnsafeRedirectionsFail()
    {
        QFETCH(bool, secure);
        QFETCH(int, error);
        QVERIFY(m_service.Redirect("/static/avatar/loop.png",
            secure ? m_service.HttpUrl("/static/avatar/a.png").toString() : QString("/static/avatar/loop.png")));
        const QUrl url
            = secure ? m_service.HttpsUrl("/static/avatar/loop.png") : m_service.HttpUrl("/static/avatar/loop.png");
        HttpClient client(1, 5000);
        QVERIFY(!client.downloadFile(url.toString(), Folder("loop"), false));
        QCOMPARE(int(client.GetNetworkError()), error);
        QVERIFY(!QFile::exists(Folder("loop/loop.png")));
        QVERIFY(!QFile::exists(Folder("loop/a.png")));
    }

    void EveryEarlyReturnReportsFailure_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("folder");
        const QString good = "http://127.0.0.1:1/blob/10/e.bin";
        QTest::newRow("empty url") << QString() << Folder("early");
        QTest::newRow("no file name") << "http://127.0.0.1:1/static/" << Folder("early");
        QTest::newRow("file url") << "file:///etc/hostname" << Folder("early");
        QTest::newRow("outside by dots") << good << Folder("../../../escaped");
        QTest::newRow("elsewhere") << good << QDir::tempPath() + "/plovix-elsewhere";
        QTest::newRow("relative") << good << "relative-folder";
        QTest::newRow("empty folder") << good << QString();
        QTest::newRow("the data folder's sibling") << good << AppPaths::DataFolder().chopped(1) + "-sibling";
    }
    void EveryEarlyReturnReportsFailure()
    {
        QFETCH(QString, url);
        QFETCH(QString, folder);
        QSignalSpy failed(Nexus::Instance(), &Nexus::DownloadFailed);
        {
            HttpClient client(3, 5000);
            QVERIFY(!client.downloadFile(url, folder, false));
            QVERIFY(client.IsDone());
            QVERIFY(client.GetNetworkError() != QNetworkReply::NoError);
        }
        QCOMPARE(failed.size(), 0);
        HttpClient keyed(3, 5000);
        keyed.SetKey("early");
        keyed.SetDownloadType(8);
        QSignalSpy finished(&keyed, &HttpClient::Finished);
        QVERIFY(!keyed.downloadFile(url, folder, true));
        // Announced after the call returned, once.
        QCOMPARE(finished.size(), 0);
        QVERIFY(finished.wait(2000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(1).toString(), QString("early"));
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + "/plovix-elsewhere"));
        QVERIFY(!QFileInfo::exists("relative-folder"));
        QVERIFY(!QFileInfo::exists(AppPaths::DataFolder() + "../../escaped"));
    }

    void UnopenableTargetReportsFailure()
    {
        // A file stands where the folder should be.
        QVERIFY(TestSupport::WriteFile(Folder("blocked"), "a file"));
        HttpClient client(3, 5000);
        QVERIFY(!client.downloadFile(m_service.HttpUrl("/blob/10/b.bin").toString(), Folder("blocked"), false));
        QVERIFY(client.IsDone());
        QCOMPARE(m_service.RequestCount("/blob/10/b.bin"), 0);
    }

    void BadRepliesFailWithoutHarm_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("huge") << "huge";
        QTest::newRow("never ends") << "stall-after";
    }
    void BadRepliesFailWithoutHarm()
    {
        QFETCH(QString, kind);
        if (kind == "huge")
            QVERIFY(m_service.Huge("/api/schools", 64 << 20));
        else
            QVERIFY(m_service.Stall("/vesk-win.properties", 10));
        HttpClient client(3, 1500);
        client.SetMaxBodySize(1 << 20);
        QVERIFY(!client.SendRequest(
            m_service.HttpUrl(kind == "huge" ? "/api/schools" : "/vesk-win.properties"), 1, nullptr));
        QVERIFY(client.GetBody().size() <= (1 << 20));
        if (kind == "huge") {
            QCOMPARE(client.GetNetworkError(), QNetworkReply::UnknownContentError);
            QCOMPARE(m_service.RequestCount("/api/schools"), 1);
        } else {
            QVERIFY(client.IsTimedOut());
        }
    }

    void StopEndsQuietlyAndRemovesThePart()
    {
        QVERIFY(m_service.Stall("/blob/9000/s.bin", 2000));
        QSignalSpy failed(Nexus::Instance(), &Nexus::DownloadFailed);
        HttpClient client(3, 5000);
        client.SetKey("s");
        client.SetDownloadType(2);
        client.SetState(HttpClient::StateRunning);
        QVERIFY(client.downloadFile(m_service.HttpUrl("/blob/9000/s.bin").toString(), Folder("stop"), true));
        QTRY_VERIFY(QFileInfo(Folder("stop/s.bin.part")).size() == 2000);
        client.Stop();
        QCOMPARE(client.GetState(), int(HttpClient::StateStopped));
        QCOMPARE(client.GetNetworkError(), QNetworkReply::OperationCanceledError);
        QVERIFY(!QFile::exists(Folder("stop/s.bin.part")));
        QTest::qWait(200);
        QCOMPARE(failed.size(), 0);
    }

    void DeletingARunningClientLeavesNothing()
    {
        QVERIFY(m_service.Stall("/blob/9000/d.bin", 100));
        auto* client = new HttpClient(3, 5000);
        QVERIFY(client->downloadFile(m_service.HttpUrl("/blob/9000/d.bin").toString(), Folder("deleted"), true));
        QTRY_VERIFY(QFile::exists(Folder("deleted/d.bin.part")));
        delete client;
        QVERIFY(!QFile::exists(Folder("deleted/d.bin.part")));
        QTest::qWait(50);
    }

    void QuittingThreadEndsTheWait()
    {
        QVERIFY(m_service.Stall("/api/schools"));
        QThread thread;
        QObject worker;
        worker.moveToThread(&thread);
        std::atomic<int> error { -1 };
        thread.start();
        const QUrl url = m_service.HttpUrl("/api/schools");
        QMetaObject::invokeMethod(&worker, [&error, url] {
            HttpClient client(3, 20000);
            client.SendRequest(url, 1, nullptr);
            error = client.GetNetworkError();
        });
        QTRY_COMPARE(m_service.RequestCount("/api/schools"), 1);
        thread.quit();
        QVERIFY(thread.wait(5000));
        QCOMPARE(error.load(), int(QNetworkReply::OperationCanceledError));
    }

    void cleanupTestCase() { Nexus::Teardown(); }
};

// Peer verification: nothing but the trusted test CA makes HTTPS work.
class TestHttpsTrust : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(true), qPrintable(m_service.ErrorText()));
        QVERIFY(Nexus::Instance());
    }

    void UnknownCaIsRefused()
    {
        HttpClient client(1, 5000);
        QVERIFY(!client.SendRequest(m_service.HttpsUrl("/vesk-win.properties"), 1, nullptr));
        QCOMPARE(client.GetNetworkError(), QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(m_service.RequestCount("/vesk-win.properties"), 0);
    }

    void EnvironmentNamesTheExtraCa()
    {
        qunsetenv("PLOVIX_EXTRA_CA_FILE");
        QCOMPARE(HttpClient::TrustExtraCaFromEnvironment(), 0);
        qputenv("PLOVIX_EXTRA_CA_FILE", QFile::encodeName(m_service.CaPath()));
        QCOMPARE(HttpClient::TrustExtraCaFromEnvironment(), 1);
        HttpClient client(1, 5000);
        QVERIFY(client.SendRequest(m_service.HttpsUrl("/vesk-win.properties"), 1, nullptr));
        QVERIFY(client.GetBody().contains("update.server.url=https://"));
        QCOMPARE(
            m_service.Requests("/vesk-win.properties").at(0).toObject().value("scheme").toString(), QString("https"));
    }

    void UntrustedCertificateFailsCleanlyAndIsReported()
    {
        QSignalSpy failed(Nexus::Instance(), &Nexus::DownloadFailed);
        HttpClient client(3, 5000);
        client.SetKey("untrusted");
        client.SetDownloadType(128);
        QSignalSpy finished(&client, &HttpClient::Finished);
        QVERIFY(client.downloadFile(
            m_service.UntrustedUrl("/vesk-servers.properties").toString(), AppPaths::DataFolder(), true));
        QVERIFY(finished.wait(10000));
        QCOMPARE(client.GetNetworkError(), QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toInt(), 128);
        QVERIFY(!QFile::exists(AppPaths::DataFolder() + "vesk-servers.properties"));
        QCOMPARE(m_service.RequestCount("/vesk-servers.properties"), 0);
    }

    void cleanupTestCase() { Nexus::Teardown(); }
};

// The stall watch of uploads.
class TestAutoTimeOutEventLoop : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    QNetworkAccessManager* m_manager = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        m_manager = new QNetworkAccessManager(this);
    }
    void init() { QVERIFY(m_service.Reset()); }

    void FinishedReplyGivesTheBody()
    {
        AutoTimeOutEventLoop loop(m_manager->get(QNetworkRequest(m_service.HttpUrl("/blob/5000/l.bin"))));
        loop.SetCheckInterval(200);
        loop.Exec();
        QCOMPARE(loop.GetNetworkError(), 0);
        QCOMPARE(loop.GetBody().size(), 5000);
        QVERIFY(!loop.IsTimedOut());
    }

    void FailedReplyGivesItsError()
    {
        QVERIFY(m_service.Status("/blob/10/e.bin", 404));
        AutoTimeOutEventLoop loop(m_manager->get(QNetworkRequest(m_service.HttpUrl("/blob/10/e.bin"))));
        loop.Exec();
        QCOMPARE(loop.GetNetworkError(), int(QNetworkReply::ContentNotFoundError));
        QVERIFY(!loop.GetErrorText().isEmpty());
    }

    void SilentReplyIsAbandonedAtTheThirdCheckWithTimeOut()
    {
        QVERIFY(m_service.Stall("/blob/10/s.bin"));
        AutoTimeOutEventLoop loop(m_manager->get(QNetworkRequest(m_service.HttpUrl("/blob/10/s.bin"))));
        loop.SetCheckInterval(150);
        LogCapture log;
        loop.Exec();
        // The first two checks only record the starting counts.
        QCOMPARE(log.Count("network status check"), 3);
        QCOMPARE(log.Count("[sync]Xml rpc event loop time out"), 1);
        QVERIFY(loop.IsTimedOut());
        // Time-out, not the cancellation the abort causes.
        QCOMPARE(loop.GetNetworkError(), int(QNetworkReply::TimeoutError));
        QCOMPARE(loop.GetErrorText(), QString("Event loop time out, can not get response from network reply"));
    }

    void MovingBytesKeepTheWaitAlive()
    {
        // Bytes every 20 ms, checks every 400 ms: only a machine stalled for
        // over a second could read this as a stall.
        QVERIFY(m_service.Trickle("/blob/3000/m.bin", 100, 20));
        AutoTimeOutEventLoop loop(m_manager->get(QNetworkRequest(m_service.HttpUrl("/blob/3000/m.bin"))));
        loop.SetCheckInterval(400);
        loop.Exec();
        QCOMPARE(loop.GetNetworkError(), 0);
        QCOMPARE(loop.GetBody().size(), 3000);
    }

    void HugeAnswerIsAbandoned()
    {
        QVERIFY(m_service.Huge("/blob/1/h.bin", 64 << 20));
        AutoTimeOutEventLoop loop(m_manager->get(QNetworkRequest(m_service.HttpUrl("/blob/1/h.bin"))));
        loop.SetMaxBodySize(1 << 20);
        loop.Exec();
        QCOMPARE(loop.GetNetworkError(), int(QNetworkReply::UnknownContentError));
        QVERIFY(loop.GetBody().isEmpty());
    }

    void NoReplyMeansCancelled()
    {
        AutoTimeOutEventLoop loop(nullptr);
        QCOMPARE(loop.Exec(), -1);
        QCOMPARE(loop.GetNetworkError(), int(QNetworkReply::OperationCanceledError));
    }
};

PLOVIX_TEST(TestHttpClient)
PLOVIX_TEST(TestHttpsTrust)
PLOVIX_TEST(TestAutoTimeOutEventLoop)
#include "tst_HttpClient.moc"
