#include "BoardClient.h"
#include "LogCapture.h"
#include "RoomControl.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"
#include "TestSupport.h"

#include "app/Nexus.h"
#include "app/Profile.h"
#include "session/DataManager.h"
#include "whiteboard/Shape.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSemaphore>
#include <QtTest>
#include <memory>

// Two participants of room R100 on the local service: the teacher (57)
// draws, the student (58) receives. What leaves, what arrives and on which
// board it lands; the board lock is never held while the widget is told.
class TestWhiteboardMessages : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    std::unique_ptr<RoomControl> m_room;
    std::unique_ptr<BoardClient> m_teacher;
    std::unique_ptr<BoardClient> m_student;
    std::unique_ptr<WhiteBoardWidget> m_widget;
    QAtomicInt m_toldUnderLock { 0 };
    QAtomicInt m_studentUpdates { 0 };

    bool Same(const QString& board) const { return m_teacher->Digest(board) == m_student->Digest(board); }
    QList<QJsonObject> Sent(int type) const { return m_room->Sent(QStringLiteral("57"), type); }
    // Sends frame to the student and waits until a following marker shape
    // arrived on board "WM", so everything before it was handled.
    void PushToStudent(const QByteArray& frame)
    {
        static int marker = 0;
        const QString id = QStringLiteral("marker%1").arg(++marker);
        const QString after = QStringLiteral("{\"type\":321,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"type\":"
                                             "\"line\",\"shapeId\":\"%1\",\"whiteboardId\":\"WM\"}}")
                                  .arg(id);
        QCOMPARE(m_room->Push("58", QString::fromUtf8(frame) + "\r\n" + after), 1);
        QTRY_VERIFY(m_student->ShapeIds("WM").contains(id));
    }
    template <typename Signal> void WatchWidget(Signal signal)
    {
        connect(
            m_widget.get(), signal, this,
            [this] {
                if (m_teacher->Model()->IsLockedByThisThread() || m_student->Model()->IsLockedByThisThread())
                    m_toldUnderLock.ref();
                if (QThread::currentThread() == m_student->Data()->thread())
                    m_studentUpdates.ref();
            },
            Qt::DirectConnection);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_service.Start(), qPrintable(m_service.ErrorText()));
        m_room = std::make_unique<RoomControl>(m_service);
        Profile* profile = TestSupport::StartHub(m_service.HttpUrl("/").toString(QUrl::StripTrailingSlash));
        m_widget = std::make_unique<WhiteBoardWidget>();
        Nexus::SetWhiteBoardWidget(m_widget.get());
        WatchWidget(&WhiteBoardWidget::RemoteUpdate);
        WatchWidget(&WhiteBoardWidget::RemoteUndo);
        WatchWidget(&WhiteBoardWidget::RemoteRedo);
        WatchWidget(&WhiteBoardWidget::RemoteReset);
        // The room data is complete: connections ask for the history.
        emit Nexus::Instance()->UpdateDataPrepPhase(1);
        emit Nexus::Instance()->UpdateDataPrepPhase(2);
        QCOMPARE(Nexus::GetDataPrepPhase(), 3);
        QUrl socket = m_service.HttpUrl("/ws");
        socket.setScheme("ws");
        m_teacher = std::make_unique<BoardClient>(profile, 57);
        m_student = std::make_unique<BoardClient>(profile, 58);
        QVERIFY(m_teacher->Connect(socket.toString()));
        QVERIFY(m_student->Connect(socket.toString()));
        QTRY_VERIFY(m_teacher->IsConnected() && m_student->IsConnected());
        // Both joined with the room's history.
        QTRY_COMPARE(m_student->ShapeIds("W1001"), (QStringList { "S1", "S2", "S3" }));
        QTRY_VERIFY(Same("W1001"));
    }
    void cleanupTestCase()
    {
        m_teacher.reset();
        m_student.reset();
        Nexus::SetWhiteBoardWidget(nullptr);
        m_widget.reset();
        Nexus::Teardown();
    }
    void cleanup() { QCOMPARE(int(m_toldUnderLock), 0); }

    void EachShapeLeavesWithItsPayload_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVector<QPoint>>("points");
        QTest::addColumn<QString>("keys");
        QTest::newRow("rectangle drawn up and left")
            << 1 << QVector<QPoint> { { 300, 200 }, { 100, 50 } }
            << "{\"color\":\"#1A73E8\",\"height\":-150,\"startX\":300,\"startY\":200,\"thickness\":2,\"type\":"
               "\"rectangle\",\"width\":-200}";
        QTest::newRow("line") << 2 << QVector<QPoint> { { 5, 6 }, { 700, 500 } }
                              << "{\"color\":\"#1A73E8\",\"endX\":700,\"endY\":500,\"startX\":5,\"startY\":6,"
                                 "\"thickness\":2,\"type\":\"line\"}";
        QTest::newRow("pencil, newest point first")
            << 3 << QVector<QPoint> { { 10, 10 }, { 20, 20 }, { 30, 25 } }
            << "{\"color\":\"#1A73E8\",\"points\":[{\"x\":30,\"y\":25},{\"x\":20,\"y\":20},{\"x\":10,\"y\":10}],"
               "\"thickness\":2,\"type\":\"pencil\"}";
        QTest::newRow("text") << 4 << QVector<QPoint> { { 120, 80 } }
                              << "{\"fontSize\":18,\"text\":\"a\\nb\",\"textColor\":\"#1A73E8\",\"type\":\"text\","
                                 "\"x\":120,\"y\":80}";
    }
    void EachShapeLeavesWithItsPayload()
    {
        QFETCH(int, kind);
        QFETCH(QVector<QPoint>, points);
        QFETCH(QString, keys);
        const int before = Sent(321).size();
        const QString board = QStringLiteral("WP%1").arg(kind);
        const QString shapeId = m_teacher->Draw(board, kind, points, "a\nb");
        QTRY_COMPARE(Sent(321).size(), before + 1);
        const QJsonObject message = Sent(321).last();
        QCOMPARE(message.keys(), (QStringList { "data", "dest", "source", "type" }));
        QCOMPARE(message.value("dest"), QJsonValue("R100"));
        QCOMPARE(message.value("source"), QJsonValue("57"));
        QJsonObject expected = QJsonDocument::fromJson(keys.toUtf8()).object();
        expected.insert("shapeId", shapeId);
        expected.insert("whiteboardId", board);
        expected.insert("roomId", "R100");
        expected.insert("operatorId", "57");
        QCOMPARE(message.value("data").toObject(), expected);
        QTRY_VERIFY(Same(board));
        QCOMPARE(m_student->ShapeIds(board), QStringList { shapeId });
    }

    // A slow request holds the teacher's session thread: every shape drawn
    // meanwhile leaves once, in order, and the undo between them too.
    void BlockedSessionLosesNoShapeAndSendsNoneTwice()
    {
        const int before = Sent(0).size();
        QSemaphore gate;
        QMetaObject::invokeMethod(
            m_teacher->Data(), [&gate] { gate.acquire(); }, Qt::QueuedConnection);
        QStringList drawn;
        drawn << m_teacher->Draw("WB", 1, { { 10, 10 }, { 50, 50 } });
        drawn << m_teacher->Draw("WB", 3, { { 10, 10 }, { 20, 30 }, { 40, 45 } });
        drawn << m_teacher->Draw("WB", 2, { { 1, 1 }, { 9, 9 } });
        QVERIFY(m_teacher->Undo("WB"));
        drawn.removeLast();
        drawn << m_teacher->Draw("WB", 3, { { 300, 300 }, { 310, 320 } });
        gate.release();
        QTRY_COMPARE(Sent(0).size(), before + 5);
        QStringList sentIds;
        QList<int> types;
        for (const QJsonObject& message : Sent(0).mid(before)) {
            types << message.value("type").toInt();
            if (types.last() == 321)
                sentIds << message.value("data").toObject().value("shapeId").toString();
        }
        QCOMPARE(types, (QList<int> { 321, 321, 321, 323, 321 }));
        QCOMPARE(sentIds.mid(0, 2) + sentIds.mid(3), drawn);
        QTRY_VERIFY(Same("WB"));
        QCOMPARE(m_student->ShapeIds("WB"), drawn);
    }

    // Undo, redo, clear, erase and move reach the board they were made on,
    // whichever page the student looks at.
    void RemoteActionsActOnTheNamedBoard()
    {
        m_student->Model()->SetCurrentBoard("WN2");
        const QString first = m_teacher->Draw("WN1", 1, { { 10, 10 }, { 80, 80 } });
        const QString other = m_teacher->Draw("WN2", 2, { { 10, 10 }, { 80, 80 } });
        const QString text = m_teacher->Draw("WN1", 4, { { 100, 100 } }, "move me");
        QVERIFY(m_teacher->Undo("WN1"));
        QTRY_VERIFY(Same("WN1"));
        QCOMPARE(m_student->ShapeIds("WN1"), QStringList { first });
        QVERIFY(m_teacher->Redo("WN1"));
        QVERIFY(m_teacher->MoveText("WN1", text, QPoint(400, 300)));
        QVERIFY(m_teacher->Erase("WN1", first));
        QTRY_VERIFY(Same("WN1"));
        QVERIFY(m_student->Digest("WN1").contains("400,300-400,300"));
        QCOMPARE(m_student->ShapeIds("WN1"), QStringList { text });
        QVERIFY(m_teacher->Reset("WN1"));
        QTRY_VERIFY(Same("WN1"));
        QCOMPARE(m_student->ShapeIds("WN1"), QStringList());
        QCOMPARE(m_student->ShapeIds("WN2"), QStringList { other });

        // "_blank" is no board; no board named means the one shown.
        PushToStudent("{\"type\":323,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"whiteboardId\":\"_blank\"}}");
        PushToStudent("{\"type\":323,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"shapeId\":\"_blank\"}}");
        QCOMPARE(m_student->ShapeIds("WN2"), QStringList { other });
        PushToStudent("{\"type\":323,\"source\":\"57\",\"dest\":\"R100\",\"data\":{}}");
        QCOMPARE(m_student->ShapeIds("WN2"), QStringList());
    }

    // The history replaces a board: asked again, it never piles up copies.
    void HistoryResentNeverPilesUp()
    {
        const QString added = m_teacher->Draw("W1001", 1, { { 1, 1 }, { 9, 9 } });
        QTRY_VERIFY(Same("W1001"));
        for (int round = 0; round < 2; ++round) {
            const int updates = m_studentUpdates;
            emit m_student->Data()->Request4GetWhiteBdHistory();
            QTRY_VERIFY(m_studentUpdates > updates);
            QCOMPARE(m_student->ShapeIds("W1001"), (QStringList { "S1", "S2", "S3", added }));
            QVERIFY(Same("W1001"));
        }
    }

    // What the student changes while its history request is on the way
    // stays: the answer holds the room as it was when asked, and the
    // changes sent after asking are made again on it.
    void ChangesSentAfterAskingForTheHistoryStay()
    {
        const QString first = m_teacher->Draw("WR", 1, { { 10, 10 }, { 60, 60 } });
        QTRY_VERIFY(Same("WR"));
        LogCapture log;
        QString drawn;
        BoardClient* student = m_student.get();
        QVERIFY(TestSupport::RunIn(student->Data(), [student, &drawn] {
            emit student->Data()->Request4GetWhiteBdHistory();
            student->Undo("WR");
            drawn = student->Draw("WR", 2, { { 5, 5 }, { 90, 90 } });
        }));
        QTRY_COMPARE(log.Count("GetWhiteBoardHistoryMsg msg:"), 1);
        QVERIFY(TestSupport::RunIn(student->Data(), [] {})); // the answer is applied
        QTRY_COMPARE(m_teacher->ShapeIds("WR"), QStringList { drawn });
        QTRY_VERIFY(Same("WR"));
        QCOMPARE(m_student->ShapeIds("WR"), QStringList { drawn });
        QVERIFY(!m_student->Digest("WR").contains(first));
    }

    // Only the boards an answer rebuilt get those changes made again: a
    // board it does not list, or lists empty, still holds them.
    void ChangesMadeAgainOnlyOnTheBoardsTheHistoryRebuilt()
    {
        const QString kept = m_teacher->Draw("WE", 1, { { 10, 10 }, { 60, 60 } });
        m_teacher->Draw("WE", 2, { { 5, 5 }, { 90, 90 } });
        QTRY_VERIFY(Same("WE"));
        LogCapture log;
        QVERIFY(m_room->Late(352, 1500));
        QString drawn;
        BoardClient* student = m_student.get();
        QVERIFY(TestSupport::RunIn(student->Data(), [student, &drawn] {
            emit student->Data()->Request4GetWhiteBdHistory();
            drawn = student->Draw("WX", 1, { { 1, 1 }, { 9, 9 } });
            student->Undo("WE");
        }));
        // An answer that names WE with nothing on it, and not WX.
        PushToStudent(
            "{\"type\":352,\"source\":\"57\",\"data\":{\"whiteboards\":[{\"whiteboardId\":\"WE\",\"shapeList\":[]}]}}");
        QCOMPARE(m_student->ShapeIds("WX"), QStringList { drawn });
        QCOMPARE(m_student->Model()->Lock().Stack("WX")->size(), 1); // not drawn twice
        QCOMPARE(m_student->ShapeIds("WE"), QStringList { kept });
        // The room's own answer comes late and holds the room as it was
        // when asked; asked again, the boards are the room's.
        QTRY_COMPARE(log.Count("GetWhiteBoardHistoryMsg msg:"), 2);
        QVERIFY(m_room->Late(352, 0));
        emit m_student->Data()->Request4GetWhiteBdHistory();
        QTRY_COMPARE(log.Count("GetWhiteBoardHistoryMsg msg:"), 3);
        QVERIFY(TestSupport::RunIn(student->Data(), [] {}));
        QTRY_VERIFY(Same("WE") && Same("WX"));
        QCOMPARE(m_student->ShapeIds("WX"), QStringList { drawn });
    }

    // Whatever arrives, nothing crashes and nothing stored is lost;
    // numbers are bounded before they become coordinates.
    void HostileMessagesAreBoundedOrDropped()
    {
        const QString text = m_teacher->Draw("WH", 4, { { 10, 10 } }, "t");
        QTRY_COMPARE(m_student->ShapeIds("WH"), QStringList { text });
        QString many;
        for (int i = 0; i < 10001; ++i)
            many += QStringLiteral("%1{\"x\":1,\"y\":2}").arg(i ? "," : "");
        const QStringList frames {
            "{\"type\":321,\"source\":\"57\",\"data\":{\"type\":\"line\",\"whiteboardId\":\"WH\",\"endX\":4}}",
            // An id that is no text erases nothing, not every shape without one.
            "{\"type\":326,\"source\":\"57\",\"data\":{\"whiteboardId\":\"WH\",\"shapesId\":[5]}}",
            "{\"type\":326,\"source\":\"57\",\"data\":{\"whiteboardId\":\"WH\",\"shapesId\":[null]}}",
            "{\"type\":321,\"source\":\"57\",\"data\":{\"type\":\"rectangle\",\"shapeId\":\"big\",\"whiteboardId\":"
            "\"WH\",\"startX\":1e300,\"startY\":\"1\",\"width\":-1e300,\"height\":5}}",
            "{\"type\":321,\"source\":\"57\",\"data\":[1,2]}",
            "{\"type\":321,\"source\":\"57\",\"data\":{\"type\":\"pencil\",\"shapeId\":\"many\",\"whiteboardId\":"
            "\"WH\",\"points\":["
                + many + "]}}",
            "{\"type\":321,\"source\":\"57\",\"data\":{\"type\":\"rectangle\",\"shapeId\":\"noboard\"}}",
            "{\"type\":326,\"source\":\"57\",\"data\":{\"whiteboardId\":\"WH\",\"shapesId\":\"" + text + "\"}}",
            "{\"type\":326,\"source\":58,\"data\":{\"whiteboardId\":\"WH\",\"shapesId\":[\"" + text + "\"]}}",
            "{\"type\":327,\"source\":\"57\",\"data\":{\"shapes\":[{\"shapeId\":\"" + text
                + "\",\"whiteboardId\":\"WH\",\"x\":3e9,\"y\":-7}]}}",
            "{\"type\":327,\"source\":\"57\",\"data\":{\"shapes\":[{\"shapeId\":\"big\",\"whiteboardId\":\"WH\","
            "\"x\":1,\"y\":1}]}}",
            "{\"type\":352,\"source\":\"57\",\"data\":{\"whiteboards\":{\"whiteboardId\":\"WH\"}}}",
            "{\"type\":352,\"source\":\"57\",\"data\":{\"whiteboards\":[{\"whiteboardId\":\"WH\",\"shapeList\":[]}]}}",
        };
        for (const QString& frame : frames)
            PushToStudent(frame.toUtf8());
        QCOMPARE(m_student->ShapeIds("WH"), (QStringList { text, "", "big" }));
        const QString digest = m_student->Digest("WH");
        QVERIFY2(digest.contains("100000,0-0,5"), qPrintable(digest));
        // The text moved, bounded; the rectangle did not (only texts move).
        QVERIFY2(digest.contains("100000,-7-100000,-7"), qPrintable(digest));
    }
};

PLOVIX_TEST(TestWhiteboardMessages)
#include "tst_WhiteboardMessages.moc"
