#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "app/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

class TestDebugLog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DebugLog::Shutdown(); }

    void FormatsLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("INFO: 09:05:07  x");
        QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("WARN: 09:05:07  x");
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("ERR: 09:05:07  x");
        QTest::newRow("fatal") << int(QtFatalMsg) << QByteArray("ERR: 09:05:07  x");
        QTest::newRow("info has no prefix") << int(QtInfoMsg) << QByteArray("09:05:07  x");
    }
    void FormatsLines()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, line);
        QCOMPARE(DebugLog::FormatLine(QtMsgType(type), QTime(9, 5, 7), QStringLiteral("x")), line);
    }

    void CreatesMissingFolderAndReplacesPreviousRun()
    {
        QDir(AppPaths::LogFolder()).removeRecursively();
        QVERIFY(DebugLog::Setup());
        const QString path = AppPaths::LogFolder() + "/PlovixDebug.log";
        QCOMPARE(DebugLog::FilePath(), path);
        qDebug() << "first run";
        DebugLog::Shutdown();

        QVERIFY(DebugLog::Setup());
        qInfo() << "second run 中文";
        DebugLog::Shutdown();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(!text.contains("first run"));
        QVERIFY(QRegularExpression("(^|\\n)\\d\\d:\\d\\d:\\d\\d  second run 中文\\n").match(text).hasMatch());
    }

    void LinesFromManyThreadsStayWhole()
    {
        QVERIFY(DebugLog::Setup());
        const int threads = 6;
        const int lines = 300;
        QList<QThread*> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([t] {
                for (int i = 0; i < lines; ++i)
                    qDebug().noquote() << QString("thread %1 line %2 ").arg(t).arg(i) + QString(60, QChar('a' + t));
            });
            workers.last()->start();
        }
        for (QThread* worker : workers) {
            QVERIFY(worker->wait(30000));
            delete worker;
        }
        DebugLog::Shutdown();

        QFile file(AppPaths::LogFolder() + "/PlovixDebug.log");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression whole("^INFO: \\d\\d:\\d\\d:\\d\\d  thread (\\d) line \\d+ ([a-f])\\2{59}$");
        int count = 0;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            if (!line.contains("thread "))
                continue;
            const QRegularExpressionMatch match = whole.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line));
            QCOMPARE(match.captured(2).at(0).unicode() - 'a', match.captured(1).toInt());
            ++count;
        }
        QCOMPARE(count, threads * lines);
    }

    void UnwritableFolderRunsOnWithoutLog()
    {
        // A plain file where the folder should be: nothing can be created.
        const QString folder = AppPaths::LogFolder();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!DebugLog::Setup());
        QVERIFY(DebugLog::FilePath().isEmpty());
        qDebug() << "still running";
        QFile::remove(folder);
    }
};

PLOVIX_TEST(TestDebugLog)
#include "tst_DebugLog.moc"
