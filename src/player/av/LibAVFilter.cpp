#include "LibAVFilter.h"

#include "AVPlayer.h"

#include <QDebug>

namespace plxav {

LibAVFilter::LibAVFilter(const char* chain, const char* label, QObject* parent)
    : QObject(parent)
    , m_chain(chain)
    , m_label(label)
{ }

LibAVFilter::~LibAVFilter()
{
    uninstall();
}

void LibAVFilter::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void LibAVFilter::setOptions(const QString& options)
{
    m_options = options.trimmed();
    apply();
}

bool LibAVFilter::installTo(AVPlayer* player)
{
    if (player == nullptr)
        return false;
    if (m_player != player)
        uninstall();
    m_player = player;
    apply();
    return true;
}

bool LibAVFilter::uninstall()
{
    if (m_player.isNull())
        return false;
    remove();
    m_player = nullptr;
    return true;
}

void LibAVFilter::remove()
{
    if (m_applied && !m_player.isNull())
        m_player->core()->command({ QString::fromLatin1(m_chain), QStringLiteral("remove"), QLatin1String(m_label) });
    m_applied = false;
}

void LibAVFilter::apply()
{
    if (m_player.isNull())
        return;
    remove();
    if (!m_enabled || m_options.isEmpty())
        return;
    // The graph in brackets is taken literally, commas included.
    const QString entry = QStringLiteral("%1:lavfi=[%2]").arg(QLatin1String(m_label), m_options);
    m_applied = m_player->core()->command({ QString::fromLatin1(m_chain), QStringLiteral("add"), entry }) >= 0;
    if (!m_applied)
        qWarning() << "[player] filter refused:" << m_chain << m_options;
}

} // namespace plxav
