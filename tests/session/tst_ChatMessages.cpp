#include "JoinedRoom.h"
#include "LogCapture.h"
#include "QueuedLog.h"
#include "TestRegistry.h"

#include "session/MsgType.h"
#include "ui/chatArea/ChatImageStruct.h"
#include "ui/chatArea/ChatWidget.h"

// The chat of room R100 between the room and the chat panel: its history
// (two texts, then a picture of student 59), the teacher (57) as a
// participant, and the converted chat picture sent to the room.
class TestChatMessages : public QObject
{
    Q_OBJECT

    JoinedRoom m_setup;
    DataManager* m_data = nullptr;
    Participant* m_teacher = nullptr;
    ChatWidget m_chat;
    // The history's rows in the order the panel receives them.
    QStringList m_historyRows;

    void Push(int type, const QJsonObject& data, const QString& source = "57")
    {
        QVERIFY(m_setup.Push(type, data, source));
    }

private slots:
    void initTestCase()
    {
        Nexus::SetChatWidget(&m_chat);
        connect(
            &m_chat, &ChatWidget::ShowChatMsg, this,
            [this](QString name, QString text, int seconds) {
                m_historyRows << name + "|" + text + "|" + QString::number(seconds);
            },
            Qt::QueuedConnection);
        connect(
            &m_chat, &ChatWidget::ShowChatImageMsg, this,
            [this](QVariant image) {
                const chatImageStruct picture = image.value<chatImageStruct>();
                m_historyRows << QString::number(picture.senderUid) + "|" + picture.slideSize + "|"
                        + QString::number(picture.sendTime);
            },
            Qt::QueuedConnection);
        QVERIFY(m_setup.Enter());
        m_data = m_setup.data;
        m_teacher = m_setup.teacher.get();
    }
    void cleanupTestCase() { Nexus::Teardown(); }

    void HistoryShownOnceInItsOrder()
    {
        const QStringList wanted { QString::fromUtf8("57|同学们好，今天讲勾股定理|1700000000"),
            QString::fromUtf8("58|老师好！|1700000005"), "59|120x90|1700000009" };
        QTRY_COMPARE(m_historyRows, wanted);
        // The same answer again shows nothing more.
        LogCapture log;
        Push(MsgChatHistory,
            { { "chatHistory", QJsonArray { QJsonObject { { "messageType", 385 }, { "content", "again" } } } } });
        QTRY_COMPARE(log.Count("GetHistoryMsg, history already shown"), 1);
        QTest::qWait(100);
        QCOMPARE(m_historyRows, wanted);
    }

    void LiveMessagesOfOthersOnly()
    {
        QueuedLog texts(&m_chat, &ChatWidget::DirectShowChatMsg);
        QueuedLog pictures(&m_chat, &ChatWidget::ShowChatImageMsg);
        QueuedLog system(&m_chat, &ChatWidget::ShowChatSystemMsg);
        LogCapture log;
        emit m_data->SendChatMsg("mine");
        QVERIFY(m_teacher->Send(MsgChat,
            { { "sourceId", "57" }, { "content", QString::fromUtf8("你好") },
                { "operatorUserName", QString::fromUtf8("王老师") }, { "timestamp", 1700000123456.0 } }));
        const QJsonObject picture { { "slideUrl", "http://h/s.png" }, { "slideSize", "8x6" },
            { "normalUrl", "http://h/n.png" }, { "imageId", "I5" } };
        QJsonObject early = picture;
        early.insert("timestamp", 999);
        QJsonObject late = picture;
        late.insert("timestamp", 1700000200000.0);
        QVERIFY(m_teacher->Send(MsgChatImage, { { "operatorUserName", "T" }, { "content", early } }));
        QVERIFY(m_teacher->Send(MsgChatImage, { { "operatorUserName", "T" }, { "content", late } }));
        Push(MsgChatLike, { { "messageType", 99 }, { "content", QString::fromUtf8("老师好赞啊!") } });
        QTRY_COMPARE(system.size(), 1);
        QTRY_COMPARE(pictures.size(), 1);
        QTRY_COMPARE(log.Count("这是一个自己发送的消息，忽略. fromUid:"), 1);
        QTRY_COMPARE(log.Count("in OnChatImageSend, data is incomplete"), 1);
        QTest::qWait(100);
        QCOMPARE(texts.calls,
            (QList<QVariantList> { { QString::fromUtf8("王老师"), QString::fromUtf8("你好"), 1700000123 } }));
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(pictures.calls.first().first().value<chatImageStruct>().sendTime, 1700000200);
        QCOMPARE(pictures.calls.first().first().value<chatImageStruct>().senderUid, 57);
        QCOMPARE(system.Firsts<QString>(), QStringList { QString::fromUtf8("老师好赞啊!") });
        // The room sends the own text back too; it was not shown.
        QCOMPARE(m_setup.room->Sent("58", MsgChat).size(), 1);
    }

    void ConvertedPictureIsSentOnce()
    {
        QJsonObject result { { "imageId", "I7" }, { "slideUrl", "http://h/s7.png" }, { "slideSize", "8x6" },
            { "mediumUrl", "http://h/m7.png" }, { "mediumSize", "80x60" }, { "normalUrl", "http://h/n7.png" },
            { "normalSize", "800x600" }, { "timestamp", 1700000300000.0 } };
        LogCapture log;
        Push(MsgChatImageTransResult, result);
        Push(MsgChatImageTransResult, result);
        result.insert("imageId", "I8");
        result.insert("mediumUrl", "");
        Push(MsgChatImageTransResult, result);
        QTRY_COMPARE(m_teacher->Inbox(MsgChatImage).size(), 1);
        QTRY_COMPARE(log.Count("into DataManager::OnChatImageTransResultRecv"), 3);
        QCOMPARE(m_setup.room->Sent("58", MsgChatImage).size(), 1);
        const QJsonObject data = m_teacher->Inbox(MsgChatImage).first().value("data").toObject();
        QCOMPARE(data.value("sourceId").toString(), QString("58"));
        QCOMPARE(data.value("type").toString(), QString("public"));
        const QJsonObject content = data.value("content").toObject();
        QCOMPARE(content.value("imageId").toString(), QString("I7"));
        QCOMPARE(content.value("timestamp").toDouble(), 1700000300000.0);
        QCOMPARE(content.value("roomId").toString(), QString("R100"));
        QCOMPARE(content.keys().size(), 9);
    }
};

PLOVIX_TEST(TestChatMessages)
#include "tst_ChatMessages.moc"
