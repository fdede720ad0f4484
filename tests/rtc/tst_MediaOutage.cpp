// A lesson's media when the lesson ends or its media server goes away: a
// released engine leaves no pipeline, ICE thread or socket behind, and a
// server stopped mid-lesson is told, joined again with growing pauses, and
// joined soon after it is back. Runs in the media namespace.
#include "LocalPeer.h"
#include "LogCapture.h"
#include "RemotePeer.h"
#include "ServiceFixture.h"
#include "TestRegistry.h"

#include "platform/rtc/RtcMedia.h"
#include <gst/gst.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace {

constexpr unsigned kTeacher = 57;
constexpr unsigned kStudent = 58;
constexpr int kDown = 6;

// GStreamer's leaks tracer, named in GST_TRACERS before GStreamer starts.
GstTracer* LeaksTracer()
{
    GstTracer* found = nullptr;
    GList* tracers = gst_tracing_get_active_tracers();
    for (GList* item = tracers; item; item = item->next) {
        if (!found && g_str_equal(G_OBJECT_TYPE_NAME(item->data), "GstLeaksTracer"))
            found = GST_TRACER(gst_object_ref(item->data));
    }
    g_list_free_full(tracers, gst_object_unref);
    return found;
}

// The pipelines' objects made since the tracking started and alive still,
// by address; each look moves the tracer's checkpoint on.
class AliveSinceTracking
{
public:
    explicit AliveSinceTracking(GstTracer* tracer)
        : m_tracer(tracer)
    {
        g_signal_emit_by_name(m_tracer, "activity-start-tracking");
    }
    ~AliveSinceTracking() { g_signal_emit_by_name(m_tracer, "activity-stop-tracking"); }

    QStringList Look()
    {
        GstStructure* checkpoint = nullptr;
        g_signal_emit_by_name(m_tracer, "activity-get-checkpoint", &checkpoint);
        if (!checkpoint)
            return m_alive.values();
        const GValue* created = gst_structure_get_value(checkpoint, "objects-created-list");
        for (guint i = 0; created && i < gst_value_list_get_size(created); ++i) {
            const GstStructure* object = gst_value_get_structure(gst_value_list_get_value(created, i));
            const char* name = gst_structure_get_string(object, "type-name");
            if (IsPipelinePart(name))
                m_alive.insert(QString::fromUtf8(gst_structure_get_string(object, "address")), QString::fromUtf8(name));
        }
        const GValue* removed = gst_structure_get_value(checkpoint, "objects-removed-list");
        for (guint i = 0; removed && i < gst_value_list_get_size(removed); ++i) {
            const GstStructure* object = gst_value_get_structure(gst_value_list_get_value(removed, i));
            m_alive.remove(QString::fromUtf8(gst_structure_get_string(object, "address")));
        }
        gst_structure_free(checkpoint);
        return m_alive.values();
    }

private:
    static bool IsPipelinePart(const char* name)
    {
        const GType type = name ? g_type_from_name(name) : 0;
        for (GType kind : { GST_TYPE_ELEMENT, GST_TYPE_PAD, GST_TYPE_BUS, GST_TYPE_MESSAGE, GST_TYPE_SAMPLE }) {
            if (type && g_type_is_a(type, kind))
                return true;
        }
        return false;
    }

    GstTracer* m_tracer;
    QMap<QString, QString> m_alive;
};

QStringList ThreadNames()
{
    QStringList names;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly))
            names << QString::fromUtf8(comm.readAll().trimmed());
    }
    return names;
}

int Sockets()
{
    int sockets = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System))
        sockets += fd.symLinkTarget().contains(QLatin1String("socket:")) ? 1 : 0;
    return sockets;
}

} // namespace

class TestMediaOutage : public QObject
{
    Q_OBJECT

    ServiceFixture m_service;
    int m_nextRoom = 101;

    // The teacher here and a student in another process.
    struct Lesson {
        Lesson(const ServiceFixture& service, const QString& room)
            : local(room, kTeacher)
            , remote(service, room, kStudent)
        { }
        LocalPeer local;
        RemotePeer remote;
    };

