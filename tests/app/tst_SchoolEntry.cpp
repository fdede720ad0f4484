#include "LogCapture.h"
#include "MainWindowFixture.h"
#include "SchoolFixture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "entry/CourseCards.h"
#include "entry/HisSchoolItem.h"
#include "entry/PageButton.h"
#include "entry/SchoolEntryForm.h"
#include "entry/SchoolEntryWidget.h"
#include "entry/SchoolItem.h"
#include "entry/SchoolList.h"
#include "platform/Shell.h"
#include "widgets/DPIWidget4RoundPixmap.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

// Records the addresses the page hands to the desktop.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

// The course home page after a login, against the local service: user,
// schools, cards, history pager, school change, refresh, links.
class TestSchoolEntry : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    SchoolEntryWidget* m_page = nullptr;
    SchoolEntryForm* m_form = nullptr;
    DataManager* m_data = nullptr;
    UrlRecorder m_urls;

    // Runs a school road for the current school and waits for its end.
    void Road(const std::function<void()>& start)
    {
        TestSupport::QueuedSpy finished(m_page, &SchoolEntryWidget::RequestFinished);
        start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        // The lists' announcements were queued before the road's end.
        QCoreApplication::processEvents();
    }
    QStringList Pager() const
    {
        QStringList texts;
        for (PageButton* button : m_page->GetPageButtons())
            texts << button->GetPageText();
        return texts;
    }
    PageButton* PagerButton(const QString& text) const
    {
        for (PageButton* button : m_page->GetPageButtons()) {
            if (button->GetPageText() == text)
                return button;
        }
        return nullptr;
    }
    void Press(const QString& text)
    {
        PageButton* button = PagerButton(text);
        QVERIFY2(button, qPrintable(text));
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QString FirstHistoryCard() const
    {
        const QList<HisSchoolItem*> cards = Nexus::GetHisSchoolList()->GetItems();
        return cards.isEmpty() ? QString() : cards.first()->GetSessionId();
    }
    // The page as a person sees it at a display scale.
    void Screenshot(const QString& name)
    {
        for (const auto& [factor, folder] :
            { std::make_pair(1.0, QString("x1")), std::make_pair(1.5, QString("x1.5")) }) {
            Nexus::GetProfile()->SetScale(factor, folder);
            m_page->SetupLayout(m_window, 40);
            QCoreApplication::processEvents();
            QPixmap picture(m_window->size() * factor);
            picture.setDevicePixelRatio(factor);
            picture.fill(Qt::white);
            m_window->render(&picture);
            const QString path = TestSupport::ScreenshotFolder() + "/" + name + "-" + folder + ".png";
            QVERIFY(picture.save(path));
        }
        Nexus::GetProfile()->SetScale(1.0, "x1");
        m_page->SetupLayout(m_window, 40);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        qputenv("PLOVIX_PICTURE_HOST", m_service.HttpBase().toUtf8());
        qputenv("PLOVIX_COURSE_SITE_HOST", m_service.HttpBase().toUtf8());
        // Links of labels reach the desktop's handlers; buttons go
        // through the shell layer.
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::setUrlHandler(scheme, &m_urls, "Open");
        Shell::SetUrlOpener([this](const QUrl& url) {
            m_urls.Open(url);
            return true;
        });
        m_window = MainWindowFixture::Build();
        m_page = m_window->GetSchoolEntryWidget();
        m_form = m_page->GetForm();
        Profile* profile = Nexus::GetProfile();
        profile->StartThreads();
        QVERIFY(SchoolFixture::UseServiceProperties(profile, m_service));
        m_data = Nexus::GetDataManager();
        m_data->SetWebTimeOut(3000);
        m_data->SetUserId(57);
        m_data->SetSchoolId("1");
        // The login: the window shows the page and asks for its school.
        Road([this] { emit m_window->UpdateLoginProgress(2); });
    }
    void cleanupTestCase()
    {
        for (const char* scheme : { "http", "https", "file" })
            QDesktopServices::unsetUrlHandler(scheme);
        Shell::SetUrlOpener([](const QUrl&) { return false; });
        delete m_window;
        Nexus::Teardown();
    }

    void AfterLoginThePageShowsTheUserAndTheUpcomingCards()
    {
        QCOMPARE(m_form->usrName->text(), QString("王老师"));
        // The default avatar until the user's own has arrived.
        QTRY_VERIFY(!m_form->avatar->GetPixmapPath().startsWith(':') && m_form->avatar->HasPicture());
        QCOMPARE(m_form->schoolChoose->count(), 3);
        QCOMPARE(m_form->schoolChoose->currentText(), QString("普罗维示范学校"));
        QVERIFY(m_form->groupBox4School->isVisible());
        QVERIFY(!m_form->groupBox4Loading->isVisible());
        QVERIFY(!m_form->groupBox4NoBook->isVisible());
        const QList<SchoolItem*> cards = Nexus::GetSchoolList()->GetItems();
        QStringList shown;
        for (SchoolItem* card : cards) {
            QVERIFY(card->isVisible());
            shown << card->GetSessionId() + ":" + card->GetEnterText();
        }
        QCOMPARE(shown, QStringList({ "1005:进入教室", "1001:进入教室", "1002:进入教室", "1003:进入教室", "1004:" }));
        QVERIFY(cards.last()->GetActionButton()->isHidden());
        QVERIFY(cards.at(1)->GetTimeText().contains(" (今天上课)") || QTime::currentTime() > QTime(23, 29));
        for (SchoolItem* card : cards)
            QTRY_VERIFY(card->HasPicture() || card->GetSessionId() == "1004");
        Screenshot("home-cards");
    }

    void TheEnterButtonStartsTheRoomEntry()
    {
        SchoolItem* card = Nexus::GetSchoolList()->GetItems().at(1);
        QSignalSpy phases(Nexus::Instance(), &Nexus::UpdateLoginProgress);
        QTest::mouseClick(card->GetActionButton(), Qt::LeftButton);
        // The session thread takes the session over, then the window moves.
        QTRY_COMPARE(phases.count(), 1);
        QCOMPARE(phases.first().first().toInt(), 8);
        QCOMPARE(m_data->GetRoomFields().m_strSessionId, QString("1001"));
        QTRY_VERIFY(!m_page->isVisible());
        // Back on the page, which asks for its school again.
        Road([this] { MainWindowFixture::BackToCourseHome(m_window); });
        QVERIFY(m_page->isVisible());
    }

    void LinksOpenOnlyWebPages()
    {
        m_urls.opened.clear();
        QTest::mouseClick(m_form->btnBookCourse, Qt::LeftButton);
        Nexus::GetSchoolList()->GetItems().at(1)->GetDetailsButton()->click();
        QCOMPARE(
            m_urls.opened, QList<QUrl>({ m_service.HttpUrl("/home"), m_service.HttpUrl("/teacher/session/1001") }));
        HisSchoolItem local;
        local.SetHasRecord(true);
        for (const char* address : { "file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", "" }) {
            local.SetRecordUrl(address);
            local.OnRoomEntry();
        }
        local.SetRecordUrl("https://cdn.test/rec/xx1.mp4");
        local.OnRoomEntry();
        QCOMPARE(m_urls.opened.size(), 3);
        // A server's address is opened as it came: "xx" is only our label.
        QCOMPARE(m_urls.opened.last(), QUrl("https://cdn.test/rec/xx1.mp4"));
    }

    void SiteLinksTakeOnlyAHostLabel_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("url");
        QTest::newRow("label") << "school-7"
                               << "42"
                               << "https://school-7.site.test/vip/session/42";
        QTest::newRow("label with a path") << "evil.test/#"
                                           << "42"
                                           << "";
        QTest::newRow("empty label") << ""
                                     << "42"
                                     << "";
        QTest::newRow("session with a path") << "s"
                                             << "../../admin?x=1"
                                             << "https://s.site.test/vip/session/..%2F..%2Fadmin%3Fx%3D1";
    }
    void SiteLinksTakeOnlyAHostLabel()
    {
        QFETCH(QString, label);
        QFETCH(QString, session);
        QFETCH(QString, url);
        const QUrl link = CourseCards::SiteUrl("https://xx.site.test/vip/session/{session_id}", label, session);
        QCOMPARE(link.toString(QUrl::FullyEncoded), url);
    }

    void HistoryPagerSlidesByWindowsAndTurnsPages()
    {
        QJsonArray sessions = SchoolFixture::Series("H", 26 * 15, -1);
        for (QJsonValue session : SchoolFixture::Series("T", 16, -1)) {
            QJsonObject other = session.toObject();
            other.insert("schoolId", "2");
            sessions.append(other);
        }
        QVERIFY(m_service.LoadSchool(SchoolFixture::WithSessions(SchoolFixture::Demo(), sessions)));
        Road([this] { m_form->btn4Refresh->click(); });
        QVERIFY(m_form->groupBox4NoBook->isVisible()); // nothing upcoming
        m_form->btn4HistoryClass->click();
        QCOMPARE(m_page->GetSchoolListType(), 2);
        QVERIFY(!m_form->groupBox4NoBook->isVisible());
        QCOMPARE(Pager(), QStringList({ "<", "1", "2", "3", "4", "5", "6", "7", "8", "9", ">" }));
        QCOMPARE(FirstHistoryCard(), QString("H1"));
        // The pager shows once the list is scrolled to its end.
        HisSchoolList* list = Nexus::GetHisSchoolList();
        QVERIFY(!PagerButton(">")->isVisible());
        QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QVERIFY(PagerButton(">")->isVisible());
        Screenshot("home-history-pager");

        Press(">");
        QCOMPARE(Nexus::GetHistoryCoursePage(), 10);
        QCOMPARE(Pager().mid(1, 9).first(), QString("10"));
        QCOMPARE(FirstHistoryCard(), QString("H136"));
        Press(">"); // clamped to end at page 26
        QCOMPARE(Pager().mid(1, 9), QStringList({ "18", "19", "20", "21", "22", "23", "24", "25", "26" }));
        QCOMPARE(PagerButton(">")->styleSheet(), QString(SchoolEntryWidget::kPagerDisabledStyle));
        LogCapture log;
        Press(">");
        QCOMPARE(log.Count("press '>' and has gone to the end"), 1);
        QCOMPARE(Nexus::GetHistoryCoursePage(), 18);
        Press("<");
        Press("<");
        QCOMPARE(Pager().mid(1, 2), QStringList({ "1", "2" }));
        QCOMPARE(PagerButton("<")->styleSheet(), QString(SchoolEntryWidget::kPagerDisabledStyle));
        QCOMPARE(PagerButton(">")->styleSheet(), QString(SchoolEntryWidget::kPagerNormalStyle));
        Press("3");
        QCOMPARE(FirstHistoryCard(), QString("H31"));
        QCOMPARE(PagerButton("3")->styleSheet(), QString(SchoolEntryWidget::kPagerCurrentStyle));
        QTRY_VERIFY(!m_service.Requests("/static/list/list-H31.png").isEmpty());

        // Another school with its own page count: a pager of its own.
        Road([this] { m_form->schoolChoose->setCurrentIndex(1); });
        QCOMPARE(m_page->GetSchoolListType(), 1);
        QVERIFY(m_page->GetPageButtons().isEmpty());
        m_form->btn4HistoryClass->click();
        QCOMPARE(Pager(), QStringList({ "<", "1", "2", ">" }));
        QCOMPARE(FirstHistoryCard(), QString("T1"));
        Press("2"); // a short last page shows its pager at once
        QCOMPARE(FirstHistoryCard(), QString("T16"));
        QTRY_VERIFY(PagerButton("1") && PagerButton("1")->isVisible());
        Road([this] { m_form->schoolChoose->setCurrentIndex(0); });
    }

    void RefreshWhileARoadRunsIsIgnored()
    {
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        QVERIFY(m_service.Delay("/api/schools/1/users/57", 600, 1));
        TestSupport::QueuedSpy begun(m_page, &SchoolEntryWidget::RequestBegin);
        LogCapture log;
        Road([&] {
            m_form->btn4Refresh->click();
            QTRY_COMPARE(begun.count(), 1);
            QVERIFY(m_form->groupBox4Loading->isVisible());
            m_form->btn4Refresh->click();
        });
        QCOMPARE(log.Count("into SchoolEntryWidget OnRefresh, and refresh status is true"), 1);
        QCOMPARE(Nexus::GetSchoolList()->GetItems().size(), 5);
    }

    void CardsAreRebuiltWhileRoadsRefillTheLists()
    {
        // The session thread empties and refills its lists while this
        // thread builds cards from them, as often as it can; the sanitizer
        // build fails on any session read after it was released.
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        TestSupport::QueuedSpy finished(m_page, &SchoolEntryWidget::RequestFinished);
        for (int i = 0; i < 4; ++i)
            QVERIFY(QMetaObject::invokeMethod(
                m_data, "OnParallelShoolInfoRequest", Qt::QueuedConnection, Q_ARG(QString, QString("1"))));
        QElapsedTimer clock;
        clock.start();
        // Roads asked for while one waits are held back: the latest runs.
        while (finished.count() < 2 && clock.elapsed() < 30000) {
            m_form->btn4HistoryClass->click();
            m_form->btn4GoingClass->click();
            QCoreApplication::processEvents();
        }
        QVERIFY(TestSupport::RunIn(m_data, [] {}));
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 2);
        QCOMPARE(m_page->GetSchoolListType(), 1);
        QTRY_COMPARE(Nexus::GetSchoolList()->GetItems().size(), 5);
    }

    void CardsMadeAheadStayHiddenAndFew()
    {
        // Each road makes a page of cards ahead for the list shown; the
        // ones left over stay out of sight and are not made again.
        for (int i = 0; i < 3; ++i)
            Road([this] { m_form->btn4Refresh->click(); });
        SchoolList* list = Nexus::GetSchoolList();
        const QList<SchoolItem*> shown = list->GetItems();
        QCOMPARE(shown.size(), 5);
        int ahead = 0;
        for (SchoolItem* card : list->viewport()->findChildren<SchoolItem*>(QString(), Qt::FindDirectChildrenOnly)) {
            QCOMPARE(card->isVisible(), shown.contains(card));
            ahead += shown.contains(card) ? 0 : 1;
        }
        QVERIFY(ahead > 0 && ahead <= 15);
    }

    void AnEmptySchoolShowsTheNoCourseBox()
    {
        QVERIFY(m_service.LoadSchool(SchoolFixture::WithSessions(SchoolFixture::Demo(), QJsonArray())));
        Road([this] { m_form->btn4Refresh->click(); });
        QVERIFY(Nexus::GetSchoolList()->GetItems().isEmpty());
        QVERIFY(m_form->groupBox4NoBook->isVisible());
        QVERIFY(!m_form->groupBox4Loading->isVisible());
        Screenshot("home-empty");
        m_form->btnAppDownload->click();
        QVERIFY(m_form->groupBox4AppDown->isVisible());
        QVERIFY(!m_form->groupBox4School->isVisible());
        Screenshot("home-app-download");
        m_form->btnMyCourse->click();
        QVERIFY(m_form->groupBox4School->isVisible());
    }
};

