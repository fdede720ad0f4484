#include "../session/RoomSetup.h"
#include "Participant.h"
#include "RoomScreens.h"
#include "TestMedia.h"
#include "TestRegistry.h"

#include "app/MainWindow.h"
#include "player/AudioMixPlayer.h"
#include "player/AvPlayer.h"
#include "player/av/AVPlayer.h"
#include "player/av/AudioOutput.h"
#include "room/LeftArea.h"
#include "room/MiddleArea.h"
#include "room/RightArea.h"
#include "session/MsgType.h"
#include "ui/chatArea/ChatWidget.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/QtAvPlayerItem.h"

#include <QLabel>
#include <QTabBar>
#include <QToolButton>

namespace {

// Teacher 57 or student 58 in room R100 of the local service, in the whole
// main window, entered by the window's own road from a course card; the
// other side is a participant of the service. R100 shares page P1002 and
// its video M2001, paused at 42 s.
class ClassRoom : public RoomSetup
{
public:
    MainWindow* window = nullptr; // deleted by the test: it ends the hub
    std::unique_ptr<Participant> other;

    MiddleArea* Middle() const { return window->GetMiddleArea(); }
    AvPlayer* Media() const { return Middle()->GetAvPlayer(); }
    QtAvPlayerItem* Row(const QString& id) const { return Middle()->GetQtAvPlayerList()->FindItem(id); }

    bool Enter(int uid)
    {
        plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });
        localUid = uid;
        if (!Start("1"))
            return false;
        profile->SetUserGuideCode(4, 1);
        profile->SetUserGuideCode(5, 1);
        profile->SetDeviceNoticeGiven(true);
        window = new MainWindow();
        window->RegisterToNexus();
        window->resize(1366, 768);
        other = std::make_unique<Participant>(service, uid == 57 ? "58" : "57", "R100");
        AddSession("S100", "R100", "100100");
        data->OnRoomEntry("S100");
        window->show();
        window->OnLoginProgress(8);
        return other->Join() && QTest::qWaitFor([this] { return Middle()->isVisible() && Row("M2002"); }, 20000);
    }

    // The room's video paused at seconds, its row saying so, over the whole
    // course area.
    bool VideoPausedAt(int seconds) const
    {
        const plxav::AVPlayer* player = Media() ? Media()->GetLibPlayer() : nullptr;
        return player != nullptr && player->isPaused() && qAbs(player->position() - seconds * 1000) <= 100
            && Row("M2001")->GetPlayStatus() == QtAvPlayerItem::StatusPaused
            && Media()->geometry() == Middle()->GetCourseArea()->rect();
    }

    // The panels tile the window at every size, scale and fold; pictures of
    // three sizes at x1 and x1.5.
    void LaidOutEverywhere(const QString& role)
    {
        double factor = *static_cast<double*>(QTest::qData("factor", qMetaTypeId<double>()));
        QString folder = *static_cast<QString*>(QTest::qData("folder", qMetaTypeId<QString>()));
        const QSize size = *static_cast<QSize*>(QTest::qData("size", qMetaTypeId<QSize>()));
        profile->SetScale(factor, folder);
        window->resize(size);
        for (int fold = 0; fold < 2; ++fold) {
            window->OnLayoutRefresh();
            const QRect left = window->GetLeftArea()->geometry();
            const QRect centre = Middle()->geometry();
            QCOMPARE(centre,
                QRect(left.right() + 1, 40, window->GetRightArea()->x() - left.right() - 1, size.height() - 80));
            QLabel* course = Middle()->GetCourseArea();
            QCOMPARE(course->geometry().right(), centre.width() - 1);
            QCOMPARE(course->x(),
                Middle()->GetListState() == MiddleArea::ListCollapsed ? 0 : (size.width() > 1366 ? 198 : 132));
            for (QWidget* inside : { Middle()->GetCanvas(), static_cast<QWidget*>(Middle()->GetPaletteWidget()) })
                QVERIFY(course->rect().contains(inside->geometry()));
            // The page fills the course area's width or its height, less the margins.
            const QSize page = Middle()->GetCanvas()->size();
            QVERIFY(qAbs(page.width() - course->width() + 35) <= 1 || qAbs(page.height() - course->height() + 34) <= 1);
            QCOMPARE(TestSupport::CutButton(Middle()), QString());
            const QString name = QStringLiteral("classroom-%1-%2x%3").arg(role).arg(size.width()).arg(size.height());
            if (size != QSize(1367, 800) && (factor == 1.0 || factor == 1.5))
                RoomScreens::SaveScaled(
                    window, name + (Middle()->GetListState() == 1 ? "-folded" : ""), factor, folder);
            window->GetLeftArea()->OnZoomInOutUsrArea();
            Middle()->OnZoomInOutPresentList();
        }
    }
};

