#pragma once

#include <QLabel>
#include <QPixmap>
#include <QString>

// A round avatar that can be dimmed (the user list darkens the avatar of a
// member whose camera is on). A file that is not a readable picture shows
// a plain disc instead, so a broken download never leaves a hole.
class RoundAvatar : public QLabel
{
    Q_OBJECT

public:
    explicit RoundAvatar(QWidget* parent = nullptr);

    void SetPixmapPath(const QString& path);
    QString GetPixmapPath() const { return m_path; }
    // Whether the file gave a picture.
    bool HasPicture() const { return !m_picture.isNull(); }
    void setBlur(bool veiled);
    bool isBlur() const { return m_veiled; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load();

    QString m_path;
    QPixmap m_picture; // scaled to the widget at its pixel ratio
    bool m_veiled = false;
};