    // A new lesson whose two see each other; empty, or what went wrong.
    QString Enter(std::unique_ptr<Lesson>& lesson)
    {
        lesson = std::make_unique<Lesson>(m_service, QStringLiteral("R%1").arg(m_nextRoom++));
        if (!lesson->local.Start(m_service, true))
            return lesson->local.ErrorText();
        if (!lesson->remote.Start())
            return lesson->remote.ErrorText();
        if (lesson->local.WaitFor("frame", kStudent).isEmpty())
            return QStringLiteral("no picture of the student");
        if (lesson->remote.WaitFor("frame", kTeacher).isEmpty())
            return QStringLiteral("no picture of the teacher");
        return QString();
    }
    // One lesson entered, seen and left.
    void EnterAndLeave()
    {
        std::unique_ptr<Lesson> lesson;
        const QString problem = Enter(lesson);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PLOVIX_MEDIA_ADDR"))
            QSKIP("needs the media network namespace: run through tools/netns.sh");
        // Read when GStreamer starts, which is later in this process.
        qputenv("GST_TRACERS", "leaks");
        qputenv("PLOVIX_MEDIA_DEMO", "1");
        QVERIFY2(m_service.Start(false, { QStringLiteral("--media-server") }), qPrintable(m_service.ErrorText()));
        QVERIFY2(m_service.MediaUrl().startsWith(QLatin1String("ws://")), "no media server");
    }
    void cleanupTestCase() { m_service.Stop(); }

    void aReleasedLessonLeavesNothingBehind()
    {
        // The first lesson loads what the process keeps (plugins, classes).
        EnterAndLeave();
        if (QTest::currentTestFailed())
            return;
        GstTracer* tracer = LeaksTracer();
        QVERIFY2(tracer, "GStreamer's leaks tracer is not running");
        const int sockets = Sockets();
        {
            AliveSinceTracking alive(tracer);
            EnterAndLeave();
            // Pipelines and their ICE agents end with the release.
            if (!QTest::currentTestFailed())
                QTRY_VERIFY2_WITH_TIMEOUT(alive.Look().isEmpty(), qPrintable(alive.Look().join(' ')), 10000);
        }
        gst_object_unref(tracer);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(!ThreadNames().contains(QStringLiteral("gst-rtc-ice")), qPrintable(ThreadNames().join(' ')));
        QTRY_COMPARE_WITH_TIMEOUT(Sockets(), sockets, 10000);
    }

    void aStoppedServerIsToldAndJoinedAgainOnceBack()
    {
        std::unique_ptr<Lesson> lesson;
        const QString problem = Enter(lesson);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        LocalPeer& local = lesson->local;
        RemotePeer& remote = lesson->remote;
        LogCapture log;
        QVERIFY(m_service.StopMediaServer());
        QVERIFY(!local.WaitFor("onConnectionInterrupted", {}, 10000).isEmpty());
        // Down, not unknown, while the server cannot be reached; lost after
        // ten seconds of it.
        const auto down = [](const QJsonObject& e) {
            return e.value("uid").toInt() == 0 && e.value("tx").toInt() == kDown && e.value("rx").toInt() == kDown;
        };
        QVERIFY(!local.WaitFor("onNetworkQuality", down, 10000).isEmpty());
        QVERIFY(!local.WaitFor("onConnectionLost", {}, 20000).isEmpty());
        // Meanwhile the teacher's camera still shows the teacher.
        const int captured = rtcmedia::CapturedFrames();
        QTRY_VERIFY(rtcmedia::CapturedFrames() > captured + 10);
        // The pauses before each new join grow: about 1, 2 and 4 s, each
        // drawn at random around its value.
        QList<int> pauses;
        const QRegularExpression pause(QStringLiteral("joining the media server again in (\\d+) ms"));
        for (const QString& line : log.Lines()) {
            const QRegularExpressionMatch match = pause.match(line);
            if (match.hasMatch())
                pauses << match.captured(1).toInt();
        }
        QVERIFY2(pauses.size() >= 3, qPrintable(log.Lines().join('\n')));
        bool drawn = false;
        for (int i = 0; i < 3; ++i) {
            const int nominal = 1000 << i;
            QVERIFY2(
                pauses[i] >= nominal * 3 / 4 && pauses[i] <= nominal * 5 / 4, qPrintable(QString::number(pauses[i])));
            drawn = drawn || pauses[i] != nominal;
        }
        QVERIFY(drawn);
        // Back, it is joined again without waiting out the pause, and the
        // pictures come back both ways.
        local.ClearEvents();
        remote.ClearEvents();
        QVERIFY(m_service.StartMediaServer());
        QVERIFY(!local.WaitFor("onRejoinChannelSuccess", kTeacher, 10000).isEmpty());
        QVERIFY(!remote.WaitFor("onRejoinChannelSuccess", kStudent, 10000).isEmpty());
        const qint64 before = local.Recorder().RenderedFrames(kStudent);
        QTRY_VERIFY_WITH_TIMEOUT(local.Recorder().RenderedFrames(kStudent) > before + 10, 20000);
    }
};

PLOVIX_TEST(TestMediaOutage)
#include "tst_MediaOutage.moc"
