#include "LogCapture.h"
#include "TestMedia.h"
#include "TestRegistry.h"

#include "player/av/AVPlayer.h"
#include "player/av/AudioOutput.h"
#include "player/av/LibAVFilter.h"
#include "player/av/OpenGLRenderer.h"
#include "player/av/SoftwareRenderer.h"
#include "player/av/VideoDecoder.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// The media layer over libmpv on generated files: opening, seeking (also
// before the file is open), bad files, the end, volume, drawing, filters.
class TestPlayerLayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });
        m_video = Path(QStringLiteral("count.y4m"));
        QVERIFY(TestMedia::WriteVideo(m_video, 6));
        QVERIFY(TestMedia::WriteSound(Path(QStringLiteral("tone.wav")), 3));
        QVERIFY(TestMedia::WriteVideo(Path(QStringLiteral("empty.y4m")), 0));
        QVERIFY(TestMedia::WriteSound(Path(QStringLiteral("empty.wav")), 0));
        QFile text(Path(QStringLiteral("notes.mp4")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("these are lesson notes, not a video\n").repeated(200));
    }

    void opensAndReportsTheFile()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.play(m_video);
        QVERIFY(player.isPlaying());
        QCOMPARE(player.mediaStatus(), plxav::LoadingMedia);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QCOMPARE(player.mediaStatus(), plxav::LoadedMedia);
        QVERIFY(qAbs(player.duration() - 6000) <= 200);
        QVERIFY(player.isSeekable());
        QCOMPARE(player.file(), m_video);
    }

    void seeksLandWhereAsked_data()
    {
        QTest::addColumn<qint64>("target");
        QTest::addColumn<bool>("beforeOpen");
        QTest::newRow("middle") << qint64(2500) << false;
        QTest::newRow("near the end") << qint64(5400) << false;
        QTest::newRow("back to the start") << qint64(0) << false;
        QTest::newRow("asked while the file opens") << qint64(3700) << true;
    }
    void seeksLandWhereAsked()
    {
        QFETCH(qint64, target);
        QFETCH(bool, beforeOpen);
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        QSignalSpy landed(&player, &plxav::AVPlayer::seekFinished);
        player.play(m_video);
        player.pause(true);
        if (beforeOpen) {
            player.seek(target);
            QCOMPARE(player.position(), target);
        }
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        if (!beforeOpen) {
            QTRY_VERIFY(player.position() < 1000);
            player.seek(target);
        }
        QTRY_COMPARE_WITH_TIMEOUT(landed.count(), 1, 15000);
        QVERIFY2(qAbs(landed.first().first().toLongLong() - target) <= 100,
            qPrintable(QString::number(landed.first().first().toLongLong())));
        QVERIFY(qAbs(player.position() - target) <= 100);
    }

    void badFilesEndCleanly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("invalid");
        QTest::newRow("missing") << QStringLiteral("absent.mp4") << true;
        QTest::newRow("not media") << QStringLiteral("notes.mp4") << true;
        QTest::newRow("no frame") << QStringLiteral("empty.y4m") << false;
        QTest::newRow("no sample") << QStringLiteral("empty.wav") << false;
    }
    void badFilesEndCleanly()
    {
        QFETCH(QString, name);
        QFETCH(bool, invalid);
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        QSignalSpy stopped(&player, &plxav::AVPlayer::stopped);
        QSignalSpy errors(&player, &plxav::AVPlayer::error);
        player.play(Path(name));
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 15000);
        if (invalid) {
            QCOMPARE(player.mediaStatus(), plxav::InvalidMedia);
            QCOMPARE(errors.count(), 1);
            QVERIFY(errors.first().first().value<plxav::AVError>().string().contains(name));
            QCOMPARE(started.count(), 0);
        }
        // Whatever became of it, every start has its stop.
        QTRY_COMPARE(stopped.count(), started.count());
        // The player is not stuck: the next file plays.
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(started.count() - stopped.count(), 1, 15000);
        QCOMPARE(player.file(), m_video);
    }

    // The core quotes the address it could not open; the key in its query
    // never reaches the log.
    void addressSecretsStayOutOfTheLog()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        LogCapture log;
        plxav::AVPlayer player;
        QSignalSpy errors(&player, &plxav::AVPlayer::error);
        player.play(QStringLiteral("http://127.0.0.1:%1/lesson.mp4?token=K3y5ecret").arg(port));
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 15000);
        const QString hidden = QStringLiteral("lesson.mp4?token=***");
        QTRY_VERIFY(log.Count(hidden) > 0);
        QCOMPARE(log.Count(QStringLiteral("K3y5ecret")), 0);
    }

    void seekPastTheEndEndsTheFile()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        QSignalSpy stopped(&player, &plxav::AVPlayer::stopped);
        player.play(m_video);
        int movedWhenStopped = 0;
        connect(&player, &plxav::AVPlayer::positionChanged, &player, [&] { movedWhenStopped += stopped.count(); });
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        player.seek(3600 * 1000);
        // A busy GUI thread takes the landing and the end together.
        QThread::msleep(500);
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 15000);
        // Nothing moves the window's time after its stop.
        QCOMPARE(movedWhenStopped, 0);
        QCOMPARE(player.mediaStatus(), plxav::EndOfMedia);
        QVERIFY(!player.isPlaying());
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 15000);
    }

    void aReplacedFileNeverStarts()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        QSignalSpy stopped(&player, &plxav::AVPlayer::stopped);
        player.play(m_video);
        player.play(Path(QStringLiteral("tone.wav")));
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QVERIFY(qAbs(player.duration() - 3000) <= 200);
        // The stopped sound plays to its end; nothing of the video follows.
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 15000);
        QTest::qWait(200);
        QCOMPARE(started.count(), 1);
    }

    // A file that waits for its renderer is not mistaken for the one it
    // replaced, whose start and end the core reports meanwhile.
    void aFileWaitingForItsRendererOpensOnceItCanDraw()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.play(m_video);
        // The core opens the video while the GUI thread is busy, so that its
        // reports are still unread when the next file is asked for.
        QDeadlineTimer busy(15000);
        while (player.core()->textProperty("duration").isEmpty() && !busy.hasExpired())
            QThread::yieldCurrentThread();
        // Never shown, this one never draws.
        plxav::OpenGLRenderer waiting(plxav::VideoRendererId_GLWidget2);
        player.setRenderer(&waiting);
        const QString sound = Path(QStringLiteral("tone.wav"));
        player.play(sound);
        // The reply to a request sent once the core is idle comes after its
        // reports of the video's start and end.
        QTRY_VERIFY_WITH_TIMEOUT(player.core()->flagProperty("idle-active"), 15000);
        bool answered = false;
        QCOMPARE(
            player.request({ QStringLiteral("ignore") }, [&answered](int, const QVariant&) { answered = true; }), 0);
        QTRY_VERIFY_WITH_TIMEOUT(answered, 15000);
        QCOMPARE(player.mediaStatus(), plxav::LoadingMedia);
        plxav::SoftwareRenderer drawing;
        drawing.resize(160, 120);
        player.setRenderer(&drawing);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QCOMPARE(player.file(), sound);
        QVERIFY(qAbs(player.duration() - 3000) <= 200);
    }

    void volumeIsAGain_data()
    {
        QTest::addColumn<qreal>("gain");
        QTest::newRow("silent") << 0.0;
        QTest::newRow("as recorded") << 1.0;
        QTest::newRow("four times") << 4.0;
    }
    void volumeIsAGain()
    {
        QFETCH(qreal, gain);
        plxav::AVPlayer player;
        QVERIFY(player.audio()->setVolume(gain));
        QVERIFY(qAbs(player.audio()->volume() - gain) < 0.001);
    }

    void soundPlaysOnWithoutASoundDevice()
    {
        // The only output writes into a folder that does not exist: a
        // machine whose sound device does not open.
        plxav::AVPlayer player;
        player.audio()->setBackends({ QStringLiteral("pcm") });
        QVERIFY(player.core()->setProperty("ao-pcm-file", Path(QStringLiteral("absent/sound.wav"))) >= 0);
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        QSignalSpy errors(&player, &plxav::AVPlayer::error);
        QSignalSpy moved(&player, &plxav::AVPlayer::positionChanged);
        player.play(Path(QStringLiteral("tone.wav")));
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!moved.isEmpty() && moved.last().first().toLongLong() >= 1000, 15000);
        QCOMPARE(errors.count(), 0);
    }

    void pausedTellsOnlyChanges()
    {
        // The core's first report of its flag, before any file, is no
        // resume: a window would show its pause sign over nothing playing.
        plxav::AVPlayer player;
        QSignalSpy paused(&player, &plxav::AVPlayer::paused);
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.play(m_video);
        player.pause(true);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QTRY_VERIFY(!paused.isEmpty() && paused.last().first().toBool());
        player.pause(false);
        QTRY_VERIFY(!paused.last().first().toBool());
        QCOMPARE(paused, (QList<QVariantList> { { true }, { false } }));
    }

    void softwareRendererDrawsTheFrames()
    {
        plxav::AVPlayer player;
        auto* renderer = new plxav::SoftwareRenderer();
        renderer->resize(320, 240);
        renderer->show();
        player.setRenderer(renderer);
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        // The frames are coloured, never black.
        QTRY_VERIFY_WITH_TIMEOUT(
            !renderer->currentFrame().isNull() && QColor(renderer->currentFrame().pixel(10, 10)).value() > 60, 15000);
        // The renderer may go first; the player plays on without it.
        delete renderer;
        QVERIFY(player.renderer() == nullptr);
        player.seek(1000);
        QTRY_VERIFY(player.isPlaying());
    }

    void filtersJoinAndLeaveTheChain()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        plxav::LibAVFilterVideo filter;
        QSignalSpy applied(&filter, &plxav::LibAVFilter::applied);
        filter.setEnabled(true);
        QVERIFY(player.installFilter(&filter));
        filter.setOptions(QStringLiteral("hflip,negate"));
        QTRY_VERIFY(filter.isApplied());
        QCOMPARE(player.core()->textProperty("vf").contains(QLatin1String("hflip,negate")), true);
        filter.setEnabled(false);
        QVERIFY(!filter.isApplied());
        QTRY_VERIFY(!player.core()->textProperty("vf").contains(QLatin1String("hflip")));
        applied.clear();
        filter.setEnabled(true);
        filter.setOptions(QStringLiteral("no_such_filter=1"));
        QTRY_COMPARE(applied.count(), 1);
        QCOMPARE(applied.first().first().toBool(), false);
        QVERIFY(!filter.isApplied());
        QVERIFY(player.isPlaying());
    }

    void aBadGraphSetBetweenFilesLeavesThePicture()
    {
        // The core would take any graph while no file is open and then
        // fail to show the next file's video at all.
        plxav::AVPlayer player;
        plxav::LibAVFilterVideo filter;
        QSignalSpy applied(&filter, &plxav::LibAVFilter::applied);
        filter.setOptions(QStringLiteral("no_such_filter=1"));
        QVERIFY(player.installFilter(&filter));
        auto renderer = std::make_unique<plxav::SoftwareRenderer>();
        renderer->resize(160, 120);
        renderer->show();
        player.setRenderer(renderer.get());
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(applied.count(), 1, 15000);
        QCOMPARE(applied.first().first().toBool(), false);
        QTRY_VERIFY_WITH_TIMEOUT(
            !renderer->currentFrame().isNull() && QColor(renderer->currentFrame().pixel(10, 10)).value() > 60, 15000);
        QVERIFY(player.isPlaying());
    }

    // The decoders' option tables become the core's options when a file
    // opens; where no hardware decoder is there, the file still plays.
    void decoderOptionsReachTheCore()
    {
        plxav::AVPlayer player;
        QSignalSpy started(&player, &plxav::AVPlayer::started);
        player.setPriority({ plxav::VideoDecoder::id("VAAPI"), plxav::VideoDecoder::id("FFmpeg") });
        player.setOptionsForVideoCodec({ { "FFmpeg", QVariantHash { { "threads", 2 }, { "skip_loop_filter", 48 } } },
            { "VAAPI", QVariantHash { { "copyMode", 1 } } }, { "flags2", "+showall" } });
        player.play(m_video);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 15000);
        QCOMPARE(player.core()->textProperty("hwdec"), QStringLiteral("vaapi-copy"));
        QCOMPARE(player.core()->intProperty("vd-lavc-threads"), 2);
        QCOMPARE(player.core()->textProperty("vd-lavc-skiploopfilter"), QStringLiteral("all"));
        QCOMPARE(player.core()->textProperty("vd-lavc-o"), QStringLiteral("flags2=+showall"));
    }
};

PLOVIX_TEST(TestPlayerLayer)
#include "tst_PlayerLayer.moc"
