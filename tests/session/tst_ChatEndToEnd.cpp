#include "JoinedRoom.h"
#include "TestRegistry.h"

#include "LogCapture.h"
#include "app/DownldManager.h"
#include "session/MsgType.h"
#include "ui/chatArea/ChatContext.h"
#include "ui/chatArea/ChatDialogs.h"
#include "ui/chatArea/ChatLog.h"
#include "ui/chatArea/ChatTextEdit.h"
#include "ui/chatArea/ChatWidget.h"
#include "ui/chatArea/Image.h"
#include "ui/chatArea/MarkItem.h"
#include "ui/chatArea/MarkList.h"
#include "ui/chatArea/Spinner.h"
#include "whiteboard/BoardModel.h"

#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>

// The chat panel of student 58 in room R100 with the teacher (57) as a
// participant of the local service: history, texts, emoji and pictures in
// both directions, a refused upload and the chat right.
class TestChatEndToEnd : public QObject
{
    Q_OBJECT

    JoinedRoom m_setup;
    DataManager* m_data = nullptr;
    Participant* m_teacher = nullptr;
    QWidget m_area;
    ChatWidget m_chat;

    std::vector<ChatLine::Ptr> Lines() const { return m_chat.GetChatLog()->lines(); }
    // The rows of one kind: 1 time, 8 text; 0 pictures, as their items.
    QStringList Rows(int kind) const
    {
        QStringList rows;
        for (const ChatLine::Ptr& line : Lines()) {
            if (kind == 0) {
                for (int i = 0; i < line->itemCount(); ++i) {
                    if (auto* picture = qobject_cast<Image*>(line->item(i)))
                        rows << picture->shownPath();
                }
            } else if (line->singleItemType() == kind) {
                rows << line->item(0)->plainText();
            }
        }
        return rows;
    }
    // The spinner of the newest row, an own picture just shown.
    Spinner* NewestSpinner() const { return qobject_cast<Spinner*>(Lines().back()->item(0)); }
    QString Picture(const QString& name) const
    {
        QDir().mkpath(ChatContext::DataFolder());
        const QString path = ChatContext::DataFolder() + name;
        QImage image(160, 90, QImage::Format_RGB32);
        image.fill(QColor("#4a90d9"));
        return image.save(path) ? path : QString();
    }
    // What the teacher received from the local user.
    QStringList TeacherTexts() const
    {
        QStringList texts;
        for (const QJsonObject& message : m_teacher->Inbox(MsgChat)) {
            const QJsonObject data = message.value("data").toObject();
            if (data.value("sourceId").toString() == "58")
                texts << data.value("content").toString();
        }
        return texts;
    }
    void Type(const QString& text)
    {
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(m_chat.GetInputBox(), &in);
        m_chat.GetInputBox()->setPlainText(text);
    }
    static double NowMs() { return double(QDateTime::currentMSecsSinceEpoch()); }
    // The mark rows' uuids in list order, "hint" for the hint row.
    QStringList MarkUuids() const
    {
        QStringList uuids;
        for (MarkItem* row : m_chat.GetMarkList()->GetItems())
            uuids << (row->GetMarkStatus() == MarkItem::Desc ? QString("hint") : row->GetUuid());
        return uuids;
    }
    MarkItem* MarkRow(const QString& uuid) const
    {
        return m_chat.GetMarkList()->GetItems().value(MarkUuids().indexOf(uuid));
    }

private slots:
    void initTestCase()
    {
        Nexus::SetChatWidget(&m_chat);
        m_area.resize(320, 720);
        QVERIFY(m_setup.Enter());
        m_data = m_setup.data;
        m_teacher = m_setup.teacher.get();
        m_chat.UpdateUI(0, &m_area);
        m_area.show();
    }
    void cleanupTestCase()
    {
        Nexus::SetChatWidget(nullptr);
        Nexus::Teardown();
    }

