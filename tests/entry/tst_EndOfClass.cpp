#include "EntryScreens.h"
#include "TestRegistry.h"

#include "app/ExitFeedback.h"
#include "app/TitleBar.h"
#include "entry/TeacherFeedBack.h"
#include "entry/UserFeedBack.h"
#include "session/SchoolInfo.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QInputMethodEvent>
#include <QJsonDocument>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

// Leaving a class that has ended, against the local service: the student
// rates the lesson and the rating reaches the school once, only when it was
// submitted; the teacher is offered the survey forms.
class TestEndOfClass : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    MainWindow* m_window = nullptr;
    QList<QUrl> m_opened;
    int m_classes = 0;

    // A class of school 1 that ended a minute ago, entered as role; its
    // session id.
    QString EnterEndedClass(int role)
    {
        DataManager* data = Nexus::GetDataManager();
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const QString id = QStringLiteral("ended-%1").arg(++m_classes);
        auto* session = new SchoolInfo();
        session->SetSessionId(id);
        session->SetStartTm(now - 3600);
        session->SetEndTm(now - 60);
        data->AddCurrentSession(session);
        data->OnRoomEntry(id);
        // The room's member list gives the role.
        data->SetRoomRole(role);
        MainWindowFixture::CompleteRoomData();
        return id;
    }
    QString CommentPath(const QString& session) const { return QStringLiteral("/api/comments/1/") + session; }
    void LeaveByTheTitleBar() { QTest::mouseClick(m_window->GetTitleBar()->GetExitButton(), Qt::LeftButton); }

    // Plays the user's steps on the shown student dialog: "1".."5" click a
    // star, "comment" types into the comment box, "anonymous" ticks the box,
    // "submit", "direct", "esc", "close" end it.
    static void Play(UserFeedBack* dialog, const QStringList& steps)
    {
        // A window counts as active while the window it stands over is;
        // the keys must reach the dialog itself.
        if (!QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; })) {
            dialog->accept();
            QFAIL("the dialog never became active");
        }
        for (const QString& step : steps) {
            if (step.toInt() > 0) {
                QTest::mouseClick(dialog->GetStarButton(step.toInt()), Qt::LeftButton);
            } else if (step == "comment") {
                QTest::mouseClick(dialog->GetCommentEdit()->viewport(), Qt::LeftButton);
                // Chinese arrives from the input method as a committed text.
                QInputMethodEvent typed;
                typed.setCommitString(QStringLiteral("讲得很清楚"));
                QApplication::sendEvent(dialog->GetCommentEdit(), &typed);
            } else if (step == "anonymous") {
                QTest::mouseClick(dialog->GetAnonymousBox(), Qt::LeftButton, {}, QPoint(8, 10));
            } else if (step == "submit") {
                QTest::mouseClick(dialog->GetSubmitButton(), Qt::LeftButton);
            } else if (step == "direct") {
                QTest::mouseClick(dialog->GetDirectExitButton(), Qt::LeftButton);
            } else if (step == "esc") {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else if (step == "close") {
                dialog->close();
            }
        }
        if (dialog->isVisible()) {
            dialog->accept();
            QFAIL("the dialog stayed open");
        }
    }

