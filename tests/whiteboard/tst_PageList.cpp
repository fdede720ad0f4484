#include "ListsRoom.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "../room/RoomScreens.h"
#include "app/DownldManager.h"
#include "room/NotifyType.h"
#include "session/MsgType.h"
#include "whiteboard/CourseRow.h"
#include "whiteboard/CourseUpload.h"
#include "whiteboard/WhiteBoardWidget.h"
#include "widgets/DPIWidget4RectPixmap.h"
#include "widgets/RoundProgressBar.h"

#include <QBuffer>
#include <QEnterEvent>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

// The teacher (57) of room R100 with the page and media lists, and student
// 59 on the other side: turns, deletions and uploads for the whole room.
class TestPageList : public QObject
{
    Q_OBJECT

    ListsRoom m_room;
    QTemporaryDir m_files;

    QString File(const QString& name, const QByteArray& content)
    {
        TestSupport::WriteFile(m_files.filePath(name), content);
        return name;
    }
    QByteArray Png()
    {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(QColor("#5b8def"));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        image.save(&buffer, "PNG");
        return bytes;
    }
    // Uploads the files through the dialog; the notices it raised.
    QList<int> Upload(const QStringList& names)
    {
        QSignalSpy notices(&m_room.middle, &MiddleArea::ShowMsgNotifyWidget);
        ListsRoom::ChooseFiles(m_files.path(), names);
        m_room.Pages()->UploadCourse();
        QList<int> raised;
        for (const QList<QVariant>& notice : notices) {
            if (!RoomNotices::FromDeviceWatcher(notice.first().toInt()))
                raised << notice.first().toInt();
        }
        return raised;
    }
    bool Conversion(const QJsonObject& settings)
    {
        return !m_room.service.ControlCall("POST", "/_control/conversion", settings).isEmpty();
    }
    // The pages the room lists for the student, as it asks for them.
    int ListedForTheStudent()
    {
        if (!m_room.other->Send(MsgGetCourseWare, {}, "59"))
            return -1;
        const QJsonObject answer = m_room.other->Inbox(MsgGetCourseWare).last();
        return answer.value("data").toObject().value("presentations").toArray().size();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_room.Enter(57));
        QTRY_VERIFY(CourseRow::IsBoardTeacher());
        m_room.LayOut(QSize(132, 600));
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void FilledNumberedAndShown()
    {
        QCOMPARE(m_room.PageIds(), (QStringList { "P1001", "P1002", "P1003" }));
        QCOMPARE(m_room.Page("P1003")->GetNumber(), 3);
        QCOMPARE(m_room.Pages()->GetFocusedItem(), m_room.Page("P1002"));
        QVERIFY(m_room.Page("P1002")->IsBadgeShown());
        QCOMPARE(m_room.Page("P1003")->GetThumbnail()->GetPixmapPath(), QString(":/resource/courselist/blank.png"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_room.Page("P1001")->IsLoading() && !m_room.Page("P1002")->IsLoading(), 15000);
        QVERIFY(m_room.Page("P1001")->GetThumbnail()->HasPicture());
    }

    void TheTeacherTurnsThePageForTheRoom()
    {
        ListsRoom::Press(m_room.Page("P1001")->GetThumbnail());
        QCOMPARE(m_room.Pages()->GetFocusedItem(), m_room.Page("P1001"));
        QVERIFY(!m_room.Page("P1002")->IsBadgeShown());
        QCOMPARE(m_room.middle.GetWhiteBoardWidget()->GetCurrWhiteboardId(), QString("W1001"));
        QTRY_COMPARE(m_room.other->Inbox(MsgTrunPage).size(), 1);
        QCOMPARE(m_room.other->Inbox(MsgTrunPage).last().value("data").toObject().value("presentationId"),
            QJsonValue("P1001"));
        // The page already shown sends nothing.
        ListsRoom::Press(m_room.Page("P1001")->GetThumbnail());
        ListsRoom::Press(m_room.Page("P1002")->GetThumbnail());
        QTRY_COMPARE(m_room.other->Inbox(MsgTrunPage).size(), 2);
    }

    // The room echoes the deletion to its sender, whose row is gone already.
    void DeletedOnBothSides()
    {
        PresentationItem* blank = m_room.Page("P1003");
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(blank, &enter);
        auto* button = blank->findChild<QPushButton*>("deleteButton");
        QVERIFY(button->isVisible());
        QCoreApplication::sendEvent(blank, &enter);
        button->click();
        QCOMPARE(m_room.PageIds(), (QStringList { "P1001", "P1002" }));
        QTRY_COMPARE(m_room.other->Inbox(MsgDelPage).size(), 1);
        QTRY_VERIFY(!m_room.data->GetCourseWareById("P1003"));
        QCOMPARE(m_room.Sent(MsgDelPage).size(), 1);
        QCOMPARE(ListedForTheStudent(), 2);
    }

    void UploadsBecomePagesAndMediaOnBothSides()
    {
        QVERIFY(Conversion({ { "step_ms", 400 } }));
        File("lesson.pdf", "%PDF-1.4\n<< /Type /Pages >>\n<< /Type /Page >>\n<< /Type /Page >>\n%%EOF\n");
        File("photo\\1.png", Png());
        File("song.mp3", QByteArray(4096, 'm'));
        const QList<int> notices = Upload({ "lesson.pdf", "photo\\1.png", "song.mp3" });
        QCOMPARE(
            notices, (QList<int> { NotifyUploadRunning, NotifyUploadDone, NotifyUploadRunning, NotifyUploadDone }));
        // One form per converter, the files first, then the room and user.
        const QJsonArray pages = m_room.service.Requests("/api/upload/presentations").last()["parts"].toArray();
        QStringList parts;
        for (const QJsonValue& part : pages)
            parts << part["name"].toString() + ":" + part["content_type"].toString();
        QCOMPARE(parts, (QStringList { "file:application/pdf", "file:image/png", "roomId:", "userId:" }));
        QCOMPARE(pages[1]["disposition"].toString(), QString("form-data; name=\"file\"; filename=\"photo\\\\1.png\""));
        QCOMPARE(CourseUpload::QuotedFileName("a\"b\r\n.png"), QString("a\\\"b__.png"));
        QCOMPARE(pages[3]["text"].toString(), QString("57"));
        const QJsonArray audio = m_room.service.Requests("/api/upload/audio").last()["parts"].toArray();
        QCOMPARE(audio[0]["content_type"].toString(), QString("audio/m4a"));

        QCOMPARE(m_room.PageIds().mid(2), (QStringList { "U1", "U2" }));
        QVERIFY(m_room.Page("U1")->IsUploadPlaceholder() && m_room.Page("U1")->GetGauge()->isVisible());
        QPointer<RoundProgressBar> pageGauge = m_room.Page("U1")->GetGauge();
        QPointer<RoundProgressBar> mediaGauge = m_room.Media()->FindItem("A3")->GetGauge();
        // 25 % shows 30 on a page, 25 on a media row.
        QTRY_COMPARE(pageGauge->value(), 30.0);
        QTRY_COMPARE(mediaGauge->value(), 25.0);
        QTRY_VERIFY(!pageGauge || pageGauge->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(m_room.PageIds(), (QStringList { "P1001", "P1002", "U1", "U1-2", "U2" }), 15000);
        QTRY_VERIFY(!m_room.Media()->FindItem("A3")->IsUploadPlaceholder());
        QCOMPARE(m_room.Media()->FindItem("A3")->GetMediaType(), int(MediaInfo::Audio));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Page("U2")->GetThumbnail()->HasPicture(), 15000);
        // The student's side heard the conversion and finds the new pages.
        QVERIFY(m_room.other->Inbox(MsgCourseTransProgress).size() >= 8);
        QCOMPARE(ListedForTheStudent(), 5);
        QVERIFY(Conversion({ { "step_ms", 20 } }));
    }

    void FailedUploadsSaySoAndLeaveNoRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QList<int>>("notices");
        const QList<int> refused { NotifyUploadRunning, NotifyUploadFailed };
        QTest::newRow("empty file") << "empty.png" << QByteArray() << "" << QList<int> { NotifyUploadFailed };
        QTest::newRow("not a PDF") << "fake.pdf" << QByteArray("<html>") << "" << refused;
        QTest::newRow("server error") << "ok.png" << Png() << "status" << refused;
        QTest::newRow("conversion fails") << "talk.mp4" << QByteArray(2048, 'v') << "conversion"
                                          << QList<int> { NotifyUploadRunning, NotifyUploadDone, NotifyUploadFailed };
    }
    void FailedUploadsSaySoAndLeaveNoRow()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, failure);
        QFETCH(QList<int>, notices);
        const QStringList pages = m_room.PageIds();
        const int media = m_room.Media()->count();
        if (failure == "status")
            QVERIFY(m_room.service.Status("/api/upload/presentations", 500, 1));
        if (failure == "conversion")
            QVERIFY(Conversion({ { "fail", 1 } }));
        RoomNotices raised(&m_room.middle);
        const QList<int> first = Upload({ File(name, content) });
        QTRY_COMPARE(raised.size(), notices.size());
        QCOMPARE(first, notices.mid(0, first.size()));
        QCOMPARE(raised.Firsts<int>().last(), notices.last());
        QCOMPARE(m_room.PageIds(), pages);
        QTRY_COMPARE(m_room.Media()->count(), media);
        QVERIFY(!m_room.Pages()->IsUploading());
    }

    // The wait for the answer handles user input: a second click uploads
    // nothing more, and an answer after the room was left makes no row;
    // the kinds still to go are not posted for a room that was left.
    void AnAnswerAfterLeavingMakesNoRow()
    {
        const int asked = m_room.service.RequestCount("/api/upload/presentations");
        const int askedAudio = m_room.service.RequestCount("/api/upload/audio");
        QVERIFY(m_room.service.Delay("/api/upload/presentations", 1500, 1));
        // Once the upload is under way (a loaded machine takes its time
        // over the file dialog): the button again, and the room left.
        auto* leave = new QTimer(m_room.Pages());
        connect(leave, &QTimer::timeout, m_room.Pages(), [this, leave] {
            if (!m_room.Pages()->IsUploading())
                return;
            leave->deleteLater();
            m_room.Pages()->UploadCourse();
            emit m_room.middle.CleanUp();
        });
        leave->start(20);
        Upload({ File("ok.png", Png()), File("song.mp3", QByteArray(4096, 'm')) });
        QCOMPARE(m_room.service.RequestCount("/api/upload/presentations"), asked + 1);
        QCOMPARE(m_room.service.RequestCount("/api/upload/audio"), askedAudio);
        QVERIFY(!m_room.Pages()->IsUploading());
        QCOMPARE(m_room.Pages()->count() + m_room.Media()->count(), 0);
        QCOMPARE(m_room.Pages()->GetUploadPhase(), 0);
        Nexus::Instance()->OnCourseWareGet();
        Nexus::Instance()->OnMeidaListGet();
        m_room.LayOut(QSize(132, 600));
        QVERIFY(m_room.Page("P1001") && m_room.Media()->count() > 0);
    }

    // Bad input: pictures that never come, or come and are no pictures.
    void PicturesThatNeverArriveOrAreNone()
    {
        Nexus::GetDownldManager()->SetTimeOuts(1500, 0);
        QVERIFY(m_room.service.Stall("/static/course/late.png"));
        QVERIFY(m_room.AddPages({ { "LATE", "/static/course/late.png" }, { "JUNK", "/blob/300/junk.png" } }));
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Page("JUNK") && m_room.Page("JUNK")->IsFailed(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Page("LATE")->IsFailed(), 30000);
        auto* refresh = m_room.Page("LATE")->findChild<QPushButton*>("refreshButton");
        QVERIFY(!refresh->isHidden());
        QVERIFY(m_room.service.ClearRule("/static/course/late.png"));
        refresh->click();
        QVERIFY(m_room.Page("LATE")->IsLoading() && refresh->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(
            m_room.Page("LATE")->GetThumbnail()->HasPicture() && !m_room.Page("LATE")->IsFailed(), 15000);
        // A picture that comes after the layout fills its own row.
        QVERIFY(m_room.RowsInPlace());
        // Fetched once, then asked for again up to the retry limit.
        QCOMPARE(m_room.service.RequestCount("/blob/300/junk.png"), 4);
        Nexus::GetDownldManager()->SetTimeOuts(0, 0);
    }

    // Pages shown, the teacher's page, a page loading, a failed one and
    // uploads converting.
    void Screenshots_data() { RoomScreens::ScaleRows(); }
    void Screenshots()
    {
        double factor = 1;
        QString folder;
        RoomScreens::UseRowScale(factor, folder);
        if (m_room.Page("SLOW") == nullptr) {
            QVERIFY(m_room.service.Stall("/static/course/slow.png"));
            QVERIFY(Conversion({ { "step_ms", 600000 } }));
            Upload({ File("board.png", Png()), File("intro.mp4", QByteArray(1024, 'v')) });
            QVERIFY(m_room.AddPages({ { "SLOW", "/static/course/slow.png" } }));
            QTRY_VERIFY(m_room.Page("SLOW"));
            // Rebuilt around the uploads, a failed page stays failed.
            QVERIFY(m_room.Page("JUNK")->IsFailed());
            emit m_room.Pages()->uploadProgress(40, 100, m_room.PageIds().last());
            // An upload still converting is no page to turn to.
            const QString board = m_room.middle.GetWhiteBoardWidget()->GetCurrWhiteboardId();
            ListsRoom::Press(m_room.Page(m_room.PageIds().last())->GetThumbnail());
            QCOMPARE(m_room.middle.GetWhiteBoardWidget()->GetCurrWhiteboardId(), board);
            QCOMPARE(m_room.other->Inbox(MsgTrunPage).size(), 2);
            emit m_room.Media()->uploadProgress(65, 100, m_room.Media()->GetItems().last()->GetMediaId());
        }
        for (const QSize& area : { QSize(132, 560), QSize(198, 1000) }) {
            const QString size = area.width() == 132 ? "" : "-wide";
            m_room.LayOut(area);
            m_room.Pages()->doItemsLayout();
            m_room.Pages()->scrollToTop();
            RoomScreens::SaveScaled(m_room.ListArea(), "lists-teacher-top" + size, factor, folder);
            const int failed = m_room.PageIds().indexOf("JUNK");
            m_room.Pages()->scrollToItem(m_room.Pages()->item(failed), QAbstractItemView::PositionAtTop);
            RoomScreens::SaveScaled(m_room.ListArea(), "lists-teacher-failed" + size, factor, folder);
            m_room.Pages()->scrollToBottom();
            RoomScreens::SaveScaled(m_room.ListArea(), "lists-teacher-bottom" + size, factor, folder);
        }
    }

    // Bad input: hundreds of pages, with uploads still converting.
    void FiveHundredPagesLoseNone()
    {
        const QStringList before = m_room.PageIds();
        QList<QPair<QString, QString>> pages;
        for (int i = 0; i < 500; ++i)
            pages.append({ QString("N%1").arg(i), QString("/static/course/n%1.png").arg(i) });
        QVERIFY(m_room.AddPages(pages));
        QTRY_COMPARE(m_room.Pages()->count(), before.size() + 500);
        for (const QString& id : before)
            QVERIFY2(m_room.Page(id), qPrintable(id));
        QCOMPARE(m_room.Page("N499")->GetNumber(), m_room.Page("N0")->GetNumber() + 499);
        m_room.Pages()->scrollToBottom();
        QTRY_VERIFY_WITH_TIMEOUT(m_room.Page("N499")->GetThumbnail()->HasPicture(), 60000);
    }
};

PLOVIX_TEST(TestPageList)
#include "tst_PageList.moc"
