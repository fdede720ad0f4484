#include "VideoDecoder.h"

#include "DecoderDescriptor.h"

#include <memory>

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
    return coreOptions(priority, QVariantHash()).value(QStringLiteral("hwdec")).toString();
}

DecoderDescriptor* create(VideoDecoderId id)
{
    if (hardwareInterface(id) == QLatin1String("no"))
        return new FFmpegDecoderDescriptor();
    if (!hardwareInterface(id).isEmpty())
        return new HardwareDecoderDescriptor(id);
    return nullptr;
}

QVariantHash coreOptions(const QVector<VideoDecoderId>& priority, const QVariantHash& codecOptions)
{
    QVariantHash options;
    const FFmpegDecoderDescriptor software;
    software.addCoreOptions(codecOptions.value(software.name()).toHash(), &options);
    options.insert(QStringLiteral("hwdec"), QStringLiteral("no"));
    for (VideoDecoderId decoder : priority) {
        const std::unique_ptr<DecoderDescriptor> first(create(decoder));
        if (first) {
            options.insert(
                QStringLiteral("hwdec"), first->hardwareInterface(codecOptions.value(first->name()).toHash()));
            break;
        }
    }
    return options;
}

QVariantHash rawCodecOptions(const QVariantHash& codecOptions)
{
    QVariantHash raw;
    for (auto it = codecOptions.cbegin(); it != codecOptions.cend(); ++it) {
        const bool table = it.value().type() == QVariant::Hash;
        if (!table || id(it.key().toLatin1().constData()) == 0)
            raw.insert(it.key(), it.value());
    }
    return raw;
}

} // namespace VideoDecoder
} // namespace plxav
