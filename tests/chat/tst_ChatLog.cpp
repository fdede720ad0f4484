#include "ChatFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "ui/chatArea/ChatContext.h"

#include "ui/chatArea/ChatDialogs.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatLog.h"
#include "ui/chatArea/ChatMessage.h"
#include "ui/chatArea/ChatText.h"
#include "ui/chatArea/Image.h"
#include "ui/chatArea/Spinner.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The chat log driven directly: appending, rows on screen, selection, copy,
// export, the stepwise relayout and the picture transfer slots.
class TestChatLog : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    std::unique_ptr<ChatLog> m_log;
    QTemporaryDir m_dir;

    void Fill(int rows, const QString& text = QStringLiteral("第 %1 条消息 message"))
    {
        for (int i = 0; i < rows; ++i)
            m_log->appendLine(ChatMessage::CreateTextMessage(text.arg(i), i % 2 == 0));
    }
    QScrollBar* Bar() const { return m_log->verticalScrollBar(); }
    void Move(const QPoint& pos, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent move(
            QEvent::MouseMove, pos, m_log->viewport()->mapToGlobal(pos), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(m_log->viewport(), &move);
    }
    // Viewport point of a scene point.
    QPoint At(QPointF scenePos) const { return m_log->mapFromScene(scenePos); }
    static ChatText* TextOf(const ChatLine::Ptr& line) { return qobject_cast<ChatText*>(line->item(0)); }

private slots:
    void initTestCase() { m_fixture = std::make_unique<ChatFixture>(320, 42); }
    void init()
    {
        m_log = std::make_unique<ChatLog>();
        m_log->resize(320, 240);
        m_log->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_log.get()));
    }
    void cleanup()
    {
        m_log.reset();
        ChatDialogs::Reset();
    }
    void cleanupTestCase() { m_fixture.reset(); }

    void AppendSticksToTheBottomOnlyWhenThere()
    {
        Fill(40);
        QVERIFY(Bar()->maximum() > 0);
        QCOMPARE(Bar()->value(), Bar()->maximum());
        Bar()->setValue(Bar()->maximum() / 2);
        const int middle = Bar()->value();
        Fill(5);
        QCOMPARE(Bar()->value(), middle);
        Bar()->setValue(Bar()->maximum());
        Fill(1);
        QCOMPARE(Bar()->value(), Bar()->maximum());
        // Rows are numbered and stacked 5 apart.
        const auto lines = m_log->lines();
        for (size_t i = 1; i < lines.size(); ++i) {
            QCOMPARE(lines[i]->row(), int(i));
            QCOMPARE(lines[i]->bounds().top(), lines[i - 1]->bounds().bottom() + 5);
        }
    }

    void OnlyRowsOnScreenHoldDocuments()
    {
        Fill(200);
        const auto lines = m_log->lines();
        const QList<ChatLine::Ptr> shown = m_log->onScreenLines();
        QVERIFY(!shown.isEmpty() && shown.size() < 40);
        QCOMPARE(shown.last(), lines.back());
        QVERIFY(TextOf(lines.back())->hasDocument());
        QVERIFY(!TextOf(lines.front())->hasDocument());
        Bar()->setValue(0);
        QCOMPARE(m_log->onScreenLines().first(), lines.front());
        QVERIFY(TextOf(lines.front())->hasDocument());
        QVERIFY(!TextOf(lines.back())->hasDocument());
        // Every row on screen intersects the view, and no other does.
        const QRectF visible = m_log->mapToScene(m_log->viewport()->rect()).boundingRect();
        for (const ChatLine::Ptr& line : lines)
            QCOMPARE(line->isOnScreen(), m_log->onScreenLines().contains(line));
        for (const ChatLine::Ptr& line : m_log->onScreenLines())
            QVERIFY(line->bounds().intersects(visible.adjusted(-1, -1, 1, 1)));
    }

    void DoubleClickSelectsWholeTextAndCopiesPlain()
    {
        const QString text = "<b>粗体</b> & more";
        m_log->appendLine(ChatMessage::CreateTextMessage(text, false));
        ChatText* item = TextOf(m_log->lines().front());
        QTest::mouseDClick(m_log->viewport(), Qt::LeftButton, {}, At(item->sceneBoundingRect().center()));
        QCOMPARE(m_log->selectionMode(), 1);
        QVERIFY(m_log->copyAction()->isEnabled());
        QCOMPARE(m_log->selectedText(), text);
        m_log->copySelection(false);
        QCOMPARE(QApplication::clipboard()->text(), text);
        // A left press drops it.
        QTest::mousePress(m_log->viewport(), Qt::LeftButton, {}, At(item->sceneBoundingRect().center()));
        QCOMPARE(m_log->selectionMode(), 0);
        QCOMPARE(m_log->selectedText(), QString());
    }

    void DragAcrossRowsKeepsTheTextSelection()
    {
        Fill(3, "abcdefghijklmnopqrstuvwxyz %1");
        const auto lines = m_log->lines();
        const QRectF first = TextOf(lines[0])->sceneBoundingRect();
        const QPoint start = At(QPointF(first.left() + 5, first.center().y()));
        QTest::mousePress(m_log->viewport(), Qt::LeftButton, {}, start);
        Move(At(QPointF(first.center().x(), first.center().y())));
        QCOMPARE(m_log->selectionMode(), 1);
        const QString part = m_log->selectedText();
        QVERIFY2(part.size() > 3 && QString("abcdefghijklmnopqrstuvwxyz 0").startsWith(part), qPrintable(part));
        // Dragged on to the third row, the text stays selected up to its
        // end, and that is what is shown and copied.
        Move(At(TextOf(lines[2])->sceneBoundingRect().center()));
        QCOMPARE(m_log->selectionMode(), 1);
        QCOMPARE(m_log->selectedText(), QString("abcdefghijklmnopqrstuvwxyz 0"));
        QCOMPARE(m_log->selectionBoxRect(), QRectF());
        QTest::mouseRelease(m_log->viewport(), Qt::LeftButton, {}, At(TextOf(lines[2])->sceneBoundingRect().center()));
        QApplication::clipboard()->clear();
        QTest::keyClick(m_log.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("abcdefghijklmnopqrstuvwxyz 0"));
    }

    void SelectAllSpansEveryRow()
    {
        m_log->selectAllRows();
        QCOMPARE(m_log->selectionMode(), 0);
        m_log->appendLine(ChatMessage::CreateTimeMessage("10:00:00"));
        m_log->appendLine(ChatMessage::CreateSenderMessage("李四", false, false));
        m_log->appendLine(ChatMessage::CreateTextMessage("hi", false));
        QApplication::clipboard()->setText("before");
        m_log->selectAllRows();
        QCOMPARE(m_log->selectionMode(), 2);
        const auto lines = m_log->lines();
        QCOMPARE(m_log->selectionBoxRect(), lines[0]->bounds().united(lines[2]->bounds()));
        // No factory row has a second item with text: nothing to copy.
        m_log->copySelection(false);
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
    }

    void RightPressWithoutSelectionHidesCopy()
    {
        Fill(1);
        QTest::mousePress(m_log->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QVERIFY(!m_log->copyAction()->isVisible());
        QVERIFY(m_log->actions().contains(m_log->exportAction()));
        QVERIFY(!m_log->actions().contains(m_log->selectAllAction()));
        QCOMPARE(m_log->contextMenuPolicy(), Qt::ActionsContextMenu);
    }

    void ExportWritesSenderAndTextOfEachMessage()
    {
        const QString path = m_dir.filePath("export.txt");
        QString caption;
        ChatDialogs::Instance().getSaveFileName = [&](QWidget*, const QString& title, const QString&, const QString&) {
            caption = title;
            return path;
        };
        m_log->appendLine(ChatMessage::CreateTimeMessage("10:00:00"));
        m_log->appendLine(ChatMessage::CreateSenderMessage("张三", false, false));
        m_log->appendLine(ChatMessage::CreateTextMessage("你好 <b>&", false));
        m_log->appendLine(ChatMessage::CreateSenderMessage("李四", true, false));
        m_log->appendLine(
            ChatMessage::CreateLocalImageMessage(":/resource/chat/x1/sending.png", "", 70, 52, true, true));
        m_log->appendLine(ChatMessage::CreateSystemMessage(" 小明给老师点了赞", false));
        m_log->appendLine(ChatMessage::CreateSenderMessage("王五", false, true));
        m_log->appendLine(ChatMessage::CreateTextMessage("最后一条", true));
        m_log->exportAll();
        QCOMPARE(caption, QString("导出全部消息"));
        QCOMPARE(QString::fromUtf8(TestSupport::ReadFile(path)),
            QString("张三      你好 <b>&\n       小明给老师点了赞\n王五      最后一条\n"));
        // Cancelled: nothing written.
        ChatDialogs::Instance().getSaveFileName
            = [](QWidget*, const QString&, const QString&, const QString&) { return QString(); };
        QFile::remove(path);
        m_log->exportAll();
        QVERIFY(!QFile::exists(path));
    }

    void WidthChangeRelaysOutInSteps_data()
    {
        QTest::addColumn<bool>("atBottom");
        QTest::addColumn<int>("characters"); // per row
        QTest::newRow("at the bottom") << true << 40;
        QTest::newRow("scrolled up keeps its anchor") << false << 40;
        QTest::newRow("huge log behind the busy scene") << true << 2600;
    }
    void WidthChangeRelaysOutInSteps()
    {
        QFETCH(bool, atBottom);
        QFETCH(int, characters);
        Fill(400, QString("词").repeated(characters / 2) + " %1");
        if (!atBottom)
            Bar()->setValue(Bar()->maximum() / 3);
        const ChatLine::Ptr anchor = m_log->onScreenLines().first();
        QGraphicsScene* own = m_log->scene();
        QSignalSpy finished(m_log.get(), &ChatLog::workerTimeoutFinished);
        m_fixture->panel->resize(520, 400);
        m_log->resize(520, 240);
        QVERIFY(m_log->isRelayoutRunning());
        QCOMPARE(m_log->scene() != own, characters * 400 > 500000);
        // A second width change while it runs keeps the first decision.
        m_log->resize(500, 240);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(m_log->scene(), own);
        QVERIFY(Bar()->isVisible());
        const auto lines = m_log->lines();
        for (size_t i = 1; i < lines.size(); ++i)
            QCOMPARE(lines[i]->bounds().top(), lines[i - 1]->bounds().bottom() + 5);
        QCOMPARE(lines.back()->bounds().width(), m_log->lineWidth());
        if (atBottom)
            QCOMPARE(Bar()->value(), Bar()->maximum());
        else
            QCOMPARE(Bar()->value(), int(anchor->bounds().top()));
        m_fixture->panel->resize(320, 400);
    }

    void PictureTransfersUpdateTheRightRows()
    {
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        ChatFixture::WritePicture(folder + "dup.png", 120, 60);
        const QString local = ChatFixture::WritePicture(m_dir.filePath("mine.png"), 30, 30);
        chatImageStruct dup;
        dup.senderUid = 7;
        dup.imageId = "dup";
        dup.slideUrl = "https://pic.example/x/dup.png";
        dup.slideSize = "120x60";
        chatImageStruct other = dup;
        other.imageId = "other";
        m_log->appendLine(ChatMessage::CreateImageMessage(dup));
        m_log->appendLine(ChatMessage::CreateLocalImageMessage(local, "", 30, 30, true, true));
        m_log->appendLine(ChatMessage::CreateImageMessage(other));
        m_log->appendLine(ChatMessage::CreateImageMessage(dup));
        m_log->appendLine(ChatMessage::CreateLocalImageMessage(local, "failing", 30, 30, true, true));
        const auto lines = m_log->lines();
        auto picture = [&](int row) { return qobject_cast<Image*>(lines[row]->item(row == 1 || row == 4 ? 1 : 0)); };
        auto spinner = [&](int row) { return qobject_cast<Spinner*>(lines[row]->item(row == 1 || row == 4 ? 0 : 1)); };

        // Empty keys and full pictures change nothing.
        m_log->OnDownloadSuccess(32, "");
        m_log->OnDownloadSuccess(64, "dup");
        m_log->OnUploadSuccess("", "x");
        m_log->OnUploadFailed("");
        for (int row = 0; row < 5; ++row)
            QCOMPARE(spinner(row)->state(), int(Spinner::Loading));

        // A spinner turns while it waits, and stops for good once hidden.
        QVERIFY(spinner(3)->isTurning());
        m_log->OnDownloadSuccess(32, "dup");
        for (int row : { 0, 3 }) {
            QCOMPARE(picture(row)->shownPath(), folder + "dup.png");
            QVERIFY(picture(row)->hasPicture());
            QCOMPARE(spinner(row)->state(), int(Spinner::Finished));
            QVERIFY(!spinner(row)->isTurning());
        }
        QCOMPARE(spinner(2)->state(), int(Spinner::Loading));
        QCOMPARE(picture(1)->shownPath(), local);

        // Uploaded, it still waits (and turns) until the room hears of it.
        QVERIFY(spinner(1)->isTurning());
        m_log->OnUploadSuccess("mine.png", "id-9");
        QCOMPARE(picture(1)->tag(), QString("id-9"));
        QCOMPARE(spinner(1)->state(), int(Spinner::Loading));
        m_log->OnPictureSent("id-9");
        QCOMPARE(spinner(1)->state(), int(Spinner::Finished));
        QVERIFY(!spinner(1)->isTurning());
        m_log->OnUploadFailed("failing");
        QCOMPARE(spinner(4)->state(), int(Spinner::Failed));
    }

    void UploadAnswersFindTheirOwnRows()
    {
        const QString local = ChatFixture::WritePicture(m_dir.filePath("twice.png"), 30, 30);
        auto send = [&] {
            m_log->appendLine(ChatMessage::CreateLocalImageMessage(local, "", 30, 30, true, true));
            return qobject_cast<Spinner*>(m_log->lines().back()->item(0));
        };
        // One file sent twice: each answer finds its own row.
        Spinner* first = send();
        Spinner* second = send();
        m_log->OnUploadSuccess("twice.png", "a-1");
        m_log->OnUploadSuccess("twice.png", "a-2");
        m_log->OnPictureSent("a-2");
        m_log->OnPictureSent("a-1");
        QCOMPARE(first->state(), int(Spinner::Finished));
        QCOMPARE(second->state(), int(Spinner::Finished));
        // A retry after a failure: the answer is the retry's, and a room
        // that hears of it before the answer arrives counts too.
        Spinner* failed = send();
        m_log->OnUploadFailed(local);
        QCOMPARE(failed->failureText(), QString("发送失败"));
        Spinner* retry = send();
        m_log->OnPictureSent("a-3");
        m_log->OnUploadSuccess("twice.png", "a-3");
        QCOMPARE(retry->state(), int(Spinner::Finished));
        QCOMPARE(failed->state(), int(Spinner::Failed));
        // An answer without an id, and a room that never hears of the
        // picture within the wait, both end in the failure.
        Spinner* noId = send();
        m_log->OnUploadSuccess("twice.png", "");
        QCOMPARE(noId->failureText(), QString("发送失败"));
        m_log->SetSendTimeOut(200);
        Spinner* unheard = send();
        m_log->OnUploadSuccess("twice.png", "a-4");
        QCOMPARE(unheard->state(), int(Spinner::Loading));
        QTRY_COMPARE(unheard->failureText(), QString("发送失败"));
        QVERIFY(!unheard->isTurning());
        m_log->scrollToBottom();
        QVERIFY(ChatFixture::SaveScaledScreenshot(m_log.get(), "chat-log-picture-timed-out", 1));
        // The room confirms it after the wait: everyone has it after all.
        m_log->OnPictureSent("a-4");
        QCOMPARE(unheard->state(), int(Spinner::Finished));
        QCOMPARE(unheard->failureText(), QString());
        for (double scale : { 1.0, 1.5 })
            QVERIFY(ChatFixture::SaveScaledScreenshot(m_log.get(), "chat-log-picture-sent-late", scale));
        // A row that failed before it had an id stays failed.
        QCOMPARE(noId->failureText(), QString("发送失败"));
    }

    void UndecodableDownloadSaysSo()
    {
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        QDir().mkpath(folder);
        TestSupport::WriteFile(folder + "broken.png", "not a picture at all");
        m_log->appendLine(ChatMessage::CreateImageMessage(ChatFixture::Received("broken", "120x60")));
        auto* picture = qobject_cast<Image*>(m_log->lines().back()->item(0));
        auto* spinner = qobject_cast<Spinner*>(m_log->lines().back()->item(1));
        m_log->OnDownloadSuccess(32, "broken");
        QCOMPARE(spinner->failureText(), QString("加载失败"));
        // The placeholder stays instead of a blank gap.
        QVERIFY(picture->hasPicture());
        QCOMPARE(picture->shownPath(), QString(":/resource/chat/x1/sending.png"));
    }
};

PLOVIX_TEST(TestChatLog)
#include "tst_ChatLog.moc"
