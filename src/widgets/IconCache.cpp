#include "IconCache.h"

#include <QHash>
#include <QImageReader>

namespace IconCache {

namespace {

struct Key {
    QString path;
    QSize size;
    bool operator==(const Key& other) const { return path == other.path && size == other.size; }
};

uint qHash(const Key& key, uint seed = 0)
{
    return ::qHash(key.path, seed) ^ ::qHash(key.size.width() * 65599 + key.size.height(), seed);
}

QHash<Key, QPixmap>& Cache()
{
    static QHash<Key, QPixmap> cache;
    return cache;
}

} // namespace

QPixmap Pixmap(const QString& path, const QSize& size)
{
    const Key key { path, size };
    auto found = Cache().constFind(key);
    if (found != Cache().constEnd())
        return found.value();
    QImageReader reader(path);
    QPixmap picture;
    const QSize full = reader.size();
    if (full.isValid() && !full.isEmpty() && !size.isEmpty())
        reader.setScaledSize(full.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (!image.isNull())
        picture = QPixmap::fromImage(image);
    // A file that is no picture is not remembered: it may still arrive.
    if (!picture.isNull())
        Cache().insert(key, picture);
    return picture;
}

void Remove(const QString& path)
{
    for (auto it = Cache().begin(); it != Cache().end();) {
        if (it.key().path == path)
            it = Cache().erase(it);
        else
            ++it;
    }
}

} // namespace IconCache
