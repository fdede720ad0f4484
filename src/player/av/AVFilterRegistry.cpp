#include "AVFilterRegistry.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

namespace plxav {
namespace AVFilterRegistry {

namespace {

QStringList filtersOf(AVMediaType type)
{
    QStringList names;
    void* opaque = nullptr;
    while (const AVFilter* filter = av_filter_iterate(&opaque)) {
        if (avfilter_filter_pad_count(filter, 1) == 0)
            continue;
        if (avfilter_pad_get_type(filter->outputs, 0) == type)
            names << QString::fromLatin1(filter->name);
    }
    return names;
}

} // namespace

QStringList videoFilters()
{
    return filtersOf(AVMEDIA_TYPE_VIDEO);
}

QStringList audioFilters()
{
    return filtersOf(AVMEDIA_TYPE_AUDIO);
}

QString description(const QString& name)
{
    if (name.isEmpty())
        return QString();
    const AVFilter* filter = avfilter_get_by_name(name.toLatin1().constData());
    return filter != nullptr && filter->description != nullptr ? QString::fromUtf8(filter->description) : QString();
}

} // namespace AVFilterRegistry
} // namespace plxav
