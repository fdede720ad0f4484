// The engine's pipelines run their streaming threads in a pool of their
// own. GStreamer's default pool hands a stopped thread back to GLib, which
// keeps it idle for a while and ends it at a moment of its own: a thread
// ending as the process exits races the leak checker's stop of the world.
// This pool keeps its threads, waiting, and gives them the next task; none
// ends on its own, so none ends at exit (a thread made per task would also
// leave each lesson's memory in an allocator arena of its own, and the
// per-thread caches of Qt's painting unreachable).
#include "RtcMediaInner.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace rtcmedia {

namespace {

class KeptThreads
{
public:
    struct Job {
        GstTaskPoolFunction func;
        gpointer data;
        bool done = false;
    };

    Job* Push(GstTaskPoolFunction func, gpointer data)
    {
        auto* job = new Job { func, data };
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(job);
        if (m_queue.size() > m_idle)
            m_threads.emplace_back([this] { Run(); });
        m_wake.notify_one();
        return job;
    }

    void Join(Job* job)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_finished.wait(lock, [job] { return job->done; });
        lock.unlock();
        delete job;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            ++m_idle;
            m_wake.wait(lock, [this] { return !m_queue.empty(); });
            --m_idle;
            Job* job = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            job->func(job->data);
            lock.lock();
            job->done = true;
            m_finished.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::deque<Job*> m_queue;
    std::vector<std::thread> m_threads;
    size_t m_idle = 0;
};

// Never destroyed: its threads wait for tasks until the process ends.
KeptThreads& Threads()
{
    static auto* threads = new KeptThreads;
    return *threads;
}

struct KeptPool {
    GstTaskPool parent;
};

struct KeptPoolClass {
    GstTaskPoolClass parent;
};

void ClassInit(gpointer klass, gpointer)
{
    auto* pool = GST_TASK_POOL_CLASS(klass);
    pool->prepare = [](GstTaskPool*, GError**) {};
    pool->cleanup = [](GstTaskPool*) {};
    pool->push = [](GstTaskPool*, GstTaskPoolFunction func, gpointer data, GError**) -> gpointer {
        return Threads().Push(func, data);
    };
    pool->join = [](GstTaskPool*, gpointer job) { Threads().Join(static_cast<KeptThreads::Job*>(job)); };
}

GstTaskPool* Pool()
{
    static GstTaskPool* pool = [] {
        const GType type = g_type_register_static_simple(GST_TYPE_TASK_POOL, "PlovixKeptTaskPool",
            sizeof(KeptPoolClass), ClassInit, sizeof(KeptPool), nullptr, GTypeFlags(0));
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
