#include "SubtitleFilter.h"

#include "AVPlayer.h"
#include "LogLevel.h"
#include "MpvCore.h"

#include <QDebug>
#include <QTextCodec>

namespace plxav {

SubtitleFilter::SubtitleFilter(QObject* parent)
    : QObject(parent)
{ }

void SubtitleFilter::setPlayer(AVPlayer* player)
{
    if (!m_player.isNull())
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (player != nullptr)
        connect(player, &AVPlayer::started, this, &SubtitleFilter::addFile);
    apply();
    addFile();
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
    m_file = path;
    addFile();
}

void SubtitleFilter::addFile()
{
    if (m_player.isNull() || !m_player->isLoaded() || m_file.isEmpty())
        return;
    const QString file = m_file;
    m_player->request(
        { QStringLiteral("sub-add"), file, QStringLiteral("select") }, [file](int error, const QVariant&) {
            if (error < 0)
                qWarning() << "[player] subtitle file refused:" << loggableText(file) << MpvCore::errorText(error);
        });
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
    // Set while a file may play: never wait for the core.
    MpvCore* core = m_player->core();
    core->setPropertyAsync("sub-visibility", m_enabled);
    core->setPropertyAsync("sub-auto", m_autoLoad ? QStringLiteral("fuzzy") : QStringLiteral("no"));
    core->setPropertyAsync("sub-ass", m_engines.contains(QStringLiteral("LibASS"), Qt::CaseInsensitive));
    QString codepage = QString::fromLatin1(m_codec);
    if (codepage.isEmpty() || codepage == QLatin1String("AutoDetect"))
        codepage = QStringLiteral("auto");
    else if (codepage == QLatin1String("System"))
        codepage = QString::fromLatin1(QTextCodec::codecForLocale()->name());
    core->setPropertyAsync("sub-codepage", codepage);
}

} // namespace plxav
