#include "../session/JoinedRoom.h"
#include "PlayerFixture.h"
#include "TestRegistry.h"

#include "player/Slider.h"
#include "room/MiddleArea.h"
#include "session/MediaInfo.h"
#include "session/MsgType.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QJsonArray>
#include <QPushButton>

namespace {

// The centre panel in a window, registered with the hub as the class room
// registers it.
class RoomCentre
{
public:
    // The window first: the panel goes into it and must go before it.
    QWidget window;
    MiddleArea middle;

    void Register()
    {
        plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });
        Nexus::Instance();
        Nexus::SetMiddleArea(&middle);
        Nexus::SetQtAvPlayerList(middle.GetQtAvPlayerList());
        Nexus::SetPresentationList(middle.GetPresentationList());
    }
    void LayOut()
    {
        window.resize(1366, 768);
        middle.SetupLayout(&window);
        window.show();
    }
    AvPlayer* Player() const { return middle.GetAvPlayer(); }
    bool PlayerOf(const QString& mediaId) const { return Player() != nullptr && Player()->GetMediaId() == mediaId; }
    QtAvPlayerItem* Row() { return middle.GetQtAvPlayerList()->GetLastFocusBuddy(); }
};

QJsonObject SeekData(const QString& mediaId, int seconds, const QString& state)
{
    return { { "mediaId", mediaId }, { "seek", seconds }, { "state", state }, { "roomId", "R100" } };
}

} // namespace

// A student (58) whose player follows the teacher's (57) switch, play,
// pause and seek on the local service; nothing of it goes back.
class TestStudentFollows : public QObject
{
    Q_OBJECT

    JoinedRoom m_setup;
    RoomCentre m_room;
    Participant* m_teacher = nullptr;

    int Echoes() const
    {
        return m_setup.room->Sent(QStringLiteral("58"), MsgVideoSeek).size()
            + m_setup.room->Sent(QStringLiteral("58"), MsgAudioSeek).size();
    }

