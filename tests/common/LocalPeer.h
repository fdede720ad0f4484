#pragma once

#include "RtcEvents.h"

#include <QHash>
#include <QJsonArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

class QWidget;
class ServiceFixture;

// A participant of a lesson's audio and video in the test's own process:
// the platform's engine driven through its public interface in the order
// the client does, admitted by a key from the service's key road. Its
// events are kept as RtcEventRecorder makes them. Calls run in the GUI
// thread.
class LocalPeer : public RtcEventLog
{
public:
    // Events go to sink too (on the engine's threads) when one is given.
    LocalPeer(const QString& channel, unsigned uid, RtcEventRecorder::Sink sink = {});
    ~LocalPeer() override;
    LocalPeer(const LocalPeer&) = delete;
    LocalPeer& operator=(const LocalPeer&) = delete;

    // Makes the engine and joins with the key road's key (or key when
    // given), camera on and microphone as muted says; false with
    // ErrorText() when the engine or the key cannot be had.
    bool Start(const ServiceFixture& service, bool microphoneMuted, const QString& key = QString());
    // The same with the media server's address and key given.
    bool Join(const QString& appId, const QString& key, bool audience, bool microphoneMuted);
    // Relays (the key road's "relays") for the next join.
    void UseRelays(const QJsonArray& relays) { m_relays = relays; }
    // Leaves and releases the engine.
    void Stop();

    // A native window of size drawn into by the engine with uid's video.
    QWidget* ShowTile(unsigned uid, const QSize& size);
    // Views of the others' pictures, set up as the client sets up tiles: by
    // default one for everybody who joins (hidden, unless a tile shows
    // it); ShowOnly limits them to uids from now on. SetView sets one up or
    // takes it away.
    void ShowOnly(const QSet<unsigned>& uids);
    void SetView(unsigned uid, bool shown);
    // Joins with the camera off (before Start or Join).
    void StartWithCameraOff() { m_cameraAtJoin = false; }
    int MuteMicrophone(bool muted);
    // The class recording, through the parameters the client sets.
    int StartRecording(const QString& path, int quality);
    int StopRecording();
    int EnableCamera(bool on);
    // Mixes the sound file into this participant's sound, played once.
    int StartMixing(const QString& path, bool loopback, bool replace);
    int Leave();

    rtc::IRtcEngine* Engine() const { return m_engine; }
    RtcEventRecorder& Recorder() { return m_recorder; }
    QString ErrorText() const { return m_error; }

private:
    void Collect() override;
    void Bind(unsigned uid, QWidget* tile);
    int SetParameters(const QByteArray& json);

    QString m_channel;
    unsigned m_uid;
    RtcEventRecorder::Sink m_sink;
    QMutex m_inboxLock;
    QList<QJsonObject> m_inbox;
    RtcEventRecorder m_recorder;
    rtc::IRtcEngine* m_engine = nullptr;
    QHash<unsigned, QPointer<QWidget>> m_tiles;
    QHash<unsigned, QPointer<QWidget>> m_views;
    std::optional<QSet<unsigned>> m_shown; // all when not set
    bool m_cameraAtJoin = true;
    QObject m_context; // where the joins reported are handled, GUI thread
    QString m_error;
    QJsonArray m_relays;
};
