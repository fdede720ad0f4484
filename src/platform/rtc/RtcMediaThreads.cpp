// The engine's pipelines run their streaming threads in a pool of their
// own that joins each thread when its task stops. GStreamer's default pool
// hands a stopped thread back to GLib, which keeps it idle for a while and
// ends it at a moment of its own; such a thread still running or ending as
// the process exits races the leak checker's stop of the world. With this
// pool a pipeline set to NULL has no streaming thread left.
#include "RtcMediaInner.h"

#include <thread>

namespace rtcmedia {

namespace {

struct JoinedPool {
    GstTaskPool parent;
};

struct JoinedPoolClass {
    GstTaskPoolClass parent;
};

gpointer Push(GstTaskPool*, GstTaskPoolFunction func, gpointer data, GError**)
{
    return new std::thread(func, data);
}

void Join(GstTaskPool*, gpointer id)
{
    auto* thread = static_cast<std::thread*>(id);
    if (thread->joinable())
        thread->join();
    delete thread;
}

void ClassInit(gpointer klass, gpointer)
{
    auto* pool = GST_TASK_POOL_CLASS(klass);
    pool->prepare = [](GstTaskPool*, GError**) {};
    pool->cleanup = [](GstTaskPool*) {};
    pool->push = Push;
    pool->join = Join;
}

GstTaskPool* Pool()
{
    static GstTaskPool* pool = [] {
        const GType type = g_type_register_static_simple(GST_TYPE_TASK_POOL, "PlovixJoinedTaskPool",
            sizeof(JoinedPoolClass), ClassInit, sizeof(JoinedPool), nullptr, GTypeFlags(0));
        return GST_TASK_POOL(gst_object_ref_sink(g_object_new(type, nullptr)));
    }();
    return pool;
}

GstBusSyncReply OnlyOwnThreads(GstBus*, GstMessage* message, gpointer)
{
    OwnStreamingThread(message);
    return GST_BUS_PASS;
}

} // namespace

void OwnStreamingThread(GstMessage* message)
{
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_STREAM_STATUS)
        return;
    GstStreamStatusType type {};
    gst_message_parse_stream_status(message, &type, nullptr);
    const GValue* object = gst_message_get_stream_status_object(message);
    if (type == GST_STREAM_STATUS_TYPE_CREATE && object && G_VALUE_HOLDS(object, GST_TYPE_TASK))
        gst_task_set_pool(GST_TASK(g_value_get_object(object)), Pool());
}

GstElement* OwnThreads(GstElement* pipeline)
{
    if (!pipeline)
        return nullptr;
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, OnlyOwnThreads, nullptr, nullptr);
    gst_object_unref(bus);
    return pipeline;
}

} // namespace rtcmedia
