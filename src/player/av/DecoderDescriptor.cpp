#include "DecoderDescriptor.h"

#include <QMetaEnum>
#include <QMetaProperty>

namespace plxav {

DecoderDescriptor::DecoderDescriptor(VideoDecoderId id, QObject* parent)
    : QObject(parent)
    , m_id(id)
{ }

void DecoderDescriptor::addCoreOptions(const QVariantHash&, QVariantHash*) const
{ }

QVariant DecoderDescriptor::optionValue(const QVariantHash& values, const char* name) const
{
    const QVariant value = values.value(QLatin1String(name));
    return value.isValid() ? value : property(name);
}

QString DecoderDescriptor::optionKey(const QVariantHash& values, const char* name) const
{
    const QMetaObject* meta = metaObject();
    const QMetaEnum keys = meta->property(meta->indexOfProperty(name)).enumerator();
    bool number = false;
    const int value = optionValue(values, name).toInt(&number);
    const char* key = number ? keys.valueToKey(value) : nullptr;
    // A value that names no level keeps the property's own.
    if (key == nullptr)
        key = keys.valueToKey(property(name).toInt());
    return QString::fromLatin1(key).toLower();
}

// ---- FFmpeg

FFmpegDecoderDescriptor::FFmpegDecoderDescriptor(QObject* parent)
    : DecoderDescriptor(VideoDecoder::id("FFmpeg"), parent)
{
    setProperty("detail_threads", tr("Decoding threads; 0: as many as the processor has"));
    setProperty("detail_skip_loop_filter", tr("Frames whose deblocking filter is skipped: faster, but blockier"));
    setProperty("detail_skip_idct", tr("Frames whose inverse transform is skipped"));
    setProperty("detail_skip_frame", tr("Frames that are not decoded at all"));
    setProperty("detail_fast", tr("Speed-ups that do not follow the standard exactly"));
}

QString FFmpegDecoderDescriptor::description() const
{
    return tr("Software decoding by FFmpeg: every format, on every machine");
}

QString FFmpegDecoderDescriptor::hardwareInterface(const QVariantHash&) const
{
    return QStringLiteral("no");
}

void FFmpegDecoderDescriptor::addCoreOptions(const QVariantHash& values, QVariantHash* options) const
{
    bool number = false;
    const int threads = optionValue(values, "threads").toInt(&number);
    options->insert(QStringLiteral("vd-lavc-threads"), number && threads >= 0 ? threads : m_threads);
    options->insert(QStringLiteral("vd-lavc-skiploopfilter"), optionKey(values, "skip_loop_filter"));
    options->insert(QStringLiteral("vd-lavc-skipidct"), optionKey(values, "skip_idct"));
    options->insert(QStringLiteral("vd-lavc-skipframe"), optionKey(values, "skip_frame"));
    options->insert(QStringLiteral("vd-lavc-fast"), optionValue(values, "fast").toBool());
}

// ---- hardware

HardwareDecoderDescriptor::HardwareDecoderDescriptor(VideoDecoderId id, QObject* parent)
    : DecoderDescriptor(id, parent)
{
    setProperty("detail_copyMode",
        tr("ZeroCopy: pictures stay in video memory (OpenGL renderers only)\n"
           "CopyBack: pictures are copied to main memory, for every renderer"));
}

QString HardwareDecoderDescriptor::description() const
{
    const QString api = VideoDecoder::hardwareInterface(id());
    if (api == QLatin1String("vaapi"))
        return tr("Hardware decoding through VA-API (Intel and AMD graphics)");
    if (api == QLatin1String("vdpau"))
        return tr("Hardware decoding through VDPAU (NVIDIA and older AMD graphics)");
    return tr("Hardware decoding through NVDEC (NVIDIA graphics)");
}

QString HardwareDecoderDescriptor::hardwareInterface(const QVariantHash& values) const
{
    const QString api = VideoDecoder::hardwareInterface(id());
    return optionKey(values, "copyMode") == QLatin1String("copyback") ? api + QStringLiteral("-copy") : api;
}

} // namespace plxav
