#include "ChatFixture.h"
#include "TestRegistry.h"

#include "ui/chatArea/ChatContext.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatMessage.h"
#include "ui/chatArea/ChatText.h"
#include "ui/chatArea/Image.h"
#include "ui/chatArea/Spinner.h"

#include <QFontMetrics>
#include <QGraphicsScene>
#include <QPainter>
#include <QtTest>

// The row factories and the row layout against a 300 pixel chat panel.
class TestChatRows : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChatFixture> m_fixture;
    QGraphicsScene m_scene;

    static constexpr int kPanel = 300;

    // Lays the row out as the log does (row width = panel - 20) and puts it
    // on screen so its text documents exist.
    void Place(const ChatMessage::Ptr& row, int panel = kPanel)
    {
        m_fixture->panel->resize(panel, 400);
        row->attachTo(&m_scene);
        row->layoutAt(panel - 20, QPointF(0, 0));
        row->setOnScreen(true);
    }
    static ChatText* Text(const ChatMessage::Ptr& row) { return qobject_cast<ChatText*>(row->item(0)); }

private slots:
    void initTestCase() { m_fixture = std::make_unique<ChatFixture>(kPanel, 42); }
    void cleanupTestCase() { m_fixture.reset(); }

    void TextRowsEscapeAndPlace_data()
    {
        QTest::addColumn<int>("kind"); // 0 time, 1 sender, 2 text, 3 notice
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isSelf");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("where"); // left, right, centre
        QTest::newRow("time centred") << 0 << "10:01:02" << false << 1 << "centre";
        QTest::newRow("sender of another") << 1 << "张老师 <b>&amp;" << false << 2 << "left";
        QTest::newRow("own sender") << 1 << "我" << true << 2 << "right";
        QTest::newRow("text of another") << 2 << "<script>alert(1)</script> & 你好" << false << 8 << "left";
        QTest::newRow("own short text") << 2 << "好的" << true << 8 << "right";
        QTest::newRow("own text wider than the panel")
            << 2 << QString("很长的一句话，").repeated(20) << true << 8 << "left";
        QTest::newRow("notice") << 3 << "学生 <i>小明</i> 给老师点了赞" << false << 8 << "centre";
    }
    void TextRowsEscapeAndPlace()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(bool, isSelf);
        QFETCH(int, type);
        QFETCH(QString, where);
        ChatMessage::Ptr row = kind == 0 ? ChatMessage::CreateTimeMessage(text)
            : kind == 1                  ? ChatMessage::CreateSenderMessage(text, false, isSelf)
            : kind == 2                  ? ChatMessage::CreateTextMessage(text, isSelf)
                                         : ChatMessage::CreateSystemMessage(text, isSelf);
        Place(row);
        QCOMPARE(row->itemCount(), 1);
        ChatText* item = Text(row);
        QVERIFY(item);
        QCOMPARE(item->type(), type);
        QCOMPARE(item->plainText(), text);
        // Markup never reaches the screen as markup.
        if (kind != 3)
            QCOMPARE(item->shownText(), text);
        QVERIFY(item->tag().isEmpty());
        const double x = item->pos().x();
        const double w = item->boundingRect().width();
        if (where == "left")
            QCOMPARE(x, 0.0);
        else if (where == "right")
            QVERIFY(qAbs(x + w - (kPanel - 27)) < 1);
        else
            QCOMPARE(x, (kPanel - w) * 0.5 - 10);
        QVERIFY(w <= kPanel - 20 + 0.5);
    }

    void TextWrapsAndNoticesElideAtAnyWidth_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("text");
        for (int panel : { 120, 300, 800 }) {
            const QByteArray at = QByteArray::number(panel);
            QTest::newRow("words " + at) << panel << QString("hello world ").repeated(60);
            QTest::newRow("one long word " + at) << panel << QString("x").repeated(2000);
            QTest::newRow("Chinese " + at) << panel << QString("中文聊天消息").repeated(80);
        }
    }
    void TextWrapsAndNoticesElideAtAnyWidth()
    {
        QFETCH(int, panel);
        QFETCH(QString, text);
        ChatMessage::Ptr message = ChatMessage::CreateTextMessage(text, false);
        Place(message, panel);
        const QRectF box = Text(message)->boundingRect();
        QVERIFY2(box.width() <= panel - 20 + 0.5, qPrintable(QString::number(box.width())));
        const int oneLine = QFontMetrics(Text(message)->itemFont()).height();
        QVERIFY(box.height() > 2 * oneLine);

        ChatMessage::Ptr notice = ChatMessage::CreateSystemMessage(text, false);
        Place(notice, panel);
        ChatText* item = Text(notice);
        QVERIFY(item->boundingRect().width() <= panel - 20 + 0.5);
        QVERIFY(item->boundingRect().height() < 2 * oneLine + 8);
        QVERIFY(item->shownText().endsWith(QChar(0x2026)));
    }

    void HostileTextIsShownSafely_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("100000 characters") << QString("ab c").repeated(25000);
        QTest::newRow("markup and entities") << QString("<img src=x onerror=1>&lt;&#0;<a href='file:///etc'>x</a>");
        QTest::newRow("control characters") << QString::fromUtf16(u"\u0000\u202e\u0007tab\there");
    }
    void HostileTextIsShownSafely()
    {
        QFETCH(QString, text);
        ChatMessage::Ptr row = ChatMessage::CreateTextMessage(text, true);
        Place(row);
        QVERIFY(Text(row)->boundingRect().width() <= kPanel - 20 + 0.5);
        QVERIFY(Text(row)->linkAt(Text(row)->sceneBoundingRect().center()).isEmpty());
        row->setOnScreen(false);
        QVERIFY(!Text(row)->hasDocument());
    }

    void PictureSizeText_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QSize>("shown");
        const QSize sending(70, 52);
        QTest::newRow("300x150") << "300x150" << QSize(100, 50);
        QTest::newRow("80x60 kept") << "80x60" << QSize(80, 60);
        QTest::newRow("0x50") << "0x50" << QSize(0, 50);
        QTest::newRow("150x0") << "150x0" << QSize(0, 0);
        QTest::newRow("300x7") << "300x7" << QSize(85, 2);
        QTest::newRow("10000 square") << "10000x10000" << QSize(100, 100);
        QTest::newRow("no x") << "300" << sending;
        QTest::newRow("two x") << "1x2x3" << sending;
        QTest::newRow("upper X") << "300X150" << sending;
        QTest::newRow("words") << "wide x tall" << sending;
        QTest::newRow("negative") << "-5x10" << sending;
        QTest::newRow("narrow and huge") << "99x2000000000" << sending;
        QTest::newRow("overflowing") << "100000x2147483647" << sending;
        QTest::newRow("100000x1") << "100000x1" << sending;
    }
    void PictureSizeText()
    {
        QFETCH(QString, size);
        QFETCH(QSize, shown);
        QCOMPARE(ChatMessage::SizeFromText(size), shown);
    }

    void ReceivedPictureRows_data()
    {
        QTest::addColumn<int>("senderUid");
        QTest::addColumn<QString>("imageId");
        QTest::addColumn<QString>("slideUrl");
        QTest::addColumn<QString>("localName"); // empty: no safe local file
        QTest::newRow("own") << 42 << "img-1"
                             << "https://pic.example/c/s_1.png"
                             << "s_1.png";
        QTest::newRow("another's") << 7 << "img-2"
                                   << "https://pic.example/c/s_2.jpg"
                                   << "s_2.jpg";
        QTest::newRow("no id") << 7 << ""
                               << "https://pic.example/c/s_3.png"
                               << "s_3.png";
        QTest::newRow("URL ends in ..") << 7 << "img-4"
                                        << "https://pic.example/.."
                                        << "";
        QTest::newRow("URL ends in /") << 7 << "img-5"
                                       << "https://pic.example/c/"
                                       << "";
        QTest::newRow("backslash name") << 7 << "img-6"
                                        << "https://pic.example/..\\..\\x.png"
                                        << "";
    }
    void ReceivedPictureRows()
    {
        QFETCH(int, senderUid);
        QFETCH(QString, imageId);
        QFETCH(QString, slideUrl);
        QFETCH(QString, localName);
        chatImageStruct message;
        message.senderUid = senderUid;
        message.imageId = imageId;
        message.slideUrl = slideUrl;
        message.slideSize = "400x300";
        message.normalUrl = "https://pic.example/c/n_x.desktop";
        ChatMessage::Ptr row = ChatMessage::CreateImageMessage(message);
        Place(row);
        QCOMPARE(row->itemCount(), 2);
        const bool own = senderUid == 42;
        auto* spinner = qobject_cast<Spinner*>(row->item(own ? 0 : 1));
        auto* picture = qobject_cast<Image*>(row->item(own ? 1 : 0));
        QVERIFY(spinner && picture);
        QCOMPARE(picture->tag(), imageId);
        QCOMPARE(spinner->tag(), imageId);
        QCOMPARE(QSize(picture->width(), picture->height()), QSize(100, 75));
        QVERIFY(!picture->sentBySelf());
        QVERIFY(spinner->isTurning());
        const QString folder = ChatContext::DataFolder() + "chatImage/";
        QCOMPARE(picture->downloadedPath(), localName.isEmpty() ? QString() : folder + localName);
        // The spinner's centre sits 24 left of an own picture, 27 right of
        // another's, at the picture's middle.
        const QPointF centre = spinner->pos();
        if (own) {
            QCOMPARE(picture->pos().x() + 100, kPanel - 27.0);
            QCOMPARE(centre.x(), picture->pos().x() - 24);
        } else {
            QCOMPARE(picture->pos().x(), 0.0);
            QCOMPARE(centre.x(), 100.0 + 27);
        }
        QCOMPARE(centre.y(), picture->pos().y() + 37);
    }

    void LocalPictureRows_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("withSpinner");
        QTest::addColumn<bool>("isSelf");
        QTest::addColumn<QString>("types");
        QTest::newRow("own sending") << "" << true << true << "4,2";
        QTest::newRow("own sending with key") << "k1" << true << true << "4,2";
        QTest::newRow("spinner, not own") << "k2" << true << false << "2,4";
        QTest::newRow("emoji") << "" << false << true << "2";
    }
    void LocalPictureRows()
    {
        QFETCH(QString, key);
        QFETCH(bool, withSpinner);
        QFETCH(bool, isSelf);
        QFETCH(QString, types);
        const QString path = ChatFixture::WritePicture(QDir::tempPath() + "/chat-rows/local.png", 50, 40);
        ChatMessage::Ptr row = ChatMessage::CreateLocalImageMessage(path, key, 50, 40, withSpinner, isSelf);
        Place(row);
        QStringList seen;
        for (int i = 0; i < row->itemCount(); ++i) {
            seen << QString::number(row->item(i)->type());
            QCOMPARE(row->item(i)->tag(), key);
        }
        QCOMPARE(seen.join(','), types);
        for (int i = 0; i < row->itemCount(); ++i) {
            if (auto* picture = qobject_cast<Image*>(row->item(i))) {
                QVERIFY(picture->sentBySelf());
                QVERIFY(picture->hasPicture());
                QCOMPARE(picture->shownPath(), path);
            }
        }
    }

    void BadPicturesDrawNothingAndNeverCrash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("missing file") << QDir::tempPath() + "/chat-rows/none.png" << QSize(70, 52);
        QTest::newRow("not a picture") << QString(PLOVIX_SOURCE_DIR "/CMakeLists.txt") << QSize(70, 52);
        QTest::newRow("0x0 display") << QString(":/resource/chat/x1/sending.png") << QSize(0, 0);
        QTest::newRow("100000x1 display") << QString(":/resource/chat/x1/sending.png") << QSize(100000, 1);
    }
    void BadPicturesDrawNothingAndNeverCrash()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        ChatMessage::Ptr row = ChatMessage::CreateLocalImageMessage(path, "k", size.width(), size.height(), true, true);
        Place(row);
        QVERIFY(row->bounds().height() >= 0);
        QImage canvas(400, 200, QImage::Format_ARGB32);
        QPainter painter(&canvas);
        m_scene.render(&painter);
    }

    void NullItemsAreDropped()
    {
        ChatMessage row;
        row.appendItem(nullptr, ColumnFormat(10, ColumnFormat::FixedSize, AlignLeft));
        QCOMPARE(row.itemCount(), 0);
        row.layoutAt(100, QPointF(0, 0));
        QCOMPARE(row.singleItemType(), 0);
    }

    void RowsWithoutHubFallBack()
    {
        // Without a panel the row width stands in for it.
        Nexus::SetChatWidget(nullptr);
        ChatMessage::Ptr row = ChatMessage::CreateTextMessage(QString("word ").repeated(200), true);
        row->attachTo(&m_scene);
        row->layoutAt(180, QPointF(0, 0));
        row->setOnScreen(true);
        QVERIFY(Text(row)->boundingRect().width() <= 180.5);
        Nexus::SetChatWidget(m_fixture->panel.get());
    }
};

PLOVIX_TEST(TestChatRows)
#include "tst_ChatRows.moc"
