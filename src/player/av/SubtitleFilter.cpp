#include "SubtitleFilter.h"

#include "AVPlayer.h"

namespace plxav {

SubtitleFilter::SubtitleFilter(QObject* parent)
    : QObject(parent)
{ }

void SubtitleFilter::setPlayer(AVPlayer* player)
{
    m_player = player;
    apply();
}

bool SubtitleFilter::installTo(VideoRenderer* renderer)
{
    m_renderer = renderer;
    return renderer != nullptr;
}

bool SubtitleFilter::uninstall()
{
    const bool installed = m_renderer != nullptr;
    m_renderer = nullptr;
    return installed;
}

void SubtitleFilter::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void SubtitleFilter::setAutoLoad(bool autoLoad)
{
    m_autoLoad = autoLoad;
    apply();
}

void SubtitleFilter::setFile(const QString& path)
{
    if (!m_player.isNull() && !path.isEmpty())
        m_player->core()->command({ QStringLiteral("sub-add"), path, QStringLiteral("select") });
}

void SubtitleFilter::setEngines(const QStringList& engines)
{
    m_engines = engines;
    apply();
}

void SubtitleFilter::setCodec(const QByteArray& codec)
{
    m_codec = codec;
    apply();
}

void SubtitleFilter::apply()
{
    if (m_player.isNull())
        return;
    MpvCore* core = m_player->core();
    core->setProperty("sub-visibility", m_enabled);
    core->setProperty("sub-auto", m_autoLoad ? QStringLiteral("fuzzy") : QStringLiteral("no"));
    core->setProperty("sub-ass", m_engines.contains(QStringLiteral("LibASS"), Qt::CaseInsensitive));
    QString codepage = QString::fromLatin1(m_codec);
    if (codepage.isEmpty() || codepage == QLatin1String("AutoDetect"))
        codepage = QStringLiteral("auto");
    else if (codepage == QLatin1String("System"))
        codepage = QStringLiteral("utf8");
    core->setProperty("sub-codepage", codepage);
}

} // namespace plxav
