#include "EntryScreens.h"
#include "LogCapture.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "entry/NewLoginWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace {

const char kLogin[] = "/api/login";

// Records the addresses handed to the system browser.
class BrowserSpy : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

} // namespace

// The login window against the local service's demo school.
class TestLoginWindow : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    NewLoginWidget* m_login = nullptr;

    template <typename T> T* Child(const char* name) const { return m_login->findChild<T*>(QLatin1String(name)); }
    QLineEdit* User() const { return Child<QLineEdit>("usrNameEdit"); }
    QLineEdit* Password() const { return Child<QLineEdit>("pwdEdit"); }
    QString Error() const { return TestSupport::ShownText(Child<QLabel>("labelErrorMsg")); }

    // Fresh fields with the given texts typed in, as a user would.
    void Type(const QString& user, const QString& password)
    {
        User()->clear();
        Password()->clear();
        m_login->JudgeUsrInfo();
        m_login->JudgePwdInfo();
        if (!user.isEmpty())
            QTest::keyClicks(User(), user);
        if (!password.isEmpty())
            QTest::keyClicks(Password(), password);
    }
    void ClickLogin() { QTest::mouseClick(Child<QPushButton>("btnLogin"), Qt::LeftButton); }
    void BackToLogin()
    {
        m_window->hide();
        Nexus::GetProfile()->SetLoginPhase(0);
        m_login->ShowLogin();
    }

