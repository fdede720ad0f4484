// The engine's own log ("enableDebug"): secrets hidden, the owner's only, in
// the data folder, one run's lines.
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "platform/RtcEngineControl.h"
#include "platform/rtc/EngineLog.h"
#include "rtc/CAgoraObject.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace control = RtcEngineControl;

namespace {

int Mode(const QString& path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestEngineLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("PLOVIX_RTC_NO_AUDIO", "1"); }
    void init()
    {
        control::Reset();
        control::SetJoinDelay(10);
    }
    void cleanup() { CAgoraObject::ReleaseEngine(); }

    void SecretValuesAreHidden_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("channel key") << "joinChannel key=K-1 channel=R100 info= uid=57"
                                     << "joinChannel key=*** channel=R100 info= uid=57";
        QTest::newRow("setter named a secret") << "setString rtc.channel_token abc def"
                                               << "setString rtc.channel_token ***";
        QTest::newRow("JSON argument") << "setObject che.x {\"a\":1,\"Token\":\"t-1\"}"
                                       << "setObject che.x {\"Token\":\"***\",\"a\":1}";
        QTest::newRow("JSON that does not parse") << "setParameters {\"password\":\"p-1\",\"b\":"
                                                  << "setParameters {\"password\":\"***\",\"b\":";
        QTest::newRow("address with a key") << "initialize appId=ws://h:1/?appkey=s-1&x=2"
                                            << "initialize appId=ws://h:1/?appkey=***&x=2";
        QTest::newRow("nothing secret") << "setVideoProfile 40 swap=false"
                                        << "setVideoProfile 40 swap=false";
    }
    void SecretValuesAreHidden()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QCOMPARE(rtclog::Hidden(line), shown);
    }

    void TheLogLivesInTheDataFolderReadableByItsOwnerOnly()
    {
        CAgoraObject* agora = CAgoraObject::GetAgoraObject(QStringLiteral("app-1"));
        QVERIFY(agora->SetLogFilePath(QString()));
        QVERIFY(agora->JoinChannel(QStringLiteral("room-9"), 57, QStringLiteral("CHANNEL-KEY-SECRET")));
        const QString path = AppPaths::LogFolder() + QStringLiteral("/AgoraSDK.log");
        QTRY_VERIFY(TestSupport::ReadFile(path).contains("joinChannel key=*** channel=room-9"));
        QVERIFY(!TestSupport::ReadFile(path).contains("CHANNEL-KEY-SECRET"));
        QCOMPARE(Mode(path), 0600);
        QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/AgoraSDK.log")));
    }

    void AnEarlierRunsLogIsReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("engine.log"));
        QVERIFY(TestSupport::WriteFile(path, "earlier run joinChannel key=OLD-SECRET\n"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        CAgoraObject* agora = CAgoraObject::GetAgoraObject(QStringLiteral("app-1"));
        QVERIFY(agora->SetLogFilePath(path));
        QVERIFY(!TestSupport::ReadFile(path).contains("earlier run"));
        QCOMPARE(Mode(path), 0600);
        QVERIFY(agora->JoinChannel(QStringLiteral("room-9"), 57, QStringLiteral("K")));
        QTRY_VERIFY(TestSupport::ReadFile(path).contains("joinChannel key=***"));
        // The same run naming the file again keeps what it wrote.
        CAgoraObject::ReleaseEngine();
        agora = CAgoraObject::GetAgoraObject(QStringLiteral("app-1"));
        QVERIFY(agora->SetLogFilePath(path));
        QVERIFY(TestSupport::ReadFile(path).contains("joinChannel key=***"));
    }
};

PLOVIX_TEST(TestEngineLog)
#include "tst_EngineLog.moc"
