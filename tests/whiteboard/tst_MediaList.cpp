#include "ListsRoom.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "../room/RoomScreens.h"
#include "player/AvPlayer.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/DPIWidget4RectPixmap.h"

#include <QDateTime>
#include <QEnterEvent>
#include <QPushButton>

// Student 58 of room R100 follows the teacher 57, a participant on the
// service: page turns, the shared media's switches, seeks and closes, and
// deletions; the media messages of the room, bad ones too.
class TestListsForAStudent : public QObject
{
    Q_OBJECT

    ListsRoom m_room;

    bool Teacher(int type, const QJsonObject& data) { return m_room.other->Send(type, data); }
    AvPlayer* Player() { return m_room.middle.GetAvPlayer(); }
    QString Playing() { return Player() ? Player()->GetMediaId() : QString(); }
    QtAvPlayerItem* Row(const QString& id) { return m_room.Media()->FindItem(id); }
    QString FocusedStatus()
    {
        const QtAvPlayerItem* row = m_room.Media()->GetLastFocusBuddy();
        return row ? row->GetMediaId() + ":" + row->GetStatusText() : QString();
    }
    QJsonObject LastSent(int type)
    {
        return m_room.Sent(type).value(m_room.Sent(type).size() - 1).value("data").toObject();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_room.Enter(58));
        m_room.LayOut(QSize(132, 600));
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    // Someone who enters while a video is shared finds it open.
    void TheSharedMediaOpensAtEntry()
    {
        QCOMPARE(Playing(), QString("M2001"));
        QCOMPARE(m_room.Media()->GetLastFocusBuddy(), Row("M2001"));
        const MediaInfo* shared = m_room.data->GetMediaInfoById("M2001");
        QCOMPARE(shared->GetPlayState(), int(MediaInfo::Paused));
        QCOMPARE(shared->GetSeekPos(), 42);
        QCOMPARE(Row("M2002")->GetMediaType(), int(MediaInfo::Audio));
    }

    void PagesFollowTheTeacherAndTakeNoTurn()
    {
        QVERIFY(Teacher(MsgTrunPage, { { "presentationId", "P1001" } }));
        QTRY_COMPARE(m_room.Pages()->GetFocusedItem(), m_room.Page("P1001"));
        ListsRoom::Press(m_room.Page("P1003")->GetThumbnail());
        QCOMPARE(m_room.middle.GetWhiteBoardWidget()->GetCurrWhiteboardId(), QString("W1003"));
        QVERIFY(m_room.Page("P1001")->IsBadgeShown() && !m_room.Page("P1003")->IsBadgeShown());
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(m_room.Page("P1003"), &enter);
        QVERIFY(m_room.Page("P1003")->findChild<QPushButton*>("deleteButton")->isHidden());
        ListsRoom::Press(Row("M2002")->GetThumbnail());
        QTest::qWait(100);
        QVERIFY(m_room.Sent(MsgTrunPage).isEmpty() && m_room.Sent(MsgSwitchMedia).isEmpty());
        QCOMPARE(Playing(), QString("M2001"));
    }

    void TheMediaFollowsTheTeacher()
    {
        QVERIFY(Teacher(MsgSwitchMedia, { { "mediaId", "M2002" } }));
        QTRY_COMPARE(Playing(), QString("M2002"));
        QVERIFY(Teacher(MsgAudioSeek, { { "mediaId", "M2002" }, { "seek", 30 }, { "state", "pause" } }));
        QTRY_COMPARE(FocusedStatus(), QString("M2002:暂停中..."));
        // Another media's seek is not the focused one's; no state means play.
        QVERIFY(Teacher(MsgVideoSeek, { { "mediaId", "M2001" }, { "seek", 10 } }));
        QVERIFY(Teacher(MsgAudioSeek, { { "mediaId", "M2002" }, { "seek", 31 } }));
        QTRY_COMPARE(FocusedStatus(), QString("M2002:播放中..."));
        // A page turn closes a playing media.
        QVERIFY(Teacher(MsgTrunPage, { { "presentationId", "P1002" } }));
        QTRY_VERIFY(!Player() && !m_room.Media()->GetLastFocusBuddy());

        // A video a page shrank comes back whole at the student's click.
        QVERIFY(Teacher(MsgSwitchMedia, { { "mediaId", "M2001" } }));
        QTRY_COMPARE(Playing(), QString("M2001"));
        const QSize whole = Player()->size();
        Player()->setGeometry(10, 10, 40, 30);
        ListsRoom::Press(Row("M2001")->GetThumbnail());
        QCOMPARE(Player()->geometry(), QRect(QPoint(0, 0), whole));
        QVERIFY(Teacher(MsgCloseMedia, { { "mediaId", "M2001" }, { "mediaType", "video" } }));
        QTRY_VERIFY(!Player());
    }

