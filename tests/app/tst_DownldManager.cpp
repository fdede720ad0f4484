#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "platform/RtcEngineControl.h"
#include "rtc/AudioInManager.h"
#include "rtc/AudioOutManager.h"
#include "rtc/CAgoraObject.h"
#include "rtc/Player.h"
#include "session/DataManager.h"
#include "ui/chatArea/ChatWidget.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

using Event = TestSupport::TransferEvent;

QString Folder(const QString& name)
{
    return AppPaths::DataFolder() + QStringLiteral("courlist/") + name;
}

} // namespace

// The transfer queue in its real "Download Manager" thread.
class TestDownldManager : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<TestSupport::HubTransfers> m_hub;
    DownldManager* m_worker = nullptr;

    void Request(int type, const QString& path, const QString& folder, const QString& key, int limit = 0)
    {
        DownloadElem elem(type, m_service.HttpUrl(path).toString(), folder, key, limit);
        emit m_worker->download(elem);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QVERIFY(Nexus::Instance());
    }

    void init()
    {
        QVERIFY(m_service.Reset());
        m_profile = std::make_unique<Profile>();
        m_profile->StartThreads();
        m_worker = m_profile->GetDownldManager();
        m_worker->SetTimeOuts(300, 150);
        m_hub = std::make_unique<TestSupport::HubTransfers>();
    }

    void cleanup()
    {
        m_profile.reset();
        m_hub.reset();
        DataManager::DelDir(AppPaths::DataFolder() + "courlist");
    }

    void RunsInItsThread() { QCOMPARE(m_worker->thread()->objectName(), QString("Download Manager")); }

    void FourRunAndTheFifthWaits()
    {
        m_worker->SetTimeOuts(5000, 150);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(m_service.Delay(QString("/static/course/p%1.png").arg(i), 1500));
        for (int i = 1; i <= 5; ++i)
            Request(2, QString("/static/course/p%1.png").arg(i), Folder("pages"), QString::number(i));
        QTRY_COMPARE(m_service.Requests().size(), 4);
        QTest::qWait(250);
        QCOMPARE(m_service.Requests().size(), 4);
        QCOMPARE(m_hub->finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->finished.size(), 5, 10000);
        QCOMPARE(m_hub->finished.last(), Event(2, "5"));
        for (int i = 1; i <= 5; ++i)
            QVERIFY(QFileInfo(Folder(QString("pages/p%1.png").arg(i))).size() > 0);
        QCOMPARE(m_hub->failed.size(), 0);
    }

    void FailingAvatarsNeverStallTheCoursePages_data()
    {
        QTest::addColumn<QString>("misbehaviour");
        QTest::newRow("time-outs") << "stall";
        QTest::newRow("errors") << "404";
        QTest::newRow("cut short") << "cut";
    }
    void FailingAvatarsNeverStallTheCoursePages()
    {
        QFETCH(QString, misbehaviour);
        for (int i = 1; i <= 4; ++i) {
            const QString path = QString("/static/avatar/u%1.png").arg(i);
            if (misbehaviour == "stall")
                QVERIFY(m_service.Stall(path));
            else if (misbehaviour == "404")
                QVERIFY(m_service.Status(path, 404));
            else
                QVERIFY(m_service.CutAfter(path, 20));
            Request(1, path, Folder(QString("user_avatar_%1").arg(i)), QString::number(i));
        }
        Request(2, "/static/course/page.png", Folder("pages"), "page");
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->finished.size(), 1, 10000);
        QCOMPARE(m_hub->finished.at(0), Event(2, "page"));
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->failed.size(), 4, 10000);
        for (int i = 1; i <= 4; ++i) {
            QVERIFY(m_hub->failed.contains(Event(1, QString::number(i))));
            // Over connections the service cut, Qt may lose an attempt before
            // it reaches the service or send one twice on its own.
            const int attempts = m_service.RequestCount(QString("/static/avatar/u%1.png").arg(i));
            QVERIFY(misbehaviour == "cut" ? attempts >= 1 : attempts == 3);
            const QString file = Folder(QString("user_avatar_%1/u%1.png").arg(i));
            QVERIFY(!QFile::exists(file));
            QVERIFY(!QFile::exists(file + ".part"));
        }
        QTest::qWait(300);
        QCOMPARE(m_hub->failed.size(), 4);
    }

    void DuplicatesAreJudgedByKindAndKey()
    {
        Request(128, "/vesk-servers.properties", AppPaths::DataFolder(), "1");
        Request(1, "/static/avatar/one.png", Folder("user_avatar_1"), "1");
        Request(256, "/static/avatar/one.png", Folder("teacher_avatar_1"), "1");
        QTRY_COMPARE(m_hub->finished.size(), 3);
        // Again, after they finished: dropped.
        Request(1, "/static/avatar/one.png", Folder("user_avatar_1"), "1");
        // Chat pictures are never de-duplicated.
        Request(32, "/static/chat/c.png", Folder("chat"), "c");
        Request(32, "/static/chat/c.png", Folder("chat"), "c");
        QTRY_COMPARE(m_hub->finished.size(), 5);
        QTest::qWait(200);
        QCOMPARE(m_hub->finished.size(), 5);
        QCOMPARE(m_service.RequestCount("/static/avatar/one.png"), 2);
        QCOMPARE(m_service.RequestCount("/static/chat/c.png"), 2);
        QVERIFY(QFile::exists(AppPaths::DataFolder() + "vesk-servers.properties"));
    }

    void RequestedRetryLimitIsUsed()
    {
        QVERIFY(m_service.Stall("/static/list/slow.png"));
        Request(8, "/static/list/slow.png", Folder("avatar/s1"), "s1", 5);
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->failed.size(), 1, 10000);
        QCOMPARE(m_service.RequestCount("/static/list/slow.png"), 5);
    }

    void UnknownKeyRetryAndRefreshDoNothing()
    {
        LogCapture log;
        emit m_worker->retryDownload(4, AppPaths::DataFolder() + "courlist/avatar/x.png");
        emit m_worker->refreshDownload(1, "999");
        emit m_worker->CleanUp();
        emit m_worker->retryDownload(2, "gone");
        QTRY_COMPARE(log.Count("no transfer of type"), 3);
        QCOMPARE(m_hub->failed.size() + m_hub->finished.size(), 0);
    }

    void RetryRepeatsAFailureAndRefreshTriesAgain()
    {
        QVERIFY(m_service.Status("/static/course/bad.png", 500));
        Request(2, "/static/course/bad.png", Folder("pages"), "bad");
        QTRY_COMPARE(m_hub->failed.size(), 1);
        emit m_worker->retryDownload(2, "bad");
        QTRY_COMPARE(m_hub->failed.size(), 2);
        QCOMPARE(m_service.RequestCount("/static/course/bad.png"), 3);
        QVERIFY(m_service.ClearRule("/static/course/bad.png"));
        emit m_worker->refreshDownload(2, "bad");
        QTRY_COMPARE(m_hub->finished.size(), 1);
        QCOMPARE(m_hub->finished.at(0), Event(2, "bad"));
        QCOMPARE(m_service.RequestCount("/static/course/bad.png"), 4);
        QVERIFY(QFile::exists(Folder("pages/bad.png")));
    }

    void RetryOfAFinishedTransferFetchesItAgain()
    {
        Request(2, "/static/course/again.png", Folder("pages"), "again");
        QTRY_COMPARE(m_hub->finished.size(), 1);
        QVERIFY(TestSupport::WriteFile(Folder("pages/again.png"), "damaged"));
        emit m_worker->retryDownload(2, "again");
        QTRY_COMPARE(m_hub->finished.size(), 2);
        QCOMPARE(m_service.RequestCount("/static/course/again.png"), 2);
        QVERIFY(QFile(Folder("pages/again.png")).size() > 7);
    }

    void PresentFileIsReportedWithoutTraffic()
    {
        DownloadElem elem(1, m_service.HttpUrl("/static/avatar/here.png").toString(), Folder("user_avatar_9"), "9");
        emit m_worker->AddToFinishQueue(elem);
        emit m_worker->download(elem);
        QTRY_COMPARE(m_hub->finished.size(), 1);
        QTest::qWait(200);
        QCOMPARE(m_hub->finished.size(), 1);
        QCOMPARE(m_service.Requests().size(), 0);
    }

    void TargetsOutsideTheDataFolderAreRefused_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("escaping id") << Folder("avatar/../../../../escaped");
        QTest::newRow("elsewhere") << QDir::tempPath() + "/plovix-outside";
    }
    void TargetsOutsideTheDataFolderAreRefused()
    {
        QFETCH(QString, folder);
        Request(8, "/static/list/x.png", folder, "x");
        Request(8, "/static/list/y.png", Folder("avatar/y"), "y");
        QTRY_COMPARE(m_hub->failed.size(), 1);
        QTRY_COMPARE(m_hub->finished.size(), 1);
        QCOMPARE(m_hub->failed.at(0), Event(8, "x"));
        QCOMPARE(m_service.RequestCount("/static/list/x.png"), 0);
        QVERIFY(!QFileInfo::exists(QDir(folder).absoluteFilePath("x.png")));
    }

    void CleanUpStopsEverythingQuietly()
    {
        for (int i = 1; i <= 6; ++i) {
            QVERIFY(m_service.Stall(QString("/blob/5000/c%1.bin").arg(i), 1000));
            Request(2, QString("/blob/5000/c%1.bin").arg(i), Folder("pages"), QString("c%1").arg(i));
        }
        QTRY_COMPARE(m_service.Requests().size(), 4);
        QTRY_VERIFY(QFile::exists(Folder("pages/c1.bin.part")));
        emit m_worker->CleanUp();
        QTRY_VERIFY(!QFile::exists(Folder("pages/c1.bin.part")));
        QTest::qWait(500);
        QCOMPARE(m_hub->failed.size() + m_hub->finished.size(), 0);
        QCOMPARE(m_service.Requests().size(), 4);
        // The queue is empty: the same key is fetched again.
        QVERIFY(m_service.ClearRule("/blob/5000/c1.bin"));
        Request(2, "/blob/5000/c1.bin", Folder("pages"), "c1");
        QTRY_COMPARE(m_hub->finished.size(), 1);
    }

    // A transfer that keeps moving outlives the time-out: only 300 ms
    // without a byte ends an attempt.
    void SlowButMovingDownloadFinishesOnTheFirstAttempt()
    {
        QVERIFY(m_service.Trickle("/blob/4000/slow.bin", 400, 100));
        Request(2, "/blob/4000/slow.bin", Folder("pages"), "slow");
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->finished.size(), 1, 10000);
        QCOMPARE(m_service.RequestCount("/blob/4000/slow.bin"), 1);
        QCOMPARE(QFileInfo(Folder("pages/slow.bin")).size(), 4000);
    }

    // Too large for its kind, announced or not: a failure, no file left,
    // and no further attempt.
    void OversizedTransfersFailAndLeaveNoFile_data()
    {
        QTest::addColumn<QString>("misbehaviour");
        QTest::newRow("announced") << "huge";
        QTest::newRow("unannounced") << "chunked";
    }
    void OversizedTransfersFailAndLeaveNoFile()
    {
        QFETCH(QString, misbehaviour);
        // Time-outs long enough that only the cap ends these transfers: the
        // service may still be pushing the previous row's bytes.
        m_worker->SetTimeOuts(5000, 150);
        // A path per row: the service counts the requests of a path over
        // the whole run.
        const QString path = "/static/avatar/big-" + misbehaviour + ".png";
        if (misbehaviour == "huge")
            QVERIFY(m_service.Huge(path, 200 << 20));
        else
            QVERIFY(m_service.SetRule(path, { { "action", "huge" }, { "size", 200 << 20 }, { "chunked", true } }));
        Request(1, path, Folder("user_avatar_7"), "7");
        // A loaded machine (sanitizer builds) streams the bytes slowly.
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->failed.size(), 1, 30000);
        // Not re-issued (Qt itself may send a request twice over a
        // connection the previous row cut).
        QVERIFY2(m_service.RequestCount(path) < 3, qPrintable(QString::number(m_service.RequestCount(path))));
        QVERIFY(!QFile::exists(Folder("user_avatar_7/big-" + misbehaviour + ".png")));
        QVERIFY(!QFile::exists(Folder("user_avatar_7/big-" + misbehaviour + ".png.part")));
        QCOMPARE(m_hub->finished.size(), 0);
    }

    // Neither an outside finish signal for a running transfer nor a refusal
    // queued before a clean-up is ever announced.
    void OnlyCompleteFilesAreAnnouncedAndCleanUpSilences()
    {
        QVERIFY(m_service.Trickle("/blob/3000/run.bin", 500, 100));
        Request(2, "/blob/3000/run.bin", Folder("pages"), "run");
        QTRY_COMPARE(m_service.RequestCount("/blob/3000/run.bin"), 1);
        emit m_worker->downloadFinished(2, "run");
        QTRY_COMPARE_WITH_TIMEOUT(m_hub->finished.size(), 1, 10000);
        QCOMPARE(QFileInfo(Folder("pages/run.bin")).size(), 3000);

        // The worker is held until both the request and the clean-up wait in
        // its queue: a refusal announced before the clean-up was asked for
        // is a fair announcement.
        QSemaphore hold;
        QMetaObject::invokeMethod(
            m_worker, [&hold] { hold.acquire(); }, Qt::QueuedConnection);
        Request(8, "/static/list/x.png", QDir::tempPath() + "/plovix-outside", "refused");
        emit m_worker->CleanUp();
        hold.release();
        QTest::qWait(300);
        QVERIFY2(m_hub->failed.isEmpty(), qPrintable(m_hub->failed.value(0).second));
        QCOMPARE(m_hub->finished.size(), 1);
    }

    void cleanupTestCase() { Nexus::Teardown(); }
};