// A school whose names carry markup and run long: the page shows them as
// they stand, cut with an ellipsis where they do not fit, every button whole.
class TestSchoolEntryNames : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;

private slots:
    void NamesStayTextAndFit()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        QJsonObject school = SchoolFixture::Demo();
        for (const auto& [list, key, value] : { std::make_tuple("users", "nickName", "<font size=7>Big</font> Wang"),
                 std::make_tuple("schools", "schoolName", "Plovix <i>Demo</i> School"),
                 std::make_tuple("teachers", "teacherName", "<img src=x>Wang"),
                 std::make_tuple("sessions", "sessionName", "<h1>Lesson</h1> 5") }) {
            QJsonArray entries = school[list].toArray();
            QJsonObject first = entries.at(0).toObject();
            first[key] = value;
            entries[0] = first;
            school[list] = entries;
        }
        QVERIFY(m_service.LoadSchool(school));
        m_window = MainWindowFixture::Build();
        Nexus::GetProfile()->StartThreads();
        QVERIFY(SchoolFixture::UseServiceProperties(Nexus::GetProfile(), m_service));
        Nexus::GetDataManager()->SetUserId(57);
        Nexus::GetDataManager()->SetSchoolId("1");
        emit m_window->UpdateLoginProgress(2);
        SchoolEntryForm* form = m_window->GetSchoolEntryWidget()->GetForm();
        QTRY_VERIFY_WITH_TIMEOUT(!Nexus::GetSchoolList()->GetItems().isEmpty(), 20000);
        QTRY_VERIFY(TestSupport::ShownText(form->usrName).endsWith(QChar(0x2026)));
        QVERIFY(QString("<font size=7>Big</font> Wang").startsWith(TestSupport::ShownText(form->usrName).chopped(1)));
        QVERIFY(QString("Plovix <i>Demo</i> School").startsWith(form->schoolChoose->GetShownText().chopped(1)));
        SchoolItem* card = Nexus::GetSchoolList()->GetItems().first();
        QCOMPARE(TestSupport::ShownText(card->findChild<QLabel*>("courseTitle")), QString("<h1>Lesson</h1> 5"));
        QCOMPARE(TestSupport::ShownText(card->findChild<QLabel*>("courseTeacher")), QString("老师: <img src=x>Wang"));
        QCOMPARE(TestSupport::CutButton(m_window), QString());
        QVERIFY(!TestSupport::SaveScreenshot(m_window, "home-names-as-text-1000x640").isEmpty());
        delete m_window;
        Nexus::Teardown();
    }
};

PLOVIX_TEST(TestSchoolEntry)
PLOVIX_TEST(TestSchoolEntryNames)
#include "tst_SchoolEntry.moc"
