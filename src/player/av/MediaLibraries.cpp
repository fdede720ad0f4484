// The player's libmpv and the FFmpeg libraries the filter list and the
// sound probe read are opened on their first call, not when the program
// starts: mapping and relocating them (and everything they pull in) costs
// the login window a third of its start-up time and most of its memory.
// The functions below stand in for the libraries' own, so callers keep
// their plain calls. A library that cannot be opened leaves one log line,
// and its functions answer as the library does when it fails.
#include <QByteArray>
#include <QDebug>

#include <dlfcn.h>
#include <mutex>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
#include <mpv/client.h>
#include <mpv/render.h>
}

namespace {

class LazyLibrary
{
public:
    explicit LazyLibrary(QByteArray soname)
        : m_soname(std::move(soname))
    { }

    void* Symbol(const char* name)
    {
        std::call_once(m_opened, [this] {
            m_handle = dlopen(m_soname.constData(), RTLD_NOW | RTLD_LOCAL);
            if (m_handle == nullptr)
                qWarning() << "[media] cannot open" << m_soname << ":" << dlerror() << "- what needs it is unavailable";
        });
        if (m_handle == nullptr)
            return nullptr;
        void* symbol = dlsym(m_handle, name);
        if (symbol == nullptr)
            qWarning() << "[media]" << m_soname << "has no" << name << "- what needs it is unavailable";
        return symbol;
    }

private:
    const QByteArray m_soname;
    std::once_flag m_opened;
    void* m_handle = nullptr;
};

QByteArray Soname(const char* stem, unsigned major)
{
    return QByteArray(stem) + ".so." + QByteArray::number(major);
}

LazyLibrary& Mpv()
{
    static LazyLibrary library(Soname("libmpv", MPV_CLIENT_API_VERSION >> 16));
    return library;
}

LazyLibrary& AvFilter()
{
    static LazyLibrary library(Soname("libavfilter", LIBAVFILTER_VERSION_MAJOR));
    return library;
}

LazyLibrary& AvFormat()
{
    static LazyLibrary library(Soname("libavformat", LIBAVFORMAT_VERSION_MAJOR));
    return library;
}

LazyLibrary& AvUtil()
{
    static LazyLibrary library(Soname("libavutil", LIBAVUTIL_VERSION_MAJOR));
    return library;
}

} // namespace

// Each stand-in looks its function up once; the declaration in the
// library's header makes the compiler hold the two signatures equal.
#define PLX_FORWARD(library, name, failed, ...)                                                                        \
    static const auto real = reinterpret_cast<decltype(&::name)>(library().Symbol(#name));                             \
    return real != nullptr ? real(__VA_ARGS__) : failed
#define PLX_FORWARD_VOID(library, name, ...)                                                                           \
    static const auto real = reinterpret_cast<decltype(&::name)>(library().Symbol(#name));                             \
    if (real != nullptr)                                                                                               \
    real(__VA_ARGS__)

extern "C" {

unsigned long mpv_client_api_version(void)
{
    PLX_FORWARD(Mpv, mpv_client_api_version, 0UL);
}

const char* mpv_error_string(int error)
{
    PLX_FORWARD(Mpv, mpv_error_string, "libmpv unavailable", error);
}

void mpv_free(void* data)
{
    PLX_FORWARD_VOID(Mpv, mpv_free, data);
}

mpv_handle* mpv_create(void)
{
    PLX_FORWARD(Mpv, mpv_create, nullptr);
}

int mpv_initialize(mpv_handle* ctx)
{
    PLX_FORWARD(Mpv, mpv_initialize, MPV_ERROR_UNINITIALIZED, ctx);
}

void mpv_terminate_destroy(mpv_handle* ctx)
{
    PLX_FORWARD_VOID(Mpv, mpv_terminate_destroy, ctx);
}

int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data)
{
    PLX_FORWARD(Mpv, mpv_set_option_string, MPV_ERROR_UNINITIALIZED, ctx, name, data);
}

int mpv_command(mpv_handle* ctx, const char** args)
{
    PLX_FORWARD(Mpv, mpv_command, MPV_ERROR_UNINITIALIZED, ctx, args);
}

int mpv_command_ret(mpv_handle* ctx, const char** args, mpv_node* result)
{
    PLX_FORWARD(Mpv, mpv_command_ret, MPV_ERROR_UNINITIALIZED, ctx, args, result);
}

int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args)
{
    PLX_FORWARD(Mpv, mpv_command_async, MPV_ERROR_UNINITIALIZED, ctx, reply_userdata, args);
}

void mpv_free_node_contents(mpv_node* node)
{
    PLX_FORWARD_VOID(Mpv, mpv_free_node_contents, node);
}

int mpv_set_property(mpv_handle* ctx, const char* name, mpv_format format, void* data)
{
    PLX_FORWARD(Mpv, mpv_set_property, MPV_ERROR_UNINITIALIZED, ctx, name, format, data);
}

int mpv_set_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format, void* data)
{
    PLX_FORWARD(Mpv, mpv_set_property_async, MPV_ERROR_UNINITIALIZED, ctx, reply_userdata, name, format, data);
}

int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data)
{
    PLX_FORWARD(Mpv, mpv_get_property, MPV_ERROR_UNINITIALIZED, ctx, name, format, data);
}

char* mpv_get_property_string(mpv_handle* ctx, const char* name)
{
    PLX_FORWARD(Mpv, mpv_get_property_string, nullptr, ctx, name);
}

int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name, mpv_format format)
{
    PLX_FORWARD(Mpv, mpv_observe_property, MPV_ERROR_UNINITIALIZED, mpv, reply_userdata, name, format);
}

