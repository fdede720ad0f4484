#include "EntryScreens.h"
#include "TestRegistry.h"

#include "app/TitleBar.h"
#include "entry/CourseCards.h"
#include "entry/HelpWidget.h"
#include "entry/NewLoginWidget.h"
#include "entry/TechSupportWidget.h"
#include "entry/UserGuideWidget.h"
#include "room/LoadingFailUI.h"
#include "room/NotifyUIV2.h"
#include "widgets/DPIWidget4RectPixmap.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

// The first-use guide over the main window and the title bar's support
// pop-up.
class TestHelpScreens : public QObject
{
    Q_OBJECT

    MainWindow* m_window = nullptr;
    UserGuideWidget* m_guide = nullptr;
    QList<QUrl> m_opened;

    bool ExitIsRed() const { return m_guide->GetExitButton()->styleSheet().contains("background:#ff4845"); }

private slots:
    void initTestCase()
    {
        m_window = MainWindowFixture::BuildLoggedIn();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_guide = m_window->GetUserGuideWidget();
        EntryScreens::RecordOpenedPages(&m_opened);
    }
    void cleanupTestCase()
    {
        EntryScreens::RecordOpenedPages(nullptr);
        delete m_window;
    }
    void init()
    {
        m_window->resize(MainWindow::kNormalWidth, MainWindow::kNormalHeight);
        m_window->move(120, 90);
        m_opened.clear();
    }

