#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace plxav {

class AVPlayer;

// A libavfilter graph ("hflip,eq=contrast=1.2") in the player's video or
// audio chain. Made, configured and installed by its owner; it leaves the
// chain when it is uninstalled or deleted. The core tries a graph only on
// an open file, so a graph set while none is open joins the chain when the
// next one opens: a graph the core refuses is logged and never breaks the
// file. GUI thread.
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
    // Whether the core took the graph as it stands (known shortly after a
    // change on an open file).
    bool isApplied() const { return m_applied; }

signals:
    // The core answered for the graph: taken, or refused (logged).
    void applied(bool taken);

protected:
    // chain: "vf" or "af"; label: the filter's name in that chain.
    LibAVFilter(const char* chain, const char* label, QObject* parent);

private:
    friend class AVPlayer;
    // Sends the graph to the core now, or once a file is open.
    void apply();
    void remove();

    const char* m_chain;
    const char* m_label;
    bool m_enabled = true;
    bool m_applied = false;
    // The graph went to the core; it waits for a file to open.
    bool m_added = false;
    bool m_waiting = false;
    // Tells the answer to the graph sent last from older ones.
    quint64 m_generation = 0;
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

// The player's own colour adjustment of the frames, beside the user's
// video filter.
class PictureFilter : public LibAVFilter
{
    Q_OBJECT
public:
    explicit PictureFilter(QObject* parent = nullptr)
        : LibAVFilter("vf", "@plxeq", parent)
    { }
};

} // namespace plxav
