#include "BoardClient.h"
#include "LogCapture.h"
#include "RoomSetup.h"
#include "TestRegistry.h"

#include "session/MsgType.h"
#include "whiteboard/Shape.h"
#include "whiteboard/WhiteBoardWidget.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>
#include <atomic>
#include <memory>

namespace {

const int kActingMs = 4000; // how long everybody changes the boards at once
const int kTeacherDropPauseMs = 2500; // keeps the teacher's reopenings apart
const int kBackedOffMs = 40000; // the longest pause between reopenings and more
const QList<int> kStudents { 58, 59, 60 };

QPoint Point(QRandomGenerator& random)
{
    return QPoint(random.bounded(800), random.bounded(600));
}

// One random change of a participant on one of the boards, as the board
// widget makes it; false when it changed nothing.
bool Act(BoardClient& client, const QStringList& boards, QRandomGenerator& random)
{
    const QString board = boards.at(random.bounded(boards.size()));
    const QStringList ids = client.ShapeIds(board);
    const int dice = random.bounded(100);
    if (dice < 40 || ids.isEmpty()) {
        const int kind = 1 + random.bounded(4);
        QVector<QPoint> points { Point(random), Point(random) };
        for (int i = kind == Shape::TypePen ? random.bounded(6) : 0; i > 0; --i)
            points << Point(random);
        return !client.Draw(board, kind, points, QStringLiteral("t%1").arg(random.bounded(1000))).isEmpty();
    }
    if (dice < 55)
        return client.Undo(board);
    if (dice < 70)
        return client.Redo(board);
    if (dice < 73)
        return client.Reset(board);
    if (dice < 88)
        return client.Erase(board, ids.at(random.bounded(ids.size())));
    const QString digest = client.Digest(board);
    for (const QString& id : ids) {
        if (digest.contains(id + "|4|"))
            return client.MoveText(board, id, Point(random));
    }
    return client.Undo(board);
}

// A participant changing the boards on its own: a timer in its session
// thread makes a random change every few milliseconds, also while its
// connection is lost (those changes never reach the room).
class Actor
{
public:
    Actor(BoardClient* client, const QStringList& boards, quint32 seed)
        : m_client(client)
        , m_boards(boards)
        , m_random(seed)
    { }

    bool Start()
    {
        return TestSupport::RunIn(m_client->Data(), [this] {
            m_timer = new QTimer();
            m_timer->setSingleShot(true);
            QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { Step(); });
            m_timer->start(m_random.bounded(30));
        });
    }
    bool Stop()
    {
        return TestSupport::RunIn(m_client->Data(), [this] {
            delete m_timer;
            m_timer = nullptr;
        });
    }

    std::atomic<int> changes { 0 };
    std::atomic<int> offline { 0 }; // changes made without a connection

private:
    void Step()
    {
        const WebSockClient* socket = m_client->Data()->GetWebSocket();
        const bool connected = socket && socket->GetState() == QAbstractSocket::ConnectedState;
        if (Act(*m_client, m_boards, m_random)) {
            ++changes;
            offline += connected ? 0 : 1;
        }
        m_timer->start(5 + m_random.bounded(30));
    }

    BoardClient* m_client;
    QStringList m_boards;
    QRandomGenerator m_random;
    QTimer* m_timer = nullptr;
};

} // namespace

// A lesson on two boards. The teacher (57) is the program itself: it enters
// room R100 on the room entry's road and draws with the mouse on the board
// widget; three students (58 to 60) are sessions of their own, wired as the
// room entry wires them. Everybody changes the boards at the same time, and
// now and then one loses its connection for a while and goes on drawing
// meanwhile. Changes that cross on the wire reach the participants in
// different orders, and those made without a connection reach nobody: the
// boards drift apart. Every reconnection brings the room's history, so after
// one more reconnection of each, all boards are the room's. Seeded
// (PLOVIX_BOARD_FUZZ_SEED replaces the fixed seeds).
class TestBoardFuzz : public QObject
{
    Q_OBJECT

    RoomSetup m_setup;
    QWidget m_page;
    WhiteBoardWidget* m_board = nullptr;
    QString m_socket;
    QElapsedTimer m_sinceTeacherDrop;

