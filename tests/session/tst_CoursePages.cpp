#include "JoinedRoom.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "app/AppPaths.h"
#include "app/DownloadElem.h"
#include "room/MiddleArea.h"
#include "session/CourseWareInfo.h"
#include "session/MsgType.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QDir>

// The course pages of room R100 (P1001, P1002 and the blank P1003, the
// teacher on P1002): listed, downloaded into the course cache folder,
// turned and deleted with the teacher (57) as a participant.
class TestCoursePages : public QObject
{
    Q_OBJECT

    JoinedRoom m_setup;
    DataManager* m_data = nullptr;
    Participant* m_teacher = nullptr;
    std::unique_ptr<TestSupport::HubTransfers> m_transfers;
    PresentationList m_pages;
    QtAvPlayerList m_media;
    MiddleArea m_middle;

    CourseWareInfo* Page(const QString& id) const { return m_data->GetCourseWareById(id); }
    QStringList Downloaded() const
    {
        QStringList keys;
        for (const TestSupport::TransferEvent& end : m_transfers->Of(DownloadCoursePage))
            keys << end.second;
        return keys;
    }
    void Push(int type, const QJsonObject& data, const QString& source = "57")
    {
        QVERIFY(m_setup.Push(type, data, source));
    }

private slots:
    void initTestCase()
    {
        m_transfers = std::make_unique<TestSupport::HubTransfers>();
        Nexus::SetPresentationList(&m_pages);
        Nexus::SetQtAvPlayerList(&m_media);
        Nexus::SetMiddleArea(&m_middle);
        QVERIFY(m_setup.Enter());
        m_data = m_setup.data;
        m_teacher = m_setup.teacher.get();
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void ListedAndDownloadedIntoTheirFolders()
    {
        const QString cache = DataManager::CourseCacheFolder();
        QCOMPARE(m_data->GetCourseWareList().size(), 3);
        QCOMPARE(Page("P1001")->GetHeadPath(), cache + "P1001/p1001.png");
        QCOMPARE(Page("P1003")->GetHeadPath(), cache + "blank.png");
        QCOMPARE(m_data->GetWhiteboardIdByPresentationId("P1002"), QString("W1002"));
        QCOMPARE(m_data->GetPresentationIdByWhiteboardId("W1003"), QString("P1003"));
        QCOMPARE(m_data->GetRoomFields().m_strCurrPresentationId, QString("P1002"));
        QTRY_COMPARE_WITH_TIMEOUT(Downloaded().size(), 2, 15000);
        QVERIFY(Downloaded().contains("P1001") && Downloaded().contains("P1002"));
        QVERIFY(QFileInfo(Page("P1002")->GetHeadPath()).isFile());
    }

    // The page shared at entry arrives before the page list is filled; the
    // class-room layout turns to it, showing its picture on its board.
    void SharedPageShownWhenTheRoomIsLaidOut()
    {
        PresentationList* pages = m_middle.GetPresentationList();
        Nexus::SetPresentationList(pages);
        Nexus::SetWhiteBoardWidget(m_middle.GetWhiteBoardWidget());
        Nexus::Instance()->OnCourseWareGet();
        // The room shares a paused video too, whose player the layout would
        // place over the page.
        m_middle.OnDestroyAvPlayer();
        QWidget window;
        window.resize(1366, 768);
        m_middle.SetupLayout(&window);
        m_middle.setParent(nullptr);
        Nexus::SetWhiteBoardWidget(nullptr);
        Nexus::SetPresentationList(&m_pages);
        QVERIFY(pages->GetFocusedItem() != nullptr);
        QCOMPARE(pages->GetFocusedItem()->GetImagePath(), Page("P1002")->GetHeadPath());
        QCOMPARE(m_middle.GetWhiteBoardWidget()->GetCurrWhiteboardId(), QString("W1002"));
    }

    void HostileIdsStayInTheCourseFolder()
    {
        const QString cache = DataManager::CourseCacheFolder();
        const QString course = m_setup.service.HttpsUrl("/static/course/").toString();
        QueuedLog added(&m_pages, &PresentationList::AddNewPage);
        QJsonArray pages;
        for (const CourseWareInfo* page : m_data->GetCourseWareList())
            pages.append(
                QJsonObject { { "presentationId", page->GetPresentationId() }, { "slide", page->GetUrlPath() } });
        pages.append(QJsonObject { { "presentationId", "../../.config/autostart" }, { "slide", course + "evil.png" } });
        pages.append(QJsonObject { { "presentationId", ".." }, { "slide", course + "dots.png" } });
        pages.append(QJsonObject { { "presentationId", 7 }, { "slide", course + "seven.png" } });
        pages.append("junk");
        pages.append(QJsonObject { { "presentationId", "P9" }, { "slide", course + ".." } });
        Push(MsgGetCourseWare, { { "presentations", pages } });
        QTRY_COMPARE(added.size(), 1);
        QCOMPARE(added.Firsts<CourseWareInfo*>().first(), Page("P9"));
        QCOMPARE(m_data->GetCourseWareList().size(), 6);
        QCOMPARE(Page("P9")->GetHeadPath(), QString());
        for (const QString id : { "../../.config/autostart", ".." }) {
            const QString folder = Page(id)->GetDownloadPath();
            QCOMPARE(QFileInfo(folder).absolutePath(), QDir(cache).absolutePath());
            QVERIFY(QFileInfo(folder).fileName().startsWith('~'));
        }
        QTRY_COMPARE_WITH_TIMEOUT(Downloaded().count("../../.config/autostart"), 1, 15000);
        QVERIFY(QFileInfo(Page("../../.config/autostart")->GetHeadPath()).isFile());
        QVERIFY(!QFileInfo::exists(cache + "../../.config/autostart"));
        QVERIFY(!Downloaded().contains("P9"));
    }

    void TurnsFollowTheTeacherAndCloseAPlayingMedia()
    {
        auto* row = new QtAvPlayerItem(&m_media);
        m_media.AppendItemWidget(row);
        m_media.SetLastFocusBuddy(row);
        row->SetPlayStatus(QtAvPlayerItem::StatusPlaying);
        QueuedLog turned(&m_pages, &PresentationList::RemoteTrunPage);
        QueuedLog closed(&m_middle, &MiddleArea::DestroyAvPlayer);
        QVERIFY(m_teacher->Send(MsgTrunPage, { { "presentationId", "P1001" } }));
        QTRY_COMPARE(closed.size(), 1);
        QCOMPARE(turned.Firsts<CourseWareInfo*>(), QList<CourseWareInfo*> { Page("P1001") });
        QCOMPARE(m_data->GetRoomFields().m_strCurrPresentationId, QString("P1001"));
        row->SetPlayStatus(QtAvPlayerItem::StatusPaused);
        QVERIFY(m_teacher->Send(MsgTrunPage, { { "presentationId", "P1002" } }));
        Push(MsgTrunPage, { { "presentationId", "P1003" } }, "58");
        QTRY_COMPARE(turned.size(), 2);
        QTest::qWait(200);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(m_data->GetRoomFields().m_strCurrPresentationId, QString("P1002"));
    }

    void DeletionsAndConversionProgress()
    {
        QueuedLog deleted(&m_pages, &PresentationList::DelCoursePage);
        QueuedLog progress(&m_pages, qOverload<qlonglong, qlonglong, QString>(&PresentationList::uploadProgress));
        QVERIFY(m_teacher->Send(MsgDelPage, { { "presentationId", "P1001" } }));
        emit m_data->LocalDelPage("P1002");
        QTRY_COMPARE(deleted.Firsts<QString>(), (QStringList { "P1001", "P1002" }));
        QCOMPARE(m_setup.room->Sent("58", MsgDelPage).first().value("data").toObject(),
            (QJsonObject { { "operatorId", "58" }, { "roomId", "R100" }, { "presentationId", "P1002" } }));
        QVERIFY(!Page("P1001") && !Page("P1002") && Page("P1003"));

        for (const QJsonValue& value : { QJsonValue(42), QJsonValue(42.5), QJsonValue("42") })
            Push(MsgCourseTransProgress, { { "presentationId", "U1" }, { "progress", value } });
        QTRY_COMPARE(progress.size(), 2);
        QCOMPARE(progress.calls.at(0), (QVariantList { 42, 100, "U1" }));
        QCOMPARE(progress.calls.at(1).at(0).toInt(), 0);
    }

    // A reconnection brings the room's list again: pages deleted while the
    // connection was lost leave the screen as at a deletion, pages the room
    // still has come back.
    void ListAfterAReconnectionIsTheRoomsList()
    {
        QVERIFY(m_setup.service.Reset() && m_teacher->Join()); // the three pages of R100 again
        QueuedLog deleted(&m_pages, &PresentationList::DelCoursePage);
        QCOMPARE(m_setup.room->Drop("58"), 1);
        QVERIFY(m_teacher->Send(MsgDelPage, { { "presentationId", "P1003" } }));
        QTRY_VERIFY_WITH_TIMEOUT(Page("P1001") && Page("P1002"), 15000);
        QTRY_VERIFY(!Page("P1003") && !Page("P9"));
        QCOMPARE(m_data->GetCourseWareList().size(), 2);
        QTRY_VERIFY(deleted.Firsts<QString>().contains("P1003"));
    }
};

PLOVIX_TEST(TestCoursePages)
#include "tst_CoursePages.moc"