    void DeletionsAndBadRecordsLoseNothingElse()
    {
        QVERIFY(Teacher(MsgSwitchMedia, { { "mediaId", "M2002" } }));
        QTRY_COMPARE(Playing(), QString("M2002"));
        QVERIFY(Teacher(MsgDelAudio, { { "mediaId", "M2002" } }));
        QTRY_VERIFY(!Row("M2002") && !Player());
        QCOMPARE(Row("M2001")->GetNumber(), 1);

        QVERIFY(Teacher(MsgSwitchMedia, { { "mediaId", "M2001" } }));
        QVERIFY(Teacher(MsgVideoSeek, { { "mediaId", "M2001" }, { "seek", 8 } }));
        QTRY_COMPARE(FocusedStatus(), QString("M2001:播放中..."));
        QueuedLog progress(m_room.Media(), qOverload<qlonglong, qlonglong, QString>(&QtAvPlayerList::uploadProgress));
        QueuedLog failed(m_room.Media(), &QtAvPlayerList::TransFailed);
        const QJsonArray medias { QJsonObject { { "mediaId", 7 }, { "type", "video" } }, "junk",
            QJsonObject { { "type", "audio" } }, QJsonObject { { "mediaId", "M2001" }, { "type", "audio" } },
            QJsonObject { { "mediaId", "M9" }, { "type", "text" }, { "duration", "60" } },
            QJsonObject { { "mediaId", "M10" }, { "type", "audio" }, { "duration", 12.5 } },
            QJsonObject { { "mediaId", "M10" }, { "type", "video" } } };
        QVERIFY(
            m_room.Push(MsgGetMediaList, QJsonObject { { "mediaShare", 5 }, { "seek", "9" }, { "medias", medias } }));
        QVERIFY(m_room.Push(MsgGetMediaList, QJsonObject { { "medias", "none" } }));
        QVERIFY(m_room.Push(MsgMediaTransProgress, QJsonObject { { "mediaId", "V1" }, { "progress", "15" } }));
        QVERIFY(m_room.Push(MsgMediaTransProgress2, QJsonObject { { "mediaId", "V1" }, { "progress", 15 } }));
        QVERIFY(m_room.Push(MsgMediaTransFail, QJsonObject { { "mediaId", 5 } }));
        QVERIFY(m_room.Push(MsgMediaTransFail2, QJsonObject { { "mediaId", "V1" } }));
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(progress.calls, (QList<QVariantList> { { 15, 100, "V1" } }));
        QTRY_COMPARE(m_room.Media()->count(), 3);
        // Built again around the new rows, the playing one keeps its state.
        QCOMPARE(FocusedStatus(), QString("M2001:播放中..."));
        QCOMPARE(Playing(), QString("M2001"));
        QCOMPARE(Row("M2001")->GetMediaType(), int(MediaInfo::Video));
        QCOMPARE(Row("M9")->GetMediaType(), int(MediaInfo::Other));
        QCOMPARE(m_room.data->GetMediaInfoById("M10")->GetDuration(), 0);
        QCOMPARE(m_room.data->GetMediaInfoById("M2001")->GetSeekPos(), 42);
    }

    // What the player and the rows send for someone with the whiteboard
    // right; the room keeps the shared state for who asks next.
    void TheTeachersActionsOnTheWire()
    {
        emit m_room.data->LocalSwitchMedia("M10");
        QVERIFY(m_room.InWorker([] {}));
        m_room.data->SetPermission(255);
        emit m_room.data->LocalSwitchMedia("M10");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        emit m_room.data->LocalMediaSeek("M10", 12, false);
        emit m_room.data->LocalMediaSeek("M2001", 3, true);
        emit m_room.data->LocalMediaSeek("unknown", 3, true);
        emit m_room.data->LocalDelMedia("M9", 0);
        QTRY_COMPARE(m_room.Sent(MsgDelVideo).size(), 1);
        QCOMPARE(m_room.Sent(MsgSwitchMedia).size(), 1);
        QCOMPARE(LastSent(MsgSwitchMedia).value("mediaId"), QJsonValue("M10"));
        QJsonObject seek = LastSent(MsgAudioSeek);
        QCOMPARE(seek.value("seek"), QJsonValue(12));
        QCOMPARE(seek.value("state"), QJsonValue("pause"));
        // The one timestamp in whole seconds.
        QVERIFY(qAbs(seek.value("timestamp").toDouble() - now) <= 5);
        QCOMPARE(LastSent(MsgVideoSeek).value("state"), QJsonValue("play"));
        QCOMPARE(m_room.Sent(MsgVideoSeek).size(), 1);
        QCOMPARE(LastSent(MsgDelVideo).value("mediaId"), QJsonValue("M9"));
        QTRY_VERIFY(!Row("M9"));
        QTRY_COMPARE(m_room.other->Inbox(MsgAudioSeek).size(), 1);
        QVERIFY(m_room.other->Send(MsgGetMediaList, {}, "57"));
        const QJsonObject listed = m_room.other->Inbox(MsgGetMediaList).last().value("data").toObject();
        QCOMPARE(listed.value("mediaShare"), QJsonValue("M2001"));
        QCOMPARE(listed.value("mediaStatus"), QJsonValue("play"));
        QCOMPARE(listed.value("seek"), QJsonValue(3));
        m_room.data->SetPermission(17);
    }

    // Playing and paused rows, the teacher's page and a page loading.
    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        if (!m_room.Page("SLOW")) {
            QVERIFY(m_room.service.Stall("/static/course/slow.png"));
            QVERIFY(m_room.AddPages({ { "SLOW", "/static/course/slow.png" } }));
            QVERIFY(Teacher(MsgSwitchMedia, { { "mediaId", "M2001" } }));
            QVERIFY(Teacher(MsgVideoSeek, { { "mediaId", "M2001" }, { "seek", 20 }, { "state", "play" } }));
            QTRY_COMPARE(FocusedStatus(), QString("M2001:播放中..."));
            QTRY_VERIFY(m_room.Page("SLOW"));
        }
        m_room.LayOut(QSize(132, 640));
        RoomScreens::SaveScaled(m_room.ListArea(), "lists-student", factor, folder);
        QVERIFY(Teacher(MsgVideoSeek, { { "mediaId", "M2001" }, { "seek", 20 }, { "state", "pause" } }));
        QTRY_COMPARE(FocusedStatus(), QString("M2001:暂停中..."));
        m_room.LayOut(QSize(198, 1000));
        RoomScreens::SaveScaled(m_room.ListArea(), "lists-student-wide", factor, folder);
    }
};

PLOVIX_TEST(TestListsForAStudent)
#include "tst_MediaList.moc"
