#pragma once

#include <QFont>
#include <QPixmap>
#include <QSize>
#include <QString>

// What the chat rows and items ask the hub for, each with the answer used
// when the hub has none (tests, start-up, shut-down): rows never keep a
// pointer to a panel, they ask here every time.
namespace ChatContext {
// Width of the chat panel; fallback when no panel is registered.
double PanelWidth(double fallback);
// Font of the chat items: the whiteboard's, else the application's.
QFont ItemFont();
// The per-user data folder, ending in "/".
QString DataFolder();
// The local user's id; 0 (nobody is "own") without a session.
int LocalUid();

// Largest picture decoded for the chat, in pixels; a bigger picture keeps
// its placeholder, so a hostile file never allocates gigabytes.
constexpr qint64 kMaxPicturePixels = 40 * 1000 * 1000;
// The picture at path, read afresh; null when the file is missing,
// unreadable or larger than kMaxPicturePixels. With a valid size, a larger
// picture is decoded at that size (device pixels) and only that copy is
// kept: a chat shows pictures at 100 px, whatever their own size.
QPixmap LoadPixmap(const QString& path, const QSize& size = QSize());
// The same, shared through QPixmapCache (path and size as key).
QPixmap CachedPixmap(const QString& path, const QSize& size = QSize());
// Size of the picture at path as its header says, without decoding it;
// invalid when the file is missing, unreadable or larger than
// kMaxPicturePixels.
QSize PictureSize(const QString& path);
// Display size of a w x h picture: at most 100 wide (the width becomes
// about 100, keeping the ratio in integer steps); 0 x 0 when w >= 100 and h
// is 0. Computed in 64 bits so no side overflows.
QSize HundredPixelRule(qint64 w, qint64 h);
// The local file name a chat picture URL is stored under: its last path
// section, as the transfer worker names it. Empty when that section is not
// a plain name (empty, ".", "..", a backslash or NUL), so no such picture
// is ever read or fetched.
QString PictureFileName(const QString& url);
} // namespace ChatContext
