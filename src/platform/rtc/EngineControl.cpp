#include "EngineState.h"
#include "platform/RtcEngineControl.h"
#include "platform/rtc/EngineLog.h"
#include "platform/rtc/RtcMedia.h"

#include <QDateTime>
#include <QSemaphore>
#include <QThread>
#include <algorithm>

namespace rtcengine {

QMutex& Lock()
{
    static QMutex mutex;
    return mutex;
}

Settings& State()
{
    static Settings settings;
    return settings;
}

std::optional<int> Journal(const QString& line)
{
    QString logFile;
    std::optional<int> forced;
    {
        QMutexLocker lock(&Lock());
        Settings& s = State();
        s.journal << line;
        // The journal is for tests; a long session keeps only its tail.
        if (s.journal.size() > 20000)
            s.journal.erase(s.journal.begin(), s.journal.begin() + 10000);
        const QString method = line.section(QLatin1Char(' '), 0, 0);
        auto failure = s.failNext.find(method);
        if (failure != s.failNext.end()) {
            forced = failure.value();
            s.failNext.erase(failure);
        }
        logFile = s.logFile;
    }
    if (!logFile.isEmpty())
        rtclog::Append(logFile,
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")).toUtf8()
                + rtclog::Hidden(line).toUtf8()
                + (forced ? QByteArray(" -> forced ") + QByteArray::number(*forced) : "") + '\n');
    return forced;
}

} // namespace rtcengine

using namespace rtcengine;

namespace RtcEngineControl {

void SetFactoryFails(bool fails)
{
    QMutexLocker lock(&Lock());
    State().factoryFails = fails;
}

void FailNext(const QString& method, int code)
{
    QMutexLocker lock(&Lock());
    State().failNext.insert(method, code);
}

void Reset()
{
    QMutexLocker lock(&Lock());
    Settings& s = State();
    const QStringList journal = s.journal;
    s = Settings();
    s.journal = journal;
}

QStringList Journal()
{
    QMutexLocker lock(&Lock());
    return State().journal;
}

QStringList JournalOf(const QString& prefix)
{
    QStringList lines;
    for (const QString& line : Journal()) {
        if (line.startsWith(prefix))
            lines << line;
    }
    return lines;
}

void ClearJournal()
{
    QMutexLocker lock(&Lock());
    State().journal.clear();
}

void SetJoinDelay(int ms)
{
    QMutexLocker lock(&Lock());
    State().joinDelayMs = qMax(0, ms);
}

void SetQuality(int txQuality, int rxQuality)
{
    QMutexLocker lock(&Lock());
    State().txQuality = txQuality;
    State().rxQuality = rxQuality;
}

void SetQualityInterval(int ms)
{
    {
        QMutexLocker lock(&Lock());
        State().qualityIntervalMs = qMax(1, ms);
    }
    if (auto engine = EngineCore::Live())
        engine->RestartTicker();
}

void InjectNetworkQuality(unsigned uid, int txQuality, int rxQuality)
{
    if (auto engine = EngineCore::Live())
        engine->Post([=](rtc::IRtcEngineEventHandler* h) { h->onNetworkQuality(uid, txQuality, rxQuality); });
}

bool WaitForCallbacks(int timeoutMs)
{
    auto engine = EngineCore::Live();
    return !engine || engine->Drain(timeoutMs);
}

int RenderedFrames(unsigned uid)
{
    return rtcmedia::RenderedFrames(uid);
}

void SetDevices(DeviceKind kind, const QList<Device>& devices)
{
    QMutexLocker lock(&Lock());
    State().devices[int(kind)] = devices;
}

void UseSystemDevices()
{
    QMutexLocker lock(&Lock());
    for (auto& list : State().devices)
        list.reset();
}

namespace {
bool RemoveId(QList<Device>& devices, const QString& id)
{
    const auto end
        = std::remove_if(devices.begin(), devices.end(), [&id](const Device& device) { return device.id == id; });
    const bool removed = end != devices.end();
    devices.erase(end, devices.end());
    return removed;
}
} // namespace

void PlugDevice(DeviceKind kind, const Device& device)
{
    QMutexLocker lock(&Lock());
    QList<Device>& plugged = State().plugged[int(kind)];
    RemoveId(plugged, device.id);
    plugged << device;
}

bool UnplugDevice(DeviceKind kind, const QString& id)
{
    bool removed = false;
    {
        QMutexLocker lock(&Lock());
        Settings& s = State();
        removed = RemoveId(s.plugged[int(kind)], id);
        if (s.devices[int(kind)])
            removed = RemoveId(*s.devices[int(kind)], id) || removed;
    }
    // The live streams leave the device at once.
    if (auto engine = EngineCore::Live(); removed && engine)
        rtcmedia::SetDevice(kind, engine->CurrentDevice(kind));
    return removed;
}

QList<Device> Devices(DeviceKind kind)
{
    return ListDevices(kind);
}

bool IsInChannel()
{
    QMutexLocker lock(&Lock());
    auto engine = EngineCore::Live();
    return engine && engine->inChannel;
}

bool IsLocalAudioMuted()
{
    QMutexLocker lock(&Lock());
    auto engine = EngineCore::Live();
    return engine && engine->localMuted;
}

bool IsLocalPreviewActive()
{
    QMutexLocker lock(&Lock());
    auto engine = EngineCore::Live();
    return engine && engine->previewActive();
}

bool IsRecording()
{
    auto engine = EngineCore::Live();
    return engine && engine->recorder() && engine->recorder()->IsRecording();
}

QString RecordingPath()
{
    auto engine = EngineCore::Live();
    return engine && engine->recorder() ? engine->recorder()->Path() : QString();
}

bool IsMixing()
{
    auto engine = EngineCore::Live();
    return engine && engine->mixer() && engine->mixer()->IsMixing();
}

QString MixingPath()
{
    auto engine = EngineCore::Live();
    return engine && engine->mixer() ? engine->mixer()->Path() : QString();
}

QWidget* BoundView(unsigned uid)
{
    QMutexLocker lock(&Lock());
    auto engine = EngineCore::Live();
    return engine ? engine->boundViews.value(uid) : nullptr;
}

} // namespace RtcEngineControl
