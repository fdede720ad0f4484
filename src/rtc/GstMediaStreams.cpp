#include "GstMediaStreams.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include "platform/rtc/RtcMedia.h"
#include "rtc/GeneratedDevices.h"

#include <QCameraViewfinder>
#include <QDebug>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

namespace GstMediaStreams {

namespace {

using RtcEngineControl::DeviceKind;

constexpr int kTickMs = 20;
// What an output holds ahead of the device while it pulls from a source.
constexpr int kAheadMs = 200;
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// The raw audio caps of a Qt format; null for one GStreamer has no name
// for.
GstCaps* AudioCaps(const QAudioFormat& format)
{
    const bool little = format.byteOrder() == QAudioFormat::LittleEndian;
    QString name;
    switch (format.sampleType()) {
    case QAudioFormat::SignedInt:
        name = QStringLiteral("S%1").arg(format.sampleSize());
        break;
    case QAudioFormat::UnSignedInt:
        name = QStringLiteral("U%1").arg(format.sampleSize());
        break;
    case QAudioFormat::Float:
        name = QStringLiteral("F%1").arg(format.sampleSize());
        break;
    default:
        return nullptr;
    }
    if (format.sampleSize() > 8)
        name += little ? QLatin1String("LE") : QLatin1String("BE");
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, name.toUtf8().constData(), "rate", G_TYPE_INT,
        format.sampleRate(), "channels", G_TYPE_INT, format.channelCount(), "layout", G_TYPE_STRING, "interleaved",
        nullptr);
}

GstElement* Make(const char* factory)
{
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (!element)
        qWarning() << "media devices: GStreamer has no" << factory;
    return element;
}

// The pipeline's first error or end of stream since the last look.
GstMessageType PollBus(GstElement* pipeline)
{
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessageType seen = GST_MESSAGE_UNKNOWN;
    while (GstMessage* message = gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            qWarning() << "media devices: the device failed:" << (error ? error->message : "");
            g_clear_error(&error);
            seen = GST_MESSAGE_ERROR;
        } else if (seen != GST_MESSAGE_ERROR) {
            seen = GST_MESSAGE_EOS;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    return seen;
}

void Dispose(GstElement*& pipeline)
{
    if (!pipeline)
        return;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    pipeline = nullptr;
}

class GstAudioStream : public AudioStream
{
public:
    GstAudioStream(QAudio::Mode mode, std::function<GstElement*()> device, const QAudioFormat& format)
        : m_mode(mode)
        , m_device(std::move(device))
        , m_format(format)
    {
        m_timer.setInterval(kTickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    }
    ~GstAudioStream() override { Dispose(m_pipeline); }

    QAudioFormat format() const override { return m_format; }
    QAudio::State state() const override { return m_state; }
    QAudio::Error error() const override { return m_error; }
    void start(QIODevice* device) override
    {
        m_pipe.reset();
        m_target = Begin() ? device : nullptr;
    }
    QIODevice* start() override
    {
        if (!Begin())
            return nullptr;
        m_pipe = std::make_unique<GeneratedDevices::Pipe>();
        return m_target = m_pipe.get();
    }
    void suspend() override
    {
        if (m_pipeline && m_state == QAudio::ActiveState) {
            gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
            SetState(QAudio::SuspendedState);
        }
    }
    void resume() override
    {
        if (m_pipeline && m_state == QAudio::SuspendedState) {
            gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
            SetState(QAudio::ActiveState);
        }
    }
    void stop() override
    {
        m_timer.stop();
        Dispose(m_pipeline);
        SetState(QAudio::StoppedState);
    }
    int bytesReady() const override { return m_mode == QAudio::AudioInput && m_pipe ? int(m_pipe->data.size()) : 0; }
    void setNotifyInterval(int) override { }

private:
    bool Begin()
    {
        stop();
        m_error = QAudio::NoError;
        m_end = nullptr;
        m_frames = 0;
        m_ended = false;
        if (!Build()) {
            Dispose(m_pipeline);
            m_error = QAudio::OpenError;
            SetState(QAudio::StoppedState);
            return false;
        }
        SetState(QAudio::ActiveState);
        m_timer.start();
        return true;
    }

    bool Build()
    {
        GstCaps* caps = AudioCaps(m_format);
        if (!caps)
            return false;
        GstElement* device = m_device();
        GstElement* convert = Make("audioconvert");
        GstElement* resample = Make("audioresample");
        GstElement* end = Make(m_mode == QAudio::AudioInput ? "appsink" : "appsrc");
        m_pipeline = gst_pipeline_new(nullptr);
        if (!device || !convert || !resample || !end) {
            for (GstElement* made : { device, convert, resample, end }) {
                if (made)
                    gst_object_unref(gst_object_ref_sink(made));
            }
            gst_caps_unref(caps);
            return false;
        }
        m_end = end;
        if (m_mode == QAudio::AudioInput) {
            g_object_set(end, "caps", caps, "sync", FALSE, "max-buffers", 100, "drop", TRUE, nullptr);
            gst_bin_add_many(GST_BIN(m_pipeline), device, convert, resample, end, nullptr);
            gst_element_link_many(device, convert, resample, end, nullptr);
        } else {
            g_object_set(end, "caps", caps, "format", GST_FORMAT_TIME, nullptr);
            gst_bin_add_many(GST_BIN(m_pipeline), end, convert, resample, device, nullptr);
            gst_element_link_many(end, convert, resample, device, nullptr);
        }
        gst_caps_unref(caps);
        return gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    }

    void SetState(QAudio::State state)
    {
        if (state != m_state)
            emit stateChanged(m_state = state);
    }

    void Tick()
    {
        if (!m_pipeline)
            return;
        const GstMessageType seen = PollBus(m_pipeline);
        if (seen == GST_MESSAGE_ERROR) {
            m_timer.stop();
            Dispose(m_pipeline);
            m_error = QAudio::IOError;
            SetState(QAudio::StoppedState);
            return;
        }
        if (seen == GST_MESSAGE_EOS) {
            SetState(QAudio::IdleState);
            return;
        }
        if (m_state != QAudio::ActiveState || !m_target)
            return;
        if (m_mode == QAudio::AudioInput)
            Record();
        else
            Play();
    }

    void Record()
    {
        QByteArray recorded;
        while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_end), 0)) {
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                recorded.append(reinterpret_cast<const char*>(map.data), int(map.size));
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
        if (recorded.isEmpty())
            return;
        if (m_pipe) {
            m_pipe->data.append(recorded);
            emit m_pipe->readyRead();
        } else {
            m_target->write(recorded);
        }
    }

    void Play()
    {
        const int bytesPerFrame = m_format.bytesPerFrame();
        if (bytesPerFrame <= 0)
            return;
        auto* source = GST_APP_SRC(m_end);
        if (m_pipe) {
            Push(std::exchange(m_pipe->data, QByteArray()));
            return;
        }
        const qint64 ahead = qint64(m_format.sampleRate()) * kAheadMs / 1000 * bytesPerFrame;
        while (!m_ended && qint64(gst_app_src_get_current_level_bytes(source)) < ahead) {
            const QByteArray chunk = m_target->read(ahead / 2 / bytesPerFrame * bytesPerFrame);
            if (chunk.isEmpty()) {
                if (m_target->atEnd()) {
                    m_ended = true;
                    gst_app_src_end_of_stream(source);
                }
                break;
            }
            Push(chunk);
        }
    }

    void Push(const QByteArray& bytes)
    {
        const int frames = bytes.size() / m_format.bytesPerFrame();
        if (frames <= 0)
            return;
        GstBuffer* buffer = gst_buffer_new_memdup(bytes.constData(), gsize(frames) * m_format.bytesPerFrame());
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(quint64(m_frames), GST_SECOND, quint64(m_format.sampleRate()));
        GST_BUFFER_DURATION(buffer)
            = gst_util_uint64_scale(quint64(frames), GST_SECOND, quint64(m_format.sampleRate()));
        m_frames += frames;
        gst_app_src_push_buffer(GST_APP_SRC(m_end), buffer);
    }

    const QAudio::Mode m_mode;
    const std::function<GstElement*()> m_device;
    const QAudioFormat m_format;
    QAudio::State m_state = QAudio::StoppedState;
    QAudio::Error m_error = QAudio::NoError;
    GstElement* m_pipeline = nullptr;
    GstElement* m_end = nullptr; // appsink or appsrc, owned by the pipeline
    QTimer m_timer;
    QPointer<QIODevice> m_target;
    std::unique_ptr<GeneratedDevices::Pipe> m_pipe;
    qint64 m_frames = 0;
    bool m_ended = false;
};

class GstCameraStream : public CameraStream
{
public:
    GstCameraStream(GstElement* pictures, QCameraViewfinder* view)
        : m_view(view)
    {
        m_pipeline = gst_pipeline_new(nullptr);
        GstElement* convert = Make("videoconvert");
        GstElement* scale = Make("videoscale");
        m_sink = Make("appsink");
        GstCaps* caps
            = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT, kPictureWidth,
                "height", G_TYPE_INT, kPictureHeight, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        gst_bin_add(GST_BIN(m_pipeline), pictures);
        if (convert && scale && m_sink) {
            g_object_set(m_sink, "caps", caps, "sync", FALSE, "max-buffers", 1, "drop", TRUE, nullptr);
            gst_bin_add_many(GST_BIN(m_pipeline), convert, scale, m_sink, nullptr);
            m_linked = gst_element_link_many(pictures, convert, scale, m_sink, nullptr);
        }
        gst_caps_unref(caps);
        m_timer.setInterval(kTickMs * 2);
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    }
    ~GstCameraStream() override
    {
        stop();
        Dispose(m_pipeline);
    }
    void start() override
    {
        if (!m_linked || gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            QTimer::singleShot(0, this, &CameraStream::failed);
            return;
        }
        m_picture = new QLabel(m_view);
        m_picture->setAlignment(Qt::AlignCenter);
        m_picture->setStyleSheet(QStringLiteral("background:#000000;"));
        m_picture->resize(m_view->size());
        m_picture->show();
        m_timer.start();
    }
    void stop() override
    {
        m_timer.stop();
        if (m_pipeline)
            gst_element_set_state(m_pipeline, GST_STATE_NULL);
        delete m_picture;
    }

private:
    void Tick()
    {
        if (PollBus(m_pipeline) == GST_MESSAGE_ERROR) {
            stop();
            emit failed();
            return;
        }
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink), 0);
        if (!sample || !m_picture) {
            if (sample)
                gst_sample_unref(sample);
            return;
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            // BGRx in memory is Qt's RGB32 on this little-endian machine.
            const QImage image(map.data, kPictureWidth, kPictureHeight, kPictureWidth * 4, QImage::Format_RGB32);
            m_picture->resize(m_view->size());
            m_picture->setPixmap(
                QPixmap::fromImage(image.scaled(m_view->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }

    QCameraViewfinder* m_view;
    GstElement* m_pipeline = nullptr;
    GstElement* m_sink = nullptr; // owned by the pipeline
    bool m_linked = false;
    QTimer m_timer;
    QPointer<QLabel> m_picture;
};

} // namespace

std::unique_ptr<AudioStream> OpenAudio(QAudio::Mode mode, const QString& id, const QAudioFormat& format)
{
    const DeviceKind kind = mode == QAudio::AudioInput ? DeviceKind::Recording : DeviceKind::Playback;
    return OpenAudioOn(
        mode, [kind, id] { return rtcmedia::MakeDeviceElement(kind, id); }, format);
}

std::unique_ptr<AudioStream> OpenAudioOn(
    QAudio::Mode mode, std::function<GstElement*()> device, const QAudioFormat& format)
{
    rtcmedia::Init();
    return std::make_unique<GstAudioStream>(mode, std::move(device), format);
}

std::unique_ptr<CameraStream> OpenCamera(const QString& id, unsigned uid, QCameraViewfinder* view)
{
    GstElement* pictures = rtcmedia::MakeCameraPictures(id, uid);
    if (!pictures)
        return nullptr;
    return std::make_unique<GstCameraStream>(pictures, view);
}

} // namespace GstMediaStreams
