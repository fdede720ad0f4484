#include "RoadControl.h"

#include <QProcess>
#include <QRegularExpression>

namespace roads {

bool InRouter(const QString& program, const QStringList& arguments)
{
    QProcess run;
    run.start(QStringLiteral("nsenter"),
        QStringList { QStringLiteral("--net=") + qEnvironmentVariable("PLOVIX_ROUTER_NETNS"), program } + arguments);
    return run.waitForFinished(10000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

bool RouterRule(const QString& match, const QString& name, const QString& verdict, const QString& chain)
{
    return InRouter(QStringLiteral("nft"),
        { QStringLiteral("add rule ip plxnat %1 %2 counter %3 comment \"%4\"").arg(chain, match, verdict, name) });
}

qint64 Counted(const QString& name)
{
    QProcess nft;
    nft.start(QStringLiteral("nsenter"),
        { QStringLiteral("--net=") + qEnvironmentVariable("PLOVIX_ROUTER_NETNS"), QStringLiteral("nft"),
            QStringLiteral("list table ip plxnat") });
    nft.waitForFinished(10000);
    const QRegularExpression counter(QStringLiteral("counter packets (\\d+) bytes \\d+.*comment \"%1\"").arg(name));
    const QRegularExpressionMatch match = counter.match(QString::fromUtf8(nft.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

bool ShapeUplink(const QString& rate, int lossPercent)
{
    const auto tc = [](const QString& command) { return InRouter(QStringLiteral("tc"), command.split(' ')); };
    return InRouter(QStringLiteral("nft"), { QStringLiteral("add chain ip plxnat uplink") })
        && RouterRule(QString(), QStringLiteral("to uplink"), QStringLiteral("jump uplink"))
        && RouterRule(
            QStringLiteral("iifname \"plxlan0\" meta l4proto udp numgen random mod 100 < %1").arg(lossPercent),
            QStringLiteral("uplink loss"), QStringLiteral("drop"), QStringLiteral("uplink"))
        && tc(QStringLiteral("qdisc add dev plxwan1 root handle 1: htb default 10"))
        && tc(QStringLiteral("class add dev plxwan1 parent 1: classid 1:10 htb rate %1 ceil %1").arg(rate))
        && tc(QStringLiteral("qdisc add dev plxwan1 parent 1:10 pfifo limit 40"));
}

qint64 UplinkDropped()
{
    QProcess tc;
    tc.start(QStringLiteral("nsenter"),
        { QStringLiteral("--net=") + qEnvironmentVariable("PLOVIX_ROUTER_NETNS"), QStringLiteral("tc"),
            QStringLiteral("-s"), QStringLiteral("qdisc"), QStringLiteral("show"), QStringLiteral("dev"),
            QStringLiteral("plxwan1") });
    tc.waitForFinished(10000);
    // The queue under the rate's class holds what waits, and drops.
    const QRegularExpression queue(
        QStringLiteral("qdisc pfifo [^\\n]*\\n\\s*Sent \\d+ bytes \\d+ pkt \\(dropped (\\d+)"));
    const QRegularExpressionMatch match = queue.match(QString::fromUtf8(tc.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

bool ShapeDownlink(const QString& rate)
{
    const auto tc = [](const QString& command) { return InRouter(QStringLiteral("tc"), command.split(' ')); };
    return tc(QStringLiteral("qdisc add dev plxlan0 root handle 1: htb default 10"))
        && tc(QStringLiteral("class add dev plxlan0 parent 1: classid 1:10 htb rate %1 ceil %1").arg(rate))
        && tc(QStringLiteral("qdisc add dev plxlan0 parent 1:10 pfifo limit 10"));
}

void Unshape()
{
    InRouter(QStringLiteral("tc"), QStringLiteral("qdisc del dev plxwan1 root").split(' '));
    InRouter(QStringLiteral("tc"), QStringLiteral("qdisc del dev plxlan0 root").split(' '));
    InRouter(QStringLiteral("nft"), { QStringLiteral("flush chain ip plxnat uplink") });
}

} // namespace roads