void SizeAndScaleRows()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("folder");
    for (const QSize& size : { QSize(1000, 640), QSize(1366, 768), QSize(1367, 800), QSize(1920, 1080) }) {
        for (const double factor : { 1.0, 1.25, 1.5, 1.75 }) {
            const QString folder = QStringLiteral("x") + QString::number(factor);
            QTest::addRow("%dx%d %s", size.width(), size.height(), qPrintable(folder)) << size << factor << folder;
        }
    }
}

} // namespace

// The teacher's class room: the shared video, the page choice that closes
// it, the list's buttons and what leaving the room takes away.
class TestCentrePanelTeacher : public QObject
{
    Q_OBJECT

    ClassRoom m_room;

private slots:
    void initTestCase() { QVERIFY(m_room.Enter(57)); }
    void cleanupTestCase() { delete m_room.window; }

    void TheSharedVideoStaysOpenUntilAnotherPage()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_room.VideoPausedAt(42), 20000);
        // Its page's picture arriving under it is no choice of the teacher's.
        QTRY_VERIFY(static_cast<DPIWidget4RectPixmap*>(m_room.Middle()->GetCanvas())->HasPicture());
        QVERIFY(m_room.Media() && m_room.room->Sent("57", MsgCloseMedia).isEmpty());
        QTest::mouseClick(m_room.Middle()->GetPresentationList()->GetItems().first()->GetThumbnail(), Qt::LeftButton);
        QTRY_COMPARE(m_room.room->Sent("57", MsgCloseMedia).size(), 1);
        QVERIFY(!m_room.Media());
    }

    void ListButtonsLeadSomewhere()
    {
        MiddleArea* middle = m_room.Middle();
        QCOMPARE(middle->GetUploadButton()->geometry().bottom() + 6, middle->GetQtAvPlayerList()->y());
        const int pages = middle->GetPresentationList()->count();
        QTest::mouseClick(middle->GetAddBoardButton(), Qt::LeftButton);
        QTRY_COMPARE(middle->GetPresentationList()->count(), pages + 1);
        QTimer::singleShot(300, [] { QApplication::activeModalWidget()->close(); });
        QTest::mouseClick(middle->GetUploadButton(), Qt::LeftButton);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(middle->GetCourseArea(), &enter);
        QVERIFY(middle->GetSwitchButton()->isHidden());
    }

    void LaidOutEverywhere_data() { SizeAndScaleRows(); }
    void LaidOutEverywhere() { m_room.LaidOutEverywhere(QStringLiteral("teacher")); }

    // The accompaniment stands on a sound bar and the palette's tools
    // above both; leaving the room takes the bars away, and a play still
    // waiting then never comes.
    void LeavingTakesThePlayersAway()
    {
        MiddleArea* middle = m_room.Middle();
        QTemporaryDir dir;
        const QString song = dir.filePath("song.wav");
        QVERIFY(TestMedia::WriteSound(song, 8));
        middle->PlayerAdapte(m_room.data->GetMediaInfoById("M2002"), true);
        middle->AudioMixPlayerAdapte(song);
        AudioMixPlayer* bar = middle->GetAudioMixPlayer();
        QVERIFY(bar);
        QTRY_COMPARE(bar->geometry().bottom() + 1, middle->GetAvPlayer()->y());
        QCOMPARE(middle->GetPaletteWidget()->geometry().bottom() + 11, bar->y());
        TestSupport::MessageCapture log;
        emit middle->CleanUp();
        QTest::qWait(800);
        QVERIFY(!middle->GetAvPlayer() && !middle->GetAudioMixPlayer());
        QVERIFY(m_room.window->findChildren<AudioMixPlayer*>().isEmpty()
            && m_room.window->findChildren<AvPlayer*>().isEmpty());
        QCOMPARE(log.Count("into AvPlayer::OnPlay"), 0);
    }
};

