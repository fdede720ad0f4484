// Random frames through the splitter and the dispatch table of the
// signalling socket. Every route reads the message the way the handlers do
// (keys of the expected type only), so wrong-typed and odd values are
// exercised too. Built with the client's core, the same frames also go
// through the real dispatch into DataManager's handlers, as a room
// connection delivers them (no screens registered, nothing sent).
#include "app/SignallingDispatch.h"

#ifdef PLOVIX_FUZZ_SESSION
#include "app/Profile.h"
#include "session/DataManager.h"

#include <QApplication>
#include <QEvent>
#endif

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <cstddef>
#include <cstdint>

namespace {

unsigned s_sink = 0;

void Walk(const QJsonValue& value, int depth)
{
    if (depth > 8)
        return;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            s_sink += unsigned(it.key().size());
            Walk(it.value(), depth + 1);
        }
    } else if (value.isArray()) {
        for (const QJsonValue item : value.toArray())
            Walk(item, depth + 1);
    } else if (value.isDouble()) {
        s_sink += unsigned(value.toInt());
    } else if (value.isString()) {
        s_sink += unsigned(value.toString().toInt());
    }
}

const SignallingDispatch& Table()
{
    static SignallingDispatch table = [] {
        SignallingDispatch made;
        made.SetMaxBytes(256 * 1024);
        const int types[] = { 65, 96, 97, 98, 129, 130, 131, 132, 160, 161, 164, 165, 167, 168, 169, 193, 194, 195, 196,
            224, 257, 258, 259, 260, 261, 288, 289, 321, 323, 324, 325, 326, 327, 352, 385, 386, 387, 417, 421, 449,
            450, 451, 452, 453, 454, 455, 456, 480, 481, 482, 483, 484 };
        for (int type : types) {
            made.Route(type, nullptr, [](const SignallingMessage& message) {
                s_sink += unsigned(message.Text().size());
                s_sink += unsigned(message.json.value(QLatin1String("source")).toString().toInt());
                Walk(message.json.value(QLatin1String("data")), 0);
            });
        }
        return made;
    }();
    return table;
}

void Quiet(QtMsgType, const QMessageLogContext&, const QString&)
{ }

} // namespace

#ifdef PLOVIX_FUZZ_SESSION
namespace {

DataManager* Session()
{
    static int argc = 1;
    static char name[] = "fuzz_signalling";
    static char* argv[] = { name, nullptr };
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
    // The workers' threads are never started: nothing a handler asks of
    // them runs, and no timer fires, since no event loop runs here.
    static Profile* profile = new Profile();
    return profile->GetDataManager();
}

void DriveSession(const QByteArray& frame)
{
    static int runs = 0;
    DataManager* data = Session();
    data->GetDispatch()->HandleFrame(frame);
    // What the handlers queued for other objects is dropped; what they let
    // go is deleted, and the room starts afresh now and then so it does not
    // grow without bound.
    QCoreApplication::removePostedEvents(nullptr, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (++runs % 256 == 0)
        data->OnCleanUp();
}

} // namespace
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (qInstallMessageHandler(Quiet), true);
    (void)quiet;
    const QByteArray frame(reinterpret_cast<const char*>(data), int(size));
    Table().HandleFrame(frame);
    Table().HandleFrame(QString::fromUtf8(frame).toUtf8());
#ifdef PLOVIX_FUZZ_SESSION
    DriveSession(frame);
#endif
    return 0;
}
