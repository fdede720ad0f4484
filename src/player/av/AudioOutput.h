#pragma once

#include <QObject>
#include <QStringList>

#include <mpv/client.h>

namespace plxav {

class MpvCore;

// The player's sound output. Volumes are gains: 1.0 plays the file as it
// is, 4.0 four times as loud. Lives as long as its player; GUI thread.
class AudioOutput : public QObject
{
    Q_OBJECT

public:
    // What the device plays of the file's channels.
    enum ChannelLayout {
        ChannelLayoutLeft = 0, // all of them, on the left speaker only
        ChannelLayoutRight = 1,
        ChannelLayoutMono = 2, // mixed into one, on every speaker
        ChannelLayoutStereo = 3,
        ChannelLayoutAsInput = 4, // as the file has them
    };

    AudioOutput(MpvCore* core, QObject* parent);

    qreal volume() const;
    // False when the core refused the value.
    bool setVolume(qreal gain);
    // Whether a sound device is open (a file with sound plays).
    bool isOpen() const;
    // A new channel layout takes effect when the output opens again:
    // close(), setChannelLayout(), open(). Both are false when the core
    // refused; the layout stays for the next files.
    bool close();
    bool open();
    void setChannelLayout(ChannelLayout layout) { m_layout = layout; }
    ChannelLayout channelLayout() const { return m_layout; }
    // The channels the device plays now as the core names them ("stereo",
    // "fl", ...); empty while closed.
    QString outputChannels() const { return m_outputChannels; }

    // The sound back-ends to try, in order ("PulseAudio", "ALSA", "null",
    // ...); empty: the default choice. Applied when the next file opens.
    void setBackends(const QStringList& backends);
    QStringList backends() const { return m_backends; }
    // The back-ends every player uses while its own list is empty (tests
    // use "null": no sound device, the clock still runs).
    static void setDefaultBackends(const QStringList& backends);
    // The core's "ao" value for the list in force ("pulse,alsa"); empty for
    // the default choice.
    QString outputOption() const;

    // The player hands over the core's reports of "volume", "current-ao"
    // and "audio-out-params/channels".
    void onCoreReport(const QLatin1String& name, const mpv_event_property& property);

private:
    MpvCore* m_core;
    QStringList m_backends;
    double m_volume = 100.0;
    QString m_currentOutput;
    QString m_outputChannels;
    ChannelLayout m_layout = ChannelLayoutAsInput;
};

} // namespace plxav
