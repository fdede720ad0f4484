#include "LibAVFilter.h"

#include "AVPlayer.h"
#include "MpvCore.h"

#include <QDebug>

namespace plxav {

LibAVFilter::LibAVFilter(const char* chain, const char* label, QObject* parent)
    : QObject(parent)
    , m_chain(chain)
    , m_label(label)
{ }

LibAVFilter::~LibAVFilter()
{
    if (!m_player.isNull())
        m_player->uninstallFilter(this);
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
    ++m_generation;
    if (m_added && !m_player.isNull())
        m_player->request({ QString::fromLatin1(m_chain), QStringLiteral("remove"), QLatin1String(m_label) });
    m_added = false;
    m_applied = false;
    m_waiting = false;
}

void LibAVFilter::apply()
{
    if (m_player.isNull())
        return;
    remove();
    if (!m_enabled || m_options.isEmpty())
        return;
    if (!m_player->isLoaded()) {
        m_waiting = true;
        return;
    }
    // The graph in brackets is taken literally, commas included.
    const QString entry = QStringLiteral("%1:lavfi=[%2]").arg(QLatin1String(m_label), m_options);
    const quint64 generation = m_generation;
    m_added = true;
    m_player->request({ QString::fromLatin1(m_chain), QStringLiteral("add"), entry },
        [self = QPointer<LibAVFilter>(this), generation](int error, const QVariant&) {
            if (self.isNull() || self->m_generation != generation)
                return;
            self->m_applied = error >= 0;
            self->m_added = error >= 0;
            if (error < 0)
                qWarning() << "[player] filter refused:" << self->m_chain << self->m_options
                           << MpvCore::errorText(error);
            emit self->applied(error >= 0);
        });
}

} // namespace plxav
