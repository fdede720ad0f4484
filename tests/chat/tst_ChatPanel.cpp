#include "ChatFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/DownldManager.h"
#include "ui/chatArea/ChatContext.h"
#include "ui/chatArea/ChatDialogs.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatLog.h"
#include "ui/chatArea/ChatTextEdit.h"
#include "ui/chatArea/EmojiWidget.h"
#include "ui/chatArea/Image.h"

#include <QDateTime>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The chat panel driven through its own slots, with the session's state set
// directly: time rows, emoji codes, own rows, sending, the chat right and
// pictures received, attached and pasted.
class TestChatPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    ChatWidget* m_panel = nullptr;
    qint64 m_now = 1700000000;
    QTemporaryDir m_dir;

    DataManager* Data() const { return Nexus::GetDataManager(); }
    int CountTimeRows() const
    {
        int count = 0;
        for (const ChatLine::Ptr& line : m_panel->GetChatLog()->lines())
            count += line->singleItemType() == 1 ? 1 : 0;
        return count;
    }
    int Rows() const { return int(m_panel->GetChatLog()->lines().size()); }
    ChatLine::Ptr Last() const { return m_panel->GetChatLog()->lines().back(); }
    void Type(const QString& text)
    {
        // The user clicks into the box (focus as the panel's filter sees it).
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(m_panel->GetInputBox(), &in);
        m_panel->GetInputBox()->setPlainText(text);
    }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<ChatFixture>(320, 42);
        m_panel = m_fixture->panel.get();
        m_panel->SetClock([this] { return m_now; });
        Data()->SetFullName("李明");
        m_panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel));
    }
    void init()
    {
        Data()->SetPermission(16 | 1);
        m_panel->UpdateUIByPermission(16 | 1);
    }
    void cleanup()
    {
        m_panel->OnCleanUp();
        m_panel->show();
        ChatDialogs::Reset();
    }
    void cleanupTestCase() { m_fixture.reset(); }

    void TimeRows_data()
    {
        QTest::addColumn<QList<int>>("sendTimes"); // 0 = own, sent "now"
        QTest::addColumn<QList<int>>("clock"); // seconds after the start, per message
        QTest::addColumn<int>("timeRows");
        QTest::newRow("own 60 s apart") << QList<int> { 0, 0 } << QList<int> { 0, 60 } << 1;
        QTest::newRow("own 61 s apart") << QList<int> { 0, 0 } << QList<int> { 0, 61 } << 2;
        QTest::newRow("history 10 s older") << QList<int> { 1000, 990 } << QList<int> { 0, 0 } << 2;
        QTest::newRow("history 30 s later") << QList<int> { 1000, 1030 } << QList<int> { 0, 0 } << 1;
        QTest::newRow("own after a future row") << QList<int> { 5000, 0 } << QList<int> { 0, 0 } << 2;
    }
    void TimeRows()
    {
        QFETCH(QList<int>, sendTimes);
        QFETCH(QList<int>, clock);
        QFETCH(int, timeRows);
        m_now += 100000;
        const qint64 start = m_now;
        for (int i = 0; i < sendTimes.size(); ++i) {
            m_now = start + clock[i];
            const int at = sendTimes[i] == 0 ? 0 : int(start) + sendTimes[i];
            m_panel->OnShowChatMsg(sendTimes[i] == 0 ? "李明" : "张华", "消息", at);
        }
        QCOMPARE(CountTimeRows(), timeRows);
        QCOMPARE(Rows(), timeRows + 2 * sendTimes.size());
    }

    void EmojiCodesAndOwnRows_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("own");
        QTest::addColumn<bool>("timed");
        QTest::newRow("emoji of another") << "张华"
                                          << ":e_smiling" << true << false << true;
        QTest::newRow("own emoji by name") << "李明"
                                           << ":e_tears" << true << true << true;
        QTest::newRow("code with a blank") << "张华"
                                           << ":e_smiling " << false << false << true;
        QTest::newRow("code in another case") << "张华"
                                              << ":E_SMILING" << false << false << true;
        QTest::newRow("text under the own name") << "李明"
                                                 << "hi" << false << true << true;
        QTest::newRow("empty name is nobody's") << ""
                                                << "hi" << false << false << true;
        QTest::newRow("another's text without a time") << "张华"
                                                       << "hi" << false << false << false;
    }
    void EmojiCodesAndOwnRows()
    {
        QFETCH(QString, sender);
        QFETCH(QString, text);
        QFETCH(bool, picture);
        QFETCH(bool, own);
        QFETCH(bool, timed);
        m_panel->OnShowChatMsg(sender, text, timed ? int(m_now) : 0);
        ChatLine::Ptr last = Last();
        if (picture) {
            auto* image = qobject_cast<Image*>(last->item(0));
            QVERIFY(image && image->hasPicture());
            QCOMPARE(QSize(image->width(), image->height()), QSize(36, 36));
        } else {
            QCOMPARE(last->singleItemType(), 8);
            QCOMPARE(last->item(0)->plainText(), text);
        }
        // Own rows stand against the right side.
        QCOMPARE(last->item(0)->pos().x() > 0, own);
    }

    void PictureTimeRowsTellTheSendTime()
    {
        // A picture and an emoji of the history, sent long before entry.
        m_now += 100000;
        const int sent = int(m_now) - 3600;
        m_panel->OnShowChatImageMsg(QVariant::fromValue(ChatFixture::Received("t1", "20x20", sent)));
        m_panel->OnShowChatMsg("张华", ":e_tears", sent + 600);
        QStringList times;
        for (const ChatLine::Ptr& line : m_panel->GetChatLog()->lines()) {
            if (line->singleItemType() == 1)
                times << line->item(0)->plainText();
        }
        auto at = [](int seconds) { return QDateTime::fromSecsSinceEpoch(seconds).toString("hh:mm:ss"); };
        QCOMPARE(times, (QStringList { at(sent), at(sent + 600) }));
    }

    void PictureSizes_data()
    {
        QTest::addColumn<QSize>("file");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("50 x 40 kept") << QSize(50, 40) << QSize(50, 40);
        QTest::newRow("400 x 300") << QSize(400, 300) << QSize(100, 75);
        QTest::newRow("300 x 7") << QSize(300, 7) << QSize(85, 2);
        QTest::newRow("unreadable") << QSize() << QSize(0, 0);
    }
    void PictureSizes()
    {
        QFETCH(QSize, file);
        QFETCH(QSize, shown);
        QString path = m_dir.filePath("missing.png");
        if (file.isValid())
            path = ChatFixture::WritePicture(m_dir.filePath("size.png"), file.width(), file.height());
        QCOMPARE(ChatWidget::GetPictureSize(path), shown);
    }

    void SendingNeedsRightTextAndNoHint()
    {
        QSignalSpy sent(Data(), &DataManager::SendChatMsg);
        ChatTextEdit* box = m_panel->GetInputBox();
        // The hint is never sent, not even by the button.
        m_panel->SetMsgInitFlag(1);
        QCOMPARE(box->toPlainText(), QString("说点什么吧~"));
        m_panel->onSendTriggered();
        Type("");
        QCOMPARE(m_panel->GetMsgInitFlag(), 2);
        m_panel->onSendTriggered();
        QCOMPARE(sent.count(), 0);
        QCOMPARE(Rows(), 0);
        Type("大家好 <3");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.first().first().toString(), QString("大家好 <3"));
        QCOMPARE(Last()->item(0)->plainText(), QString("大家好 <3"));
        QVERIFY(box->toPlainText().isEmpty());
        // Without the chat right nothing is sent.
        Data()->SetPermission(1);
        Type("again");
        m_panel->onSendTriggered();
        QCOMPARE(sent.count(), 1);
    }

    void ChatRightKeepsTheDraftOnOtherChanges()
    {
        ChatTextEdit* box = m_panel->GetInputBox();
        Type("draft");
        m_panel->UpdateUIByPermission(16 | 4);
        QCOMPARE(box->toPlainText(), QString("draft"));
        m_panel->UpdateUIByPermission(4);
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->toPlainText(), QString("您没有聊天权限"));
        QVERIFY(!m_panel->IsChatAllowed());
        m_panel->UpdateUIByPermission(1);
        QCOMPARE(box->toPlainText(), QString("您没有聊天权限"));
        m_panel->SetMsgInitFlag(1);
        m_panel->UpdateUIByPermission(16);
        QVERIFY(box->isEnabled());
        QCOMPARE(box->toPlainText(), QString("说点什么吧~"));
    }

    void ReceivedPictures_data()
    {
        QTest::addColumn<QString>("imageId");
        QTest::addColumn<QString>("slideUrl");
        QTest::addColumn<bool>("onDisk");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("downloads");
        QTest::newRow("fetched") << "a1"
                                 << "https://pic.example/s/a1.png" << false << 2 << 2;
        QTest::newRow("already on disk") << "a2"
                                         << "https://pic.example/s/a2.png" << true << 2 << 1;
        QTest::newRow("no id") << ""
                               << "https://pic.example/s/a3.png" << false << 0 << 0;
        QTest::newRow("no address") << "a4"
                                    << "" << false << 0 << 0;
        QTest::newRow("address of the folder") << "a5"
                                               << "https://pic.example/" << false << 2 << 1;
    }
    void ReceivedPictures()
    {
        QFETCH(QString, imageId);
        QFETCH(QString, slideUrl);
        QFETCH(bool, onDisk);
        QFETCH(int, rows);
        QFETCH(int, downloads);
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        if (onDisk)
            ChatFixture::WritePicture(folder + ChatContext::PictureFileName(slideUrl), 20, 20);
        QList<DownloadElem> asked;
        QMetaObject::Connection connection = connect(
            Nexus::GetDownldManager(), &DownldManager::download, this, [&asked](DownloadElem& elem) { asked << elem; });
        QSignalSpy finished(Nexus::Instance(), &Nexus::DownloadFinish);
        chatImageStruct message;
        message.senderUid = 7;
        message.senderName = "张华";
        message.imageId = imageId;
        message.slideUrl = slideUrl;
        message.slideSize = "200x100";
        message.normalUrl = "https://pic.example/n/n_" + imageId + ".png";
        m_panel->OnShowChatImageMsg(QVariant::fromValue(message));
        disconnect(connection);
        QCOMPARE(Rows() - CountTimeRows(), rows);
        QCOMPARE(asked.size(), downloads);
        for (const DownloadElem& elem : asked) {
            QCOMPARE(elem.key, imageId);
            QCOMPARE(elem.relatePath, ChatContext::DataFolder() + "chatImage");
        }
        QCOMPARE(finished.count(), onDisk ? 1 : 0);
        if (onDisk) {
            m_panel->OnDownloadImageSuccess(32, imageId);
            QVERIFY(qobject_cast<Image*>(Last()->item(0))->hasPicture());
        }
    }

    void LargePicturesAreKeptAtTheirShownSize()
    {
        // Any participant may send a 6000 x 6000 picture (a hundred KB as a
        // PNG) again and again; each row keeps only what it shows.
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        const QString huge = ChatFixture::WritePicture(folder + "huge-0.png", 6000, 6000);
        QVERIFY(!huge.isEmpty());
        for (int i = 1; i < 50; ++i)
            QVERIFY(QFile::copy(huge, folder + QString("huge-%1.png").arg(i)));
        const qint64 before = TestSupport::ResidentKb();
        for (int i = 0; i < 50; ++i) {
            const chatImageStruct message = ChatFixture::Received(QString("huge-%1").arg(i), "6000x6000");
            m_panel->OnShowChatImageMsg(QVariant::fromValue(message));
            auto* picture = qobject_cast<Image*>(Last()->item(0));
            QVERIFY(picture && picture->hasPicture());
            QCOMPARE(picture->shownPath(), folder + message.imageId + ".png");
            QCOMPARE(picture->keptSize(), QSize(200, 200));
            // Checked as it grows, so a fault stops here, not at the
            // machine's last gigabyte.
            const qint64 added = TestSupport::ResidentKb() - before;
            QVERIFY2(added < 50 * 1024, qPrintable(QString("%1 pictures added %2 KB").arg(i + 1).arg(added)));
        }
        QCoreApplication::processEvents();
        QVERIFY(TestSupport::ResidentKb() - before < 50 * 1024);
    }

    void PicturesAttachedAndPasted()
    {
        QStringList uploads;
        QMetaObject::Connection connection = connect(Nexus::GetDownldManager(), &DownldManager::ChatImageUpload, this,
            [&uploads](QString path) { uploads << path; });
        const QString picture = ChatFixture::WritePicture(m_dir.filePath("attach.png"), 400, 200);
        const QString text = m_dir.filePath("notes.png");
        TestSupport::WriteFile(text, "not a picture");
        ChatDialogs::Instance().getOpenFileNames = [&](QWidget*, const QString&, const QString&, const QString&) {
            return QStringList { picture, text, m_dir.filePath("gone.png") };
        };
        m_panel->onAttachClicked();
        QCOMPARE(uploads, QStringList { picture });
        auto* shown = qobject_cast<Image*>(Last()->item(1));
        QVERIFY(shown);
        QCOMPARE(QSize(shown->width(), shown->height()), QSize(100, 50));
        // Pasted: saved under the data folder, then shown and uploaded.
        QImage pasted(64, 32, QImage::Format_RGB32);
        pasted.fill(Qt::green);
        m_panel->sendImage(QPixmap::fromImage(pasted));
        QCOMPARE(uploads.size(), 2);
        QVERIFY(uploads.last().startsWith(ChatContext::DataFolder() + "chatImage/Image_"));
        QCOMPARE(QImage(uploads.last()).size(), QSize(64, 32));
        // A picture that cannot be saved is reported, never sent.
        int warnings = 0;
        ChatDialogs::Instance().warning = [&](QWidget*, const QString&, const QString&) { ++warnings; };
        const int rows = Rows();
        m_panel->sendImage(QPixmap());
        QCOMPARE(warnings, 1);
        QCOMPARE(Rows(), rows);
        // Without the chat right nothing is shown or sent.
        Data()->SetPermission(0);
        m_panel->OnUploadChatImage(picture);
        m_panel->sendImage(QPixmap::fromImage(pasted));
        QCOMPARE(uploads.size(), 2);
        QCOMPARE(Rows(), rows);
        disconnect(connection);
    }

    void EmojiPickerShowsHidesAndSends()
    {
        // The right column of a window; the pop-up stands over the window.
        QWidget window;
        window.resize(700, 720);
        QPalette grey = window.palette();
        grey.setColor(QPalette::Window, QColor("#dfe3e8"));
        window.setPalette(grey);
        window.setAutoFillBackground(true);
        QWidget area(&window);
        area.setGeometry(340, 0, 360, 720);
        window.show();
        m_panel->UpdateUI(40, &area);
        QCOMPARE(m_panel->geometry(), QRect(0, 40, 360, 679));
        QPushButton* button = m_panel->findChild<QPushButton*>("emoteButton");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        EmojiWidget* popup = m_panel->GetEmojiWidget();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->size(), QSize(180, 210));
        // Right above the button, centred on its left edge.
        const QPoint at = button->mapTo(popup->parentWidget(), QPoint(0, 0));
        QCOMPARE(popup->pos(), QPoint(at.x() - 90, at.y() - 210));
        EmojiTable* table = popup->table();
        QCOMPARE(table->paths().size(), 29);
        QCOMPARE(table->size(), QSize(162, 194));
        auto* last = qobject_cast<EmojiItem*>(table->cellWidget(5, 3));
        QVERIFY(last && !table->cellWidget(5, 4));
        QCOMPARE(last->path(), QString(":/resource/emoji/x1.5/e_winking_tongue.png"));
        for (double scale : { 1.0, 1.5 })
            QVERIFY(ChatFixture::SaveScaledScreenshot(&window, "chat-panel-emoji-open", scale));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(popup->isVisible());

        QSignalSpy sent(Data(), &DataManager::SendChatMsg);
        QTest::mouseClick(qobject_cast<EmojiItem*>(table->cellWidget(0, 0)), Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.first().first().toString(), QString(":e_angry"));
        auto* shown = qobject_cast<Image*>(Last()->item(0));
        QVERIFY(shown && shown->hasPicture());
        QCOMPARE(shown->shownPath(), QString(":/resource/emoji/x1.5/e_angry.png"));
        // The chat right taken away while the pop-up is open: it closes and
        // nothing is shown or sent.
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(popup->isVisible());
        Data()->SetPermission(0);
        const int rows = Rows();
        QTest::mouseClick(qobject_cast<EmojiItem*>(table->cellWidget(1, 1)), Qt::LeftButton);
        QVERIFY(!popup->isVisible());
        QCOMPARE(sent.count(), 1);
        QCOMPARE(Rows(), rows);
        popup->setParent(m_panel);
        m_panel->setParent(nullptr);
        m_panel->resize(320, 400);
    }
};

PLOVIX_TEST(TestChatPanel)
#include "tst_ChatPanel.moc"
