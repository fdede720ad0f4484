#pragma once

#include <QString>
#include <QStringList>

namespace plxav {

// The filters libavfilter offers for the players' filter graphs, read from
// the library itself (libmpv hands its graphs to the same library).
namespace AVFilterRegistry {

// The names of the filters whose output is video, or audio, in the
// library's order. Filters without a fixed output (sinks, splitters that
// decide their outputs at run time) are in neither list.
QStringList videoFilters();
QStringList audioFilters();
// The library's one-line description of a filter; empty for an unknown
// name.
QString description(const QString& name);

} // namespace AVFilterRegistry
} // namespace plxav
