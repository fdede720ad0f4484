#pragma once

#include <QLabel>
#include <QPixmap>

// A picture file scaled into the label's rectangle (emoji cells, course
// pages and cards, guide pages), decoded at the size shown. Without a path
// it paints nothing at all; with a file that is no picture it paints as a
// plain label. GUI thread.
class DPIWidget4RectPixmap : public QLabel
{
    Q_OBJECT

public:
    explicit DPIWidget4RectPixmap(QWidget* parent = nullptr);

    void SetPixmapPath(const QString& path);
    QString GetPixmapPath() const { return m_path; }
    bool HasPicture() const { return !m_backing.isNull(); }

    // Paints the widget's style sheet over the picture (a frame or a
    // highlight of a list item); set directly by the owner.
    bool paintStyleOverlay = false;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_backing;
    QString m_path;
};
