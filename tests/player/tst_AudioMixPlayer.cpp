#include "../rtc/RoomEngine.h"
#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/AudioMixPlayer.h"
#include "player/Slider.h"
#include "room/MiddleArea.h"
#include "session/MediaInfo.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

using namespace PlayerFixture;
namespace control = RtcEngineControl;

// The accompaniment bar of a teacher in a class room, mixing into the
// stand-in engine's channel: pause, resume, seek, volume, the end of the
// file, the folded bar, files that hold no sound, and the room's clean-up.
class TestAudioMixPlayer : public QObject
{
    Q_OBJECT

    RoomEngine m_room;
    QTemporaryDir m_dir;
    QString m_song; // 8 seconds
    QString m_short; // 2 seconds

    MiddleArea* Middle() const { return m_room.window->GetMiddleArea(); }
    AudioMixPlayer* Bar() const { return m_room.window->findChild<AudioMixPlayer*>(); }
    static int Calls(const QString& line) { return control::JournalOf(line).size(); }
    AudioMixPlayer* Open(const QString& path)
    {
        Middle()->AudioMixPlayerAdapte(path);
        return Bar();
    }
    // Opened, paused, with its length read.
    AudioMixPlayer* OpenPaused(const QString& path)
    {
        AudioMixPlayer* bar = Open(path);
        return bar != nullptr && !bar->IsPlaying()
                && QTest::qWaitFor([bar] { return bar->GetTimeSlider()->isEnabled(); }, 5000)
            ? bar
            : nullptr;
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_song = m_dir.filePath("song.wav");
        m_short = m_dir.filePath("short.wav");
        QVERIFY(TestMedia::WriteSound(m_song, 8));
        QVERIFY(TestMedia::WriteSound(m_short, 2));
        m_room.Start("app-1");
        QVERIFY(m_room.engine->JoinChannel("room-1", 57, "K"));
        SetRights(kTeacher, kAllRights);
        emit Middle()->UserRoleGet(kTeacher);
    }
    void cleanupTestCase() { m_room.Stop(); }
    void init() { control::ClearJournal(); }
    void cleanup() { Middle()->OnDestroyAudioMixPlayer(); }

