#include "AudioOutput.h"

#include "MpvCore.h"

#include <QMutex>
#include <QMutexLocker>
#include <cmath>

namespace plxav {

namespace {
QMutex s_defaultsLock;
QStringList s_defaultBackends;

// The core's name of a back-end.
QString outputName(const QString& backend)
{
    const QString name = backend.trimmed().toLower();
    if (name == QLatin1String("pulseaudio"))
        return QStringLiteral("pulse");
    return name;
}
} // namespace

AudioOutput::AudioOutput(MpvCore* core, QObject* parent)
    : QObject(parent)
    , m_core(core)
{ }

// The core's volume scale is cubic: its volume v gives the gain (v/100)^3.
qreal AudioOutput::volume() const
{
    return std::pow(m_volume / 100.0, 3.0);
}

bool AudioOutput::setVolume(qreal gain)
{
    const double volume = qMin(400.0, 100.0 * std::cbrt(qMax<qreal>(0.0, gain)));
    if (m_core->setPropertyAsync("volume", volume) < 0)
        return false;
    m_volume = volume;
    return true;
}

bool AudioOutput::isOpen() const
{
    return !m_currentOutput.isEmpty();
}

bool AudioOutput::close()
{
    // The core reopens its device itself when told to (open()).
    return true;
}

bool AudioOutput::open()
{
    static const char* const names[] = { "fl", "fr", "mono", "stereo", "auto-safe" };
    const QString channels = QString::fromLatin1(names[qBound(0, static_cast<int>(m_layout), 4)]);
    return m_core->setPropertyAsync("audio-channels", channels) >= 0
        && m_core->commandAsync({ QStringLiteral("ao-reload") }) >= 0;
}

void AudioOutput::onCoreReport(const QLatin1String& name, const mpv_event_property& property)
{
    // A text the core no longer has (the device closed) comes without data.
    const bool present = property.format != MPV_FORMAT_NONE && property.data != nullptr;
    const QString text = present && property.format == MPV_FORMAT_STRING
        ? QString::fromUtf8(*static_cast<char**>(property.data))
        : QString();
    if (name == QLatin1String("volume") && present)
        m_volume = *static_cast<double*>(property.data);
    else if (name == QLatin1String("current-ao"))
        m_currentOutput = text;
    else if (name == QLatin1String("audio-out-params/channels"))
        m_outputChannels = text;
}

void AudioOutput::setBackends(const QStringList& backends)
{
    m_backends = backends;
}

void AudioOutput::setDefaultBackends(const QStringList& backends)
{
    QMutexLocker lock(&s_defaultsLock);
    s_defaultBackends = backends;
}

QString AudioOutput::outputOption() const
{
    QStringList list = m_backends;
    if (list.isEmpty()) {
        QMutexLocker lock(&s_defaultsLock);
        list = s_defaultBackends;
    }
    QStringList names;
    for (const QString& backend : qAsConst(list)) {
        const QString name = outputName(backend);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names.join(QLatin1Char(','));
}

} // namespace plxav
