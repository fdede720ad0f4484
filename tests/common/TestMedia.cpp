// GStreamer's headers come before Qt's: GLib names a member "signals".
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include "platform/rtc/RtcMedia.h"

#include "TestMedia.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cmath>

namespace TestMedia {

namespace {

uchar clampByte(double value)
{
    return static_cast<uchar>(qBound(0.0, std::round(value), 255.0));
}

// One frame as planar 4:2:0 YUV (BT.601, video range).
QByteArray toYuv420(const QImage& rgb)
{
    const int w = rgb.width();
    const int h = rgb.height();
    QByteArray y(w * h, Qt::Uninitialized);
    QByteArray u((w / 2) * (h / 2), Qt::Uninitialized);
    QByteArray v((w / 2) * (h / 2), Qt::Uninitialized);
    for (int row = 0; row < h; ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(row));
        for (int col = 0; col < w; ++col) {
            const double r = qRed(line[col]), g = qGreen(line[col]), b = qBlue(line[col]);
            y[row * w + col] = static_cast<char>(clampByte(16 + 0.257 * r + 0.504 * g + 0.098 * b));
            if (row % 2 == 0 && col % 2 == 0) {
                const int at = (row / 2) * (w / 2) + col / 2;
                u[at] = static_cast<char>(clampByte(128 - 0.148 * r - 0.291 * g + 0.439 * b));
                v[at] = static_cast<char>(clampByte(128 + 0.439 * r - 0.368 * g - 0.071 * b));
            }
        }
    }
    return y + u + v;
}

} // namespace

QString FrameLabel(int frame, int fps)
{
    return QStringLiteral("%1.%2").arg(frame / fps, 2, 10, QLatin1Char('0')).arg((frame % fps) * 10 / fps);
}

bool WriteVideo(const QString& path, int seconds, int fps, const QSize& size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QSize even(size.width() & ~1, size.height() & ~1);
    file.write(QStringLiteral("YUV4MPEG2 W%1 H%2 F%3:1 Ip A1:1 C420jpeg\n")
                   .arg(even.width())
                   .arg(even.height())
                   .arg(fps)
                   .toLatin1());
    QImage frame(even, QImage::Format_RGB32);
    QFont font;
    font.setPixelSize(even.height() / 3);
    font.setBold(true);
    const int frames = seconds * fps;
    for (int i = 0; i < frames; ++i) {
        frame.fill(QColor::fromHsv((i / fps) * 47 % 360, 160, 200));
        QPainter painter(&frame);
        painter.fillRect(i * even.width() / qMax(1, frames), even.height() - even.height() / 8, even.width() / 10,
            even.height() / 8, Qt::white);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(frame.rect(), Qt::AlignCenter, FrameLabel(i, fps));
        painter.end();
        file.write("FRAME\n");
        file.write(toYuv420(frame));
    }
    return file.flush() && file.error() == QFile::NoError;
}

bool WriteSound(const QString& path, int seconds, int rate)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const quint32 samples = static_cast<quint32>(qMax(0, seconds) * rate);
    const quint32 dataBytes = samples * 2;
    QByteArray header;
    auto put32 = [&header](quint32 value) {
        const quint32 le = qToLittleEndian(value);
        header.append(reinterpret_cast<const char*>(&le), 4);
    };
    auto put16 = [&header](quint16 value) {
        const quint16 le = qToLittleEndian(value);
        header.append(reinterpret_cast<const char*>(&le), 2);
    };
    header.append("RIFF");
    put32(36 + dataBytes);
    header.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(static_cast<quint32>(rate));
    put32(static_cast<quint32>(rate) * 2);
    put16(2);
    put16(16);
    header.append("data");
    put32(dataBytes);
    file.write(header);
    QByteArray data(static_cast<int>(dataBytes), Qt::Uninitialized);
    for (quint32 i = 0; i < samples; ++i) {
        const auto sample = static_cast<qint16>(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate));
        qToLittleEndian(sample, data.data() + i * 2);
    }
    file.write(data);
    return file.flush() && file.error() == QFile::NoError;
}

Sound DecodeAac(const QString& path)
{
    gst_init(nullptr, nullptr);
    Sound sound;
    GError* error = nullptr;
    GstElement* pipeline
        = rtcmedia::OwnThreads(gst_parse_launch("filesrc name=in ! aacparse ! faad ! audioconvert ! audioresample ! "
                                                "audio/x-raw,format=S16LE,channels=1 ! appsink name=out sync=false",
            &error));
    if (!pipeline) {
        g_clear_error(&error);
        return sound;
    }
    GstElement* in = gst_bin_get_by_name(GST_BIN(pipeline), "in");
    g_object_set(in, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(in);
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    int rate = 0;
    while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(out), 10 * GST_SECOND)) {
        gst_structure_get_int(gst_caps_get_structure(gst_sample_get_caps(sample), 0), "rate", &rate);
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* data = reinterpret_cast<const qint16*>(map.data);
            sound.samples.append(QVector<qint16>(data, data + map.size / 2));
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end
        = gst_bus_timed_pop_filtered(bus, 5 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS && gst_app_sink_is_eos(GST_APP_SINK(out)))
        sound.rate = rate;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return sound;
}

double ToneLevel(const Sound& sound, int first, int count, double hz)
{
    count = qMin(count, sound.samples.size() - first);
    if (first < 0 || count <= 0 || sound.rate <= 0)
        return 0;
    const double coefficient = 2 * std::cos(2 * M_PI * hz / sound.rate);
    double previous = 0, before = 0;
    for (int i = first; i < first + count; ++i) {
        const double current = sound.samples[i] / 32768.0 + coefficient * previous - before;
        before = previous;
        previous = current;
    }
    const double power = previous * previous + before * before - coefficient * previous * before;
    return 2 * std::sqrt(qMax(0.0, power)) / count;
}

int AdtsFrames(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    int frames = 0;
    int at = 0;
    while (at + 7 <= bytes.size()) {
        if (data[at] != 0xFF || (data[at + 1] & 0xF6) != 0xF0)
            return -1;
        const int length = ((data[at + 3] & 0x03) << 11) | (data[at + 4] << 3) | (data[at + 5] >> 5);
        if (length < 7)
            return -1;
        at += length;
        ++frames;
    }
    return at == bytes.size() ? frames : -1;
}

} // namespace TestMedia
