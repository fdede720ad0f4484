#include "TestRegistry.h"

#include "app/UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtTest>

class TestUserSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(UserSettings::Open()->fileName()); }

    void StoreLivesUnderConfigHome()
    {
        const QString file = UserSettings::Open()->fileName();
        QCOMPARE(file, qEnvironmentVariable("XDG_CONFIG_HOME") + "/Dravona/plovix.conf");
    }

    void MissingKeysGiveDefaults()
    {
        for (const SettingKey* key : UserSettings::AllKeys()) {
            QVERIFY2(!UserSettings::Contains(*key), key->name);
            QCOMPARE(UserSettings::Value(*key), key->defaultValue);
        }
        QCOMPARE(UserSettings::Text(UserSettings::EnableDebug), QString("0"));
        QCOMPARE(UserSettings::Int(UserSettings::UserGuide4Tea), 0);
    }

    void EveryKeyRoundTrips()
    {
        int i = 0;
        for (const SettingKey* key : UserSettings::AllKeys()) {
            const QVariant value
                = key->defaultValue.type() == QVariant::Int ? QVariant(40 + i) : QVariant(QString("值 %1").arg(i));
            QVERIFY(UserSettings::SetValue(*key, value));
            ++i;
        }
        i = 0;
        for (const SettingKey* key : UserSettings::AllKeys()) {
            if (key->defaultValue.type() == QVariant::Int)
                QCOMPARE(UserSettings::Int(*key), 40 + i);
            else
                QCOMPARE(UserSettings::Text(*key), QString("值 %1").arg(i));
            ++i;
        }
        // Keys are stored under their own names, which other parts share.
        QSettings raw(UserSettings::Open()->fileName(), QSettings::IniFormat);
        QVERIFY(raw.contains("enableDebug"));
        QVERIFY(raw.contains("audioOutVolum"));
        QVERIFY(raw.contains("RoomPwd"));
    }

    void KeysAreUnique()
    {
        QSet<QString> names;
        for (const SettingKey* key : UserSettings::AllKeys())
            names.insert(QString::fromLatin1(key->name));
        QCOMPARE(names.size(), int(UserSettings::AllKeys().size()));
    }

    void NonNumberReadsAsDefault()
    {
        QVERIFY(UserSettings::SetValue(UserSettings::UserGuide4Stu, "garbage"));
        QCOMPARE(UserSettings::Int(UserSettings::UserGuide4Stu), 0);
    }

    void CorruptFileGivesDefaultsAndNoCrash()
    {
        const QString file = UserSettings::Open()->fileName();
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        static const char garbage[] = "\x00\xff[[[=\n\x01garbage=\"unterminated\n";
        f.write(garbage, sizeof garbage - 1);
        f.close();
        QCOMPARE(UserSettings::Text(UserSettings::DevEnv), QString("0"));
        UserSettings::SetValue(UserSettings::DevEnv, "1");
    }

    void UnwritableStoreReportsFailure()
    {
        // A plain file where the settings folder should be: nothing can be
        // written, even by root.
        const QString folder = QFileInfo(UserSettings::Open()->fileName()).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!UserSettings::SetValue(UserSettings::DevEnv, "1"));
        QCOMPARE(UserSettings::Text(UserSettings::DevEnv), QString("0"));
        QFile::remove(folder);
    }
};

PLOVIX_TEST(TestUserSettings)
#include "tst_UserSettings.moc"
