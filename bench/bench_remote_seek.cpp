// The time from a remote seek message to the student's player showing the
// new position, over 100 seeks in the room's generated 180-second video:
// the teacher's message (451, paused at a random second) is pushed by the
// local service to the local user, goes through the session, the media
// list and the centre panel into the player; measured until the player's
// time label shows the second, and until its picture shows that second's
// colour. The bare side: the same player seeking directly, measured the
// same way. Printed: median and 95th percentile of each, and the ratio of
// the 95th percentiles. A picture of a part the player has not read yet
// waits for a new ranged request to the service.
#include "../tests/session/JoinedRoom.h"

#include "app/AppPaths.h"
#include "player/AvPlayer.h"
#include "player/av/AVPlayer.h"
#include "player/av/AudioOutput.h"
#include "player/av/SoftwareRenderer.h"
#include "room/MiddleArea.h"
#include "session/MsgType.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const int kSeeks = 100;

// Whether the picture shows the colour of that second of the service's
// video (hue = second x 47 degrees), looked at above the moving bar.
bool ShowsSecond(const AvPlayer* window, int second)
{
    auto* renderer = dynamic_cast<plxav::SoftwareRenderer*>(window->GetRenderer());
    const QImage frame = renderer != nullptr ? renderer->currentFrame() : QImage();
    if (frame.isNull())
        return false;
    const QColor shown(frame.pixel(frame.width() / 2, 4));
    const int off = qAbs(shown.hsvHue() - second * 47 % 360);
    return shown.saturation() > 80 && qMin(off, 360 - off) <= 12;
}

bool ShowsTime(const AvPlayer* window, int second)
{
    return window->GetTimeLabel()->text().startsWith(AvPlayer::FormatTime(second * 1000LL, false) + QLatin1Char('/'));
}

struct Times {
    QVector<double> label;
    QVector<double> picture;
};

// Runs one seek to second and records when the label and the picture show it.
bool Measure(const AvPlayer* window, int second, const std::function<void()>& seek, Times& times)
{
    QElapsedTimer clock;
    clock.start();
    seek();
    double label = -1;
    while (clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        if (label < 0 && ShowsTime(window, second))
            label = clock.nsecsElapsed() / 1e6;
        if (label >= 0 && ShowsSecond(window, second)) {
            times.label << label;
            times.picture << clock.nsecsElapsed() / 1e6;
            return true;
        }
    }
    std::fprintf(stderr, "bench_remote_seek: no picture of second %d (the time shown: %s)\n", second,
        qPrintable(window->GetTimeLabel()->text()));
    return false;
}

double Percentile(QVector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const int at = qBound(0, static_cast<int>(std::ceil(share * values.size())) - 1, values.size() - 1);
    return values.at(at);
}

void Print(const char* what, const QVector<double>& values)
{
    std::printf("%s, median: %.1f ms\n", what, Percentile(values, 0.5));
    std::printf("%s, 95th percentile: %.1f ms\n", what, Percentile(values, 0.95));
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/plovix-bench-XXXXXX"));
    TestSupport::UseHome(home.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PLOVIX_IPINFO_HOST", "http://127.0.0.1:9");
    qputenv("PLOVIX_PICTURE_HOST", "http://127.0.0.1:9");
    qputenv("PLOVIX_RTC_NO_AUDIO", "1");
    AppPaths::ApplyIdentity();
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    plxav::AudioOutput::setDefaultBackends({ QStringLiteral("null") });

    QWidget window;
    MiddleArea middle;
    JoinedRoom room;
    Nexus::SetMiddleArea(&middle);
    Nexus::SetQtAvPlayerList(middle.GetQtAvPlayerList());
    Nexus::SetPresentationList(middle.GetPresentationList());
    if (!room.Enter()) {
        std::fprintf(stderr, "bench_remote_seek: the room could not be entered\n");
        return 1;
    }
    window.resize(1366, 768);
    middle.SetupLayout(&window);
    window.show();
    // The room shares its video paused: the student's window waits for it.
    if (!QTest::qWaitFor([&middle] { return middle.GetAvPlayer() != nullptr; }, 15000))
        return 1;
    AvPlayer* player = middle.GetAvPlayer();
    const auto push = [&room](int second, const char* state) {
        room.Push(MsgVideoSeek, QJsonObject { { "mediaId", "M2001" }, { "seek", second }, { "state", state } });
    };
    push(1, "play");
    if (!QTest::qWaitFor([player] { return player->GetLibPlayer() && player->GetLibPlayer()->isLoaded(); }, 15000))
        return 1;

    QRandomGenerator random(20261209);
    Times remote;
    Times bare;
    int last = 1;
    for (int i = 0; i < kSeeks; ++i) {
        int second = last;
        while (second == last)
            second = random.bounded(2, 176);
        last = second;
        if (!Measure(
                player, second, [&] { push(second, "pause"); }, remote))
            return 1;
        second = random.bounded(2, 176);
        while (second == last)
            second = random.bounded(2, 176);
        last = second;
        if (!Measure(
                player, second, [&] { player->GetLibPlayer()->seek(second * 1000LL); }, bare))
            return 1;
    }
    Print("remote seek", remote.label);
    Print("remote seek to picture", remote.picture);
    Print("bare seek", bare.label);
    Print("bare seek to picture", bare.picture);
    std::printf("remote to bare, 95th percentile ratio: %.2f\n",
        Percentile(remote.label, 0.95) / qMax(0.001, Percentile(bare.label, 0.95)));
    middle.OnDestroyAvPlayer();
    Nexus::Teardown();
    return 0;
}