private slots:
    void initTestCase()
    {
        m_window = EntryScreens::Build(m_service);
        QVERIFY2(m_window, qPrintable(m_service.ErrorText()));
        m_login = m_window->GetLoginWidget();
        QCOMPARE(m_login->findChild<QComboBox*>("comboBox")->count(), 3);
    }
    void cleanupTestCase() { delete m_window; }
    void init()
    {
        m_service.Reset();
        UserSettings::Remove(UserSettings::UserPwd);
        UserSettings::Remove(UserSettings::UserName);
        Child<QCheckBox>("checkBox")->setChecked(true);
        m_login->SetRequestTimeOut(0);
        if (!m_login->isVisible())
            BackToLogin();
    }

    void NewcomerLogsInAndReachesTheHomePage()
    {
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type("student1", "123456");
        ClickLogin();
        QCOMPARE(phases.count(), 1);
        QCOMPARE(phases.at(0).at(0).toInt(), 2);
        QVERIFY(m_window->isVisible());
        QVERIFY(!m_login->isVisible());
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 2);
        const RoomFields record = Nexus::GetDataManager()->GetRoomFields();
        QCOMPARE(record.m_dwUserId, 58);
        QCOMPARE(record.m_strSchoolId, QString("1"));
        QCOMPARE(Nexus::GetDataManager()->GetLoginName(), QString("student1"));

        // On the wire: exactly the two parts, in order.
        const QJsonArray requests = m_service.Requests(kLogin);
        QCOMPARE(requests.size(), 1);
        const QJsonArray parts = requests.at(0)["parts"].toArray();
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts.at(0)["name"].toString(), QString("username"));
        QCOMPARE(parts.at(0)["text"].toString(), QString("student1"));
        QCOMPARE(parts.at(1)["name"].toString(), QString("password"));
        QCOMPARE(parts.at(1)["text"].toString(), QString("123456"));

        // Remembered, in a file only its owner can read.
        QCOMPARE(UserSettings::Text(UserSettings::UserName), QString("student1"));
        QCOMPARE(QByteArray::fromBase64(UserSettings::Text(UserSettings::UserPwd).toLatin1()), QByteArray("123456"));
        const QString file = UserSettings::Open()->fileName();
        const QFile::Permissions modeBits(0x7077);
        QCOMPARE(QFileInfo(file).permissions() & modeBits, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFileInfo(QFileInfo(file).absolutePath()).permissions() & modeBits,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        BackToLogin();
    }

    void RememberedCredentialsFollowTheBox()
    {
        // Blanks inside the password are not sent, but remembered.
        Type("teacher", "12 3456");
        ClickLogin();
        QCOMPARE(m_service.Requests(kLogin).at(0)["parts"].toArray().at(1)["text"].toString(), QString("123456"));
        BackToLogin();
        {
            // The next start.
            NewLoginWidget next;
            next.ShowLogin();
            QCOMPARE(next.findChild<QLineEdit*>("usrNameEdit")->text(), QString("teacher"));
            auto* password = next.findChild<QLineEdit*>("pwdEdit");
            QCOMPARE(password->text(), QString("12 3456"));
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QCOMPARE(next.GetPwdInfoInitFlag(), 2);
        }

        // Unchecked: this login removes the password remembered before.
        Child<QCheckBox>("checkBox")->setChecked(false);
        Type("teacher", "123456");
        ClickLogin();
        QCOMPARE(Nexus::GetProfile()->GetLoginPhase(), 2);
        QVERIFY(!UserSettings::Contains(UserSettings::UserPwd));
        BackToLogin();
        NewLoginWidget next;
        next.ShowLogin();
        QCOMPARE(next.findChild<QLineEdit*>("usrNameEdit")->text(), QString("teacher"));
        QCOMPARE(next.findChild<QLineEdit*>("pwdEdit")->text(), QString());
        QCOMPARE(next.GetPwdInfoInitFlag(), 1);
    }

    void FailuresKeepTheWindowUsable_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<QString>("shown");
        const QJsonObject none;
        auto body = [](const char* content) { return QJsonObject { { "action", "body" }, { "content", content } }; };
        QTest::newRow("wrong password") << "student1"
                                        << "654321" << none << "用户名或密码错误";
        QTest::newRow("unknown user") << "nobody"
                                      << "123456" << none << "用户名或密码错误";
        QTest::newRow("empty user") << ""
                                    << "123456" << none << "用户名为空";
        QTest::newRow("empty password") << "student1"
                                        << "" << none << "密码为空";
        QTest::newRow("only blanks as user") << "   "
                                             << "123456" << none << "用户名或密码错误";
        QTest::newRow("not JSON") << "student1"
                                  << "123456" << body("<html>busy</html>") << "";
        QTest::newRow("JSON array") << "student1"
                                    << "123456" << body("[1,2]") << "";
        QTest::newRow("numeric code") << "student1"
                                      << "123456" << body(R"({"returncode":0,"message":"x"})") << "";
        QTest::newRow("success without user id")
            << "student1"
            << "123456" << body(R"({"returncode":"SUCCESS","data":{"userId":58}})") << "";
        QTest::newRow("code with a message")
            << "student1"
            << "123456" << body(R"({"returncode":"LOCKED","message":"账号已锁定"})") << "账号已锁定";
        QTest::newRow("message with markup")
            << "student1"
            << "123456" << body(R"({"returncode":"LOCKED","message":"<b>账号</b>已锁定"})") << "<b>账号</b>已锁定";
        QTest::newRow("slow service") << "student1"
                                      << "123456" << QJsonObject { { "action", "delay" }, { "ms", 3000 } } << "";
    }
    void FailuresKeepTheWindowUsable()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QJsonObject, rule);
        QFETCH(QString, shown);
        if (!rule.isEmpty())
            QVERIFY(m_service.SetRule(kLogin, rule));
        m_login->SetRequestTimeOut(500);
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type(user, password);
        ClickLogin();
        QCOMPARE(Error(), shown);
        QCOMPARE(Child<QPushButton>("btnErrorIcon")->isVisibleTo(m_login), !shown.isEmpty());
        QCOMPARE(phases.count(), 0);
        QVERIFY(m_login->isVisible());
        QVERIFY(!UserSettings::Contains(UserSettings::UserName));
        // Usable again: the next click sends again.
        QCOMPARE(Child<QPushButton>("btnLogin")->text(), QString("登录"));
        m_service.Reset();
        Type("student2", "123456");
        ClickLogin();
        QCOMPARE(phases.count(), 1);
        BackToLogin();
    }

    void ServiceDownShowsANetworkError()
    {
        Profile* profile = Nexus::GetProfile();
        const QString login = profile->GetUrl(ClassServerProperty::UserLogin);
        // A port nobody listens on: the service's own port after a stop
        // would race other tests, so take a fresh one and close it.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString dead = QString("http://127.0.0.1:%1/api/login").arg(closed.serverPort());
        closed.close();
        profile->SetUrl(ClassServerProperty::UserLogin, dead);
        Type("student1", "123456");
        ClickLogin();
        profile->SetUrl(ClassServerProperty::UserLogin, login);
        QCOMPARE(Error(), QString("网络连接异常"));
        QCOMPARE(Child<QPushButton>("btnLogin")->text(), QString("登录"));
    }

    // A password typed before the user name is never shown in clear.
    void PasswordFirstStaysMasked()
    {
        Type("", "");
        QTest::keyClicks(Password(), "s");
        QCOMPARE(Password()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(Password(), "ecret1");
        QCOMPARE(Password()->echoMode(), QLineEdit::Password);
        QCOMPARE(m_login->GetPwdInfoInitFlag(), 2);
        QVERIFY(Child<QPushButton>("btnPwdSeeNot")->isVisibleTo(m_login));
        // Only the eye shows it, and hides it again.
        m_login->OnShowPwd();
        QCOMPARE(Password()->echoMode(), QLineEdit::Normal);
        m_login->OnShowPwd();
        QCOMPARE(Password()->echoMode(), QLineEdit::Password);
        // Return with a password but no user name does nothing.
        QTest::keyClick(Password(), Qt::Key_Return);
        QCOMPARE(m_service.RequestCount(kLogin), 0);
        ClickLogin();
        QCOMPARE(Error(), QString("用户名为空"));
    }

    void NodeChoiceUsesThatNodesOwnServer()
    {
        Profile* profile = Nexus::GetProfile();
        const QString classroom = Profile::ClassroomHost(profile->GetTestServerFlag() != 0);
        const QString socket = "wss://" + classroom + "/ws";
        const QString join = "https://" + classroom + "/join";
        const QString key = "https://" + classroom + "/key";
        profile->SetUrls(
            { { ClassServerProperty::AppServerConfigured, socket }, { ClassServerProperty::RegServerConfigured, join },
                { ClassServerProperty::AgoraDynamicKeyConfigured, key } });
        profile->SetNodeList("tel||uni");
        // The first node lists two servers: the second node's must still be
        // its own.
        profile->SetNodeServers({ { "tel", "10.0.0.1:443|10.0.0.2:443" }, { "uni", "10.0.0.3:443" } });
        m_login->OnDownloadCfgFinished();
        auto* combo = Child<QComboBox>("comboBox");
        QCOMPARE(combo->count(), 3);
        DataManager* data = Nexus::GetDataManager();

        // The room password and the RTC key stay encrypted on the way to a
        // node, as to a probed server.
        combo->setCurrentIndex(2);
        QCOMPARE(profile->GetUrl(ClassServerProperty::AppServer), QString("wss://10.0.0.3:443/ws"));
        QCOMPARE(profile->GetUrl(ClassServerProperty::RegServer), QString("https://10.0.0.3:443/join"));
        QCOMPARE(profile->GetUrl(ClassServerProperty::AgoraDynamicKey), QString("https://10.0.0.3:443/key"));
        QCOMPARE(profile->GetChosenServer(), QString("10.0.0.3:443"));
        QVERIFY(data->IsProbeDone());
        // A second node replaces the first; the plain opt-in of the server
        // choice governs the node too.
        UserSettings::SetValue(UserSettings::WssPlainRewrite, "1");
        combo->setCurrentIndex(1);
        UserSettings::SetValue(UserSettings::WssPlainRewrite, "0");
        QCOMPARE(profile->GetUrl(ClassServerProperty::AppServer), QString("ws://10.0.0.1:443/ws"));
        QCOMPARE(profile->GetUrl(ClassServerProperty::RegServer), QString("http://10.0.0.1:443/join"));
        QCOMPARE(profile->GetUrl(ClassServerProperty::AgoraDynamicKey), QString("http://10.0.0.1:443/key"));
        // Showing the window again keeps the entries and the choice.
        m_login->ShowLogin();
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 1);
        combo->setCurrentIndex(0);
        QCOMPARE(profile->GetUrl(ClassServerProperty::AppServer), socket);
        QCOMPARE(profile->GetUrl(ClassServerProperty::RegServer), join);
        QVERIFY(!data->IsProbeDone());
    }

    void LinksOpenTheSitesPages_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("page");
        QTest::newRow("help") << "btnHelp"
                              << "/help/meeting/help.html";
        QTest::newRow("forgotten password") << "btnPwdForget"
                                            << "/password/forget";
        QTest::newRow("register") << "btnRegister"
                                  << "/register/fp?referrer="
                + QString::fromLatin1(QUrl::toPercentEncoding(m_service.HttpBase() + "/"));
    }
    void LinksOpenTheSitesPages()
    {
        QFETCH(QString, button);
        QFETCH(QString, page);
        BrowserSpy browser;
        QDesktopServices::setUrlHandler("http", &browser, "Open");
        QTest::mouseClick(Child<QPushButton>(qPrintable(button)), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(browser.opened.size(), 1);
        QCOMPARE(browser.opened.at(0).toString(QUrl::FullyEncoded), m_service.HttpBase() + page);
    }

    void Screenshots_data() { EntryScreens::ScaleRows(); }
    void Screenshots()
    {
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        m_login->ShowLogin();
        Type("student1", "12");
        ClickLogin();
        for (const char* picture : { "background", "error_icon", "pwd_disable_see", "pwd_able_see" })
            QVERIFY(!QPixmap(QString(":resource/login/%1/%2.png").arg(folder, picture)).isNull());
        QVERIFY(!EntryScreens::SaveScaled(m_login, "login-error", factor, folder).isEmpty());
        Type("", "");
        m_login->OnLoginFailMsg(QString());
        QVERIFY(!EntryScreens::SaveScaled(m_login, "login-empty", factor, folder).isEmpty());
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestLoginWindow)
#include "tst_LoginWindow.moc"
