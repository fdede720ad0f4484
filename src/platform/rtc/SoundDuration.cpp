// How long the sound of a file lasts, as the engine learns it before it
// mixes the file: WAV headers are read directly (a recording still being
// written says so by its size), every other format through libavformat.
#include "EngineState.h"

#include <QFile>

extern "C" {
#include <libavformat/avformat.h>
}

namespace rtcengine {

namespace {

qint64 ProbedLengthMs(const QString& path)
{
    AVFormatContext* context = nullptr;
    // The file protocol by name: a local path is never read as an address.
    const QByteArray url = "file:" + QFile::encodeName(path);
    if (avformat_open_input(&context, url.constData(), nullptr, nullptr) < 0)
        return -1;
    qint64 length = -1;
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        const int index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (index >= 0) {
            const AVStream* stream = context->streams[index];
            if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
                length = av_rescale_q(stream->duration, stream->time_base, AVRational { 1, 1000 });
            else if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
                length = av_rescale(context->duration, 1000, AV_TIME_BASE);
            else
                length = 0;
        }
    }
    avformat_close_input(&context);
    return length;
}

} // namespace

qint64 SoundLengthMs(const QString& path)
{
    const qint64 wav = WavLengthMs(path);
    return wav >= 0 ? wav : ProbedLengthMs(path);
}

} // namespace rtcengine
