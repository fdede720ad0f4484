#include "TestRegistry.h"

#include "platform/Shell.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Showing a file in the desktop's file manager.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Shell::SetRevealer({}); }

    void AFileIsShownOnlyWhereItsFolderExists()
    {
        QStringList shown;
        QVERIFY(!Shell::RevealInFileManager(QString()));
        // Never reaches the desktop: the folder is not there.
        QVERIFY(!Shell::RevealInFileManager("/no-such-folder-of-plovix/20240101120000.aac"));
        Shell::SetRevealer([&shown](const QString& path) {
            shown << path;
            return true;
        });
        QVERIFY(!Shell::RevealInFileManager("/no-such-folder-of-plovix/20240101120000.aac"));
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        // A file not written yet is still shown in its folder.
        QVERIFY(Shell::RevealInFileManager("20240101120000.aac"));
        QCOMPARE(shown, QStringList { QDir(dir.path()).absoluteFilePath("20240101120000.aac") });
    }
};

PLOVIX_TEST(TestShell)
#include "tst_Shell.moc"
