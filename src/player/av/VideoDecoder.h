#pragma once

#include <QString>
#include <QVariantHash>
#include <QVector>

namespace plxav {

class DecoderDescriptor;
using VideoDecoderId = int;

// The video decoders the player offers: FFmpeg in software, and the
// hardware interfaces libmpv can decode through. Ids are never 0.
namespace VideoDecoder {

// Every decoder id, in the order they are offered.
QVector<VideoDecoderId> registered();
// The id of a name (case-sensitive, "FFmpeg", "VAAPI", ...); 0 when none.
VideoDecoderId id(const char* name);
QString name(VideoDecoderId id);
// The core's "hwdec" value of a decoder: "no" for FFmpeg, else the
// interface; empty for an unknown id.
QString hardwareInterface(VideoDecoderId id);
// The "hwdec" value for a priority list: the first hardware decoder's
// interface, "no" when FFmpeg comes before any or the list has none.
QString hardwareInterfaceFor(const QVector<VideoDecoderId>& priority);

// The decoder's name, description and options (see DecoderDescriptor);
// null for an unknown id. The caller owns it.
DecoderDescriptor* create(VideoDecoderId id);
// The core's options for a priority list and the decoders' option tables
// (decoder name to a table of option name to value, as the decoder page
// exports them): "hwdec", with its copying variant where the table asks
// for it, and libavcodec's own, at their defaults where no table sets them.
QVariantHash coreOptions(const QVector<VideoDecoderId>& priority, const QVariantHash& codecOptions);
// The entries of codecOptions that are no decoder's table: options handed
// to libavcodec as they stand.
QVariantHash rawCodecOptions(const QVariantHash& codecOptions);

} // namespace VideoDecoder
} // namespace plxav