// The chat-picture upload, the device report and the address look-up.
class TestDownldManagerJobs : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<LogCapture> m_log;
    DownldManager* m_worker = nullptr;
    ChatWidget* m_chat = nullptr;

    QString Picture(const QString& name)
    {
        const QString path = AppPaths::DataFolder() + "chatImage/" + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(3000, 'i'));
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QVERIFY(Nexus::Instance());
        m_chat = new ChatWidget();
        Nexus::SetChatWidget(m_chat);
    }

    void init()
    {
        QVERIFY(m_service.Reset());
        m_log = std::make_unique<LogCapture>();
        m_profile = std::make_unique<Profile>();
        m_profile->SetUrl(ClassServerProperty::ChatMultiUpload, m_service.HttpUrl("/api/upload/chat").toString());
        m_profile->SetUrl(ClassServerProperty::LoginStatistics, m_service.HttpUrl("/api/stats").toString());
        m_profile->GetDataManager()->SetUserId(57);
        m_profile->GetDataManager()->SetRoomId("room-9");
        m_profile->StartThreads();
        m_worker = m_profile->GetDownldManager();
        m_worker->SetTimeOuts(400, 150);
        qputenv("PLOVIX_IPINFO_HOST", m_service.HttpBase().toUtf8());
    }

    void cleanup()
    {
        m_profile.reset();
        m_log.reset();
    }

    void ChatPictureGoesUpAsAForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("contentType");
        QTest::newRow("png") << "a.png"
                             << "image/png";
        QTest::newRow("JPG in capitals") << "b.JPG"
                                         << "image/jpeg";
        QTest::newRow("jpeg") << "c.jpeg"
                              << "image/jpeg";
        QTest::newRow("gif") << "d.gif"
                             << "application/gif";
    }
    void ChatPictureGoesUpAsAForm()
    {
        QFETCH(QString, name);
        QFETCH(QString, contentType);
        QSignalSpy uploaded(m_chat, &ChatWidget::UploadImageSuccess);
        emit m_worker->ChatImageUpload(Picture(name));
        QVERIFY(uploaded.wait(5000));
        QCOMPARE(uploaded.at(0).at(0).toString(), name);
        QVERIFY(uploaded.at(0).at(1).toString().startsWith("img-"));
        const QJsonArray parts = m_service.Requests("/api/upload/chat").at(0).toObject().value("parts").toArray();
        QCOMPARE(parts.size(), 3);
        const QJsonObject file = parts.at(0).toObject();
        QCOMPARE(file.value("name").toString(), QString("file"));
        QCOMPARE(file.value("filename").toString(), name);
        QCOMPARE(file.value("disposition").toString(),
            QString(" form-data; name=\"file\"; filename=\"%1\" ").arg(name).trimmed());
        QCOMPARE(file.value("content_type").toString(), contentType);
        QCOMPARE(file.value("size").toInt(), 3000);
        QCOMPARE(parts.at(1).toObject().value("name").toString(), QString("roomId"));
        QCOMPARE(parts.at(1).toObject().value("text").toString(), QString("room-9"));
        QCOMPARE(parts.at(2).toObject().value("name").toString(), QString("userId"));
        QCOMPARE(parts.at(2).toObject().value("text").toString(), QString("57"));
    }

    void BadUploadAnswersSignalNothing_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("line");
        QTest::newRow("not JSON") << QByteArray("<html>oops</html>") << "ChatImageUpload error:";
        QTest::newRow("empty body") << QByteArray() << "ChatImageUpload failed! err:";
        QTest::newRow("array") << QByteArray("[1,2]") << "ChatImageUpload error, shoud json object";
        QTest::newRow("failure code") << QByteArray("{\"returncode\":\"FAIL\"}") << "ChatImageUpload error,code:";
        QTest::newRow("code not a string") << QByteArray("{\"returncode\":1}") << "ChatImageUpload error,code:";
        QTest::newRow("data not an array")
            << QByteArray("{\"returncode\":\"SUCCESS\",\"data\":{}}") << "data is not an array";
        QTest::newRow("empty data") << QByteArray("{\"returncode\":\"SUCCESS\",\"data\":[]}")
                                    << "ChatImageUpload response";
    }
    void BadUploadAnswersSignalNothing()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, line);
        QVERIFY(m_service.Body("/api/upload/chat", answer));
        QSignalSpy uploaded(m_chat, &ChatWidget::UploadImageSuccess);
        emit m_worker->ChatImageUpload(Picture("bad.png"));
        QTRY_VERIFY(m_log->Count(line) >= 1);
        QTest::qWait(100);
        QCOMPARE(uploaded.size(), 0);
    }

    void TheLoggedAnswerHidesSecrets()
    {
        QVERIFY(m_service.Body("/api/upload/chat",
            "{\"returncode\":\"SUCCESS\",\"data\":[],\"uploadToken\":\"TOKEN-SECRET\",\"sign\":{\"key\":\"KEY-SECRET\"}"
            "}"));
        emit m_worker->ChatImageUpload(Picture("secret.png"));
        QTRY_VERIFY(m_log->Count("ChatImageUpload response") >= 1);
        const QString line = m_log->Lines().filter("ChatImageUpload response").first();
        QVERIFY2(line.contains("uploadToken") && line.contains("***"), qPrintable(line));
        QVERIFY2(!line.contains("SECRET"), qPrintable(line));
    }

    void StalledOrMissingUploadFailsWithALogLine_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("stall") << "stall";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("server error") << "500";
    }
    void StalledOrMissingUploadFailsWithALogLine()
    {
        QFETCH(QString, kind);
        if (kind == "stall")
            QVERIFY(m_service.Stall("/api/upload/chat"));
        if (kind == "500")
            QVERIFY(m_service.Status("/api/upload/chat", 500));
        QSignalSpy uploaded(m_chat, &ChatWidget::UploadImageSuccess);
        QSignalSpy failed(m_chat, &ChatWidget::UploadImageFailed);
        const QString path = kind == "missing" ? AppPaths::DataFolder() + "none.png" : Picture("s.png");
        emit m_worker->ChatImageUpload(path);
        QTRY_VERIFY_WITH_TIMEOUT(m_log->Count("ChatImageUpload failed! err:") >= 1, 5000);
        QCOMPARE(uploaded.size(), 0);
        // The panel hears of the failure, with the file it shows.
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), path);
        if (kind == "stall")
            QVERIFY(m_log->Count("[sync]Xml rpc event loop time out") >= 1);
    }

    void DeviceReportCarriesTheSession_data()
    {
        QTest::addColumn<bool>("engine");
        QTest::newRow("engine with devices") << true;
        QTest::newRow("no engine") << false;
    }
    void DeviceReportCarriesTheSession()
    {
        QFETCH(bool, engine);
        Player player;
        if (engine) {
            using RtcEngineControl::Device;
            RtcEngineControl::SetDevices(
                RtcEngineControl::DeviceKind::Playback, { Device { "a", "1" }, Device { "b", "2" } });
            RtcEngineControl::SetDevices(RtcEngineControl::DeviceKind::Recording, { Device { "c", "3" } });
            CAgoraObject* agora = CAgoraObject::GetAgoraObject("app");
            agora->CreateAudioOutManager();
            agora->CreateAudioInManager();
            player.GetMediaPlayer()->SetAgoraObject(agora);
        }
        Nexus::SetPlayer(&player);
        m_profile->SetChosenServer(engine ? "127.0.0.1:9001" : "");
        m_profile->SetUserSupplier("电信");
        emit m_worker->DeviceInfoReport();
        QTRY_COMPARE(m_service.RequestCount("/api/stats"), 1);
        QTRY_VERIFY(m_log->Count("OnDeviceInfoReport replay msg:") >= 1);
        Nexus::SetPlayer(nullptr);
        player.GetMediaPlayer()->SetAgoraObject(nullptr);
        CAgoraObject::ReleaseEngine();
        const QJsonObject request = m_service.Requests("/api/stats").at(0).toObject();
        QCOMPARE(request.value("headers").toObject().value("Content-Type").toString(), QString("application/json"));
        const QJsonObject report = QJsonDocument::fromJson(request.value("body").toString().toUtf8()).object();
        QCOMPARE(report.value("userId").toString(), QString("57"));
        QCOMPARE(report.value("roomId").toString(), QString("room-9"));
        const QJsonObject device = report.value("device").toObject();
        QCOMPARE(device.value("type").toString(), QString("pc"));
        QCOMPARE(device.value("system").toString(), QString("windows"));
        QVERIFY(device.value("version").toString() == "台式机" || device.value("version").toString() == "笔记本");
        QVERIFY(device.value("systemVersion").isString());
        const QJsonObject hardware = report.value("hardware").toObject();
        QCOMPARE(hardware.value("soundCount").toInt(-1), engine ? 2 : 0);
        QCOMPARE(hardware.value("micCount").toInt(-1), engine ? 1 : 0);
        const QJsonObject network = report.value("network").toObject();
        QCOMPARE(network.value("userIp").toString(), QString("unknow"));
        QCOMPARE(network.value("serverIp").toString(), engine ? QString("127.0.0.1:9001") : QString("unknow"));
        QCOMPARE(network.value("supplier").toString(), QString("电信"));
        QCOMPARE(network.value("location").toString(), QString(""));
        const QJsonObject software = report.value("software").toObject();
        QCOMPARE(software.value("version").toString(), QString("v1.5.0.2"));
        QCOMPARE(software.value("buildDate").toString(), QString("20181022"));
    }

    void DeviceReportIsSentOnceEvenWhenItFails()
    {
        QVERIFY(m_service.Stall("/api/stats"));
        emit m_worker->DeviceInfoReport();
        QTRY_VERIFY(m_log->Count("OnDeviceInfoReport error:") >= 1);
        QTest::qWait(500);
        QCOMPARE(m_service.RequestCount("/api/stats"), 1);
    }

    void AddressLookUpFillsTheProperties()
    {
        emit m_worker->GetUserISPInfo();
        QTRY_COMPARE(m_profile->GetUserIp(), QString("203.0.113.7"));
        QCOMPARE(m_profile->GetUserLocation(), QString("杭州"));
        QCOMPARE(m_profile->GetUserSupplier(), QString("电信"));
        QCOMPARE(m_service.Requests("/service/getIpInfo.php").at(0).toObject().value("query").toString(),
            QString("ip=myip"));
        // A later report carries the address.
        emit m_worker->DeviceInfoReport();
        QTRY_COMPARE(m_service.RequestCount("/api/stats"), 1);
        const QJsonObject report = QJsonDocument::fromJson(
            m_service.Requests("/api/stats").at(0).toObject().value("body").toString().toUtf8())
                                       .object();
        QCOMPARE(report.value("network").toObject().value("userIp").toString(), QString("203.0.113.7"));
        QCOMPARE(report.value("network").toObject().value("location").toString(), QString("杭州"));
    }

    void BadLookUpAnswersKeepWhatWasStored_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("line");
        QTest::newRow("not JSON") << "body" << QByteArray("<html/>") << "DataManager::GetUserISPInfo error:";
        QTest::newRow("empty") << "body" << QByteArray() << "DataManager::GetUserISPInfo error:";
        QTest::newRow("array") << "body" << QByteArray("[]") << "error, shoud json object";
        QTest::newRow("code 1") << "body" << QByteArray("{\"code\":1,\"data\":{\"ip\":\"1.1.1.1\"}}")
                                << "GetUserISPInfo error,code:";
        QTest::newRow("code as text") << "body" << QByteArray("{\"code\":\"0\",\"data\":{\"ip\":\"1.1.1.1\"}}")
                                      << "GetUserISPInfo error,code:";
        QTest::newRow("data not an object")
            << "body" << QByteArray("{\"code\":0,\"data\":\"1.1.1.1\"}") << "GetUserISPInfo error,code:";
        QTest::newRow("wrong-typed fields")
            << "body" << QByteArray("{\"code\":0,\"data\":{\"ip\":7,\"city\":[],\"isp\":null}}") << "GetUserISPInfo:";
        QTest::newRow("overlong field") << "body"
                                        << QByteArray("{\"code\":0,\"data\":{\"ip\":\"") + QByteArray(5000, '9')
                + QByteArray("\"}}") << "dropped an overlong";
        QTest::newRow("huge") << "huge" << QByteArray() << "GetUserISPInfo netrequest error:";
        QTest::newRow("never ends") << "stall" << QByteArray() << "GetUserISPInfo netrequest error:";
        QTest::newRow("server error") << "500" << QByteArray() << "GetUserISPInfo netrequest error:";
    }
    void BadLookUpAnswersKeepWhatWasStored()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, answer);
        QFETCH(QString, line);
        const QString path = "/service/getIpInfo.php";
        if (kind == "body")
            QVERIFY(m_service.Body(path, answer));
        else if (kind == "huge")
            QVERIFY(m_service.Huge(path, 32 << 20));
        else if (kind == "stall")
            QVERIFY(m_service.Stall(path, 5));
        else
            QVERIFY(m_service.Status(path, 500));
        m_profile->SetUserIp("198.51.100.1");
        m_profile->SetUserLocation("北京");
        m_profile->SetUserSupplier("联通");
        emit m_worker->GetUserISPInfo();
        QTRY_VERIFY_WITH_TIMEOUT(m_log->Count(line) >= 1, 5000);
        QCOMPARE(m_profile->GetUserIp(), QString("198.51.100.1"));
        QCOMPARE(m_profile->GetUserLocation(), QString("北京"));
        QCOMPARE(m_profile->GetUserSupplier(), QString("联通"));
    }

    void cleanupTestCase()
    {
        Nexus::SetChatWidget(nullptr);
        delete m_chat;
        qunsetenv("PLOVIX_IPINFO_HOST");
        Nexus::Teardown();
    }
};

PLOVIX_TEST(TestDownldManager)
PLOVIX_TEST(TestDownldManagerJobs)
#include "tst_DownldManager.moc"
