#include "../app/MainWindowFixture.h"
#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/Config.h"
#include "room/MiddleArea.h"
#include "session/MediaInfo.h"

using namespace PlayerFixture;

// The player in its place: the class room's centre panel at the normal and
// at the smallest window size, a video over the course area and the sound
// bar under the page, for a person to look at.
class TestPlayerInRoom : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    QTemporaryDir m_dir;
    QString m_video;
    QString m_sound;

    // The media opened as the room opens it; the test's own file stands in
    // for the room's address, as there is no service here.
    AvPlayer* Open(const QString& id, int type, const QString& file, int seconds)
    {
        MediaInfo media;
        media.SetMediaId(id);
        media.SetMediaType(type);
        media.SetDuration(seconds);
        media.SetUrlPath(QStringLiteral("https://school.example/media/") + id);
        MiddleArea* middle = m_window->GetMiddleArea();
        middle->PlayerAdapte(&media);
        AvPlayer* window = middle->GetAvPlayer();
        window->setMediaFile(file);
        window->OnPlay();
        return WaitStarted(window) ? window : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });
        m_video = m_dir.filePath(QStringLiteral("lesson.y4m"));
        m_sound = m_dir.filePath(QStringLiteral("tone.wav"));
        QVERIFY(TestMedia::WriteVideo(m_video, 8, 10, QSize(320, 240)));
        QVERIFY(TestMedia::WriteSound(m_sound, 8));
        m_window = MainWindowFixture::BuildLoggedIn();
        MainWindowFixture::EnterRoom(m_window);
        SetRights(kTeacher, kAllRights);
        emit m_window->GetMiddleArea()->UserRoleGet(kTeacher);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanupTestCase() { delete m_window; }

    // Runs first: the player's store is made by the room's first window.
    void theRoomsMediaKeepsItsFileAndTiming()
    {
        AvPlayer* video = Open(QStringLiteral("MV"), MediaInfo::Video, m_video, 8);
        QVERIFY(video != nullptr);
        Config& store = Config::instance();
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(store.settingsFilePath(), folder + QStringLiteral("/Player.ini"));
        QCOMPARE(store.databaseFilePath(), folder + QStringLiteral("/Player.db"));
        store.save();
        QVERIFY(QFile::exists(folder + QStringLiteral("/Player.ini")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Player.db")));
        QCOMPARE(
            QDir(folder).entryList({ QStringLiteral("*.db"), QStringLiteral("*.ini") }, QDir::Files | QDir::Hidden),
            QStringList({ "Player.db", "Player.ini" }));

        // Another file, sound, speed or range would leave the room's media
        // while its play, pause and seek go on naming it.
        const QStringList off { "Open Url", "Speed", "Repeat", "Audio track/External" };
        const QStringList kept { "Clock", "Subtitle", "Channel", "Aspect ratio", "Color space", "Setup", "Help" };
        for (const QString& path : off)
            QVERIFY2(!MenuEntry(video, path)->isEnabled(), qPrintable(path));
        for (const QString& path : kept)
            QVERIFY2(MenuEntry(video, path)->isEnabled(), qPrintable(path));
        video->GetMenu()->popup(video->mapToGlobal(QPoint(40, 40)));
        QVERIFY(QTest::qWaitForWindowExposed(video->GetMenu()));
        QVERIFY(SaveScaledScreenshots(video->GetMenu(), QStringLiteral("player-room-menu")));
        video->GetMenu()->hide();
        // A window that shows no room media offers them all.
        AvPlayer own(nullptr, MediaInfo::Video);
        for (const QString& path : off + kept)
            QVERIFY2(MenuEntry(&own, path)->isEnabled(), qPrintable(path));
        m_window->GetMiddleArea()->OnDestroyAvPlayer();
    }

    void inTheClassRoom_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("normal") << QSize(1366, 768);
        QTest::newRow("smallest") << QSize(MainWindow::kNormalWidth, MainWindow::kNormalHeight);
    }
    void inTheClassRoom()
    {
        QFETCH(QSize, size);
        m_window->resize(size);
        m_window->GetMiddleArea()->SetupLayout(m_window);
        AvPlayer* video = Open(QStringLiteral("MV"), MediaInfo::Video, m_video, 8);
        QVERIFY(video != nullptr);
        video->GetLibPlayer()->pause(true);
        video->seek(3000, true);
        QTRY_VERIFY(ShowsSecond(video, 3));
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        QVERIFY(SaveScaledScreenshots(m_window, QStringLiteral("player-room-video-") + tag));
        AvPlayer* sound = Open(QStringLiteral("MA"), MediaInfo::Audio, m_sound, 8);
        QVERIFY(sound != nullptr);
        QCOMPARE(sound->height(), 45);
        QCOMPARE(sound->geometry().bottom(), m_window->GetMiddleArea()->GetCanvas()->parentWidget()->height() - 1);
        QVERIFY(SaveScaledScreenshots(m_window, QStringLiteral("player-room-sound-") + tag));
        m_window->GetMiddleArea()->OnDestroyAvPlayer();
    }
};

PLOVIX_TEST(TestPlayerInRoom)
#include "tst_PlayerInRoom.moc"
