// 100,000 signalling messages of the mixed kinds of a lesson, in frames of
// one to three messages as the service sends them: split and dispatched by
// the client's table, against bare QJsonDocument parsing of the same
// messages. The dispatch log lines are filtered out (their cost is the log
// sink's, not the client's).
#include "app/SignallingDispatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QStringList>
#include <cstdio>

namespace {

const int kMessages = 100000;
const int kRounds = 5;

// A lesson's traffic: mostly pen strokes, laser points, chat and
// keep-alives, now and then members, pages and media.
QString LessonMessage(int i)
{
    const QString uid = QString::number(57 + i % 4);
    switch (i % 16) {
    case 0:
    case 1:
    case 2:
    case 3:
        return QStringLiteral("{\"type\":321,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"roomId\":\"R100\","
                              "\"operatorId\":\"57\",\"type\":\"pencil\",\"whiteboardId\":\"W1001\",\"color\":"
                              "\"#EC2629\",\"points\":[{\"x\":%1,\"y\":20},{\"x\":12,\"y\":%2},{\"x\":14,\"y\":25}],"
                              "\"shapeId\":\"S%3\",\"thickness\":2}}")
            .arg(i % 800)
            .arg(i % 600)
            .arg(i);
    case 4:
    case 5:
        return QStringLiteral("{\"type\":261,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"roomId\":\"R100\","
                              "\"operatorId\":\"57\",\"timestamp\":1700000000000,\"cursorX\":%1,\"cursorY\":%2,"
                              "\"diameter\":5,\"presentationId\":\"P1002\"}}")
            .arg(i % 1000)
            .arg(i % 700);
    case 6:
    case 7:
        return QStringLiteral("{\"type\":385,\"source\":\"%1\",\"dest\":\"R100\",\"data\":{\"roomId\":\"R100\","
                              "\"operatorId\":\"%1\",\"timestamp\":1700000000000,\"content\":\"老师，第%2题怎么做？\","
                              "\"destId\":\"R100\",\"operatorUserName\":\"学员%1\",\"type\":\"public\",\"sourceId\":"
                              "\"%1\"}}")
            .arg(uid)
            .arg(i % 30);
    case 8:
        return QStringLiteral("{\"type\":96,\"source\":\"0\",\"dest\":\"58\"}");
    case 9:
        return QStringLiteral("{\"type\":194,\"source\":\"%1\",\"dest\":\"R100\",\"data\":{\"name\":\"camera\","
                              "\"value\":\"open\",\"operatorId\":\"%1\",\"roomId\":\"R100\"}}")
            .arg(uid);
    case 10:
        return QStringLiteral("{\"type\":195,\"source\":\"%1\",\"dest\":\"R100\",\"data\":{\"alive\":true,"
                              "\"speakerUserId\":\"%1\",\"roomId\":\"R100\"}}")
            .arg(uid);
    case 11:
        return QStringLiteral("{\"type\":258,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"roomId\":\"R100\","
                              "\"operatorId\":\"57\",\"timestamp\":1700000000000,\"presentationId\":\"P100%1\"}}")
            .arg(i % 3);
    case 12:
        return QStringLiteral("{\"type\":323,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"whiteboardId\":"
                              "\"W1001\",\"roomId\":\"R100\",\"operatorId\":\"57\",\"shapeId\":\"S%1\"}}")
            .arg(i - 1);
    case 13:
        return QStringLiteral("{\"type\":129,\"source\":\"%1\",\"dest\":\"R100\",\"data\":{\"userId\":\"%1\","
                              "\"userName\":\"学员%1\",\"avatarUrl\":\"http://127.0.0.1/static/avatar/u%1.png\","
                              "\"role\":\"STUDENT\",\"privilege\":17,\"alterablePrivilege\":213,\"userStatus\":1}}")
            .arg(uid);
    case 14:
        return QStringLiteral("{\"type\":451,\"source\":\"57\",\"dest\":\"R100\",\"data\":{\"operatorId\":\"57\","
                              "\"roomId\":\"R100\",\"seek\":%1,\"timestamp\":1700000000,\"state\":\"play\","
                              "\"mediaId\":\"M2001\"}}")
            .arg(i % 180);
    default:
        return QStringLiteral("{\"type\":132,\"source\":\"%1\",\"dest\":\"57\",\"data\":{\"operatorId\":\"%1\","
                              "\"userStatus\":3}}")
            .arg(uid);
    }
}

int s_seen = 0;

SignallingDispatch MakeTable()
{
    SignallingDispatch table;
    // What a handler does first: look at its "data".
    const auto handler = [](const SignallingMessage& message) {
        s_seen += message.json.value(QLatin1String("data")).isObject() ? 1 : 2;
    };
    for (int type : { 96, 129, 132, 194, 195, 258, 261, 321, 323, 385, 451 })
        table.Route(type, ",lesson msg.", handler);
    return table;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("plovix.signalling.debug=false"));

    QStringList messages;
    QStringList frames;
    for (int i = 0; i < kMessages;) {
        const int count = 1 + i % 3;
        QStringList frame;
        for (int k = 0; k < count && i < kMessages; ++k, ++i) {
            messages << LessonMessage(i);
            frame << messages.last();
        }
        frames << frame.join(QStringLiteral("\r\n"));
    }
    const SignallingDispatch table = MakeTable();

    qint64 bestClient = -1;
    qint64 bestBare = -1;
    int dispatched = 0;
    int parsed = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        dispatched = 0;
        for (const QString& frame : qAsConst(frames))
            dispatched += table.HandleFrame(frame.toUtf8());
        const qint64 client = clock.nsecsElapsed();

        clock.restart();
        parsed = 0;
        for (const QString& message : qAsConst(messages)) {
            const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
            parsed += document.isObject() && document.object().value(QLatin1String("type")).isDouble() ? 1 : 0;
        }
        const qint64 bare = clock.nsecsElapsed();
        bestClient = bestClient < 0 ? client : qMin(bestClient, client);
        bestBare = bestBare < 0 ? bare : qMin(bestBare, bare);
    }
    if (dispatched != kMessages || parsed != kMessages) {
        std::printf("FAILED: dispatched %d, parsed %d of %d\n", dispatched, parsed, kMessages);
        return 1;
    }
    const double clientMs = double(bestClient) / 1e6;
    const double bareMs = double(bestBare) / 1e6;
    std::printf("%d signalling messages in %lld frames (best of %d rounds)\n", kMessages,
        static_cast<long long>(frames.size()), kRounds);
    std::printf("client split + dispatch: %9.1f ms  (%.0f messages/s)\n", clientMs, kMessages / (clientMs / 1000.0));
    std::printf("bare QJsonDocument:      %9.1f ms  (%.0f messages/s)\n", bareMs, kMessages / (bareMs / 1000.0));
    std::printf("ratio client/bare:       %9.2f\n", clientMs / bareMs);
    return 0;
}