    // The room's list, as a participant entering now gets it: media alone,
    // shared in status at seconds.
    bool ListShares(const QJsonObject& media, const QString& status, int seconds) const
    {
        return m_setup.Push(MsgGetMediaList,
            QJsonObject { { "mediaShare", media.value("mediaId") }, { "mediaStatus", status }, { "seek", seconds },
                { "medias", QJsonArray { media } } },
            "58");
    }

private slots:
    void initTestCase()
    {
        m_room.Register();
        QVERIFY(m_setup.Enter());
        m_teacher = m_setup.teacher.get();
        m_room.LayOut();
        // The room shares its paused video: the window is there, not playing.
        QTRY_VERIFY_WITH_TIMEOUT(m_room.PlayerOf(QStringLiteral("M2001")), 15000);
        QVERIFY(!m_room.Player()->GetPlayButton());
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void followsTheTeacher_data()
    {
        QTest::addColumn<QString>("mediaId");
        QTest::addColumn<int>("type");
        // Sound reports its position behind the output's buffer while paused.
        QTest::addColumn<int>("toleranceMs");
        QTest::newRow("sound") << QStringLiteral("M2002") << int(MsgAudioSeek) << 250;
        QTest::newRow("video") << QStringLiteral("M2001") << int(MsgVideoSeek) << 100;
    }
    void followsTheTeacher()
    {
        QFETCH(QString, mediaId);
        QFETCH(int, type);
        QFETCH(int, toleranceMs);
        QVERIFY(m_teacher->Send(MsgSwitchMedia, { { "mediaId", mediaId }, { "roomId", "R100" } }));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.PlayerOf(mediaId), 10000);
        QVERIFY(m_teacher->Send(type, SeekData(mediaId, 30, "play")));
        QVERIFY(PlayerFixture::WaitStarted(m_room.Player()));
        plxav::AVPlayer* player = m_room.Player()->GetLibPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 30000 && !player->isPaused(), 10000);
        QCOMPARE(m_room.Row()->GetPlayStatus(), int(QtAvPlayerItem::StatusPlaying));
        QVERIFY(m_teacher->Send(type, SeekData(mediaId, 40, "pause")));
        QTRY_VERIFY_WITH_TIMEOUT(player->isPaused() && qAbs(player->position() - 40000) <= toleranceMs, 10000);
        QTRY_COMPARE(m_room.Row()->GetPlayStatus(), int(QtAvPlayerItem::StatusPaused));
        QTRY_VERIFY(m_room.Player()->GetTimeLabel()->text().startsWith(QStringLiteral("00:")));
        // The student's class room: the lists beside the paused media.
        QVERIFY(
            SaveScaledScreenshots(&m_room.window, QStringLiteral("player-lists-student-") + QTest::currentDataTag()));
        // Nothing leaves, not even after the announcement delay.
        QTest::qWait(700);
        QCOMPARE(Echoes(), 0);
    }

    void strayMessagesChangeNothing_data()
    {
        QTest::addColumn<QJsonObject>("data");
        QTest::newRow("unknown media") << SeekData(QStringLiteral("M9999"), 5, "play");
        QTest::newRow("another media") << SeekData(QStringLiteral("M2002"), 5, "play");
        QTest::newRow("no media") << QJsonObject { { "seek", 5 }, { "state", "play" } };
        QTest::newRow("own message") << SeekData(QStringLiteral("M2001"), 5, "play");
    }
    void strayMessagesChangeNothing()
    {
        QFETCH(QJsonObject, data);
        QTRY_VERIFY(m_room.PlayerOf(QStringLiteral("M2001")));
        plxav::AVPlayer* player = m_room.Player()->GetLibPlayer();
        QVERIFY(m_teacher->Send(MsgVideoSeek, SeekData(QStringLiteral("M2001"), 12, "pause")));
        QTRY_VERIFY_WITH_TIMEOUT(player->isPaused() && qAbs(player->position() - 12000) <= 100, 10000);
        const QString source
            = QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("own message") ? "58" : "57";
        QVERIFY(m_setup.Push(MsgVideoSeek, data, source));
        // A marker the student does follow, sent after the stray one.
        QVERIFY(m_teacher->Send(MsgVideoSeek, SeekData(QStringLiteral("M2001"), 14, "pause")));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - 14000) <= 100, 10000);
        QVERIFY(player->isPaused());
    }

    void hostileNumbersAndTheEnd()
    {
        QTRY_VERIFY(m_room.PlayerOf(QStringLiteral("M2001")));
        AvPlayer* window = m_room.Player();
        for (const QJsonValue& seek : { QJsonValue(-30), QJsonValue(1e12), QJsonValue("ten"), QJsonValue(2.5) }) {
            const QJsonObject data { { "mediaId", "M2001" }, { "seek", seek }, { "state", "pause" } };
            QVERIFY(m_setup.Push(MsgVideoSeek, data));
        }
        QTRY_VERIFY_WITH_TIMEOUT(window->GetLibPlayer()->isLoaded() && window->GetLibPlayer()->position() == 0, 10000);
        // A seek past the end ends the media; the next play starts it again.
        QVERIFY(m_teacher->Send(MsgVideoSeek, SeekData(QStringLiteral("M2001"), 100000, "play")));
        QTRY_VERIFY_WITH_TIMEOUT(!window->GetLibPlayer()->isPlaying(), 10000);
        QTRY_COMPARE(window->GetTimeLabel()->text(), QStringLiteral("00:00/03:00"));
        QVERIFY(m_teacher->Send(MsgVideoSeek, SeekData(QStringLiteral("M2001"), 20, "play")));
        QTRY_VERIFY_WITH_TIMEOUT(
            window->GetLibPlayer()->isLoaded() && window->GetLibPlayer()->position() >= 20000, 10000);
    }

    void theTeachersCloseTakesTheWindowAway()
    {
        QTRY_VERIFY(m_room.PlayerOf(QStringLiteral("M2001")));
        QVERIFY(m_teacher->Send(MsgCloseMedia, { { "mediaId", "M2001" }, { "mediaType", "video" } }));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Player() == nullptr, 10000);
        QVERIFY(m_room.Row() == nullptr);
    }

    void aLateComerStartsWhereTheRoomIs()
    {
        // A sound playing at 20 s.
        const QJsonObject sound { { "type", "audio" }, { "mediaId", "M3003" }, { "duration", 60 },
            { "url", m_setup.service.HttpsUrl("/media/late.wav").toString() + "?seconds=60" } };
        QVERIFY(ListShares(sound, "play", 20));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.PlayerOf(QStringLiteral("M3003")), 10000);
        QVERIFY(PlayerFixture::WaitStarted(m_room.Player()));
        plxav::AVPlayer* player = m_room.Player()->GetLibPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 20000 && !player->isPaused(), 10000);
    }

    // A newcomer's window opens the media where the room paused it only
    // after a delay; the teacher's play and seek arriving meanwhile are
    // newer, and the opening must not take the player back after them.
    void theTeachersWordOutlivesTheNewcomersOpening()
    {
        QVERIFY(m_teacher->Send(MsgCloseMedia, { { "mediaId", "M3003" }, { "mediaType", "audio" } }));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Player() == nullptr, 10000);
        const QJsonObject video { { "type", "video" }, { "mediaId", "M3004" }, { "duration", 180 },
            { "url", m_setup.service.HttpUrl("/media/m2001.y4m").toString() + "?seconds=180&fps=5" } };
        QVERIFY(ListShares(video, "pause", 42));
        QVERIFY(m_setup.Push(MsgVideoSeek, SeekData(QStringLiteral("M3004"), 1, "play")));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.PlayerOf(QStringLiteral("M3004")), 10000);
        QVERIFY(PlayerFixture::WaitStarted(m_room.Player()));
        plxav::AVPlayer* player = m_room.Player()->GetLibPlayer();
        // Played on from the teacher's second, well past the delay.
        QTRY_VERIFY_WITH_TIMEOUT(!player->isPaused() && player->position() >= 2500, 10000);
        QVERIFY(player->position() < 42000);
        QVERIFY(m_setup.Push(MsgVideoSeek, SeekData(QStringLiteral("M3004"), 73, "pause")));
        QTRY_VERIFY_WITH_TIMEOUT(player->isPaused() && qAbs(player->position() - 73000) <= 100, 10000);
        QTRY_COMPARE(m_room.Player()->GetTimeLabel()->text(), QStringLiteral("01:13/03:00"));
    }
};

