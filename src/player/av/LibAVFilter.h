#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace plxav {

class AVPlayer;

// A libavfilter graph ("hflip,eq=contrast=1.2") in the player's video or
// audio chain. Made, configured and installed by its owner; it leaves the
// chain when it is uninstalled or deleted. GUI thread.
class LibAVFilter : public QObject
{
    Q_OBJECT

public:
    ~LibAVFilter() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // The graph; an empty one filters nothing.
    void setOptions(const QString& options);
    QString options() const { return m_options; }

    // Puts the filter into the player's chain; false without a player.
    bool installTo(AVPlayer* player);
    bool uninstall();
    bool isInstalled() const { return !m_player.isNull(); }
    // Whether the player took the graph as it stands (an invalid graph is
    // refused and logged).
    bool isApplied() const { return m_applied; }

protected:
    // chain: "vf" or "af"; label: the filter's name in that chain.
    LibAVFilter(const char* chain, const char* label, QObject* parent);

private:
    void apply();
    void remove();

    const char* m_chain;
    const char* m_label;
    bool m_enabled = true;
    bool m_applied = false;
    QString m_options;
    QPointer<AVPlayer> m_player;
};

class LibAVFilterVideo : public LibAVFilter
{
    Q_OBJECT
public:
    explicit LibAVFilterVideo(QObject* parent = nullptr)
        : LibAVFilter("vf", "@plxv", parent)
    { }
};

class LibAVFilterAudio : public LibAVFilter
{
    Q_OBJECT
public:
    explicit LibAVFilterAudio(QObject* parent = nullptr)
        : LibAVFilter("af", "@plxa", parent)
    { }
};

} // namespace plxav
