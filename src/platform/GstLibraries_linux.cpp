// GStreamer's libraries are opened when the media engine first calls one of
// their functions, not when the program starts: the login window neither
// maps nor relocates them. Every function the libraries export has a
// stand-in (made at build time by cmake/lazy_trampolines.py) that jumps
// through a slot; the first call of each looks the real function up here.
// Should the libraries be missing, one log line says so and every function
// answers 0 (FALSE, NULL), as GStreamer's own do on failure, so the engine
// reports its media unavailable instead of ending the program.
#include <QByteArray>
#include <QDebug>

#include <atomic>
#include <dlfcn.h>
#include <gst/gst.h>
#include <mutex>
#include <vector>

extern "C" {
extern const char* const plx_gst_sonames[];
extern const std::size_t plx_gst_library_count;
extern const char* const plx_gst_names[];
extern const unsigned char plx_gst_owners[];
extern void* plx_gst_slots[];
void* plx_gst_resolve(unsigned index);
}

namespace {

long Unavailable()
{
    return 0;
}

// Opened once, by whichever thread calls first; the handles never change after.
const std::vector<void*>& Libraries()
{
    static std::once_flag opened;
    static std::vector<void*> handles;
    std::call_once(opened, [] {
        for (std::size_t i = 0; i < plx_gst_library_count; ++i) {
            void* handle = dlopen(plx_gst_sonames[i], RTLD_NOW | RTLD_LOCAL);
            if (handle == nullptr)
                qWarning() << "[media] cannot open" << plx_gst_sonames[i] << ":" << dlerror()
                           << "- the class room's media is unavailable";
            handles.push_back(handle);
        }
    });
    return handles;
}

void* Lookup(std::size_t library, const char* name)
{
    void* handle = Libraries().at(library);
    void* symbol = handle != nullptr ? dlsym(handle, name) : nullptr;
    if (handle != nullptr && symbol == nullptr)
        qWarning() << "[media]" << plx_gst_sonames[library] << "has no" << name;
    return symbol;
}

} // namespace

void* plx_gst_resolve(unsigned index)
{
    void* real = Lookup(plx_gst_owners[index], plx_gst_names[index]);
    if (real == nullptr)
        real = reinterpret_cast<void*>(&Unavailable);
    // Another thread may resolve the same slot at once: both store the same.
    reinterpret_cast<std::atomic<void*>*>(&plx_gst_slots[index])->store(real, std::memory_order_release);
    return real;
}

// The type numbers and constants GStreamer's macros read as variables; they
// hold the library's values once it is initialised, which every user of
// them waits for.
#define PLX_GST_VARIABLES(X)                                                                                           \
    X(GType, _gst_bitmask_type)                                                                                        \
    X(GType, _gst_buffer_list_type)                                                                                    \
    X(GType, _gst_buffer_type)                                                                                         \
    X(GType, _gst_caps_features_type)                                                                                  \
    X(GType, _gst_caps_type)                                                                                           \
    X(GType, _gst_context_type)                                                                                        \
    X(GType, _gst_date_time_type)                                                                                      \
    X(GType, _gst_double_range_type)                                                                                   \
    X(GType, _gst_event_type)                                                                                          \
    X(GType, _gst_flagset_type)                                                                                        \
    X(GType, _gst_fraction_range_type)                                                                                 \
    X(GType, _gst_fraction_type)                                                                                       \
    X(GType, _gst_int64_range_type)                                                                                    \
    X(GType, _gst_int_range_type)                                                                                      \
    X(GType, _gst_memory_type)                                                                                         \
    X(GType, _gst_message_type)                                                                                        \
    X(GType, _gst_mini_object_type)                                                                                    \
    X(GType, _gst_query_type)                                                                                          \
    X(GType, _gst_sample_type)                                                                                         \
    X(GType, _gst_structure_type)                                                                                      \
    X(GType, _gst_tag_list_type)                                                                                       \
    X(GType, _gst_toc_entry_type)                                                                                      \
    X(GType, _gst_toc_type)                                                                                            \
    X(GType, _gst_value_array_type)                                                                                    \
    X(GType, _gst_value_list_type)                                                                                     \
    X(GQuark, _gst_meta_tag_memory)                                                                                    \
    X(GQuark, _gst_meta_tag_memory_reference)                                                                          \
    X(GQuark, _gst_meta_transform_copy)                                                                                \
    X(GstCapsFeatures*, _gst_caps_features_any)                                                                        \
    X(GstCapsFeatures*, _gst_caps_features_memory_system_memory)                                                       \
    X(GstDebugLevel, _gst_debug_min)                                                                                   \
    X(gboolean, _gst_debug_enabled)

extern "C" {

#define PLX_DEFINE(type, name) type name {};
PLX_GST_VARIABLES(PLX_DEFINE)
#undef PLX_DEFINE

} // extern "C"

namespace {

void CopyVariables()
{
#define PLX_COPY(type, name)                                                                                           \
    {                                                                                                                  \
        using Value = type;                                                                                            \
        if (const auto* real = static_cast<const Value*>(Lookup(0, #name)))                                            \
            name = *real;                                                                                              \
    }
    PLX_GST_VARIABLES(PLX_COPY)
#undef PLX_COPY
}

} // namespace

extern "C" {

gboolean gst_init_check(int* argc, char** argv[], GError** error)
{
    static const auto real = reinterpret_cast<decltype(&::gst_init_check)>(Lookup(0, "gst_init_check"));
    if (real == nullptr)
        return FALSE;
    const gboolean done = real(argc, argv, error);
    if (done)
        CopyVariables();
    return done;
}

void gst_init(int* argc, char** argv[])
{
    static const auto real = reinterpret_cast<decltype(&::gst_init)>(Lookup(0, "gst_init"));
    if (real == nullptr)
        return;
    real(argc, argv);
    CopyVariables();
}

} // extern "C"
