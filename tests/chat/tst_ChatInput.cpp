#include "ChatFixture.h"
#include "TestRegistry.h"

#include "ui/chatArea/ChatTextEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// The chat input box: its keys and what pasting does.
class TestChatInput : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ChatTextEdit> m_box;

private slots:
    void init()
    {
        m_box = std::make_unique<ChatTextEdit>();
        m_box->show();
        m_box->setFocus();
    }
    void cleanup() { m_box.reset(); }

    void Keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("emitted"); // enter, tab, key counts
        QTest::newRow("Return sends") << int(Qt::Key_Return) << 0 << "hi"
                                      << "hi"
                                      << "1,0,0";
        QTest::newRow("keypad Enter sends") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "hi"
                                            << "hi"
                                            << "1,0,0";
        QTest::newRow("Shift+Return breaks the line") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "hi"
                                                      << "hi\n"
                                                      << "0,0,1";
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << "hi"
                             << "hi"
                             << "0,1,0";
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << "hi"
                                  << "hi"
                                  << "0,0,0";
        QTest::newRow("Up with text moves on") << int(Qt::Key_Up) << 0 << "hi"
                                               << "hi"
                                               << "0,0,1";
        QTest::newRow("a letter") << int(Qt::Key_A) << 0 << "hi"
                                  << "hia"
                                  << "0,0,1";
    }
    void Keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(QString, emitted);
        m_box->setPlainText(typed);
        m_box->moveCursor(QTextCursor::End);
        QSignalSpy enter(m_box.get(), &ChatTextEdit::enterPressed);
        QSignalSpy tab(m_box.get(), &ChatTextEdit::tabPressed);
        QSignalSpy keys(m_box.get(), &ChatTextEdit::keyPressed);
        const QString text = key == Qt::Key_A ? "a" : QString();
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(m_box.get(), &press);
        QCOMPARE(m_box->toPlainText(), after);
        QCOMPARE(QString("%1,%2,%3").arg(enter.count()).arg(tab.count()).arg(keys.count()), emitted);
    }

    void UpRecallsTheLastSentText()
    {
        m_box->setPlainText("第一句");
        QTest::keyClick(m_box.get(), Qt::Key_Return);
        m_box->clear();
        QTest::keyClick(m_box.get(), Qt::Key_Up);
        QCOMPARE(m_box->toPlainText(), QString("第一句"));
        QCOMPARE(m_box->textCursor().position(), 3);
        // Enter on an empty box keeps what Up recalls.
        m_box->clear();
        QTest::keyClick(m_box.get(), Qt::Key_Return);
        QTest::keyClick(m_box.get(), Qt::Key_Up);
        QCOMPARE(m_box->toPlainText(), QString("第一句"));
    }

    void Paste_data()
    {
        QTest::addColumn<QString>("clipboardText");
        QTest::addColumn<bool>("asUrls");
        QTest::addColumn<bool>("asImage");
        QTest::addColumn<bool>("pictureSent");
        QTest::addColumn<QString>("boxAfter");
        const QString picture = m_dir.filePath("copied pic.png");
        ChatFixture::WritePicture(picture, 20, 10);
        const QString url = QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded);
        const QString textFile = QUrl::fromLocalFile(QStringLiteral(PLOVIX_SOURCE_DIR "/CMakeLists.txt")).toString();
        QTest::newRow("copied picture file") << url << false << false << true << "";
        QTest::newRow("file URL with a line end") << url + "\r\n" << false << false << true << "";
        QTest::newRow("file manager URL list") << QString() << true << false << true << "";
        QTest::newRow("marker inside a text")
            << "see file:///tmp/x.png" << false << false << false << "typed see file:///tmp/x.png";
        QTest::newRow("missing picture file")
            << "file:///nowhere/x.png" << false << false << false << "typed file:///nowhere/x.png";
        QTest::newRow("not a picture") << textFile << false << false << false << "typed " + textFile;
        QTest::newRow("screenshot keeps the text") << QString() << false << true << true << "typed ";
    }
    void Paste()
    {
        QFETCH(QString, clipboardText);
        QFETCH(bool, asUrls);
        QFETCH(bool, asImage);
        QFETCH(bool, pictureSent);
        QFETCH(QString, boxAfter);
        auto* mime = new QMimeData();
        if (!clipboardText.isEmpty())
            mime->setText(clipboardText);
        if (asUrls)
            mime->setUrls({ QUrl::fromLocalFile(m_dir.filePath("copied pic.png")) });
        if (asImage) {
            QImage image(30, 20, QImage::Format_RGB32);
            image.fill(Qt::red);
            mime->setImageData(image);
        }
        QApplication::clipboard()->setMimeData(mime);
        m_box->setPlainText("typed ");
        m_box->moveCursor(QTextCursor::End);
        QSignalSpy pasted(m_box.get(), &ChatTextEdit::pasteImage);
        QTest::keySequence(m_box.get(), QKeySequence::Paste);
        QCOMPARE(pasted.count(), pictureSent ? 1 : 0);
        if (pictureSent)
            QVERIFY(!pasted.first().first().value<QPixmap>().isNull());
        QCOMPARE(m_box->toPlainText(), boxAfter);
    }
};

PLOVIX_TEST(TestChatInput)
#include "tst_ChatInput.moc"
