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
    AudioOutput(MpvCore* core, QObject* parent);

    qreal volume() const;
    // False when the core refused the value.
    bool setVolume(qreal gain);
    // Whether a sound device is open (a file with sound plays).
    bool isOpen() const;

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

    // The player hands over the core's reports of "volume" and "current-ao".
    void onCoreReport(const QLatin1String& name, const mpv_event_property& property);

private:
    MpvCore* m_core;
    QStringList m_backends;
    double m_volume = 100.0;
    QString m_currentOutput;
};

} // namespace plxav