    void HistoryShownOnEntry()
    {
        QTRY_VERIFY(Rows(8).contains(QString("同学们好，今天讲勾股定理")));
        QVERIFY(Rows(8).contains(QString("老师好！")));
        QVERIFY(Rows(1).contains(QDateTime::fromSecsSinceEpoch(1700000000).toString("hh:mm:ss")));
        // The history's picture is fetched and shown, under the time row of
        // its own time (9 s after the first line), not of the entry.
        QTRY_VERIFY(Rows(0).filter("chatImage/i1s.png").size() == 1);
        QCOMPARE(Rows(1), QStringList { QDateTime::fromSecsSinceEpoch(1700000000).toString("hh:mm:ss") });
    }

    void TextAndEmojiBothWays()
    {
        Type("老师，第二题怎么做？");
        QTest::keyClick(m_chat.GetInputBox(), Qt::Key_Return);
        m_chat.OnEmojiClicked(":/resource/emoji/x1.5/e_winking.png");
        QTRY_COMPARE(TeacherTexts(), (QStringList { "老师，第二题怎么做？", ":e_winking" }));
        QVERIFY(Rows(8).contains(QString("老师，第二题怎么做？")));
        QVERIFY(Rows(0).contains(":/resource/emoji/x1.5/e_winking.png"));
        QVERIFY(m_teacher->Send(MsgChat,
            { { "sourceId", "57" }, { "content", "看课本第 12 页" }, { "operatorUserName", "王老师" },
                { "timestamp", NowMs() } }));
        QVERIFY(m_teacher->Send(MsgChat,
            { { "sourceId", "57" }, { "content", ":e_smiling" }, { "operatorUserName", "王老师" },
                { "timestamp", NowMs() } }));
        QTRY_VERIFY(Rows(8).contains(QString("看课本第 12 页")));
        QTRY_VERIFY(Rows(0).contains(":/resource/emoji/x1.5/e_smiling.png"));
        // The history's time row and the live chat's, years later.
        QVERIFY(Rows(1).size() >= 2);
    }

    void PicturesBothWays()
    {
        const QString own = Picture("board.png");
        m_chat.OnUploadChatImage(own);
        Spinner* spinner = NewestSpinner();
        QVERIFY(spinner && Rows(0).contains(own));
        // Sent once the classroom has converted it and the room has it.
        QTRY_COMPARE_WITH_TIMEOUT(spinner->state(), int(Spinner::Finished), 10000);
        QTRY_COMPARE(m_teacher->Inbox(MsgChatImage).size(), 1);
        const QJsonObject sent = m_teacher->Inbox(MsgChatImage).first().value("data").toObject();
        const QString small = m_setup.service.HttpsUrl("/static/chat/chat-1.png").toString();
        QCOMPARE(sent.value("content").toObject().value("slideUrl").toString(), small);
        QCOMPARE(sent.value("content").toObject().value("slideSize").toString(), QString("160x90"));
        // A repeated conversion result sends nothing more.
        LogCapture log;
        QVERIFY(m_setup.Push(MsgChatImageTransResult,
            QJsonObject { { "imageId", "img-1" }, { "slideUrl", small }, { "slideSize", "160x90" },
                { "mediumUrl", small }, { "mediumSize", "160x90" }, { "normalUrl", small }, { "normalSize", "160x90" },
                { "timestamp", NowMs() } }));
        QTRY_COMPARE(log.Count("picture already sent"), 1);
        QCOMPARE(m_teacher->Inbox(MsgChatImage).size(), 1);
        // The teacher's picture arrives, is fetched and shown.
        const QJsonObject picture { { "imageId", "T1" },
            { "slideUrl", m_setup.service.HttpsUrl("/static/chat/t1s.png").toString() }, { "slideSize", "64x64" },
            { "normalUrl", m_setup.service.HttpsUrl("/static/chat/t1.png").toString() }, { "timestamp", NowMs() } };
        QVERIFY(m_teacher->Send(MsgChatImage, { { "operatorUserName", "王老师" }, { "content", picture } }));
        QTRY_VERIFY_WITH_TIMEOUT(Rows(0).filter("chatImage/t1s.png").size() == 1, 10000);
    }

