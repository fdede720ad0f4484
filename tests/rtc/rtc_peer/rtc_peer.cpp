// One participant of a lesson's audio and video in a process of its own, for
// the tests and the benchmark: LocalPeer drives the platform's engine
// through its public interface in the order the client does, with the
// generated camera and microphone. Every engine event becomes one JSON line
// on stdout; commands come one per line on stdin:
//   mute-audio 0|1, mute-video 0|1, voice N, show UID, hide UID, stats [UID...]
//   (with the sound buffers of those uids heard so far), gaps UID (the
//   longest stretches without uid's sound and new pictures since the
//   previous ask, as MediaGaps takes them), leave, quit
// The others' pictures are received for the views set up: for everybody
// who joins, or only for the uids --show names ("none": nobody).
//
//   rtc_peer --app URL --key KEY --channel NAME --uid N [--audience] [--tone HZ]
//            [--show all|none|UID,UID...] [--camera-off] [--muted] [--echo] [--raw]
#include "LocalPeer.h"
#include "MediaGaps.h"
#include "app/HttpClient.h"
#include "platform/rtc/RtcMedia.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QMutex>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

QMutex s_outputLock;

void Print(const QJsonObject& line)
{
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    QMutexLocker lock(&s_outputLock);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

void Answer(const QString& command, int result)
{
    Print(QJsonObject { { "event", "result" }, { "command", command }, { "code", result } });
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("PLOVIX_MEDIA_DEMO", "1");
    // Views are drawn nowhere: the pictures reach the frame observer only.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A relay over TLS shows a certificate of the test CA.
    HttpClient::TrustExtraCaFromEnvironment();
    QCommandLineParser parser;
    parser.addOption({ "app", "media server address (the key road's application id)", "url" });
    parser.addOption({ "key", "channel key", "key" });
    parser.addOption({ "channel", "channel name", "name" });
    parser.addOption({ "uid", "user id", "uid" });
    parser.addOption({ "audience", "only watch and listen" });
    parser.addOption({ "relays", "the key road's relays (JSON list)", "json" });
    parser.addOption({ "tone", "frequency of the generated microphone's tone", "hz" });
    parser.addOption({ "show", "whose pictures are received: all, none or a list of uids", "uids", "all" });
    parser.addOption({ "camera-off", "join with the camera off" });
    parser.addOption({ "muted", "join with the microphone muted" });
    parser.addOption({ "echo", "the demo's echo path from the speaker into the microphone" });
    parser.addOption({ "raw", "send the microphone without voice processing" });
    parser.process(app);
    if (parser.isSet("raw"))
        qputenv("PLOVIX_VOICE_PROCESSING", "0");
    rtcmedia::SetDemoEcho(parser.isSet("echo"));
    if (parser.isSet("tone"))
        rtcmedia::SetGeneratedTone(parser.value("tone").toDouble());
    bool uidOk = false;
    const unsigned uid = parser.value("uid").toUInt(&uidOk);
    const QString channel = parser.value("channel");
    if (channel.isEmpty() || !uidOk || uid == 0) {
        std::fprintf(stderr, "rtc_peer: --channel and a non-zero --uid are needed\n");
        return 2;
    }

    QObject gui;
    MediaGaps gaps;
    LocalPeer participant(channel, uid, Print);
    const QString show = parser.value("show");
    if (show != QLatin1String("all")) {
        QSet<unsigned> shown;
        for (const QString& one : show.split(QLatin1Char(','), Qt::SkipEmptyParts))
            shown.insert(one.toUInt());
        participant.ShowOnly(shown);
    }
    if (parser.isSet("camera-off"))
        participant.StartWithCameraOff();
    participant.UseRelays(QJsonDocument::fromJson(parser.value("relays").toUtf8()).array());
    if (!participant.Join(parser.value("app"), parser.value("key"), parser.isSet("audience"), parser.isSet("muted"))) {
        Print(QJsonObject { { "event", "failed" }, { "message", participant.ErrorText() } });
        return 1;
    }

    // Commands arrive on a reader thread and run in the GUI thread, as the
    // client's calls do. The end of input quits.
    auto run = [&](const QString& command) {
        const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString verb = words.value(0);
        const bool on = words.value(1) == QLatin1String("1");
        if (verb == QLatin1String("mute-audio")) {
            Answer(verb, participant.MuteMicrophone(on));
        } else if (verb == QLatin1String("mute-video")) {
            Answer(verb, participant.EnableCamera(!on));
        } else if (verb == QLatin1String("show") || verb == QLatin1String("hide")) {
            participant.SetView(words.value(1).toUInt(), verb == QLatin1String("show"));
        } else if (verb == QLatin1String("voice")) {
            rtcmedia::SetGeneratedVoice(rtcmedia::GeneratedVoice(words.value(1).toInt()));
            Answer(verb, 0);
        } else if (verb == QLatin1String("stats")) {
            QJsonObject stats = participant.Recorder().Stats();
            QJsonObject heard;
            for (const QString& other : words.mid(1))
                heard.insert(other, rtcmedia::HeardBuffers(other.toUInt()));
            stats.insert(QStringLiteral("heard"), heard);
            Print(stats);
        } else if (verb == QLatin1String("gaps")) {
            const unsigned uid = words.value(1).toUInt();
            Print(gaps.Take(uid));
        } else if (verb == QLatin1String("leave")) {
            Answer(verb, participant.Leave());
        } else if (verb == QLatin1String("quit")) {
            participant.Stop();
            Print(QJsonObject { { "event", "quit" } });
            app.quit();
        } else if (!verb.isEmpty()) {
            Answer(verb, -2);
        }
    };
    std::thread([&gui, run] {
        std::string line;
        QString command;
        while (command != QLatin1String("quit")) {
            command = std::getline(std::cin, line) ? QString::fromStdString(line).trimmed() : QStringLiteral("quit");
            QMetaObject::invokeMethod(
                &gui, [run, command] { run(command); }, Qt::QueuedConnection);
        }
    }).detach();
    Print(QJsonObject { { "event", "ready" } });
    return app.exec();
}
