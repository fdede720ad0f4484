#include "VideoCapture.h"

#include "AVPlayer.h"
#include "MpvCore.h"
#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

namespace plxav {

namespace {
// Room addresses can carry long names; the picture's name stays well
// within what file systems take.
constexpr int kNameLimit = 80;

// The media's name without its suffix, safe as a file name.
QString MediaBaseName(const QString& file)
{
    const QUrl url(file);
    const bool address = url.isValid() && url.scheme().size() > 1 && url.scheme() != QLatin1String("file");
    QString name = address ? url.fileName(QUrl::FullyDecoded) : QFileInfo(file).fileName();
    name = QFileInfo(name).completeBaseName().left(kNameLimit);
    return name.isEmpty() ? QStringLiteral("capture") : AppPaths::SafeName(name);
}

// "01-02-03-456" for 1 h 2 min 3.456 s.
QString PositionText(qint64 ms)
{
    ms = qMax<qint64>(0, ms);
    return QStringLiteral("%1-%2-%3-%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// The frame of a "screenshot-raw" reply as an opaque picture; null for a
// reply that does not hold a whole frame of a known layout.
QImage FrameImage(const QVariantMap& frame)
{
    const qint64 width = frame.value(QStringLiteral("w")).toLongLong();
    const qint64 height = frame.value(QStringLiteral("h")).toLongLong();
    const qint64 stride = frame.value(QStringLiteral("stride")).toLongLong();
    const QString format = frame.value(QStringLiteral("format")).toString();
    const QByteArray data = frame.value(QStringLiteral("data")).toByteArray();
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || stride < width * 4 || stride % 4 != 0
        || data.size() < stride * height || (format != QLatin1String("bgr0") && format != QLatin1String("bgra"))) {
        qWarning() << "[player] capture: unexpected frame" << width << height << stride << format << data.size();
        return QImage();
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const quint32*>(data.constData() + y * stride);
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        // The fourth byte of "bgr0" is undefined; RGB32 wants it opaque.
        for (int x = 0; x < image.width(); ++x)
            to[x] = from[x] | 0xff000000u;
    }
    return image;
}
} // namespace

VideoCapture::VideoCapture(AVPlayer* player)
    : QObject(player)
    , m_player(player)
{ }

QString VideoCapture::fileSuffix() const
{
    return m_original || m_format.isEmpty() || m_format == QLatin1String("original") ? QStringLiteral("png") : m_format;
}

void VideoCapture::capture()
{
    if (!m_player->isLoaded()) {
        qWarning() << "[player] capture: no video is shown";
        emit failed();
        return;
    }
    const qint64 position = m_player->position();
    const int error = m_player->request({ QStringLiteral("screenshot-raw"), QStringLiteral("video") },
        [this, position](int code, const QVariant& result) {
            if (code < 0) {
                qWarning() << "[player] capture: no frame:" << MpvCore::errorText(code);
                emit failed();
                return;
            }
            const QImage image = FrameImage(result.toMap());
            if (image.isNull()) {
                emit failed();
                return;
            }
            emit imageCaptured(image);
            save(image, targetPath(position));
        });
    if (error < 0) {
        qWarning() << "[player] capture: not asked:" << MpvCore::errorText(error);
        emit failed();
    }
}

QString VideoCapture::targetPath(qint64 positionMs) const
{
    const QString folder = m_dir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) : m_dir;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        qWarning() << "[player] capture: no folder" << folder;
        return QString();
    }
    const QDir dir(folder);
    const QString base = MediaBaseName(m_player->file()) + QLatin1Char('_') + PositionText(positionMs);
    const QString suffix = QLatin1Char('.') + fileSuffix();
    QString path = dir.filePath(base + suffix);
    for (int copy = 2; QFileInfo::exists(path) || m_writing.contains(path); ++copy)
        path = dir.filePath(base + QLatin1Char('_') + QString::number(copy) + suffix);
    return path;
}

void VideoCapture::save(const QImage& image, const QString& path)
{
    const QByteArray format = fileSuffix().toLatin1();
    if (path.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        if (!path.isEmpty())
            qWarning() << "[player] capture: no writer for the format" << format;
        emit failed();
        return;
    }
    m_writing.insert(path);
    const QPointer<VideoCapture> self(this);
    const int quality = m_quality;
    // Encoding a large frame takes long enough to stall the picture.
    QThreadPool::globalInstance()->start([self, image, path, format, quality] {
        QSaveFile file(path);
        QString failure;
        if (!file.open(QIODevice::WriteOnly)) {
            failure = file.errorString();
        } else {
            QImageWriter writer(&file, format);
            writer.setQuality(quality);
            if (!writer.write(image))
                failure = writer.errorString();
            else if (!file.commit())
                failure = file.errorString();
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, path, failure] {
                if (self.isNull())
                    return;
                self->m_writing.remove(path);
                if (failure.isEmpty()) {
                    qDebug() << "[player] frame saved to" << path;
                    emit self->saved(path);
                } else {
                    qWarning() << "[player] capture: could not write" << path << failure;
                    emit self->failed();
                }
            },
            Qt::QueuedConnection);
    });
}

} // namespace plxav