    void playsPausesSeeksAndSetsTheVolume()
    {
        AudioMixPlayer* bar = OpenPaused(m_song);
        QVERIFY(bar);
        QCOMPARE(control::MixingPath(), m_song);
        QCOMPARE(control::JournalOf("setObject che.audio.start_file_as_playout").value(0),
            "setObject che.audio.start_file_as_playout {\"filePath\":\"" + m_song
                + "\",\"loopback\":false,\"replace\":false,\"cycle\":1,\"paused\":true}");
        QCOMPARE(Calls("setBool che.audio.pause_file_as_playout true"), 0);
        QCOMPARE(bar->GetTimeLabel()->text(), QString("00:00/00:08"));
        QVERIFY(bar->GetTimeSlider()->isEnabled());
        QCOMPARE(bar->GetTimeSlider()->maximum(), 8);
        QCOMPARE(bar->geometry(), QRect(0, bar->parentWidget()->height() - 45, bar->parentWidget()->width(), 45));
        QVERIFY(SaveScaledScreenshots(bar, "accompaniment-bar-paused"));

        Click(bar->GetPlayButton());
        QVERIFY(bar->IsPlaying());
        QCOMPARE(Calls("setBool che.audio.pause_file_as_playout false"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(bar->GetTimeSlider()->value() >= 1, 5000);
        QVERIFY(SaveScaledScreenshots(bar, "accompaniment-bar-playing"));
        QVERIFY(SaveScaledScreenshots(m_room.window, "accompaniment-room-playing"));

        // A drag moves the engine at every step.
        Slider* slider = bar->GetTimeSlider();
        slider->setSliderPosition(4);
        slider->setSliderDown(true);
        for (int second : { 5, 6 })
            slider->setSliderPosition(second);
        slider->setSliderDown(false);
        QCOMPARE(control::JournalOf("setInt che.audio.mixing.file.position"),
            QStringList({ "setInt che.audio.mixing.file.position 4000", "setInt che.audio.mixing.file.position 5000",
                "setInt che.audio.mixing.file.position 6000" }));
        QVERIFY(m_room.engine->GetAudioMixingCurrentPosition() >= 6000);
        QCOMPARE(bar->GetTimeLabel()->text(), QString("00:06/00:08"));

        bar->GetVolumeSlider()->setValue(40);
        QCOMPARE(control::JournalOf("setInt che.audio.set_file_as_playout_volume"),
            QStringList { "setInt che.audio.set_file_as_playout_volume 40" });
        Click(bar->GetPlayButton());
        QVERIFY(!bar->IsPlaying());
        QCOMPARE(Calls("setBool che.audio.pause_file_as_playout true"), 1);

        // The close button goes through the centre panel, which stops it.
        Click(bar->GetCloseButton());
        QTRY_VERIFY(Bar() == nullptr);
        QVERIFY(!control::IsMixing());
    }

    // The file waits at its start, unheard, until play is pressed: its
    // position does not move while the bar shows it paused.
    void nothingPlaysBeforeThePlayButton()
    {
        AudioMixPlayer* bar = Open(m_song);
        QVERIFY(bar);
        QVERIFY(!bar->IsPlaying());
        QCOMPARE(bar->GetPlayButton()->toolTip(), QString("播放伴奏"));
        QTRY_VERIFY_WITH_TIMEOUT(bar->GetTimeSlider()->isEnabled(), 5000);
        QTest::qWait(1000);
        QCOMPARE(m_room.engine->GetAudioMixingCurrentPosition(), 0);
        QCOMPARE(bar->GetTimeLabel()->text(), QString("00:00/00:08"));
        Click(bar->GetPlayButton());
        QVERIFY(bar->IsPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(m_room.engine->GetAudioMixingCurrentPosition() > 0, 5000);
    }

    void foldsIntoTheCornerAndBack()
    {
        AudioMixPlayer* bar = OpenPaused(m_song);
        QVERIFY(bar);
        QWidget* panel = bar->parentWidget();
        auto shape = [bar] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QList<QRect> parts { bar->geometry() };
            for (QWidget* part : bar->findChildren<QWidget*>())
                parts << (part->isVisibleTo(bar) ? part->geometry() : QRect());
            return parts;
        };
        const QList<QRect> expanded = shape();
        for (int round = 0; round < 2; ++round) {
            Click(bar->GetExpandButton());
            QCOMPARE(bar->GetBarMode(), int(AudioMixPlayer::Shrunk));
            QCOMPARE(bar->geometry(), QRect(panel->width() - 120, panel->height() - 45, 120, 45));
            QVERIFY(!bar->GetTimeSlider()->isVisible());
            QVERIFY(bar->GetTimeLabel()->isVisible());
            if (round == 0) {
                QVERIFY(SaveScaledScreenshots(bar, "accompaniment-bar-folded"));
                QVERIFY(SaveScaledScreenshots(m_room.window, "accompaniment-room-folded"));
            }
            QVERIFY2(TestSupport::CutButton(bar).isEmpty(), qPrintable(TestSupport::CutButton(bar)));
            Click(bar->GetExpandButton());
            QCOMPARE(bar->GetBarMode(), int(AudioMixPlayer::Expanded));
            QCOMPARE(shape(), expanded);
        }
        // A new window size moves the bar with its panel.
        Click(bar->GetExpandButton());
        m_room.window->resize(m_room.window->size() + QSize(200, 100));
        Middle()->SetupLayout(m_room.window);
        QTRY_COMPARE(bar->geometry(), QRect(panel->width() - 120, panel->height() - 45, 120, 45));
        m_room.window->resize(m_room.window->size() - QSize(200, 100));
        Middle()->SetupLayout(m_room.window);
    }

    // The room's media bar along the same edge stays in view under it.
    void standsOnTheRoomsMediaBar()
    {
        AudioMixPlayer* bar = OpenPaused(m_song);
        QVERIFY(bar);
        const QRect alone = bar->geometry();
        MediaInfo media;
        media.SetMediaId("MA");
        media.SetMediaType(MediaInfo::Audio);
        media.SetDuration(8);
        media.SetUrlPath("https://school.example/media/MA");
        Middle()->PlayerAdapte(&media);
        AvPlayer* window = Middle()->GetAvPlayer();
        QVERIFY(window);
        QTRY_COMPARE(bar->geometry(), alone.translated(0, -45));
        QCOMPARE(window->geometry().top(), alone.top());
        QVERIFY(SaveScaledScreenshots(m_room.window, "accompaniment-room-with-media-bar"));
        // Placed over it by someone else, the bar goes back; opened after
        // it, the bar stands on it too.
        bar->setGeometry(alone);
        QCOMPARE(bar->geometry(), alone.translated(0, -45));
        Middle()->OnDestroyAudioMixPlayer();
        bar = OpenPaused(m_song);
        QVERIFY(bar);
        QCOMPARE(bar->geometry(), alone.translated(0, -45));
        Middle()->OnDestroyAvPlayer();
        QTRY_COMPARE(bar->geometry(), alone);
    }

    void theEndStopsAndPlayStartsOver()
    {
        AudioMixPlayer* bar = OpenPaused(m_short);
        QVERIFY(bar);
        Click(bar->GetPlayButton());
        QTRY_VERIFY_WITH_TIMEOUT(Calls("setBool che.audio.stop_file_as_playout true") == 1, 10000);
        QVERIFY(!bar->IsPlaying());
        QCOMPARE(bar->GetTimeLabel()->text(), QString("00:00/00:02"));
        QCOMPARE(bar->GetTimeSlider()->value(), 0);
        Click(bar->GetPlayButton());
        QVERIFY(bar->IsPlaying());
        QCOMPARE(Calls("setObject che.audio.start_file_as_playout"), 2);
        QVERIFY(control::IsMixing());
    }

    // An engine error in place of the length leaves it unknown: the file is
    // not stopped for it, and the length is asked again.
    void anUnknownLengthIsAskedAgain()
    {
        AudioMixPlayer* bar = Open(m_song);
        QVERIFY(bar);
        control::FailNext("getInt", -3);
        QTRY_VERIFY(Calls("getInt che.audio.get_mixing_file_length_ms") >= 1);
        QCOMPARE(bar->GetTimeLabel()->text(), QString("00:00/--:--"));
        QVERIFY(!bar->GetTimeSlider()->isEnabled());
        Click(bar->GetPlayButton());
        QTRY_COMPARE_WITH_TIMEOUT(bar->GetDurationMs(), 8000, 5000);
        QVERIFY(bar->GetTimeSlider()->isEnabled());
        // Nor is a failed position read taken for one.
        const int ticks = Calls("getInt che.audio.get_mixing_file_played_ms");
        control::FailNext("getInt", -3);
        QTRY_VERIFY_WITH_TIMEOUT(Calls("getInt che.audio.get_mixing_file_played_ms") >= ticks + 2, 5000);
        QVERIFY(bar->IsPlaying());
        QVERIFY(!bar->GetTimeLabel()->text().startsWith('-'));
        QCOMPARE(Calls("setBool che.audio.stop_file_as_playout true"), 0);
    }

    void filesWithoutSoundAreReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "missing"
                                 << "找不到伴奏文件";
        QTest::newRow("not audio") << "text"
                                   << "不是音频文件";
        QTest::newRow("video without sound") << "video"
                                             << "不是音频文件";
        QTest::newRow("no length") << "silent"
                                   << "没有声音";
    }
    void filesWithoutSoundAreReported()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        const QString file = m_dir.filePath(kind + ".mp3");
        if (kind == "text")
            QVERIFY(TestSupport::WriteFile(file, QByteArray("la la la\n").repeated(100)));
        else if (kind == "video")
            QVERIFY(TestMedia::WriteVideo(file, 2));
        else if (kind == "silent")
            QVERIFY(TestMedia::WriteSound(file, 0));
        QVERIFY(Open(file) != nullptr);
        QTRY_VERIFY(Bar() == nullptr);
        QVERIFY(!control::IsMixing());
        const QList<QMessageBox*> boxes = m_room.window->findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first()->isVisible());
        QVERIFY(boxes.first()->text().contains(kind + ".mp3"));
        QVERIFY2(boxes.first()->text().contains(says), qPrintable(boxes.first()->text()));
        if (kind == "text")
            QVERIFY(SaveScaledScreenshots(boxes.first(), "accompaniment-not-audio"));
        boxes.first()->close();
        QTRY_VERIFY(m_room.window->findChildren<QMessageBox*>().isEmpty());
    }

    // Leaving the room takes the bar away before its delayed length read:
    // nothing reaches the engine afterwards.
    void cleanUpRemovesTheBar()
    {
        QVERIFY(Open(m_song) != nullptr);
        QVERIFY(control::IsMixing());
        Middle()->OnCleanUp();
        QVERIFY(Bar() == nullptr);
        QVERIFY(!control::IsMixing());
        control::ClearJournal();
        QTest::qWait(1500);
        const QStringList mixing = control::Journal().filter(QRegularExpression("playout|mixing"));
        QVERIFY2(mixing.isEmpty(), qPrintable(mixing.join('\n')));
    }
};

PLOVIX_TEST(TestAudioMixPlayer)
#include "tst_AudioMixPlayer.moc"
