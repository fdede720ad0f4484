#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

namespace plxav {

class AVPlayer;

// Saves the frame the player shows as a picture file in a folder, named
// after the media and the position. The core hands the frame over without
// the GUI thread waiting, and the file is written in a worker thread; the
// outcome comes back as signals. Lives as long as its player; GUI thread.
class VideoCapture : public QObject
{
    Q_OBJECT

public:
    explicit VideoCapture(AVPlayer* player);

    // Made when missing.
    void setCaptureDir(const QString& dir) { m_dir = dir; }
    QString captureDir() const { return m_dir; }
    // 0 to 100, or -1 for the format's default.
    void setQuality(int quality) { m_quality = qBound(-1, quality, 100); }
    int quality() const { return m_quality; }
    // A format of Qt's picture writers ("png", "jpg", ...), any case.
    void setSaveFormat(const QString& format) { m_format = format.trimmed().toLower(); }
    QString saveFormat() const { return m_format; }
    // The decoded frame's own pixel format cannot be kept: the core hands
    // over RGB pictures. Such captures are saved as PNG, which loses
    // nothing of them.
    void setOriginalFormat(bool original) { m_original = original; }
    bool isOriginalFormat() const { return m_original; }
    // The suffix the next capture is saved with.
    QString fileSuffix() const;

public slots:
    void capture();

signals:
    // The frame, as the core handed it over.
    void imageCaptured(const QImage& image);
    void saved(const QString& path);
    // Nothing to capture (no video shown), an unknown format or a folder
    // or file that could not be written; the reason is logged.
    void failed();

private:
    void onFrame(int error, const QVariant& result);
    // A free file name in the folder for the frame at that position.
    QString targetPath(qint64 positionMs) const;
    void save(const QImage& image, const QString& path);

    AVPlayer* m_player;
    QString m_dir;
    int m_quality = -1;
    QString m_format = QStringLiteral("png");
    bool m_original = false;
    // Files being written, so that two captures never take one name.
    QSet<QString> m_writing;
};

} // namespace plxav
