#pragma once

#include <QLabel>
#include <QPixmap>

// A picture file clipped to the ellipse inscribed in the label (avatars of
// the teacher card and the course home page). GUI thread.
class DPIWidget4RoundPixmap : public QLabel
{
    Q_OBJECT

public:
    explicit DPIWidget4RoundPixmap(QWidget* parent = nullptr);

    void SetPixmapPath(const QString& path);
    QString GetPixmapPath() const { return m_path; }
    bool HasPicture() const { return !m_backing.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_path;
    QPixmap m_backing;
};
