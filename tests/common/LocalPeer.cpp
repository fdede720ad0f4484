#include "LocalPeer.h"

#include "RemotePeer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

LocalPeer::LocalPeer(const QString& channel, unsigned uid, RtcEventRecorder::Sink sink)
    : m_channel(channel)
    , m_uid(uid)
    , m_sink(std::move(sink))
    , m_recorder([this](const QJsonObject& event) {
        if (m_sink)
            m_sink(event);
        if (event.value(QLatin1String("event")) == QLatin1String("onUserJoined")) {
            const unsigned uid = unsigned(event.value(QLatin1String("uid")).toInt());
            QMetaObject::invokeMethod(
                &m_context,
                [this, uid] {
                    if (!m_shown || m_shown->contains(uid))
                        SetView(uid, true);
                },
                Qt::QueuedConnection);
        }
        QMutexLocker lock(&m_inboxLock);
        m_inbox << event;
    })
{ }

LocalPeer::~LocalPeer()
{
    Stop();
}

bool LocalPeer::Start(const ServiceFixture& service, bool microphoneMuted, const QString& key)
{
    const auto issued = RemotePeer::FetchKey(service, m_channel, m_uid);
    if (issued.second.isEmpty()) {
        m_error = QStringLiteral("the key road gave no media server");
        return false;
    }
    return Join(issued.second, key.isEmpty() ? issued.first : key, false, microphoneMuted);
}

bool LocalPeer::Join(const QString& appId, const QString& key, bool audience, bool microphoneMuted)
{
    m_engine = createRtcEngine();
    if (!m_engine) {
        m_error = QStringLiteral("no engine");
        return false;
    }
    const QByteArray app = appId.toUtf8();
    rtc::RtcEngineContext context;
    context.eventHandler = &m_recorder;
    context.appId = app.constData();
    m_engine->initialize(context);
    rtc::IMediaEngine* media = nullptr;
    if (m_engine->queryInterface(rtc::AGORA_IID_MEDIA_ENGINE, reinterpret_cast<void**>(&media)) == 0 && media) {
        media->registerVideoFrameObserver(&m_recorder);
        media->release();
    }
    // Tiles shown before the engine existed get their canvas now.
    for (auto tile = m_tiles.cbegin(); tile != m_tiles.cend(); ++tile)
        if (tile.value())
            Bind(tile.key(), tile.value());
    if (!m_relays.isEmpty())
        SetParameters(QJsonDocument(QJsonObject { { "rtc.ice_servers", QJsonObject { { "iceServers", m_relays } } } })
                          .toJson(QJsonDocument::Compact));
    m_engine->setChannelProfile(rtc::CHANNEL_PROFILE_COMMUNICATION);
    m_engine->setClientRole(audience ? rtc::CLIENT_ROLE_AUDIENCE : rtc::CLIENT_ROLE_BROADCASTER);
    const QByteArray channelKey = key.toUtf8();
    const QByteArray channel = m_channel.toUtf8();
    if (m_engine->joinChannel(channelKey.constData(), channel.constData(),
            "{\"owner\":true,\"width\":640,\"height\":480,\"bitrate\":500}", m_uid)
        != 0) {
        m_error = QStringLiteral("joinChannel failed at once");
        return false;
    }
    EnableCamera(m_cameraAtJoin);
    m_engine->enableVideo();
    m_engine->enableAudio();
    MuteMicrophone(microphoneMuted);
    return true;
}

void LocalPeer::Stop()
{
    if (!m_engine)
        return;
    m_engine->leaveChannel();
    m_engine->release(true);
    m_engine = nullptr;
    qDeleteAll(m_tiles);
    m_tiles.clear();
    qDeleteAll(m_views);
    m_views.clear();
}

void LocalPeer::ShowOnly(const QSet<unsigned>& uids)
{
    m_shown = uids;
    for (unsigned uid : m_views.keys()) {
        if (!uids.contains(uid))
            SetView(uid, false);
    }
}

void LocalPeer::SetView(unsigned uid, bool shown)
{
    if (!shown) {
        // Gone with its widget, as a closed tile's view is.
        delete m_views.take(uid).data();
        return;
    }
    if (!m_engine || m_tiles.value(uid) || m_views.value(uid))
        return;
    auto* view = new QWidget;
    view->resize(160, 120);
    m_views.insert(uid, view);
    Bind(uid, view);
}

QWidget* LocalPeer::ShowTile(unsigned uid, const QSize& size)
{
    QWidget* tile = m_tiles.value(uid);
    if (!tile) {
        tile = new QWidget;
        // The engine draws into the window: it must exist before the canvas.
        tile->setAttribute(Qt::WA_NativeWindow);
        tile->setWindowTitle(QStringLiteral("tile of %1").arg(uid));
        tile->setStyleSheet(QStringLiteral("background: black"));
        m_tiles.insert(uid, tile);
    }
    tile->resize(size);
    tile->show();
    if (m_engine)
        Bind(uid, tile);
    // The tile takes the place of a hidden view.
    delete m_views.take(uid).data();
    return tile;
}

void LocalPeer::Bind(unsigned uid, QWidget* tile)
{
    rtc::VideoCanvas canvas;
    canvas.view = tile;
    canvas.uid = uid;
    m_engine->setupRemoteVideo(canvas);
}

int LocalPeer::SetParameters(const QByteArray& json)
{
    rtc::IRtcEngineParameter* parameters = nullptr;
    if (!m_engine
        || m_engine->queryInterface(rtc::AGORA_IID_RTC_ENGINE_PARAMETER, reinterpret_cast<void**>(&parameters)) != 0
        || !parameters)
        return rtc::ERR_NOT_INITIALIZED;
    const int result = parameters->setParameters(json.constData());
    parameters->release();
    return result;
}

int LocalPeer::MuteMicrophone(bool muted)
{
    const QByteArray flag = muted ? "true" : "false";
    return SetParameters("{\"rtc.audio.mute_me\":" + flag + ",\"che.audio.mute_me\":" + flag + "}");
}

int LocalPeer::StartRecording(const QString& path, int quality)
{
    const QJsonObject value { { "filePath", path }, { "quality", quality } };
    return SetParameters(QJsonDocument(QJsonObject { { "che.audio.start_recording", value } }).toJson());
}

int LocalPeer::StopRecording()
{
    return SetParameters("{\"che.audio.stop_recording\":true}");
}

int LocalPeer::EnableCamera(bool on)
{
    const QByteArray flag = on ? "true" : "false";
    return SetParameters("{\"rtc.video.capture\":" + flag + ",\"che.video.local.capture\":" + flag
        + ",\"che.video.local.render\":" + flag + ",\"che.video.local.send\":" + flag + "}");
}

int LocalPeer::StartMixing(const QString& path, bool loopback, bool replace)
{
    const QJsonObject file { { "filePath", path }, { "loopback", loopback }, { "replace", replace }, { "cycle", 1 } };
    return SetParameters(QJsonDocument(QJsonObject { { "che.audio.start_file_as_playout", file } }).toJson());
}

int LocalPeer::Leave()
{
    return m_engine ? m_engine->leaveChannel() : rtc::ERR_NOT_INITIALIZED;
}

void LocalPeer::Collect()
{
    QMutexLocker lock(&m_inboxLock);
    m_events << m_inbox;
    m_inbox.clear();
}
