#include "TestRegistry.h"

#include "player/Config.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>
#include <functional>

using ConfigGetter = std::function<QVariant(const Config&)>;
Q_DECLARE_METATYPE(ConfigGetter)

// The player's settings store: every key with its default, its reading
// rules and its way back into the file, the history table, resetting, and
// the data of an older installation.
class TestPlayerConfig : public QObject
{
    Q_OBJECT

    using Getter = ConfigGetter;

    QString DataDir() const { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }
    QString IniPath() const { return DataDir() + QStringLiteral("/plovix.ini"); }

    void WriteIni(const QString& key, const QVariant& value)
    {
        QSettings settings(IniPath(), QSettings::IniFormat);
        settings.setValue(key, value);
    }

    int HistoryRows(const QString& url)
    {
        QSqlQuery query(QSqlDatabase::database());
        query.prepare(QStringLiteral("SELECT COUNT(*) FROM history WHERE url = :url"));
        query.bindValue(QStringLiteral(":url"), url);
        return query.exec() && query.next() ? query.value(0).toInt() : -1;
    }

private slots:
    void init()
    {
        Config::setName(QString());
        QFile::remove(IniPath());
        QDir(QDir::homePath() + QStringLiteral("/.QtAV")).removeRecursively();
        Config store;
        store.clearHistory();
    }