    void PictureOfAnotherClientShowsHere()
    {
        // Student 59 runs a client of its own and sends a picture from its
        // chat panel; it shows here as the user there sent it.
        QTemporaryDir folder;
        QImage image(240, 120, QImage::Format_RGB32);
        image.fill(QColor("#2e8b57"));
        const QString path = folder.filePath("from-59.png");
        QVERIFY(image.save(path));
        const QByteArray original = TestSupport::ReadFile(path);
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PLOVIX_TEST_ROOM_SERVICE",
            QString::fromUtf8(QJsonDocument(m_setup.service.ReadyInfo()).toJson(QJsonDocument::Compact)));
        environment.insert("PLOVIX_TEST_PICTURE", path);
        other.setProcessEnvironment(environment);
        other.setProcessChannelMode(QProcess::ForwardedChannels);
        other.start(QCoreApplication::applicationFilePath(), { "ChatPictureSender" });
        auto received = [&] {
            for (const ChatLine::Ptr& line : Lines()) {
                for (int i = 0; i < line->itemCount(); ++i) {
                    auto* picture = qobject_cast<Image*>(line->item(i));
                    if (picture && !picture->sentBySelf() && picture->hasPicture()
                        && TestSupport::ReadFile(picture->shownPath()) == original)
                        return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(received(), 60000);
        // It may have ended while the picture was awaited: waiting again
        // for a finished process fails.
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(60000));
        QCOMPARE(other.exitStatus(), QProcess::NormalExit);
        QCOMPARE(other.exitCode(), 0);
        m_chat.GetChatLog()->scrollToBottom();
        QVERIFY(!TestSupport::SaveScreenshot(&m_chat, "chat-panel-picture-of-another-client").isEmpty());
    }

    void FailedTransfersSaySo()
    {
        // A picture of the teacher that cannot be fetched.
        const QJsonObject gone { { "imageId", "T2" },
            { "slideUrl", m_setup.service.HttpsUrl("/static/chat/gone.jpg").toString() }, { "slideSize", "64x64" },
            { "normalUrl", m_setup.service.HttpsUrl("/static/chat/gone-full.jpg").toString() },
            { "timestamp", NowMs() } };
        QVERIFY(m_teacher->Send(MsgChatImage, { { "operatorUserName", "王老师" }, { "content", gone } }));
        QTRY_VERIFY(!Lines().empty() && Lines().back()->item(0)->tag() == "T2");
        auto* fetched = qobject_cast<Spinner*>(Lines().back()->item(1));
        QVERIFY(fetched);
        QTRY_COMPARE_WITH_TIMEOUT(fetched->state(), int(Spinner::Failed), 10000);
        QCOMPARE(fetched->failureText(), QString("加载失败"));
        // An own picture the classroom refuses.
        QVERIFY(m_setup.service.Status("/api/upload/chat", 500, 1));
        m_chat.OnUploadChatImage(Picture("refused.png"));
        Spinner* spinner = NewestSpinner();
        QCOMPARE(spinner->state(), int(Spinner::Loading));
        QTRY_COMPARE_WITH_TIMEOUT(spinner->state(), int(Spinner::Failed), 10000);
        QCOMPARE(spinner->failureText(), QString("发送失败"));
        QVERIFY(!spinner->isTurning());
        m_chat.GetChatLog()->scrollToBottom();
        QVERIFY(!TestSupport::SaveScreenshot(&m_chat, "chat-panel-student-end-to-end").isEmpty());
    }

    void ChatRightTakenAndGivenBack()
    {
        const QList<QPushButton*> buttons { m_chat.findChild<QPushButton*>("sendButton"),
            m_chat.findChild<QPushButton*>("emoteButton"), m_chat.findChild<QPushButton*>("fileButton"),
            m_chat.findChild<QPushButton*>("screenshotButton") };
        Type("写了一半");
        QVERIFY(
            m_teacher->Send(MsgUserPrivilege, { { "privilege", "chat" }, { "enabled", false }, { "userId", "58" } }));
        QTRY_VERIFY(!m_chat.IsChatAllowed());
        QCOMPARE(m_chat.GetInputBox()->toPlainText(), QString("您没有聊天权限"));
        for (QPushButton* button : buttons)
            QVERIFY2(button && !button->isEnabled(), qPrintable(button ? button->objectName() : "missing"));
        const size_t rows = Lines().size();
        const int windows = QApplication::topLevelWidgets().size();
        m_chat.onSendTriggered();
        m_chat.OnEmojiClicked(":/resource/emoji/x1.5/e_angry.png");
        m_chat.OnUploadChatImage(Picture("no-right.png"));
        m_chat.onScreenshotClicked();
        QTest::qWait(200);
        QCOMPARE(Lines().size(), rows);
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QCOMPARE(TeacherTexts().size(), 2);
        QVERIFY(
            m_teacher->Send(MsgUserPrivilege, { { "privilege", "chat" }, { "enabled", true }, { "userId", "58" } }));
        QTRY_VERIFY(m_chat.IsChatAllowed());
        QCOMPARE(m_chat.GetInputBox()->toPlainText(), QString("写了一半"));
        for (QPushButton* button : buttons)
            QVERIFY(button->isEnabled());
    }

    void PictureTheRoomNeverHearsOfFails()
    {
        // The classroom takes the upload but its conversion never comes
        // within the upload's time-out.
        QVERIFY(m_setup.room->Late(MsgChatImageTransResult, 600000));
        Nexus::GetDownldManager()->SetTimeOuts(20000, 1500);
        const int sent = m_teacher->Inbox(MsgChatImage).size();
        m_chat.OnUploadChatImage(Picture("unheard.png"));
        Spinner* spinner = NewestSpinner();
        QTRY_COMPARE_WITH_TIMEOUT(spinner->failureText(), QString("发送失败"), 15000);
        QVERIFY(!spinner->isTurning());
        QCOMPARE(m_teacher->Inbox(MsgChatImage).size(), sent);
        Nexus::GetDownldManager()->SetTimeOuts(0, 0);
        QVERIFY(m_setup.room->Late(MsgChatImageTransResult, 0));
    }

    void MarksListedMadeEditedAndDeleted()
    {
        const QString listed = "2b7e1516-28ae-4d2a-a6d2-abf7158809cf";
        QVERIFY(m_chat.GetTabWidget() && m_chat.GetMarkList());
        QTRY_COMPARE(MarkUuids(), (QStringList { listed, "hint" }));
        QCOMPARE(MarkRow(listed)->GetTimeText(), QString("05:07"));
        QCOMPARE(MarkRow(listed)->GetEditorText(), QString("标记 05:07"));
        // A new mark goes in above the hint and its tab comes forward.
        m_chat.GetTabWidget()->setCurrentIndex(0);
        m_data->GetBoardModel()->SetCurrentBoard("W1001");
        emit m_data->UserMakeMark();
        QTRY_COMPARE(MarkUuids().size(), 3);
        const QString made = MarkUuids().at(1);
        QCOMPARE(m_chat.GetTabWidget()->currentIndex(), 1);
        // An edit goes to the room through the session and adds no row.
        LogCapture log;
        MarkItem* row = MarkRow(made);
        QTest::mouseClick(row->GetEditButton(), Qt::LeftButton);
        row->GetEditor()->setPlainText("三种证明");
        QTest::mouseClick(row->GetDoneButton(), Qt::LeftButton);
        QCOMPARE(m_data->GetMarkItemById(made).description, QString("三种证明"));
        QTRY_COMPARE(log.Count("its update mark, and no need insert"), 1);
        // A list answered again, with one mark more: each mark once.
        const QJsonArray list { QJsonObject { { "uuid", listed }, { "markTimestamp", 1700000307000.0 },
                                    { "markMessage", "标记 05:07" } },
            QJsonObject { { "uuid", "R2" }, { "markTimestamp", 1700000400000.0 }, { "markMessage", "<b>R2</b>" } } };
        QTest::mouseClick(MarkRow(listed)->GetEditButton(), Qt::LeftButton);
        MarkRow(listed)->GetEditor()->setPlainText("还没写完");
        QVERIFY(m_setup.Push(MsgUserMarkList, QJsonObject { { "markList", list } }));
        QTRY_COMPARE(MarkUuids(), (QStringList { listed, made, "R2", "hint" }));
        // The mark being edited stays open with its text.
        QCOMPARE(MarkRow(listed)->GetMarkStatus(), int(MarkItem::Modify));
        QCOMPARE(MarkRow(listed)->GetEditorText(), QString("还没写完"));
        QCOMPARE(MarkRow("R2")->GetEditorText(), QString("<b>R2</b>"));
        m_chat.OnRenderMarkList();
        QCOMPARE(MarkUuids(), (QStringList { listed, made, "R2", "hint" }));
        // A deletion takes the row away only once the room confirms it.
        QTest::mouseClick(MarkRow(made)->GetDeleteButton(), Qt::LeftButton);
        QVERIFY(MarkUuids().contains(made));
        QTRY_COMPARE(MarkUuids(), (QStringList { listed, "R2", "hint" }));
        m_chat.GetTabWidget()->setCurrentIndex(1);
        QVERIFY(!TestSupport::SaveScreenshot(&m_chat, "chat-panel-student-marks-in-room").isEmpty());
    }
};

// The other client of TestChatEndToEnd::PictureOfAnotherClientShowsHere, in
// a process of its own: student 59 enters room R100 on the service that test
// runs and sends a picture with its chat panel's picture button, as a user
// would. Skipped when run on its own.
class ChatPictureSender : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    QWidget m_area;
    ChatWidget m_chat;

private slots:
    void SendsAPicture()
    {
        const QByteArray service = qgetenv("PLOVIX_TEST_ROOM_SERVICE");
        if (service.isEmpty())
            QSKIP("the other client of a two-client chat test");
        const QString picture = qEnvironmentVariable("PLOVIX_TEST_PICTURE");
        Nexus::Instance();
        Nexus::SetChatWidget(&m_chat);
        m_setup.localUid = 59;
        m_setup.attachTo = QJsonDocument::fromJson(service).object();
        QVERIFY(m_setup.Start("1"));
        m_setup.AddSession("S100", "R100", "100100");
        m_setup.data->OnRoomEntry("S100");
        emit m_setup.data->EnterRoom();
        QTRY_VERIFY_WITH_TIMEOUT(Nexus::GetDataPrepPhase() == 3, 30000);
        m_area.resize(320, 720);
        m_chat.UpdateUI(0, &m_area);
        m_area.show();
        QTRY_VERIFY_WITH_TIMEOUT(m_chat.IsChatAllowed() && (m_setup.data->GetPermission() & 16), 15000);
        ChatDialogs::Instance().getOpenFileNames
            = [picture](QWidget*, const QString&, const QString&, const QString&) { return QStringList { picture }; };
        QTest::mouseClick(m_chat.findChild<QPushButton*>("fileButton"), Qt::LeftButton);
        const std::vector<ChatLine::Ptr> lines = m_chat.GetChatLog()->lines();
        QVERIFY(!lines.empty());
        auto* spinner = qobject_cast<Spinner*>(lines.back()->item(0));
        QVERIFY(spinner);
        QTRY_COMPARE_WITH_TIMEOUT(spinner->state(), int(Spinner::Finished), 30000);
        Nexus::SetChatWidget(nullptr);
        Nexus::Teardown();
    }
};

static TestRegistry::Registrar s_chatPictureSender(
    "ChatPictureSender", []() -> std::unique_ptr<QObject> { return std::make_unique<ChatPictureSender>(); });

PLOVIX_TEST(TestChatEndToEnd)
#include "tst_ChatEndToEnd.moc"
