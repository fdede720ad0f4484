#include "EntryScreens.h"
#include "LogCapture.h"
#include "TestRegistry.h"

#include "app/UserSettings.h"
#include "entry/RoomEntryWidget.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QtTest>

namespace {

const char kRooms[] = "/api/rooms/by-password/";

} // namespace

// The classroom-password panel over the logged-in main window, against the
// local service's demo school.
class TestPasswordEntry : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    RoomEntryWidget* m_entry = nullptr;

    template <typename T> T* Child(const char* name) const { return m_entry->findChild<T*>(QLatin1String(name)); }
    QLineEdit* Edit() const { return Child<QLineEdit>("roomPwdEdit"); }
    QLineEdit* Error() const { return Child<QLineEdit>("errMsgNotify"); }
    QPushButton* Button() const { return Child<QPushButton>("btnLogin"); }

    void Open()
    {
        if (m_entry->isHidden())
            m_entry->ShowRoomEntry();
    }
    void Type(const QString& text)
    {
        Open();
        Edit()->clear();
        QTest::keyClicks(Edit(), text);
    }
    QStringList RoomPaths() const
    {
        QStringList paths;
        for (const QJsonValue& request : m_service.Requests())
            if (request["path"].toString().startsWith(kRooms))
                paths << request["raw_path"].toString();
        return paths;
    }

