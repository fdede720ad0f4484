// This platform's engine: it answers every call the program makes with the
// results the vendor's engine gives, runs its callbacks on threads of its
// own, lists the system's devices, plays accompaniment files and records
// real audio files. When the application id names a media server (a ws://
// or wss:// address) it carries the room's audio and video through it;
// any other id gives a channel of one, joined locally.
#include "EngineState.h"
#include "JanusRoom.h"
#include "RtcMedia.h"
#include "platform/RtcEngine.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <malloc.h>

using namespace rtcengine;

namespace {

QMutex s_liveLock;
std::weak_ptr<EngineCore> s_live;
// The factory's reference: the engine lives until release().
std::shared_ptr<EngineCore> s_owned;

QString Text(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

const char* OnOff(bool on)
{
    return on ? "true" : "false";
}

QObject* StartWorker(QThread* thread, const QString& name)
{
    thread->setObjectName(name);
    auto* worker = new QObject();
    worker->moveToThread(thread);
    thread->start();
    return worker;
}

// Deletes the worker (and its timers) in its own thread, then stops the
// thread. Called from any other thread.
void StopWorker(QThread* thread, QObject* worker)
{
    if (!thread)
        return;
    if (QThread::currentThread() == thread) {
        qWarning() << "RTC engine released from its own thread" << thread->objectName();
        return;
    }
    QMetaObject::invokeMethod(
        worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    delete thread;
}

// Channels joined without a media server, carrying nothing, are for
// programs that need the room but not its media (PLOVIX_RTC_LOCAL_CHANNEL=1).
bool LocalChannelsAllowed()
{
    return qEnvironmentVariableIntValue("PLOVIX_RTC_LOCAL_CHANNEL") == 1;
}

bool IsMediaServer(const QString& appId)
{
    return appId.startsWith(QLatin1String("ws://")) || appId.startsWith(QLatin1String("wss://"));
}

// The transport's reports, for the channel session they belong to.
class RoomHooks : public rtcnet::RoomHooks
{
public:
    RoomHooks(std::weak_ptr<EngineCore> engine, int session)
        : m_engine(std::move(engine))
        , m_session(session)
    { }
    void Post(const QString& line, std::function<void(rtc::IRtcEngineEventHandler*)> f) override
    {
        if (auto engine = m_engine.lock())
            engine->PostInSession(m_session, line, std::move(f));
    }
    void RemoteUserGone(unsigned uid) override
    {
        if (auto engine = m_engine.lock())
            engine->RemoteUserGone(m_session, uid);
    }
    void RemoteVideoDecoded(unsigned uid, int width, int height) override
    {
        if (auto engine = m_engine.lock())
            engine->RemoteVideoDecoded(m_session, uid, width, height);
    }

private:
    std::weak_ptr<EngineCore> m_engine;
    int m_session;
};

} // namespace

rtc::IRtcEngine* createRtcEngine()
{
    Journal(QStringLiteral("createRtcEngine"));
    {
        QMutexLocker lock(&Lock());
        if (State().factoryFails)
            return nullptr;
    }
    auto engine = std::make_shared<EngineCore>();
    engine->Start();
    QMutexLocker lock(&s_liveLock);
    s_live = engine;
    s_owned = engine;
    return engine.get();
}

const char* getRtcEngineVersion(int* build)
{
    Journal(QStringLiteral("getRtcEngineVersion"));
    if (build)
        *build = 1;
    return "2.2.0.1 (plovix)";
}

namespace rtcengine {

std::shared_ptr<EngineCore> EngineCore::Live()
{
    QMutexLocker lock(&s_liveLock);
    return s_live.lock();
}

EngineCore::EngineCore()
    : m_views(NewViewRegistry())
{
    m_clock.start();
}

EngineCore::~EngineCore() = default;

void EngineCore::Start()
{
    m_callbackThread = new QThread();
    m_callbackWorker = StartWorker(m_callbackThread, QStringLiteral("RTC callbacks"));
    m_mediaThread = new QThread();
    m_mediaWorker = StartWorker(m_mediaThread, QStringLiteral("RTC media"));
    m_transportThread = new QThread();
    m_transportThread->setObjectName(QStringLiteral("RTC transport"));
    m_transportThread->start();
    m_recorder = std::make_unique<Recorder>();
    m_mixer = std::make_unique<Mixer>();
    std::weak_ptr<EngineCore> self = shared_from_this();
    rtcmedia::SetFirstFrameHandler([self](unsigned uid, int width, int height) {
        if (auto engine = self.lock())
            engine->RemoteVideoDrawn(uid, width, height);
    });
    QObject* worker = m_mediaWorker;
    QMetaObject::invokeMethod(worker, [worker, self] {
        auto* timer = new QTimer(worker);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, worker, [self] {
            if (auto engine = self.lock())
                engine->RenderTick();
        });
        timer->start(20);
    });
}

std::optional<int> EngineCore::Enter(const QString& line, bool needsInit)
{
    if (auto forced = Journal(line))
        return forced;
    QMutexLocker lock(&Lock());
    if (m_released || (needsInit && !m_initialized))
        return int(rtc::ERR_NOT_INITIALIZED);
    return std::nullopt;
}

void EngineCore::release(bool sync)
{
    Journal(QStringLiteral("release sync=%1").arg(OnOff(sync)));
    QList<unsigned> bound;
    {
        QMutexLocker lock(&Lock());
        if (m_released)
            return;
        m_released = true;
        inChannel = false;
        bound = boundViews.keys();
        boundViews.clear();
    }
    // Whatever the flag: files are finished and no callback runs after this.
    StopRoom();
    rtcmedia::SetFrameObserver(nullptr);
    rtcmedia::SetFirstFrameHandler({});
    rtcmedia::SetLocalView(nullptr);
    for (unsigned uid : bound)
        rtcmedia::SetRemoteView(uid, nullptr);
    m_recorder->Stop();
    m_mixer->Stop();
    if (m_transportThread) {
        m_transportThread->quit();
        m_transportThread->wait();
        delete m_transportThread;
        m_transportThread = nullptr;
    }
    StopWorker(m_callbackThread, m_callbackWorker);
    StopWorker(m_mediaThread, m_mediaWorker);
    m_callbackThread = m_mediaThread = nullptr;
    m_callbackWorker = m_mediaWorker = nullptr;
    m_ticker = nullptr;
    auto views = m_views;
    InGuiThread([views] { DropAllViews(views); });
    // A lesson's media is freed in many threads' allocator arenas, which
    // keep the pages for themselves: given back, lesson after lesson does
    // not grow the process.
    malloc_trim(0);
    QMutexLocker lock(&s_liveLock);
    if (s_owned.get() == this)
        s_owned.reset(); // may delete this engine: nothing may follow
}

int EngineCore::initialize(const rtc::RtcEngineContext& context)
{
    if (auto rc = Enter(QStringLiteral("initialize appId=%1").arg(Text(context.appId)), false))
        return *rc;
    if (Text(context.appId).isEmpty())
        return rtc::ERR_INVALID_ARGUMENT;
    QMutexLocker lock(&Lock());
    if (inChannel)
        return rtc::ERR_ALREADY_IN_CHANNEL;
    m_handler = context.eventHandler;
    m_appId = Text(context.appId);
    m_initialized = true;
    // The join follows at once: its first connection finds the media stack
    // ready, or nearly.
    if (IsMediaServer(m_appId))
        rtcmedia::Prepare();
    return rtc::ERR_OK;
}

int EngineCore::joinChannel(const char* channelKey, const char* channelName, const char* info, rtc::uid_t uid)
{
    const QString channel = Text(channelName);
    if (auto rc = Enter(QStringLiteral("joinChannel key=%1 channel=%2 info=%3 uid=%4")
                            .arg(Text(channelKey), channel, Text(info))
                            .arg(uid)))
        return *rc;
    if (channel.isEmpty())
        return rtc::ERR_INVALID_ARGUMENT;
    int session = 0;
    int delay = 0;
    rtcnet::JoinParams params;
    params.microphone = CurrentDevice(DeviceKind::Recording);
    params.camera = CurrentDevice(DeviceKind::Camera);
    {
        QMutexLocker lock(&Lock());
        if (inChannel)
            return rtc::ERR_ALREADY_IN_CHANNEL;
        inChannel = true;
        m_noMediaServer = false;
        m_channel = channel;
        m_uid = uid;
        session = ++m_session;
        m_joinedAt.start();
        m_remote.clear();
        delay = State().joinDelayMs;
        params.server = QUrl(m_appId);
        params.key = Text(channelKey);
        params.room = channel;
        params.uid = uid;
        params.sendAudio = params.sendVideo = m_role == rtc::CLIENT_ROLE_BROADCASTER;
        for (auto view = boundViews.cbegin(); view != boundViews.cend(); ++view) {
            if (view.key() != uid && !m_mutedPeers.contains(view.key()))
                params.wantedPeers.insert(view.key());
        }
        params.relays = m_relays;
        params.audioMuted = AudioMuted();
        params.videoMuted = VideoMuted();
    }
    std::weak_ptr<EngineCore> self = shared_from_this();
    if (IsMediaServer(m_appId)) {
        auto* room = new rtcnet::JanusRoom(params, std::make_shared<RoomHooks>(self, session));
        room->moveToThread(m_transportThread);
        {
            QMutexLocker lock(&Lock());
            m_room = room;
        }
        QMetaObject::invokeMethod(room, [room] { room->Start(); });
        RestartTicker();
        return rtc::ERR_OK;
    }
    QObject* worker = m_callbackWorker;
    const QByteArray name = channel.toUtf8();
    if (!LocalChannelsAllowed()) {
        // A school's id that names no media server is a wrong one: the join
        // never succeeds, the link reads down, and the loss is told in time,
        // as for a server that cannot be reached.
        qWarning().noquote() << "RTC engine: the application id names no media server; the channel" << channel
                             << "carries no media";
        {
            QMutexLocker lock(&Lock());
            m_noMediaServer = true;
        }
        RestartTicker();
        QMetaObject::invokeMethod(worker, [=] {
            QTimer::singleShot(rtcnet::kLostAfterMs, worker, [=] {
                auto engine = self.lock();
                {
                    QMutexLocker lock(&Lock());
                    if (!engine || engine->m_released || !engine->inChannel || engine->m_session != session)
                        return;
                }
                engine->Post([](rtc::IRtcEngineEventHandler* h) { h->onConnectionLost(); });
            });
        });
        return rtc::ERR_OK;
    }
    qInfo().noquote() << "RTC engine: the application id names no media server; the channel" << channel
                      << "is joined locally and carries no media";
    QMetaObject::invokeMethod(worker, [=] {
        QTimer::singleShot(delay, worker, [=] {
            auto engine = self.lock();
            rtc::IRtcEngineEventHandler* handler = nullptr;
            {
                QMutexLocker lock(&Lock());
                if (!engine || engine->m_released || !engine->inChannel || engine->m_session != session)
                    return;
                handler = engine->m_handler;
            }
            Journal(QStringLiteral("callback onJoinChannelSuccess uid=%1").arg(uid));
            if (handler)
                handler->onJoinChannelSuccess(name.constData(), uid, delay);
            engine->RestartTicker();
        });
    });
    return rtc::ERR_OK;
}

int EngineCore::leaveChannel()
{
    if (auto rc = Enter(QStringLiteral("leaveChannel")))
        return *rc;
    rtc::RtcStats stats;
    {
        QMutexLocker lock(&Lock());
        if (!inChannel)
            return rtc::ERR_OK;
        inChannel = false;
        ++m_session;
        stats.duration = unsigned(m_joinedAt.elapsed() / 1000);
        stats.users = unsigned(m_remote.size() + 1);
        if (m_room) {
            const rtcnet::LinkReport report = m_room->Report();
            stats.txBytes = unsigned(report.txBytes);
            stats.rxBytes = unsigned(report.rxBytes);
        }
        m_remote.clear();
    }
    StopRoom();
    StopChannelMedia();
    RestartTicker(); // stops it: no longer in the channel
    Post([stats](rtc::IRtcEngineEventHandler* h) {
        Journal(QStringLiteral("callback onLeaveChannel"));
        h->onLeaveChannel(stats);
    });
    return rtc::ERR_OK;
}

void EngineCore::StopChannelMedia()
{
    m_recorder->Stop();
    m_mixer->Stop();
}

void EngineCore::StopRoom()
{
    rtcnet::JanusRoom* room = nullptr;
    {
        QMutexLocker lock(&Lock());
        std::swap(room, m_room);
    }
    if (!room)
        return;
    // Every connection and pipeline of the room ends before this returns.
    QMetaObject::invokeMethod(
        room,
        [room] {
            room->Stop();
            delete room;
        },
        Qt::BlockingQueuedConnection);
}

bool EngineCore::AudioMuted() const
{
    return localMuted || !m_secondSwitch;
}

bool EngineCore::VideoMuted() const
{
    return !m_videoEnabled || !m_capture;
}

void EngineCore::UpdateSending()
{
    bool audioMuted = false;
    bool videoMuted = false;
    rtcnet::JanusRoom* room = nullptr;
    {
        QMutexLocker lock(&Lock());
        room = m_room;
        audioMuted = AudioMuted();
        videoMuted = VideoMuted();
    }
    // Muted or with audio disabled, the microphone sends silence.
    rtcmedia::SetMicrophoneMuted(audioMuted);
    // The room is deleted only by a blocking call into its thread, which
    // runs after this queued one.
    if (room)
        QMetaObject::invokeMethod(room, [room, audioMuted, videoMuted] {
            room->SetAudioMuted(audioMuted);
            room->SetVideoMuted(videoMuted);
        });
}

void EngineCore::MutePeerVideo(unsigned uid, bool muted)
{
    {
        QMutexLocker lock(&Lock());
        if (muted)
            m_mutedPeers.insert(uid);
        else
            m_mutedPeers.remove(uid);
    }
    UpdateWanted(uid);
}

void EngineCore::UpdateWanted(unsigned uid)
{
    rtcnet::JanusRoom* room = nullptr;
    bool wanted = false;
    {
        QMutexLocker lock(&Lock());
        room = m_room;
        wanted = uid != m_uid && boundViews.contains(uid) && !m_mutedPeers.contains(uid);
    }
    // The room is deleted only by a blocking call into its thread, which
    // runs after this queued one.
    if (room)
        QMetaObject::invokeMethod(room, [room, uid, wanted] { room->SetPeerVideoWanted(uid, wanted); });
}

void EngineCore::PostInSession(int session, const QString& line, std::function<void(rtc::IRtcEngineEventHandler*)> f)
{
    Post([this, session, line, f](rtc::IRtcEngineEventHandler* h) {
        {
            QMutexLocker lock(&Lock());
            if (m_session != session)
                return;
        }
        if (!line.isEmpty())
            Journal(line);
        f(h);
    });
}

QObject* EngineCore::CallbackWorker() const
{
    QMutexLocker lock(&Lock());
    return m_released ? nullptr : m_callbackWorker;
}

void EngineCore::Post(std::function<void(rtc::IRtcEngineEventHandler*)> f)
{
    QObject* worker = CallbackWorker();
    if (!worker)
        return;
    std::weak_ptr<EngineCore> self = shared_from_this();
    QMetaObject::invokeMethod(
        worker,
        [self, f] {
            auto engine = self.lock();
            rtc::IRtcEngineEventHandler* handler = nullptr;
            {
                QMutexLocker lock(&Lock());
                if (!engine || engine->m_released)
                    return;
                handler = engine->m_handler;
            }
            if (handler)
                f(handler);
        },
        Qt::QueuedConnection);
}

bool EngineCore::Drain(int timeoutMs)
{
    QObject* worker = CallbackWorker();
    if (!worker)
        return true;
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        worker, [done] { done->release(); }, Qt::QueuedConnection);
    return done->tryAcquire(1, timeoutMs);
}

void EngineCore::RestartTicker()
{
    QObject* worker = CallbackWorker();
    if (!worker)
        return;
    std::weak_ptr<EngineCore> self = shared_from_this();
    QMetaObject::invokeMethod(worker, [self, worker] {
        auto engine = self.lock();
        if (!engine)
            return;
        int interval = 0;
        {
            QMutexLocker lock(&Lock());
            if (engine->m_released)
                return;
            interval = engine->inChannel ? State().qualityIntervalMs : 0;
        }
        if (!engine->m_ticker) {
            engine->m_ticker = new QTimer(worker);
            QObject::connect(engine->m_ticker, &QTimer::timeout, worker, [self] {
                if (auto live = self.lock())
                    live->QualityTick();
            });
        }
        if (interval > 0)
            engine->m_ticker->start(interval);
        else
            engine->m_ticker->stop();
    });
}

void EngineCore::QualityTick()
{
    rtc::IRtcEngineEventHandler* handler = nullptr;
    rtcnet::LinkReport report;
    rtc::RtcStats stats;
    {
        QMutexLocker lock(&Lock());
        if (m_released || !inChannel)
            return;
        handler = m_handler;
        // Joined locally, nothing is carried: the link is unknown; without
        // the media server a school's lesson needs, it is down.
        if (m_room) {
            report = m_room->Report();
        } else {
            report.users = unsigned(m_remote.size()) + 1;
            if (m_noMediaServer)
                report.tx = report.rx = 6;
        }
        if (State().txQuality || State().rxQuality) {
            report.tx = State().txQuality;
            report.rx = State().rxQuality;
        }
        stats.duration = unsigned(m_joinedAt.elapsed() / 1000);
        stats.txBytes = unsigned(report.txBytes);
        stats.rxBytes = unsigned(report.rxBytes);
        stats.users = report.users;
    }
    if (!handler)
        return;
    handler->onNetworkQuality(0, report.tx, report.rx);
    // Of another user, what arrives of them tells of their way up; their
    // way down is not seen here.
    for (const rtcnet::LinkReport::Remote& remote : qAsConst(report.remotes)) {
        handler->onNetworkQuality(remote.uid, remote.quality, 0);
        if (remote.audio)
            handler->onAudioQuality(remote.uid, remote.audioQuality, ushort(qBound(0, remote.delayMs, 0xffff)),
                ushort(qBound(0, remote.lostPercent, 100)));
    }
    handler->onRtcStats(stats);
    // The last mile, the worse way between this user and the server, is
    // told when it changes.
    const int lastmile = qMax(report.tx, report.rx);
    if (lastmile != m_lastmile) {
        m_lastmile = lastmile;
        handler->onLastmileQuality(lastmile);
    }
}

int EngineCore::setChannelProfile(int profile)
{
    if (auto rc = Enter(QStringLiteral("setChannelProfile %1").arg(profile)))
        return *rc;
    if (profile != rtc::CHANNEL_PROFILE_COMMUNICATION && profile != rtc::CHANNEL_PROFILE_LIVE_BROADCASTING)
        return rtc::ERR_INVALID_ARGUMENT;
    QMutexLocker lock(&Lock());
    if (inChannel)
        return rtc::ERR_NOT_READY;
    m_channelProfile = profile;
    return rtc::ERR_OK;
}

int EngineCore::setClientRole(int role)
{
    if (auto rc = Enter(QStringLiteral("setClientRole %1").arg(role)))
        return *rc;
    if (role != rtc::CLIENT_ROLE_BROADCASTER && role != rtc::CLIENT_ROLE_AUDIENCE)
        return rtc::ERR_INVALID_ARGUMENT;
    QMutexLocker lock(&Lock());
    m_role = role;
    return rtc::ERR_OK;
}

int EngineCore::enableVideo()
{
    return Switch(QStringLiteral("enableVideo"), &EngineCore::m_videoEnabled, true);
}

int EngineCore::disableVideo()
{
    return Switch(QStringLiteral("disableVideo"), &EngineCore::m_videoEnabled, false);
}

int EngineCore::startPreview()
{
    return Switch(QStringLiteral("startPreview"), &EngineCore::m_preview, true);
}

int EngineCore::stopPreview()
{
    return Switch(QStringLiteral("stopPreview"), &EngineCore::m_preview, false);
}

int EngineCore::setVideoProfile(int profile, bool swapWidthAndHeight)
{
    if (auto rc = Enter(QStringLiteral("setVideoProfile %1 swap=%2").arg(profile).arg(OnOff(swapWidthAndHeight))))
        return *rc;
    return profile < 0 ? rtc::ERR_INVALID_ARGUMENT : rtc::ERR_OK;
}

int EngineCore::setupRemoteVideo(const rtc::VideoCanvas& canvas)
{
    if (auto rc = Enter(QStringLiteral("setupRemoteVideo uid=%1 mode=%2 view=%3")
                            .arg(canvas.uid)
                            .arg(canvas.renderMode)
                            .arg(canvas.view ? "set" : "none")))
        return *rc;
    {
        QMutexLocker lock(&Lock());
        if (canvas.view)
            boundViews.insert(canvas.uid, canvas.view);
        else
            boundViews.remove(canvas.uid);
    }
    UpdateWanted(canvas.uid);
    rtcmedia::SetRemoteView(canvas.uid, canvas.view);
    auto views = m_views;
    QWidget* view = canvas.view;
    const unsigned uid = canvas.uid;
    InGuiThread([views, uid, view] { BindView(views, uid, view); });
    return rtc::ERR_OK;
}

int EngineCore::setupLocalVideo(const rtc::VideoCanvas& canvas)
{
    if (auto rc = Enter(QStringLiteral("setupLocalVideo uid=%1 mode=%2 view=%3")
                            .arg(canvas.uid)
                            .arg(canvas.renderMode)
                            .arg(canvas.view ? "set" : "none")))
        return *rc;
    {
        QMutexLocker lock(&Lock());
        m_uid = canvas.uid;
        if (canvas.view)
            boundViews.insert(canvas.uid, canvas.view);
        else
            boundViews.remove(canvas.uid);
    }
    rtcmedia::SetLocalView(canvas.view);
    auto views = m_views;
    QWidget* view = canvas.view;
    const unsigned uid = canvas.uid;
    InGuiThread([views, uid, view] { BindView(views, uid, view); });
    return rtc::ERR_OK;
}

int EngineCore::enableAudio()
{
    return Switch(QStringLiteral("enableAudio"), &EngineCore::m_secondSwitch, true);
}

int EngineCore::disableAudio()
{
    return Switch(QStringLiteral("disableAudio"), &EngineCore::m_secondSwitch, false);
}

int EngineCore::setAudioProfile(int profile, int scenario)
{
    if (auto rc = Enter(QStringLiteral("setAudioProfile %1 %2").arg(profile).arg(scenario)))
        return *rc;
    return profile < 0 || scenario < 0 ? rtc::ERR_INVALID_ARGUMENT : rtc::ERR_OK;
}

int EngineCore::Switch(const QString& call, bool EngineCore::*state, bool on)
{
    if (auto rc = Enter(call))
        return *rc;
    {
        QMutexLocker lock(&Lock());
        this->*state = on;
    }
    UpdateSending();
    return rtc::ERR_OK;
}

bool EngineCore::previewActive() const
{
    return !m_released && m_videoEnabled && m_preview && m_capture && boundViews.contains(m_uid);
}

void EngineCore::RegisterObserver(rtc::IVideoFrameObserver* observer)
{
    {
        QMutexLocker lock(&Lock());
        m_observer = observer;
    }
    rtcmedia::SetFrameObserver(observer);
}

} // namespace rtcengine
