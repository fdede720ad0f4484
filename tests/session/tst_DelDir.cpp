#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "session/DataManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDelDir : public QObject
{
    Q_OBJECT

    static void Touch(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

private slots:
    void MissingFolderIsDone() { QVERIFY(DataManager::DelDir(AppPaths::DataFolder() + "courlist/never-made")); }

    void RemovesTreeWithHiddenAndReadOnlyEntries()
    {
        const QString root = AppPaths::DataFolder() + "courlist";
        Touch(root + "/a.png");
        Touch(root + "/.hidden");
        Touch(root + "/deep/er/b.png");
        QFile::setPermissions(root + "/deep/er/b.png", QFileDevice::ReadOwner);
        QVERIFY(DataManager::DelDir(root));
        QVERIFY(!QFileInfo::exists(root));
        QVERIFY(QFileInfo::exists(AppPaths::DataFolder()));
    }

    void RefusesPathsOutsideTheDataFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString();
        QTest::newRow("relative") << "courlist";
        QTest::newRow("dot") << ".";
        QTest::newRow("data folder itself") << AppPaths::DataFolder();
        QTest::newRow("escaping") << AppPaths::DataFolder() + "courlist/../../outside";
        QTest::newRow("sibling with the same prefix") << AppPaths::DataFolder().chopped(1) + "-other";
        QTest::newRow("elsewhere") << QDir::tempPath();
    }
    void RefusesPathsOutsideTheDataFolder()
    {
        QFETCH(QString, path);
        const QString outside = QDir(AppPaths::DataFolder()).absoluteFilePath("../outside/keep.txt");
        Touch(outside);
        Touch(AppPaths::DataFolder() + "vesk-servers.properties");
        QVERIFY(!DataManager::DelDir(path));
        QVERIFY(QFileInfo::exists(outside));
        QVERIFY(QFileInfo::exists(AppPaths::DataFolder() + "vesk-servers.properties"));
        QVERIFY(QFileInfo::exists(QDir::currentPath()));
    }

    void LinksAreRemovedNotFollowed()
    {
        QTemporaryDir elsewhere;
        Touch(elsewhere.path() + "/precious.txt");
        const QString root = AppPaths::DataFolder() + "chatImage";
        QDir().mkpath(root);
        QVERIFY(QFile::link(elsewhere.path(), root + "/link-to-dir"));
        QVERIFY(QFile::link(elsewhere.path() + "/precious.txt", root + "/link-to-file"));
        QVERIFY(DataManager::DelDir(root));
        QVERIFY(!QFileInfo::exists(root));
        QVERIFY(QFileInfo::exists(elsewhere.path() + "/precious.txt"));
    }

    // A linked folder inside the data folder leads outside: what lies
    // beneath it is refused, the link itself may go.
    void LinkedParentsAreNotFollowed()
    {
        QTemporaryDir elsewhere;
        Touch(elsewhere.path() + "/sub/precious.txt");
        QVERIFY(QFile::link(elsewhere.path() + "/sub/precious.txt", elsewhere.path() + "/link"));
        const QString linked = AppPaths::DataFolder() + "courlist";
        QDir().mkpath(AppPaths::DataFolder());
        QVERIFY(QFile::link(elsewhere.path(), linked));
        QVERIFY(!DataManager::DelDir(linked + "/sub"));
        QVERIFY(!DataManager::DelDir(linked + "/link"));
        QVERIFY(QFileInfo::exists(elsewhere.path() + "/sub/precious.txt"));
        QVERIFY(QFileInfo(elsewhere.path() + "/link").isSymLink());
        QVERIFY(DataManager::DelDir(linked));
        QVERIFY(!QFileInfo(linked).isSymLink());
        QVERIFY(QFileInfo::exists(elsewhere.path() + "/sub/precious.txt"));
    }
};

PLOVIX_TEST(TestDelDir)
#include "tst_DelDir.moc"
