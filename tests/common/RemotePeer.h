#pragma once

#include "RtcEvents.h"

#include <QJsonObject>
#include <QPair>
#include <QProcess>
#include <QString>

class ServiceFixture;

// Another participant of a lesson's audio and video: the test participant
// rtc_peer in a process of its own, with the generated camera and
// microphone, admitted by a key it gets from the service's key road as the
// client does. Its engine events come back as JSON objects
// ({"event": "onUserJoined", "uid": 57, ...}).
class RemotePeer : public RtcEventLog
{
public:
    struct Options {
        bool audience = false;
        // A key of one's own instead of the key road's (a wrong key, say).
        QString key;
        // The generated microphone's tone, when not the one of its uid.
        int toneHz = 0;
        // Whose pictures it receives, as rtc_peer's --show: everybody's
        // when empty.
        QString show;
        bool cameraOff = false;
        bool muted = false;
        // The demo's echo path from its speaker into its microphone.
        bool echo = false;
        // The microphone sent without voice processing.
        bool raw = false;
        // The network namespace to run in (for nsenter --net=), when not
        // the test's own: a client behind a router.
        QString netns;
        // Gathers on the relays the key road names.
        bool relays = false;
    };

    RemotePeer(const ServiceFixture& service, const QString& channel, unsigned uid);
    RemotePeer(const ServiceFixture& service, const QString& channel, unsigned uid, const Options& options);
    ~RemotePeer() override;
    RemotePeer(const RemotePeer&) = delete;
    RemotePeer& operator=(const RemotePeer&) = delete;

    // Gets the key and starts the process; false with ErrorText() otherwise.
    bool Start();
    // Sends quit and waits for the end (killed after a few seconds).
    void Stop();
    // One command line: "mute-audio 1", "mute-video 0", "stats", "leave",
    // "voice N" (the generated voice, rtcmedia::GeneratedVoice's value).
    bool Send(const QString& command);

    unsigned Uid() const { return m_uid; }
    qint64 ProcessId() const { return m_process.processId(); }
    QString Key() const { return m_key; }
    QString ErrorText() const { return m_error; }

    // Asks the service's key road for a key of channel and uid, as the
    // client does; the key and the application id (the media server's
    // address), empty on failure.
    // The key road's whole answer.
    static QJsonObject FetchKeyRoad(const ServiceFixture& service, const QString& channel, unsigned uid);
    static QPair<QString, QString> FetchKey(const ServiceFixture& service, const QString& channel, unsigned uid);

private:
    void Collect() override;
    bool Alive() const override { return m_process.state() != QProcess::NotRunning; }
    void Idle(int ms) override;

    const ServiceFixture& m_service;
    QString m_channel;
    unsigned m_uid;
    Options m_options;
    QProcess m_process;
    QByteArray m_partial;
    QString m_key;
    QString m_error;
};
