// The screens read from the X server match what Qt's X platform reports on
// the same display, each case on a virtual X server of its own.
#include "TestRegistry.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestScreenMeasure : public QObject
{
    Q_OBJECT
private slots:
    void MatchesQt_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("resources");
        QTest::addColumn<QString>("platform"); // and "font N" for QT_FONT_DPI
        QTest::addColumn<QString>("expected"); // the X reading begins so; "" when it need only equal Qt's
        QTest::newRow("default") << ""
                                 << ""
                                 << "xcb"
                                 << "";
        QTest::newRow("dpi 144") << "-dpi 144 -screen 0 1920x1200x24"
                                 << ""
                                 << "xcb"
                                 << "143.816 1920 1200 1";
        QTest::newRow("Xft.dpi 120") << ""
                                     << "Xft.dpi:\t120\nXft.antialias:\t1\n"
                                     << ""
                                     << "120 1280 1024 1";
        QTest::newRow("Xft.dpi not whole") << "-dpi 120"
                                           << "Xft.dpi:\t168.5\n"
                                           << "xcb"
                                           << "";
        QTest::newRow("small screen Xft.dpi 192") << "-screen 0 800x600x24"
                                                  << "Xft.dpi:\t192\n"
                                                  << "xcb"
                                                  << "192 800 600 1";
        QTest::newRow("QT_FONT_DPI over Xft.dpi") << ""
                                                  << "Xft.dpi:\t120\n"
                                                  << "xcb font 150"
                                                  << "150 1280 1024 1";
        QTest::newRow("no RandR") << "-extension RANDR -screen 0 1600x900x24"
                                  << ""
                                  << "xcb"
                                  << "";
        QTest::newRow("another platform") << ""
                                          << ""
                                          << "offscreen"
                                          << "none";
    }
    void MatchesQt()
    {
        QFETCH(QString, server);
        QFETCH(QString, resources);
        QFETCH(QString, platform);
        QFETCH(QString, expected);
        const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
        if (xvfbRun.isEmpty())
            QSKIP("no xvfb-run");
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform.section(' ', 0, 0));
        if (platform.contains(QLatin1String(" font ")))
            env.insert(QStringLiteral("QT_FONT_DPI"), platform.section(' ', 2));
        probe.setProcessEnvironment(env);
        QStringList args { QStringLiteral("-a") };
        if (!server.isEmpty())
            args << QStringLiteral("-s") << server;
        args << QStringLiteral(PLOVIX_SCREEN_PROBE);
        if (!resources.isEmpty())
            args << resources;
        probe.start(xvfbRun, args);
        QVERIFY(probe.waitForFinished(60000));
        QVERIFY2(probe.exitCode() == 0, probe.readAllStandardError().right(2000).constData());
        const QStringList lines = QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        if (expected != QLatin1String("none"))
            QCOMPARE(lines.at(0), lines.at(1));
        if (!expected.isEmpty())
            QVERIFY2(lines.at(0) == expected || lines.at(0).startsWith(expected + QLatin1Char(' ')),
                qPrintable(lines.at(0)));
    }
};

PLOVIX_TEST(TestScreenMeasure)
#include "tst_ScreenMeasure.moc"
