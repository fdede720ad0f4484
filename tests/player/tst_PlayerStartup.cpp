#include "TestRegistry.h"
#include "TestSupport.h"

#include "player/AppEventFilter.h"
#include "player/PlayerStartup.h"
#include "player/av/AVPlayer.h"
#include "player/av/LogLevel.h"

#include <QFileOpenEvent>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using OpenGLBackend::Choice;
Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(Config::OpenGLType)

namespace {

// Takes the files a file-open event hands over.
class PlayTarget : public QObject
{
    Q_OBJECT
public slots:
    void play(QUrl url) { played << url; }

public:
    QList<QUrl> played;
};

Choice Es(const char* platform)
{
    return { Choice::OpenGLES, platform };
}

} // namespace

// The player's start-up: its option table (names, look-ups, usage text),
// the OpenGL back-end decision, the translations and the log levels.
class TestPlayerStartup : public QObject
{
    Q_OBJECT

private slots:
    void optionNames_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("longName");
        QTest::newRow("bare") << "ao"
                              << "ao"
                              << "";
        QTest::newRow("short mark") << "-egl"
                                    << "egl"
                                    << "";
        QTest::newRow("long mark") << "--width"
                                   << ""
                                   << "width";
        QTest::newRow("comma at the start") << ",x"
                                            << ",x"
                                            << "";
        QTest::newRow("long, short") << "help,h"
                                     << "h"
                                     << "help";
        QTest::newRow("long, marked short") << "decoders,-vd"
                                            << "vd"
                                            << "decoders";
        QTest::newRow("short, marked long") << "v,--verbose"
                                            << "v"
                                            << "verbose";
        QTest::newRow("--long, -short") << "--all,-a"
                                        << "a"
                                        << "all";
        QTest::newRow("--long, --other") << "--all,--every"
                                         << ""
                                         << "all";
        QTest::newRow("-short, --long") << "-a,--all"
                                        << "a"
                                        << "all";
        QTest::newRow("-short, -other") << "-a,-b"
                                        << "a"
                                        << "";
        QTest::newRow("-short, bare") << "-a,all"
                                      << "a"
                                      << "all";
    }
    void optionNames()
    {
        QFETCH(QString, names);
        QOptions::Option option;
        option.setNames(names);
        QTEST(option.shortName(), "shortName");
        QTEST(option.longName(), "longName");
    }

    void theTableAnswersItsDefaults()
    {
        const QOptions options = PlayerStartup::PlayerOptions();
        QCOMPARE(options.option("vo").shortName(), QString("vo"));
        QCOMPARE(options.value("vo").toString(), QString("qt"));
        QVERIFY(!options.option("vo").isSet());
        QCOMPARE(options.option("vd").longName(), QString("decoders"));
        QCOMPARE(options.option("decoders").shortName(), QString("vd"));
        QCOMPARE(options.value("width").toInt(), 800);
        QCOMPARE(options.value("gl").toString(), QString());
        QVERIFY(!options.value("nothing").isValid());
        QVERIFY(!options.value("").isValid());
        // The common table stays as it was for the next start-up.
        QVERIFY(!PlayerStartup::get_common_options().value("vo").isValid());
    }

    void usageText()
    {
        QOptions options;
        options.setDescription("Tool").setGroup("first").addFlag("help,h", "print this").add("-width", 800, "width");
        options.setGroup("second").add("--name", QString(), "name").add("n", QVariant(), "");
        const QStringList lines = options.help().split('\n');
        QCOMPARE(lines.value(0), QString("Tool"));
        QCOMPARE(lines.value(1), QString("first"));
        QCOMPARE(lines.value(2), "  " + QString("-h [--help]").leftJustified(33) + "print this");
        QCOMPARE(lines.value(3), "  " + QString("-width value").leftJustified(33) + "width (default: 800)");
        QCOMPARE(lines.value(4), QString("second"));
        QCOMPARE(lines.value(5), "  " + QString("--name value").leftJustified(33) + "name");
        QCOMPARE(lines.size(), 7);
    }

    void openGLBackend_data()
    {
        QTest::addColumn<QString>("gl");
        QTest::addColumn<QString>("program");
        QTest::addColumn<Config::OpenGLType>("setting");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<Choice>("choice");
        const Config::OpenGLType es = Config::OpenGLES;
        QTest::newRow("defaults") << ""
                                  << "C:\\Plovix\\client.exe" << es << "d3d9" << Es("d3d9");
        QTest::newRow("desktop in the name")
            << ""
            << "/opt/client-desktop.exe" << es << "d3d9" << Choice { Choice::Desktop, {} };
        QTest::newRow("es and platform in the name") << ""
                                                     << "client-es-d3d11.exe" << Config::Auto << "d3d9" << Es("d3d11");
        QTest::newRow("es alone in the name") << ""
                                              << "client-es.exe" << Config::Auto << "WARP" << Es("warp");
        QTest::newRow("angle without es") << ""
                                          << "client-angle.exe" << es << "d3d9" << Choice();
        QTest::newRow("software in the name") << ""
                                              << "client-sw" << es << "d3d9" << Choice { Choice::Software, {} };
        QTest::newRow("marker at the start") << ""
                                             << "-desktop.exe" << Config::Auto << "d3d9" << Choice();
        QTest::newRow("nothing, Auto") << ""
                                       << "client.exe" << Config::Auto << "d3d9" << Choice();
        QTest::newRow("gl text") << "OpenGLES"
                                 << "client.exe" << Config::Desktop << "d3d11" << Es("d3d11");
        QTest::newRow("gl desktop") << "Desktop"
                                    << "client" << es << "d3d9" << Choice { Choice::Desktop, {} };
        QTest::newRow("setting desktop") << ""
                                         << "client" << Config::Desktop << "" << Choice { Choice::Desktop, {} };
        QTest::newRow("setting software") << ""
                                          << "client" << Config::Software << "" << Choice { Choice::Software, {} };
        QTest::newRow("unknown platform") << ""
                                          << "client" << es << "vulkan" << Es("");
        QTest::newRow("unknown gl") << "metal"
                                    << "client" << es << "d3d9" << Choice();
    }
    void openGLBackend()
    {
        QFETCH(QString, gl);
        QFETCH(QString, program);
        QFETCH(Config::OpenGLType, setting);
        QFETCH(QString, angle);
        QFETCH(Choice, choice);
        const Choice chosen = PlayerStartup::ChooseOpenGLBackend(gl, program, setting, angle);
        QCOMPARE(chosen.kind, choice.kind);
        QCOMPARE(chosen.anglePlatform, choice.anglePlatform);
        // Nothing of it applies on this platform.
        QVERIFY(!OpenGLBackend::Apply(chosen));
    }

    void translationLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("setting system") << ""
                                        << "system"
                                        << "zh_CN";
        QTest::newRow("setting System") << ""
                                        << "System"
                                        << "zh_CN";
        QTest::newRow("setting named") << ""
                                       << "en_GB"
                                       << "en_GB";
        QTest::newRow("argument wins") << "de_DE"
                                       << "system"
                                       << "de_DE";
        QTest::newRow("argument system") << "SYSTEM"
                                         << "en_GB"
                                         << "zh_CN";
    }
    void translationLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, setting);
        QTEST(PlayerStartup::TranslationLanguage(language, setting, "zh_CN"), "chosen");
    }

    void translationsLoadOnce()
    {
        QTemporaryDir appDir;
        QVERIFY(appDir.isValid());
        auto installed = [] { return qApp->findChildren<QTranslator*>(QString(), Qt::FindDirectChildrenOnly).size(); };
        const int before = installed();
        // Only the player's own file ships; the library's and Qt's are
        // missed quietly.
        QCOMPARE(PlayerStartup::LoadTranslations({ "player", "QtAV", "qt" }, "zh_CN", appDir.path()),
            QStringList { "player" });
        QCOMPARE(QCoreApplication::translate("AvPlayer", "Player error"), QStringLiteral("播放器错误"));
        QCOMPARE(QCoreApplication::translate("ConfigDialog", "Apply"), QStringLiteral("应用"));
        QCOMPARE(installed(), before + 1);
        // Every further player start-up asks again: nothing piles up.
        for (int i = 0; i < 3; ++i)
            PlayerStartup::load_qm({ "player" }, "zh_CN");
        QCOMPARE(installed(), before + 1);
        QVERIFY(PlayerStartup::LoadTranslations({ "player" }, "fr_FR", appDir.path()).isEmpty());
        QCOMPARE(installed(), before + 1);
        // A file beside the program comes before the embedded one.
        QVERIFY(QDir(appDir.path()).mkpath("i18n"));
        QVERIFY(QFile::copy(":/i18n/player_zh_CN.qm", appDir.filePath("i18n/extra_zh_CN.qm")));
        QCOMPARE(PlayerStartup::LoadTranslations({ "extra" }, "zh_CN", appDir.path()), QStringList { "extra" });
        QCOMPARE(installed(), before + 2);
    }

    void commonOptionsSetTheLogLevel()
    {
        qunsetenv("QTAV_LOG");
        Config::instance().setLogLevel("");
        PlayerStartup::do_common_options(PlayerStartup::PlayerOptions(), "Player");
        QVERIFY(qgetenv("QTAV_LOG").isEmpty());
        Config::instance().setLogLevel("Debug");
        PlayerStartup::do_common_options(PlayerStartup::PlayerOptions());
        QCOMPARE(qgetenv("QTAV_LOG"), QByteArray("debug"));
        // The players made from now on log at that level, and take it.
        TestSupport::MessageCapture capture;
        plxav::AVPlayer player;
        QVERIFY(capture.Lines().filter("refused").isEmpty());
        Config::instance().setLogLevel("");
        qunsetenv("QTAV_LOG");
    }

    void logLevels_data()
    {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<QByteArray>("core");
        QTest::newRow("off") << QByteArray("off") << QByteArray("no");
        QTest::newRow("critical") << QByteArray("Critical") << QByteArray("error");
        QTest::newRow("warning") << QByteArray("warning") << QByteArray("warn");
        QTest::newRow("all") << QByteArray("all") << QByteArray("trace");
        QTest::newRow("empty") << QByteArray() << QByteArray("warn");
        QTest::newRow("unknown") << QByteArray("loud") << QByteArray("warn");
    }
    void logLevels()
    {
        QFETCH(QByteArray, given);
        QTEST(QByteArray(plxav::coreLogLevel(given)), "core");
    }

    void ffmpegLogLevel()
    {
        qunsetenv("QTAV_FFMPEG_LOG");
        plxav::setFFmpegLogLevel("verbose");
        QCOMPARE(plxav::ffmpegMessageLevel(), QString("ffmpeg=v"));
        {
            // A core takes it as an option it knows.
            TestSupport::MessageCapture capture;
            plxav::AVPlayer player;
            QVERIFY(capture.Lines().filter("refused").isEmpty());
        }
        qputenv("QTAV_FFMPEG_LOG", "quiet");
        plxav::setFFmpegLogLevel("");
        QCOMPARE(plxav::ffmpegMessageLevel(), QString("ffmpeg=no"));
        qunsetenv("QTAV_FFMPEG_LOG");
        plxav::setFFmpegLogLevel("");
        QVERIFY(plxav::ffmpegMessageLevel().isEmpty());
    }

    void fileOpenEventsReachThePlayer()
    {
        PlayTarget target;
        AppEventFilter filter(&target);
        QFileOpenEvent open(QUrl::fromLocalFile("/tmp/song.mp3"));
        QVERIFY(filter.eventFilter(qApp, &open));
        QCOMPARE(target.played, QList<QUrl> { QUrl::fromLocalFile("/tmp/song.mp3") });
        // Events of other objects, and other events, pass on.
        QVERIFY(!filter.eventFilter(&target, &open));
        QEvent other(QEvent::WinEventAct);
        QVERIFY(!filter.eventFilter(qApp, &other));
        QCOMPARE(target.played.size(), 1);
        AppEventFilter alone;
        QVERIFY(alone.eventFilter(qApp, &open));
    }
};

PLOVIX_TEST(TestPlayerStartup)
#include "tst_PlayerStartup.moc"
