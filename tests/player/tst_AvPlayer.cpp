#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/QWidgetFullSrc.h"
#include "player/Slider.h"
#include "player/av/VideoRenderer.h"
#include "room/MiddleArea.h"
#include "session/MediaInfo.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <memory>

using namespace PlayerFixture;

// The player window: the bars of a controller and of everyone else, the
// announcements a controller's play, pause and seek make (and the remote
// ones that are never made), the end of the media, bad files, the time
// label, volume and full screen.
class TestAvPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;
    QString m_shortVideo;
    QString m_sound;
    std::unique_ptr<QWidget> m_panel;
    std::unique_ptr<QtAvPlayerList> m_list;
    QtAvPlayerItem* m_row = nullptr;
    AvPlayer* m_window = nullptr;

    // A window as the centre panel makes it, with the row it plays.
    AvPlayer* Open(int mediaType, const QString& file, int seconds)
    {
        m_window = new AvPlayer(m_panel.get(), mediaType);
        m_window->setMediaId(QStringLiteral("M1"));
        m_window->setDuration(seconds);
        m_window->setProperty("rendererId", plxav::VideoRendererId_Widget);
        m_window->setMediaFile(file);
        m_window->setGeometry(0, 0, m_panel->width(), mediaType == 2 ? m_panel->height() : 45);
        m_window->show();
        return m_window;
    }

    // The announcements as (id, seconds, playing) texts.
    static QStringList Announced(const QSignalSpy& spy)
    {
        QStringList texts;
        for (const QList<QVariant>& call : spy)
            texts << QStringLiteral("%1 %2 %3")
                         .arg(call.at(0).toString())
                         .arg(call.at(1).toInt())
                         .arg(call.at(2).toBool() ? "play" : "pause");
        return texts;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        StartHub();
        m_video = m_dir.filePath(QStringLiteral("lesson.y4m"));
        m_shortVideo = m_dir.filePath(QStringLiteral("short.y4m"));
        m_sound = m_dir.filePath(QStringLiteral("tone.wav"));
        QVERIFY(TestMedia::WriteVideo(m_video, 8, 10, QSize(320, 240)));
        QVERIFY(TestMedia::WriteVideo(m_shortVideo, 1));
        QVERIFY(TestMedia::WriteSound(m_sound, 4));
        m_panel = std::make_unique<QWidget>();
        m_panel->resize(640, 400);
        m_panel->show();
        m_list = std::make_unique<QtAvPlayerList>();
        Nexus::SetQtAvPlayerList(m_list.get());
    }
    void init()
    {
        m_row = new QtAvPlayerItem(m_list.get());
        m_row->SetMediaId(QStringLiteral("M1"));
        m_list->SetLastFocusBuddy(m_row);
        SetRights(kTeacher, kAllRights);
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        m_list->SetLastFocusBuddy(nullptr);
        delete m_row;
    }
    void cleanupTestCase()
    {
        Nexus::SetQtAvPlayerList(nullptr);
        m_list.reset();
        m_panel.reset();
    }

    void barsFollowTheRight_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("permission");
        QTest::addColumn<int>("mediaType");
        QTest::addColumn<bool>("controls");
        QTest::newRow("teacher, video") << kTeacher << kAllRights << 2 << true;
        QTest::newRow("teacher, sound") << kTeacher << kAllRights << 1 << true;
        QTest::newRow("teacher without the board") << kTeacher << 127 << 2 << false;
        QTest::newRow("student with the board") << kStudent << (kStudentRights | 128) << 2 << false;
        QTest::newRow("student, sound") << kStudent << kStudentRights << 1 << false;
    }
    void barsFollowTheRight()
    {
        QFETCH(int, role);
        QFETCH(int, permission);
        QFETCH(int, mediaType);
        QFETCH(bool, controls);
        SetRights(role, permission);
        AvPlayer* window = Open(mediaType, mediaType == 2 ? m_video : m_sound, 8);
        QCOMPARE(window->GetPlayButton() != nullptr, controls);
        QCOMPARE(window->GetCloseButton() != nullptr, controls && mediaType == 1);
        QCOMPARE(window->GetFullScreenButton() != nullptr, mediaType == 2);
        QVERIFY(!window->GetTimeSlider()->isEnabled());
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        QCOMPARE(window->GetTimeSlider()->isEnabled(), controls);
        QCOMPARE(window->GetTimeSlider()->maximum() / 1000, mediaType == 2 ? 8 : 4);
    }

    void playAndPauseAreAnnounced()
    {
        QSignalSpy announced(Nexus::GetDataManager(), &DataManager::LocalMediaSeek);
        AvPlayer* window = Open(2, m_video, 8);
        QTRY_VERIFY(window->IsReady());
        QTest::mouseClick(window->GetPlayButton(), Qt::LeftButton);
        QCOMPARE(Announced(announced), QStringList({ "M1 0 play" }));
        QCOMPARE(m_row->GetPlayStatus(), int(QtAvPlayerItem::StatusPlaying));
        QVERIFY(WaitStarted(window));
        QTRY_VERIFY(window->GetLibPlayer()->position() >= 1200);
        QTest::mouseClick(window->GetPlayButton(), Qt::LeftButton);
        QCOMPARE(announced.count(), 2);
        QVERIFY(window->GetLibPlayer()->isPaused());
        QCOMPARE(announced.last().at(2).toBool(), false);
        QVERIFY(announced.last().at(1).toInt() >= 1);
        QCOMPARE(m_row->GetPlayStatus(), int(QtAvPlayerItem::StatusPaused));
        // A student's pause announces nothing.
        SetRights(kStudent, kStudentRights);
        window->togglePlayPause();
        QCOMPARE(announced.count(), 2);
    }

    void aDragIsAnnouncedOnceAfterItEnds()
    {
        QSignalSpy announced(Nexus::GetDataManager(), &DataManager::LocalMediaSeek);
        AvPlayer* window = Open(2, m_video, 8);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        window->GetLibPlayer()->pause(true);
        for (int value : { 1000, 2000, 3000, 4000, 5200 })
            emit window->GetTimeSlider()->sliderMoved(value);
        QCOMPARE(announced.count(), 0);
        // Pressing the slider where the last seek went seeks nothing more.
        window->GetTimeSlider()->setValue(5200);
        emit window->GetTimeSlider()->sliderPressed();
        QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 1, 3000);
        // The landed position, and the play state last announced (none yet).
        QCOMPARE(Announced(announced), QStringList({ "M1 5 pause" }));
        QTest::qWait(700);
        QCOMPARE(announced.count(), 1);
        QVERIFY(qAbs(window->GetLibPlayer()->position() - 5200) <= 100);
    }

    void remoteSeeksAreNeverAnnounced()
    {
        QSignalSpy announced(Nexus::GetDataManager(), &DataManager::LocalMediaSeek);
        AvPlayer* window = Open(2, m_video, 8);
        QTRY_VERIFY(window->IsReady());
        window->OnPaused();
        window->seek(3000, true);
        window->OnPlay();
        window->seek(4000, true);
        QVERIFY(WaitStarted(window));
        QTRY_VERIFY(window->GetLibPlayer()->position() >= 4000);
        QVERIFY(!window->GetLibPlayer()->isPaused());
        QTest::qWait(700);
        QCOMPARE(announced.count(), 0);
    }

    // The room's pause and seek reach a window that is late to draw (a busy
    // GUI thread, as on a loaded machine): the core, tired of waiting, takes
    // the frame the seek landed on as drawn; it is drawn all the same.
    void aSeekEndsOnItsPictureWhenDrawingIsLate()
    {
        AvPlayer* window = Open(2, m_video, 8);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        for (const int second : { 3, 6, 2 }) {
            window->OnPaused();
            window->seek(second * 1000, true);
            QThread::msleep(1500);
            QTRY_VERIFY_WITH_TIMEOUT(ShowsSecond(window, second), 5000);
        }
    }

    void aRemoteSeekInsideADelayLeavesWithTheRemotePosition()
    {
        QSignalSpy announced(Nexus::GetDataManager(), &DataManager::LocalMediaSeek);
        AvPlayer* window = Open(2, m_video, 8);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        window->GetLibPlayer()->pause(true);
        window->seek(2000);
        window->seek(6000, true);
        QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 1, 3000);
        QCOMPARE(announced.first().at(1).toInt(), 6);
    }

    void whatArrivesWithTheWindowIsKept()
    {
        // The window and the controller's play and seek come in one burst,
        // before the library player exists.
        AvPlayer* window = Open(2, m_video, 8);
        QVERIFY(!window->IsReady());
        window->OnPlay();
        window->seek(5000, true);
        QVERIFY(WaitStarted(window));
        QTRY_VERIFY(window->GetLibPlayer()->position() >= 5000);
    }

    void theEndResetsTheBar()
    {
        QSignalSpy announced(Nexus::GetDataManager(), &DataManager::LocalMediaSeek);
        AvPlayer* window = Open(2, m_shortVideo, 1);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        QTRY_VERIFY_WITH_TIMEOUT(!window->GetLibPlayer()->isPlaying(), 10000);
        QVERIFY(!window->GetTimeSlider()->isEnabled());
        QCOMPARE(window->GetTimeSlider()->maximum(), 0);
        QCOMPARE(window->GetTimeLabel()->text(), QStringLiteral("00:00/00:01"));
        QCOMPARE(announced.count(), 0);
        // And it plays again.
        window->OnPlay();
        QVERIFY(WaitStarted(window));
    }

    void timeLabels_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<bool>("hours");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << qint64(0) << false << "00:00";
        QTest::newRow("minutes") << qint64(754999) << false << "12:34";
        QTest::newRow("past an hour in minutes") << qint64(4500000) << false << "75:00";
        QTest::newRow("hours") << qint64(4500000) << true << "1:15:00";
        QTest::newRow("start of a long media") << qint64(0) << true << "0:00:00";
        QTest::newRow("negative") << qint64(-5000) << false << "00:00";
    }
    void timeLabels()
    {
        QFETCH(qint64, ms);
        QFETCH(bool, hours);
        QFETCH(QString, text);
        QCOMPARE(AvPlayer::FormatTime(ms, hours), text);
    }

    void aLongMediaShowsItsHours()
    {
        AvPlayer* window = Open(1, m_sound, 75 * 60);
        QCOMPARE(window->GetTimeLabel()->text(), QStringLiteral("0:00:00/1:15:00"));
    }

    void badFilesSayWhyAndLeaveThePlayerUsable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("absent.y4m");
        QTest::newRow("not media") << QStringLiteral("notes.mp4");
    }
    void badFilesSayWhyAndLeaveThePlayerUsable()
    {
        QFETCH(QString, name);
        TestSupport::WriteFile(
            m_dir.filePath(QStringLiteral("notes.mp4")), QByteArray("no video here\n").repeated(100));
        AvPlayer* window = Open(2, m_dir.filePath(name), 8);
        window->OnPlay();
        QTRY_VERIFY_WITH_TIMEOUT(!window->findChildren<QMessageBox*>().isEmpty(), 15000);
        QMessageBox* box = window->findChildren<QMessageBox*>().first();
        QCOMPARE(box->windowTitle(), QStringLiteral("Player error"));
        QVERIFY(box->text().contains(name));
        QTRY_VERIFY(window->windowTitle().startsWith(QStringLiteral("Invalid meida")));
        window->setMediaFile(m_video);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
    }

    void anUnusableRendererIsSaidAtOnce()
    {
        m_window = new AvPlayer(m_panel.get(), 2);
        m_window->setProperty("rendererId", plxav::VideoRendererId_Direct2D);
        QTRY_VERIFY(m_window->IsReady());
        const QList<QMessageBox*> boxes = m_window->findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->windowTitle(), QStringLiteral("QtAV"));
        QVERIFY(m_window->GetRenderer() == nullptr);
        // No picture, but the sound and the bar still work.
        m_window->setMediaFile(m_video);
        m_window->OnPlay();
        QVERIFY(WaitStarted(m_window));
        m_window->playFullScreen();
        m_window->playFullScreen();
    }

    void roomAddresses_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("web") << "http://school.example/m/1.mp4" << true;
        QTest::newRow("secure web") << "https://school.example/m/1.mp4?token=1" << true;
        QTest::newRow("stream") << "rtmp://live.example/class/1" << true;
        QTest::newRow("local file") << "file:///etc/passwd" << false;
        QTest::newRow("plain path") << "/home/user/secret.mp4" << false;
        QTest::newRow("camera") << "av://v4l2:/dev/video0" << false;
        QTest::newRow("edit list") << "edl://a.mp4,0,5" << false;
        QTest::newRow("no host") << "http:///a.mp4" << false;
        QTest::newRow("empty") << "" << false;
    }
    void roomAddresses()
    {
        QFETCH(QString, url);
        QFETCH(bool, allowed);
        QCOMPARE(AvPlayer::IsRoomMediaUrl(url), allowed);
    }

    void theCentrePanelOpensOnlyRoomAddresses_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("kept");
        QTest::newRow("web") << "https://school.example/m/1.y4m" << true;
        QTest::newRow("local file") << "file://" + m_video << false;
        QTest::newRow("plain path") << m_video << false;
    }
    void theCentrePanelOpensOnlyRoomAddresses()
    {
        QFETCH(QString, url);
        QFETCH(bool, kept);
        const QString program = QCoreApplication::applicationName();
        MiddleArea middle;
        MediaInfo media;
        media.SetMediaId(QStringLiteral("MX"));
        media.SetMediaType(MediaInfo::Video);
        media.SetUrlPath(url);
        middle.PlayerAdapte(&media, true);
        AvPlayer* window = middle.GetAvPlayer();
        QVERIFY(window != nullptr);
        QCOMPARE(window->GetFile().isEmpty(), !kept);
        // The data folder and the log stay under the program's own name.
        QCOMPARE(QCoreApplication::applicationName(), program);
        if (!kept) {
            QTest::qWait(800);
            QVERIFY(!window->GetLibPlayer()->isPlaying());
        }
    }

    void volumeSliderSetsTheGain_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("gain");
        QTest::newRow("off") << 0 << 0.0;
        QTest::newRow("as recorded") << 25 << 1.0;
        QTest::newRow("loudest") << 100 << 4.0;
    }
    void volumeSliderSetsTheGain()
    {
        QFETCH(int, value);
        QFETCH(double, gain);
        AvPlayer* window = Open(1, m_sound, 4);
        QTRY_VERIFY(window->IsReady());
        window->GetVolumeSlider()->setValue(value);
        QVERIFY(qAbs(window->GetLibPlayer()->audio()->volume() - gain) < 0.01);
        window->syncVolumeUi(2.0);
        QCOMPARE(window->GetVolumeSlider()->value(), 50);
    }

    void fullScreenAndBack()
    {
        SetRights(kStudent, kStudentRights);
        AvPlayer* window = Open(2, m_video, 8);
        window->OnPlay();
        QVERIFY(WaitStarted(window));
        window->GetLibPlayer()->pause(true);
        window->seek(2000, true);
        QTRY_VERIFY(window->GetTimeLabel()->text().startsWith(QStringLiteral("00:02")));
        QTRY_VERIFY(ShowsSecond(window, 2));
        QVERIFY(::SaveScaledScreenshots(window, QStringLiteral("player-video-paused")));
        QTest::mouseClick(window->GetFullScreenButton(), Qt::LeftButton);
        QWidget* full = window->GetFullScreenWindow();
        QVERIFY(full != nullptr);
        QCOMPARE(window->parentWidget(), full);
        QVERIFY2(full->isFullScreen(),
            qPrintable(
                QString::number(int(full->windowState())) + " " + QString::number(int(full->windowFlags()), 16)));
        QTRY_COMPARE(window->size(), full->size());
        QTRY_VERIFY(ShowsSecond(window, 2));
        QVERIFY(::SaveScaledScreenshots(window, QStringLiteral("player-video-fullscreen")));
        QTest::keyClick(full, Qt::Key_Escape);
        QVERIFY(window->GetFullScreenWindow() == nullptr);
        QCOMPARE(window->parentWidget(), m_panel.get());
        QCOMPARE(window->size(), m_panel->size());
        QVERIFY(window->isVisible());
        // Escape outside full screen changes nothing.
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(window->parentWidget(), m_panel.get());
    }

    void deletedInFullScreenLeavesNoWindowBehind()
    {
        AvPlayer* window = Open(2, m_video, 8);
        QTRY_VERIFY(window->IsReady());
        window->playFullScreen();
        QVERIFY(window->GetFullScreenWindow() != nullptr);
        window->setParent(nullptr);
        delete m_window;
        m_window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(qobject_cast<QWidgetFullSrc*>(top) == nullptr);
    }

    void screenshotsOfThePlayingBars()
    {
        AvPlayer* video = Open(2, m_video, 8);
        video->OnPlay();
        QVERIFY(WaitStarted(video));
        QTRY_VERIFY(video->GetLibPlayer()->position() >= 1500);
        video->GetLibPlayer()->pause(true);
        QTRY_VERIFY(ShowsSecond(video, static_cast<int>(video->GetLibPlayer()->position() / 1000)));
        video->GetLibPlayer()->pause(false);
        QTRY_VERIFY(video->GetPlayButton()->styleSheet().contains(QLatin1String("x1/play.png")));
        QVERIFY(::SaveScaledScreenshots(video, QStringLiteral("player-video-playing")));
        delete m_window;
        AvPlayer* sound = Open(1, m_sound, 4);
        sound->OnPlay();
        QVERIFY(WaitStarted(sound));
        QTRY_VERIFY(sound->GetLibPlayer()->position() >= 1000);
        QVERIFY(::SaveScaledScreenshots(sound, QStringLiteral("player-audio-playing")));
    }
};

PLOVIX_TEST(TestAvPlayer)
#include "tst_AvPlayer.moc"