// The teacher (57, the local user) opens the room's media and plays,
// pauses and drags; the student (58) receives each announcement once, and
// a seek from the room is followed without one.
class TestTeacherAnnounces : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    RoomCentre m_room;
    std::unique_ptr<Participant> m_student;

    QList<QJsonObject> Received(int type) const { return m_student->Inbox(type); }
    int Announced(int type) const { return m_setup.room->Sent(QStringLiteral("57"), type).size(); }

private slots:
    void initTestCase()
    {
        m_room.Register();
        QVERIFY(m_setup.Start("1"));
        m_setup.data->SetUserId(57);
        m_student = std::make_unique<Participant>(m_setup.service, "58", "R100");
        QVERIFY(m_student->Join());
        m_setup.AddSession("S100", "R100", "100100");
        m_setup.data->OnRoomEntry("S100");
        emit m_setup.data->EnterRoom();
        QVERIFY(QTest::qWaitFor([] { return Nexus::GetDataPrepPhase() == 3; }, 15000));
        QTRY_VERIFY_WITH_TIMEOUT(AvPlayer::CanControlMedia(), 10000);
        m_room.LayOut();
        QTRY_VERIFY_WITH_TIMEOUT(m_room.PlayerOf(QStringLiteral("M2001")), 15000);
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void playPauseAndDragReachTheStudentOnce()
    {
        // The teacher clicks the media rows: the one playing stays as it
        // is; another one switches the room and opens in the window.
        QtAvPlayerList* list = m_room.middle.GetQtAvPlayerList();
        QCOMPARE(m_room.Row(), list->FindItem(QStringLiteral("M2001")));
        const AvPlayer* shared = m_room.Player();
        QTest::mousePress(m_room.Row()->GetThumbnail(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_room.Player(), shared);
        QtAvPlayerItem* soundRow = list->FindItem(QStringLiteral("M2002"));
        QVERIFY(soundRow != nullptr);
        QTest::mousePress(soundRow->GetThumbnail(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(m_room.PlayerOf(QStringLiteral("M2002")));
        QCOMPARE(m_room.Row(), soundRow);
        AvPlayer* window = m_room.Player();
        QCOMPARE(window->GetMediaType(), int(MediaInfo::Audio));
        QTRY_VERIFY(window->IsReady());
        QTRY_COMPARE_WITH_TIMEOUT(Received(MsgSwitchMedia).size(), 1, 10000);
        QCOMPARE(Received(MsgSwitchMedia).last().value("data").toObject().value("mediaId").toString(),
            QStringLiteral("M2002"));

        QTest::mouseClick(window->GetPlayButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Received(MsgAudioSeek).size(), 1, 10000);
        QJsonObject data = Received(MsgAudioSeek).last().value("data").toObject();
        QCOMPARE(data.value("state").toString(), QStringLiteral("play"));
        QCOMPARE(data.value("seek").toInt(), 0);
        QCOMPARE(data.value("mediaId").toString(), QStringLiteral("M2002"));
        QVERIFY(PlayerFixture::WaitStarted(window));
        QTRY_VERIFY(window->GetLibPlayer()->position() >= 2000);
        QVERIFY(SaveScaledScreenshots(&m_room.window, QStringLiteral("player-lists-teacher-sound")));

        QTest::mouseClick(window->GetPlayButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Received(MsgAudioSeek).size(), 2, 10000);
        data = Received(MsgAudioSeek).last().value("data").toObject();
        QCOMPARE(data.value("state").toString(), QStringLiteral("pause"));
        QVERIFY(data.value("seek").toInt() >= 2);

        for (int ms : { 10000, 20000, 30000 })
            emit window->GetTimeSlider()->sliderMoved(ms);
        QTRY_COMPARE_WITH_TIMEOUT(Received(MsgAudioSeek).size(), 3, 10000);
        data = Received(MsgAudioSeek).last().value("data").toObject();
        QCOMPARE(data.value("seek").toInt(), 30);
        QCOMPARE(data.value("state").toString(), QStringLiteral("pause"));
        QTest::qWait(700);
        QCOMPARE(Received(MsgAudioSeek).size(), 3);
    }

    void aSeekFromTheRoomIsFollowedNotAnnounced()
    {
        QTRY_VERIFY(m_room.PlayerOf(QStringLiteral("M2002")));
        plxav::AVPlayer* player = m_room.Player()->GetLibPlayer();
        const int before = Announced(MsgAudioSeek);
        QVERIFY(m_student->Send(MsgAudioSeek, SeekData(QStringLiteral("M2002"), 50, "play")));
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 50000 && !player->isPaused(), 10000);
        QTest::qWait(700);
        QCOMPARE(Announced(MsgAudioSeek), before);
    }

    void theCloseButtonClosesForTheRoom()
    {
        QTRY_VERIFY(m_room.PlayerOf(QStringLiteral("M2002")));
        QTest::mouseClick(m_room.Player()->GetCloseButton(), Qt::LeftButton);
        QVERIFY(m_room.Player() == nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(Received(MsgCloseMedia).size(), 1, 10000);
        QCOMPARE(Received(MsgCloseMedia).last().value("data").toObject().value("mediaType").toString(),
            QStringLiteral("audio"));
    }
};

PLOVIX_TEST(TestStudentFollows)
PLOVIX_TEST(TestTeacherAnnounces)
#include "tst_SyncedPlay.moc"