    void GuideStepsThroughItsPages_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("folder");
        QTest::newRow("teacher") << 2 << 8 << "teacher";
        QTest::newRow("student") << 1 << 7 << "student";
        QTest::newRow("any other kind: student") << 5 << 7 << "student";
    }
    void GuideStepsThroughItsPages()
    {
        QFETCH(int, kind);
        QFETCH(int, pages);
        QFETCH(QString, folder);
        m_guide->SetGuideRole(kind);
        m_guide->SetupLayout(m_window);
        // Over the window itself, wherever the window stands.
        QCOMPARE(m_guide->parentWidget(), m_window);
        QVERIFY(!m_guide->isWindow());
        QVERIFY(m_guide->isVisible());
        QCOMPARE(m_guide->geometry(), m_window->rect());
        QCOMPARE(m_guide->GetPicture()->geometry(), m_window->rect());
        QCOMPARE(m_guide->GetPageCount(), pages);
        QVERIFY(m_guide->GetLastButton()->isHidden());
        QCOMPARE(m_guide->GetExitButton()->geometry(), QRect(1000 - 36 - 88, 61, 88, 36));
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(m_guide->GetCurrentPage(), page);
            const QString path = m_guide->GetPicture()->GetPixmapPath();
            QCOMPARE(path, QString(":resource/userGuide/%1/x1/%2.png").arg(folder).arg(page + 1));
            QVERIFY2(m_guide->GetPicture()->HasPicture(), qPrintable(path));
            QCOMPARE(m_guide->GetLastButton()->isVisible(), page > 0);
            QCOMPARE(m_guide->GetNextButton()->isVisible(), page < pages - 1);
            QCOMPARE(ExitIsRed(), page == pages - 1);
            QTest::mouseClick(m_guide->GetNextButton(), Qt::LeftButton);
        }
        // Past the end nothing moves; one step back restores both buttons.
        m_guide->OnClickedNextPage();
        QCOMPARE(m_guide->GetCurrentPage(), pages - 1);
        QTest::mouseClick(m_guide->GetLastButton(), Qt::LeftButton);
        QCOMPARE(m_guide->GetCurrentPage(), pages - 2);
        QVERIFY(m_guide->GetNextButton()->isVisible());
        QVERIFY(!ExitIsRed());
        QTest::mouseClick(m_guide->GetExitButton(), Qt::LeftButton);
        QVERIFY(!m_guide->isVisible());
    }

    void GuideFollowsTheWindowAndTheKeys()
    {
        m_guide->SetGuideRole(2);
        m_guide->SetupLayout(m_window);
        m_window->resize(1500, 800);
        QCOMPARE(m_guide->geometry(), QRect(0, 0, 1500, 800));
        // The page keeps its shape, centred; a sharper rendering is used.
        QCOMPARE(m_guide->GetPicture()->geometry(), QRect(125, 0, 1250, 800));
        QVERIFY(m_guide->GetPicture()->GetPixmapPath().contains("/x1.25/"));
        QCOMPARE(m_guide->GetNextButton()->geometry().right(), 1500 - 48 - 1);
        // A panel laid into the window later stays below the guide.
        auto* panel = new QWidget(m_window);
        panel->show();
        QTRY_COMPARE(m_window->childAt(700, 400), static_cast<QWidget*>(m_guide->GetPicture()));
        delete panel;
        QTest::keyClick(m_guide, Qt::Key_Right);
        QTest::keyClick(m_guide, Qt::Key_Right);
        QTest::keyClick(m_guide, Qt::Key_Left);
        QCOMPARE(m_guide->GetCurrentPage(), 1);
        QTest::keyClick(m_guide, Qt::Key_Escape);
        QVERIFY(!m_guide->isVisible());
    }

    void PictureScale_data()
    {
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QString>("folder");
        QTest::newRow("normal window") << QSize(1000, 640) << 1.0 << "x1";
        QTest::newRow("smaller") << QSize(800, 512) << 1.0 << "x1";
        QTest::newRow("normal window at 1.5") << QSize(1000, 640) << 1.5 << "x1.5";
        QTest::newRow("a little larger") << QSize(1020, 653) << 1.0 << "x1.25";
        QTest::newRow("maximised") << QSize(1625, 1040) << 1.0 << "x1.75";
        QTest::newRow("beyond every rendering") << QSize(1625, 1040) << 2.0 << "x1.75";
    }
    void PictureScale()
    {
        QFETCH(QSize, shown);
        QFETCH(qreal, ratio);
        QFETCH(QString, folder);
        QCOMPARE(UserGuideWidget::PictureScaleFolder(shown, ratio), folder);
    }

    void SupportPopUpLinksAndDetails()
    {
        TitleBar* bar = m_window->GetTitleBar();
        QTest::mouseClick(bar->GetSupportButton(), Qt::LeftButton);
        TechSupportWidget* support = bar->GetTechSupportWidget();
        QVERIFY(support && support->isVisible());
        QTest::mouseClick(support->GetQQButton(), Qt::LeftButton);
        QTest::mouseClick(support->GetHelpButton(), Qt::LeftButton);
        QTest::mouseClick(support->GetFeedbackButton(), Qt::LeftButton);
        QCOMPARE(m_opened,
            QList<QUrl>({ NotifyUIV2::SupportChatUrl(), QUrl(NewLoginWidget::HelpPage()),
                QUrl(CourseCards::SiteHost() + "/feedback") }));
        QVERIFY(support->isVisible());
        QVERIFY(QRegularExpression("^v1\\.5\\.0\\.2 20\\d{6}$").match(support->GetVersionLabel()->text()).hasMatch());
        QTest::mouseClick(support->GetCloseButton(), Qt::LeftButton);
        QVERIFY(!support->isVisible());
        // The compiler's date, a one-digit day padded with a blank.
        QCOMPARE(TechSupportWidget::BuildDate("Oct 22 2018"), QString("20181022"));
        QCOMPARE(TechSupportWidget::BuildDate("Jan  5 2024"), QString("20240105"));
        QCOMPARE(TechSupportWidget::BuildDate("??? ?? ????"), QString());
    }

    void SupportDetails_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("line");
        QTest::newRow("a node's server") << "10.0.0.2"
                                         << "北京 电信 1.2.3.4 ,服务器:电信";
        QTest::newRow("a measured address") << "10.9.9.9:443"
                                            << "北京 电信 1.2.3.4 ,服务器:10.9.9.9:443";
        QTest::newRow("no server yet") << ""
                                       << "北京 电信 1.2.3.4";
    }
    void SupportDetails()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, line);
        Profile* profile = Nexus::GetProfile();
        profile->SetUserLocation("北京");
        profile->SetUserSupplier("电信");
        profile->SetUserIp("1.2.3.4");
        profile->SetNodeServers({ { "联通", "10.0.0.1" }, { "电信", "10.0.0.2|10.0.0.3" } });
        profile->SetChosenServer(chosen);
        QCOMPARE(TechSupportWidget::ConnectionLine(), line);
    }

    // Where a room entry failed the help page is one click away, by the
    // support pop-up's own link; the pointer goes with the failure screen.
    void FailureScreenPointsToTheHelp_data() { EntryScreens::ScaleRows(); }
    void FailureScreenPointsToTheHelp()
    {
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        // The re-entry would run a real entry, which these tests keep away.
        Nexus::GetProfile()->SetReEntryFlag(false);
        emit m_window->UpdateLoginProgress(8);
        Nexus::Instance()->UpdateLoadingFailValue(QStringLiteral("房间不存在"));
        LoadingFailUI* failure = m_window->GetLoadingFailUI();
        HelpWidget* help = m_window->GetHelpWidget();
        QVERIFY(help->isVisible());
        QCOMPARE(help->parentWidget(), failure);
        m_window->resize(1200, 760);
        QCOMPARE(help->geometry().bottom(), failure->height() - 36 - 1);
        QCOMPARE(help->x(), (failure->width() - help->width()) / 2);
        m_window->resize(MainWindow::kNormalWidth, MainWindow::kNormalHeight);
        QVERIFY(!EntryScreens::SaveScaled(m_window, "failure-help", factor, folder).isEmpty());

        QTest::mouseClick(help->GetLinkButton(), Qt::LeftButton);
        m_window->GetTitleBar()->ShowTechSupWidget();
        QTest::mouseClick(m_window->GetTitleBar()->GetTechSupportWidget()->GetHelpButton(), Qt::LeftButton);
        m_window->GetTitleBar()->ShowTechSupWidget();
        QCOMPARE(m_opened, QList<QUrl>({ QUrl(NewLoginWidget::HelpPage()), QUrl(NewLoginWidget::HelpPage()) }));
        QVERIFY(m_opened.first().path().endsWith("/help/meeting/help.html"));

        emit m_window->UpdateLoginProgress(256);
        QVERIFY(!help->isVisible());
        MainWindowFixture::BackToCourseHome(m_window);
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }

    void Screenshots_data() { EntryScreens::ScaleRows(); }
    void Screenshots()
    {
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        for (const auto& role : { qMakePair(2, QString("teacher")), qMakePair(1, QString("student")) }) {
            m_guide->SetGuideRole(role.first);
            m_guide->SetupLayout(m_window);
            for (int page = 1; page <= m_guide->GetPageCount(); ++page) {
                QVERIFY(m_guide->GetPicture()->GetPixmapPath().contains("/" + folder + "/"));
                const QString name = QString("guide-%1-%2").arg(role.second).arg(page);
                QVERIFY(!EntryScreens::SaveScaled(m_guide, name, factor, folder).isEmpty());
                m_guide->OnClickedNextPage();
            }
            m_guide->hide();
        }
        TitleBar* bar = m_window->GetTitleBar();
        bar->ShowTechSupWidget();
        QVERIFY(!EntryScreens::SaveScaled(m_window, "support-popup", factor, folder).isEmpty());
        bar->ShowTechSupWidget();
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestHelpScreens)
#include "tst_HelpScreens.moc"
