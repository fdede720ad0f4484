#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "app/SharedFunctions.h"
#include "platform/PowerStatus.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

class TestSharedFunctions : public QObject
{
    Q_OBJECT

    static void WriteFile(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private slots:
    void UuidsHaveNoBracesAndDiffer()
    {
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            const QString id = CreateUuidString();
            QCOMPARE(id.size(), 36);
            QVERIFY(!id.contains('{') && !id.contains('}'));
            QVERIFY(!seen.contains(id));
            seen.insert(id);
        }
    }

    void MachineKind_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("kind");
        QTest::newRow("desktop, no battery") << 128 << 255 << "台式机";
        QTest::newRow("laptop on mains") << 8 << 97 << "笔记本";
        QTest::newRow("failed query") << 0 << 0 << "笔记本";
        QTest::newRow("no battery but a reading") << 128 << 100 << "笔记本";
    }
    void MachineKind()
    {
        QFETCH(int, flag);
        QFETCH(int, percent);
        QFETCH(QString, kind);
        QCOMPARE(MachineKindFrom(flag, percent), kind);
    }

    void PowerStatusFromSysfs()
    {
        QTemporaryDir root;
        int flag = -1;
        int percent = -1;
        QVERIFY(!Platform::QueryPowerStatusFrom(root.path() + "/missing", &flag, &percent));
        QCOMPARE(flag, 0);
        QCOMPARE(percent, 0);

        QDir(root.path()).mkpath("AC");
        WriteFile(root.path() + "/AC/type", "Mains\n");
        QVERIFY(Platform::QueryPowerStatusFrom(root.path(), &flag, &percent));
        QCOMPARE(MachineKindFrom(flag, percent), QString("台式机"));

        QDir(root.path()).mkpath("BAT0");
        WriteFile(root.path() + "/BAT0/type", "Battery\n");
        WriteFile(root.path() + "/BAT0/present", "1\n");
        WriteFile(root.path() + "/BAT0/capacity", "64\n");
        QVERIFY(Platform::QueryPowerStatusFrom(root.path(), &flag, &percent));
        QCOMPARE(percent, 64);
        QCOMPARE(MachineKindFrom(flag, percent), QString("笔记本"));
    }

    void WindowsVersionIsEmptyHere() { QCOMPARE(GetWindowsVersionName(), QString()); }

    void ElideText()
    {
        const QFont font(QStringLiteral("Microsoft YaHei UI"), 12);
        const QFontMetrics metrics(font);
        const QString text = QStringLiteral("一节很长很长的课程名称 with latin text");
        const int full = metrics.horizontalAdvance(text);
        QCOMPARE(::ElideText(font, text, full + 1), text);
        // Exactly as wide as the limit goes through eliding, which keeps a
        // fitting text unchanged.
        QCOMPARE(::ElideText(font, text, full), metrics.elidedText(text, Qt::ElideRight, full));
        const QString shortened = ::ElideText(font, text, full / 2);
        QVERIFY(shortened.endsWith(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(shortened) <= full / 2);
    }

    void SafeNamesStayInTheirFolder_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("parent") << "..";
        QTest::newRow("dot") << ".";
        QTest::newRow("empty") << "";
        QTest::newRow("traversal") << "../../../.config/autostart";
        QTest::newRow("absolute") << "/etc/passwd";
        QTest::newRow("backslash") << "..\\..\\x";
        QTest::newRow("nul") << QString("a") + QChar(0) + "b";
    }
    void SafeNamesStayInTheirFolder()
    {
        QFETCH(QString, part);
        const QString folder = AppPaths::DataFolder() + "avatar";
        const QString name = AppPaths::SafeName(part);
        QVERIFY(!name.isEmpty());
        QVERIFY(!name.contains('/'));
        QVERIFY(AppPaths::IsInside(folder, folder + "/" + name));
    }

    void IsInside()
    {
        const QString data = AppPaths::DataFolder();
        QVERIFY(AppPaths::IsInside(data, data + "courlist/a.png"));
        QVERIFY(!AppPaths::IsInside(data, data));
        QVERIFY(!AppPaths::IsInside(data, data + "../elsewhere"));
        QVERIFY(!AppPaths::IsInside(data, data.chopped(1) + "-evil/x"));
        QVERIFY(!AppPaths::IsInside(data, "courlist/a.png"));
        QVERIFY(!AppPaths::IsInside(data, ""));
        QVERIFY(!AppPaths::IsInside("", "/tmp/x"));
    }

    void LoggedRepliesHideSecrets_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("key reply") << QByteArray(R"({"appId":"app","channelKey":"k-1"})")
                                   << QByteArray(R"({"appId":"app","channelKey":"***"})");
        QTest::newRow("nested, any case, any type")
            << QByteArray(R"({"data":[{"roomPwd":"1","Token":7,"name":"x"}],"secret":{"a":"b"}})")
            << QByteArray(R"({"data":[{"Token":"***","name":"x","roomPwd":"***"}],"secret":"***"})");
        QTest::newRow("absent values stay") << QByteArray(R"(["x",{"password":"","apiKey":null}])")
                                            << QByteArray(R"(["x",{"apiKey":null,"password":""}])");
    }
    void LoggedRepliesHideSecrets()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, logged);
        QCOMPARE(LoggableJson(QJsonDocument::fromJson(reply)), QString::fromUtf8(logged));
    }

    void UrlFileNames()
    {
        QCOMPARE(AppPaths::UrlFileName(QString("https://h/p/a%20b.png?x=1&y=2")), QString("a b.png"));
        QCOMPARE(AppPaths::UrlFileName(QString("https://h/p/")), QString());
        QCOMPARE(AppPaths::UrlFileName(QString("https://h/p/%2e%2e")), QString("_"));
        const QString encoded = AppPaths::UrlFileName(QString("https://h/p/..%2F..%2Fx"));
        QVERIFY(!encoded.contains('/') && encoded != ".." && !encoded.isEmpty());
    }

    void DataFolderIsOurOwn()
    {
        const QString data = AppPaths::DataFolder();
        QVERIFY(data.endsWith("/Plovix/"));
        QVERIFY(data.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QVERIFY(!data.contains("/applications/"));
    }
};

PLOVIX_TEST(TestSharedFunctions)
#include "tst_SharedFunctions.moc"