// A student who comes in while the video is paused, follows the teacher's
// media and folds the page list.
class TestCentrePanelStudent : public QObject
{
    Q_OBJECT

    ClassRoom m_room;

private slots:
    void initTestCase() { QVERIFY(m_room.Enter(58)); }
    void cleanupTestCase() { delete m_room.window; }

    void NewcomerSeesTheVideoWhereTheRoomPausedIt()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_room.VideoPausedAt(42), 20000);
        QTRY_COMPARE(m_room.Media()->GetTimeLabel()->text(), QStringLiteral("00:42/03:00"));
        // The page under it arriving leaves it whole.
        QTRY_VERIFY(static_cast<DPIWidget4RectPixmap*>(m_room.Middle()->GetCanvas())->HasPicture());
        QVERIFY(m_room.VideoPausedAt(42));
        QTRY_VERIFY(m_room.Media()->grab().toImage().pixelColor(100, 100) != Qt::black);
        RoomScreens::SaveScaled(m_room.window, QStringLiteral("classroom-student-video"), 1.0, QStringLiteral("x1"));
    }

    void APageTurnClosingPlayingSoundForgetsIt()
    {
        QVERIFY(m_room.other->Send(MsgSwitchMedia, { { "mediaId", "M2002" } }));
        QVERIFY(m_room.other->Send(MsgAudioSeek, { { "mediaId", "M2002" }, { "seek", 5 }, { "state", "play" } }));
        QTRY_COMPARE(m_room.Row("M2002")->GetPlayStatus(), int(QtAvPlayerItem::StatusPlaying));
        QVERIFY(m_room.other->Send(MsgTrunPage, { { "presentationId", "P1001" } }));
        QTRY_VERIFY(!m_room.Media());
        QCOMPARE(m_room.data->GetRoomFields().m_strCurrMediaId, QString());
        // The list built again (the room's media hidden) opens nothing.
        QCOMPARE(m_room.room->Push("58",
                     R"({"type": 484, "source": "0", "dest": "58", "data": {"mediaStatus": "hidden", "medias": [)"
                     R"({"mediaId": "M2002", "type": "audio"}, {"mediaId": "M7", "type": "audio"}]}})"),
            1);
        QTRY_VERIFY(m_room.Row("M7"));
        QVERIFY(!m_room.Media());
    }

    void TheSwitchFoldsThePageList()
    {
        MiddleArea* middle = m_room.Middle();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(middle->GetCourseArea(), &enter);
        QTest::mouseClick(middle->GetSwitchButton(), Qt::LeftButton);
        QCOMPARE(middle->GetListState(), int(MiddleArea::ListShown));
        QVERIFY(middle->GetListArea()->isVisible() && middle->GetAddBoardButton()->isHidden());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(middle->GetCourseArea(), &leave);
        QVERIFY(middle->GetSwitchButton()->isHidden());
        middle->OnZoomInOutPresentList();
    }

    void LaidOutEverywhere_data() { SizeAndScaleRows(); }
    void LaidOutEverywhere() { m_room.LaidOutEverywhere(QStringLiteral("student")); }

    // Text sized by the screen's own dots per inch on top of the display
    // scale: the chat's tabs still fit the column, without scroll arrows.
    void ChatTabsFitTheNarrowestColumn()
    {
        QTabBar* tabs = m_room.window->GetRightArea()->GetChatWidget()->findChild<QTabBar*>();
        QFont large = QApplication::font();
        large.setPixelSize(24);
        QApplication::setFont(large);
        m_room.window->resize(1000, 640);
        m_room.Middle()->OnZoomInOutPresentList();
        for (const QToolButton* arrow : tabs->findChildren<QToolButton*>())
            QVERIFY(arrow->isHidden());
    }
};

PLOVIX_TEST(TestCentrePanelTeacher)
PLOVIX_TEST(TestCentrePanelStudent)
#include "tst_CentrePanel.moc"
