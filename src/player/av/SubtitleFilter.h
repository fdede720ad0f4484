#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace plxav {

class AVPlayer;
class VideoRenderer;

// The subtitles of the player's files. The core draws them into the
// picture itself, so installing on a renderer only records it; the
// settings go to the player given with setPlayer. GUI thread.
class SubtitleFilter : public QObject
{
    Q_OBJECT

public:
    explicit SubtitleFilter(QObject* parent = nullptr);

    void setPlayer(AVPlayer* player);
    bool installTo(VideoRenderer* renderer);
    bool uninstall();

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // Whether subtitle files beside the media are loaded with it (from the
    // next file on).
    void setAutoLoad(bool autoLoad);
    bool autoLoad() const { return m_autoLoad; }
    // Adds a subtitle file to the open media (or the next one) and shows
    // it; it is added again to each file that opens.
    void setFile(const QString& path);
    QString file() const { return m_file; }
    // "LibASS" among the engines keeps the styles of ASS subtitles;
    // otherwise they are drawn as plain text.
    void setEngines(const QStringList& engines);
    QStringList engines() const { return m_engines; }
    // "AutoDetect", "System" or a codec name.
    void setCodec(const QByteArray& codec);
    QByteArray codec() const { return m_codec; }

private:
    void apply();
    void addFile();

    QPointer<AVPlayer> m_player;
    VideoRenderer* m_renderer = nullptr;
    bool m_enabled = true;
    bool m_autoLoad = true;
    QStringList m_engines { QStringLiteral("FFmpeg"), QStringLiteral("LibASS") };
    QByteArray m_codec = "AutoDetect";
    QString m_file;
};

} // namespace plxav
