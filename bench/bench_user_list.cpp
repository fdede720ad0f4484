// The user list of a class of 2,000: every member logging in (rows built,
// inserted under their role header and laid out, then one paint), and
// scrolling the full list top to bottom one row at a time, each step
// painted at once. Targets: filling under 1 s, a scroll frame under 16 ms.
// The rows' log lines are dropped (their cost is the log sink's).
#include "room/LeftArea.h"
#include "room/UserList.h"
#include "session/UserInfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int kMembers
    = qEnvironmentVariableIntValue("BENCH_MEMBERS") > 0 ? qEnvironmentVariableIntValue("BENCH_MEMBERS") : 2000;

void Drop(QtMsgType, const QMessageLogContext&, const QString&)
{ }

void Report(const char* what, double measured, double target, const char* unit)
{
    std::printf(
        "%-34s %10.2f %s   target %8.2f %s   ratio %.2f\n", what, measured, unit, target, unit, measured / target);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(Drop);

    std::vector<std::unique_ptr<UserInfo>> members;
    for (int i = 0; i < kMembers; ++i) {
        auto info = std::make_unique<UserInfo>();
        info->SetUid(1000 + i);
        info->SetRole(i < 10 ? 4 : (i % 50 == 0 ? 6 : (i % 97 == 0 ? 7 : 5)));
        info->SetUserName(QStringLiteral("学员%1").arg(i));
        info->SetPermission(i % 3 == 0 ? 0x95 : 0x11);
        info->SetActionStatus(i % 7 == 0 ? 4 : 0);
        members.push_back(std::move(info));
    }
    QWidget window;
    window.resize(1366, 768);
    LeftArea left;
    left.SetupLayout(&window);
    left.OnZoomInOutUsrArea(); // the teacher's wide panel
    window.show();
    UserList* list = left.GetUserList();

    QElapsedTimer clock;
    clock.start();
    for (const auto& member : members)
        emit list->UserLogin(member.get());
    // The rows are placed by the list's pending layout: part of the fill.
    QCoreApplication::processEvents();
    list->viewport()->repaint();
    const double fillMs = clock.nsecsElapsed() / 1e6;

    QScrollBar* bar = list->verticalScrollBar();
    std::vector<double> frames;
    const int last = qEnvironmentVariableIsSet("BENCH_FILL_ONLY") ? bar->minimum() : bar->maximum();
    for (int value = bar->minimum(); value <= last; value += 60) {
        clock.restart();
        bar->setValue(value);
        list->viewport()->repaint();
        QCoreApplication::processEvents();
        frames.push_back(clock.nsecsElapsed() / 1e6);
    }
    double total = 0;
    for (double frame : frames)
        total += frame;
    std::sort(frames.begin(), frames.end());
    std::printf("%d members, %zu rows in the tree, %zu scroll frames\n", kMembers, size_t(list->topLevelItemCount()),
        frames.size());
    Report("fill 2,000 rows", fillMs, 1000, "ms");
    Report("scroll frame, mean", total / frames.size(), 16, "ms");
    Report("scroll frame, 95th percentile", frames.at(frames.size() * 95 / 100), 16, "ms");
    Report("scroll frame, worst", frames.back(), 16, "ms");
    left.OnCleanUp();
    return 0;
}
