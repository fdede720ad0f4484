#include "VideoDecoder.h"

namespace plxav {
namespace VideoDecoder {

namespace {
struct Entry {
    VideoDecoderId id;
    const char* name;
    const char* hwdec;
};
// "HW" is no decoder of its own, so a stored "HW FFmpeg" keeps FFmpeg only.
constexpr Entry kDecoders[] = {
    { 1, "FFmpeg", "no" },
    { 2, "VAAPI", "vaapi" },
    { 3, "VDPAU", "vdpau" },
    { 4, "CUDA", "nvdec" },
};
} // namespace

QVector<VideoDecoderId> registered()
{
    QVector<VideoDecoderId> ids;
    for (const Entry& entry : kDecoders)
        ids << entry.id;
    return ids;
}

VideoDecoderId id(const char* name)
{
    for (const Entry& entry : kDecoders) {
        if (name != nullptr && QLatin1String(name) == QLatin1String(entry.name))
            return entry.id;
    }
    return 0;
}

QString name(VideoDecoderId id)
{
    for (const Entry& entry : kDecoders) {
        if (entry.id == id)
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

QString hardwareInterface(VideoDecoderId id)
{
    for (const Entry& entry : kDecoders) {
        if (entry.id == id)
            return QString::fromLatin1(entry.hwdec);
    }
    return QString();
}

QString hardwareInterfaceFor(const QVector<VideoDecoderId>& priority)
{
    for (VideoDecoderId decoder : priority) {
        const QString hwdec = hardwareInterface(decoder);
        if (!hwdec.isEmpty())
            return hwdec;
    }
    return QStringLiteral("no");
}

} // namespace VideoDecoder
} // namespace plxav
