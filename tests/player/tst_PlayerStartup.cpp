#include "TestRegistry.h"
#include "TestSupport.h"

#include "player/AppEventFilter.h"
#include "player/PlayerStartup.h"
#include "player/av/AVPlayer.h"
#include "player/av/LogLevel.h"

#include <QFileOpenEvent>
#include <QSurfaceFormat>
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
        auto row = [](const char* names, const char* shortName, const char* longName) {
            QTest::newRow(names) << QString(names) << QString(shortName) << QString(longName);
        };
        row("ao", "ao", "");
        row("-egl", "egl", "");
        row("--width", "", "width");
        row(",x", ",x", "");
        row("help,h", "h", "help");
        row("decoders,-vd", "vd", "decoders");
        row("v,--verbose", "v", "verbose");
        row("--all,-a", "a", "all");
        row("--all,--every", "", "all");
        row("-a,--all", "a", "all");
        row("-a,-b", "a", "");
        row("-a,all", "a", "all");
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
        // Usage: the names in a field of 33, the default when it says something.
        QOptions usage;
        usage.setDescription("Tool").setGroup("first").addFlag("help,h", "print this").add("-width", 800, "width");
        usage.setGroup("second").add("--name", QString(), "name");
        QCOMPARE(usage.help(),
            "Tool\nfirst\n  " + QString("-h [--help]").leftJustified(33) + "print this\n  "
                + QString("-width value").leftJustified(33) + "width (default: 800)\nsecond\n  "
                + QString("--name value").leftJustified(33) + "name");
    }

    void openGLBackend_data()
    {
        QTest::addColumn<QString>("gl");
        QTest::addColumn<QString>("program");
        QTest::addColumn<Config::OpenGLType>("setting");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<Choice>("choice");
        auto row = [](const char* tag, const char* gl, const char* program, Config::OpenGLType setting,
                       const char* angle, Choice choice) {
            QTest::newRow(tag) << QString(gl) << QString(program) << setting << QString(angle) << choice;
        };
        const Choice desktop { Choice::Desktop, {} };
        row("defaults", "", "C:\\Plovix\\client.exe", Config::OpenGLES, "d3d9", Es("d3d9"));
        row("desktop in the name", "", "/opt/client-desktop.exe", Config::OpenGLES, "d3d9", desktop);
        row("es and platform in the name", "", "client-es-d3d11.exe", Config::Auto, "d3d9", Es("d3d11"));
        row("es alone in the name", "", "client-es.exe", Config::Auto, "WARP", Es("warp"));
        row("angle without es", "", "client-angle.exe", Config::OpenGLES, "d3d9", Choice());
        row("software in the name", "", "client-sw", Config::OpenGLES, "d3d9", { Choice::Software, {} });
        row("nothing, Auto", "", "client.exe", Config::Auto, "d3d9", Choice());
        row("gl text", "OpenGLES", "client.exe", Config::Desktop, "d3d11", Es("d3d11"));
        row("setting desktop", "", "client", Config::Desktop, "", desktop);
        row("unknown platform", "", "client", Config::OpenGLES, "vulkan", Es(""));
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
        // Here it is the kind of context asked of the driver.
        const QSurfaceFormat before = QSurfaceFormat::defaultFormat();
        QCOMPARE(OpenGLBackend::Apply(chosen), chosen.kind != Choice::Unchanged);
        static const QHash<int, QSurfaceFormat::RenderableType> asked { { Choice::Unchanged,
                                                                            QSurfaceFormat::DefaultRenderableType },
            { Choice::OpenGLES, QSurfaceFormat::OpenGLES }, { Choice::Desktop, QSurfaceFormat::OpenGL },
            { Choice::Software, QSurfaceFormat::OpenGL } };
        QCOMPARE(QSurfaceFormat::defaultFormat().renderableType(), asked.value(chosen.kind));
        QCOMPARE(qgetenv("LIBGL_ALWAYS_SOFTWARE"), QByteArray(chosen.kind == Choice::Software ? "1" : ""));
        QSurfaceFormat::setDefaultFormat(before);
        qunsetenv("LIBGL_ALWAYS_SOFTWARE");
    }

    void translationsLoadOnce()
    {
        QCOMPARE(PlayerStartup::TranslationLanguage("", "System", "zh_CN"), QString("zh_CN"));
        QCOMPARE(PlayerStartup::TranslationLanguage("", "en_GB", "zh_CN"), QString("en_GB"));
        QCOMPARE(PlayerStartup::TranslationLanguage("SYSTEM", "en_GB", "zh_CN"), QString("zh_CN"));
        QTemporaryDir appDir;
        QVERIFY(appDir.isValid());
        auto installed = [] { return qApp->findChildren<QTranslator*>(QString(), Qt::FindDirectChildrenOnly).size(); };
        const int before = installed();
        // The player's own file ships, Qt's comes with Qt; the library's is
        // missed quietly.
        QCOMPARE(PlayerStartup::LoadTranslations({ "player", "QtAV", "qt" }, "zh_CN", appDir.path()),
            (QStringList { "player", "qt" }));
        QCOMPARE(QCoreApplication::translate("AvPlayer", "Player error"), QStringLiteral("播放器错误"));
        QCOMPARE(QCoreApplication::translate("ConfigDialog", "Apply"), QStringLiteral("应用"));
        // Every further player start-up asks again: nothing piles up.
        for (int i = 0; i < 3; ++i)
            PlayerStartup::load_qm({ "player" }, "zh_CN");
        QVERIFY(PlayerStartup::LoadTranslations({ "player" }, "fr_FR", appDir.path()).isEmpty());
        QCOMPARE(installed(), before + 2);
        // A file beside the program comes before the embedded one.
        QVERIFY(QDir(appDir.path()).mkpath("i18n"));
        QVERIFY(QFile::copy(":/i18n/player_zh_CN.qm", appDir.filePath("i18n/extra_zh_CN.qm")));
        QCOMPARE(PlayerStartup::LoadTranslations({ "extra" }, "zh_CN", appDir.path()), QStringList { "extra" });
        QCOMPARE(installed(), before + 3);
    }

    void logLevelsReachTheCore()
    {
        qunsetenv("QTAV_LOG");
        Config::instance().setLogLevel("");
        PlayerStartup::do_common_options(PlayerStartup::PlayerOptions(), "Player");
        QVERIFY(qgetenv("QTAV_LOG").isEmpty());
        Config::instance().setLogLevel("Critical");
        PlayerStartup::do_common_options(PlayerStartup::PlayerOptions());
        QCOMPARE(plxav::coreLogLevel(qgetenv("QTAV_LOG")), "error");
        QCOMPARE(plxav::coreLogLevel("loud"), "warn");
        plxav::setFFmpegLogLevel("verbose");
        QCOMPARE(plxav::ffmpegMessageLevel(), QString("ffmpeg=v"));
        {
            // A core takes both as settings it knows.
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
        Config::instance().setLogLevel("");
        qunsetenv("QTAV_LOG");
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
    }
};

PLOVIX_TEST(TestPlayerStartup)
#include "tst_PlayerStartup.moc"
