#include "ChatFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "platform/Shell.h"
#include "ui/chatArea/ChatContext.h"
#include "ui/chatArea/ChatDialogs.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatLog.h"
#include "ui/chatArea/ChatMessage.h"
#include "ui/chatArea/ChatTextEdit.h"
#include "ui/chatArea/GenericChatForm.h"
#include "ui/chatArea/Image.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Counts what the panel would do with the tool buttons.
class CountingForm : public GenericChatForm
{
public:
    int sends = 0;
    void onSendTriggered() override { ++sends; }
};

// Stands in for the desktop: records the files it is asked to open.
class OpenRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

// The chat form: tool row, like button, context menu, saved log, picture
// clicks, and its screenshots with every kind of row.
class TestChatForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    std::unique_ptr<CountingForm> m_form;
    QTemporaryDir m_dir;
    OpenRecorder m_desktop;

    void Click(Image* picture)
    {
        QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
        press.setButton(Qt::LeftButton);
        picture->scene()->sendEvent(picture, &press);
    }

private slots:
    void initTestCase()
    {
        QApplication::setFont(QFont(QStringLiteral("Microsoft YaHei UI"), 9));
        m_fixture = std::make_unique<ChatFixture>(320, 42);
        Shell::SetOpener([this](const QString& path) {
            m_desktop.open(QUrl::fromLocalFile(path));
            return true;
        });
    }
    void init()
    {
        m_form = std::make_unique<CountingForm>();
        m_form->resize(320, 560);
        m_fixture->panel->resize(320, 560);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        ChatDialogs::Reset();
        m_desktop.opened.clear();
    }
    void cleanupTestCase()
    {
        Shell::SetOpener(nullptr);
        m_fixture.reset();
    }

    void EnterSendsOnceAndShiftEnterBreaksTheLine()
    {
        ChatTextEdit* box = m_form->GetInputBox();
        box->setPlainText("你好");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(m_form->sends, 1);
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(m_form->sends, 1);
        QVERIFY(box->toPlainText().contains('\n'));
        QTest::mouseClick(m_form->GetSendButton(), Qt::LeftButton);
        QCOMPARE(m_form->sends, 2);
    }

    void LikeButtonLooksAndAsks()
    {
        DataManager* data = Nexus::GetDataManager();
        QSignalSpy asked(data, &DataManager::UserMakeLike);
        QApplication::setActiveWindow(m_form.get());
        QTest::mouseClick(m_form->GetLikeButton(), Qt::LeftButton);
        QCOMPARE(asked.count(), 1);
        // The click leaves no focus on the button: a space typed afterwards
        // (say, while the chat right is away) is no second like.
        QVERIFY(!m_form->GetLikeButton()->hasFocus());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_form.get(), Qt::Key_Space);
        QCOMPARE(asked.count(), 1);
        for (QPushButton* button : m_form->findChildren<QPushButton*>())
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        m_form->UpdateCSS4BtnLike();
        QVERIFY(!m_form->IsLikeShownLiked());
        QVERIFY(m_form->GetLikeButton()->styleSheet().contains("x1.5/make_like.png"));
        // A like in the room shows at the next layout, not before.
        data->SetLikedFlag(true);
        QVERIFY(!m_form->IsLikeShownLiked());
        m_form->UpdateCSS4BtnLike();
        QVERIFY(m_form->IsLikeShownLiked());
        QVERIFY(!m_form->GetLikeButton()->styleSheet().contains("make_like.png"));
        data->SetLikedFlag(false);
    }

    void ContextMenuHoldsLogActionsAndCopyLink()
    {
        const QList<QAction*> actions = m_form->GetContextMenu()->actions();
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions[0], m_form->GetChatLog()->copyAction());
        QCOMPARE(actions[1], m_form->GetChatLog()->exportAction());
        QCOMPARE(actions[2], m_form->GetCopyLinkAction());
        QVERIFY(actions[3]->isSeparator());
        m_form->GetCopyLinkAction()->setData(QStringLiteral("https://example.org/a"));
        m_form->copyLink();
        QCOMPARE(QApplication::clipboard()->text(), QString("https://example.org/a"));
    }

    void SavedLogHasOnlyStampedRows()
    {
        const QString path = m_dir.filePath("saved.log");
        ChatDialogs::Instance().getSaveFileName
            = [&](QWidget*, const QString&, const QString&, const QString&) { return path; };
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("张三", false, false));
        m_form->InsertChatLine(ChatMessage::CreateTextMessage("hello", false));
        m_form->onSaveLogClicked();
        QVERIFY(QFile::exists(path));
        QCOMPARE(TestSupport::ReadFile(path), QByteArray());
        QSignalSpy cleared(m_form.get(), &GenericChatForm::chatAreaCleared);
        m_form->clearChatArea();
        QCOMPARE(cleared.count(), 1);
        QVERIFY(m_form->GetChatLog()->lines().empty());
    }

    void PictureClickOpensOnlyPictureFiles_data()
    {
        QTest::addColumn<QString>("fullName"); // received full picture's file
        QTest::addColumn<bool>("opened");
        QTest::newRow("a picture") << "n_1.png" << true;
        QTest::newRow("a desktop entry") << "n_2.desktop" << false;
        QTest::newRow("a script named .png") << "n_3.png" << false;
        QTest::newRow("not downloaded") << "n_4.jpg" << false;
    }
    void PictureClickOpensOnlyPictureFiles()
    {
        QFETCH(QString, fullName);
        QFETCH(bool, opened);
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        ChatFixture::WritePicture(folder + "n_1.png", 40, 40);
        TestSupport::WriteFile(folder + "n_2.desktop", "[Desktop Entry]\nExec=rm -rf ~\n");
        TestSupport::WriteFile(folder + "n_3.png", "#!/bin/sh\nrm -rf ~\n");
        chatImageStruct message;
        message.senderUid = 7;
        message.imageId = "id";
        message.slideUrl = "https://pic.example/s.png";
        message.normalUrl = "https://pic.example/" + fullName;
        message.slideSize = "40x40";
        m_form->InsertChatLine(ChatMessage::CreateImageMessage(message));
        auto* picture = qobject_cast<Image*>(m_form->GetChatLog()->lines().back()->item(0));
        Click(picture);
        QCOMPARE(m_desktop.opened.size(), opened ? 1 : 0);
        if (opened)
            QCOMPARE(m_desktop.opened.first(), QUrl::fromLocalFile(folder + fullName));
        // An own picture opens the file that was sent.
        const QString mine = ChatFixture::WritePicture(m_dir.filePath("sent.png"), 20, 20);
        m_form->InsertChatLine(ChatMessage::CreateLocalImageMessage(mine, "", 20, 20, true, true));
        Click(qobject_cast<Image*>(m_form->GetChatLog()->lines().back()->item(1)));
        QCOMPARE(m_desktop.opened.last(), QUrl::fromLocalFile(mine));
    }

    void Screenshots()
    {
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        const QString photo = folder + "photo.png";
        QDir().mkpath(folder);
        QImage image(240, 160, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 160);
        sky.setColorAt(0, QColor("#7fb8ef"));
        sky.setColorAt(1, QColor("#e9f4ff"));
        painter.fillRect(image.rect(), sky);
        painter.setBrush(QColor("#5a9e4b"));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(80, 190), 150, 80);
        painter.setBrush(QColor("#ffd24a"));
        painter.drawEllipse(QPoint(190, 40), 20, 20);
        painter.end();
        image.save(photo);
        m_form->resize(340, 860);
        m_fixture->panel->resize(340, 860);

        m_form->InsertChatLine(ChatMessage::CreateTimeMessage("09:58:12"));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("王老师", false, false));
        m_form->InsertChatLine(ChatMessage::CreateTextMessage("同学们好，今天我们复习第三单元。", false));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("李明", false, true));
        m_form->InsertChatLine(ChatMessage::CreateTextMessage("老师好！<我准备好了> & 书也带了", true));
        m_form->InsertChatLine(ChatMessage::CreateSystemMessage(" 李明 给老师点了赞：老师辛苦啦~", false));
        m_form->InsertChatLine(ChatMessage::CreateTimeMessage("10:01:40"));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("王老师", true, false));
        chatImageStruct received;
        received.senderUid = 7;
        received.imageId = "photo";
        received.slideUrl = "https://pic.example/photo.png";
        received.slideSize = "240x160";
        m_form->InsertChatLine(ChatMessage::CreateImageMessage(received));
        m_form->GetChatLog()->OnDownloadSuccess(32, "photo");
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("张华", true, false));
        m_form->InsertChatLine(ChatMessage::CreateImageMessage(received));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("李明", true, true));
        m_form->InsertChatLine(ChatMessage::CreateLocalImageMessage(photo, "", 100, 66, true, true));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("张华", false, false));
        m_form->InsertChatLine(ChatMessage::CreateTextMessage(
            "第二题我不太明白，为什么这里要用过去完成时？ Because the action happened before another past action.",
            false));
        m_form->UpdateCSS4BtnLike();
        m_form->GetChatLog()->scrollToBottom();
        QCoreApplication::processEvents();

        for (double scale : { 1.0, 1.5 }) {
            QPixmap shot(m_form->size() * scale);
            shot.setDevicePixelRatio(scale);
            shot.fill(Qt::white);
            m_form->render(&shot);
            const QString name = QStringLiteral("chat-form-x%1").arg(scale);
            QDir().mkpath(TestSupport::ScreenshotFolder());
            QVERIFY(shot.save(TestSupport::ScreenshotFolder() + "/" + name + ".png"));
        }

        // The narrowest panel, of a 1000 x 640 window, with both failures.
        m_form->GetChatLog()->clearLog();
        m_form->resize(198, 420);
        m_fixture->panel->resize(198, 420);
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("王老师", true, false));
        received.imageId = "gone";
        received.slideUrl = "https://pic.example/gone.png";
        m_form->InsertChatLine(ChatMessage::CreateImageMessage(received));
        m_form->InsertChatLine(ChatMessage::CreateSenderMessage("李明", true, true));
        m_form->InsertChatLine(ChatMessage::CreateLocalImageMessage(photo, "", 100, 66, true, true));
        m_form->GetChatLog()->OnUploadFailed(photo);
        TestSupport::WriteFile(folder + "gone.png", "broken");
        m_form->GetChatLog()->OnDownloadSuccess(32, "gone");
        QCoreApplication::processEvents();
        for (double scale : { 1.0, 1.5 })
            QVERIFY(ChatFixture::SaveScaledScreenshot(m_form.get(), "chat-form-narrow", scale));
        // Every failure's words stand inside the log, clear of the own picture.
        const QRectF visible
            = m_form->GetChatLog()->mapToScene(m_form->GetChatLog()->viewport()->rect()).boundingRect();
        int failures = 0;
        for (QGraphicsItem* item : m_form->GetChatLog()->scene()->items()) {
            auto* words = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            if (!words)
                continue;
            ++failures;
            QVERIFY2(visible.contains(words->sceneBoundingRect()), qPrintable(words->text()));
            QVERIFY(!words->collidesWithItem(m_form->GetChatLog()->lines().back()->item(1)));
        }
        QCOMPARE(failures, 2);
    }
};

PLOVIX_TEST(TestChatForm)
#include "tst_ChatForm.moc"