private slots:
    void initTestCase()
    {
        m_window = EntryScreens::Build(m_service);
        QVERIFY2(m_window, qPrintable(m_service.ErrorText()));
        emit m_window->UpdateLoginProgress(2);
        DataManager* data = Nexus::GetDataManager();
        data->SetUserId(58);
        data->SetSchoolId(QStringLiteral("1"));
        EntryScreens::RecordOpenedPages(&m_opened);
    }
    void cleanupTestCase()
    {
        EntryScreens::RecordOpenedPages(nullptr);
        delete m_window;
    }
    void init()
    {
        ExitFeedback::SetGate(nullptr);
        QVERIFY(m_service.Reset());
        m_opened.clear();
        m_window->show();
        // The window is active before a dialog is shown over it: the
        // offscreen platform keeps the focus on a dialog it has hidden, and
        // would not give it back when the dialog shows again.
        m_window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_window));
        MainWindowFixture::BackToCourseHome(m_window);
    }

    void StudentRatesTheLesson_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("posted"); // "{id}" is the session id; empty: nothing
        QTest::newRow("stars, comment, anonymous")
            << QStringList({ "3", "4", "comment", "anonymous", "submit" })
            << QByteArray(R"({"anonymous":1,"description":"讲得很清楚","schoolId":"1","sessionId":"{id}",)"
                          R"("teacherScore":4,"userId":58})");
        QTest::newRow("a star, the hint left") << QStringList({ "5", "2", "submit" })
                                               << QByteArray(R"({"anonymous":0,"schoolId":"1","sessionId":"{id}",)"
                                                             R"("teacherScore":2,"userId":58})");
        QTest::newRow("submit without a star does nothing")
            << QStringList({ "submit", "comment", "direct" }) << QByteArray();
        QTest::newRow("leave directly after a star") << QStringList({ "4", "direct" }) << QByteArray();
        QTest::newRow("Esc after a star") << QStringList({ "5", "comment", "esc" }) << QByteArray();
        QTest::newRow("closed after a star") << QStringList({ "3", "close" }) << QByteArray();
    }
    void StudentRatesTheLesson()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, posted);
        const QString session = EnterEndedClass(5);
        UserFeedBack* dialog = m_window->GetUserFeedBack();
        bool shown = false;
        MainWindowFixture::WhenShown(dialog, [dialog, steps, &shown] {
            shown = true;
            // Nothing is chosen until the user chooses it.
            QCOMPARE(dialog->GetScore(), 0);
            QCOMPARE(dialog->GetFeedBackInfoInitFlag(), 1);
            Play(dialog, steps);
        });
        QSignalSpy exit(m_window, &MainWindow::Exit);
        LeaveByTheTitleBar();
        QVERIFY(shown);
        QCOMPARE(exit.count(), 1);
        const QJsonArray posts = m_service.Requests(CommentPath(session));
        QCOMPARE(posts.size(), posted.isEmpty() ? 0 : 1);
        if (posted.isEmpty())
            return;
        const QJsonObject post = posts.at(0).toObject();
        QCOMPARE(post["method"].toString(), QString("POST"));
        QCOMPARE(post["headers"].toObject()["Content-Type"].toString(), QString("application/json"));
        QCOMPARE(post["body"].toString(), QString::fromUtf8(posted).replace("{id}", session));
        // The school took it: the next time the class is left, nothing is
        // asked.
        MainWindowFixture::BackToCourseHome(m_window);
        Nexus::GetDataManager()->OnRoomEntry(session);
        MainWindowFixture::CompleteRoomData();
        LeaveByTheTitleBar();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(m_service.Requests(CommentPath(session)).size(), 1);
    }

    void ClosingTheWindowAsksToo()
    {
        const QString session = EnterEndedClass(5);
        UserFeedBack* dialog = m_window->GetUserFeedBack();
        MainWindowFixture::WhenShown(dialog, [dialog] { Play(dialog, { "1", "submit" }); });
        QWidget other;
        other.show();
        QVERIFY(MainWindowFixture::QuitsTheEventLoop([this] { m_window->close(); }));
        QCOMPARE(m_service.Requests(CommentPath(session)).size(), 1);
    }

    void TeacherIsOfferedTheSurveys()
    {
        const QString session = EnterEndedClass(4);
        TeacherFeedBack* dialog = m_window->GetTeacherFeedBack();
        QList<QUrl> openedWhileShown;
        bool stayed = false;
        MainWindowFixture::WhenShown(dialog, [this, dialog, &openedWhileShown, &stayed] {
            for (int card = 1; card <= 3; ++card)
                QTest::mouseClick(dialog->GetLinkButton(card), Qt::LeftButton);
            // The card itself leads to its form as well.
            QTest::mouseClick(dialog->GetCard(2), Qt::LeftButton, {}, QPoint(100, 170));
            stayed = dialog->isVisible();
            openedWhileShown = m_opened;
            QTest::mouseClick(dialog->GetContinueButton(), Qt::LeftButton);
        });
        QSignalSpy exit(m_window, &MainWindow::Exit);
        LeaveByTheTitleBar();
        QVERIFY(stayed);
        QCOMPARE(exit.count(), 1);
        const QString site = m_service.HttpBase();
        QCOMPARE(openedWhileShown,
            QList<QUrl>({ QUrl(site + "/survey/student"), QUrl(site + "/survey/software"),
                QUrl(site + "/survey/teaching"), QUrl(site + "/survey/software") }));
        // A teacher's leaving asks the school nothing and posts nothing.
        QCOMPARE(m_service.RequestCount("/api/comments/exists"), 0);
        QCOMPARE(m_service.Requests(CommentPath(session)).size(), 0);
    }

    void Screenshots_data() { EntryScreens::ScaleRows(); }
    void Screenshots()
    {
        QFETCH(double, factor);
        QFETCH(QString, folder);
        Nexus::GetProfile()->SetScale(factor, folder);
        UserFeedBack* student = m_window->GetUserFeedBack();
        student->OnShowDialog();
        QVERIFY(!EntryScreens::SaveScaled(student, "feedback-student-new", factor, folder).isEmpty());
        student->OnScoreBtnPressed(4);
        student->OnFeedBackInfoInitFlagChanged(2);
        student->GetCommentEdit()->setPlainText(QStringLiteral("老师讲得很清楚，例题很有帮助。"));
        student->GetAnonymousBox()->setChecked(true);
        QVERIFY(!EntryScreens::SaveScaled(student, "feedback-student-rated", factor, folder).isEmpty());
        student->OnHideDialog();
        TeacherFeedBack* teacher = m_window->GetTeacherFeedBack();
        teacher->OnShowDialog();
        QVERIFY(!EntryScreens::SaveScaled(teacher, "feedback-teacher", factor, folder).isEmpty());
        teacher->OnHideDialog();
        Nexus::GetProfile()->SetScale(1.0, "x1");
    }
};

PLOVIX_TEST(TestEndOfClass)
#include "tst_EndOfClass.moc"