    BoardModel* Teacher() const { return m_setup.data->GetBoardModel(); }
    // Whether every student's boards are the teacher's; logged when not.
    bool AllSame(const QList<BoardClient*>& students, const QStringList& boards, bool log = false) const
    {
        auto digest = [&](BoardModel* model) {
            QString text;
            for (const QString& board : boards)
                text += board + '\n' + BoardClient::Digest(model, board) + '\n';
            return text;
        };
        const QString teacher = digest(Teacher());
        bool same = true;
        for (BoardClient* student : students) {
            const QString boardsOf = digest(student->Model());
            same = same && boardsOf == teacher;
            if (log && boardsOf != teacher)
                qWarning().noquote() << "teacher\n" << teacher << "student" << student->Uid() << '\n' << boardsOf;
        }
        return same;
    }
    bool Connected(int uid) const { return m_setup.room->OpenCount(QString::number(uid)) == 1; }
    void DropTeacher()
    {
        QCOMPARE(m_setup.room->Drop("57"), 1);
        m_sinceTeacherDrop.restart();
    }

    // One random change of the teacher through the board widget: a page of
    // its own chosen, a shape dragged, the palette's undo, redo and clear, an
    // erase.
    void TeacherActs(const QStringList& boards, QRandomGenerator& random)
    {
        const int dice = random.bounded(100);
        if (dice < 10) {
            m_board->SetCurrWhiteboardId(boards.at(random.bounded(boards.size())));
        } else if (dice < 50) {
            m_board->SetShapeType(1 + random.bounded(3));
            QList<QPoint> path { Point(random), Point(random) };
            for (int i = random.bounded(5); i > 0; --i)
                path << Point(random);
            TestSupport::Drag(m_board, path);
        } else if (dice < 65) {
            m_board->Undo();
        } else if (dice < 80) {
            m_board->Redo();
        } else if (dice < 83) {
            m_board->Reset();
        } else {
            const QStringList ids = BoardClient::ShapeIds(Teacher(), m_board->GetCurrWhiteboardId());
            if (!ids.isEmpty())
                m_board->OnShapeEraserById(ids.at(random.bounded(ids.size())));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_setup.Start("1"));
        m_setup.data->SetUserId(57);
        m_setup.AddSession("S100", "R100", "100100");
        m_page.setFixedSize(800, 600);
        m_board = new WhiteBoardWidget(&m_page);
        m_board->SetCanvas(&m_page);
        m_board->setGeometry(m_page.rect());
        Nexus::SetWhiteBoardWidget(m_board);
        m_page.show();
        m_setup.data->OnRoomEntry("S100");
        emit m_setup.data->EnterRoom();
        QTRY_COMPARE_WITH_TIMEOUT(Nexus::GetDataPrepPhase(), 3, 15000);
        QTRY_VERIFY(m_setup.data->GetPermission() & 128); // the teacher may draw
        m_sinceTeacherDrop.start();
        QUrl socket = m_setup.service.HttpUrl("/ws");
        socket.setScheme("ws");
        m_socket = socket.toString();
    }
    void cleanupTestCase()
    {
        Nexus::SetWhiteBoardWidget(nullptr);
        Nexus::Teardown();
    }