int mpv_request_log_messages(mpv_handle* ctx, const char* min_level)
{
    PLX_FORWARD(Mpv, mpv_request_log_messages, MPV_ERROR_UNINITIALIZED, ctx, min_level);
}

mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout)
{
    // Only a core that was made waits, and a core is only made through the
    // library; a missing library never gets here with a handle.
    PLX_FORWARD(Mpv, mpv_wait_event, nullptr, ctx, timeout);
}

void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d)
{
    PLX_FORWARD_VOID(Mpv, mpv_set_wakeup_callback, ctx, cb, d);
}

int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params)
{
    PLX_FORWARD(Mpv, mpv_render_context_create, MPV_ERROR_UNINITIALIZED, res, mpv, params);
}

void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn callback, void* callback_ctx)
{
    PLX_FORWARD_VOID(Mpv, mpv_render_context_set_update_callback, ctx, callback, callback_ctx);
}

uint64_t mpv_render_context_update(mpv_render_context* ctx)
{
    PLX_FORWARD(Mpv, mpv_render_context_update, 0, ctx);
}

int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params)
{
    PLX_FORWARD(Mpv, mpv_render_context_render, MPV_ERROR_UNINITIALIZED, ctx, params);
}

void mpv_render_context_free(mpv_render_context* ctx)
{
    PLX_FORWARD_VOID(Mpv, mpv_render_context_free, ctx);
}

const AVFilter* av_filter_iterate(void** opaque)
{
    PLX_FORWARD(AvFilter, av_filter_iterate, nullptr, opaque);
}

const AVFilter* avfilter_get_by_name(const char* name)
{
    PLX_FORWARD(AvFilter, avfilter_get_by_name, nullptr, name);
}

unsigned avfilter_filter_pad_count(const AVFilter* filter, int is_output)
{
    PLX_FORWARD(AvFilter, avfilter_filter_pad_count, 0U, filter, is_output);
}

enum AVMediaType avfilter_pad_get_type(const AVFilterPad* pads, int pad_idx)
{
    PLX_FORWARD(AvFilter, avfilter_pad_get_type, AVMEDIA_TYPE_UNKNOWN, pads, pad_idx);
}

int avformat_open_input(AVFormatContext** ps, const char* url, const AVInputFormat* fmt, AVDictionary** options)
{
    PLX_FORWARD(AvFormat, avformat_open_input, AVERROR(ENOSYS), ps, url, fmt, options);
}

int avformat_find_stream_info(AVFormatContext* ic, AVDictionary** options)
{
    PLX_FORWARD(AvFormat, avformat_find_stream_info, AVERROR(ENOSYS), ic, options);
}

int av_find_best_stream(AVFormatContext* ic, enum AVMediaType type, int wanted_stream_nb, int related_stream,
    const AVCodec** decoder_ret, int flags)
{
    PLX_FORWARD(AvFormat, av_find_best_stream, AVERROR_STREAM_NOT_FOUND, ic, type, wanted_stream_nb, related_stream,
        decoder_ret, flags);
}

void avformat_close_input(AVFormatContext** s)
{
    PLX_FORWARD_VOID(AvFormat, avformat_close_input, s);
}

int64_t av_rescale(int64_t a, int64_t b, int64_t c)
{
    PLX_FORWARD(AvUtil, av_rescale, INT64_MIN, a, b, c);
}

int64_t av_rescale_q(int64_t a, AVRational bq, AVRational cq)
{
    PLX_FORWARD(AvUtil, av_rescale_q, INT64_MIN, a, bq, cq);
}

} // extern "C"
