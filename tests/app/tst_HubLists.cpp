#include "LogCapture.h"
#include "MainWindowFixture.h"
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/AppPaths.h"
#include "app/DownldManager.h"
#include "entry/CourseCards.h"
#include "entry/HisSchoolItem.h"
#include "entry/HisSchoolList.h"
#include "entry/SchoolEntryWidget.h"
#include "entry/SchoolItem.h"
#include "entry/SchoolList.h"
#include "room/MiddleArea.h"
#include "room/UserList.h"
#include "session/CourseWareInfo.h"
#include "session/DataManager.h"
#include "session/MediaInfo.h"
#include "session/SchoolInfo.h"
#include "session/UserInfo.h"
#include "whiteboard/PresentationItem.h"
#include "whiteboard/PresentationList.h"
#include "whiteboard/QtAvPlayerItem.h"
#include "whiteboard/QtAvPlayerList.h"

#include <QSignalSpy>
#include <QtTest>

// The hub's list builders and transfer routing with the whole main window,
// fed by the real workers from the service.
class TestHubLists : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    SchoolEntryWidget* m_page = nullptr;
    DataManager* m_data = nullptr;

    // Empties a list of teacher 57 in school 1 and asks for it again, as a
    // school change does, and waits until the hub has had its announcement.
    void Fetch(bool history)
    {
        TestSupport::QueuedSpy announced(
            Nexus::Instance(), history ? &Nexus::HistorySchoolListGet : &Nexus::SchoolListGet);
        QVERIFY(TestSupport::RunIn(
            m_data, [this, history] { history ? m_data->OnSchoolChanged4His("1") : m_data->OnSchoolChanged("1"); }));
        QTRY_COMPARE(announced.count(), 1);
    }
    void LoadPast(int count)
    {
        QVERIFY(m_service.LoadSchool(
            SchoolFixture::WithSessions(SchoolFixture::Demo(), SchoolFixture::Series("H", count, -1))));
        m_page->SetSchoolListType(SchoolEntryWidget::ListHistory);
        Fetch(true);
    }
    QStringList HistoryCards() const
    {
        QStringList ids;
        for (HisSchoolItem* card : Nexus::GetHisSchoolList()->GetItems())
            ids << card->GetSessionId();
        return ids;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        qputenv("PLOVIX_PICTURE_HOST", m_service.HttpBase().toUtf8());
        m_window = MainWindowFixture::BuildLoggedIn();
        m_page = m_window->GetSchoolEntryWidget();
        // The login asked for a school road; it runs (and fails) once the
        // threads start, before the service's properties are read.
        TestSupport::QueuedSpy loginRoad(m_page, &SchoolEntryWidget::RequestFinished);
        Profile* profile = Nexus::GetProfile();
        profile->StartThreads();
        QTRY_COMPARE(loginRoad.count(), 1);
        QVERIFY(SchoolFixture::UseServiceProperties(profile, m_service));
        m_data = Nexus::GetDataManager();
        m_data->SetWebTimeOut(2000);
        Nexus::GetDownldManager()->SetTimeOuts(2000, 2000);
        m_data->SetUserId(57);
        QVERIFY(TestSupport::RunIn(m_data, [this] { m_data->GetUserRoles(); }));
        QCOMPARE(m_data->GetRoomFields().m_dwSchoolRole, 4);
    }
    void cleanupTestCase()
    {
        delete m_window;
        Nexus::Teardown();
    }
    void init()
    {
        QVERIFY(m_service.Reset());
        m_page->ClearBtns4HistoryCourseList();
        Nexus::GetSchoolList()->ClearItems();
        Nexus::GetHisSchoolList()->ClearItems();
    }

    void HistoryPages_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("cards");
        QTest::newRow("31 sessions, page 3") << 31 << 3 << 3 << 5 << QStringList { "H31" };
        QTest::newRow("15 sessions, one page") << 15 << 1 << 1 << 0 << QStringList { "H1", "H2", "H3" };
    }
    void HistoryPages()
    {
        QFETCH(int, count);
        QFETCH(int, page);
        QFETCH(int, pages);
        QFETCH(int, buttons);
        QFETCH(QStringList, cards);
        LoadPast(count);
        QCOMPARE(Nexus::GetHistoryCoursePage(), 1);
        QCOMPARE(HistoryCards().size(), 15);
        Nexus::SetHistoryCoursePage(page);
        Nexus::SetHistoryCoursePageCount(0);
        Nexus::Instance()->OnHistorySchoolListGet();
        QCOMPARE(HistoryCards().mid(0, cards.size()), cards);
        QCOMPARE(HistoryCards().size(), page * 15 > count ? count - (page - 1) * 15 : 15);
        QCOMPARE(Nexus::GetHistoryCoursePageCount(), pages);
        QCOMPARE(m_page->GetPageButtons().size(), buttons);
        HisSchoolItem* card = Nexus::GetHisSchoolList()->GetItems().first();
        QCOMPARE(card->GetTitle(), "课次 " + cards.first());
        QCOMPARE(card->GetTeacherText(), QString("老师: 王老师"));
    }

    void TheListShownDecidesWhatIsBuilt()
    {
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        m_page->SetSchoolListType(SchoolEntryWidget::ListHistory);
        LogCapture log;
        Fetch(false);
        QCOMPARE(log.Count("into Nexus::OnSchoolListGet, and current schoolList type is history list"), 1);
        QVERIFY(Nexus::GetSchoolList()->GetItems().isEmpty());
        m_page->SetSchoolListType(SchoolEntryWidget::ListUpcoming);
        Fetch(true);
        QCOMPARE(log.Count("into Nexus::OnSchoolListGet, and current schoolList type is normal list"), 1);
        QVERIFY(Nexus::GetHisSchoolList()->GetItems().isEmpty());
    }

    void UpcomingCardsShowTheDemoSessions()
    {
        qputenv("PLOVIX_COURSE_SITE_HOST", "http://site.test");
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        m_page->SetSchoolListType(SchoolEntryWidget::ListUpcoming);
        Fetch(false);
        const QList<SchoolItem*> cards = Nexus::GetSchoolList()->GetItems();
        QStringList rooms;
        for (SchoolItem* card : cards)
            rooms << card->GetSessionId() + ":" + card->GetEnterText();
        QCOMPARE(rooms, QStringList({ "1005:进入教室", "1001:进入教室", "1002:进入教室", "1003:进入教室", "1004:" }));
        QCOMPARE(cards.first()->GetDetailsTemplate(), QString("http://site.test/teacher/session/{session_id}"));
        QVERIFY(cards.first()->GetTimeText().contains(CourseCards::TimeLine(
            m_data->GetCurrentSessions().first()->GetStartTm(), m_data->GetCurrentSessions().first()->GetEndTm())));
        // Every picture reaches its card.
        for (SchoolItem* card : cards)
            QTRY_VERIFY(card->HasPicture());
    }

    void ThousandsOfUpcomingSessionsShowTheFirstCards()
    {
        QJsonArray sessions;
        // No picture to fetch: the worker stays free for the other tests.
        for (QJsonValue session : SchoolFixture::Series("U", 2000, 1)) {
            QJsonObject plain = session.toObject();
            plain.insert("snapshot", "http://127.0.0.1:9/none/");
            sessions.append(plain);
        }
        QVERIFY(m_service.LoadSchool(SchoolFixture::WithSessions(SchoolFixture::Demo(), sessions)));
        m_page->SetSchoolListType(SchoolEntryWidget::ListUpcoming);
        LogCapture log;
        Fetch(false);
        QCOMPARE(m_data->GetCurrentSessions().size(), 2000);
        QCOMPARE(Nexus::GetSchoolList()->GetItems().size(), 500);
        QCOMPARE(log.Count("showing the first"), 1);
    }

    void CoursePagesAndMediaRows()
    {
        QVERIFY(TestSupport::RunIn(m_data, [this] {
            QList<CourseWareInfo*> pages;
            for (int i = 1; i <= 3; ++i) {
                auto* page = new CourseWareInfo();
                page->SetPresentationId(QString("p%1").arg(i));
                page->SetHeadPath(QString("/pages/p%1.png").arg(i));
                pages << page;
            }
            m_data->ReplaceCourseWareList(pages);
            m_data->SetCurrentPresentationId("p2");
            QList<MediaInfo*> media;
            for (int i = 1; i <= 2; ++i) {
                auto* file = new MediaInfo();
                file->SetMediaId(QString("m%1").arg(i));
                file->SetMediaType(MediaInfo::Audio);
                file->SetPlayState(MediaInfo::Playing);
                media << file;
            }
            m_data->ReplaceMediaList(media);
            m_data->SetCurrentMediaId("m2");
        }));
        PresentationList* pages = Nexus::GetPresentationList();
        pages->ClearItems();
        Nexus::Instance()->OnCourseWareGet();
        QCOMPARE(pages->GetItems().size(), 3);
        QCOMPARE(pages->GetItems().at(2)->GetNumber(), 3);
        QCOMPARE(pages->GetItems().at(2)->GetImagePath(), QString("/pages/p3.png"));
        QCOMPARE(pages->GetFocusedItem(), pages->GetItems().at(1));

        QtAvPlayerList* media = Nexus::GetQtAvPlayerList();
        media->ClearItems();
        MiddleArea* middle = Nexus::GetMiddleArea();
        QVERIFY(!middle->GetAvPlayer());
        LogCapture log;
        Nexus::Instance()->OnMeidaListGet();
        QCOMPARE(media->GetItems().size(), 2);
        QCOMPARE(media->GetItems().first()->GetImagePath(), QString("blank.png"));
        QCOMPARE(media->GetLastFocusBuddy(), media->GetItems().at(1));
        QVERIFY(middle->GetAvPlayer());
        QCOMPARE(log.Count("into Nexus::OnMeidaListGet,pos: 2 ,play status: true"), 1);
        // An open player is kept.
        media->ClearItems();
        Nexus::Instance()->OnMeidaListGet();
        QCOMPARE(log.Count("into Nexus::OnMeidaListGet,pos:"), 1);
    }

    void EveryTransferKindReachesItsScreen_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("finishLine");
        QTest::addColumn<QString>("failLine");
        QTest::newRow("member avatar") << 1 << "58"
                                       << "/static/avatar/m58.png"
                                       << "UserItem::OnDownloadFinished"
                                       << "";
        QTest::newRow("course page") << 2 << "p1"
                                     << "/static/course/p1.png"
                                     << "into OnDownloadFinished, and presentId: \"p1\""
                                     << "into OnDownloadFinished, and presentId: \"p1\"";
        QTest::newRow("own avatar") << 4 << "me"
                                    << "/static/avatar/me.png"
                                    << "into SchoolEntryWidget::OnAvatarDownloadFinished, and imagePath:"
                                    << "";
        QTest::newRow("course list image") << 8 << "s8"
                                           << "/static/list/s8.png"
                                           << "into SchoolList::OnImageDownloadFinished, and key: \"s8\""
                                           << "";
        QTest::newRow("history list image") << 16 << "s16"
                                            << "/static/list/s16.png"
                                            << "into HisSchoolList::OnImageDownloadFinished, and key: \"s16\""
                                            << "";
        QTest::newRow("small chat picture") << 32 << "c1"
                                            << "/static/chat/c1.png"
                                            << "into ChatWidget::OnDownloadImageSuccess, type: 32"
                                            << "";
        QTest::newRow("full chat picture") << 64 << "c2"
                                           << "/static/chat/c2.png"
                                           << "into ChatWidget::OnDownloadImageSuccess, type: 64"
                                           << "";
        QTest::newRow("server properties") << 128 << "1"
                                           << "/vesk-servers.properties"
                                           << "finish ServConfigRead"
                                           << "";
        QTest::newRow("teacher avatar") << 256 << "57"
                                        << "/static/avatar/t57.png"
                                        << "into TeacherInfo::OnDownloadFinished"
                                        << "";
        QTest::newRow("no receiver") << 512 << "x"
                                     << "/static/list/x.png"
                                     << ""
                                     << "";
    }
    void EveryTransferKindReachesItsScreen()
    {
        QFETCH(int, type);
        QFETCH(QString, key);
        QFETCH(QString, file);
        QFETCH(QString, finishLine);
        QFETCH(QString, failLine);
        const QString folder = AppPaths::DataFolder() + (type == 128 ? QString() : "routing/" + QString::number(type));
        // The screens that wait for the key.
        UserInfo member;
        member.SetUid(58);
        Nexus::GetUserList()->OnUserLogin(&member);
        auto* page = new PresentationItem(Nexus::GetPresentationList());
        page->SetPresentationId("p1");
        // Where the page's picture lands; a row whose file is no picture
        // asks for it again.
        page->SetImagePath(AppPaths::DataFolder() + "routing/2/p1.png");
        Nexus::GetPresentationList()->AddItem(page);
        Nexus::GetPresentationList()->SetFocusedItem(page);
        auto* card = new SchoolItem();
        card->SetSessionId("s8");
        Nexus::GetSchoolList()->AddItem(card);
        auto* past = new HisSchoolItem();
        past->SetSessionId("s16");
        Nexus::GetHisSchoolList()->AddItem(past);

        for (bool succeed : { true, false }) {
            LogCapture log;
            TestSupport::QueuedSpy finished(Nexus::Instance(), &Nexus::DownloadFinish);
            TestSupport::QueuedSpy failed(Nexus::Instance(), &Nexus::DownloadFailed);
            const QString path = succeed ? file : "/missing" + file;
            DownloadElem elem(type, m_service.HttpUrl(path).toString(), folder, key + (succeed ? "" : "-failed"));
            emit Nexus::GetDownldManager()->download(elem);
            QTRY_COMPARE_WITH_TIMEOUT(succeed ? finished.count() : failed.count(), 1, 15000);
            QTest::qWait(20);
            if (succeed) {
                QCOMPARE(log.Count(QString("into Nexus::OnDownloadFinish, type: %1 ,key:").arg(type)), 1);
                if (!finishLine.isEmpty())
                    QVERIFY2(log.Count(finishLine) >= 1, qPrintable(finishLine));
            } else {
                QCOMPARE(log.Count(QString("into Nexus::OnDownloadFailed, type: %1 ,key:").arg(type)), 1);
                QCOMPARE(finished.count(), 0);
                if (!failLine.isEmpty())
                    QVERIFY(log.Count(failLine.left(failLine.indexOf('"'))) >= 1);
                else if (!finishLine.isEmpty())
                    QCOMPARE(log.Count(finishLine), 0);
            }
        }
        Nexus::GetPresentationList()->ClearItems();
        DataManager::DelDir(AppPaths::DataFolder() + "routing");
    }
};

PLOVIX_TEST(TestHubLists)
#include "tst_HubLists.moc"