    void BoardsAgreeAfterALessonOfConcurrentChanges_data()
    {
        QTest::addColumn<quint32>("seed");
        const QByteArray chosen = qgetenv("PLOVIX_BOARD_FUZZ_SEED");
        if (!chosen.isEmpty()) {
            QTest::newRow(chosen.constData()) << chosen.toUInt();
            return;
        }
        for (quint32 seed : { 20261209u, 7u, 4242u })
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void BoardsAgreeAfterALessonOfConcurrentChanges()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        // Boards of their own for every seed: the teacher stays in the room.
        const QStringList boards { QStringLiteral("WF%1a").arg(seed), QStringLiteral("WF%1b").arg(seed) };
        m_board->SetCurrWhiteboardId(boards.first());
        std::vector<std::unique_ptr<BoardClient>> owned;
        std::vector<std::unique_ptr<Actor>> actors;
        QList<BoardClient*> students;
        for (int uid : kStudents) {
            owned.push_back(std::make_unique<BoardClient>(m_setup.profile, uid));
            students << owned.back().get();
            QVERIFY(students.last()->Connect(m_socket));
            actors.push_back(std::make_unique<Actor>(students.last(), boards, seed ^ (uid * 2654435761u)));
        }
        QTRY_VERIFY(std::all_of(kStudents.begin(), kStudents.end(), [this](int uid) { return Connected(uid); }));
        const int sentBefore = m_setup.room->Sent().size();

        // The lesson: everybody acts at once; connections drop now and then.
        for (const auto& actor : actors)
            QVERIFY(actor->Start());
        QTimer teacher;
        teacher.setSingleShot(true);
        connect(&teacher, &QTimer::timeout, this, [&] {
            TeacherActs(boards, random);
            teacher.start(10 + random.bounded(40));
        });
        teacher.start(0);
        QElapsedTimer lesson;
        lesson.start();
        bool studentDropped = false;
        while (lesson.elapsed() < kActingMs) {
            QTest::qWait(150 + random.bounded(300)); // the lesson goes on meanwhile
            const int uid = studentDropped ? 57 + random.bounded(4) : kStudents.at(random.bounded(3));
            if (!Connected(uid))
                continue;
            if (uid == 57) {
                if (m_sinceTeacherDrop.elapsed() > kTeacherDropPauseMs)
                    DropTeacher();
                continue;
            }
            QCOMPARE(m_setup.room->Drop(QString::number(uid)), 1);
            studentDropped = true;
        }
        teacher.stop();
        int changes = 0;
        int offline = 0;
        for (const auto& actor : actors) {
            QVERIFY(actor->Stop());
            changes += actor->changes;
            offline += actor->offline;
        }
        QVERIFY(TestSupport::RunIn(m_setup.data, [] {})); // the teacher's last requests are out
        QVERIFY2(offline > 0 && changes > offline, qPrintable(QStringLiteral("%1 %2").arg(changes).arg(offline)));
        QList<int> types;
        for (const QJsonObject& message : m_setup.room->Sent().mid(sentBefore))
            types << message.value("type").toInt();
        for (int type : { MsgNewShape, MsgUndo, MsgRedo, MsgShapeEraser })
            QVERIFY2(types.contains(type), qPrintable(QString::number(type)));

        // Everybody back, then one more reconnection of each: the room's
        // history makes every board the room's. Connections dropped soon
        // after opening count as failed, so the reopenings have backed off
        // to as much as 30 s.
        QTRY_VERIFY_WITH_TIMEOUT(Connected(57)
                && std::all_of(kStudents.begin(), kStudents.end(), [this](int uid) { return Connected(uid); }),
            kBackedOffMs);
        qDebug() << "lesson of seed" << seed << ": changes" << changes << ", without a connection" << offline
                 << ", boards agreed before the last reconnections:" << AllSame(students, boards);
        QTRY_VERIFY_WITH_TIMEOUT(m_sinceTeacherDrop.elapsed() > kTeacherDropPauseMs, 5000);
        QMap<int, int> logins;
        for (int uid : QList<int> { 57 } + kStudents)
            logins.insert(uid, m_setup.room->Sent(QString::number(uid), MsgUserLogin).size());
        LogCapture log;
        DropTeacher();
        for (int uid : kStudents)
            QCOMPARE(m_setup.room->Drop(QString::number(uid)), 1);
        for (int uid : logins.keys()) {
            QTRY_VERIFY_WITH_TIMEOUT(
                Connected(uid) && m_setup.room->Sent(QString::number(uid), MsgUserLogin).size() > logins.value(uid),
                kBackedOffMs);
        }
        const bool same = QTest::qWaitFor([&] { return AllSame(students, boards); }, 10000);
        QVERIFY2(same || AllSame(students, boards, true), qPrintable(QStringLiteral("seed %1").arg(seed)));
        // Every history is in and applied: the boards stay the room's.
        QTRY_VERIFY_WITH_TIMEOUT(log.Count("GetWhiteBoardHistoryMsg msg:") >= 4, 10000);
        for (BoardClient* student : students)
            QVERIFY(TestSupport::RunIn(student->Data(), [] {}));
        QVERIFY(TestSupport::RunIn(m_setup.data, [] {}));
        QVERIFY2(AllSame(students, boards), qPrintable(QStringLiteral("seed %1").arg(seed)));

        // Live changes go on reaching everybody after the histories.
        const QString first = students.at(0)->Draw(boards.first(), Shape::TypeLine, { { 1, 1 }, { 5, 5 } });
        const QString second = students.at(1)->Draw(boards.first(), Shape::TypeLine, { { 1, 1 }, { 5, 5 } });
        auto seen = [&](BoardModel* model) {
            const QString digest = BoardClient::Digest(model, boards.first());
            return digest.contains(first) && digest.contains(second);
        };
        QTRY_VERIFY(seen(Teacher()) && std::all_of(students.begin(), students.end(), [&](BoardClient* student) {
            return seen(student->Model());
        }));
    }
};

PLOVIX_TEST(TestBoardFuzz)
#include "tst_BoardFuzz.moc"
