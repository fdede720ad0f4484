#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The process-wide cache of small pictures by file path: the look-up
// decodes the file once, at the size asked for (fitted, keeping its
// proportions), and answers the same picture afterwards; a null picture
// means the file is not a readable image. GUI thread.
namespace IconCache {

QPixmap Pixmap(const QString& path, const QSize& size);
// Drops the path's picture, so the next look-up reads the file again.
void Remove(const QString& path);

} // namespace IconCache