private slots:
    void initTestCase()
    {
        m_window = EntryScreens::Build(m_service);
        QVERIFY2(m_window, qPrintable(m_service.ErrorText()));
        emit m_window->UpdateLoginProgress(2);
        m_entry = m_window->GetRoomEntryWidget();
        // The room is handed over through the session's own thread.
        Nexus::GetProfile()->StartThreads();
    }
    void cleanupTestCase() { delete m_window; }
    void init()
    {
        m_service.Reset();
        m_entry->SetRequestTimeOut(0);
        UserSettings::Remove(UserSettings::RoomPwd);
    }

    void HintAloneIsAnEmptyPassword()
    {
        Open();
        QCOMPARE(Edit()->text(), QString("请输入教室密码"));
        QCOMPARE(m_entry->GetPwdInfoInitFlag(), 1);
        QTest::mouseClick(Button(), Qt::LeftButton);
        QCOMPARE(Error()->text(), QString("密码为空"));
        QVERIFY(Error()->isVisible());
        QCOMPARE(Button()->text(), QString("进入教室"));
        QCOMPARE(RoomPaths().size(), 0);
        // The first key clears the hint.
        QTest::keyClicks(Edit(), "1");
        QCOMPARE(Edit()->text(), QString("1"));
        QCOMPARE(m_entry->GetPwdInfoInitFlag(), 2);
    }

    void PasswordEntersTheRoom()
    {
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type("104 104");
        QTest::keyClick(Edit(), Qt::Key_Return);
        QCOMPARE(RoomPaths(), QStringList({ "/api/rooms/by-password/104104" }));
        QTRY_COMPARE(phases.count(), 1);
        QCOMPARE(phases.at(0).at(0).toInt(), 16);
        QVERIFY(!m_entry->isVisible());
        const RoomFields record = Nexus::GetDataManager()->GetRoomFields();
        QCOMPARE(record.m_strRoomId, QString("R104"));
        QCOMPARE(record.m_strSessionId, QString("1005"));
        QCOMPARE(record.m_strTeacherId, QString("57"));
        QCOMPARE(record.m_strRoomPwd, QString("104104"));
        QVERIFY(record.m_endTime - record.m_startTime == 3600);
        QVERIFY(qAbs(record.m_startTime + 600 - QDateTime::currentSecsSinceEpoch()) < 120);
        // Remembered as typed, and filled in next time.
        QCOMPARE(UserSettings::Text(UserSettings::RoomPwd), QString("104 104"));
        MainWindowFixture::BackToCourseHome(m_window);
        m_entry->ShowRoomEntry();
        QCOMPARE(Edit()->text(), QString("104 104"));
        QCOMPARE(m_entry->GetPwdInfoInitFlag(), 2);
        QCOMPARE(m_entry->parentWidget(), m_window);
        QCOMPARE(m_entry->pos(),
            QPoint((m_window->width() - m_entry->width()) / 2, (m_window->height() - m_entry->height()) / 2));
        // Shown twice hides it.
        m_entry->ShowRoomEntry();
        QVERIFY(m_entry->isHidden());
    }

    // While the session's thread runs a course-list road, which writes the
    // same record, the panel writes nothing itself: the room is stored in
    // that thread after the road, and only then entered.
    void TheRoomIsStoredInTheSessionThread()
    {
        DataManager* data = Nexus::GetDataManager();
        auto road = std::make_shared<QSemaphore>();
        QMetaObject::invokeMethod(
            data, [road] { road->acquire(2); }, Qt::QueuedConnection);
        auto endTheRoad = qScopeGuard([road] { road->release(2); });
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type("106106");
        QCOMPARE(m_entry->OnUsrLogin(), 0);
        QVERIFY(data->GetRoomFields().m_strRoomId != "R106");
        QCOMPARE(phases.count(), 0);
        endTheRoad.dismiss();
        road->release(2);
        QTRY_COMPARE(phases.count(), 1);
        QCOMPARE(data->GetRoomFields().m_strRoomId, QString("R106"));
        MainWindowFixture::BackToCourseHome(m_window);
    }

    // A password with URL characters reaches the service as one path
    // section, and the room behind it is found.
    void PasswordIsPercentEncoded()
    {
        QJsonObject school = SchoolFixture::Demo();
        QJsonArray sessions = school["sessions"].toArray();
        QJsonObject session = sessions.at(0).toObject();
        session["roomPwd"] = "a&b#c?d%e+f/g";
        sessions[0] = session;
        school["sessions"] = sessions;
        QVERIFY(m_service.LoadSchool(school));
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        LogCapture log;
        Type("a&b#c?d%e+f/g");
        QCOMPARE(m_entry->OnUsrLogin(), 0);
        QCOMPARE(RoomPaths(), QStringList({ "/api/rooms/by-password/a%26b%23c%3Fd%25e%2Bf%2Fg" }));
        QTRY_COMPARE(phases.count(), 1);
        QCOMPARE(log.Count("a&b#c?d%e+f/g"), 0);
        QVERIFY(m_service.LoadSchool(SchoolFixture::Demo()));
        MainWindowFixture::BackToCourseHome(m_window);
    }

    void FailedRequests_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("shown");
        auto body = [](const char* content) { return QJsonObject { { "action", "body" }, { "content", content } }; };
        QTest::newRow("wrong password") << "999999" << QJsonObject() << 0 << "教室密码错误";
        QTest::newRow("not JSON") << "104104" << body("oops") << RoomEntryWidget::kRequestFailed << "";
        QTest::newRow("not an object") << "104104" << body("[]") << RoomEntryWidget::kRequestFailed << "";
        QTest::newRow("server error") << "104104" << QJsonObject { { "action", "status" }, { "status", 500 } }
                                      << RoomEntryWidget::kRequestFailed << "";
        QTest::newRow("slow service") << "104104" << QJsonObject { { "action", "delay" }, { "ms", 3000 } }
                                      << RoomEntryWidget::kRequestFailed << "";
        // Accepted, but nothing to enter.
        QTest::newRow("success without a room")
            << "104104" << body(R"({"returncode":"SUCCESS","data":{"sessionId":"s9","room":{"roomNo":""}}})")
            << RoomEntryWidget::kRequestFailed << "未找到教室，请确认密码后重试";
        QTest::newRow("success, data not an object")
            << "104104" << body(R"({"returncode":"SUCCESS","data":["R"]})") << RoomEntryWidget::kRequestFailed
            << "未找到教室，请确认密码后重试";
    }
    void FailedRequests()
    {
        QFETCH(QString, password);
        QFETCH(QJsonObject, rule);
        QFETCH(int, result);
        QFETCH(QString, shown);
        if (!rule.isEmpty())
            QVERIFY(m_service.SetRule(QString(kRooms) + password, rule));
        m_entry->SetRequestTimeOut(500);
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type(password);
        QCOMPARE(m_entry->OnUsrLogin(), result);
        QCOMPARE(Error()->text(), shown);
        // Nothing was handed to the session that could still move the window.
        QVERIFY(TestSupport::RunIn(Nexus::GetDataManager(), [] {}));
        QCoreApplication::processEvents();
        QCOMPARE(phases.count(), 0);
        QVERIFY(m_entry->isVisible());
        QCOMPARE(Button()->text(), QString("进入教室"));
        QVERIFY(!UserSettings::Contains(UserSettings::RoomPwd));
        m_entry->hide();
    }

    // Times in milliseconds become whole seconds; a time that is no number
    // and a room without a password give 0 and an empty password.
    void ReplyTimesAndMissingFields()
    {
        QVERIFY(m_service.SetRule(QString(kRooms) + "777",
            { { "action", "body" },
                { "content",
                    R"({"returncode":"SUCCESS","data":{"sessionId":"s9","startTime":1700000000999,"endTime":"x",)"
                    R"("room":{"roomNo":"R9"}}})" } }));
        QSignalSpy phases(m_window, &MainWindow::UpdateLoginProgress);
        Type("777");
        QCOMPARE(m_entry->OnUsrLogin(), 0);
        QTRY_COMPARE(phases.count(), 1);
        const RoomFields record = Nexus::GetDataManager()->GetRoomFields();
        QCOMPARE(record.m_strSessionId, QString("s9"));
        QCOMPARE(record.m_startTime, Q_INT64_C(1700000000));
        QCOMPARE(record.m_endTime, Q_INT64_C(0));
        QCOMPARE(record.m_strRoomId, QString("R9"));
        QCOMPARE(record.m_strRoomPwd, QString());
        MainWindowFixture::BackToCourseHome(m_window);
    }

    void Screenshots_data() { EntryScreens::ScaleRows(); }
    void Screenshots()
    {
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        QVERIFY(!QPixmap(":resource/menubar/x1.75/close.png").isNull());
        m_entry->hide();
        m_entry->ShowRoomEntry();
        QVERIFY(!EntryScreens::SaveScaled(m_entry, "password-entry", factor, folder).isEmpty());
        Type("999999");
        m_entry->OnUsrLogin();
        QVERIFY(!EntryScreens::SaveScaled(m_window, "password-entry-error-over-home", factor, folder).isEmpty());
        m_entry->hide();
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestPasswordEntry)
#include "tst_PasswordEntry.moc"
