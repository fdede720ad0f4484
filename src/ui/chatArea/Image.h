#pragma once

#include "ChatLineContent.h"

#include <QPixmap>

// A picture cell of a chat row, drawn scaled into its display size. A
// received picture shows a placeholder until its download arrives. Only a
// copy at twice the display size is decoded and kept; the full picture is
// read only by the viewer a click opens.
class Image : public ChatLineContent
{
    Q_OBJECT

public:
    Image(int width, int height, const QString& path);

    void fitToWidth(double) override { }
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    int type() const override { return 2; }

    // Shows the downloaded small picture in place of the placeholder; false
    // (the placeholder stays) when it cannot be decoded.
    bool showDownloaded();

    QString shownPath() const { return m_shownPath; }
    void setDownloadedPath(const QString& path) { m_downloadedPath = path; }
    QString downloadedPath() const { return m_downloadedPath; }
    void setFullPath(const QString& path) { m_fullPath = path; }
    QString fullPath() const { return m_fullPath; }
    void setSentBySelf(bool sentBySelf) { m_sentBySelf = sentBySelf; }
    bool sentBySelf() const { return m_sentBySelf; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool hasPicture() const { return !m_pixmap.isNull(); }
    // The size of the picture kept, in device pixels.
    QSize keptSize() const { return m_pixmap.size(); }

    // The file a click opens: the sent file for an own picture, else the
    // downloaded full picture. Empty unless it is a readable picture file,
    // so a file named by another user is never handed to the desktop's
    // default handler (a ".desktop" or script would run).
    QString fileToOpen() const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    QPixmap Load(const QString& path) const;

    QString m_shownPath;
    QString m_downloadedPath;
    QString m_fullPath;
    int m_width = 0;
    int m_height = 0;
    bool m_sentBySelf = true;
    QPixmap m_pixmap;
    QPixmap m_scaled; // m_pixmap at the display size and scale last painted
};
