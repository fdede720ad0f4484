#pragma once

#include <QString>
#include <QStringList>

// The router of tools/netroads.sh, for the tests and benchmarks that run
// lessons over its roads.
namespace roads {

// A command in the router's namespace; false when it fails.
bool InRouter(const QString& program, const QStringList& arguments);
// A rule "MATCH counter VERDICT comment NAME" added to a chain of the
// router's table (forward: every packet it passes on).
bool RouterRule(const QString& match, const QString& name, const QString& verdict,
    const QString& chain = QStringLiteral("forward"));
// The packets the router's rule of that name counted (-1: no such rule).
qint64 Counted(const QString& name);
// The client's uplink: rate through a short queue, and lossPercent of its
// UDP dropped at random (nftables draws the lot: the kernel may lack
// netem). Undone by Unshape().
bool ShapeUplink(const QString& rate, int lossPercent);
// The packets the shaped uplink's queue dropped as it overflowed (-1: not
// shaped).
qint64 UplinkDropped();
// The client's downlink (what the router passes on to it): rate through a
// short queue that drops what overflows. Undone by Unshape().
bool ShapeDownlink(const QString& rate);
void Unshape();

} // namespace roads
