#pragma once

#include <QString>
#include <QVector>

namespace plxav {

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

} // namespace VideoDecoder
} // namespace plxav