    void firstStartHasEveryDefault()
    {
        Config store;
        QCOMPARE(store.settingsFilePath(), IniPath());
        // Without a base name both files take the application's.
        QCOMPARE(store.databaseFilePath(), DataDir() + QStringLiteral("/plovix.db"));
        QVERIFY(QFile::exists(store.databaseFilePath()));
        QVERIFY(!QFile::exists(DataDir() + QStringLiteral("/.db")));
        QCOMPARE(store.decoderPriorityNames(), QStringList({ "HW", "FFmpeg" }));
        QCOMPARE(store.captureDir(), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        QCOMPARE(store.openGLType(), Config::OpenGLES);
        QCOMPARE(store.language(), QStringLiteral("system"));
        QCOMPARE(store.timeout(), 30.0);
        QVERIFY(store.abortOnTimeout());
        QCOMPARE(store.subtitleFont().pointSize(), 20);
        QCOMPARE(store.subtitleFont().weight(), 75);
        QCOMPARE(store.subtitleColor(), QColor(Qt::white));
        QCOMPARE(store.subtitleOutlineColor(), QColor(Qt::blue));
        QCOMPARE(store.probeSize(), 5000000);
        QCOMPARE(store.bufferValue(), -1);
        QVERIFY(store.fragSample().contains(QLatin1String("1.0-pos.x")));
        QVERIFY(!QFile::exists(IniPath()));
        store.save();
        QSettings written(IniPath(), QSettings::IniFormat);
        QCOMPARE(written.allKeys().size(), 44);
        QCOMPARE(written.value("decoder/video/priority").toString(), QStringLiteral("HW FFmpeg"));
        QCOMPARE(written.value("opengl/type").toString(), QStringLiteral("OpenGLES"));
        QCOMPARE(written.value("avformat/avioflags").toString(), QStringLiteral("0"));
        QVERIFY(written.contains("subtitle/bottom margin"));
    }

    void storedValuesAreReadAndWrittenBack_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("read");
        QTest::addColumn<QVariant>("writtenBack");
        QTest::addColumn<Getter>("getter");
        auto row = [](const char* name, const char* key, QVariant stored, QVariant read, QVariant back, Getter get) {
            QTest::newRow(name) << QString::fromLatin1(key) << stored << read << back << get;
        };
        row("log level in lower case", "log", "Debug", "debug", "debug", [](const Config& c) { return c.logLevel(); });
        row("priority split on blanks", "decoder/video/priority", "VAAPI  FFmpeg", QStringList({ "VAAPI", "FFmpeg" }),
            "VAAPI FFmpeg", [](const Config& c) { return c.decoderPriorityNames(); });
        row("zero copy off", "decoder/video/zeroCopy", false, false, false,
            [](const Config& c) { return c.zeroCopy(); });
        row("subtitle delay", "subtitle/delay", 1.5, 1.5, 1.5, [](const Config& c) { return c.subtitleDelay(); });
        row("unknown OpenGL type", "opengl/type", "Metal", -1, "",
            [](const Config& c) { return static_cast<int>(c.openGLType()); });
        row("desktop OpenGL", "opengl/type", "Desktop", 1, "Desktop",
            [](const Config& c) { return static_cast<int>(c.openGLType()); });
        row("direct reading", "avformat/avioflags", "direct", true, "direct",
            [](const Config& c) { return c.reduceBuffering(); });
        row("anything else reads buffered", "avformat/avioflags", "Direct", false, "0",
            [](const Config& c) { return c.reduceBuffering(); });
        row("empty capture folder", "capture/dir", "",
            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
            [](const Config& c) { return c.captureDir(); });
        row("colour by name", "subtitle/color", "red", QColor(Qt::red), QColor(Qt::red),
            [](const Config& c) { return c.subtitleColor(); });
        row("colour that is none", "subtitle/outline_color", "no colour", QColor(), QColor(),
            [](const Config& c) { return c.subtitleOutlineColor(); });
        row("probe size", "avformat/probesize", 4096, 4096, 4096u, [](const Config& c) { return c.probeSize(); });
        row("bottom margin", "subtitle/bottom margin", 12, 12, 12,
            [](const Config& c) { return c.subtitleBottomMargin(); });
        row("forced font file", "subtitle/ass/force_font_file", true, true, true,
            [](const Config& c) { return c.assFontFileForced(); });
        row("video filter", "avfilterVideo/options", "hflip", "hflip", "hflip",
            [](const Config& c) { return c.avfilterVideoOptions(); });
        row("buffer", "buffer/value", 50, 50, 50, [](const Config& c) { return c.bufferValue(); });
    }
    void storedValuesAreReadAndWrittenBack()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, read);
        QFETCH(QVariant, writtenBack);
        QFETCH(Getter, getter);
        WriteIni(key, stored);
        Config store;
        QCOMPARE(getter(store), read);
        store.save();
        QSettings written(IniPath(), QSettings::IniFormat);
        QVariant back = written.value(key);
        if (writtenBack.userType() == QMetaType::QColor)
            back = back.value<QColor>();
        QCOMPARE(back.toString(), writtenBack.toString());
        QCOMPARE(back.value<QColor>(), writtenBack.value<QColor>());
    }

    void readingNeverSaves()
    {
        WriteIni(QStringLiteral("decoder/video/priority"), QStringLiteral("FFmpeg"));
        WriteIni(QStringLiteral("decoder/video/zeroCopy"), false);
        const QByteArray before = [this] {
            QFile file(IniPath());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        Config store;
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void decoderPriorityAndZeroCopySaveAtOnce()
    {
        Config store;
        QSignalSpy changed(&store, &Config::decoderPriorityNamesChanged);
        store.setDecoderPriorityNames({ "HW", "FFmpeg" });
        QCOMPARE(changed.count(), 0);
        QVERIFY(!QFile::exists(IniPath()));
        store.setDecoderPriorityNames({ "FFmpeg", "HW" });
        QCOMPARE(changed.count(), 1);
        QVERIFY(QFile::exists(IniPath()));
        store.setZeroCopy(false);
        Config restarted;
        QCOMPARE(restarted.zeroCopy(), false);
        QCOMPARE(restarted.decoderPriorityNames(), QStringList({ "FFmpeg", "HW" }));
    }

    void resetNeedsTheFile()
    {
        Config store;
        store.setTimeout(12.0);
        QVERIFY(!store.reset());
        QCOMPARE(store.timeout(), 12.0);
        store.save();
        QSignalSpy changed(&store, &Config::timeoutChanged);
        QVERIFY(store.reset());
        QCOMPARE(store.timeout(), 30.0);
        QCOMPARE(changed.count(), 1);
        QVERIFY(QFile::exists(IniPath()));
    }

    void historyKeepsItsRows()
    {
        Config store;
        QSignalSpy changed(&store, &Config::historyChanged);
        store.removeHistory(QStringLiteral("never.mp4"));
        store.clearHistory();
        QCOMPARE(changed.count(), 0);
        store.addHistory({ { "url", "a.mp4" }, { "start", 5 }, { "duration", 60000 } });
        store.addHistory({ { "url", "b.mp4" } });
        store.addHistory({ { "url", "a.mp4" }, { "start", 7 } });
        QCOMPARE(changed.count(), 3);
        // The table keeps one row per address; the list shows the repeat.
        QCOMPARE(store.history().size(), 3);
        QCOMPARE(HistoryRows(QStringLiteral("a.mp4")), 1);
        QCOMPARE(store.history().first().toMap().value("start").toLongLong(), 7);
        store.save();
        QVERIFY(store.reset());
        QCOMPARE(store.history().size(), 2);
        store.removeHistory(QStringLiteral("a.mp4"));
        QCOMPARE(HistoryRows(QStringLiteral("a.mp4")), 0);
        QCOMPARE(store.history().size(), 1);
        store.clearHistory();
        Config restarted;
        QVERIFY(restarted.history().isEmpty());
    }

    void demuxerOptionsFromTheExtraText()
    {
        Config store;
        store.setAvformatExtra(QStringLiteral("a=1 b c=x=y  probesize=9"));
        store.setProbeSize(0);
        store.setAnalyzeDuration(0);
        QVariantHash options = store.avformatOptions();
        QCOMPARE(options.value("a").toString(), QStringLiteral("1"));
        QCOMPARE(options.value("c").toString(), QStringLiteral("x=y"));
        QVERIFY(!options.contains("b"));
        QCOMPARE(options.value("probesize").toString(), QStringLiteral("9"));
        store.setProbeSize(4096).setReduceBuffering(true);
        options = store.avformatOptions();
        QCOMPARE(options.value("probesize").toUInt(), 4096u);
        QCOMPARE(options.value("avioflags").toString(), QStringLiteral("direct"));
    }

    void baseNameNamesBothFiles()
    {
        Config::setName(QStringLiteral("Player"));
        Config store;
        QCOMPARE(store.settingsFilePath(), DataDir() + QStringLiteral("/Player.ini"));
        QCOMPARE(store.databaseFilePath(), DataDir() + QStringLiteral("/Player.db"));
    }

    void olderDataIsCopiedNeverTaken()
    {
        const QString old = QDir::homePath() + QStringLiteral("/.QtAV");
        QVERIFY(QDir().mkpath(old));
        QSettings oldSettings(old + QStringLiteral("/plovix.ini"), QSettings::IniFormat);
        oldSettings.setValue(QStringLiteral("timeout"), 7.0);
        oldSettings.sync();
        for (const char* name : { "/playlist.qds", "/history.qds" }) {
            QFile list(old + QLatin1String(name));
            QVERIFY(list.open(QIODevice::WriteOnly));
            list.write("another player's list");
        }
        Config store;
        QCOMPARE(store.timeout(), 7.0);
        for (const char* name : { "/plovix.ini", "/playlist.qds", "/history.qds" }) {
            QVERIFY2(QFile::exists(old + QLatin1String(name)), name);
            QVERIFY2(QFile::exists(DataDir() + QLatin1String(name)), name);
        }
        QFile::remove(DataDir() + QStringLiteral("/playlist.qds"));
        QFile::remove(DataDir() + QStringLiteral("/history.qds"));
    }
};

PLOVIX_TEST(TestPlayerConfig)
#include "tst_PlayerConfig.moc"
