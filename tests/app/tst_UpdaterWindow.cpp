#include "LogCapture.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/HttpClient.h"
#include "app/Nexus.h"
#include "app/Profile.h"
#include "app/downLoadExeFile.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

namespace {

const char kInstaller[] = "/static/installer/plovix-setup.exe";
const qint64 kInstallerSize = 200 * 1024;

QString DownloadFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
}

template <typename T> T* Part(QWidget* window, const char* name)
{
    return window->findChild<T*>(QLatin1String(name));
}

} // namespace

// The updater window offscreen against the service's installer over a
// verified HTTPS connection. The desktop hand-over is replaced, so the test
// sees what would be opened.
class TestUpdaterWindow : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<downLoadExeFile> m_window;
    QStringList m_opened;
    bool m_openResult = true;
    int m_quits = 0;

    void Offer(const QUrl& url)
    {
        QVERIFY(m_window->HasFileName(url.toString()));
        m_window->SetUrl(url.toString());
        m_window->ShowUpdateInfo();
    }
    void Click() { QTest::mouseClick(Part<QPushButton>(m_window.get(), "pushButtonOK"), Qt::LeftButton); }
    QString LabelText(const char* name) { return Part<QLabel>(m_window.get(), name)->text(); }
    bool Shows(const char* name) { return m_window->findChild<QWidget*>(QLatin1String(name))->isVisible(); }
    void VerifyFailureShown()
    {
        QVERIFY(m_window->isVisible());
        QVERIFY(LabelText("labelD").startsWith("  plovix-setup.exe 自动更新失败.\n请手动下载安装."));
        // All of it can be read: the text fits its label.
        QLabel* title = Part<QLabel>(m_window.get(), "labelD");
        QVERIFY(title->wordWrap());
        QVERIFY(title->heightForWidth(title->width()) <= title->height());
        QVERIFY(!Shows("labeldownload"));
        QVERIFY(Shows("pushButtonOK"));
        QVERIFY(!Shows("progressBar"));
        QVERIFY(!m_window->IsDownloading());
        QVERIFY(!QFile::exists(m_window->GetFilePath() + ".part"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(true), qPrintable(m_service.ErrorText()));
        QVERIFY(HttpClient::TrustExtraCaFile(m_service.CaPath()) >= 1);
        Nexus::Instance();
        Nexus::Startup();
        Shell::SetOpener([this](const QString& path) {
            m_opened << path;
            return m_openResult;
        });
    }
    void cleanupTestCase()
    {
        Shell::SetOpener(nullptr);
        Nexus::Teardown();
    }
    void init()
    {
        QVERIFY(m_service.Reset());
        m_opened.clear();
        m_openResult = true;
        m_quits = 0;
        Nexus::GetProfile()->SetUpdateForce(false);
        Nexus::GetProfile()->SetUpdateMessage("整体UI更美观！|登录可以记住密码了");
        QDir(DownloadFolder()).removeRecursively();
        m_window = std::make_unique<downLoadExeFile>();
        m_window->hide();
        m_window->SetQuitHandler([this] { ++m_quits; });
    }
    void cleanup() { m_window.reset(); }

    void FormAsDesigned()
    {
        downLoadExeFile* w = m_window.get();
        QCOMPARE(w->objectName(), QString("downLoadExeFile"));
        QCOMPARE(w->windowTitle(), QString("普罗维课堂 更新"));
        QCOMPARE(w->size(), QSize(598, 365));
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        const QList<QPair<const char*, QRect>> geometry {
            { "downloadFrame", QRect(0, 0, 598, 365) },
            { "labeldownload", QRect(53, 86, 411, 161) },
            { "pushButtonOK", QRect(219, 282, 160, 48) },
            { "progressBar", QRect(49, 310, 475, 14) },
            { "labelDesc", QRect(240, 330, 121, 16) },
            { "btnMin", QRect(510, 10, 31, 23) },
            { "btnClose", QRect(550, 10, 31, 23) },
        };
        for (const auto& part : geometry)
            QCOMPARE(w->findChild<QWidget*>(part.first)->geometry(), part.second);
        QCOMPARE(LabelText("labelD"), QString("普罗维课堂更新啦！"));
        // The title keeps its place and is never cut.
        QLabel* title = Part<QLabel>(w, "labelD");
        QCOMPARE(title->pos(), QPoint(50, 35));
        QCOMPARE(title->height(), 27);
        QVERIFY(title->width() >= 231 && title->width() >= title->sizeHint().width());
        QCOMPARE(LabelText("labelDesc"), QString("已更新0%..."));
        QCOMPARE(Part<QPushButton>(w, "pushButtonOK")->text(), QString("升级体验"));
        QVERIFY(Part<QPushButton>(w, "btnMin")->text().isEmpty());
        QCOMPARE(Part<QPushButton>(w, "pushButtonOK")->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!Part<QProgressBar>(w, "progressBar")->isTextVisible());
        QVERIFY(!QPixmap(":resource/update/close.png").isNull());
        QVERIFY(!QPixmap(":resource/update/min.png").isNull());
        QVERIFY(!QPixmap(":resource/update/background.png").isNull());

        Offer(m_service.HttpsUrl(kInstaller));
        QVERIFY(w->isVisible());
        QVERIFY(!Shows("progressBar"));
        QVERIFY(!Shows("labelDesc"));
        QVERIFY(!Part<QLabel>(w, "downloadFrame")->pixmap(Qt::ReturnByValue).isNull());
        TestSupport::SaveScreenshot(w, "updater-offer");
    }

    void MessagePiecesBecomeLines_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two pieces") << "整体UI更美观！|登录可以记住密码了"
                                    << "整体UI更美观！\n登录可以记住密码了";
        QTest::newRow("empty pieces dropped") << "one||two|"
                                              << "one\ntwo";
        QTest::newRow("leading separator") << "|one"
                                           << "\none";
        QTest::newRow("one piece") << "one"
                                   << "one";
        QTest::newRow("markup stays text") << "<h1>New</h1>|<img src=x>"
                                           << "<h1>New</h1>\n<img src=x>";
        QTest::newRow("no message keeps the form's text") << ""
                                                          << "整体UI更美观！\n登录可以记住密码了";
    }
    void MessagePiecesBecomeLines()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        Nexus::GetProfile()->SetUpdateMessage(message);
        Offer(m_service.HttpsUrl(kInstaller));
        QCOMPARE(TestSupport::ShownText(Part<QLabel>(m_window.get(), "labeldownload")), shown);
    }

    void FileNameOfTheUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "https://h/dir/setup.exe"
                               << "setup.exe";
        QTest::newRow("query") << "https://h/setup.exe?v=2"
                               << "setup.exe";
        QTest::newRow("encoded blank") << "https://h/my%20setup.exe"
                                       << "my setup.exe";
        QTest::newRow("folder") << "https://h/dir/"
                                << "";
        QTest::newRow("host only") << "https://h"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void FileNameOfTheUrl()
    {
        QFETCH(QString, url);
        QFETCH(QString, name);
        LogCapture log;
        QCOMPARE(m_window->HasFileName(url), !name.isEmpty());
        QCOMPARE(m_window->GetFileName(), name);
        QCOMPARE(log.Count("downLoadExeFile::isFileNameEmpty()==judge fileName is empty !"), name.isEmpty() ? 1 : 0);
    }

    void EncodedSlashesNeverLeaveTheDownloadFolder()
    {
        QVERIFY(m_window->HasFileName("https://h/%2E%2E%2F%2E%2E%2F.config%2Fautostart%2Fx.desktop"));
        QVERIFY(!m_window->GetFileName().contains('/'));
        QVERIFY(m_window->GetFileName() != "..");
    }

    void CompleteDownloadIsHandedToTheDesktop()
    {
        Offer(m_service.HttpsUrl(kInstaller));
        LogCapture log;
        Click();
        QVERIFY(m_window->IsDownloading());
        QVERIFY(!Shows("pushButtonOK"));
        QVERIFY(Shows("labelDesc"));
        QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 15000);
        const QString path = DownloadFolder() + "/plovix-setup.exe";
        QCOMPARE(m_opened.first(), path);
        QCOMPARE(m_window->GetFilePath(), path);
        QCOMPARE(QFileInfo(path).size(), kInstallerSize);
        QVERIFY(!QFile::exists(path + ".part"));
        QCOMPARE(m_quits, 1);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(LabelText("labelDesc"), QString("已更新至100%..."));
        QCOMPARE(Part<QProgressBar>(m_window.get(), "progressBar")->value(), int(kInstallerSize));
        QCOMPARE(log.Count("create object filename in path:"), 1);
        QCOMPARE(log.Count("start finename = "), 1);
        QCOMPARE(m_service.RequestCount(kInstaller), 1);
    }

    void DownloadShowsItsProgress()
    {
        QVERIFY(m_service.Trickle(kInstaller, 32 * 1024, 150));
        Offer(m_service.HttpsUrl(kInstaller));
        Click();
        QTRY_VERIFY_WITH_TIMEOUT(Part<QProgressBar>(m_window.get(), "progressBar")->value() > 0, 10000);
        QVERIFY(Shows("progressBar"));
        QVERIFY(LabelText("labelDesc").startsWith("已更新至"));
        TestSupport::SaveScreenshot(m_window.get(), "updater-progress");
        QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 15000);
    }

    void IncompleteDownloadIsNeverOpened_data()
    {
        QTest::addColumn<QString>("misbehaviour");
        QTest::newRow("cut short") << "cut";
        QTest::newRow("not found") << "404";
        QTest::newRow("server error") << "500";
        QTest::newRow("stalled") << "stall";
        QTest::newRow("larger than any installer") << "huge";
    }
    void IncompleteDownloadIsNeverOpened()
    {
        QFETCH(QString, misbehaviour);
        if (misbehaviour == "cut")
            QVERIFY(m_service.CutAfter(kInstaller, 50000));
        else if (misbehaviour == "stall")
            QVERIFY(m_service.Stall(kInstaller, 50000));
        else if (misbehaviour == "huge")
            QVERIFY(m_service.Huge(kInstaller, qint64(600) << 20));
        else
            QVERIFY(m_service.Status(kInstaller, misbehaviour.toInt()));
        m_window->SetTransferTimeout(500);
        Offer(m_service.HttpsUrl(kInstaller));
        LogCapture log;
        Click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsDownloading(), 15000);
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_quits, 0);
        QCOMPARE(log.Count("httpFinished:download error"), 1);
        QVERIFY(!QFile::exists(DownloadFolder() + "/plovix-setup.exe"));
        VerifyFailureShown();
        TestSupport::SaveScreenshot(m_window.get(), "updater-failure");

        // The button is back: a second try with the service well again works.
        QVERIFY(m_service.ClearRule(kInstaller));
        Click();
        QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 15000);
        QCOMPARE(LabelText("labelD"), QString("普罗维课堂更新啦！"));
        QVERIFY(!Part<QLabel>(m_window.get(), "labeldownload")->isHidden());
    }

    void InstallerOnlyOverVerifiedHttps()
    {
        for (const QUrl& url : { m_service.HttpUrl(kInstaller), m_service.UntrustedUrl(kInstaller) }) {
            m_window = std::make_unique<downLoadExeFile>();
            m_window->SetQuitHandler([this] { ++m_quits; });
            Offer(url);
            Click();
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsDownloading(), 15000);
            VerifyFailureShown();
        }
        QCOMPARE(m_service.RequestCount(kInstaller), 0);
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_quits, 0);
    }

    void RefusedHandOverKeepsTheProgramAndTheFile()
    {
        m_openResult = false;
        Offer(m_service.HttpsUrl(kInstaller));
        LogCapture log;
        Click();
        QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 15000);
        QCOMPARE(log.Count("fail to exec extenal install file"), 1);
        QCOMPARE(m_quits, 0);
        QVERIFY(m_window->isVisible());
        QVERIFY(Shows("pushButtonOK"));
        // The complete installer stays for a manual install.
        QCOMPARE(QFileInfo(DownloadFolder() + "/plovix-setup.exe").size(), kInstallerSize);
    }

    void ClosingDuringADownloadCancelsIt()
    {
        QVERIFY(m_service.Trickle(kInstaller, 16 * 1024, 200));
        Offer(m_service.HttpsUrl(kInstaller));
        Click();
        const QString part = DownloadFolder() + "/plovix-setup.exe.part";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(part).size() > 0, 10000);
        LogCapture log;
        QTest::mouseClick(Part<QPushButton>(m_window.get(), "btnClose"), Qt::LeftButton);
        QCOMPARE(log.Count("downLoadExeFile::httpFinished()===update cancel !"), 1);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->IsDownloading());
        QVERIFY(!QFile::exists(part));
        QVERIFY(!QFile::exists(DownloadFolder() + "/plovix-setup.exe"));
        QTest::qWait(300);
        QVERIFY(m_opened.isEmpty());
    }

    void ForcedUpdateCannotBeClosed()
    {
        Nexus::GetProfile()->SetUpdateForce(true);
        Offer(m_service.HttpsUrl(kInstaller));
        LogCapture log;
        QTest::mouseClick(Part<QPushButton>(m_window.get(), "btnClose"), Qt::LeftButton);
        QCOMPARE(log.Count("downLoadExeFile, curr version need force update, or cannot enter room"), 1);
        QVERIFY(m_window->isVisible());
    }

    // A forced update whose installer the desktop cannot run: the text says
    // where the file is and to install it by hand, and closing ends the
    // program instead of locking the user out.
    void FailedHandOverOfAForcedUpdateLetsTheUserOut()
    {
        Nexus::GetProfile()->SetUpdateForce(true);
        m_openResult = false;
        Offer(m_service.HttpsUrl(kInstaller));
        Click();
        QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, 15000);
        const QString text = LabelText("labelD");
        QVERIFY2(text.contains("plovix-setup.exe") && text.contains(QDir::toNativeSeparators(DownloadFolder()))
                && text.contains("手动安装") && !text.contains("WIN", Qt::CaseInsensitive),
            qPrintable(text));
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_quits, 0);
        QTest::mouseClick(Part<QPushButton>(m_window.get(), "btnClose"), Qt::LeftButton);
        QCOMPARE(m_quits, 1);
        TestSupport::SaveScreenshot(m_window.get(), "updater-handover-failed");
    }

    void DraggingMovesTheWindow()
    {
        Offer(m_service.HttpsUrl(kInstaller));
        m_window->move(100, 100);
        const QPoint start = m_window->pos();
        const QPoint inside(300, 20);
        auto send = [&](QEvent::Type type, const QPoint& global, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent event(type, inside, global, button, buttons, Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &event);
        };
        const QPoint global = m_window->mapToGlobal(inside);
        send(QEvent::MouseButtonPress, global, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, global + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, global + QPoint(45, 25), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, global + QPoint(45, 25), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(m_window->pos(), start + QPoint(45, 25));
        // Released: moving no longer drags.
        send(QEvent::MouseMove, global + QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(m_window->pos(), start + QPoint(45, 25));
    }
};

PLOVIX_TEST(TestUpdaterWindow)
#include "tst_UpdaterWindow.moc"
